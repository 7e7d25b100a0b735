#!/usr/bin/env bash
# Runs CTest with loopback up, an X server and a sound server of its own, and stops them after.
set -uo pipefail
build="$1"
jobs="${2:-2}"

ip link set lo up 2>/dev/null || true

work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

display=":97"
if command -v Xvfb >/dev/null; then
    Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    export ORVEL_TEST_DISPLAY="$display"
fi

if command -v pulseaudio >/dev/null; then
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    export PULSE_RUNTIME_PATH="$XDG_RUNTIME_DIR/pulse"
    export HOME="${HOME:-$work}"
    pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n \
        --load="module-native-protocol-unix" --load="module-null-sink sink_name=orvel_null" \
        --log-target=file:"$work/pulse.log" >/dev/null 2>&1 &
    pids+=($!)
    export ORVEL_TEST_PULSE=1
fi
sleep 1

cd "$build"
ctest --output-on-failure -j "$jobs" --timeout 300
