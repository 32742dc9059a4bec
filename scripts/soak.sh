#!/usr/bin/env bash
# Runs the Wine suites N times, in random order and side by side, while a busy loop per core keeps the machine
# loaded, and prints how often each test failed: a test that fails only when the machine is slow shows up here.
#   scripts/soak.sh N
# Builds first. Every round's CTest output is build/soak/<preset>-<round>.log.
# Exits non-zero if any round failed.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$PYXET_ROOT"
rounds=${1:-}
[[ $rounds =~ ^[1-9][0-9]*$ ]] || { echo "usage: scripts/soak.sh N   (N rounds, at least 1)" >&2; exit 2; }

ensure_packages test
presets=(win64 win32)
why=$(why_no_32bit)
[ -z "$why" ] || { presets=(win64) && echo "== win32 skipped: $why"; }
for preset in "${presets[@]}"; do
    echo "== building $preset (log: build/$preset-build.log)"
    build_preset "build/$preset-build.log" "$preset"
done
out=build/soak
rm -rf "$out"; mkdir -p "$out"

busy=()
trap 'kill "${busy[@]}" 2>/dev/null; stop_wine_in build/win64 build/win32' EXIT
for _ in $(seq "$(nproc)"); do sh -c 'while :; do :; done' & busy+=($!); done
echo "== $rounds rounds of ${presets[*]}, all $(nproc) cores busy (about a minute a round)"
failed_rounds=0
for round in $(seq "$rounds"); do
    suites=() t0=$SECONDS
    for preset in "${presets[@]}"; do run_ctest "$out/$preset-$round.log" "$preset" --schedule-random -LE reproducible & suites+=($!); done
    wait "${suites[@]}"
    failures=$(for preset in "${presets[@]}"; do  # "PRESET NAME (HOW)" a line
        [ -n "$(ctest_counts "$out/$preset-$round.log")" ] || echo "$preset (no test result)"
        ctest_failed "$out/$preset-$round.log" | sed -E "s/^(.*)\t(.*)$/$preset \1 (\2)/"
    done)
    verdict=passed
    [ -z "$failures" ] || { verdict=FAILED failed_rounds=$((failed_rounds + 1)) && echo "$failures" >>"$out/failures"; }
    echo "   round $round/$rounds: $verdict ($((SECONDS - t0)) s)"
done

[ "$failed_rounds" -gt 0 ] || { echo "== no test failed in $rounds rounds of ${presets[*]}, all $(nproc) cores busy" && exit 0; }
echo "== $failed_rounds of $rounds rounds failed; failures per test (logs: $out/<preset>-<round>.log):"
sort "$out/failures" | uniq -c | sort -rn
exit 1
