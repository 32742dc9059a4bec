#!/usr/bin/env bash
# Proves the README's two commands on a brand-new minimal Debian 12: builds a
# bookworm root filesystem with mmdebstrap (minbase plus git, nothing else),
# clones the repository into it as /root/SettingPyxet and runs ./run.sh, then
# ./test.sh, in a chroot with a clean environment and no display.
#
#   scripts/fresh-machine.sh [--keep] [REPOSITORY]
#
# REPOSITORY is a path or URL to clone (default: the repository this script
# belongs to, its committed HEAD; uncommitted changes are not tested).
# --keep leaves the root filesystem (unmounted) for inspection.
# The root filesystem goes under $PYXET_FRESH_DIR (default /var/tmp).
#
# Needs root, about 5 GB free there and Debian's archive (the host's apt
# sources). Takes several minutes. Every log is in build/fresh-machine/.
# Exits 0 only if both commands passed.
# shellcheck disable=SC2317  # the cleanup functions run from traps
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
logs="$root/build/fresh-machine"
parent=${PYXET_FRESH_DIR:-/var/tmp}
needed_kb=$((5 * 1024 * 1024))
chroot_path=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin

keep=0 source=""
for arg in "$@"; do
    case $arg in
    --keep) keep=1 ;;
    -h | --help) sed -n '2,16s/^# \{0,1\}//p' "$0"; exit 0 ;;
    -*) echo "unknown option: $arg" >&2; exit 2 ;;
    *) source=$arg ;;
    esac
done
if [ -z "$source" ]; then
    source=$root
    [ -z "$(git -C "$root" status --porcelain --untracked-files=no)" ] ||
        echo "note: $root has uncommitted changes; only its committed HEAD is tested"
elif [ -d "$source" ]; then
    source=$(realpath "$source")
fi

[ "$(id -u)" -eq 0 ] || { echo "needs root: it mounts file systems and uses chroot" >&2; exit 2; }

