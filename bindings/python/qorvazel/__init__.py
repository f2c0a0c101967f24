"""Qorva Zel graphics settings from Python: a pure ctypes binding.

    import qorvazel

    with qorvazel.Settings(display_name="My Game", config_path=config_dir, executable="mygame") as settings:
        settings.add(qorvazel.int_option("ShadowQuality", 2, 0, 4, steps=4),
                     qorvazel.enum_option("TextureFilter", "Trilinear", ["Bilinear", "Trilinear"]))
        settings.load()                        # False on a first run: no settings file yet
        settings.set_int("ShadowQuality", 3)   # QorvaZelError(Status.VALUE_NOT_ALLOWED) for 7
        print(settings.get_enum("TextureFilter"))
        settings.save()

Strings go in and come out as str (UTF-16 at the boundary); the Enum string
a get hands out is copied and given back at once; every refused call raises
QorvaZelError with its status. What C cannot hold as given is refused
before any call: an integer outside its C type (OverflowError) and a string
with a NUL character (ValueError). The library is found through the
QORVAZEL_LIBRARY environment variable, then beside this package, then in
the library directories of the prefix it is installed in, then on the
system's search path.
"""

import ctypes
import enum
import math
import os
import struct
from typing import NamedTuple

from . import _native
from ._native import LIBRARY_ENV, LibraryNotFoundError

__all__ = [
    "Status", "QorvaZelError", "LibraryNotFoundError", "Resolution", "Option", "Settings",
    "int_option", "float_option", "enum_option", "bool_option", "INTERFACE_VERSION", "LIBRARY_ENV",
]

__version__ = "2.3.0"

#: The interface version the library is initialised with, checked exactly.
INTERFACE_VERSION = (2, 3, 18713301, 0)


class Status(enum.IntEnum):
    """Every status the library returns."""

    OK = 0
    FILE_ERROR = -1
    FILE_NOT_FOUND = -2
    VERSION_MISMATCH = -3
    NULL_ARGUMENT = -4
    OPTION_NOT_FOUND = -20
    AMBIGUOUS_OPTION = -21
    VALUE_NOT_ON_STEP = -22
    VALUE_NOT_ALLOWED = -23
    ALREADY_REGISTERED = -24
    TYPE_MISMATCH = -25
    OPTIONS_DIRTY = -30
    NOT_INITIALIZED = -100
    ALREADY_INITIALIZED = -101

    @property
    def message(self):
        return _MESSAGES[self]


_MESSAGES = {
    Status.OK: "success",
    Status.FILE_ERROR: "the settings file cannot be read, parsed or written",
    Status.FILE_NOT_FOUND: "the settings file cannot be opened (none yet on a first run)",
    Status.VERSION_MISMATCH: "the interface version is not 2.3.18713301.0",
    Status.NULL_ARGUMENT: "a required pointer is null",
    Status.OPTION_NOT_FOUND: "no option has this name",
    Status.AMBIGUOUS_OPTION: "several options have this name; the one registered last answered",
    Status.VALUE_NOT_ON_STEP: "the value lies in the range but not on a step",
    Status.VALUE_NOT_ALLOWED: "the value is outside the range or not an allowed one",
    Status.ALREADY_REGISTERED: "an option of this name and type is already registered",
    Status.TYPE_MISMATCH: "the option has another type",
    Status.OPTIONS_DIRTY: "there are unsaved changes",
    Status.NOT_INITIALIZED: "the library is not initialised",
    Status.ALREADY_INITIALIZED: "the library is already initialised",
}


def _member(code, *kinds):
    """The member of the first enum among kinds that has code; else code."""
    for kind in kinds:
        try:
            return kind(code)
        except ValueError:
            pass
    return code


def _status(code):
    return _member(code, Status)


class QorvaZelError(Exception):
    """A call the library refused; .status says why."""

    def __init__(self, status, what):
        self.status = _status(status)
        message = self.status.message if isinstance(self.status, Status) else "unknown Qorva Zel status"
        super().__init__(f"{what}: {message} ({int(status)})")


def _check(code, what):
    if code != Status.OK:
        raise QorvaZelError(code, what)


def _single(value):
    """A float32 as the shortest decimal that reads back as the same float32,
    so that 59.94 comes back as 59.94."""
    if not math.isfinite(value):
        return value
    packed = struct.pack("<f", value)
    for digits in range(6, 10):
        candidate = float(f"{value:.{digits}g}")
        if struct.pack("<f", candidate) == packed:
            return candidate
    return value


def _require(value, kinds, what):
    if isinstance(value, bool) and bool not in kinds or not isinstance(value, kinds):
        names = " or ".join(k.__name__ for k in kinds)
        raise TypeError(f"{what} must be {names}, not {type(value).__name__}")
    return value


_INT32 = (-2**31, 2**31 - 1)  # int32_t: values, limits, steps
_UINT32 = (0, 2**32 - 1)  # uint32_t: resolution width and height


