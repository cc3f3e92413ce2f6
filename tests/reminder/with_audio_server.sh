#!/bin/sh
# Runs a test program with a private sound server whose only output is a null sink, so the
# WAVE file really goes to an audio output. Skipped (exit 77) when the server is not installed.
command -v pulseaudio > /dev/null || exit 77
runtime=$(mktemp -d) || exit 1
export XDG_RUNTIME_DIR="$runtime" PULSE_RUNTIME_PATH="$runtime/pulse"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-target=stderr \
    -L "module-null-sink sink_name=corvane_null" -L module-native-protocol-unix 2> "$runtime/server.log" &
server=$!
i=0
while [ ! -S "$runtime/pulse/native" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
"$@"
rc=$?
kill $server
wait $server 2> /dev/null
rm -rf "$runtime"
exit $rc
