#!/usr/bin/env bash
# Benchmark: start-up and save time of SettingPyxet.exe against a bare Win32
# window under Wine, peak memory, and the shipped files' size and imports.
# Prints a Markdown table and writes it to build/bench.md.
#   ./bench.sh [RUNS]   (default 20 of each, after one warm-up)
set -u
runs=${1:-20}
. "$(dirname "${BASH_SOURCE[0]}")/scripts/lib.sh"
. "$PYXET_ROOT/scripts/wine-env.sh"
cd "$PYXET_ROOT"

ensure_packages || { echo "could not install the packages"; exit 1; }
mkdir -p build
for preset in win64 win32; do
    { cmake --preset "$preset" && cmake --build --preset "$preset" -j "$(nproc)" --target SettingPyxet baseline; } \
        >"build/bench-$preset.log" 2>&1 || { cat "build/bench-$preset.log"; exit 1; }
done
cmake --build --preset win64 --target bench_driver >>build/bench-win64.log 2>&1 || { cat build/bench-win64.log; exit 1; }

xvfb_dir=build/bench-xvfb
scripts/xvfb.sh start "$xvfb_dir" >/dev/null || exit 1
export DISPLAY=":$(cat "$xvfb_dir/display")"
wine_prefix_ready
folder=build/bench-folder
mkdir -p "$folder"
timing=$(wine_ja "$WINELOADER" build/win64/bench_driver.exe "$(windows_path build/win64/SettingPyxet.exe)" \
    "$(windows_path build/win64/baseline.exe)" "$(windows_path "$folder")" "$runs")
status=$?
wine_stop
scripts/xvfb.sh stop "$xvfb_dir"
[ $status -eq 0 ] || { echo "$timing"; exit 1; }

imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | sort | paste -sd ' '; }
{
    echo "Measured $(date -u +%Y-%m-%d) on $(nproc) cores of $(uname -m) Debian $(cat /etc/debian_version), Wine $("$WINELOADER" --version | sed 's/wine-//'), Xvfb."
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
