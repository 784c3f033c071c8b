#!/usr/bin/env bash
# Installs what is missing, builds everything, runs the whole test suite, then builds the libraries
# with AddressSanitizer and UndefinedBehaviorSanitizer, runs every fuzz harness on them for a short
# while and the library tests again.
set -euo pipefail
cd "$(dirname "$0")"
JOBS=${JOBS:-$(nproc)}

tools/setup.sh install
tools/setup.sh check-format

# Window tests need an X display: without one, the suite gets a virtual screen of its own for
# the run (tools/with-display.sh says how it is made reliable).
run_ctest() {
  local dir=$1
  local args=(--test-dir "$dir" --output-on-failure -j "$JOBS")
  if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
    tools/with-display.sh ctest "${args[@]}"
  else
    ctest "${args[@]}"
  fi
}

tools/setup.sh configure-main
cmake --build build -j "$JOBS"
run_ctest build

# The installed tree works on its own: both programs start from a temporary prefix.
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install build --prefix "$prefix" >/dev/null
"$prefix/bin/mechanon-cli" --version
"$prefix/bin/mechanon" --version

# The Debian package of the same build, checked by lintian, desktop-file-validate and appstreamcli.
tools/package.sh build

# One sanitizer build (clang, AddressSanitizer and UndefinedBehaviorSanitizer, in build-fuzz):
# every fuzz harness of tests/fuzz for a short while (tools/fuzz.sh SECONDS runs them longer),
# then the library tests again on the same sanitized libraries. A fuzzer keeps one core busy:
# the library tests are built beside it.
tools/fuzz.sh --build-only
tools/fuzz.sh --run-only "${MECHANON_FUZZ_SECONDS:-15}" &
fuzzing=$!
trap 'kill "$fuzzing" 2>/dev/null; rm -rf "$prefix"' EXIT
cmake --build build-fuzz -j "$JOBS"
wait "$fuzzing"
trap 'rm -rf "$prefix"' EXIT
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest build-fuzz
