#!/usr/bin/env bash
# Measures whether the suites catch real faults: applies each fault of tests/faults.txt alone to a scratch clone
# of the committed program, runs the native suite and the Windows one (win32, or win64 where 32-bit programs
# cannot run) up to the first failure, and prints caught or missed per fault, then "caught K of N". A catch
# counts only when the failed test fails a second time too. About half a minute a fault; logs in build/mutate/.
#   scripts/mutate.sh [FAULTS-FILE]
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
faults=$(realpath "${1:-$PYXET_ROOT/tests/faults.txt}") out=$PYXET_ROOT/build/mutate scratch=$PYXET_ROOT/build/mutate/src
ensure_packages test
why=$(why_no_32bit) windows=win32
[ -z "$why" ] || { windows=win64 && echo "== the win64 suite stands in for win32: $why"; }
echo "== a scratch clone of the committed program in $scratch"
rm -rf "$out"
git clone -q "$PYXET_ROOT" "$scratch"
cd "$scratch"
mkdir build; cp -a "$PYXET_TEMPLATE" build/wineprefix  # so it is not made again
trap 'stop_wine_in "$scratch"/build/*/' EXIT

# Builds and runs the suites (or one TEST of one PRESET) up to the first
# failure, leaving out fuzzing and the second build; prints "PRESET TEST" of
# the first failed test, or nothing when all passed.
first_failure() {  # NAME [PRESET TEST]
    local preset log failed
    for preset in ${2:-native $windows}; do
        log=$out/$1-$preset.log
        build_preset "$log.build" "$preset" >/dev/null || { echo "$preset (does not build)"; return; }
        run_ctest "$log" "$preset" --stop-on-failure -LE 'fuzz|reproducible' ${3:+-R "^$3\$"}
        stop_wine_in "build/$preset"  # a stopped run skips the fixture that would
        failed=$(ctest_failed "$log" | sed -n '1s/\t.*//p')
        [ -n "$(ctest_counts "$log")" ] || failed="(no test result)"
        if [ -n "$failed" ]; then echo "$preset $failed"; return; fi
    done
}

echo "== the unchanged program"
first=$(first_failure unchanged)
[ -z "$first" ] || { echo "the unchanged program fails: $first; logs in $out" && exit 1; }

# The faults: blocks of "fault:" and "file:", then pairs of "from:" and "to:"
# lines, each pair kept with the number of its fault.
descriptions=() files=() pair_fault=() pair_from=() pair_to=()
while IFS= read -r line; do
    i=$((${#descriptions[@]} - 1))
    case "$line" in
    "fault: "*) descriptions+=("${line#fault: }") ;;
    "file: "*) files[i]=${line#file: } ;;
    "from: "*) pair_fault+=("$i") pair_from+=("${line#from: }") ;;
    "to: "* | "to:") to=${line#to:} && pair_to+=("${to# }") ;;
    esac
done <"$faults"
n=${#descriptions[@]}
if [ ${#files[@]} -ne "$n" ] || [ ${#pair_from[@]} -ne ${#pair_to[@]} ]; then
    echo "$faults: every fault needs a file: line, and a to: line after each from: line" && exit 1
fi

caught=0 started=$SECONDS
for ((i = 0; i < n; i++)); do
    file=${files[i]} label="$((i + 1)). ${descriptions[i]}"
    changed=$(cat "$file" && echo x)  # the x keeps the file's last newlines
    changed=${changed%x} problem=""
    for ((k = 0; k < ${#pair_from[@]}; k++)); do
        [ "${pair_fault[k]}" -eq "$i" ] || continue
        count=$(grep -c -F -- "${pair_from[k]}" "$file" || true)
        [ "$count" -eq 1 ] || problem="the text \"${pair_from[k]}\" is found $count times in $file"
        changed=${changed/"${pair_from[k]}"/"${pair_to[k]}"}
    done
    [ -z "$problem" ] || { echo "$label: LIST ERROR, $problem" && continue; }
    printf '%s' "$changed" >"$file"
    first=$(first_failure "fault-$((i + 1))")
    if [[ $first == *"(does not build)" ]]; then
        result="LIST ERROR, does not build ($out/fault-$((i + 1))-*.build)"
    elif [ -z "$first" ]; then
        result=MISSED
    elif [ -n "$(first_failure "fault-$((i + 1))-again" "${first%% *}" "${first#* }")" ]; then
        result="caught by ${first/ /: }" caught=$((caught + 1))
    else
        result="MISSED: ${first/ /: } failed once, then passed: a flaky test"
    fi
    git checkout -q -- "$file"
    echo "$label: $result"
done
echo "($((SECONDS - started)) s for $n faults; logs in $out)" && echo "caught $caught of $n"
[ "$caught" -eq "$n" ]
