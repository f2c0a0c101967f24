"""The C records and functions of qorva_zel.h, through ctypes.

Strings cross the boundary as zero-terminated UTF-16 code units
(QORVA_ZEL_Char, 16 bits on every platform): arrays of c_uint16, never
c_wchar_p, whose wchar_t is 32 bits on Linux.
"""

import ctypes
import ctypes.util
import glob
import os
import sys
import sysconfig
from ctypes import POINTER, Structure, Union, c_float, c_int32, c_uint8, c_uint16, c_uint32

LIBRARY_ENV = "QORVAZEL_LIBRARY"

Char = c_uint16
CharP = POINTER(Char)

INTEGER, FLOAT, ENUM, BOOL = 0, 1, 2, 3

_ENCODING = "utf-16-le" if sys.byteorder == "little" else "utf-16-be"


class Value(Union):
    """QORVA_ZEL_Value: as wide as a pointer."""

    _fields_ = [("IntValue", c_int32), ("FloatValue", c_float), ("StringValue", CharP), ("BoolValue", c_uint8)]


class Variant(Structure):
    _fields_ = [("Type", c_int32), ("Value", Value)]


class Range(Structure):
    _fields_ = [("MinValue", Value), ("MaxValue", Value), ("NumSteps", c_int32)]


class EnumList(Structure):
    _fields_ = [("Values", POINTER(CharP)), ("NumValues", c_uint32)]


class Limits(Union):
    _fields_ = [("Range", Range), ("EnumList", EnumList)]


class OptionDesc(Structure):
    _fields_ = [("Name", CharP), ("Type", c_int32), ("Value", Value), ("Limits", Limits)]


class AppInfo(Structure):
    _fields_ = [(name, CharP) for name in
                ("DisplayName", "VersionName", "InstallPath", "ConfigPath", "Executable", "ExecCmd")]


class Version(Structure):
    _fields_ = [("Major", c_uint32), ("Minor", c_uint32), ("Build", c_uint32), ("Revision", c_uint32)]


class Resolution(Structure):
    _fields_ = [("Width", c_uint32), ("Height", c_uint32), ("RefreshRate", c_float)]


