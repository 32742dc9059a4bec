#!/usr/bin/env bash
# Builds the shipped 32-bit program from scratch in build/release and packs
#   dist/SettingPyxet-VERSION.zip: SettingPyxet.exe, readme.txt, SHA256SUMS
# in that order. VERSION is the CMake project's (project() in CMakeLists.txt).
# Every entry carries the last commit's time and mode 644, and no owner or
# extra time stamps, so one commit gives the same zip in any folder on any
# day. Prints the zip's path and SHA-256; the build's log is build/release.log.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/scripts/lib.sh"
cd "$PYXET_ROOT"

ensure_packages || { echo "could not install the packages"; exit 1; }

commit_time=$(git log -1 --format=%ct 2>/dev/null) ||
    { echo "release: not a git checkout; the zip's times come from the last commit"; exit 1; }
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "warning: uncommitted changes: the zip holds them, but carries the time of $(git rev-parse --short HEAD)"
fi

mkdir -p build
log=build/release.log
out=build/release
echo "== building the 32-bit program and readme.txt from scratch in $out"
rm -rf "$out"
{ cmake --preset win32 -B "$out" && cmake --build "$out" -j "$(nproc)" --target SettingPyxet readme; } \
    >"$log" 2>&1 || { cat "$log"; echo "release: the build failed (log: $log)"; exit 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/CMakeCache.txt")
if ! [[ $version =~ ^[0-9]+(\.[0-9]+)*$ ]]; then
    echo "release: no version in $out/CMakeCache.txt; set it in CMakeLists.txt: project(SettingPyxet VERSION x.y.z ...)"
    exit 1
fi

zip_name=SettingPyxet-$version.zip
stage=$out/zip
echo "== packing $zip_name (entries dated $(date -u -d "@$commit_time" '+%Y-%m-%d %H:%M:%S') UTC, the last commit's time)"
mkdir -p "$stage"
cp "$out/SettingPyxet.exe" "$out/readme.txt" "$stage/"
(cd "$stage" && sha256sum SettingPyxet.exe readme.txt >SHA256SUMS)
chmod 644 "$stage"/*
touch -m -d "@$commit_time" "$stage"/*
# zip writes local times: in UTC they are the same on every machine. -X
# leaves out owner and extra time stamps, -D directory entries.
(cd "$stage" && TZ=UTC zip -X -D "../$zip_name" SettingPyxet.exe readme.txt SHA256SUMS) >>"$log" 2>&1 ||
    { cat "$log"; echo "release: zip failed (log: $log)"; exit 1; }

mkdir -p dist
mv -f "$out/$zip_name" "dist/$zip_name"
for f in SettingPyxet.exe readme.txt SHA256SUMS; do
    printf '  %-17s %6d bytes\n' "$f" "$(stat -c %s "$stage/$f")"
done
echo "$PYXET_ROOT/dist/$zip_name"
echo "SHA-256 $(sha256sum "dist/$zip_name" | cut -d ' ' -f 1)"
