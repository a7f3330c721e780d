"""qxmsg.Simulator as a fixture: its port, its fault switches, its blocks as bytes."""
import pytest

import qxmsg


def test_a_block_written_to_the_simulator_reaches_the_records_on_init():
    with qxmsg.Simulator() as sim, qxmsg.open(sim.resource, pacing="fast") as scope:
        assert scope.simulator is None and scope.setup.AcqAverages == 16
        dso = bytearray(sim.block("dso"))
        dso[0x1C8] = 6  # the averages exponent: 64
        sim.set_block("dso", bytes(dso))
        assert scope.init().changed == {"AcqAverages": (16, 64)}
    assert not sim.serving


def test_faults_switch_and_replies_in_pieces_still_arrive(scope):
    sim = scope.simulator
    assert sim.faults == qxmsg.Faults()
    sim.faults = qxmsg.Faults(piece_bytes=3, piece_gap_ms=2)
    assert scope.query("*IDN?") == scope.identity
    assert len(scope.query_bytes(":SETUP:ALT?")) == 396


def test_execute_runs_a_line_on_the_instrument():
    with qxmsg.Simulator(serve=False) as sim:
        assert (sim.port, sim.serving) == (-1, False)
        assert sim.execute(":ACQUIRE:TYPE PEAKDETECT") is None
        assert sim.execute(":ACQUIRE:TYPE?") == b"PEAKDETECT"
        with pytest.raises(qxmsg.RefusedError, match=":ACQ:FOO"):
            sim.execute(":ACQ:FOO")
        assert sim.counters()["errors"] == 1
        sim.reset()
        assert sim.execute(":ACQUIRE:TYPE?") == b"NORMAL"
