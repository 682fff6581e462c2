"""Runs the tests against an ozsim in a child process. OZSIM names the
program; OZLIB_LIBRARY the library the binding loads."""
import os
import subprocess
import sys

import pytest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))


@pytest.fixture(scope="session")
def ozsim():
    program = os.environ.get("OZSIM")
    if not program:
        pytest.skip("OZSIM is not set")
    proc = subprocess.Popen([program, "--port", "0", "--run"], stdout=subprocess.PIPE, text=True)
    line = proc.stdout.readline()   # "ozsim listening on 127.0.0.1:PORT"
    port = int(line.rsplit(":", 1)[1])
    yield port
    proc.terminate()
    proc.wait(timeout=10)


@pytest.fixture
def cnc(ozsim):
    from ozlib import Controller
    with Controller("127.0.0.1", ozsim, timeout=5) as c:
        yield c
