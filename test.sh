#!/usr/bin/env bash
# Installs what is missing, builds the three presets and runs every suite:
# native (with sanitizers, and the release readme's bytes), win64 and win32
# under Wine (win32 against the shipped program), a short fuzzing run, and a
# second build of the shipped program that must give the same bytes. Prints
# one summary and exits non-zero on any failure. Every log is in build/.
set -u
started=$SECONDS
. "$(dirname "${BASH_SOURCE[0]}")/scripts/lib.sh"
. "$PYXET_ROOT/scripts/wine-env.sh"
cd "$PYXET_ROOT"
mkdir -p build

ensure_packages || { echo "could not install the packages"; exit 1; }

passed=0 failed=0 skipped=0 lines=()
report() { lines+=("$1"); }  # a line of the summary

# CTest's closing line, "N% tests passed, F tests failed out of T".
ctest_counts() {  # log -> "failed total", or nothing
    sed -n -E 's/.* tests passed, ([0-9]+) tests failed out of ([0-9]+).*/\1 \2/p' "$1" | tail -n 1
}

run_suite() {  # preset
    local log="build/$1-ctest.log" t0=$SECONDS counts f t
    echo "== $1 suite (log: $log)"
    ctest --preset "$1" >"$log" 2>&1
    counts=$(ctest_counts "$log")
    if [ -z "$counts" ]; then
        tail -n 40 "$log"
        report "$1: no test result (see $log)"
        failed=$((failed + 1))
        return
    fi
    read -r f t <<<"$counts"
    passed=$((passed + t - f)) failed=$((failed + f))
    if [ "$f" -eq 0 ]; then
        report "$1: $t passed ($((SECONDS - t0)) s)"
    else
        # What each failed test printed, then CTest's list.
        awk '/^ *[0-9]+\/[0-9]+ Test +#/ { show = /\*\*\*/ } /^ +Start +[0-9]+:/ { show = 0 } show' "$log" | head -n 200
        sed -n '/The following tests FAILED/,$p' "$log"
        report "$1: $f of $t failed ($((SECONDS - t0)) s; output in $log)"
    fi
}

built=()
for preset in native win64 win32; do
    if build_preset "$preset"; then
        built+=("$preset")
    else
        report "$preset: build failed (build/$preset-build.log)"
        failed=$((failed + 1))
    fi
done
is_built() { [[ " ${built[*]} " == *" $1 "* ]]; }

# Checks that need no display run beside the suites: the fuzzer, which
# compiles the portable code itself, and a second build of the shipped
# program elsewhere, which must give the same bytes.
declare -A checks=()
start_check() {  # name, what it does, command...
    local name=$1 what=$2
    shift 2
    echo "== $what, beside the suites (log: build/$name-check.log)"
    "$@" >"build/$name-check.log" 2>&1 &
    checks[$name]=$!
}
finish_check() {  # name, why it did not run
    local name=$1
    if [ -z "${checks[$name]:-}" ]; then
        report "$name: not run, $2"
        skipped=$((skipped + 1))
    elif wait "${checks[$name]}"; then
        passed=$((passed + 1))
        report "$name: passed ($(tail -n 1 "build/$name-check.log"))"
    else
        tail -n 40 "build/$name-check.log"
        report "$name: failed (build/$name-check.log)"
        failed=$((failed + 1))
    fi
}
is_built native &&
    start_check fuzz "fuzzing the command-line tail for ${PYXET_FUZZ_SECONDS:-20} s" \
        scripts/fuzz.sh "${PYXET_FUZZ_SECONDS:-20}"
is_built win32 &&
    start_check reproducible "building the 32-bit program again elsewhere" scripts/reproducible.sh

is_built native && run_suite native
if is_built win64 || is_built win32; then
    [ -f "$WINEPREFIX/.pyxet-prefix-v2" ] || echo "== making the Wine prefix in build/wineprefix (about a minute, once)"
    if wine_prepare wine_prefix_create; then
        is_built win64 && run_suite win64
        if is_built win32; then
            why=$(why_no_32bit)
            if [ -z "$why" ]; then
                run_suite win32
            else
                # The same test sources as win64, so as many tests.
                n=$(ctest_counts build/win64-ctest.log 2>/dev/null | cut -d' ' -f2)
                skipped=$((skipped + ${n:-1}))
                report "win32: ${n:-all} tests skipped: $why; the shipped program was built, not run"
            fi
        fi
    else
        report "Wine: the prefix could not be made (build/wine-prepare.log)"
        failed=$((failed + 1))
    fi
    wine_stop
fi

finish_check fuzz "the native build failed"
finish_check reproducible "the win32 build failed"

echo
echo "== summary ($((SECONDS - started)) s, installing included)"
for line in "${lines[@]}"; do echo "  $line"; done
summary="$passed passed, $failed failed"
[ "$skipped" -eq 0 ] || summary+=", $skipped skipped"
echo "$summary"
[ "$failed" -eq 0 ]
