#!/bin/sh
# Runs a test program on a private Xvfb screen with a window manager, where focus and
# stacking rules are real (the offscreen platform activates every window it shows): openbox,
# or the one CORVANE_WINDOW_MANAGER names (xfwm4). Skipped (exit 77) when Xvfb or the window
# manager is not installed.
wm=${CORVANE_WINDOW_MANAGER:-openbox}
command -v xvfb-run > /dev/null && command -v "$wm" > /dev/null || exit 77
bus=
case $wm in
    # xfwm4 reads its settings over a session bus: a private one, ended with the screen. Its
    # compositor stays off, so that a picture of the screen shows what the X server stacks.
    xfwm4) command -v dbus-run-session > /dev/null || exit 77
           bus="dbus-run-session --"
           wm_command="xfwm4 --compositor=off --sm-client-disable" ;;
    *) wm_command=$wm ;;
esac
# No accessibility bus: it would outlive the screen.
export NO_AT_BRIDGE=1
exec $bus xvfb-run -a -s "-screen 0 1280x800x24 -dpi 96 -nolisten tcp" sh -c '
    $0 > /dev/null 2>&1 &
    wm=$!
    # Wait until the window manager has announced itself on the root window (a busy machine
    # may take seconds); windows shown before it manages them would be focused by it later.
    tries=0
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
        tries=$((tries + 1))
        [ $tries -lt 200 ] || break
        sleep 0.05
    done
    "$@"
    rc=$?
    kill $wm
    exit $rc' "$wm_command" "$@"
