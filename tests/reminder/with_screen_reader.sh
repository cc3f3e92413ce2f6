#!/bin/sh
# Runs a test program on a private session bus with an accessibility bus and a listener that
# records what a screen reader hears (atspi_listener.py), on a private X screen with a window
# manager. The program finds the listener's record in CORVANE_SCREEN_READER_EVENTS. Skipped
# (exit 77) when the accessibility bus or its Python bindings are not installed.
here=$(dirname "$0")
command -v dbus-run-session > /dev/null && [ -x /usr/libexec/at-spi-bus-launcher ] || exit 77
# The system's Python carries the accessibility bindings (a user's own Python may not).
/usr/bin/python3 -c 'import pyatspi' 2> /dev/null || exit 77
events=$(mktemp)
trap 'rm -f "$events"' EXIT
export CORVANE_SCREEN_READER_EVENTS="$events" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
dbus-run-session -- sh -c '
    events=$1; here=$2; shift 2
    /usr/bin/python3 "$here/atspi_listener.py" "$events" 110 &
    listener=$!
    tries=0
    until grep -q "^ready" "$events"; do
        tries=$((tries + 1))
        [ $tries -lt 400 ] || { echo "the accessibility listener did not start" >&2; exit 1; }
        sleep 0.05
    done
    "$here/under_window_manager.sh" "$@"
    rc=$?
    kill $listener
    exit $rc' sh "$events" "$here" "$@"
