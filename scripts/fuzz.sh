#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for a while,
# starting from the committed corpus. New inputs go to build-fuzz/corpus/,
# crashes to build-fuzz/findings/.
#   scripts/fuzz.sh [seconds per target, default 60] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(pdu_framing reply_decoders profile sim_requests)
scripts/deps.sh --fuzz
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DOZLIB_FUZZ=ON -DOZLIB_BENCH=OFF \
      -DOZLIB_TOOLS=OFF -DOZLIB_WERROR=OFF >/dev/null
cmake --build build-fuzz -j2 --target "${targets[@]/#/fuzz_}"
mkdir -p build-fuzz/findings build-fuzz/testdata
export OZLIB_DATADIR="$PWD/build-fuzz/testdata" OZLIB_LOGLEVEL=1
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for t in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$t"
  echo "== $t: ${seconds}s"
  build-fuzz/bin/fuzz_$t -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="build-fuzz/findings/$t-" -max_len=8192 \
      "build-fuzz/corpus/$t" "fuzz/corpus/$t"
done
