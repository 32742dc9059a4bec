#!/usr/bin/env bash
# Fuzzes the command-line tail natively with libFuzzer, AddressSanitizer and
# UBSan.   scripts/fuzz.sh [SECONDS]   (default 20)
# First replays every input in tests/fuzz/regressions (inputs that once
# failed), then fuzzes from tests/fuzz/seeds. A failing input is written to
# build/fuzz/: copy it into tests/fuzz/regressions when you fix it.
set -eu
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-20}
out="$root/build/fuzz"
mkdir -p "$out/corpus"
clang++-14 -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I "$root/src" "$root/src/ui/command_line.cpp" "$root/tests/fuzz/command_line_fuzz.cpp" \
    -o "$out/command_line_fuzz"
cd "$out"
regressions=("$root"/tests/fuzz/regressions/*)
if [ -e "${regressions[0]}" ]; then
    ./command_line_fuzz "${regressions[@]}" >regressions.log 2>&1 || { cat regressions.log; exit 1; }
fi
./command_line_fuzz -max_total_time="$seconds" -max_len=4096 -artifact_prefix="$out/" \
    corpus "$root/tests/fuzz/seeds" >fuzz.log 2>&1 || { tail -40 fuzz.log; exit 1; }
grep -E '^Done|#[0-9]+.*DONE' fuzz.log | tail -1
