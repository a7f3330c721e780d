"""A scope against the embedded simulator: results, refusals, link faults, pacing, one instance per process."""
import logging
import threading
import time
from concurrent.futures import ThreadPoolExecutor

import pytest

import qxmsg


@pytest.mark.parametrize("resource", ["sim", "usb-sim"])
@pytest.mark.parametrize("value, line, status, change", [
    (100, ":ACQUIRE:AVERAGES 128", None, (16, 128)),
    (1000, ":ACQUIRE:AVERAGES 256", "Acquire average number at upper limit", (16, 256)),
])
def test_word_round_trip(resource, value, line, status, change, caplog):
    caplog.set_level(logging.DEBUG, logger="qxmsg.wire")
    with qxmsg.open(resource) as scope:
        r = scope.set("acquire averages", value)
        assert (r.sent, r.status, r.changed) == ([line], status, {"AcqAverages": change})
        assert ("panel", "CMD_ACQUIRE", "CTL_ACQ_AVERAGES", 0) in r.messages
        assert scope.setup.AcqAverages == change[1]
        assert scope.simulator.execute(":ACQUIRE:AVERAGES?") == str(change[1]).encode()
        assert scope.query("*IDN?") == scope.identity
    assert any(line in m for m in caplog.messages)


@pytest.mark.parametrize("call, why", [
    (lambda s: s.set("acquire averages", "64V"), "does not fit"),
    (lambda s: s.set("acquire bogus", 1), "expected type, mode"),
    (lambda s: s.set("show", "acquire"), "a word of the console"),
    (lambda s: s.post(qxmsg.CMD_ACQUIRE, qxmsg.CTL_ACQ_TYPE, 0, float=1.0), "takes int"),
    (lambda s: s.post(qxmsg.CMD_CHANNEL, 0x465, 2, float=0.5), "names no slot; it takes 0 to 1"),
    (lambda s: s.post(qxmsg.CMD_ACQUIRE, qxmsg.CTL_ACQ_AVERAGES, 0, int=2.5), "not a whole number"),
    (lambda s: s.post(qxmsg.CMD_ACQUIRE, qxmsg.CTL_ACQ_MODE, 0, byte=256), "too large for a byte"),
    (lambda s: s.post(qxmsg.CMD_ACQUIRE, qxmsg.CTL_ACQ_MEMORY, 0, uint=-1), "too small"),
    (lambda s: s.write("*RST\n:STOP"), "one line at a time"),
])
def test_refused_value_changes_nothing(scope, call, why):
    before, commands = scope.setup.as_dict(), scope.simulator.counters()["commands"]
    with pytest.raises(qxmsg.RefusedError, match=why):
        call(scope)
    assert scope.setup.as_dict() == before
    assert scope.simulator.counters()["commands"] == commands


def test_post_names_its_messages_and_a_running_scope_restarts_the_change_timer(scope):
    assert scope.post(qxmsg.CMD_RUN_CONTROL, qxmsg.CTL_RUN).sent[-1] == ":RUN"
    r = scope.post(qxmsg.CMD_CHANNEL, 0x465, 1, float=0.5)
    assert r.sent[-1] == ":CHANNEL2:SCALE 0.500000" and r.changed["ChanScale[1]"] == (1.0, 0.5)
    assert ("main", "timer", "8", 500) in r.messages
    assert ("panel", "CMD_CHANNEL", "0x465", 1) in r.messages
    with pytest.raises(TypeError):
        scope.post(qxmsg.CMD_ACQUIRE, qxmsg.CTL_ACQ_TYPE, 0, int=1, float=1.0)


@pytest.mark.parametrize("pacing, at_least, below", [("real", 0.1, 1.0), ("fast", 0.0, 0.09)])
def test_pacing_keeps_or_cuts_the_pause_after_a_line(pacing, at_least, below):
    with qxmsg.open("sim", pacing=pacing) as scope:
        start = time.monotonic()
        scope.set("acquire type", "peak")
        assert at_least <= time.monotonic() - start < below


