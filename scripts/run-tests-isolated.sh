#!/usr/bin/env bash
# Runs CTest with loopback up, an X server and a sound server of its own, and stops them after.
# The "platform" tests need both: they are told where through ORVEL_TEST_DISPLAY and
# ORVEL_TEST_PULSE. Neither server starting is an error, not a reason to skip those tests.
set -uo pipefail
build="$1"
jobs="${2:-2}"
shift 2 2>/dev/null || shift $#

ip link set lo up 2>/dev/null || true

work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "run-tests-isolated: $*" >&2
    for log in "$work"/*.log; do
        [ -s "$log" ] && { echo "--- $log" >&2; tail -n 20 "$log" >&2; }
    done
    exit 1
}

# Waits up to 10 s for a condition (a command).
wait_for() {
    local i
    for i in $(seq 1 100); do
        if "$@"; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# X server: Xvfb picks a free display itself and writes its number once it accepts clients,
# so parallel runs on one machine do not collide.
command -v Xvfb >/dev/null || fail "Xvfb is not installed (scripts/deps.sh installs it)"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for test -s "$work/display" || fail "Xvfb did not start"
export ORVEL_TEST_DISPLAY=":$(tr -d '[:space:]' <"$work/display")"

# Sound server: PulseAudio with one null sink as the default sink, in a runtime folder of
# its own; no session bus, no real sound device, no cookie needed.
command -v pulseaudio >/dev/null || fail "pulseaudio is not installed (scripts/deps.sh installs it)"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" "$work/pulse-home" && chmod 700 "$XDG_RUNTIME_DIR"
export PULSE_RUNTIME_PATH="$XDG_RUNTIME_DIR/pulse"
export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"
HOME="$work/pulse-home" pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n \
    --use-pid-file=no --disable-shm=yes \
    --load="module-native-protocol-unix auth-anonymous=1" \
    --load="module-null-sink sink_name=orvel_null" \
    --log-target=file:"$work/pulse.log" >/dev/null 2>&1 &
pids+=($!)
if command -v pactl >/dev/null; then
    wait_for pactl info >/dev/null 2>&1 || fail "pulseaudio did not start"
else
    wait_for test -S "$PULSE_RUNTIME_PATH/native" || fail "pulseaudio did not start"
fi
export ORVEL_TEST_PULSE=1

# The tests' temporary files go to a folder of this run's own; whatever a test leaves there
# (a killed child's scratch folder, say) fails the run, so no run litters the machine.
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"

cd "$build" || exit 1
ctest --output-on-failure -j "$jobs" --timeout 300 "$@"
status=$?
left="$(find "$TMPDIR" -mindepth 1 -maxdepth 1 -printf '%f\n' | sort)"
if [ -n "$left" ]; then
    echo "run-tests-isolated: the tests left $(wc -l <<<"$left") entries in the temporary folder:" >&2
    head -n 20 <<<"$left" >&2
    status=1
fi
exit "$status"
