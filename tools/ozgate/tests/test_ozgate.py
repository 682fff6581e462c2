"""ozgate end to end: a real MQTT broker, two ozsim controllers, ozgate, and a
client for each output (mosquitto_sub, an HTTP client, a TCP client)."""
import json
import os
import queue
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

import pytest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "python"))

ENV = ["OZGATE", "OZSIM", "MOSQUITTO", "MOSQUITTO_SUB", "OZLIB_LIBRARY"]
if any(not os.environ.get(k) for k in ENV):
    pytest.skip("needs " + ", ".join(ENV), allow_module_level=True)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Lines:
    """Collects a child's output lines on a thread; tests look for a line in
    all of them, or in those after a mark."""

    def __init__(self, proc):
        self.all = []
        self.lock = threading.Lock()
        threading.Thread(target=self._pump, args=(proc.stdout,), daemon=True).start()

    def _pump(self, f):
        for line in f:
            with self.lock:
                self.all.append(line.rstrip("\n"))

    def mark(self):
        with self.lock:
            return len(self.all)

    def since(self, start):
        with self.lock:
            return self.all[start:]

    def wait(self, pred, timeout=10, start=0):
        end = time.time() + timeout
        while True:
            for line in self.since(start):
                if pred(line):
                    return line
            if time.time() > end:
                raise AssertionError(f"not seen within {timeout} s; last lines {self.since(start)[-10:]}")
            time.sleep(0.05)


def start_ozsim(port):
    p = subprocess.Popen([os.environ["OZSIM"], "--port", str(port), "--run"], stdout=subprocess.PIPE, text=True)
    assert "listening" in p.stdout.readline()
    return p


@pytest.fixture(scope="module")
def rig():
    tmp = tempfile.mkdtemp()
    broker_port = free_port()
    conf = os.path.join(tmp, "mosquitto.conf")
    with open(conf, "w") as f:
        f.write(f"listener {broker_port} 127.0.0.1\nallow_anonymous true\n")
    broker = subprocess.Popen([os.environ["MOSQUITTO"], "-c", conf], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    sims = {name: free_port() for name in ("m1", "m2")}
    procs = {name: start_ozsim(port) for name, port in sims.items()}
    gate_conf = os.path.join(tmp, "gate.toml")
    with open(gate_conf, "w") as f:
        f.write(f"""
[gate]
refresh = 3600
[mqtt]
port = {broker_port}
[prometheus]
listen = "127.0.0.1:0"
[shdr]
listen = "127.0.0.1:0"
""")
        for name, port in sims.items():
            f.write(f"""
[[controller]]
name = "{name}"
port = {port}
timeout = 2
  [[controller.item]]
  kind = "feed"
  interval = 0.1
  [[controller.item]]
  kind = "positions"
  interval = 0.2
  [[controller.item]]
  kind = "status"
  [[controller.item]]
  name = "var100"
  kind = "macro"
  number = 100
  interval = 0.1
""")
    time.sleep(0.3)   # the broker's listener
    sub = subprocess.Popen([os.environ["MOSQUITTO_SUB"], "-p", str(broker_port), "-t", "ozlib/#", "-v"],
                           stdout=subprocess.PIPE, text=True)
    gate = subprocess.Popen([os.environ["OZGATE"], "--config", gate_conf], stdout=subprocess.PIPE, text=True)
    out = Lines(gate)
    prom = int(out.wait(lambda l: "prometheus on" in l).split(":")[-1].split("/")[0])
    shdr = int(out.wait(lambda l: "shdr on" in l).split(":")[-1])
    yield {"mqtt": Lines(sub), "prom": prom, "shdr": shdr, "sims": sims, "procs": procs}
    for p in [gate, sub, broker] + list(procs.values()):
        p.terminate()
        p.wait(timeout=10)


def payload(line):
    topic, _, body = line.partition(" ")
    return topic, body


def test_values_reach_mqtt_as_json(rig):
    line = rig["mqtt"].wait(lambda l: l.startswith("ozlib/m1/feed "))
    body = json.loads(payload(line)[1])
    assert body["value"] == 1200 and body["unit"] == "mm/min" and body["timestamp"].endswith("Z")
    rig["mqtt"].wait(lambda l: l.startswith("ozlib/m2/positions/X "))
    rig["mqtt"].wait(lambda l: l == "ozlib/availability online")
    rig["mqtt"].wait(lambda l: l == "ozlib/m1/availability online")


def test_only_changes_are_published(rig):
    rig["mqtt"].wait(lambda l: l.startswith("ozlib/m1/var100 "))
    mark = rig["mqtt"].mark()
    time.sleep(1.5)
    assert [l for l in rig["mqtt"].since(mark) if l.startswith("ozlib/m1/var100 ")] == []
    # polled every 0.1 s, unchanged: nothing sent
    from ozlib import Controller
    with Controller("127.0.0.1", rig["sims"]["m1"], timeout=5) as c:
        c.write_macro(100, 7.5)
    line = rig["mqtt"].wait(lambda l: l.startswith("ozlib/m1/var100 "), start=mark)
    assert json.loads(payload(line)[1])["value"] == 7.5


def test_prometheus_endpoint(rig):
    text = urllib.request.urlopen(f"http://127.0.0.1:{rig['prom']}/metrics", timeout=5).read().decode()
    assert 'ozlib_value{controller="m1",item="feed",key=""} 1200' in text
    assert 'ozlib_up{controller="m2"} 1' in text
    assert 'ozlib_poll_seconds_bucket{controller="m1",le="+Inf"}' in text
    assert 'ozlib_text{controller="m1",item="status",key="run"' in text


def test_shdr_adapter(rig):
    with socket.create_connection(("127.0.0.1", rig["shdr"]), timeout=5) as s:
        f = s.makefile("rw")
        first = [f.readline() for _ in range(3)]
        assert all(l.count("|") >= 2 for l in first)
        s.sendall(b"* PING\n")
        deadline = time.time() + 5
        while time.time() < deadline:
            line = f.readline()
            if line.startswith("* PONG"):
                break
        else:
            pytest.fail("no PONG")


def test_availability_and_reconnect(rig):
    mark = rig["mqtt"].mark()
    rig["procs"]["m2"].terminate()
    rig["procs"]["m2"].wait(timeout=10)
    rig["mqtt"].wait(lambda l: l == "ozlib/m2/availability offline", timeout=15, start=mark)
    mark = rig["mqtt"].mark()
    rig["procs"]["m2"] = start_ozsim(rig["sims"]["m2"])
    rig["mqtt"].wait(lambda l: l == "ozlib/m2/availability online", timeout=40, start=mark)
    # republished after the return although unchanged
    rig["mqtt"].wait(lambda l: l.startswith("ozlib/m2/feed "), timeout=10, start=mark)
    text = urllib.request.urlopen(f"http://127.0.0.1:{rig['prom']}/metrics", timeout=5).read().decode()
    assert 'ozlib_reconnects_total{controller="m2"} 1' in text


def test_bad_configuration_names_file_and_line(tmp_path):
    bad = tmp_path / "bad.toml"
    bad.write_text('[[controller]]\nname = "x"\nport = 1\n  [[controller.item]]\n  kind = "nonsense"\n')
    r = subprocess.run([os.environ["OZGATE"], "--config", str(bad)], capture_output=True, text=True)
    assert r.returncode == 1
    assert "bad.toml:4" in r.stderr and "nonsense" in r.stderr
    r = subprocess.run([os.environ["OZGATE"]], capture_output=True, text=True)
    assert r.returncode == 2
