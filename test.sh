#!/usr/bin/env bash
# Installs what is missing, builds the three presets and runs their suites: native (the portable code with
# sanitizers, the release readme's bytes, shellcheck, fuzzing), win64 and win32 under Wine (win32 against the
# shipped program, and its second build elsewhere). Prints one summary line; exits non-zero on any failure.
# Every log is in build/.
#   ./test.sh
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/scripts/lib.sh"
cd "$PYXET_ROOT"
started=$SECONDS
ensure_packages test
trap 'stop_wine_in build/*/' EXIT  # nothing left running, even after an interrupt

lines=() passed=0 failed=0 skipped=0
fail() { lines+=("$1"); failed=$((failed + 1)); }

suites=()
for preset in $(cmake --list-presets | sed -n -E 's/^ *"([^"]+)".*/\1/p'); do
    echo "== building $preset (log: build/$preset-build.log)"
    if build_preset "build/$preset-build.log" "$preset"; then suites+=("$preset"); else fail "$preset: build failed"; fi
done

# Where this machine cannot run 32-bit programs, win32's Wine tests could only
# fail, and CTest cannot even list them: its second build runs on its own.
why="" skip=""
if [[ " ${suites[*]} " == *" win32 "* ]]; then why=$(why_no_32bit); fi
if [ -n "$why" ]; then
    skip=win32
    if cmake -DBUILT=build/win32/SettingPyxet.exe -P cmake/reproducible.cmake >build/reproducible.log 2>&1; then
        passed=$((passed + 1))
    else
        cat build/reproducible.log && fail "win32: the second build differs (build/reproducible.log)"
    fi
fi

# The suites side by side, each with its own display and Wine prefix.
for preset in "${suites[@]}"; do
    [ "$preset" != "$skip" ] || continue
    echo "== $preset suite (log: build/$preset-ctest.log)"
    (t0=$SECONDS && run_ctest "build/$preset-ctest.log" "$preset" && echo $((SECONDS - t0)) >"build/$preset-ctest.time") &
done
wait

for preset in "${suites[@]}"; do
    [ "$preset" != "$skip" ] || continue
    log=build/$preset-ctest.log
    read -r f t < <(ctest_counts "$log") || { tail -n 40 "$log"; fail "$preset: no test result (see $log)"; continue; }
    passed=$((passed + t - f)) failed=$((failed + f))
    took="$(cat "build/$preset-ctest.time") s"
    if [ "$f" -eq 0 ]; then lines+=("$preset: $t passed ($took)") && continue; fi
    ctest_failures_told "$log"
    lines+=("$preset: $f of $t failed ($took; output in $log)")
done
if [ -n "$why" ]; then
    # The same Wine tests as win64, so as many.
    read -r _ n < <(ctest_counts build/win64-ctest.log) || n=1
    skipped=$((skipped + n))
    lines+=("win32: its $n Wine tests skipped: $why; the shipped program was built, and built again alike")
fi

printf '\n== summary (%d s, installing included)\n' $((SECONDS - started))
printf '  %s\n' "${lines[@]}"
echo "$passed passed, $failed failed$([ "$skipped" -eq 0 ] || echo ", $skipped skipped")"
[ "$failed" -eq 0 ]
