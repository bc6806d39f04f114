#!/usr/bin/env bash
# Builds the weather-file, field-file and field-file weather fuzzers with clang
# (libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) in build-fuzz/ and runs
# each for a bounded time, seeded with the weather fixtures and the example field files.
# Usage: scripts/fuzz.sh [seconds per fuzzer] (default 60, or FUZZ_SECONDS).
# A crash leaves its input in build-fuzz/fuzz-artifacts/ and makes the script fail.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"

SECONDS_TO_RUN="${1:-${FUZZ_SECONDS:-60}}"
JOBS="$(nproc)"

bash scripts/deps.sh

# Warnings are the g++ builds' business: clang's own warnings do not stop the fuzzing.
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DFURROW_WERROR=OFF \
  -DFURROW_BUILD_FUZZ=ON -DFURROW_BUILD_UI=OFF -DFURROW_BUILD_BENCH=OFF
cmake --build build-fuzz -j "$JOBS" --target furrow_fuzz_weather_file furrow_fuzz_sov_load \
  furrow_fuzz_sov_import

ARTIFACTS="build-fuzz/fuzz-artifacts/"
mkdir -p "$ARTIFACTS"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

# Runs one fuzzer in the background: name, dictionary, then seed folders. Its output goes
# to build-fuzz/<name>.log and is shown only when it finds something.
PIDS=()
NAMES=()
fuzz() {
  local name="$1" dict="$2"
  shift 2
  local corpus="build-fuzz/fuzz-corpus/$name"
  mkdir -p "$corpus"
  echo "Fuzzing $name for ${SECONDS_TO_RUN} s"
  "build-fuzz/bin/furrow_fuzz_${name//-/_}" \
    -max_total_time="$SECONDS_TO_RUN" -max_len=16384 -timeout=20 -rss_limit_mb=2048 \
    -dict="$dict" -artifact_prefix="$ARTIFACTS" -print_final_stats=1 \
    "$corpus" "$@" > "build-fuzz/$name.log" 2>&1 &
  PIDS+=("$!")
  NAMES+=("$name")
}

fuzz weather-file fuzz/weather.dict tests/data/weather
fuzz sov-load fuzz/sov.dict data/examples tests/data/sov
fuzz sov-import fuzz/sov.dict data/examples tests/data/sovimp

FAILED=0
for i in "${!PIDS[@]}"; do
  if wait "${PIDS[$i]}"; then
    echo "${NAMES[$i]}: $(grep -E '^Done [0-9]+ runs' "build-fuzz/${NAMES[$i]}.log" || echo done)"
  else
    FAILED=1
    echo "${NAMES[$i]} found a problem:"
    tail -n 60 "build-fuzz/${NAMES[$i]}.log"
  fi
done
exit "$FAILED"
