#!/usr/bin/env bash
# A private X display for the tests that open windows.
#   xvfb.sh start DIR   starts Xvfb on a free display; DIR/display gets its number
#   xvfb.sh stop DIR    ends it
set -eu
dir=$2
mkdir -p "$dir"
case $1 in
start)
    rm -f "$dir/display"
    # -displayfd: Xvfb picks a free display and writes its number to fd 3.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" </dev/null >/dev/null 2>&1 &
    echo $! >"$dir/pid"
    for _ in $(seq 100); do
        [ -s "$dir/display" ] && { echo "Xvfb on :$(cat "$dir/display")"; exit 0; }
        sleep 0.1
    done
    echo "Xvfb did not start" >&2
    exit 1
    ;;
stop)
    [ -f "$dir/pid" ] && kill "$(cat "$dir/pid")" 2>/dev/null || true
    rm -f "$dir/pid" "$dir/display"
    ;;
esac
