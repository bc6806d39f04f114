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

CORPUS="build-fuzz/fuzz-corpus/weather-file"
ARTIFACTS="build-fuzz/fuzz-artifacts/"
mkdir -p "$CORPUS" "$ARTIFACTS"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
echo "Fuzzing the weather file reader for ${SECONDS_TO_RUN} s"
build-fuzz/bin/furrow_fuzz_weather_file \
  -max_total_time="$SECONDS_TO_RUN" -max_len=16384 -timeout=20 -rss_limit_mb=4096 \
  -dict=fuzz/weather.dict -artifact_prefix="$ARTIFACTS" -print_final_stats=1 \
  "$CORPUS" tests/data/weather

# The field data file loader, seeded with the example fields and the field file fixtures.
SOV_CORPUS="build-fuzz/fuzz-corpus/sov-load"
mkdir -p "$SOV_CORPUS"
echo "Fuzzing the field data file loader for ${SECONDS_TO_RUN} s"
build-fuzz/bin/furrow_fuzz_sov_load \
  -max_total_time="$SECONDS_TO_RUN" -max_len=16384 -timeout=20 -rss_limit_mb=4096 \
  -dict=fuzz/sov.dict -artifact_prefix="$ARTIFACTS" -print_final_stats=1 \
  "$SOV_CORPUS" data/examples tests/data/sov

# The weather import from another field data file, seeded the same way.
SOVIMP_CORPUS="build-fuzz/fuzz-corpus/sov-import"
mkdir -p "$SOVIMP_CORPUS"
echo "Fuzzing the weather import from field files for ${SECONDS_TO_RUN} s"
build-fuzz/bin/furrow_fuzz_sov_import \
  -max_total_time="$SECONDS_TO_RUN" -max_len=16384 -timeout=20 -rss_limit_mb=4096 \
  -dict=fuzz/sov.dict -artifact_prefix="$ARTIFACTS" -print_final_stats=1 \
  "$SOVIMP_CORPUS" data/examples tests/data/sovimp
