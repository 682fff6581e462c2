#!/usr/bin/env bash
# Builds the library, the tools and the tests into build/ (or $1).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
dir="${1:-build}"
shift || true
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j2
