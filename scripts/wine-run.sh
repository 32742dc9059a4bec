#!/usr/bin/env bash
# Runs a Windows program under Wine: CTest's emulator for the win64 build.
# "--prepare" readies the private prefix instead (a CTest fixture does this
# before the Wine tests). A display is given only to the tests that ask for
# one: PYXET_DISPLAY_FILE names the file holding the display's number.
set -eu
PYXET_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$PYXET_ROOT/scripts/wine-env.sh"
if [ "${1:-}" = "--prepare" ]; then
    wine_prefix_ready
    exit 0
fi
if [ -n "${PYXET_DISPLAY_FILE:-}" ]; then export DISPLAY=":$(cat "$PYXET_DISPLAY_FILE")"; else unset DISPLAY; fi
exec env LC_ALL=ja_JP.UTF-8 wine "$@"
