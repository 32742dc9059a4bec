#!/usr/bin/env bash
# Builds the program and starts it under Wine for FOLDER (default: the current directory), where "設定" writes
# pyxet.ini: the shipped 32-bit program where this machine runs 32-bit programs, else the 64-bit build. With a
# display (DISPLAY set) the window opens there. Without one it runs in a Wine virtual desktop on a private Xvfb
# display: its picture goes to build/screenshot.png, and "キャンセル" ends it, so nothing is written.
#   ./run.sh [FOLDER]
set -euo pipefail
folder=$(realpath "${1:-.}")
. "$(dirname "${BASH_SOURCE[0]}")/scripts/lib.sh"
cd "$PYXET_ROOT"
ensure_packages run
export WINEPREFIX=$PYXET_ROOT/build/run/wineprefix
trap 'stop_wine_in build/run' EXIT

preset=win32 what="the shipped 32-bit program" why=$(why_no_32bit)
if [ -n "$why" ]; then
    preset=win64 what="the 64-bit build" && echo "== not the shipped 32-bit program but the 64-bit build: $why"
fi
# Without the tests, in a folder of its own: test.sh's build/$preset has them.
echo "== building $preset, without the tests, in build/run/$preset (log: build/run-build.log)"
PYXET_TESTS=OFF build_preset build/run-build.log "$preset" "build/run/$preset" SettingPyxet window_shot
program=build/run/$preset/SettingPyxet.exe
echo "== SettingPyxet for $folder: $program, $what"

if [ -n "${DISPLAY:-}" ]; then wine_start && wine_ja "$program" "$(windows_path "$folder")"; exit; fi
echo "== no display: running on a virtual one; the picture goes to build/screenshot.png"
display_start build/run/xvfb
rm -f build/screenshot.bmp  # window_shot writes it only when all went well
wine_start
# A Wine virtual desktop draws the title bar; window_shot starts the program.
wine_ja explorer /desktop=SettingPyxet,480x420 "build/run/$preset/window_shot.exe" 'build\screenshot.bmp' \
    "$program" "$(windows_path "$folder")"
convert build/screenshot.bmp build/screenshot.png
echo "screenshot: $PYXET_ROOT/build/screenshot.png (cancelled: nothing written)"
