#!/usr/bin/env bash
# Builds the 32-bit program a second time, from a copy of the tracked sources
# (as they are in the working tree) in build/repro/src with its own build
# folder build/repro/win32, and compares it with build/win32/SettingPyxet.exe,
# which the caller has built. The same sources must give the same bytes in
# any folder. On a difference it prints the first differing bytes and exits
# non-zero; the log, with every differing byte, is build/reproducible.log.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
built=build/win32/SettingPyxet.exe
[ -f "$built" ] ||
    { echo "reproducible: no $built; build it first: cmake --preset win32 && cmake --build --preset win32"; exit 1; }

log=build/reproducible.log
repro=build/repro
rebuilt=$repro/win32/SettingPyxet.exe
echo "== rebuilding the 32-bit program from a copy of the sources in $repro/src"
rm -rf "$repro"
mkdir -p "$repro/src"
{ git ls-files -z | tar --null -T - -cf - | tar -xf - -C "$repro/src"; } >"$log" 2>&1 ||
    { cat "$log"; echo "reproducible: could not copy the tracked sources (log: $log)"; exit 1; }
(cd "$repro/src" && cmake --preset win32 -B ../win32 && cmake --build ../win32 -j "$(nproc)" --target SettingPyxet) \
    >>"$log" 2>&1 || { cat "$log"; echo "reproducible: the second build failed (log: $log)"; exit 1; }

if cmp -s "$built" "$rebuilt"; then
    echo "reproducible: $rebuilt is identical to $built" \
         "($(stat -c %s "$built") bytes, SHA-256 $(sha256sum "$built" | cut -d ' ' -f 1))"
    exit 0
fi

{ echo "== cmp -l $built $rebuilt (offsets from 1, bytes in octal)"; cmp -l "$built" "$rebuilt"; } >>"$log" 2>&1
count=$(cmp -l "$built" "$rebuilt" 2>/dev/null | wc -l)
echo "reproducible: $rebuilt differs from $built:" \
     "$(stat -c %s "$built") and $(stat -c %s "$rebuilt") bytes, $count differing bytes; the first:"
printf '  %-16s %-6s %s\n' offset built rebuilt
cmp -l "$built" "$rebuilt" 2>/dev/null | head -n 10 | while read -r position old new; do
    offset=$((position - 1))  # cmp counts from 1
    printf '  %-16s 0x%02x   0x%02x\n' "$offset (0x$(printf %x "$offset"))" "$((8#$old))" "$((8#$new))"
done
echo "(every differing byte: $log)"
exit 1
