#!/usr/bin/env bash
# Fuzzes what reads outside data (subtitles, GIF, JPEG and PNG through the decode budget, a server
# list reply through the parse and the merge) with libFuzzer, ASan and UBSan, each target for the
# given seconds (default 60). A crash, an input over the per-input time limit or a process over
# the memory limit is a finding: its input is left in build-fuzz/findings/ and the script fails.
# Installs clang when it is missing; builds into build-fuzz/ (or $MIVO_FUZZ_BUILD_DIR).
#   scripts/fuzz.sh [seconds-per-target]
# Environment: MIVO_FUZZ_TARGETS (names, default all), MIVO_FUZZ_TIMEOUT (seconds per input,
# default 10), MIVO_FUZZ_RSS_MB (default 2048), MIVO_FUZZ_JOBS (build jobs, default 4).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${MIVO_FUZZ_BUILD_DIR:-$root/build-fuzz}
targets=(${MIVO_FUZZ_TARGETS:-subtitles gif jpeg png server_list})

"$root/scripts/install-deps.sh"
if ! command -v clang++ >/dev/null; then
  sudo=""
  if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
  $sudo apt-get update
  $sudo apt-get install -y clang
fi

generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DMIVO_SANITIZE=address \
    -DMIVO_BUILD_FUZZ=ON -DMIVO_BUILD_TESTS=OFF -DMIVO_BUILD_BENCH=OFF
fi
cmake --build "$build" --parallel "${MIVO_FUZZ_JOBS:-4}" --target "${targets[@]/#/fuzz_}"

# An undefined-behaviour report stops the run like a crash does.
export UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1 ${UBSAN_OPTIONS:-}"
export ASAN_OPTIONS="detect_leaks=1 ${ASAN_OPTIONS:-}"
findings="$build/findings"
mkdir -p "$findings"
failed=()
for target in "${targets[@]}"; do
  seeds="$root/fuzz/corpus/$target"
  # The seeds stay as they are in the tree; what the run learns goes to its own folder.
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  echo "fuzz.sh: $target for ${seconds}s"
  if ! "$build/fuzz/fuzz_$target" "$corpus" "$seeds" -max_total_time="$seconds" \
      -timeout="${MIVO_FUZZ_TIMEOUT:-10}" -rss_limit_mb="${MIVO_FUZZ_RSS_MB:-2048}" \
      -malloc_limit_mb="${MIVO_FUZZ_RSS_MB:-2048}" -max_len=65536 -print_final_stats=1 \
      -artifact_prefix="$findings/$target-" -close_fd_mask=1 2>"$build/fuzz-$target.log"; then
    failed+=("$target")
    tail -n 60 "$build/fuzz-$target.log"
  else
    grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb)" "$build/fuzz-$target.log" || true
  fi
done
if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzz.sh: findings in ${failed[*]} (inputs in $findings, logs in $build/fuzz-<target>.log)" >&2
  exit 1
fi
echo "fuzz.sh: no findings in ${targets[*]} after ${seconds}s each"
