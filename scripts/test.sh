#!/usr/bin/env bash
# The test command: installs what is missing, builds everything, runs every test.
# MIVO_SANITIZE=1 builds into build-asan/ with AddressSanitizer and UBSan instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
if [[ "${MIVO_SANITIZE:-0}" == 1 ]]; then
  export MIVO_BUILD_DIR=${MIVO_BUILD_DIR:-$root/build-asan}
  "$root/scripts/build.sh" -DMIVO_SANITIZE=ON -DMIVO_BUILD_BENCH=OFF
else
  export MIVO_BUILD_DIR=${MIVO_BUILD_DIR:-$root/build}
  "$root/scripts/build.sh"
fi
cd "$MIVO_BUILD_DIR"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
