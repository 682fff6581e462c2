"""Runs the tests against an ozsim in a child process. OZSIM names the
program; OZLIB_LIBRARY the library the binding loads."""
import os
import socket
import subprocess
import sys

import pytest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))


@pytest.fixture(scope="session")
def _ozsim():
    program = os.environ.get("OZSIM")
    if not program:
        pytest.skip("OZSIM is not set")
    proc = subprocess.Popen([program, "--port", "0", "--control", "0", "--run"],
                            stdout=subprocess.PIPE, text=True)
    # "ozsim listening on 127.0.0.1:PORT", then "ozsim control on 127.0.0.1:PORT"
    ports = [int(proc.stdout.readline().rsplit(":", 1)[1]) for _ in range(2)]
    yield ports
    proc.terminate()
    proc.wait(timeout=10)


@pytest.fixture
def ozsim(_ozsim):
    return _ozsim[0]


@pytest.fixture
def operator(_ozsim):
    """Sends one line to the simulator's control channel (an alarm, a
    message...) and returns its answer."""
    def send(line):
        with socket.create_connection(("127.0.0.1", _ozsim[1]), timeout=5) as s:
            s.sendall(line.encode() + b"\n")
            answer = s.makefile().readline().strip()
        assert answer.startswith("ok"), answer
        return answer
    return send


@pytest.fixture
def cnc(ozsim):
    from ozlib import Controller
    with Controller("127.0.0.1", ozsim, timeout=5) as c:
        yield c
