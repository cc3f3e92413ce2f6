#!/bin/sh
# Runs a command with a private sound server whose only output is a null sink, so that a WAVE
# file really goes to an audio output, on a machine without sound as on a desktop (where
# nothing is heard). The command finds it through PULSE_SERVER; the server ends with the
# command. Exits 77 (skipped) when the server is not installed.
command -v pulseaudio > /dev/null || exit 77
runtime=$(mktemp -d) || exit 1
mkdir -p "$runtime/pulse"
XDG_RUNTIME_DIR="$runtime" PULSE_RUNTIME_PATH="$runtime/pulse" \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-target=stderr \
    -L "module-null-sink sink_name=corvane_null" -L module-native-protocol-unix 2> "$runtime/server.log" &
server=$!
i=0
while [ ! -S "$runtime/pulse/native" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
if [ ! -S "$runtime/pulse/native" ]; then
    echo "the private sound server did not start:" >&2
    cat "$runtime/server.log" >&2
    kill $server 2> /dev/null
    rm -rf "$runtime"
    exit 1
fi
export PULSE_SERVER="unix:$runtime/pulse/native"
"$@"
rc=$?
kill $server
wait $server 2> /dev/null
rm -rf "$runtime"
exit $rc
