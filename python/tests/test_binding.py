import os
import re
import threading
from datetime import datetime, timedelta

import pytest

import ozlib
from ozlib import Controller, scaled, to_decimal

HEADER = os.path.join(os.path.dirname(__file__), "..", "..", "include", "ozlib.h")


def test_result_codes_match_the_header():
    text = open(HEADER).read()
    codes = {int(v): k for k, v in re.findall(r"X\((EW_\w+), (-?\d+)\)", text)}
    assert codes == ozlib.RESULT_CODES


def test_signatures_name_declared_functions():
    text = open(HEADER).read()
    from ozlib._native import SIGNATURES
    for name in SIGNATURES:
        assert re.search(r"\b%s\(" % name, text), name


@pytest.mark.parametrize("value, expected", [(12.5, (125, 1)), ("-20.25", (-2025, 2)),
                                             (7, (7, 0)), ("0.001", (1, 3))])
def test_decimals_are_exact(value, expected):
    assert to_decimal(value) == expected


def test_decimals_refuse_what_does_not_fit():
    with pytest.raises(ValueError):
        to_decimal("1e12")
    with pytest.raises(ValueError):
        to_decimal("0.000000001")


def test_scaling():
    assert scaled(12345, 3) == 12.345
    assert scaled(-5, 0) == -5


def test_version_matches_the_package():
    assert ozlib.version() == (1, 0, 0)


def test_state(cnc):
    assert cnc.sysinfo().max_axes >= 3
    st = cnc.status()
    assert st.run in ozlib.controller.RUN_STATES
    assert cnc.axis_names()[:3] == ["X", "Y", "Z"]
    pos = cnc.positions()
    assert set(pos) >= {"X", "Y", "Z"}
    assert isinstance(pos["X"].absolute, (int, float))
    assert cnc.feed() >= 0
    assert isinstance(cnc.alarms(), list)


def test_macro_round_trip(cnc):
    cnc.write_macro(100, 12.5)
    assert cnc.read_macro(100) == 12.5
    cnc.write_macro(101, "-0.125")
    assert cnc.read_macro(101) == -0.125


def test_offsets_round_trip(cnc):
    cnc.write_tool_offset(3, 1500)
    assert cnc.read_tool_offset(3) == 1500
    cnc.write_work_offset(1, [100500, -20250, 0])
    assert cnc.read_work_offset(1)[:3] == [100500, -20250, 0]


def test_pmc_round_trip(cnc):
    cnc.write_pmc("R", 100, [1, 2, 255])
    assert cnc.read_pmc("R", 100, 102) == [1, 2, 255]
    cnc.write_pmc("d", 10, [-2, 30000], width=2)
    assert cnc.read_pmc("D", 10, 13, width=2) == [-2, 30000]
    with pytest.raises(ValueError):
        cnc.write_pmc("R", 100, [300])


def test_program_round_trip(cnc):
    text = "%\nO0123(PY TEST)\nG00 X1.5\nM30\n%"
    cnc.download_program(text)
    assert 123 in [p.number for p in cnc.programs()]
    assert "G00 X1.5" in cnc.upload_program(123)
    cnc.delete_program(123)
    assert 123 not in [p.number for p in cnc.programs()]


def test_errors_carry_function_name_and_detail(cnc):
    with pytest.raises(ozlib.RequestError) as e:
        cnc.upload_program(9999)
    assert e.value.function == "cnc_upstart3" or e.value.function.startswith("cnc_up")
    assert e.value.name.startswith("EW_")


def test_connection_refused_is_a_communication_error():
    with pytest.raises(ozlib.CommunicationError) as e:
        Controller("127.0.0.1", 1, timeout=1)
    assert e.value.name == "EW_CIRCUIT"


def test_a_controller_belongs_to_its_thread(cnc):
    caught = []

    def other():
        try:
            cnc.feed()
        except ozlib.ThreadError as e:
            caught.append(e)

    t = threading.Thread(target=other)
    t.start()
    t.join()
    assert len(caught) == 1
    assert cnc.feed() >= 0   # still usable from its own thread


def test_raw_functions_have_signatures():
    assert ozlib.raw().cnc_actf.argtypes is not None


def test_the_package_builds_without_an_index(tmp_path):
    # pip runs this backend in-tree; it must need nothing but the standard library.
    import importlib.util
    import zipfile
    root = os.path.join(os.path.dirname(__file__), "..")
    loader = importlib.util.spec_from_file_location("backend", os.path.join(root, "_build", "backend.py"))
    backend = importlib.util.module_from_spec(loader)
    loader.loader.exec_module(backend)
    assert backend.get_requires_for_build_wheel() == []
    name = backend.build_wheel(str(tmp_path))
    names = zipfile.ZipFile(tmp_path / name).namelist()
    assert "ozlib/controller.py" in names and "ozlib-1.0.0.dist-info/RECORD" in names


def test_alarm_and_message_histories(cnc, operator, monkeypatch):
    before = datetime.now().replace(microsecond=0)
    for number in (1201, 1202, 1203):
        operator(f"alarm raise {number} 2 1 PY ALARM {number}")
    operator("alarm clear")
    operator("message 2001 0 LOAD PART")
    # Three records over two pages: the paging must keep them in order.
    monkeypatch.setattr(ozlib.controller, "HISTORY_PAGE", 2)
    alarms = cnc.alarm_history(last=3)
    assert [(a.number, a.message) for a in alarms] == [(n, f"PY ALARM {n}") for n in (1201, 1202, 1203)]
    assert [a.record for a in alarms] == list(range(alarms[0].record, alarms[0].record + 3))
    assert alarms[-1].time is not None and alarms[-1].time >= before - timedelta(seconds=2)
    assert cnc.alarm_history(last=1) == alarms[-1:]
    msg = cnc.message_history(last=1)
    assert [(m.number, m.message) for m in msg] == [(2001, "LOAD PART")]


def test_operation_history_counts_to_the_newest(cnc):
    cnc.write_macro(100, 1)
    ops = cnc.operation_history(last=5)
    assert 1 <= len(ops) <= 5
    assert [o.record for o in ops] == list(range(ops[0].record, ops[0].record + len(ops)))


def test_sampling(cnc):
    data = cnc.sample([1, 3], seconds=0.3)
    assert set(data) == {1, 3}
    assert all(len(v) > 10 and len(set(v)) > 1 for v in data.values())
    with cnc.sampling([2]) as s:
        with pytest.raises(ozlib.RequestError) as e:
            cnc.sample([1], seconds=0.1)   # one sampling at a time
        assert e.value.name == "EW_REFUSED"
        s.read()
    assert cnc.sample([2], seconds=0.05)   # the with-block ended it
    with pytest.raises(ValueError):
        cnc.sampling([0, 9])
