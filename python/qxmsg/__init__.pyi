"""Drive the oscilloscope, or its simulator, from Python through the qxmsg library."""
import builtins
from typing import Any, NamedTuple, Optional

# The control words, the records' fields and the CMD_/CTL_ identifiers, as the build wrote them from
# the module's own tables.
from ._tables import *  # noqa: F403
from ._tables import PosRecord, RgnRecord, SetupRecord, Word

class Error(Exception):
    """Base of every qxmsg error; raised itself for a second open in one process."""

class ConnectError(Error, ConnectionError):
    """The instrument cannot be reached, or its connection was lost."""

class TimeoutError(Error, builtins.TimeoutError):
    """The instrument did not answer within timeout_ms."""

class RefusedError(Error, ValueError):
    """A word or value the console refuses; nothing was posted."""

class Faults:
    """Faults the simulator injects on its LAN link."""
    reply_delay_ms: int
    piece_bytes: int
    piece_gap_ms: int
    drop_after: int
    prefix_delta: int
    def __init__(self, reply_delay_ms: int = 0, piece_bytes: int = 0, piece_gap_ms: int = 1,
                 drop_after: int = 0, prefix_delta: int = 0) -> None: ...

class Simulator:
    """The simulated instrument in this process, served on host:port (0: a free port) when serve."""
    def __init__(self, port: int = 0, host: str = "127.0.0.1", serve: bool = True) -> None: ...
    @property
    def port(self) -> int: ...
    @property
    def address(self) -> str: ...
    @property
    def resource(self) -> str: ...
    @property
    def serving(self) -> bool: ...
    faults: Faults
    def block(self, name: str) -> bytes:
        """A copy of the setup block dso (780 bytes), la (260) or alt (396)."""
    def set_block(self, name: str, data: bytes) -> None: ...
    def execute(self, line: str) -> Optional[bytes]:
        """Runs one line on the instrument directly; a query's reply."""
    def reset(self) -> None: ...
    def counters(self) -> dict[str, int]: ...
    def stop(self) -> None: ...
    def __enter__(self) -> Simulator: ...
    def __exit__(self, *exc: Any) -> None: ...

class WindowMessage(NamedTuple):
    """A window message the host received: ("panel", "CMD_ACQUIRE", "CTL_ACQ_AVERAGES", 0)."""
    window: str
    message: str
    control: str
    value: int

class Result:
    """What one call did."""
    sent: list[str]
    messages: list[WindowMessage]
    status: Optional[str]
    changed: dict[str, tuple[Any, Any]]
    errors: list[str]
    reply: Optional[bytes]
    text: str

class Scope:
    """An open instrument; made by open(), closed by close() or its with block."""
    resource: str
    def set(self, word: Word | str, value: int | float | str | bool | None = None) -> Result:
        """Sets a control by its console word: set("acquire averages", 100)."""
    def post(self, cmd: int, ctrl: int, value: int = 0, *, bool: builtins.bool | int = ..., byte: int = ...,
             int: builtins.int = ..., uint: builtins.int = ..., float: builtins.float = ...,
             double: builtins.float = ..., int64: builtins.int = ...) -> Result:
        """Posts one command with at most one message variable of the control's own type."""
    def write(self, text: str) -> Result: ...
    def query(self, text: str) -> str: ...
    def query_bytes(self, text: str) -> bytes: ...
    def init(self) -> Result: ...
    def console(self, line: str) -> Result: ...
    def blocks(self) -> dict[str, bytes]: ...
    @property
    def setup(self) -> SetupRecord: ...
    @property
    def rgn(self) -> RgnRecord: ...
    @property
    def pos(self) -> PosRecord: ...
    @property
    def identity(self) -> str: ...
    @property
    def simulator(self) -> Optional[Simulator]: ...
    timeout_ms: int
    @property
    def closed(self) -> bool: ...
    def close(self) -> None: ...
    def __enter__(self) -> Scope: ...
    def __exit__(self, *exc: Any) -> None: ...

def open(resource: str = "sim", *, timeout_ms: int = 3000, pacing: Optional[str] = None) -> Scope:
    """Opens "sim", "usb-sim", "HOST[:PORT]" or "TCPIP::HOST::PORT::SOCKET" and starts the system."""

def words() -> list[str]:
    """Every control word Scope.set takes."""

def fields(name: str) -> list[dict[str, Any]]:
    """The fields of a record (setup, rgn, pos) or setup block (dso, la, alt)."""

def decode_block(name: str, data: bytes) -> dict[str, Any]:
    """The fields of a setup block's bytes, by name."""
