#!/usr/bin/env bash
# Proves the README's two commands on brand-new minimal Debian machines. For each release given (12, 13; by
# default both, one after the other) mmdebstrap builds a minbase root filesystem with git from the host's apt
# sources (their suite names changed to the release's), and its customize hook clones this repository's
# committed HEAD into it and runs ./run.sh, ./test.sh, then ./release.sh in a chroot with a clean environment
# and no display. The first ./run.sh must leave clang, googletest and shellcheck (the tests' own) out.
# mmdebstrap mounts what the chroot needs, then unmounts and deletes it all, after an interrupt too.
#   scripts/fresh-machine.sh [12|13]...
# Needs root, Debian's archive and about 5 GB free in TMPDIR (default /var/tmp). Logs: build/fresh-machine/<release>/,
# with the commands' own logs and the zip in its build/. Exits 0 only if all passed on every release.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Ends whatever still runs inside the root filesystem (a wineserver, an
# Xvfb): it would keep mmdebstrap's mounts busy. Twice: Wine starts a service
# on demand while its other processes end.
stop_inside() {  # ROOTFS
    local _ p
    [ -d "$1" ] || return 0
    for _ in 1 2; do
        for p in /proc/[0-9]*; do
            [ "$(readlink "$p/root" 2>/dev/null)" != "$1" ] || kill -KILL "${p#/proc/}" 2>/dev/null || true
        done && sleep 1
    done
}

