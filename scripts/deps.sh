#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those missing.
# Usage: scripts/deps.sh [--windows | --fuzz]
set -euo pipefail
# python3-pytest runs the Python binding's and ozgate's tests; toml++ and
# libmosquitto build ozgate, mosquitto and its clients test it; gnuplot-nox
# draws ozcli's waveform plots (ozcli sample --png).
pkgs=(g++ cmake ninja-build googletest libgtest-dev libgmock-dev libcli11-dev nlohmann-json3-dev
      python3 python3-pytest pkg-config libtomlplusplus-dev libmosquitto-dev mosquitto mosquitto-clients
      gnuplot-nox)
if [[ "${1:-}" == "--windows" ]]; then
  pkgs+=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64)
elif [[ "${1:-}" == "--fuzz" ]]; then
  pkgs+=(clang libclang-rt-14-dev)   # libFuzzer and the sanitizers' run-times for clang
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
