# shellcheck shell=bash
# Sourced by every script here: the facts they share and the jobs more than one of them does (installing what is
# missing, building a preset, reading a suite's result, a private X display, the Wine every run here uses).

PYXET_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
PYXET_TEMPLATE=$PYXET_ROOT/build/wineprefix            # made once, copied for every use
PYXET_PREFIX_MADE=.pyxet-prefix-v3                      # in a prefix once it is complete
PYXET_WINE_LOG=$PYXET_ROOT/build/wine-prepare.log

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# Whether the kernel runs 32-bit x86 programs (some are built without it, and
# then no 32-bit Wine starts): asks it with a 96-byte i386 ELF that exits 42.
kernel_runs_32bit() {
    local probe elf='\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08\x34\0\0\0'
    elf+='\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08'
    elf+='\x60\0\0\0\x60\0\0\0\x05\0\0\0\0\x10\0\0\xb8\x01\0\0\0\xbb\x2a\0\0\0\xcd\x80'  # exit(42)
    mkdir -p "$PYXET_ROOT/build" && probe=$(mktemp "$PYXET_ROOT/build/.probe32.XXXXXX")  # /tmp may be noexec
    printf '%b' "$elf" >"$probe" && chmod +x "$probe"
    local status=0 && { "$probe" 2>/dev/null || status=$?; }
    rm -f "$probe" && [ "$status" -eq 42 ]
}

package_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# Installs the Debian packages named that are missing (none: no network); apt says how at the end of build/install.log.
install_missing() {  # PACKAGE...
    local missing=() p log=$PYXET_ROOT/build/install.log t0=$SECONDS
    for p in "$@"; do package_installed "$p" || missing+=("$p"); done
    [ ${#missing[@]} -gt 0 ] || return 0
    mkdir -p "$PYXET_ROOT/build"
    echo "== installing ${#missing[@]} packages from Debian's archive (minutes on a new machine; log: build/install.log):"
    echo "   ${missing[*]}"
    # 32-bit Wine comes from the i386 side of the archive. An index that fails to
    # come (a mirror in mid-sync) fails only the packages that need it.
    if ! { if [[ "${missing[*]}" == *:i386* ]]; then sudo_if_needed dpkg --add-architecture i386; fi &&
        { sudo_if_needed apt-get update || true; } &&
        sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
    } >>"$log" 2>&1; then
        tail -n 30 "$log" && echo "the install failed; the whole log is $log" && return 1
    fi
    echo "   installed in $((SECONDS - t0)) s"
}

# What scripts/packages.txt lists for LEVEL (run: building and showing the
# program; test: all of it), 32-bit Wine where the kernel runs it, and the
# Japanese locale: Wine turns Windows file names into Unix ones through the
# C library's character set; without it a Japanese folder is "not found".
ensure_packages() {  # run|test
    case ${1:-} in run | test) ;; *) echo "ensure_packages: run or test, not '${1:-}'" >&2 && return 2 ;; esac
    # shellcheck disable=SC2046  # one package a word
    install_missing $(awk -v level="$1" '!/^[[:space:]]*(#|$)/ && ($2 == "run" || level == "test") { print $1 }' \
        "$PYXET_ROOT/scripts/packages.txt") || return 1
    # On its own: where the archive cannot give it, why_no_32bit says so and the win32 suite is skipped.
    ! kernel_runs_32bit || install_missing wine32:i386 || echo "== without 32-bit Wine the win32 suite will be skipped"
    local name && for name in ja_JP $([ "$1" = run ] || echo hi_IN); do  # hi_IN: the tests' code page 65001
        locale -a 2>/dev/null | grep -qx "$name.utf8" && continue
        echo "== generating the $name.UTF-8 locale" && sudo_if_needed localedef -i "$name" -f UTF-8 "$name.UTF-8"
    done
}

