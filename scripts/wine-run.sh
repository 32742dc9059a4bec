#!/usr/bin/env bash
# CTest's emulator for the Windows builds: runs a program under Wine in the
# build folder's own prefix, on the build folder's own display.
#   wine-run.sh BUILD_DIR --prepare         a display, the prefix and its wineserver (a fixture)
#   wine-run.sh BUILD_DIR --finish          ends them (a fixture)
#   wine-run.sh BUILD_DIR PROGRAM [ARG...]
set -euo pipefail
build=$1
shift
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
export WINEPREFIX=$build/wineprefix
case ${1:-} in
--prepare) display_start "$build/xvfb" && wine_start ;;
--finish) wine_stop && display_stop "$build/xvfb" ;;
*)
    # CTest lists a program's cases before any fixture runs: the prefix is made here then.
    wine_prefix
    unset DISPLAY
    if [ -s "$build/xvfb/display" ]; then DISPLAY=":$(cat "$build/xvfb/display")" && export DISPLAY; fi
    exec env LC_ALL=ja_JP.UTF-8 setarch -R "$WINELOADER" "$@"  # as wine_ja
    ;;
esac
