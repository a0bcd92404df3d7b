"""The package's build backend: standard library only, so that
`pip install ./python` needs nothing from the network (no setuptools, no
wheel). It writes a pure-Python wheel of tkdec/ and, for a package built
from a source checkout, the checkout's path, where Decoder() then looks
for a library of build/default or build/demo."""

import base64
import hashlib
import os
import pathlib
import zipfile

NAME, VERSION = "tkdec", "1.0.0"
HERE = pathlib.Path(__file__).resolve().parent.parent  # python/
DIST_INFO = f"{NAME}-{VERSION}.dist-info"
METADATA = f"""Metadata-Version: 2.1
Name: {NAME}
Version: {VERSION}
Summary: Python bindings of the tkdec decoder library for tokenised firmware logs (ctypes)
Requires-Python: >=3.8
"""
WHEEL = "Wheel-Version: 1.0\nGenerator: tkdec_build\nRoot-Is-Purelib: true\nTag: py3-none-any\n"


def _files():
    """(name in the wheel, bytes) of the package."""
    for path in sorted((HERE / NAME).glob("*.py")):
        if path.name != "_checkout.py":
            yield f"{NAME}/{path.name}", path.read_bytes()
    checkout = HERE.parent
    if (checkout / "CMakeLists.txt").is_file():
        yield f"{NAME}/_checkout.py", f'"""Written by the build: the source checkout."""\nCHECKOUT = {str(checkout)!r}\n'.encode()


def _record_line(name, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return f"{name},sha256={digest},{len(data)}"


def _write_wheel(directory, files):
    wheel = f"{NAME}-{VERSION}-py3-none-any.whl"
    entries = list(files) + [(f"{DIST_INFO}/METADATA", METADATA.encode()), (f"{DIST_INFO}/WHEEL", WHEEL.encode())]
    record = "\n".join(_record_line(n, d) for n, d in entries) + f"\n{DIST_INFO}/RECORD,,\n"
    with zipfile.ZipFile(os.path.join(directory, wheel), "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in entries + [(f"{DIST_INFO}/RECORD", record.encode())]:
            archive.writestr(name, data)
    return wheel


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def get_requires_for_build_editable(config_settings=None):
    return []


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    return _write_wheel(wheel_directory, _files())


def build_editable(wheel_directory, config_settings=None, metadata_directory=None):
    """A wheel whose .pth file puts python/ itself on the path."""
    return _write_wheel(wheel_directory, [(f"{NAME}.pth", f"{HERE}\n".encode())])


def build_sdist(sdist_directory, config_settings=None):
    import tarfile
    base = f"{NAME}-{VERSION}"
    name = f"{base}.tar.gz"
    with tarfile.open(os.path.join(sdist_directory, name), "w:gz") as archive:
        for path in ["pyproject.toml", "README.md", "build_support/tkdec_build.py",
                     *(f"{NAME}/{p.name}" for p in sorted((HERE / NAME).glob("*.py")) if p.name != "_checkout.py")]:
            archive.add(HERE / path, arcname=f"{base}/{path}")
        info = tarfile.TarInfo(f"{base}/PKG-INFO")
        info.size = len(METADATA.encode())
        import io
        archive.addfile(info, io.BytesIO(METADATA.encode()))
    return name
