#!/usr/bin/env bash
# Measures whether the suites catch real faults: applies each fault of
# tests/faults.txt alone to a scratch clone of the committed program, runs
# the suites (native, then the Windows one under Wine), stopping at the
# first failure, and prints caught or missed per fault, then "caught K of N".
# A catch counts only when the failed test fails a second time too.
#   scripts/mutate.sh [FAULTS-FILE]
# Takes about half a minute a fault. Logs: build/mutate/.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
. "$PYXET_ROOT/scripts/wine-env.sh"
faults=$(realpath "${1:-$PYXET_ROOT/tests/faults.txt}") || exit 1
out="$PYXET_ROOT/build/mutate"
scratch="$out/src"

ensure_packages || exit 1
wine_prepare wine_prefix_create || exit 1
# The Windows suite of the shipped 32-bit build where this machine runs it.
windows=win32
why=$(why_no_32bit)
[ -z "$why" ] || { windows=win64; echo "== the win64 suite stands in for win32: $why"; }

echo "== a scratch clone of the committed program in $scratch"
rm -rf "$out"
mkdir -p "$out"
git clone -q "$PYXET_ROOT" "$scratch" || exit 1
# A copy of the prefix, so it is not made again, and so that the scratch
# clone's wineserver is its own.
mkdir -p "$scratch/build"
cp -a "$WINEPREFIX" "$scratch/build/wineprefix" || exit 1

# Runs one preset's suite, or only the test named, stopping at the first
# failure; prints the failed test's name, or nothing when all passed.
run_suite() {  # preset, log, [test]
    (cd "$scratch" && ctest --preset "$1" --stop-on-failure ${3:+-R "^$3\$"}) >"$2" 2>&1
    # A stopped run leaves its display and server behind.
    WINEPREFIX="$scratch/build/wineprefix" wineserver -k 2>/dev/null
    "$PYXET_ROOT/scripts/xvfb.sh" stop "$scratch/build/$1/xvfb"
    grep -q '100% tests passed' "$2" && return
    local failed
    failed=$(sed -n '/The following tests FAILED/{n;p;q}' "$2" | sed -E 's/^\s*[0-9]+ - //; s/ \([^)]*\)$//')
    echo "${failed:-no test result}"
}

# Builds both presets and runs their suites; prints "PRESET TEST" for the
# first failed test, or nothing when all passed. $1 names the logs.
run_suites() {
    local log="$out/$1" preset failed
    for preset in native "$windows"; do
        if ! (cd "$scratch" && cmake --build --preset "$preset" -j "$(nproc)") >"$log-$preset-build.log" 2>&1; then
            echo "$preset build failed"
            return
        fi
    done
    for preset in native "$windows"; do
        failed=$(run_suite "$preset" "$log-$preset.log")
        [ -z "$failed" ] || { echo "$preset $failed"; return; }
    done
}

echo "== the unchanged program (configure, build, run)"
for preset in native "$windows"; do
    (cd "$scratch" && cmake --preset "$preset") >"$out/configure-$preset.log" 2>&1 ||
        { cat "$out/configure-$preset.log"; exit 1; }
done
first=$(run_suites unchanged)
if [ -n "$first" ]; then
    echo "the unchanged program already fails ($first); logs in $out"
    exit 1
fi

# The faults, as blocks of "fault:" and "file:", then pairs of "from:" and
# "to:" lines, each pair kept with the number of its fault.
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
if [ ${#files[@]} -ne "$n" ] || [ ${#pair_from[@]} -ne ${#pair_to[@]} ] || [ ${#pair_from[@]} -lt "$n" ]; then
    echo "$faults: every fault needs a file: line, and a to: line after each from: line"
    exit 1
fi

caught=0 started=$SECONDS
for ((i = 0; i < n; i++)); do
    file="$scratch/${files[i]}"
    label="$((i + 1)). ${descriptions[i]}"
    original=$(cat "$file"; echo x)  # the x keeps the file's last newlines
    original=${original%x}
    changed=$original problem=""
    for ((k = 0; k < ${#pair_from[@]}; k++)); do
        [ "${pair_fault[k]}" -eq "$i" ] || continue
        count=$(grep -c -F -- "${pair_from[k]}" "$file")
        [ "$count" -eq 1 ] || problem="the text \"${pair_from[k]}\" is found $count times in ${files[i]}"
        changed=${changed/"${pair_from[k]}"/"${pair_to[k]}"}
    done
    if [ -n "$problem" ]; then
        echo "$label: LIST ERROR, $problem"
        continue
    fi
    printf '%s' "$changed" >"$file"
    first=$(run_suites "fault-$((i + 1))")
    if [[ "$first" == *"build failed" ]]; then
        result="LIST ERROR, does not build ($out/fault-$((i + 1))-*-build.log)"
    elif [ -z "$first" ]; then
        result="MISSED"
    elif [ -n "$(run_suite ${first%% *} "$out/fault-$((i + 1))-again.log" "${first#* }")" ]; then
        result="caught by ${first/ /: }"
        caught=$((caught + 1))
    else
        result="MISSED: ${first/ /: } failed once, then passed: a flaky test"
    fi
    printf '%s' "$original" >"$file"
    echo "$label: $result"
done
echo "($((SECONDS - started)) s for $n faults; logs in $out)"
echo "caught $caught of $n"
[ "$caught" -eq "$n" ]
