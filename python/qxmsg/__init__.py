"""Drive the oscilloscope, or its simulator, from Python through the qxmsg library.

    import qxmsg
    with qxmsg.open("sim") as scope:             # or "TCPIP::192.168.1.50::5555::SOCKET", "usb-sim"
        r = scope.set("acquire averages", 100)   # the console's words and value rules
        print(r.sent, r.status, r.changed)
        scope.setup.AcqAverages                  # every record field by name
        scope.query("*IDN?")

A scope runs exactly the code a GUI host runs: every setting is posted to the
library's queue, validated, sent and read back. The wire trace goes to the
logger "qxmsg.wire" (enable DEBUG before open), what the console would print
for each call to "qxmsg" at DEBUG.
"""
from __future__ import annotations

import logging
from dataclasses import dataclass
from typing import Any, NamedTuple, Optional

from . import _qxmsg
from ._qxmsg import (ConnectError, Error, Faults, RefusedError, Simulator, TimeoutError, decode_block, fields,
                     words)

globals().update({k: v for k, v in vars(_qxmsg).items() if k.startswith(("CMD_", "CTL_"))})
for _name in ("Error", "ConnectError", "TimeoutError", "RefusedError", "Simulator", "Faults"):
    getattr(_qxmsg, _name).__module__ = __name__

__all__ = ["open", "Scope", "Result", "WindowMessage", "Simulator", "Faults", "Error", "ConnectError",
           "TimeoutError", "RefusedError", "words", "fields", "decode_block"]

_log = logging.getLogger("qxmsg")
_TYPES = ("bool", "byte", "int", "uint", "float", "double", "int64")


class WindowMessage(NamedTuple):
    """A window message the host received, by name: ("panel", "CMD_ACQUIRE", "CTL_ACQ_AVERAGES", 0).
    A timer (re)started reads ("main", "timer", "8", 500): its id and its period in ms."""
    window: str
    message: str
    control: str
    value: int


@dataclass(frozen=True)
class Result:
    """What one call did.

    sent: the command lines that went to the instrument (queries aside);
    messages: the window messages the host received;
    status: the status message the library raised ("Volts/Div at upper limit"), or None;
    changed: the setup record's entries that changed, {"AcqAverages": (16, 128)};
    errors: lines the instrument refused, from its error queue;
    reply: a query's reply, or None;
    text: what the console would have printed.
    """
    sent: list
    messages: list
    status: Optional[str]
    changed: dict
    errors: list
    reply: Optional[bytes]
    text: str


def _value_text(value: Any) -> str:
    if isinstance(value, bool):
        return "on" if value else "off"
    if isinstance(value, float):
        return repr(value)
    return str(value)