def _integer(value, bounds, what):
    """value, an int that the C type of bounds holds as it is (ctypes would
    wrap it silently)."""
    _require(value, (int,), what)
    if not bounds[0] <= value <= bounds[1]:
        raise OverflowError(f"{what} {value} is outside [{bounds[0]}, {bounds[1]}]")
    return value


class Resolution(NamedTuple):
    """A display mode; refresh rates are compared exactly (as float32)."""

    width: int
    height: int
    refresh_rate: float

    def _native(self):
        return _native.Resolution(_integer(self.width, _UINT32, "the width"),
                                  _integer(self.height, _UINT32, "the height"), self.refresh_rate)


class Option:
    """An option to register; made by int_option, float_option, enum_option
    and bool_option."""

    def __init__(self, name, kind, default, minimum=None, maximum=None, steps=0, allowed=()):
        self.name = _require(name, (str,), "the option name")
        self.kind = kind
        self.default = default
        self.minimum = minimum
        self.maximum = maximum
        self.steps = _integer(steps, _INT32, "steps")
        self.allowed = tuple(allowed)

    def __repr__(self):
        return f"Option({self.name!r}, {('Integer', 'Float', 'Enum', 'Bool')[self.kind]}, {self.default!r})"


def int_option(name, default, minimum, maximum, steps=0):
    """An Integer option. steps below 0: any value; 0: any value in
    [minimum, maximum]; 1 or more: also on one of steps equal steps."""
    for value, what in ((default, "default"), (minimum, "minimum"), (maximum, "maximum")):
        _integer(value, _INT32, what)
    return Option(name, _native.INTEGER, default, minimum, maximum, steps)


def float_option(name, default, minimum, maximum, steps=0):
    """A Float option, steps as for int_option."""
    for value, what in ((default, "default"), (minimum, "minimum"), (maximum, "maximum")):
        _require(value, (int, float), what)
    return Option(name, _native.FLOAT, float(default), float(minimum), float(maximum), steps)


def enum_option(name, default, allowed):
    """An Enum option with its allowed strings, in the order written."""
    _require(default, (str,), "default")
    if isinstance(allowed, str):
        raise TypeError("allowed must be a list of str, not one str")
    allowed = list(allowed)
    for value in allowed:
        _require(value, (str,), "an allowed value")
    return Option(name, _native.ENUM, default, allowed=allowed)


def bool_option(name, default):
    """A Bool option."""
    return Option(name, _native.BOOL, _require(default, (bool,), "default"))


class _Closing:
    """A context manager over a process-wide native object (the library,
    the settings kit): close(), leaving the with block or the collector
    calls _release(lib) once; closed tells whether that happened."""

    _lib = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def __del__(self):
        try:
            self.close()
        except Exception:  # pragma: no cover - interpreter shutdown
            pass

    def close(self):
        """Releases it; a second call does nothing."""
        lib, self._lib = self._lib, None
        if lib is not None:
            self._release(lib)

    @property
    def closed(self):
        return self._lib is None


