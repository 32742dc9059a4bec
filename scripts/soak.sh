#!/usr/bin/env bash
# Runs the Wine suites N times while every core is kept busy, and prints how
# often each test failed: a test that fails only when the machine is slow
# shows up here, not in one quiet run.
#
#   scripts/soak.sh N
#
# Builds win64 (and win32, where this machine can run its tests) first.
# Every round's CTest output is in build/soak/<preset>-<round>.log.
# Exits non-zero if any round failed.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
. "$PYXET_ROOT/scripts/wine-env.sh"
cd "$PYXET_ROOT" || exit 1

rounds=${1:-}
if ! [[ $rounds =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: scripts/soak.sh N   (N rounds, at least 1)" >&2
    exit 2
fi

ensure_packages || { echo "could not install the packages"; exit 1; }
out=build/soak
mkdir -p "$out"
rm -f "$out"/*.log  # last soak's logs would mislead

build_preset win64 || exit 1
presets=(win64)

# The prefix is made once, before the load: its first creation takes about
# a minute and is not what is being soaked.
echo "== the Wine prefix in build/wineprefix (made once, about a minute; at once when it exists)"
wine_prepare wine_prefix_create || exit 1

# win32 runs only where this machine runs 32-bit programs; otherwise its
# tests could only fail.
why=$(why_no_32bit)
wine_stop
if [ -n "$why" ]; then
    echo "== win32: skipped, $why"
else
    build_preset win32 || exit 1
    presets+=(win32)
fi

# ---- the load, and ending it whatever happens -------------------------------

busy=() ctest_pid="" running_preset=""
stop_all() {
    trap '' INT TERM
    if [ -n "$ctest_pid" ]; then
        echo "   stopping ctest ($ctest_pid) and what its $running_preset tests started"
        kill -TERM "$ctest_pid" 2>/dev/null
        wait "$ctest_pid" 2>/dev/null
        # The fixtures that would have ended them did not run.
        wine_stop
        scripts/xvfb.sh stop "build/$running_preset/xvfb"
    fi
    [ ${#busy[@]} -eq 0 ] || kill "${busy[@]}" 2>/dev/null
    busy=()
}
trap stop_all EXIT
trap 'echo; echo "== interrupted"; exit 130' INT
trap 'echo; echo "== terminated"; exit 143' TERM

cores=$(nproc)
echo "== keeping all $cores cores busy with $cores busy loops"
for _ in $(seq "$cores"); do
    sh -c 'while :; do :; done' &
    busy+=($!)
done

# ---- the rounds -------------------------------------------------------------

# Names of the failed tests in a CTest log, one per line with the reason
# ("Failed", "Timeout", "SEGFAULT", "Not Run"...) after a tab.
failed_tests() {  # log
    sed -n '/The following tests FAILED:/,$p' "$1" |
        sed -n -E 's/^[[:space:]]*[0-9]+ - (.+) \(([^)]*)\)[[:space:]]*$/\1\t\2/p'
}

declare -A fail_count=() fail_kinds=() result=()
failed_logs=()
echo "== $rounds rounds of: ${presets[*]} (about a minute per round under load)"
for round in $(seq "$rounds"); do
    for preset in "${presets[@]}"; do
        log="$out/$preset-$round.log"
        t0=$SECONDS
        running_preset=$preset
        ctest --preset "$preset" --output-on-failure >"$log" 2>&1 &
        ctest_pid=$!
        wait "$ctest_pid"
        rc=$?
        ctest_pid=""
        took=$((SECONDS - t0))
        names=$(failed_tests "$log")
        if [ -z "$names" ] && ! grep -q -E 'tests passed, [0-9]+ tests failed out of' "$log"; then
            names=$'(no test result)\tctest exit code '"$rc"
        elif [ -z "$names" ] && [ "$rc" -ne 0 ]; then
            names=$'(ctest failed)\texit code '"$rc"
        fi
        if [ -z "$names" ]; then
            result[$preset,$round]="passed ${took}s"
            echo "   round $round/$rounds $preset: passed ($took s)"
            continue
        fi
        result[$preset,$round]="FAILED ${took}s"
        failed_logs+=("$log")
        echo "   round $round/$rounds $preset: FAILED ($took s; log: $log)"
        while IFS=$'\t' read -r name kind; do
            echo "      $name ($kind)"
            key="$preset"$'\t'"$name"
            fail_count[$key]=$((${fail_count[$key]:-0} + 1))
            [[ ",${fail_kinds[$key]:-}," == *",$kind,"* ]] || fail_kinds[$key]+="${fail_kinds[$key]:+,}$kind"
        done <<<"$names"
    done
done
stop_all

echo
echo "== rounds"
printf '  %-6s' round
for preset in "${presets[@]}"; do printf ' %-16s' "$preset"; done
echo
for round in $(seq "$rounds"); do
    printf '  %-6s' "$round"
    for preset in "${presets[@]}"; do printf ' %-16s' "${result[$preset,$round]}"; done
    echo
done

echo
if [ ${#fail_count[@]} -eq 0 ]; then
    echo "== no test failed in $rounds rounds of ${presets[*]}, all $cores cores busy"
    exit 0
fi
echo "== failures per test, out of $rounds rounds, all $cores cores busy"
printf '  %-7s %-60s %-8s %s\n' preset test failed how
for key in "${!fail_count[@]}"; do
    IFS=$'\t' read -r preset name <<<"$key"
    printf '  %-7s %-60s %-8s %s\n' "$preset" "$name" "${fail_count[$key]}/$rounds" "${fail_kinds[$key]}"
done | sort
echo
echo "== logs of the failed rounds"
for log in "${failed_logs[@]}"; do echo "  $log"; done
exit 1