class Scope:
    """An open instrument: the library's host side (records, windows, link). Made by qxmsg.open;
    closing it (or leaving its with block) disconnects and stops an embedded simulator."""

    def __init__(self, host: _qxmsg.Host, simulator: Optional[Simulator], resource: str):
        self._host = host
        self._simulator = simulator
        self.resource = resource

    def _run(self, line: str, control_only: bool = False) -> Result:
        if "\r" in line or "\n" in line:
            raise RefusedError(f"one line at a time: {line!r}")
        d = self._host.run(line, control_only)
        _log.debug("%s\n%s", line, d["text"].rstrip("\n"))
        d["messages"] = [WindowMessage(*m) for m in d["messages"]]
        return Result(**d)

    def set(self, word: str, value: Any = None) -> Result:
        """Sets a control by its console word: set("acquire averages", 100), set("acquire type", "aver"),
        set("ch1 scale", 0.5). Values are numbers, the word's choices, or text with an SI prefix ("500u").
        Raises RefusedError, before anything is posted, for a word or value the console refuses."""
        return self._run(word if value is None else f"{word} {_value_text(value)}", control_only=True)

    def post(self, cmd: int, ctrl: int, value: int = 0, **variable: float) -> Result:
        """Posts one command to the library's queue, for what has no word: post(CMD_ACQUIRE,
        CTL_ACQ_TYPE, 0, int=1). The message variable is one keyword of bool, byte, int, uint, float,
        double, int64; it must be the control's own type and fit it, or RefusedError is raised."""
        if len(variable) > 1 or any(t not in _TYPES for t in variable):
            raise TypeError(f"post takes at most one message variable, as one of {', '.join(_TYPES)}")
        (kind, data), = variable.items() if variable else (("none", 0),)
        d = self._host.post(cmd, ctrl, value, kind, float(data))
        _log.debug("post %#x %#x %d\n%s", cmd, ctrl, value, d["text"].rstrip("\n"))
        d["messages"] = [WindowMessage(*m) for m in d["messages"]]
        return Result(**d)

    def write(self, text: str) -> Result:
        """Sends a raw command line. The records do not follow it; init() reads the instrument again."""
        return self._run(f"send {text}")

    def query_bytes(self, text: str) -> bytes:
        """Sends a raw query and returns its reply: up to 256 bytes, or a whole setup block
        (":SETUP:DSO?" 780 bytes on the LAN). Raises TimeoutError when no reply comes within timeout_ms."""
        reply = self._run(f"query {text}").reply
        if reply is None:
            raise TimeoutError(f"no reply to {text}")
        return reply

    def query(self, text: str) -> str:
        """Sends a raw query and returns its reply as text: query("*IDN?")."""
        return self.query_bytes(text).decode("latin-1")

    def init(self) -> Result:
        """Reads the instrument's setup into the records again."""
        return self._run("init")

    def console(self, line: str) -> Result:
        """Runs any line of the qxhost console ("show acquire", "help ch1 scale", "raw ..."); its
        printed output is in Result.text."""
        return self._run(line)

    def blocks(self) -> dict[str, bytes]:
        """The library's copies of the setup blocks, as the instrument last reported them:
        {"dso": 780 bytes, "la": 260, "alt": 396}; decode_block reads their fields."""
        return self._host.blocks()

    @property
    def setup(self) -> Any:
        """The settings record (_QX_SETUP): every field by name, arrays as lists."""
        return self._host.record("setup")

    @property
    def rgn(self) -> Any:
        """The screen-geometry record (_QX_RGN_SETUP)."""
        return self._host.record("rgn")

    @property
    def pos(self) -> Any:
        """The screen-window record (_QX_POS_SETUP)."""
        return self._host.record("pos")

    @property
    def identity(self) -> str:
        """The instrument's answer to *IDN? when it was opened."""
        return self._host.identity

    @property
    def simulator(self) -> Optional[Simulator]:
        """The embedded simulator of "sim" or "usb-sim" (its faults, its blocks), else None."""
        return self._simulator

    @property
    def timeout_ms(self) -> int:
        """How long a reply may take, in ms."""
        return self._host.timeout_ms

    @timeout_ms.setter
    def timeout_ms(self, ms: int) -> None:
        self._host.timeout_ms = ms

    @property
    def closed(self) -> bool:
        """True once closed."""
        return self._host.closed

    def close(self) -> None:
        """Disconnects, and stops an embedded simulator. Closing twice is harmless."""
        self._host.close()
        if self._simulator is not None:
            self._simulator.stop()

    def __enter__(self) -> Scope:
        return self

    def __exit__(self, *exc: Any) -> None:
        self.close()

    def __repr__(self) -> str:
        return f"<qxmsg.Scope {self.resource!r} {'closed' if self.closed else self._host.where}>"


def open(resource: str = "sim", *, timeout_ms: int = 3000, pacing: Optional[str] = None) -> Scope:
    """Opens an instrument and starts the system: the records then mirror it.

    resource: "sim" (the simulator, embedded, over a loopback socket), "usb-sim" (its USB device),
    "HOST[:PORT]" or "TCPIP::HOST::PORT::SOCKET" (port 5555 by default).
    timeout_ms: how long a reply may take. pacing: "real" keeps the pauses the instrument needs after
    each line (100 ms, 10 s after :AUTO), "fast" cuts them to 1 ms; fast for the simulator by default.
    The library is one instance per process: a second open while one is open raises Error.
    Raises ConnectError when the instrument cannot be reached."""
    if pacing not in (None, "real", "fast"):
        raise ValueError(f'pacing is "real" or "fast", not {pacing!r}')
    simulated = resource in ("sim", "usb-sim")
    fast = simulated if pacing is None else pacing == "fast"
    trace = logging.getLogger("qxmsg.wire").isEnabledFor(logging.DEBUG)
    sim = Simulator(serve=resource == "sim") if simulated else None
    try:
        host = _qxmsg.Host(sim.address if resource == "sim" else resource, timeout_ms, fast, trace,
                           sim if resource == "usb-sim" else None)
    except BaseException:
        if sim is not None:
            sim.stop()
        raise
    return Scope(host, sim, resource)
