# Writes readme.txt for the release zip from its UTF-8 source: the project
# version filled in, a UTF-8 byte-order mark and CR LF line ends, so Notepad
# on Windows 10 and 11 shows it as it is under any system locale.
#   cmake -DSOURCE=docs/readme-ja.txt -DOUTPUT=readme.txt -DVERSION=1.0.0 -P readme.cmake
# Byte checks read files as HEX: a plain file(READ) drops the CR of CR LF.
file(READ "${SOURCE}" bytes HEX)
if(bytes MATCHES "^(..)*0d")
  message(FATAL_ERROR "${SOURCE}: has a CR; keep LF line ends there, CR LF is added here")
endif()
if(NOT bytes MATCHES "0a$")
  message(FATAL_ERROR "${SOURCE}: the last line has no line end")
endif()
if(bytes MATCHES "^efbbbf")
  message(FATAL_ERROR "${SOURCE}: starts with a byte-order mark; it is added here")
endif()
file(READ "${SOURCE}" text)
string(REPLACE "@PROJECT_VERSION@" "${VERSION}" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
string(ASCII 239 187 191 bom)
file(WRITE "${OUTPUT}.tmp" "${bom}${text}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
