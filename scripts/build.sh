#!/usr/bin/env bash
# Configures and builds into build/ (or $MIVO_BUILD_DIR). Extra arguments go to CMake's configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MIVO_BUILD_DIR:-$root/build}
generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
elif [[ $# -gt 0 ]]; then
  cmake -S "$root" -B "$build" "$@"
fi
cmake --build "$build" --parallel "$(nproc)"
