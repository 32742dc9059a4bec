#!/usr/bin/env bash
# CTest's emulator for the Windows builds: runs a program under Wine in the
# build folder's own prefix, on the build folder's own display.
#   wine-run.sh BUILD_DIR --prepare         a display, the prefix and its wineserver (a fixture)
#   wine-run.sh BUILD_DIR --finish          ends them (a fixture)
#   wine-run.sh BUILD_DIR PROGRAM [ARG...]
set -euo pipefail
build=$1 && shift
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
export WINEPREFIX=$build/wineprefix
case ${1:-} in
--prepare) display_start "$build/xvfb" && own_test_folders "$build" && wine_start ;;
--finish) wine_stop && display_stop "$build/xvfb" ;;
*)
    # win32 (i686): else Wine's garbled failure would be all that CTest shows.
    why=$([[ $build != *win32 ]] || quick=1 why_no_32bit)
    [ -z "$why" ] || { echo "$why: no test of $build can run here" >&2 && exit 1; }
    # CTest lists a program's cases before any fixture runs: the prefix is made here then.
    wine_prefix
    unset DISPLAY XAUTHORITY
    if [ -s "$build/xvfb/display" ]; then display_use "$build/xvfb"; fi
    wine_ja "$@"
    ;;
esac
