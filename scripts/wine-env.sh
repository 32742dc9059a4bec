# Sourced by the scripts that run Windows programs: the Wine settings every
# run here shares. Needs PYXET_ROOT, the repository's top folder.
export WINEPREFIX="$PYXET_ROOT/build/wineprefix"
export WINEDEBUG=-all
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

# Creates the private prefix once (about 10 s), then keeps one wineserver and
# Wine's own services running, so every later start takes a fraction of a
# second. The services are started here with their output on /dev/null: if a
# test's first program started them, they would inherit its output pipe and
# whoever reads that pipe (CTest) would wait for them to end. The desktop
# that starts with them takes the DISPLAY of this moment: with none, no
# window of this wineserver's programs can appear on any display.
wine_prefix_ready() {
    mkdir -p "$PYXET_ROOT/build"
    (
        flock 9
        # What Wine starts here lives on, so none of it may inherit the lock (9>&-).
        if [ ! -f "$WINEPREFIX/.pyxet-ready" ]; then
            wine_ja "$WINELOADER" wineboot -i 9>&-
            # Without a window manager (Xvfb), a managed window makes Wine wait
            # 2 s on every hide or close.
            wine_ja "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f 9>&-
            wineserver -w 9>&-
            touch "$WINEPREFIX/.pyxet-ready"
        fi
        # A server left from an earlier run may hold a desktop on a display
        # that is gone: start afresh.
        wineserver -k 9>&- || true
        wineserver -w 9>&-
        wineserver -p 9>&-
        wine_ja "$WINELOADER" wineboot 9>&-
    ) 9>"$PYXET_ROOT/build/.wineprefix.lock" </dev/null >/dev/null 2>&1
}

wine_stop() { wineserver -k 2>/dev/null || true; }
