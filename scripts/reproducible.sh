#!/usr/bin/env bash
# A test of the win32 preset: builds the shipped program again from a copy of
# the tracked sources (as they are in the working tree) in another folder and
# compares it with the program given, byte for byte. One commit must give
# the same bytes wherever it is built with the same toolchain.
#   scripts/reproducible.sh BUILT_PROGRAM
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
built=$(realpath "$1")
repro=$(dirname "$built")/repro
rm -rf "$repro"
mkdir -p "$repro/src"
(cd "$PYXET_ROOT" && git ls-files -z | tar --null -T - -cf -) | tar -xf - -C "$repro/src"
(cd "$repro/src" && build_preset "$repro/build.log" win32 "$repro/win32" SettingPyxet)

rebuilt=$repro/win32/SettingPyxet.exe
if cmp -s "$built" "$rebuilt"; then
    echo "the same $(stat -c %s "$built") bytes from $repro/src (SHA-256 $(sha256sum <"$built" | cut -c1-64))"
    exit 0
fi
echo "$rebuilt differs from $built ($(stat -c %s "$built") and $(stat -c %s "$rebuilt") bytes); the first differing bytes:"
echo "  offset  built  rebuilt (octal)"
cmp -l "$built" "$rebuilt" | head -n 10 || true
exit 1
