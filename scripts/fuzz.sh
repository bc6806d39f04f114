#!/usr/bin/env bash
# Builds the fuzzers with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs them all at once, as many side by
# side as there are cores, within a total time budget, each seeded with its corpus in
# fuzz/corpus/<target>.
# Usage: scripts/fuzz.sh [total seconds] (default 240, or FUZZ_TOTAL_SECONDS).
# A crash or a sanitizer report leaves its input in build-fuzz/fuzz-artifacts/ and
# makes the script fail.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"

TOTAL="${1:-${FUZZ_TOTAL_SECONDS:-240}}"
JOBS="$(nproc)"

# Target, dictionary, largest input. Replies may be large; the readers' cost per byte is
# what the fuzzer has to see, not their size limits. A field file of 2 KB already holds
# every section kind (field, horizons, events, some weather days) and a lookup file of
# 8 KB tens of table rows; larger inputs only slow these targets down.
TARGETS=(
  "weather-file fuzz/weather.dict 16384"
  "web-days fuzz/weather.dict 16384"
  "web-stations fuzz/web.dict 16384"
  "sov-load fuzz/sov.dict 2048"
  "sov-import fuzz/sov.dict 2048"
  "lookup fuzz/ini.dict 8192"
  "ini-file fuzz/ini.dict 16384"
  "ndfd-reply fuzz/xml.dict 16384"
  "sdm-reply fuzz/xml.dict 16384"
  "metos-reply fuzz/xml.dict 16384"
)

bash scripts/deps.sh

# Warnings are the g++ builds' business: clang's own warnings do not stop the fuzzing.
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DFURROW_WERROR=OFF \
  -DFURROW_BUILD_FUZZ=ON -DFURROW_BUILD_UI=OFF -DFURROW_BUILD_BENCH=OFF
BINARIES=()
for T in "${TARGETS[@]}"; do
  read -r NAME _ _ <<< "$T"
  BINARIES+=("furrow_fuzz_${NAME//-/_}")
done
cmake --build build-fuzz -j "$JOBS" --target "${BINARIES[@]}"

ARTIFACTS="build-fuzz/fuzz-artifacts/"
mkdir -p "$ARTIFACTS"
# No allocation stacks kept: a third more executions. To see them for a crash, run the
# target again on its artifact with ASAN_OPTIONS=detect_leaks=1.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:malloc_context_size=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

# The targets run in rounds of JOBS side by side; the budget is shared out between the
# rounds, so the whole run stays within TOTAL seconds plus start-up and shutdown.
COUNT="${#TARGETS[@]}"
ROUNDS=$(( (COUNT + JOBS - 1) / JOBS ))
EACH=$(( TOTAL / ROUNDS ))
if [ "$EACH" -lt 1 ]; then EACH=1; fi
echo "Fuzzing $COUNT targets, $JOBS at a time, ${EACH} s each (budget ${TOTAL} s)"

FAILED=0
run_round() {
  local PIDS=() NAMES=()
  for T in "$@"; do
    read -r NAME DICT MAXLEN <<< "$T"
    local CORPUS="build-fuzz/fuzz-corpus/$NAME"
    mkdir -p "$CORPUS"
    # Its output goes to build-fuzz/<name>.log and is shown only when it finds something.
    "build-fuzz/bin/furrow_fuzz_${NAME//-/_}" \
      -max_total_time="$EACH" -max_len="$MAXLEN" -timeout=20 -rss_limit_mb=2048 \
      -dict="$DICT" -artifact_prefix="$ARTIFACTS$NAME-" -print_final_stats=1 \
      "$CORPUS" "fuzz/corpus/$NAME" > "build-fuzz/$NAME.log" 2>&1 &
    PIDS+=("$!")
    NAMES+=("$NAME")
  done
  for I in "${!PIDS[@]}"; do
    local LOG="build-fuzz/${NAMES[$I]}.log"
    if wait "${PIDS[$I]}"; then
      echo "${NAMES[$I]}: $(grep -E '^Done [0-9]+ runs' "$LOG" || echo done)"
    else
      FAILED=1
      echo "${NAMES[$I]} found a problem:"
      tail -n 60 "$LOG"
    fi
  done
}

for (( START = 0; START < COUNT; START += JOBS )); do
  run_round "${TARGETS[@]:START:JOBS}"
done
exit "$FAILED"
