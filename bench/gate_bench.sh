#!/usr/bin/env bash
# ozgate across 64 simulated controllers (64 ozsim processes on this machine):
#  1. items polled per second with no output at all (the baseline: polling
#     through the library alone), then with MQTT, Prometheus and SHDR on;
#  2. the gateway's CPU per 1000 items/s at a steady 1-second poll.
#   bench/gate_bench.sh [BUILD_DIR]    (needs mosquitto)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
n=${OZ_GATE_CONTROLLERS:-64}
secs=${OZ_GATE_SECONDS:-10}
work=$(mktemp -d "${TMPDIR:-/tmp}/ozgate-bench.XXXXXX")
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

ports=()
for i in $(seq 1 "$n"); do
  mkfifo "$work/f$i"
  "$build/bin/ozsim" --port 0 --run > "$work/f$i" &
  pids+=($!)
  read -r line < "$work/f$i"
  ports+=("${line##*:}")
done
bport=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
printf 'listener %s 127.0.0.1\nallow_anonymous true\n' "$bport" > "$work/m.conf"
mosquitto -c "$work/m.conf" >/dev/null 2>&1 &
pids+=($!)
sleep 0.3

config() {   # $1 interval, $2 outputs on/off
  echo "[gate]"; echo "refresh = 3600"
  if [ "$2" = on ]; then
    printf '[mqtt]\nport = %s\nqos = 0\n[prometheus]\nlisten = "127.0.0.1:0"\n[shdr]\nlisten = "127.0.0.1:0"\n' "$bport"
  fi
  for i in $(seq 1 "$n"); do
    printf '[[controller]]\nname = "c%s"\nport = %s\n' "$i" "${ports[$((i - 1))]}"
    for k in feed spindle status positions alarms; do
      printf '  [[controller.item]]\n  kind = "%s"\n  interval = %s\n' "$k" "$1"
    done
  done
}
run() { "$build/bin/ozgate" --config "$1" --seconds "$2" | tail -n 1; }

config 0 off > "$work/base.toml"; config 0 on > "$work/full.toml"; config 1 on > "$work/steady.toml"
base=$(run "$work/base.toml" "$secs"); full=$(run "$work/full.toml" "$secs"); steady=$(run "$work/steady.toml" 20)
rate() { sed -n 's/.*(\([0-9]*\)\/s).*/\1/p' <<<"$1"; }
cpu() { sed -n 's/.* \([0-9.]*\) s CPU.*/\1/p' <<<"$1"; }
echo "controllers: $n, 5 items each"
echo "baseline, polling only:       $(rate "$base") items/s"
echo "ozgate, all outputs on:       $(rate "$full") items/s ($(python3 -c "print(round($(rate "$full")/max(1,$(rate "$base")),2))") of the baseline)"
echo "steady 1 s polls:             $(rate "$steady") items/s, $(cpu "$steady") s CPU in 20 s"
python3 -c "r=$(rate "$steady"); c=$(cpu "$steady"); print(f'CPU per 1000 items/s:         {100*c/20/(r/1000):.1f} % of one core')"
