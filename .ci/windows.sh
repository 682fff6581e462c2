#!/usr/bin/env bash
# Cross-builds the Windows DLL and its tests with mingw-w64 and runs the tests
# under wine. Run from anywhere; builds in build-win at the top of the tree.
#
#   OZ_WIN_BUILD_DIR   build directory (default: build-win)
#   OZ_WIN_XVFB=1      start a virtual display first, for tests that create
#                      top-level windows (message-only windows need none)
set -euo pipefail

cd "$(dirname "$0")/.."
build_dir=${OZ_WIN_BUILD_DIR:-build-win}

# The machine may be fresh: install what is missing, nothing else.
need=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix mingw-w64-tools)
command -v wine >/dev/null || need+=(wine wine64)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
if [ "${OZ_WIN_XVFB:-0}" = 1 ] && ! command -v Xvfb >/dev/null; then need+=(xvfb); fi
if [ ${#need[@]} -gt 0 ]; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}"
fi

# A prefix of our own, so a stale or shared one cannot change the results.
# mscoree/mshtml disabled: wine would try to download Mono and Gecko.
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/ozlib-wine.XXXXXX")
export WINEPREFIX WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

# The display must exist before the first wine process starts.
if [ "${OZ_WIN_XVFB:-0}" = 1 ]; then
  Xvfb :99 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=:99
else
  unset DISPLAY
fi

wineboot --init >/dev/null 2>&1 </dev/null
wineserver -w
# One persistent server for every test process: without -p each process
# starts its own and pays half a second, or more while the last one exits.
wineserver -p >/dev/null 2>&1 </dev/null
# Wine's services start with the first process and keep its stdio; start them
# here on /dev/null so that none holds ctest's pipes open.
wine cmd /c exit >/dev/null 2>&1 </dev/null

# OZ_WIN_CMAKE_ARGS: further configure options (CI: -DOZLIB_WERROR=ON).
cmake -S . -B "$build_dir" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DOZLIB_TOOLS=OFF -DOZLIB_BENCH=OFF ${OZ_WIN_CMAKE_ARGS:-}
cmake --build "$build_dir" -j2

# The install a Windows user gets: the DLL, its import library, the header
# and the same CMake and pkg-config files as on Linux.
win_prefix=$(mktemp -d "${TMPDIR:-/tmp}/ozlib-win-install.XXXXXX")
cmake --install "$build_dir" --prefix "$win_prefix" >/dev/null
for f in bin/ozlib.dll lib/libozlib.dll.a include/ozlib.h lib/cmake/ozlib/ozlibConfig.cmake \
         lib/cmake/ozlib/ozlibTargets.cmake lib/pkgconfig/ozlib.pc; do
  [ -e "$win_prefix/$f" ] || { echo "windows install: $f missing" >&2; exit 1; }
done
rm -rf "$win_prefix"
ctest --test-dir "$build_dir" -j2 --output-on-failure --timeout 300 </dev/null
