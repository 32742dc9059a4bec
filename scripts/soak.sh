#!/usr/bin/env bash
# Runs the Wine suites N times, in random order and side by side, while a
# busy loop per core keeps the machine loaded, and prints how often each test
# failed: a test that fails only when the machine is slow shows up here.
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
declare -A failures=()
failed_rounds=0
for round in $(seq "$rounds"); do
    suites=() t0=$SECONDS verdict=passed
    for preset in "${presets[@]}"; do run_ctest "$out/$preset-$round.log" "$preset" --schedule-random -LE reproducible & suites+=($!); done
    wait "${suites[@]}"
    for preset in "${presets[@]}"; do
        log=$out/$preset-$round.log
        read -r f _ < <(ctest_counts "$log") || f="no result"
        [ "$f" = 0 ] || verdict=FAILED
        while IFS=$'\t' read -r name how; do
            key="$preset $name ($how)"
            failures[$key]=$((${failures[$key]:-0} + 1))
        done < <(ctest_failed "$log" && [ "$f" != "no result" ] || printf '(no test result)\t-\n')
    done
    [ "$verdict" = passed ] || failed_rounds=$((failed_rounds + 1))
    echo "   round $round/$rounds: $verdict ($((SECONDS - t0)) s)"
done

[ ${#failures[@]} -gt 0 ] || { echo "== no test failed in $rounds rounds of ${presets[*]}, all $(nproc) cores busy" && exit 0; }
echo "== $failed_rounds of $rounds rounds failed; failures per test (logs: $out/<preset>-<round>.log):"
for key in "${!failures[@]}"; do printf '  %3d/%d  %s\n' "${failures[$key]}" "$rounds" "$key"; done | sort -k2
exit 1
