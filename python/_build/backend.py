"""A build backend for a pure-Python package: wheels and source archives
made with the standard library alone, so that installing works offline."""
import base64
import hashlib
import io
import os
import tarfile
import zipfile

NAME = "ozlib"
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def _version():
    with open(os.path.join(ROOT, "pyproject.toml"), encoding="utf-8") as f:
        for line in f:
            if line.startswith("version"):
                return line.split("=", 1)[1].strip().strip('"')
    raise RuntimeError("no version in pyproject.toml")


def _package_files():
    base = os.path.join(ROOT, NAME)
    for folder, _, files in os.walk(base):
        for f in sorted(files):
            if f.endswith(".py") or f == "py.typed":
                path = os.path.join(folder, f)
                yield path, os.path.relpath(path, ROOT).replace(os.sep, "/")


def _metadata(version):
    return (f"Metadata-Version: 2.1\nName: {NAME}\nVersion: {version}\n"
            "Summary: Read and write machine-tool controller data over Ethernet\n"
            "Requires-Python: >=3.9\n")


def _record_line(name, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return f"{name},sha256={digest},{len(data)}"


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    version = _version()
    wheel_name = f"{NAME}-{version}-py3-none-any.whl"
    dist_info = f"{NAME}-{version}.dist-info"
    entries = [(arc, open(path, "rb").read()) for path, arc in _package_files()]
    entries.append((f"{dist_info}/METADATA", _metadata(version).encode()))
    entries.append((f"{dist_info}/WHEEL", b"Wheel-Version: 1.0\nGenerator: ozlib-backend\n"
                                          b"Root-Is-Purelib: true\nTag: py3-none-any\n"))
    record = [_record_line(n, d) for n, d in entries] + [f"{dist_info}/RECORD,,"]
    entries.append((f"{dist_info}/RECORD", ("\n".join(record) + "\n").encode()))
    with zipfile.ZipFile(os.path.join(wheel_directory, wheel_name), "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in entries:
            z.writestr(name, data)
    return wheel_name


def build_sdist(sdist_directory, config_settings=None):
    version = _version()
    stem = f"{NAME}-{version}"
    with tarfile.open(os.path.join(sdist_directory, stem + ".tar.gz"), "w:gz") as t:
        for path in ["pyproject.toml", "_build/backend.py"]:
            t.add(os.path.join(ROOT, path), f"{stem}/{path}")
        for path, arc in _package_files():
            t.add(path, f"{stem}/{arc}")
        info = _metadata(version).encode()
        ti = tarfile.TarInfo(f"{stem}/PKG-INFO")
        ti.size = len(info)
        t.addfile(ti, io.BytesIO(info))
    return stem + ".tar.gz"


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []
