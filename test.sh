#!/usr/bin/env bash
# Installs what is missing, builds everything, runs the whole test suite, then builds and runs
# the library tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
JOBS=${JOBS:-$(nproc)}

tools/setup.sh install
tools/setup.sh check-format

run_ctest() {
  local dir=$1
  if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
    xvfb-run -a -s "-screen 0 1600x1200x24" ctest --test-dir "$dir" --output-on-failure -j "$JOBS"
  else
    ctest --test-dir "$dir" --output-on-failure -j "$JOBS"
  fi
}

tools/setup.sh configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$JOBS"
run_ctest build

# The installed tree works on its own: both programs start from a temporary prefix.
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install build --prefix "$prefix" >/dev/null
"$prefix/bin/mechanon-cli" --version
"$prefix/bin/mechanon" --version

tools/setup.sh configure build-asan -DCMAKE_BUILD_TYPE=Debug -DMECHANON_SANITIZE=ON \
  -DMECHANON_BUILD_APP=OFF -DMECHANON_BUILD_BENCH=OFF
cmake --build build-asan -j "$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest build-asan