@pytest.mark.parametrize("resource, why", [
    ("127.0.0.1:1", "cannot connect to 127.0.0.1:1: refused"),
    ("TCPIP::a::b::SOCKET", "is no instrument"),
])
def test_unreachable_instruments_raise_connect_error(resource, why):
    with pytest.raises(qxmsg.ConnectError, match=why):
        qxmsg.open(resource, timeout_ms=300)


def test_instrument_refusals_are_data_and_the_console_report_is_logged(scope, caplog):
    caplog.set_level(logging.DEBUG, logger="qxmsg")
    r = scope.write(":ACQUIRE:TYPE SLOW")
    assert r.sent == [":ACQUIRE:TYPE SLOW"]
    assert r.errors == ['the instrument refused a line: -224,"Illegal parameter value"']
    assert "  AcqAverages = 16\n" in scope.console("show acquire").text
    assert any(m.startswith("show acquire\n") and "AcqAverages = 16" in m for m in caplog.messages)


def _zero_timeout():
    with qxmsg.open("usb-sim") as scope:
        scope.timeout_ms = 0


@pytest.mark.parametrize("call", [
    lambda: qxmsg.open("sim", timeout_ms=0),
    lambda: qxmsg.open("sim", pacing="slow"),
    _zero_timeout,
])
def test_bad_arguments_raise_value_error(call):
    with pytest.raises(ValueError, match="timeout_ms must be at least 1|pacing is"):
        call()


def test_late_replies_raise_timeout_within_the_bound(scope):
    scope.simulator.faults = qxmsg.Faults(reply_delay_ms=3000)
    start = time.monotonic()
    with pytest.raises(qxmsg.TimeoutError, match="did not answer 1 query within 300 ms"):
        scope.query("*IDN?")
    assert 0.3 <= time.monotonic() - start < 1.5  # the reply wait, then the error-queue probe's


def test_dropped_connection_raises_connect_error(scope):
    scope.simulator.faults = qxmsg.Faults(drop_after=1)
    with pytest.raises(qxmsg.ConnectError, match="connection is lost"):
        scope.set("acquire type", "aver")


def test_gil_is_released_while_waiting_for_a_reply(scope):
    scope.simulator.faults = qxmsg.Faults(reply_delay_ms=200)
    scope.timeout_ms = 2000
    ticks, done = [0], threading.Event()

    def count():
        while not done.wait(0.001):
            ticks[0] += 1

    t = threading.Thread(target=count)
    t.start()
    assert scope.query("*IDN?").startswith("QXSIM")
    done.set()
    t.join()
    assert ticks[0] > 50


def test_threads_take_turns_on_one_scope_while_the_wire_is_logged(caplog):
    caplog.set_level(logging.DEBUG, logger="qxmsg.wire")  # the trace takes the GIL back mid-call
    with qxmsg.open("sim") as scope, ThreadPoolExecutor(4) as pool:
        sent = list(pool.map(lambda n: scope.set("acquire averages", n).sent, (4, 8, 16, 32), timeout=10))
    assert sent == [[f":ACQUIRE:AVERAGES {n}"] for n in (4, 8, 16, 32)]


def test_second_open_is_refused(scope):
    with pytest.raises(qxmsg.Error, match="already open in this process"):
        qxmsg.open("usb-sim")


def test_a_closed_scope_refuses_calls(scope):
    scope.close()
    scope.close()
    with pytest.raises(qxmsg.Error, match="closed"):
        scope.set("acquire type", "peak")


def test_context_manager_disconnects_when_the_body_raises():
    with pytest.raises(KeyError):
        with qxmsg.open("sim") as scope:
            raise KeyError("body")
    assert scope.closed and not scope.simulator.serving
    with qxmsg.Simulator() as sim, qxmsg.open(sim.resource) as again:
        assert again.identity.startswith("QXSIM")


def test_an_incomplete_read_back_keeps_the_value_asked_for(scope):
    scope.simulator.faults = qxmsg.Faults(prefix_delta=-10)
    r = scope.set("acquire averages", 64)
    assert r.sent == [":ACQUIRE:AVERAGES 64"]
    assert r.changed["AcqAverages"] == (16, 64)
    assert "did not all come back whole" in r.text
