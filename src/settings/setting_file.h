// Writes pyxet.ini, the file the companion application Pyxet.exe reads.
#pragma once

// Writes the current choices of Setting and the fixed legend into
// "pyxet.ini" in the working directory, replacing any earlier file. On
// Windows no other writer may open the file meanwhile, and a save fails
// while another writer has it open (another copy of the program saving).
// Returns false when the file could not be opened or when any write, the
// flush to the disk or the close failed (a full disk, say), true only when
// the system reported every byte on the disk.
bool SaveSettingFile();
