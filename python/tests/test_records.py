"""Records, setup blocks and identifiers through the library's field table, and the typed stub."""
import ast
import pathlib
import struct

import pytest

import qxmsg


def test_fields_read_back_after_init(scope):
    assert scope.write(":ACQUIRE:TYPE PEAKDETECT").sent == [":ACQUIRE:TYPE PEAKDETECT"]
    assert scope.setup.AcqType == 0
    assert scope.init().changed == {"AcqType": (0, 2)}
    assert scope.setup.AcqType == 2
    assert scope.blocks()["dso"] == scope.simulator.block("dso") == scope.query_bytes(":SETUP:DSO?")


@pytest.mark.parametrize("record, name, value", [
    ("setup", "ChanScale", [1.0, 1.0]),
    ("setup", "LanIp", "192.0.2.10"),
    ("setup", "ChanUnitText", ["", ""]),
    ("rgn", "MainWaveRect", (16, 13, 716, 413)),
])
def test_record_fields_by_name(scope, record, name, value):
    assert getattr(getattr(scope, record), name) == value


def test_records_list_every_field_of_the_table(scope):
    names = [f["name"] for f in qxmsg.fields("setup")]
    assert dir(scope.setup) == sorted(names) and list(scope.setup.as_dict()) == names
    windows = scope.pos.Window
    assert len(windows) == 14 and set(windows[0]) == {"FirstPoint", "LastPoint", "FirstX", "LastX", "ClipFirstX",
                                                      "ClipLastX", "PointShift"}
    with pytest.raises(AttributeError, match='the setup record has no field "AcqAverage"'):
        scope.setup.AcqAverage


def test_blocks_decode_at_their_documented_offsets():
    with qxmsg.Simulator(serve=False) as sim:
        dso = bytearray(sim.block("dso"))
        struct.pack_into("<fq", dso, 0x138, 2e-3, 2_000_000_000)  # time/div as f32, then picoseconds
        fields = qxmsg.decode_block("dso", bytes(dso))
        assert (fields["TimeScale"], fields["TimeScalePs"]) == (pytest.approx(2e-3), 2_000_000_000)
        assert qxmsg.decode_block("la", sim.block("la"))["LaThreshold"] == pytest.approx(1.4)
    with pytest.raises(ValueError, match="780 bytes, not 779"):
        qxmsg.decode_block("dso", bytes(779))
    with pytest.raises(KeyError, match="a record, not a block"):
        qxmsg.decode_block("setup", bytes(780))


def test_field_descriptions_carry_units_and_code_names():
    setup = {f["name"]: f for f in qxmsg.fields("setup")}
    assert (setup["TimeScale"]["unit"], setup["TimeScale"]["type"]) == ("s", "float")
    assert (setup["ChanScale"]["unit"], setup["ChanScale"]["count"]) == ("V", 2)
    assert setup["AcqType"]["words"] == ["NORMAL", "AVERAGE", "PEAKDETECT"]


def test_stubs_cover_the_api_words_fields_and_identifiers():
    here = pathlib.Path(qxmsg.__file__).parent
    stub = ast.parse((here / "__init__.pyi").read_text())
    top = {n.name for n in stub.body if isinstance(n, (ast.ClassDef, ast.FunctionDef))}
    assert set(qxmsg.__all__) <= top
    for cls in (qxmsg.Scope, qxmsg.Simulator):
        node = next(n for n in stub.body if isinstance(n, ast.ClassDef) and n.name == cls.__name__)
        members = {getattr(n, "name", None) or n.target.id for n in node.body if not isinstance(n, ast.Expr)}
        assert {m for m in dir(cls) if not m.startswith("_")} <= members
    tables = (here / "_tables.pyi").read_text()
    for line in ("    'acquire averages',", "    AcqAverages: int", "    ChanScale: list[float]",
                 "    MainWaveRect: tuple[int, int, int, int]", "CMD_ACQUIRE: int"):
        assert line + "\n" in tables
    assert len(qxmsg.words()) == tables.count("\n    '")
