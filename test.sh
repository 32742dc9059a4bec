#!/usr/bin/env bash
# Installs what is missing, builds all three presets, runs the native and the
# win64 (Wine) suites and a short fuzzing run, and prints one summary.
# Exits non-zero on any failure.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/scripts/lib.sh"
. "$PYXET_ROOT/scripts/wine-env.sh"
cd "$PYXET_ROOT"

ensure_packages || { echo "could not install the packages"; exit 1; }

failed=0 passed=0 problems=()
run_suite() {  # preset
    local log="build/$1-ctest.log"
    ctest --preset "$1" 2>&1 | tee "$log"
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
    if [ -z "$line" ]; then
        problems+=("$1: no test result"); failed=$((failed + 1)); return
    fi
    local f t
    f=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + t - f)); failed=$((failed + f))
    [ "$f" -eq 0 ] || problems+=("$1: $f of $t tests failed")
}
build() {  # preset
    echo "== $1: configure and build"
    cmake --preset "$1" >"build/$1-configure.log" 2>&1 || { cat "build/$1-configure.log"; return 1; }
    cmake --build --preset "$1" -j "$(nproc)"
}

mkdir -p build
start=$SECONDS
if build native; then run_suite native; else problems+=("native: build failed"); failed=$((failed + 1)); fi
if build win64; then run_suite win64; else problems+=("win64: build failed"); failed=$((failed + 1)); fi
echo "== fuzzing the command-line tail (${PYXET_FUZZ_SECONDS:-20} s)"
if scripts/fuzz.sh "${PYXET_FUZZ_SECONDS:-20}"; then passed=$((passed + 1)); else problems+=("fuzz: failed"); failed=$((failed + 1)); fi
build win32 || { problems+=("win32: build failed"); failed=$((failed + 1)); }
wine_stop

echo
echo "== summary ($((SECONDS - start)) s)"
for p in "${problems[@]+"${problems[@]}"}"; do echo "  $p"; done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
