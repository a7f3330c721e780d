"""Writes _tables.pyi, the stub of what the module reads from the library's
tables at run time: the console's control words, the fields of the three
records and the command and control identifiers, so that editors complete
them. The build runs it: python -m qxmsg._stubgen OUT."""
import sys

from . import _qxmsg

_RECORDS = (("SetupRecord", "setup"), ("RgnRecord", "rgn"), ("PosRecord", "pos"))


def stub() -> str:
    out = ["# Written by the build from the module's tables (python -m qxmsg._stubgen); do not edit.",
           "from typing import Any, Literal", "", "Word = Literal["]
    out += [f"    {w!r}," for w in _qxmsg.words()]
    out.append("]")
    for cls, name in _RECORDS:
        out += ["", "", f"class {cls}:", f'    """The {name} record: every field by name, arrays as lists."""']
        for f in _qxmsg.fields(name):
            out.append(f"    {f['name']}: {f['type'] if f['count'] == 1 else 'list[' + f['type'] + ']'}")
        out.append("    def as_dict(self) -> dict[str, Any]: ...")
    out.append("")
    out += [f"{n}: int" for n in dir(_qxmsg) if n.startswith(("CMD_", "CTL_"))]
    return "\n".join(out) + "\n"


if __name__ == "__main__":
    with open(sys.argv[1], "w", encoding="ascii") as f:
        f.write(stub())
