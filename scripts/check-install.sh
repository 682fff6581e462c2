#!/usr/bin/env bash
# Installs a built tree as users would and consumes it: `cmake --install` into
# a fresh prefix, the example in examples/c built once through find_package
# and once through pkg-config and run against the installed ozsim; then the
# Debian packages from cpack, unpacked into a clean folder and used the same
# way. With OZ_CHECK_APT=1 (CI, as root) the packages are also installed with
# apt-get and removed again.
#   scripts/check-install.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/ozlib-install.XXXXXX")
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

start_ozsim() {   # $1: the ozsim program; sets port
  mkfifo "$work/ready.$$"
  "$1" --port 0 --run > "$work/ready.$$" &
  sim_pid=$!
  read -r line < "$work/ready.$$"
  rm -f "$work/ready.$$"
  port=${line##*:}
}
stop_ozsim() { kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true; sim_pid=; }

# Builds and runs the example against the ozlib under prefix $1 (lib dir $2).
consume() {
  local prefix=$1 libdir=$2 tag=$3
  cmake -S "$src/examples/c" -B "$work/ex-$tag" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
  cmake --build "$work/ex-$tag" >/dev/null
  # shellcheck disable=SC2046
  cc -std=c11 -o "$work/ex-$tag-pc" "$src/examples/c/feed_and_positions.c" \
     $(PKG_CONFIG_PATH="$libdir/pkgconfig" pkg-config --cflags --libs ozlib)
  for exe in "$work/ex-$tag/feed_and_positions" "$work/ex-$tag-pc"; do
    out=$(LD_LIBRARY_PATH="$libdir" "$exe" 127.0.0.1 "$port") || fail "$exe failed: $out"
    grep -q '^feed ' <<<"$out" && grep -q '^X ' <<<"$out" || fail "$exe printed: $out"
  done
  echo "check-install: $tag: the example built through find_package and pkg-config and ran"
}

# ---- cmake --install ---------------------------------------------------------
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(dirname "$(find "$prefix" -name 'libozlib.so.1' | head -n 1)")
[ -n "$libdir" ] || fail "libozlib.so.1 was not installed"
soname=$(readelf -d "$libdir/libozlib.so.1" | sed -n 's/.*SONAME.*\[\(.*\)\]/\1/p')
[ "$soname" = libozlib.so.1 ] || fail "SONAME is '$soname'"
for f in include/ozlib.h bin/ozcli bin/ozsim; do [ -e "$prefix/$f" ] || fail "$f missing"; done
[ -e "$libdir/libozlib.so" ] && [ -e "$libdir/cmake/ozlib/ozlibConfig.cmake" ] && [ -e "$libdir/pkgconfig/ozlib.pc" ] \
  || fail "development files missing under $libdir"
"$prefix/bin/ozcli" --sim info >/dev/null || fail "the installed ozcli does not run"
start_ozsim "$prefix/bin/ozsim"
consume "$prefix" "$libdir" prefix

# ---- Debian packages ------------------------------------------------------------
(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
debs=("$work"/deb/*.deb)
[ ${#debs[@]} -eq 3 ] || fail "expected 3 packages, got: ${debs[*]}"
root=$work/root
for d in "${debs[@]}"; do dpkg-deb -x "$d" "$root"; echo "check-install: $(basename "$d")"; done
rlib=$(dirname "$(find "$root" -name 'libozlib.so.1' | head -n 1)")
consume "$root/usr" "$rlib" deb
if [ "${OZ_CHECK_APT:-0}" = 1 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${debs[@]}" >/dev/null
  ozcli --sim info >/dev/null || fail "ozcli from the package does not run"
  cc -std=c11 -o "$work/ex-system" "$src/examples/c/feed_and_positions.c" $(pkg-config --cflags --libs ozlib)
  "$work/ex-system" 127.0.0.1 "$port" | grep -q '^feed ' || fail "the example against the system copy failed"
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -q libozlib1 libozlib-dev ozlib-tools >/dev/null
  echo "check-install: apt-get installed the packages, the example ran against them, and they were removed"
fi
stop_ozsim
echo "check-install: passed"
