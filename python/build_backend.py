"""The build backend of pip install ./python: CMake builds the module in
<checkout>/build-python, and the package it leaves there becomes the wheel.
It asks no package index for anything, so it works offline."""
import base64
import hashlib
import os
import pathlib
import re
import subprocess
import sys
import sysconfig
import zipfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
NAME = "qxmsg"


def _version() -> str:
    return re.search(r"project\(QxMsg VERSION ([0-9.]+)", (ROOT / "CMakeLists.txt").read_text()).group(1)


def _tag() -> str:
    python = f"cp{sys.version_info.major}{sys.version_info.minor}"
    return f"{python}-{python}-{re.sub('[-.]', '_', sysconfig.get_platform())}"


def _build() -> pathlib.Path:
    if not (ROOT / "include" / "QxMsg.h").exists():
        raise RuntimeError(f"{ROOT} is no qxmsg checkout: install the python directory of a checkout in place")
    build = ROOT / "build-python"
    jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL") or str(os.cpu_count() or 1)
    subprocess.run(["cmake", "-S", ROOT, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                    f"-DPython3_EXECUTABLE={sys.executable}", "-DQXMSG_BUILD_TESTS=OFF",
                    "-DQXMSG_BUILD_BENCH=OFF", "-DQXMSG_BUILD_EXAMPLES=OFF"], check=True)
    subprocess.run(["cmake", "--build", build, "--target", "qxmsg_python", "-j", jobs], check=True)
    return build / "python" / NAME


def _digest(data: bytes) -> str:
    return base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    package, version, tag = _build(), _version(), _tag()
    info = f"{NAME}-{version}.dist-info"
    files = {f"{NAME}/{p.name}": p.read_bytes() for p in sorted(package.iterdir()) if p.is_file()}
    files[f"{info}/METADATA"] = (f"Metadata-Version: 2.1\nName: {NAME}\nVersion: {version}\n"
                                 "Summary: Drive the qxmsg oscilloscope, or its simulator, from Python\n"
                                 "Requires-Python: >=3.9\n").encode()
    files[f"{info}/WHEEL"] = f"Wheel-Version: 1.0\nGenerator: {NAME} build_backend\nRoot-Is-Purelib: false\nTag: {tag}\n".encode()
    record = "".join(f"{name},sha256={_digest(data)},{len(data)}\n" for name, data in files.items())
    files[f"{info}/RECORD"] = (record + f"{info}/RECORD,,\n").encode()
    wheel = f"{NAME}-{version}-{tag}.whl"
    with zipfile.ZipFile(pathlib.Path(wheel_directory) / wheel, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in files.items():
            z.writestr(name, data)
    return wheel