# Configures and builds PRESET of the current folder into DIR (build/PRESET if
# none), only the TARGETs if given; output to LOG, its end printed on failure.
# With the tests unless PYXET_TESTS=OFF, said each time: a folder keeps the
# last value, and configuring the tests needs googletest installed.
build_preset() {  # LOG PRESET [DIR [TARGET...]]
    local log=$1 preset=$2 dir=${3:-build/$2} targets=()
    shift $(($# < 3 ? $# : 3))
    [ $# -eq 0 ] || targets=(--target "$@")
    mkdir -p "$(dirname "$log")"
    { cmake --preset "$preset" -B "$dir" -DPYXET_TESTS="${PYXET_TESTS:-ON}" && cmake --build "$dir" -j "$(nproc)" "${targets[@]}"; } >"$log" 2>&1 &&
        return 0
    tail -n 40 "$log" && echo "(the whole log: $log)" && return 1
}

# Runs a preset's suite, its output in LOG. Its result is CTest's closing
# line, "N% tests passed, F tests failed out of T", read below.
run_ctest() {  # LOG PRESET [CTEST-OPTION...]
    ctest --preset "${@:2}" >"$1" 2>&1 || true
}
ctest_counts() {  # LOG: prints "FAILED TOTAL", or nothing when no test ran
    sed -n -E 's/.* tests passed, ([0-9]+) tests failed out of ([0-9]+).*/\1 \2/p' "$1" | tail -n 1
}
ctest_failed() {  # LOG: one failed test a line, "NAME<tab>HOW" (Failed, Timeout, ...)
    sed -n '/The following tests FAILED:/,$p' "$1" |
        sed -n -E 's/^[[:space:]]*[0-9]+ - (.+) \(([^)]*)\)[[:space:]]*$/\1\t\2/p'
}
ctest_failures_told() {  # LOG: what each failed test printed, then CTest's list of them
    awk '/^ *[0-9]+\/[0-9]+ Test +#/ { show = /\*\*\*/ } /^ +Start +[0-9]+:/ { show = 0 } show && n++ < 200' "$1"
    sed -n '/The following tests FAILED/,$p' "$1"
}

# Starts Xvfb on a free display (-displayfd writes its number to fd 3) that
# only holders of a fresh cookie may use: any local user could otherwise
# watch the windows under test or type into them. Xvfb takes every cookie of
# its -auth file, whatever display an entry names; clients look theirs up by
# number, added once it is known. DIR keeps the number, the file (its owner's alone), the pid.
display_start() {  # DIR
    local cookie && cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
    mkdir -p "$1" && rm -f "$1/display" && (umask 077 && : >"$1/auth") && xauth -q -f "$1/auth" add :0 . "$cookie" || return 1
    setsid Xvfb -displayfd 3 -auth "$1/auth" -screen 0 1024x768x24 -nolisten tcp 3>"$1/display" </dev/null >/dev/null 2>&1 &
    echo $! >"$1/pid"
    for _ in $(seq 100); do
        [ -s "$1/display" ] && xauth -q -f "$1/auth" add ":$(cat "$1/display")" . "$cookie" && display_use "$1" && return 0
        sleep 0.1
    done
    echo "Xvfb did not start" >&2 && return 1
}
display_use() { DISPLAY=":$(cat "$1/display")" XAUTHORITY=$(realpath "$1/auth") && export DISPLAY XAUTHORITY; }  # DIR
display_stop() { if [ -f "$1/pid" ]; then kill "$(cat "$1/pid")" 2>/dev/null || true; fi; rm -f "$1/pid" "$1/display" "$1/auth"; }

# Quiet, but for what a crash says ("wine: Unhandled ...") and the errors of
# exceptions and stack overflows, which the tests fail on. Never offer to
# install Mono or Gecko. The 64-bit loader named directly: Debian's
# /usr/bin/wine takes the 32-bit one whenever wine32 is installed, even where
# the kernel cannot run it; the 64-bit one hands 32-bit programs on by itself.
export WINEDEBUG=-all,err+seh,err+virtual WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER=/usr/lib/wine/wine64
export WINEPREFIX=$PYXET_TEMPLATE

# With the ANSI code page 932, so Shift_JIS bytes pass the A calls unchanged,
# and no address randomization: that may start the 64-bit loader's heap on
# Wine's shared user data, and no process starts ("failed to map ...").
# A test may ask for another code page: PYXET_LC_ALL=C.UTF-8 gives 1252 (a Western Windows), hi_IN.UTF-8 65001.
wine_ja() { unprivileged env LC_ALL="${PYXET_LC_ALL:-ja_JP.UTF-8}" setarch -R "$WINELOADER" "$@"; }

# Wine runs as a Windows user without administrator rights runs. As root, with
# no capabilities, none to regain: permission bits then refuse root what they
# refuse anyone, and nothing needs another user or wider access.
unprivileged() {
    if [ "$(id -u)" -ne 0 ]; then "$@"; else setpriv --no-new-privs --inh-caps=-all --bounding-set=-all "$@"; fi
}

# The Windows path of a Linux file or folder: Wine's drive Z: is the root.
windows_path() { local p; p=$(realpath "$1") && echo "Z:${p//\//\\}"; }

# Runs a Wine command on the template up to three times, its output in the
# log: on a prefix still being made, Debian's Wine can fail once and pass
# when repeated ("fixed a temporary directory error").
wine_logged() {
    for _ in 1 2 3; do echo "\$ $*" >>"$PYXET_WINE_LOG" && WINEPREFIX=$PYXET_TEMPLATE wine_ja "$@" >>"$PYXET_WINE_LOG" 2>&1 && return 0; done
    return 1
}

# Makes the template prefix once (about a minute). Without a window manager
# (Xvfb) a managed window makes Wine wait 2 s on every hide or close; a
# crash is told on stderr, where the tests look for it, not in a dialog.
make_template() {
    [ -f "$PYXET_TEMPLATE/$PYXET_PREFIX_MADE" ] && return 0
    echo "== making the Wine prefix build/wineprefix (about a minute, once)" >&2
    rm -rf "$PYXET_TEMPLATE"
    wine_logged wineboot -i &&
        wine_logged reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
        wine_logged reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f &&
        WINEPREFIX=$PYXET_TEMPLATE wineserver -w && touch "$PYXET_TEMPLATE/$PYXET_PREFIX_MADE"
}

# Makes WINEPREFIX a copy of the template: every suite, run.sh and bench.sh
# have their own, so each has its own wineserver and desktop. One maker at a
# time, and what Wine starts lives on, so none of it may hold the lock.
wine_prefix() {
    [ -f "$WINEPREFIX/$PYXET_PREFIX_MADE" ] && [ -O "$WINEPREFIX" ] && return 0  # Wine runs only its owner's
    mkdir -p "$PYXET_ROOT/build"
    if ! (flock 9 && make_template 9>&- </dev/null) 9>"$PYXET_ROOT/build/.wineprefix.lock"; then
        tail -n 60 "$PYXET_WINE_LOG" && echo "making the Wine prefix failed; all Wine said is in $PYXET_WINE_LOG" && return 1
    fi >&2
    [ "$WINEPREFIX" = "$PYXET_TEMPLATE" ] || { rm -rf "$WINEPREFIX" && mkdir -p "${WINEPREFIX%/*}" && cp -a "$PYXET_TEMPLATE" "$WINEPREFIX"; }
}

# A fresh wineserver for WINEPREFIX with Wine's services, so later starts take
# a fraction of a second. Their output goes to the log, or they would hold a
# test's output pipe and CTest wait for them. Their desktop takes this DISPLAY.
wine_start() {
    wine_prefix || return 1
    wine_stop
    unprivileged wineserver -p >>"$PYXET_WINE_LOG" 2>&1 || true  # fails only when one runs already
    wine_ja wineboot >>"$PYXET_WINE_LOG" 2>&1
}
wine_stop() { unprivileged wineserver -k 2>/dev/null || true; unprivileged wineserver -w 2>/dev/null || true; }

# Without capabilities root writes only where permission bits let it; earlier
# runs as root handed the folders the tests write (build/PRESET/e2e, scratch)
# to a user of their own.
own_test_folders() {  # BUILD_DIR
    [ "$(id -u)" -ne 0 ] || find "$1/e2e" "$1/scratch" ! -user 0 -exec chown -h 0:0 {} + 2>/dev/null || true
}

# Ends the wineserver and the display of each build folder DIR, so nothing is
# left running, even after an interrupt.
stop_wine_in() {  # DIR...
    local dir
    for dir in "$@"; do
        [ ! -d "$dir/wineprefix" ] || WINEPREFIX=$(realpath "$dir/wineprefix") wine_stop && display_stop "$dir/xvfb"
    done
}

# Why this machine cannot run 32-bit Windows programs, or nothing when it can
# (with quick=1, without starting one).
why_no_32bit() {
    if ! kernel_runs_32bit; then
        echo "this machine's kernel cannot run 32-bit x86 programs"
    elif ! package_installed wine32:i386; then
        echo "32-bit Wine (wine32:i386) could not be installed from Debian's archive (build/install.log)"
    elif [ -z "${quick:-}" ] && { ! wine_prefix || ! wine_ja 'C:\windows\syswow64\hostname.exe' >"$PYXET_ROOT/build/wine32-check.log" 2>&1; }; then
        echo "Wine did not start a 32-bit program (build/wine32-check.log)"
    fi
}
