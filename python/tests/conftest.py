import pytest

import qxmsg


@pytest.fixture
def scope():
    with qxmsg.open("sim", timeout_ms=300) as s:
        yield s
