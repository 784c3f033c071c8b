#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tests/fuzz (clang, address and undefined-behaviour
# sanitizers) in build-fuzz and runs each for SECONDS (default 600) on its seed corpus, one after
# the other. New inputs that reach new code are kept in build-fuzz/tests/fuzz/NAME_corpus; a
# crashing input is written to build-fuzz/NAME-crash-* and the script stops with its report.
#   tools/fuzz.sh [SECONDS] [NAME...]
# --build-only builds the harnesses and runs none; --run-only runs them as last built, so that
# another build can go on in build-fuzz meanwhile (test.sh builds the sanitized tests there).
#   tools/fuzz.sh --build-only [NAME...]
#   tools/fuzz.sh --run-only [SECONDS] [NAME...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=true run=true
case "${1:-}" in
  --build-only) run=false; shift ;;
  --run-only) build=false; shift ;;
esac
seconds=600
if $run; then
  seconds=${1:-600}
  shift || true
fi
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  mapfile -t names < <(sed -n 's/^mechanon_add_fuzzer(\([a-z_]*\).*/\1/p' tests/fuzz/CMakeLists.txt)
fi
if $build; then
  tools/setup.sh install
  # -O1, as the sanitizers advise: their reports stay exact and the build is quicker than at -O2.
  # Line tables are all a report needs to name files and lines; full debugging information
  # made the build a tenth slower.
  flags="-O1 -gline-tables-only -DNDEBUG"
  CXX=clang++ CC=clang tools/setup.sh configure build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$flags" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$flags" \
    -DMECHANON_FUZZ=ON -DMECHANON_BUILD_APP=OFF -DMECHANON_BUILD_BENCH=OFF
  cmake --build build-fuzz -j "$(nproc)" --target "${names[@]}"
fi
$run || exit 0
for name in "${names[@]}"; do
  if [ ! -x build-fuzz/tests/fuzz/"$name" ]; then
    echo "$name: not built (run tools/fuzz.sh --build-only first)" >&2
    exit 1
  fi
  log=build-fuzz/"$name".log
  if ! build-fuzz/tests/fuzz/"$name" build-fuzz/tests/fuzz/"$name"_corpus \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
      -artifact_prefix=build-fuzz/"$name"- -print_final_stats=1 >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "$name: the fuzzer found a fault (input and report above; whole log in $log)" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  peak=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")
  echo "$name: $seconds s, ${runs:-?} executions, no fault, peak memory ${peak:-?} MB"
done
