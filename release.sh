#!/usr/bin/env bash
# Builds the shipped 32-bit program from scratch in build/release and packs dist/SettingPyxet-VERSION.zip:
# SettingPyxet.exe, readme.txt, LICENSE.txt, BUILDINFO.txt, SHA256SUMS, in that order (VERSION: project() in
# CMakeLists.txt). Every entry carries the last commit's time and mode 644, and no owner or extra time stamps, so
# one commit gives the same zip in any folder on any day with the same toolchain; BUILDINFO.txt names that
# toolchain. Prints the zip's path and SHA-256; the build's log is build/release.log.
#   ./release.sh
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/scripts/lib.sh"
cd "$PYXET_ROOT"
published_on=13  # the Debian release whose zip is published

ensure_packages run
commit=$(git rev-parse HEAD) commit_time=$(git log -1 --format=%ct)
[ -z "$(git status --porcelain --untracked-files=no)" ] ||
    echo "warning: uncommitted changes: the zip holds them, but names and dates ${commit:0:7}"
. /etc/os-release
[ "$VERSION_ID" = "$published_on" ] || echo "note: this is Debian $VERSION_ID; the published zip is built on" \
    "Debian $published_on, whose compiler and linker give other bytes: this zip differs from the published one."

out=build/release
echo "== building the 32-bit program and readme.txt from scratch in $out (log: build/release.log)"
rm -rf "$out"
PYXET_TESTS=OFF build_preset build/release.log win32 "$out" SettingPyxet readme
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/CMakeCache.txt")

stage=$out/zip
mkdir -p "$stage"
cp "$out/SettingPyxet.exe" "$out/readme.txt" "$stage/"
# The licence with CR LF and a .txt name, so a double click opens it in Notepad.
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
{
    echo "SettingPyxet $version, built from commit $commit"
    echo "on $PRETTY_NAME (Debian $(cat /etc/debian_version)), x86-64, with these Debian packages:"
    dpkg-query -W -f='  ${Package} ${Version}\n' g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix-runtime \
        binutils-mingw-w64-i686 mingw-w64-i686-dev mingw-w64-common cmake zip
    echo "Rebuild: the same release and package versions, then ./release.sh at that commit."
} | sed 's/$/\r/' >"$stage/BUILDINFO.txt"
sed 's/\r$//' "$stage/BUILDINFO.txt"
entries=(SettingPyxet.exe readme.txt LICENSE.txt BUILDINFO.txt SHA256SUMS)
(cd "$stage" && sha256sum "${entries[@]:0:4}" >SHA256SUMS)  # every entry but itself
chmod 644 "$stage"/*
touch -m -d "@$commit_time" "$stage"/*
# zip writes local times: in UTC they are the same on every machine. -X
# leaves out owner and extra time stamps, -D directory entries.
zip_name=SettingPyxet-$version.zip
mkdir -p dist && rm -f "dist/$zip_name"
(cd "$stage" && TZ=UTC zip -X -D "$PYXET_ROOT/dist/$zip_name" "${entries[@]}") >>build/release.log 2>&1
(cd "$stage" && stat -c '  %-17n %6s bytes' "${entries[@]}")
echo "$PYXET_ROOT/dist/$zip_name"
echo "SHA-256 $(sha256sum "dist/$zip_name" | cut -d ' ' -f 1)"
