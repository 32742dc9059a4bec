#!/usr/bin/env bash
# Runs a Windows program under Wine: CTest's emulator for the win64 build.
# "--prepare" readies the private prefix instead (a CTest fixture does this
# before the Wine tests). A display is given only to the tests that ask for
# one through PYXET_DISPLAY.
set -eu
PYXET_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$PYXET_ROOT/scripts/wine-env.sh"
if [ "${1:-}" = "--prepare" ]; then
    wine_prefix_ready
    exit 0
fi
if [ -n "${PYXET_DISPLAY:-}" ]; then export DISPLAY="$PYXET_DISPLAY"; else unset DISPLAY; fi
exec env LC_ALL=ja_JP.UTF-8 wine "$@"
