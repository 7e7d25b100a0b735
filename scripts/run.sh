#!/usr/bin/env bash
# Installs what is missing, builds and starts OrvelWorkSpace; arguments are passed on.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=deps.sh
source "$root/scripts/deps.sh"
orvel_install_packages "${ORVEL_BUILD_PACKAGES[@]}"

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEL_BUILD_TESTS=OFF
cmake --build "$build" --target OrvelWorkSpace -j "$(nproc)"

# settings.json is read from the working directory: run beside the executable.
cd "$build/src"
exec ./OrvelWorkSpace "$@"
