#!/usr/bin/env bash
# The test command: installs what is missing, builds everything, runs every test.
# MIVO_SANITIZE=1 builds into build-asan/ with AddressSanitizer and UBSan instead;
# MIVO_SANITIZE=thread into build-tsan/ with ThreadSanitizer (scripts/tsan.supp names the
# uninstrumented system libraries whose own locking it cannot see).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
case "${MIVO_SANITIZE:-0}" in
  1)
    export MIVO_BUILD_DIR=${MIVO_BUILD_DIR:-$root/build-asan}
    "$root/scripts/build.sh" -DMIVO_SANITIZE=ON -DMIVO_BUILD_BENCH=OFF
    ;;
  thread)
    export MIVO_BUILD_DIR=${MIVO_BUILD_DIR:-$root/build-tsan}
    export TSAN_OPTIONS="suppressions=$root/scripts/tsan.supp halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
    "$root/scripts/build.sh" -DMIVO_SANITIZE=thread -DMIVO_BUILD_BENCH=OFF
    ;;
  *)
    export MIVO_BUILD_DIR=${MIVO_BUILD_DIR:-$root/build}
    "$root/scripts/build.sh"
    ;;
esac
cd "$MIVO_BUILD_DIR"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
