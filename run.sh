#!/usr/bin/env bash
# Builds the program and starts it under Wine for FOLDER (default: the
# current directory), where "設定" writes pyxet.ini.
#
# With a display (DISPLAY set) the window opens there. Without one, the
# program runs in a Wine virtual desktop on a private Xvfb display: its
# picture goes to build/screenshot.png, and "キャンセル" ends it, so nothing
# is written.
set -u
folder=$(realpath "${1:-.}") || exit 1
. "$(dirname "${BASH_SOURCE[0]}")/scripts/lib.sh"
. "$PYXET_ROOT/scripts/wine-env.sh"
cd "$PYXET_ROOT"

ensure_packages || { echo "could not install the packages"; exit 1; }
mkdir -p build
{ cmake --preset win64 && cmake --build --preset win64 -j "$(nproc)" --target SettingPyxet window_shot; } \
    >build/run-build.log 2>&1 || { cat build/run-build.log; exit 1; }

program=build/win64/SettingPyxet.exe
windows_folder=$(windows_path "$folder")

if [ -n "${DISPLAY:-}" ]; then
    echo "SettingPyxet for $folder"
    wine_prefix_ready
    wine_ja "$WINELOADER" "$program" "$windows_folder"
    exit $?
fi

echo "No display: running on a virtual one; the picture goes to build/screenshot.png"
xvfb_dir=build/run-xvfb
scripts/xvfb.sh start "$xvfb_dir" >/dev/null || exit 1
export DISPLAY=":$(cat "$xvfb_dir/display")"
wine_prefix_ready
desktop="/desktop=SettingPyxet,480x420"  # a Wine virtual desktop draws the title bar
wine_ja "$WINELOADER" explorer "$desktop" "$program" "$windows_folder" &
wine_ja "$WINELOADER" explorer "$desktop" build/win64/window_shot.exe 'build\screenshot.bmp'
shot=$?
wait
wine_stop
scripts/xvfb.sh stop "$xvfb_dir"
[ $shot -eq 0 ] && /usr/bin/convert build/screenshot.bmp build/screenshot.png && rm -f build/screenshot.bmp || exit 1
echo "screenshot: $PYXET_ROOT/build/screenshot.png (cancelled: nothing written)"