def to_units(text):
    """A zero-terminated UTF-16 copy of text (kept alive by the caller). A
    NUL inside it is refused, as os refuses one in a path: the library would
    read the string only up to it."""
    if not isinstance(text, str):
        raise TypeError(f"expected a str, not {type(text).__name__}")
    if "\0" in text:
        raise ValueError("embedded null character")
    data = text.encode(_ENCODING, "surrogatepass") + b"\0\0"
    return (Char * (len(data) // 2)).from_buffer_copy(data)


def from_units(pointer):
    """The str of a zero-terminated UTF-16 string."""
    if not pointer:
        return ""
    n = 0
    while pointer[n] != 0:
        n += 1
    return ctypes.string_at(pointer, 2 * n).decode(_ENCODING, "surrogatepass")


class LibraryNotFoundError(OSError):
    """The native library could not be loaded; tried lists (place, reason)."""

    def __init__(self, tried, env=LIBRARY_ENV, what="the Qorva Zel library"):
        self.tried = tried
        lines = "\n".join(f"  {place}: {reason}" for place, reason in tried)
        super().__init__(
            f"{what} could not be loaded; tried, in this order:\n{lines}\n"
            f"Set {env} to the library's path, or put it beside the qorvazel package.")


LibraryNotFoundError.__module__ = "qorvazel"


def _file_names(stem="qorva_zel"):
    """The file names of the library stem (qorva_zel, or the settings kit's
    qorva_zel_kit) on this platform."""
    if sys.platform == "win32":
        return [f"{stem}.dll"]
    if sys.platform == "darwin":
        return [f"lib{stem}.2.dylib", f"lib{stem}.dylib"]
    return [f"lib{stem}.so.2", f"lib{stem}.so"]


def _multiarch():
    """The running interpreter's multiarch triplet (x86_64-linux-gnu on
    64-bit Debian), or None where it has none."""
    return sysconfig.get_config_var("MULTIARCH") or getattr(sys.implementation, "_multiarch", None) or None


def library_directories(here, platform=None, multiarch=None):
    """The directories searched, in order, for the package directory here:
    here and the directory above it; for the package installed as
    <prefix>/share/qorvazel/python/qorvazel (the tarball, the .debs, the
    Windows zip), also <prefix>/bin on Windows, and elsewhere
    <prefix>/lib/<multiarch>, <prefix>/lib and every other
    <prefix>/lib/*-linux-gnu* (a library of another architecture does not
    load, and the search goes on)."""
    platform = sys.platform if platform is None else platform
    places = [here, os.path.dirname(here)]
    parts = os.path.normpath(here).split(os.sep)
    if parts[-4:-1] != ["share", "qorvazel", "python"]:
        return places
    prefix = os.sep.join(parts[:-4])
    if platform == "win32":
        return places + [os.path.join(prefix, "bin")]
    lib = os.path.join(prefix, "lib")
    multiarch = _multiarch() if multiarch is None else multiarch
    if multiarch:
        places.append(os.path.join(lib, multiarch))
    places.append(lib)
    places.extend(d for d in sorted(glob.glob(os.path.join(lib, "*-linux-gnu*")))
                  if os.path.isdir(d) and d not in places)
    return places


def find_and_load(environ=None, here=None, stem="qorva_zel", env=LIBRARY_ENV, what="the Qorva Zel library"):
    """Loads the library: the path in QORVAZEL_LIBRARY when it is set (and
    only that one: a named library that does not load is an error), else a
    file in one of library_directories(), else the system's search path.
    The settings kit is found the same way, with its own stem and variable."""
    environ = os.environ if environ is None else environ
    here = os.path.dirname(os.path.abspath(__file__)) if here is None else here
    tried = []

    def attempt(place):
        try:
            return ctypes.CDLL(place)
        except OSError as error:
            tried.append((place, str(error) or "cannot be loaded"))
            return None

    named = environ.get(env)
    if named:
        lib = attempt(named)
        if lib is None:
            tried[-1] = (f"{env}={named}", tried[-1][1])
            raise LibraryNotFoundError(tried, env, what)
        return lib
    tried.append((env, "not set"))

    for directory in library_directories(here):
        for name in _file_names(stem):
            path = os.path.join(directory, name)
            if os.path.exists(path):
                lib = attempt(path)
                if lib is not None:
                    return lib
            else:
                tried.append((path, "no such file"))

    for name in _file_names(stem):
        lib = attempt(name)  # the dynamic loader's search path
        if lib is not None:
            return lib
    found = ctypes.util.find_library(stem)
    if found:
        lib = attempt(found)
        if lib is not None:
            return lib
    else:
        tried.append((f"ctypes.util.find_library('{stem}')", "nothing found"))
    raise LibraryNotFoundError(tried, env, what)


def declare(lib):
    """Gives every function its C signature."""
    status = c_int32
    signatures = {
        "QORVA_ZEL_InitializeSDK": (status, [POINTER(AppInfo), POINTER(Version)]),
        "QORVA_ZEL_ReleaseSDK": (status, []),
        "QORVA_ZEL_LoadConfigFile": (status, []),
        "QORVA_ZEL_SaveConfigFile": (status, [c_uint32]),
        "QORVA_ZEL_RegisterOption": (status, [POINTER(OptionDesc)]),
        "QORVA_ZEL_RegisterResolutions": (status, [POINTER(Resolution), c_uint32]),
        "QORVA_ZEL_ReleaseVariant": (None, [POINTER(Variant)]),
        "QORVA_ZEL_GetOptionValue": (status, [POINTER(Variant), CharP]),
        "QORVA_ZEL_SetOptionValue": (status, [POINTER(Variant), CharP]),
        "QORVA_ZEL_GetResolution": (status, [POINTER(Resolution)]),
        "QORVA_ZEL_SetResolution": (status, [POINTER(Resolution)]),
        "QORVA_ZEL_CheckForDirtyOptions": (status, []),
        "QORVA_ZEL_GetVersion": (Version, []),
    }
    for name, (restype, argtypes) in signatures.items():
        function = getattr(lib, name)
        function.restype = restype
        function.argtypes = argtypes
    return lib


_lib = None


def library():
    """The loaded library, loaded on first use."""
    global _lib
    if _lib is None:
        _lib = declare(find_and_load())
    return _lib
