#!/usr/bin/env bash
# Runs a Windows program under Wine: CTest's emulator for the win64
# and win32 builds.
# CTest fixtures call it with "--prepare" before the Wine tests (readies the
# private prefix and starts its wineserver) and with "--finish" after them.
# A display is given only to the tests that ask for one: PYXET_DISPLAY_FILE
# names the file holding the display's number.
set -u
PYXET_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$PYXET_ROOT/scripts/wine-env.sh"
if [ -n "${PYXET_DISPLAY_FILE:-}" ]; then export DISPLAY=":$(cat "$PYXET_DISPLAY_FILE")"; else unset DISPLAY; fi
case "${1:-}" in
--prepare) wine_prefix_ready; exit ;;
--finish) wine_stop; exit 0 ;;
esac
# CTest lists a program's cases before any fixture runs: make the prefix
# here then, so that Wine does not make it on its own without our settings.
[ -f "$WINEPREFIX/.pyxet-prefix-v2" ] || wine_prepare wine_prefix_create || exit 1
exec env LC_ALL=ja_JP.UTF-8 "$WINELOADER" "$@"
