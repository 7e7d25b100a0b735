#!/usr/bin/env bash
# Installs what is missing, builds with sanitizers and runs every test in a network
# namespace that has only loopback, so no test can reach the LAN. Then builds the tests that
# run threads (label "threads") once more with ThreadSanitizer and runs them.
# With --plain: builds RelWithDebInfo without sanitizers (build/plain) and runs every test there
# the same way; the ThreadSanitizer stage is left out. Sanitizers keep freed memory intact and
# change timing, so some faults show only in such a build.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
plain=0
case "${1:-}" in
    "") ;;
    --plain) plain=1 ;;
    *)
        echo "usage: scripts/test.sh [--plain]" >&2
        exit 2
        ;;
esac
# shellcheck source=deps.sh
source "$root/scripts/deps.sh"
orvel_install_packages "${ORVEL_BUILD_PACKAGES[@]}" "${ORVEL_TEST_PACKAGES[@]}"

echo "== format check"
mapfile -t sources < <(cd "$root" && git ls-files --cached --others --exclude-standard -- \
    'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h')
if [ ${#sources[@]} -gt 0 ]; then
    (cd "$root" && clang-format --dry-run -Werror "${sources[@]}")
fi

echo "== build"
if [ "$plain" = 1 ]; then
    build="$root/build/plain"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEL_SANITIZE=OFF -DORVEL_WERROR=ON -DORVEL_SHARED_CORE=ON
else
    build="$root/build/test"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVEL_SANITIZE=ON -DORVEL_WERROR=ON -DORVEL_SHARED_CORE=ON
fi
# Sources are found by globbing; make moc rescan so headers added since the last build are seen.
find "$build" -path '*_autogen/timestamp' -delete 2>/dev/null || true
cmake --build "$build" -j "$(nproc)"

jobs="$(nproc)"
isolated() {
    if unshare -n true 2>/dev/null; then
        unshare -n "$root/scripts/run-tests-isolated.sh" "$@"
    else
        echo "warning: cannot create a network namespace here; running on the host's loopback" >&2
        "$root/scripts/run-tests-isolated.sh" "$@"
    fi
}

echo "== tests"
# The picker test renders a few windows here for a look by eye.
export ORVEL_SCREENSHOTS="$root/build/screenshots"
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
isolated "$build" "$jobs" || status=1
if [ "$plain" = 1 ]; then
    exit "$status"
fi

echo "== thread sanitizer"
# Only the tests labelled "threads" (and what they link) are built in this tree.
tsan="$root/build/tsan"
cmake -S "$root" -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVEL_SANITIZE=thread -DORVEL_WERROR=ON -DORVEL_SHARED_CORE=ON
find "$tsan" -path '*_autogen/timestamp' -delete 2>/dev/null || true
cmake --build "$tsan" -j "$jobs" --target orvel_thread_tests
# Forking a helper process after threads started is fine for these tests; Qt's and glib's
# internals are not instrumented (see tests/support/tsan.supp).
export TSAN_OPTIONS="halt_on_error=1:die_after_fork=0:second_deadlock_stack=1:suppressions=$root/tests/support/tsan.supp"
unset ORVEL_SCREENSHOTS
isolated "$tsan" "$jobs" -L threads || status=1
exit "$status"
