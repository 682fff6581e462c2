#!/usr/bin/env bash
# Builds everything and runs the whole test suite.
#   scripts/test.sh [cmake options]             ordinary build in build/
#   scripts/test.sh --sanitize [cmake options]  AddressSanitizer + UndefinedBehaviorSanitizer in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ "${1:-}" == "--sanitize" ]]; then
  shift
  scripts/build.sh build-asan -DOZLIB_SANITIZE=ON -DOZLIB_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug "$@"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  ctest --test-dir build-asan -j2 --output-on-failure --timeout 120
else
  scripts/build.sh build "$@"
  ctest --test-dir build -j2 --output-on-failure --timeout 120
fi