class Settings(_Closing):
    """The initialised library; a context manager. Creating it initialises
    the library with INTERFACE_VERSION; close() (or leaving the with block)
    releases it. The library is process-wide: one Settings at a time.

    A get of an option of another type than asked raises with
    TYPE_MISMATCH. Where options of several types share a name, the one
    registered last answers, and a get of its type returns its value."""

    def __init__(self, display_name="", version_name="", install_path="", config_path="", executable="",
                 exec_cmd=""):
        lib = _native.library()
        texts = [_native.to_units(os.fspath(t) if isinstance(t, os.PathLike) else t)
                 for t in (display_name, version_name, install_path, config_path, executable, exec_cmd)]
        info = _native.AppInfo(*[ctypes.cast(t, _native.CharP) for t in texts])
        version = _native.Version(*INTERFACE_VERSION)
        _check(lib.QORVA_ZEL_InitializeSDK(ctypes.byref(info), ctypes.byref(version)), "initialise")
        self._lib = lib

    def _release(self, lib):
        """Releases the library; close() calls it once."""
        lib.QORVA_ZEL_ReleaseSDK()

    def _calls(self):
        if self._lib is None:
            raise QorvaZelError(Status.NOT_INITIALIZED, "this Settings is closed")
        return self._lib

    @staticmethod
    def library_version():
        """The interface version of the loaded library."""
        v = _native.library().QORVA_ZEL_GetVersion()
        return (v.Major, v.Minor, v.Build, v.Revision)

    # ---- Registration --------------------------------------------------------

    def try_add(self, option):
        """Registers one option and returns its Status (ALREADY_REGISTERED
        when one of the same name and type is there)."""
        if not isinstance(option, Option):
            raise TypeError("expected an Option from int_option, float_option, enum_option or bool_option")
        keep = [_native.to_units(option.name)]
        desc = _native.OptionDesc(Name=ctypes.cast(keep[0], _native.CharP), Type=option.kind)
        if option.kind == _native.ENUM:
            keep.append(_native.to_units(option.default))
            desc.Value.StringValue = ctypes.cast(keep[-1], _native.CharP)
            units = [_native.to_units(a) for a in option.allowed]
            keep.extend(units)
            pointers = (_native.CharP * max(len(units), 1))(*[ctypes.cast(u, _native.CharP) for u in units])
            keep.append(pointers)
            desc.Limits.EnumList.Values = pointers
            desc.Limits.EnumList.NumValues = len(units)
        elif option.kind == _native.BOOL:
            desc.Value.BoolValue = 1 if option.default else 0
        else:
            field = "IntValue" if option.kind == _native.INTEGER else "FloatValue"
            setattr(desc.Value, field, option.default)
            setattr(desc.Limits.Range.MinValue, field, option.minimum)
            setattr(desc.Limits.Range.MaxValue, field, option.maximum)
            desc.Limits.Range.NumSteps = option.steps
        return _status(self._calls().QORVA_ZEL_RegisterOption(ctypes.byref(desc)))

    def add(self, *options):
        """Registers the options in order; raises at the first refusal."""
        for option in options:
            _check(self.try_add(option), f"register {option.name}")

    def set_resolutions(self, modes):
        """Replaces the list of display resolutions: Resolution or
        (width, height, refresh_rate) items."""
        modes = [Resolution(*m) for m in modes]
        array = (_native.Resolution * max(len(modes), 1))(*[m._native() for m in modes])
        _check(self._calls().QORVA_ZEL_RegisterResolutions(array, len(modes)), "register resolutions")

    # ---- The settings file ---------------------------------------------------

    def load(self):
        """Reads the settings file; False when there is none yet (a first
        run): the defaults stay and no resolution is set."""
        code = self._calls().QORVA_ZEL_LoadConfigFile()
        if code == Status.FILE_NOT_FOUND:
            return False
        _check(code, "load")
        return True

    def save(self, discard_unregistered=False):
        """Writes the settings file."""
        _check(self._calls().QORVA_ZEL_SaveConfigFile(1 if discard_unregistered else 0), "save")

    @property
    def has_unsaved_changes(self):
        """True when something differs from the last load or save."""
        code = self._calls().QORVA_ZEL_CheckForDirtyOptions()
        if code == Status.OPTIONS_DIRTY:
            return True
        _check(code, "check for unsaved changes")
        return False

    # ---- Values --------------------------------------------------------------

    def _get(self, name, kind):
        lib = self._calls()
        units = _native.to_units(name)
        variant = _native.Variant()
        code = lib.QORVA_ZEL_GetOptionValue(ctypes.byref(variant), ctypes.cast(units, _native.CharP))
        try:
            if code not in (Status.OK, Status.AMBIGUOUS_OPTION):
                raise QorvaZelError(code, f"get {name}")
            if variant.Type != kind:
                raise QorvaZelError(Status.TYPE_MISMATCH, f"get {name}")
            if kind == _native.ENUM:
                return _native.from_units(variant.Value.StringValue)
            if kind == _native.INTEGER:
                return variant.Value.IntValue
            if kind == _native.FLOAT:
                return _single(variant.Value.FloatValue)
            return variant.Value.BoolValue != 0
        finally:
            lib.QORVA_ZEL_ReleaseVariant(ctypes.byref(variant))

    def get_int(self, name):
        return self._get(name, _native.INTEGER)

    def get_float(self, name):
        return self._get(name, _native.FLOAT)

    def get_enum(self, name):
        return self._get(name, _native.ENUM)

    def get_bool(self, name):
        return self._get(name, _native.BOOL)

    def _set(self, name, variant):
        units = _native.to_units(name)
        code = self._calls().QORVA_ZEL_SetOptionValue(ctypes.byref(variant), ctypes.cast(units, _native.CharP))
        _check(code, f"set {name}")

    def set_int(self, name, value):
        variant = _native.Variant(Type=_native.INTEGER)
        variant.Value.IntValue = _integer(value, _INT32, "an Integer value")
        self._set(name, variant)

    def set_float(self, name, value):
        variant = _native.Variant(Type=_native.FLOAT)
        variant.Value.FloatValue = _require(value, (int, float), "a Float value")
        self._set(name, variant)

    def set_enum(self, name, value):
        units = _native.to_units(_require(value, (str,), "an Enum value"))
        variant = _native.Variant(Type=_native.ENUM)
        variant.Value.StringValue = ctypes.cast(units, _native.CharP)
        self._set(name, variant)  # units lives until the call returned

    def set_bool(self, name, value):
        variant = _native.Variant(Type=_native.BOOL)
        variant.Value.BoolValue = 1 if _require(value, (bool,), "a Bool value") else 0
        self._set(name, variant)

    # ---- Resolution ----------------------------------------------------------

    @property
    def resolution(self):
        """The current Resolution; (0, 0, 0.0) until one is set or loaded.
        Assigning one that is not in the registered list raises."""
        mode = _native.Resolution()
        _check(self._calls().QORVA_ZEL_GetResolution(ctypes.byref(mode)), "get resolution")
        return Resolution(mode.Width, mode.Height, _single(mode.RefreshRate))

    @resolution.setter
    def resolution(self, mode):
        mode = Resolution(*mode)
        _check(self._calls().QORVA_ZEL_SetResolution(ctypes.byref(mode._native())), f"set resolution {mode}")
