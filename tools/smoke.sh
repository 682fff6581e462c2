#!/bin/sh
# End-to-end check of the two programs as a user runs them: ozsim in a
# process of its own on a port it picks, ozcli --json info against it.
# Usage: smoke.sh OZSIM OZCLI
set -eu
ozsim=$1
ozcli=$2

dir=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT INT TERM
fail() {
  echo "smoke: $*" >&2
  exit 1
}

# ozsim prints one line once it listens; reading it through a pipe waits for
# exactly that, and an ozsim that dies early ends the read with nothing.
mkfifo "$dir/ready"
"$ozsim" --port 0 --paths 2 --run >"$dir/ready" &
pid=$!
exec 3<"$dir/ready"
IFS= read -r line <&3 || fail "ozsim ended without listening"
case $line in
  "ozsim listening on 127.0.0.1:"*) port=${line##*:} ;;
  *) fail "unexpected first line: $line" ;;
esac

"$ozcli" --json --port "$port" info >"$dir/info.json" || fail "ozcli info failed"
cat "$dir/info.json"

# A JSON check that needs no more than the shell: the document must parse
# where a parser is at hand, and carry the fields a user relies on.
if command -v python3 >/dev/null 2>&1; then
  python3 - "$dir/info.json" "$port" <<'PY' || fail "info JSON is not what was expected"
import json, sys
doc = json.load(open(sys.argv[1]))
assert doc["controller"] == "127.0.0.1:" + sys.argv[2], doc
assert doc["path"] == 1 and doc["max_path"] == 2, doc
assert [p["path"] for p in doc["feed"]] == [1, 2], doc
assert all(p["feed"] > 0 for p in doc["feed"]), doc
PY
else
  grep -q '"max_path": 2' "$dir/info.json" || fail "no max_path 2 in the info JSON"
fi

# A failing call must name the function and the result code, and exit non-zero.
if "$ozcli" --port "$port" --path 3 feed 2>"$dir/err.txt"; then fail "path 3 did not fail"; fi
grep -q 'cnc_setpath: EW_NOPATH' "$dir/err.txt" || fail "error line: $(cat "$dir/err.txt")"

# SIGTERM stops ozsim cleanly.
kill -TERM "$pid"
wait "$pid" || fail "ozsim exited with $? on SIGTERM"
pid=
echo "smoke: ok"
