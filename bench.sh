#!/usr/bin/env bash
# Benchmark: start-up and save time of SettingPyxet.exe against a bare Win32
# window under Wine, peak memory, and the shipped files' size and imports.
# Prints a Markdown table and writes it to build/bench.md.
#   ./bench.sh [RUNS]   (default 20 of each, after one warm-up)
set -euo pipefail
runs=${1:-20}
. "$(dirname "${BASH_SOURCE[0]}")/scripts/lib.sh"
cd "$PYXET_ROOT"
ensure_packages test
export WINEPREFIX=$PYXET_ROOT/build/bench/wineprefix
trap 'stop_wine_in build/bench' EXIT
build_preset build/bench-win64.log win64 build/win64 SettingPyxet baseline bench_driver
build_preset build/bench-win32.log win32 build/win32 SettingPyxet baseline
display_start build/bench/xvfb
wine_start
mkdir -p build/bench/folder
timing=$(wine_ja build/win64/bench_driver.exe "$(windows_path build/win64/SettingPyxet.exe)" \
    "$(windows_path build/win64/baseline.exe)" "$(windows_path build/bench/folder)" "$runs")

imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | sort | paste -sd ' '; }
{
    echo "Measured $(date -u +%Y-%m-%d) on $(nproc) cores of $(uname -m) Debian $(cat /etc/debian_version)," \
         "Wine $("$WINELOADER" --version | sed 's/wine-//'), Xvfb."
    echo
    echo "$timing"
    echo
    echo "| file (release, stripped) | bytes | KiB | imports |"
    echo "|---|---|---|---|"
    for f in build/win32/SettingPyxet.exe build/win64/SettingPyxet.exe build/win32/baseline.exe build/win64/baseline.exe; do
        b=$(stat -c %s "$f")
        echo "| \`$f\` | $b | $(awk "BEGIN { printf \"%.1f\", $b / 1024 }") | $(imports "$f") |"
    done
} | tee build/bench.md
