# Sourced by the scripts that run Windows programs: the Wine settings every
# run here shares. Needs PYXET_ROOT, the repository's top folder.
export WINEPREFIX="$PYXET_ROOT/build/wineprefix"
# Quiet, but for what a crash says ("wine: Unhandled ...") and the errors of
# exceptions and stack overflows, which the tests fail on.
export WINEDEBUG=-all,err+seh,err+virtual
# Never offer to install Mono or Gecko into a new prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="

# The 64-bit loader, named directly: Debian's /usr/bin/wine takes the 32-bit
# one whenever wine32 is installed, even where the kernel cannot run it. The
# 64-bit loader hands a 32-bit program on to the 32-bit one by itself.
export WINELOADER=/usr/lib/wine/wine64

# Runs a Wine command with the ANSI code page 932, so Shift_JIS bytes pass
# the A calls unchanged.
wine_ja() { env LC_ALL=ja_JP.UTF-8 "$@"; }

# The Windows path of a Linux file or folder: Wine's drive Z: is the root.
windows_path() { local p; p=$(realpath "$1") && echo "Z:${p//\//\\}"; }

# Where the prefix's preparation writes everything Wine says; printed when
# it fails, since that is the only trace a first run on a new machine leaves.
PYXET_WINE_LOG="$PYXET_ROOT/build/wine-prepare.log"

# Runs a Wine command up to three times, its output into the log. A command
# on a prefix that is still being made can fail once and pass when repeated
# (Debian's Wine says "fixed a temporary directory error, please try running
# the same command again").
wine_logged() {
    local attempt status
    for attempt in 1 2 3; do
        echo "\$ $* (attempt $attempt)" >>"$PYXET_WINE_LOG"
        wine_ja "$@" >>"$PYXET_WINE_LOG" 2>&1
        status=$?
        [ $status -eq 0 ] && return 0
        echo "exit code $status" >>"$PYXET_WINE_LOG"
    done
    return $status
}

# Makes the private prefix once (about 30 s): Wine's own files and the
# settings every run here needs.
wine_prefix_create() {
    [ -f "$WINEPREFIX/.pyxet-prefix-v2" ] && return 0
    wine_logged "$WINELOADER" wineboot -i || return 1
    # Without a window manager (Xvfb), a managed window makes Wine wait 2 s
    # on every hide or close.
    wine_logged "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f || return 1
    # A crash is reported on stderr, where the tests look for it, instead of
    # in a dialog that would wait for a click nobody makes.
    wine_logged "$WINELOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f ||
        return 1
    wineserver -w
    touch "$WINEPREFIX/.pyxet-prefix-v2"
}

# Starts a fresh wineserver with Wine's own services, so every later start
# takes a fraction of a second. The services are started here with their
# output in the log: if a test's first program started them, they would
# inherit its output pipe and whoever reads that pipe (CTest) would wait for
# them to end. The desktop that starts with them takes the DISPLAY of this
# moment: with none, no window of this server's programs appears anywhere.
wine_server_start() {
    # A server left from an earlier run may hold a desktop on a display that
    # is gone: start afresh.
    wineserver -k >>"$PYXET_WINE_LOG" 2>&1
    wineserver -w
    # Exit code 2: a server already runs (a program started one meanwhile).
    wineserver -p >>"$PYXET_WINE_LOG" 2>&1
    local status=$?
    [ $status -eq 0 ] || [ $status -eq 2 ] || { echo "wineserver -p: exit code $status" >>"$PYXET_WINE_LOG"; return 1; }
    wine_logged "$WINELOADER" wineboot
}

# Runs the steps given (functions above) one caller at a time, with Wine's
# output in the log. What Wine starts here lives on, so none of it may
# inherit the lock (9>&-). On failure, prints what Wine said.
wine_prepare() {
    mkdir -p "$PYXET_ROOT/build"
    echo "== $(date -u '+%F %T') $* for $WINEPREFIX (DISPLAY=${DISPLAY:-none})" >>"$PYXET_WINE_LOG"
    local from step
    from=$(wc -l <"$PYXET_WINE_LOG")
    if ! (
        flock 9
        for step in "$@"; do "$step" 9>&- || exit 1; done
    ) 9>"$PYXET_ROOT/build/.wineprefix.lock" </dev/null; then
        echo "preparing the Wine prefix failed; what Wine said (all of it in $PYXET_WINE_LOG):" >&2
        tail -n "+$((from + 1))" "$PYXET_WINE_LOG" | tail -n 60 >&2
        return 1
    fi
}

# The prefix made, and a fresh server with Wine's services on this DISPLAY.
wine_prefix_ready() { wine_prepare wine_prefix_create wine_server_start; }

# Why this machine cannot run 32-bit Windows programs, or nothing when it
# can. Needs the prefix made.
why_no_32bit() {
    if ! kernel_runs_32bit; then
        echo "this machine's kernel cannot run 32-bit x86 programs"
    elif ! wine_ja "$WINELOADER" 'C:\windows\syswow64\hostname.exe' >"$PYXET_ROOT/build/wine32-check.log" 2>&1; then
        echo "Wine did not start a 32-bit program (build/wine32-check.log)"
    fi
}

wine_stop() { wineserver -k 2>/dev/null || true; }
