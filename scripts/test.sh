#!/usr/bin/env bash
# Builds everything and runs the whole test suite.
#   scripts/test.sh [cmake options]             ordinary build in build/
#   scripts/test.sh --sanitize [cmake options]  AddressSanitizer + UndefinedBehaviorSanitizer in build-asan/
#   scripts/test.sh --tsan                      ThreadSanitizer in build-tsan/: the tests that run
#                                               threads (the frame with its transfer waits, the
#                                               circuits, the handles, the stress run, the sweep)
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ "${1:-}" == "--sanitize" ]]; then
  shift
  scripts/build.sh build-asan -DOZLIB_SANITIZE=ON -DOZLIB_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug "$@"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  ctest --test-dir build-asan -j2 --output-on-failure --timeout 120
elif [[ "${1:-}" == "--tsan" ]]; then
  tsan_tests=(frame_test circuit_test handles_test stress_test hostile_test)
  scripts/deps.sh
  cmake -S . -B build-tsan -G Ninja -DOZLIB_TSAN=ON -DOZLIB_BENCH=OFF -DOZLIB_TOOLS=OFF \
        -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build build-tsan -j2 --target "${tsan_tests[@]}"
  export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
  labels=$(IFS='|'; echo "^(${tsan_tests[*]})\$")
  ctest --test-dir build-tsan -j2 --output-on-failure --timeout 300 -L "$labels"
else
  scripts/build.sh build "$@"
  ctest --test-dir build -j2 --output-on-failure --timeout 120
fi
