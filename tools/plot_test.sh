#!/bin/sh
# ozcli samples the simulated controller's servo channels and plots them: the
# PNG must come out. Skipped (77) where gnuplot is not installed.
# Usage: plot_test.sh OZCLI
set -eu
ozcli=$1
if ! command -v gnuplot >/dev/null 2>&1; then
  echo "plot_test: gnuplot is not installed (scripts/deps.sh installs gnuplot-nox); skipped"
  exit 77
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT INT TERM
"$ozcli" --sim sample --channels 1,2 --seconds 0.3 --csv "$dir/s.csv" --png "$dir/s.png"
# A PNG starts with its eight-byte signature.
sig=$(od -An -tx1 -N8 "$dir/s.png" | tr -d ' \n')
[ "$sig" = "89504e470d0a1a0a" ] || { echo "plot_test: $dir/s.png is not a PNG ($sig)" >&2; exit 1; }
[ "$(head -n 1 "$dir/s.csv")" = "channel,index,seconds,value" ] || { echo "plot_test: CSV head" >&2; exit 1; }
[ "$(wc -l < "$dir/s.csv")" -gt 100 ] || { echo "plot_test: too few samples" >&2; exit 1; }
echo "plot_test: PNG and CSV written"