# The customize hook, run by mmdebstrap on the host: ROOTFS is the new
# machine, DIR the host folder for its logs and results.
inside() {  # ROOTFS DIR
    local dir=$2 step rc t0
    rootfs=$1  # global: the trap runs after this function has returned
    trap 'stop_inside "$rootfs"' EXIT
    trap 'exit 130' INT TERM
    git clone -q --no-hardlinks "$PYXET_ROOT" "$rootfs/root/SettingPyxet"
    [ -s "$rootfs/etc/resolv.conf" ] || cp -L /etc/resolv.conf "$rootfs/etc/resolv.conf"  # apt needs a name server
    for step in run test release; do
        echo "   ./$step.sh (log: build/fresh-machine/$(basename "$dir")/$step.log)" 2>/dev/null >&3 || true
        t0=$SECONDS rc=0
        chroot "$rootfs" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
            TERM=dumb /bin/bash -c "cd /root/SettingPyxet && ./$step.sh" >"$dir/$step.log" 2>&1 </dev/null || rc=$?
        echo "$step $rc $((SECONDS - t0))" >>"$dir/results"
        # Which of the tests' own packages the first run.sh left installed: none, if it installed only its own.
        if [ "$step" = run ]; then
            chroot "$rootfs" dpkg-query -W -f="\${db:Status-Abbrev} \${Package}\n" clang googletest shellcheck 2>/dev/null |
                awk '/^ii/ { print $2 }' >"$dir/test-packages-after-run" || true
            cp "$rootfs/root/SettingPyxet/build/install.log" "$dir/run-install.log" 2>/dev/null || true  # test.sh writes its own
        fi
    done
    { chroot "$rootfs" /usr/lib/wine/wine64 --version || echo "no Wine"; } >"$dir/wine-version" 2>&1
    { chroot "$rootfs" dpkg-query -W -f="\${Version}" g++-mingw-w64-i686-posix || echo "none"; } >"$dir/gcc-version" 2>&1
    mkdir -p "$dir/build"  # the logs the commands left in their build/ folder
    cp "$rootfs"/root/SettingPyxet/build/*.log "$rootfs"/root/SettingPyxet/dist/*.zip "$dir/build/" 2>/dev/null || true
    stop_inside "$rootfs"
}

if [ "${1:-}" = --inside ]; then inside "$2" "$3"; exit; fi  # not in an && list: set -e holds inside

[ "$(id -u)" -eq 0 ] || { echo "needs root: mmdebstrap mounts file systems and the commands run in a chroot" >&2; exit 2; }
releases=("$@")
[ $# -gt 0 ] || releases=(12 13)
declare -A codename=([12]=bookworm [13]=trixie)
host=$(. /etc/os-release && echo "$VERSION_CODENAME")
logs=$PYXET_ROOT/build/fresh-machine && mkdir -p "$logs"
install_missing mmdebstrap
export TMPDIR=${TMPDIR:-/var/tmp}
free_gb=$(($(df -Pk "$TMPDIR" | awk 'NR == 2 { print $4 }') / 1024 / 1024))
[ "$free_gb" -ge 5 ] || { echo "$TMPDIR has $free_gb GB free, a machine needs 5: set TMPDIR to a roomier folder" >&2; exit 2; }
[ -z "$(git -C "$PYXET_ROOT" status --porcelain --untracked-files=no)" ] || echo "note: only the committed HEAD is tested"
commit=$(git -C "$PYXET_ROOT" log -1 --format='%h %s')

exec 3>&1  # the hook's progress lines reach the terminal through it
failed=0
for release in "${releases[@]}"; do
    suite=${codename[$release]:-} dir=$logs/$release t0=$SECONDS
    [ -n "$suite" ] || { echo "unknown release $release: give 12 or 13" >&2; exit 2; }
    rm -rf "$dir" && mkdir -p "$dir" && touch "$dir/results"
    # Debian's own entries of the host's apt sources, for the release's suites.
    cat /etc/apt/sources.list /etc/apt/sources.list.d/debian.sources 2>/dev/null |
        sed -E "s/(^|[[:space:]])$host/\\1$suite/g" >"$dir/sources" || true
    grep -q "$suite" "$dir/sources" || { echo "the host's apt sources name no Debian $host archive" >&2; exit 2; }
    echo "== Debian $release ($suite) at $commit: a minimal machine by mmdebstrap in $TMPDIR," \
         "then the commands in it (minutes; log: build/fresh-machine/$release/mmdebstrap.log)"
    mmdebstrap --variant=minbase --include=git "$suite" /dev/null "$dir/sources" \
        --customize-hook="\"$PYXET_ROOT/scripts/fresh-machine.sh\" --inside \"\$1\" \"$dir\"" >"$dir/mmdebstrap.log" 2>&1 ||
        { echo "   mmdebstrap failed:" "$(tail -n 5 "$dir/mmdebstrap.log")" && failed=1; }
    line="Debian $release: $(cat "$dir/wine-version" 2>/dev/null), mingw-w64 GCC $(cat "$dir/gcc-version" 2>/dev/null)"
    while read -r step rc took; do
        if [ "$rc" -eq 0 ]; then line+="; ./$step.sh passed"; else line+="; ./$step.sh FAILED (exit $rc)" failed=1; fi
        if [ "$step" = run ]; then
            n=$(sed -n -E 's/^== installing ([0-9]+) packages.*/\1/p' "$dir/run.log" | head -n 1)
            line+=", installing ${n:-no} packages ($(grep -o -m 1 '[0-9]* newly installed' "$dir/run-install.log" || echo "0 newly installed") by apt)"
            if [ -s "$dir/test-packages-after-run" ]; then
                line+=" with the tests' $(paste -sd ' ' "$dir/test-packages-after-run") (FAILED)" failed=1
            else line+=", none of clang, googletest, shellcheck"; fi
        fi
        [ "$step" != test ] || line+=", \"$(tail -n 1 "$dir/test.log")\""
        [ "$step" != release ] || line+=", zip $(grep -o -m 1 'SHA-256 [0-9a-f]\{12\}' "$dir/release.log" || true)…"
        line+=" in $((took / 60))m$((took % 60))s"
    done <"$dir/results"
    [ "$(wc -l <"$dir/results")" -eq 3 ] || failed=1
    echo "$line (all: $(((SECONDS - t0) / 60))m$(((SECONDS - t0) % 60))s)" | tee "$dir/result"
done
echo "== results for $commit"
for release in "${releases[@]}"; do cat "$logs/$release/result"; done
exit $failed
