"""Finding and loading libvarnex.so.1, and the C declarations of varnex.h."""

import ctypes
import os
import shutil
import subprocess

SONAME = "libvarnex.so.1"

# varnex_code
OK, ARGUMENT, CLOSED, RESOURCES, DATA, NOT_RECORDED, KEY, INTERNAL = range(8)


class Error(ctypes.Structure):
    """struct varnex_error"""

    _fields_ = [("code", ctypes.c_int), ("message", ctypes.c_char * 512)]


def _from_pkg_config():
    pkg_config = shutil.which("pkg-config")
    if pkg_config is None:
        return None
    try:
        found = subprocess.run(
            [pkg_config, "--variable=libdir", "varnex"],
            capture_output=True, text=True, timeout=10, check=False)
    except (OSError, subprocess.SubprocessError):
        return None
    libdir = found.stdout.strip()
    if found.returncode != 0 or not libdir:
        return None
    return os.path.join(libdir, SONAME)


def _candidates():
    """(path, where it came from), best first."""
    try:
        from . import _installed
        if _installed.LIBRARY:
            yield _installed.LIBRARY, "found by pkg-config when the module was installed"
    except ImportError:
        pass
    path = _from_pkg_config()
    if path:
        yield path, "pkg-config"
    yield SONAME, "the system's library search path"


def _declare(lib):
    c = ctypes
    lib.varnex_default_resource_dir.argtypes = []
    lib.varnex_default_resource_dir.restype = c.c_char_p
    lib.varnex_open.argtypes = [c.c_char_p, c.c_char_p, c.POINTER(Error)]
    lib.varnex_open.restype = c.c_void_p
    lib.varnex_suggest.argtypes = [c.c_void_p, c.c_char_p, c.c_char_p, c.POINTER(c.c_size_t), c.POINTER(Error)]
    lib.varnex_suggest.restype = c.POINTER(c.c_char_p)
    lib.varnex_free_suggestions.argtypes = [c.c_void_p]
    lib.varnex_free_suggestions.restype = None
    lib.varnex_notify.argtypes = [c.c_void_p, c.c_char_p, c.c_char_p, c.c_char_p, c.POINTER(Error)]
    lib.varnex_notify.restype = c.c_int
    lib.varnex_close.argtypes = [c.c_void_p]
    lib.varnex_close.restype = c.c_int
    return lib


_loaded = None


def load():
    """The library, loaded once: $VARNEX_LIBRARY when set, else the first
    of _candidates() that loads. Raises OSError naming what was tried."""
    global _loaded
    if _loaded is not None:
        return _loaded
    explicit = os.environ.get("VARNEX_LIBRARY")
    if explicit:
        try:
            _loaded = (_declare(ctypes.CDLL(explicit)), explicit)
        except OSError as e:
            raise OSError(f"VARNEX_LIBRARY={explicit} cannot be loaded: {e}") from None
        return _loaded
    tried = []
    for path, origin in _candidates():
        try:
            _loaded = (_declare(ctypes.CDLL(path)), path)
            return _loaded
        except OSError as e:
            tried.append(f"  {path} ({origin}): {e}")
    raise OSError(
        f"{SONAME} not found; install Varnex, or point VARNEX_LIBRARY at the library "
        "(or PKG_CONFIG_PATH at its varnex.pc). Tried:\n" + "\n".join(tried))
