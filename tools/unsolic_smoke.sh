#!/bin/sh
# End-to-end check of the unsolicited transmission as a user runs it: ozmsgd
# and ozsim in processes of their own, ozcli setting, starting, reading and
# stopping, and a second ozmsgd refusing to run beside the first.
# Usage: unsolic_smoke.sh OZMSGD OZSIM OZCLI
set -eu
ozmsgd=$1
ozsim=$2
ozcli=$3

# Names of our own, so a server of the user's or another test is not met.
OZLIB_IPC_SCOPE=smoke$$
export OZLIB_IPC_SCOPE

dir=$(mktemp -d)
pids=
cleanup() {
  for p in $pids; do kill "$p" 2>/dev/null && wait "$p" 2>/dev/null; done
  rm -rf "$dir"
}
trap cleanup EXIT INT TERM
fail() {
  echo "unsolic smoke: $*" >&2
  exit 1
}

# Each program prints one line once it is ready; the read waits for it, and
# a program that dies early ends the read with nothing.
mkfifo "$dir/msgd" "$dir/sim"
"$ozmsgd" >"$dir/msgd" &
pids="$pids $!"
"$ozsim" --port 0 >"$dir/sim" &
pids="$pids $!"
port_of() {   # program name, fifo
  IFS= read -r line <"$2" || fail "$1 ended without listening"
  case $line in
    "$1 listening on 127.0.0.1:"*) echo "${line##*:}" ;;
    *) fail "unexpected first line of $1: $line" ;;
  esac
}
mport=$(port_of ozmsgd "$dir/msgd")
sport=$(port_of ozsim "$dir/sim")

if "$ozmsgd" 2>"$dir/second.txt"; then fail "a second ozmsgd ran"; fi
grep -q "runs already" "$dir/second.txt" || fail "second ozmsgd: $(cat "$dir/second.txt")"

"$ozcli" --port "$sport" pmc write R100 42 >/dev/null || fail "pmc write"
"$ozcli" --port "$sport" unsolic set 1 --to 127.0.0.1 --port "$mport" --range R100-R103 >/dev/null ||
  fail "unsolic set"
"$ozcli" --json --port "$sport" unsolic start 1 >"$dir/start.json" || fail "unsolic start"
reg=$(sed -n 's/.*"registration": *\([0-9]*\).*/\1/p' "$dir/start.json")
[ -n "$reg" ] || fail "no registration in $(cat "$dir/start.json")"

# The message arrives on its own time: a few tries.
for i in 1 2 3 4 5 6 7 8 9 10; do
  "$ozcli" --json unsolic read "$reg" >"$dir/read.json" && grep -q '"2A 00 00 00"' "$dir/read.json" && break
  sleep 0.2
done
grep -q '"2A 00 00 00"' "$dir/read.json" || fail "message not read: $(cat "$dir/read.json")"

"$ozcli" --port "$sport" unsolic stop 1 >/dev/null || fail "unsolic stop"
if "$ozcli" unsolic read "$reg" 2>"$dir/err.txt"; then fail "read after stop succeeded"; fi
grep -q 'cnc_rdunsolicmsg: EW_VALUE' "$dir/err.txt" || fail "error line: $(cat "$dir/err.txt")"
set +e
"$ozcli" --port "$sport" unsolic set 1 --port 0 2>/dev/null
[ $? -eq 2 ] || fail "a bad --port is not a usage error"
echo "unsolic smoke: ok"
