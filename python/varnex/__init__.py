"""Korean reply suggestions from the Varnex library, over its C interface.

    import varnex

    with varnex.Engine() as engine:
        replies = engine.suggest("생일 축하해!", sender="Mina")
        if replies:
            engine.notify("Mina", "생일 축하해!", replies[0])   # the user sent it

Engine(resources=None, data=None) opens the engine. `resources` is the
directory holding the "1.0" resource tree, by default the one installed
beside the library; `data` is the directory of the learning databases, by
default $XDG_DATA_HOME/varnex (or ~/.local/share/varnex), created when
missing. The library is $VARNEX_LIBRARY when that is set, else the one
pkg-config found when this module was installed, the one pkg-config finds
now, or the one the system's library search path gives.

Misuse and failures raise VarnexError, whose `code` is one of the Code
values (the varnex_code of varnex.h); text that is not a str raises
TypeError. An Engine may be shared between threads: the library serialises
its calls and every reply is copied into a Python string at once.
"""

import enum
import os
import threading

from . import _library

__version__ = "1.0.0"
__all__ = ["Code", "Engine", "VarnexError", "default_data_dir"]


class Code(enum.IntEnum):
    """What went wrong; the numbers are those of varnex_code."""

    OK = _library.OK
    ARGUMENT = _library.ARGUMENT
    CLOSED = _library.CLOSED
    RESOURCES = _library.RESOURCES
    DATA = _library.DATA
    NOT_RECORDED = _library.NOT_RECORDED
    KEY = _library.KEY
    INTERNAL = _library.INTERNAL


class VarnexError(Exception):
    """A failure the library reported, with its code and one-line message."""

    def __init__(self, code, message):
        try:
            code = Code(code)
        except ValueError:
            pass
        super().__init__(message)
        self.code = code
        self.message = message


def _raise(error):
    raise VarnexError(error.code, error.message.decode("utf-8", "replace"))


def _text(value, name, optional=False):
    if value is None and optional:
        return None
    if not isinstance(value, str):
        raise TypeError(f"{name} must be str, not {type(value).__name__}")
    if "\0" in value:
        raise VarnexError(Code.ARGUMENT, f"{name} contains a NUL character")
    try:
        return value.encode("utf-8")
    except UnicodeEncodeError:
        raise VarnexError(Code.ARGUMENT, f"{name} is not valid UTF-8") from None


def default_data_dir():
    """$XDG_DATA_HOME/varnex, or ~/.local/share/varnex."""
    base = os.environ.get("XDG_DATA_HOME") or os.path.join(os.path.expanduser("~"), ".local", "share")
    return os.path.join(base, "varnex")


class Engine:
    """An open engine; close it with close() or use it in a with block."""

    def __init__(self, resources=None, data=None):
        self._handle = None
        self._lock = threading.Lock()
        self.last_error = None
        self._lib, self.library = _library.load()
        if resources is None:
            found = self._lib.varnex_default_resource_dir()
            if found is None:
                raise VarnexError(Code.RESOURCES, f"no resource tree installed beside {self.library}; "
                                  "pass resources=")
            resources = os.fsdecode(found)
        if data is None:
            data = default_data_dir()
            os.makedirs(data, mode=0o700, exist_ok=True)
        self.resources = os.fspath(resources)
        self.data = os.fspath(data)
        error = _library.Error()
        handle = self._lib.varnex_open(os.fsencode(self.resources), os.fsencode(self.data), error)
        if not handle:
            _raise(error)
        self._handle = handle

    def _open_handle(self):
        if self._handle is None:
            raise VarnexError(Code.CLOSED, "the engine is closed")
        return self._handle

    def suggest(self, message, sender=None):
        """Up to ten replies to `message` from `sender` (None when unknown)."""
        message = _text(message, "message")
        sender = _text(sender, "sender", optional=True)
        error = _library.Error()
        count = _library.ctypes.c_size_t()
        with self._lock:
            handle = self._open_handle()
            replies = self._lib.varnex_suggest(handle, message, sender, count, error)
            if not replies:
                _raise(error)
            out = [replies[i].decode("utf-8") for i in range(count.value)]
            self._lib.varnex_free_suggestions(handle)
        return out

    def notify(self, sender, message, reply):
        """The user answered `message` from `sender` with `reply`. True when
        the engine recorded it; False when storing failed (see last_error)."""
        args = (_text(sender, "sender"), _text(message, "message"), _text(reply, "reply"))
        error = _library.Error()
        with self._lock:
            recorded = self._lib.varnex_notify(self._open_handle(), *args, error)
        if recorded:
            self.last_error = None
            return True
        if error.code != Code.NOT_RECORDED:
            _raise(error)
        self.last_error = error.message.decode("utf-8", "replace")
        return False

    def close(self):
        """Closes the engine; closing again does nothing."""
        with self._lock:
            handle, self._handle = self._handle, None
            if handle is not None:
                self._lib.varnex_close(handle)

    @property
    def closed(self):
        return self._handle is None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __del__(self):
        try:
            self.close()
        except Exception:
            pass

    def __repr__(self):
        state = "closed" if self.closed else "open"
        return f"<varnex.Engine {state} resources={self.resources!r} data={self.data!r}>"
