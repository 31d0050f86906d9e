"""The package's build backend (PEP 517), standard library only.

A wheel holds the varnex/ sources, the metadata, and varnex/_installed.py,
which records where pkg-config found libvarnex.so.1 at build time (so that
`PKG_CONFIG_PATH=/opt/x/lib/pkgconfig pip install ./python` gives a module
that finds /opt/x without any setting later). pip builds local directories
afresh for every install, so the recorded path is that of the machine.
"""

import base64
import hashlib
import io
import os
import re
import shutil
import subprocess
import tarfile
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
NAME = "varnex"
SONAME = "libvarnex.so.1"
TAG = "py3-none-any"


def _version():
    with open(os.path.join(ROOT, NAME, "__init__.py"), encoding="utf-8") as f:
        return re.search(r'^__version__ = "([^"]+)"', f.read(), re.M).group(1)


def _metadata():
    return (f"Metadata-Version: 2.1\nName: {NAME}\nVersion: {_version()}\n"
            "Summary: Korean reply suggestions from the Varnex library\n"
            "Requires-Python: >=3.8\n")


def _dist_info():
    return f"{NAME}-{_version()}.dist-info"


def _sources():
    """Paths of the package's modules, relative to ROOT."""
    package = os.path.join(ROOT, NAME)
    return sorted(os.path.join(NAME, f) for f in os.listdir(package)
                  if f.endswith(".py") and f != "_installed.py")


def _library_found_by_pkg_config():
    pkg_config = shutil.which("pkg-config")
    if pkg_config is None:
        return None
    try:
        found = subprocess.run([pkg_config, "--variable=libdir", NAME],
                               capture_output=True, text=True, timeout=10, check=False)
    except (OSError, subprocess.SubprocessError):
        return None
    path = os.path.join(found.stdout.strip(), SONAME)
    return path if found.returncode == 0 and os.path.isfile(path) else None


def _record_line(name, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return f"{name},sha256={digest},{len(data)}"


def _write_wheel(directory, files):
    """files: [(archive name, bytes)]; returns the wheel's file name."""
    wheel_name = f"{NAME}-{_version()}-{TAG}.whl"
    info = _dist_info()
    files = list(files) + [
        (f"{info}/METADATA", _metadata().encode()),
        (f"{info}/WHEEL", f"Wheel-Version: 1.0\nGenerator: varnex_build\nRoot-Is-Purelib: true\nTag: {TAG}\n".encode()),
    ]
    record = "\n".join(_record_line(n, d) for n, d in files) + f"\n{info}/RECORD,,\n"
    files.append((f"{info}/RECORD", record.encode()))
    with zipfile.ZipFile(os.path.join(directory, wheel_name), "w", zipfile.ZIP_DEFLATED) as whl:
        for name, data in files:
            whl.writestr(zipfile.ZipInfo(name, date_time=(1980, 1, 1, 0, 0, 0)), data)
    return wheel_name


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def get_requires_for_build_editable(config_settings=None):
    return []


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    files = []
    for rel in _sources():
        with open(os.path.join(ROOT, rel), "rb") as f:
            files.append((rel.replace(os.sep, "/"), f.read()))
    found = _library_found_by_pkg_config()
    files.append((f"{NAME}/_installed.py",
                  f'"""Written at install time."""\nLIBRARY = {found!r}\n'.encode()))
    return _write_wheel(wheel_directory, files)


def build_editable(wheel_directory, config_settings=None, metadata_directory=None):
    # The sources stay where they are; nothing is recorded about the library.
    return _write_wheel(wheel_directory, [(f"{NAME}.pth", (ROOT + "\n").encode())])


def build_sdist(sdist_directory, config_settings=None):
    base = f"{NAME}-{_version()}"
    name = f"{base}.tar.gz"
    with tarfile.open(os.path.join(sdist_directory, name), "w:gz", format=tarfile.PAX_FORMAT) as tar:
        for rel in ["pyproject.toml", os.path.join("_build", "varnex_build.py")] + _sources():
            tar.add(os.path.join(ROOT, rel), arcname=f"{base}/{rel}")
        pkg_info = _metadata().encode()
        entry = tarfile.TarInfo(f"{base}/PKG-INFO")
        entry.size = len(pkg_info)
        tar.addfile(entry, io.BytesIO(pkg_info))
    return name