mkdir -p "$logs" "$parent" || exit 2
# Last run's logs would mislead; remove only what this script writes.
rm -rf "$logs"/*.log "$logs/sources.list" "$logs/from-chroot"
if ! command -v mmdebstrap >/dev/null; then
    echo "== installing mmdebstrap from Debian's archive (log: $logs/install-mmdebstrap.log)"
    { apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends mmdebstrap; } \
        >"$logs/install-mmdebstrap.log" 2>&1 || { tail -n 20 "$logs/install-mmdebstrap.log"; exit 2; }
fi
for tool in mmdebstrap git chroot mount umount setsid; do
    command -v "$tool" >/dev/null || { echo "missing on this machine: $tool" >&2; exit 2; }
done

free_kb=$(df -Pk "$parent" | awk 'NR == 2 { print $4 }')
echo "== free space in $parent: $((free_kb / 1024 / 1024)) GB (needs about 5 GB: a finished run takes 3.9)"
if [ "$free_kb" -lt "$needed_kb" ]; then
    echo "not enough space in $parent; set PYXET_FRESH_DIR to a folder with 5 GB free" >&2
    exit 2
fi

# ---- cleanup: runs on every exit, including Ctrl-C and kill -------------

rootfs=""      # set once the folder exists: from then on cleanup owns it
child=""       # the step running now, the leader of its own process group
cleaned=0

# Mount points at or below the root filesystem, in /proc/mounts order
# (a mount always comes after the one it sits on).
mounts_inside() {
    awk -v r="$rootfs" '{ m = $2; gsub(/\\040/, " ", m)
        if (m == r || index(m, r "/") == 1) print m }' /proc/mounts
}

# Processes whose root is the root filesystem: whatever the commands inside
# left running (a wineserver, an Xvfb) would keep the mounts busy.
processes_inside() {
    local p r
    for p in /proc/[0-9]*; do
        r=$(readlink "$p/root" 2>/dev/null) || continue
        if [ "$r" = "$rootfs" ] || [[ $r == "$rootfs"/* ]]; then echo "${p#/proc/}"; fi
    done
}

describe_processes() {  # PID...
    local p
    for p in "$@"; do echo "    $p $(tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | cut -c1-100)"; done
}

# True while the process runs: a zombie waiting to be reaped has ended, but
# kill -0 still finds it.
running() {  # PID
    local state
    state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null) && [ "${state%% *}" != Z ]
}

stop_pids() {  # PID...: TERM, up to 5 s to end, then KILL
    [ $# -gt 0 ] || return 0
    kill -TERM "$@" 2>/dev/null
    local i p alive
    for i in $(seq 50); do
        alive=()
        for p in "$@"; do running "$p" && alive+=("$p"); done
        [ ${#alive[@]} -eq 0 ] && return 0
        sleep 0.1
    done
    kill -KILL "${alive[@]}" 2>/dev/null
    sleep 0.5
}

stop_child() {
    [ -n "$child" ] || return 0
    echo "   stopping the running step (process group $child)"
    kill -TERM -- "-$child" 2>/dev/null
    local i
    for i in $(seq 100); do running "$child" || break; sleep 0.1; done
    kill -KILL -- "-$child" 2>/dev/null
    wait "$child" 2>/dev/null
    child=""
}

# Ends everything still running inside. Several passes: Wine starts a
# service (rpcss.exe) on demand even while its other processes are ending.
stop_processes_inside() {
    local pass left
    for pass in 1 2 3 4 5; do
        left=$(processes_inside)
        [ -n "$left" ] || return 0
        if [ "$pass" -eq 1 ]; then echo "   still running inside, stopping them:"; else echo "   started meanwhile, stopping them too:"; fi
        # shellcheck disable=SC2086
        describe_processes $left
        # shellcheck disable=SC2086
        stop_pids $left
    done
    [ -z "$(processes_inside)" ] || echo "   processes inside would not end: $(processes_inside | tr '\n' ' ')" >&2
}

# The logs the project's scripts leave in their own build/ folder are what a
# failure in the chroot points to: keep them on the host.
save_chroot_logs() {
    local build="$rootfs/root/SettingPyxet/build"
    [ -d "$build" ] || return 0
    mkdir -p "$logs/from-chroot"
    (cd "$build" && find . -path ./wineprefix -prune -o -name '*.log' -size -50M -print0 |
        xargs -0 -r cp --parents -t "$logs/from-chroot")
}

unmount_all() {
    local m
    for _ in 1 2; do
        while read -r m; do
            umount "$m" 2>/dev/null || umount --lazy "$m" 2>/dev/null
        done < <(mounts_inside | tac)
        [ -z "$(mounts_inside)" ] && return 0
    done
    return 1
}

cleanup() {
    [ "$cleaned" -eq 0 ] || return
    cleaned=1
    trap '' INT TERM  # a second Ctrl-C must not leave things half cleaned
    [ -n "$rootfs" ] || return
    echo "== cleaning up $rootfs"
    stop_child
    stop_processes_inside
    save_chroot_logs
    if ! unmount_all; then
        echo "   could not unmount, so nothing is deleted:" >&2
        mounts_inside | sed 's/^/    /' >&2
        return
    fi
    echo "   unmounted everything"
    if [ "$keep" -eq 1 ]; then
        echo "   kept (--keep): $rootfs"
        echo "   delete it with: rm -rf --one-file-system $rootfs"
        return
    fi
    # Checked once more right before deleting: never rm -rf into a mount.
    if [ -n "$(mounts_inside)" ]; then
        echo "   something is mounted inside again; not deleting $rootfs" >&2
        return
    fi
    rm -rf --one-file-system "$rootfs" && echo "   removed $rootfs"
}
on_signal() {  # NAME CODE
    echo
    echo "== interrupted ($1)"
    exit "$2"
}
trap cleanup EXIT
trap 'on_signal INT 130' INT
trap 'on_signal TERM 143' TERM

# Runs a step in its own session (so the cleanup can end all of it by one
# process group id) with its output in LOG; waits in a way signals interrupt.
step() {  # LOG COMMAND...
    local log=$1
    shift
    setsid "$@" >"$log" 2>&1 </dev/null &
    child=$!
    wait "$child"
    local rc=$?
    child=""
    return $rc
}

duration() {  # SECONDS
    printf '%dm %02ds' $(($1 / 60)) $(($1 % 60))
}

# ---- the host's apt sources, Debian 12's archive only -----------------------

# Prints every "deb" entry of the host's apt sources, one-line format, from
# sources.list, *.list and deb822 *.sources alike.
host_apt_entries() {
    local files=()
    [ -f /etc/apt/sources.list ] && files+=(/etc/apt/sources.list)
    for f in /etc/apt/sources.list.d/*.list; do [ -f "$f" ] && files+=("$f"); done
    [ ${#files[@]} -gt 0 ] && sed -E -n 's/#.*//; s/[[:space:]]+$//; /^[[:space:]]*deb[[:space:]]/p' "${files[@]}"
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk '
        function flush(   i, j, nu, ns, u, s, opt) {
            if (types ~ /(^| )deb( |$)/ && tolower(enabled) != "no") {
                opt = ""
                if (signed != "" && !multiline) opt = opt " signed-by=" signed
                if (arch != "") { gsub(/ +/, ",", arch); opt = opt " arch=" arch }
                if (opt != "") opt = "[" substr(opt, 2) "] "
                nu = split(uris, u, " "); ns = split(suites, s, " ")
                for (i = 1; i <= nu; i++) for (j = 1; j <= ns; j++)
                    print "deb " opt u[i] " " s[j] " " comps
            }
            types = uris = suites = comps = signed = arch = enabled = ""; multiline = 0; field = ""
        }
        /^#/ { next }
        /^[ \t]*$/ { flush(); next }
        /^[ \t]/ { if (field == "signed-by") multiline = 1; next }  # continuation line
        {
            field = tolower(substr($0, 1, index($0, ":") - 1))
            value = substr($0, index($0, ":") + 1); gsub(/^[ \t]+|[ \t]+$/, "", value)
            if (field == "types") types = value
            else if (field == "uris") uris = value
            else if (field == "suites") suites = value
            else if (field == "components") comps = value
            else if (field == "signed-by") signed = value
            else if (field == "architectures") arch = value
            else if (field == "enabled") enabled = value
        }
        END { flush() }' "$f"
    done
}

# A fresh Debian 12 knows only Debian's own archive; other repositories need
# keys it does not have. Keeps the entries whose suite is bookworm*.
debian_entries() {
    local line words suite i
    while read -r line; do
        read -ra words <<<"$line"
        i=1
        if [[ ${words[1]} == "["* ]]; then
            while [ $i -lt ${#words[@]} ] && [[ ${words[i]} != *"]" ]]; do i=$((i + 1)); done
            i=$((i + 1))
        fi
        suite=${words[i + 1]:-}
        if [[ $suite == bookworm* ]]; then echo "$line"; else echo "   leaving out: $line" >&2; fi
    done < <(host_apt_entries)
}

echo "== apt sources for the new machine (from the host's)"
debian_entries >"$logs/sources.list"
if [ ! -s "$logs/sources.list" ]; then
    echo "the host's apt sources name no Debian 12 (bookworm) archive" >&2
    exit 2
fi
sed 's/^/   /' "$logs/sources.list"

# ---- the machine ------------------------------------------------------------

rootfs=$(mktemp -d "$parent/pyxet-fresh.XXXXXX") || exit 2
rootfs=$(realpath "$rootfs")
case $rootfs in *[[:space:]]*) echo "the folder name must not contain blanks: $rootfs" >&2; exit 2 ;; esac

echo "== building a minimal Debian 12 in $rootfs (about 30 s; log: build/fresh-machine/mmdebstrap.log)"
t0=$SECONDS
if ! step "$logs/mmdebstrap.log" mmdebstrap --variant=minbase --include=git bookworm "$rootfs" "$logs/sources.list"; then
    echo "mmdebstrap failed:" >&2
    tail -30 "$logs/mmdebstrap.log" >&2
    exit 1
fi
echo "   done in $(duration $((SECONDS - t0))), $(du -sm --one-file-system "$rootfs" | cut -f1) MB"

# apt inside needs a name server; mmdebstrap normally copies the host's.
[ -s "$rootfs/etc/resolv.conf" ] || cp -L /etc/resolv.conf "$rootfs/etc/resolv.conf"
# No service a package installs may start inside the chroot: it would outlive
# the commands and keep the mounts busy. A real machine's services are not
# what is being tested.
printf '#!/bin/sh\nexit 101\n' >"$rootfs/usr/sbin/policy-rc.d"
chmod 755 "$rootfs/usr/sbin/policy-rc.d"

echo "== cloning $source into /root/SettingPyxet"
if ! git clone --quiet --no-hardlinks "$source" "$rootfs/root/SettingPyxet" >"$logs/clone.log" 2>&1; then
    cat "$logs/clone.log" >&2
    exit 1
fi
commit=$(git -C "$rootfs/root/SettingPyxet" log -1 --format='%h %s')
echo "   at $commit"

echo "== mounting proc, sys, dev, dev/pts, dev/shm and tmp inside"
mount_all() {
    mount -t proc proc "$rootfs/proc" &&
        mount -t sysfs sysfs "$rootfs/sys" &&
        mount --bind /dev "$rootfs/dev" &&
        # Private, so the mounts below never show up in the host's /dev.
        mount --make-private "$rootfs/dev" &&
        mount -t devpts -o newinstance,ptmxmode=0666,mode=0620,gid=5 devpts "$rootfs/dev/pts" &&
        # /dev/ptmx must open this devpts instance, not the host's.
        mount --bind "$rootfs/dev/pts/ptmx" "$rootfs/dev/ptmx" &&
        mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs "$rootfs/dev/shm" &&
        mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs "$rootfs/tmp"
}
mount_all || { echo "mounting failed" >&2; exit 1; }

names=() codes=() times=() logfiles=()
# Runs one of the README's commands as a developer would after logging in:
# root, a clean environment, no DISPLAY.
run_readme_command() {  # COMMAND LOGNAME WHAT
    local log="$logs/$2.log" t0=$SECONDS rc took
    echo "== $1 in the chroot: $3 (log: build/fresh-machine/$2.log)"
    step "$log" chroot "$rootfs" /usr/bin/env -i HOME=/root PATH="$chroot_path" TERM=dumb \
        /bin/bash -c "cd /root/SettingPyxet && $1"
    rc=$? took=$((SECONDS - t0))
    names+=("$1") codes+=("$rc") times+=("$took") logfiles+=("build/fresh-machine/$2.log")
    echo "   exit $rc after $(duration "$took")"
    local left
    left=$(processes_inside)
    if [ -n "$left" ]; then
        echo "   left running by $1:"
        # shellcheck disable=SC2086
        describe_processes $left
    fi
}

run_readme_command ./run.sh run "installs the packages, builds, photographs the window (several minutes)"
run_readme_command ./test.sh test "builds all presets and runs every suite (several minutes)"

echo "   the machine now takes $(du -sm --one-file-system "$rootfs" | cut -f1) MB"

echo
echo "== results for $commit"
failed=0
for i in "${!names[@]}"; do
    if [ "${codes[i]}" -eq 0 ]; then verdict=passed; else verdict=FAILED; failed=1; fi
    printf '%-9s %s (exit %s) in %s; full output: %s\n' "${names[i]}" "$verdict" "${codes[i]}" \
        "$(duration "${times[i]}")" "${logfiles[i]}"
    tail -15 "$root/${logfiles[i]}" | sed 's/^/    | /'
done
save_chroot_logs
echo "the logs the commands wrote inside are copied to build/fresh-machine/from-chroot/"
exit $failed
