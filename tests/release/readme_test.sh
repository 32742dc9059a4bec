#!/usr/bin/env bash
# Checks the bytes of the readme.txt the release zip ships, which Notepad on a
# Japanese Windows must show as it is: Shift_JIS (CP932), no byte-order mark,
# CR LF after every line, and the keys, values, defaults and messages a user
# looks for.
#   readme_test.sh BUILT_README UTF8_SOURCE VERSION
# Japanese text is written here as its Shift_JIS bytes, the text beside it.
set -u
readme=$1 source=$2 version=$3
export LC_ALL=C
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

[ -s "$readme" ] || { echo "FAIL: $readme is missing or empty"; exit 1; }

iconv -f CP932 -t UTF-8 "$readme" >/dev/null 2>&1 || fail "does not decode as CP932"
[ "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" != efbbbf ] || fail "starts with a UTF-8 byte-order mark"

# CR LF everywhere: as many CRs as LFs, each line's CR right before its LF,
# and the file ends in CR LF.
crs=$(tr -cd '\r' <"$readme" | wc -c)
lfs=$(tr -cd '\n' <"$readme" | wc -c)
cr_lf_lines=$(grep -c $'\r$' "$readme")
[ "$crs" -eq "$lfs" ] && [ "$cr_lf_lines" -eq "$lfs" ] ||
    fail "line ends: $lfs LF, $crs CR, $cr_lf_lines lines ending in CR LF"
[ "$(tail -c 2 "$readme" | od -An -tx1 | tr -d ' ')" = 0d0a ] || fail "the last line does not end in CR LF"

[ "$(head -n 1 "$readme")" = "SettingPyxet $version"$'\r' ] || fail "line 1 is not \"SettingPyxet $version\""

# Nothing lost or changed on the way: decoded, it is the source again.
iconv -f CP932 -t UTF-8 "$readme" 2>/dev/null | tr -d '\r' |
    cmp -s - <(sed "s/@PROJECT_VERSION@/$version/" "$source") || fail "does not decode back to $source"

has_bytes() {  # description bytes(printf escapes)
    grep -qF -- "$(printf "$2")" "$readme" || fail "does not contain $1"
}

# Every value of every key, and each key's default marked as such.
for pair in QC=on QC=off NW=all NW=non NW=first Title=all Title=quick Movie=on Movie=off PrintP=on PrintP=off; do
    has_bytes "$pair" "$pair"
done
defaulted='\x81\x69\x8a\xf9\x92\xe8\x92\x6c\x81\x6a'  # （既定値）
for pair in QC=off NW=first Title=quick Movie=off PrintP=off; do
    has_bytes "$pair（既定値）" "$pair$defaulted"
done

# The program's messages, their caption and its push buttons.
has_bytes "設定を保存しました。" '\x90\xdd\x92\xe8\x82\xf0\x95\xdb\x91\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42'
has_bytes "設定の保存に失敗しました。" '\x90\xdd\x92\xe8\x82\xcc\x95\xdb\x91\xb6\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42'
has_bytes "Setting Pyxet" 'Setting Pyxet'
has_bytes "「設定」" '\x81\x75\x90\xdd\x92\xe8\x81\x76'
has_bytes "「キャンセル」" '\x81\x75\x83\x4c\x83\x83\x83\x93\x83\x5a\x83\x8b\x81\x76'
has_bytes "pyxet.ini" 'pyxet.ini'
has_bytes "Pyxet.exe" 'Pyxet.exe'

if [ "$failures" -ne 0 ]; then
    echo "$readme: $failures check(s) failed"
    exit 1
fi
echo "$readme: $lfs lines, Shift_JIS, CR LF, keys and messages present"
