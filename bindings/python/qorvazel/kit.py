"""The Qorva Zel settings kit from Python: the game's schema drives the
library (docs/kit.md).

    from qorvazel import kit

    folder = kit.local_settings_folder("MyGame", create=True)
    with kit.Kit("mygame.schema.json", display_name="My Game", config_path=folder, executable="mygame",
                 facts={"gpuVendor": "nvidia", "videoMemoryMB": 8192}) as game:
        if game.opened.first_run:
            print("preset", game.opened.preset, "chosen by", game.opened.tier_name)
        for finding in game.load_report():          # what the file held that was not applied
            print(finding.option, finding.kind_name, finding.message)
        for option in game.options(order="category"):
            print(option.category, option.label_key, option.current)
        game.set("ShadowQuality", 3)                 # KitError(Status.VALUE_NOT_ALLOWED) for 7
        print(game.current_preset)                   # "Custom" once it matches no preset
        game.save()

Every refused call raises KitError (a QorvaZelError) with its status, the
library's (Status) or the kit's own (KitStatus). Strings cross as UTF-8;
what C cannot hold as given is refused before any call, as the rest of the
package refuses it: an integer outside int32_t (OverflowError), a string with
a NUL character (ValueError), a value of another Python type (TypeError).
The kit library (qorva_zel_kit) is found as the library is, through
QORVAZEL_KIT_LIBRARY, then beside this package, then in the library
directories of its installed prefix, then on the system's search path; the
library itself is loaded first, so that the kit finds it.
"""

import ctypes
import enum
import os
from ctypes import POINTER, Structure, c_char_p, c_float, c_int32, c_size_t, c_uint8, c_uint32
from typing import NamedTuple, Optional, Tuple

from . import QorvaZelError, Resolution, Status, _INT32, _integer, _native, _require, _single

__all__ = [
    "Kit", "KitError", "KitStatus", "OptionType", "OptionInfo", "Listing", "Finding", "Report", "OpenResult",
    "local_settings_folder", "CUSTOM", "KIT_LIBRARY_ENV",
]

KIT_LIBRARY_ENV = "QORVAZEL_KIT_LIBRARY"

#: The name current_preset gives when the values match no preset.
CUSTOM = "Custom"


class KitStatus(enum.IntEnum):
    """The kit's own statuses; it returns the library's (Status) too."""

    NOT_OPEN = -1000
    ALREADY_OPEN = -1001
    SCHEMA = -1002
    BUFFER_TOO_SMALL = -1003
    NOT_FOUND = -1004
    INVALID_ARGUMENT = -1005
    UNAVAILABLE = -1006
    BACKUP = -1007
    LIBRARY_IN_USE = -1008


class OptionType(enum.IntEnum):
    INTEGER = _native.INTEGER
    FLOAT = _native.FLOAT
    ENUM = _native.ENUM
    BOOL = _native.BOOL


def _status(code):
    for kind in (Status, KitStatus):
        try:
            return kind(code)
        except ValueError:
            pass
    return code


class KitError(QorvaZelError):
    """A call the kit refused; .status says why (a Status or a KitStatus),
    .detail what the kit said besides (a schema error's
    "FILE:LINE:COLUMN: problem")."""

    def __init__(self, status, what, detail=""):
        self.status = _status(status)
        self.detail = detail
        text = _library().QORVA_ZEL_KIT_StatusText(int(status)).decode("utf-8", "replace")
        Exception.__init__(self, f"{what}: {text} ({int(status)})" + (f": {detail}" if detail else ""))


def _check(code, what, detail=""):
    if code != Status.OK:
        raise KitError(code, what, detail)


def _utf8(text, what):
    """text as zero-terminated UTF-8; a NUL inside it is refused (the kit
    would read only up to it)."""
    if isinstance(text, os.PathLike):
        text = os.fspath(text)
    _require(text, (str,), what)
    if "\0" in text:
        raise ValueError(f"{what} contains a NUL character")
    return text.encode("utf-8")


def _text(raw):
    return raw.decode("utf-8") if raw is not None else ""


# ---- The C records of qorva_zel_kit.h ----------------------------------------------

class _Value(Structure):
    _fields_ = [("Type", c_int32), ("IntValue", c_int32), ("FloatValue", c_float), ("BoolValue", c_uint8),
                ("StringValue", c_char_p)]

    def python(self):
        if self.Type == _native.INTEGER:
            return self.IntValue
        if self.Type == _native.FLOAT:
            return _single(self.FloatValue)
        if self.Type == _native.ENUM:
            return _text(self.StringValue)
        return self.BoolValue != 0


class _Fact(Structure):
    _fields_ = [("Name", c_char_p), ("Value", c_char_p)]


class _OpenInfo(Structure):
    _fields_ = [("StructSize", c_uint32), ("SchemaPath", c_char_p), ("SchemaText", c_char_p),
                ("SchemaTextLength", c_size_t)] + \
               [(name, c_char_p) for name in
                ("DisplayName", "VersionName", "InstallPath", "ConfigPath", "Executable", "ExecCmd")] + \
               [("Tags", POINTER(c_char_p)), ("TagCount", c_uint32), ("Facts", POINTER(_Fact)),
                ("FactCount", c_uint32), ("Resolutions", POINTER(_native.Resolution)),
                ("ResolutionCount", c_uint32), ("Flags", c_uint32)]


class _OpenResult(Structure):
    _fields_ = [("LoadStatus", c_int32), ("FirstRun", c_uint8), ("Preset", c_char_p), ("TierIndex", c_int32),
                ("TierName", c_char_p), ("SchemaVersion", c_uint32), ("FileVersion", c_uint32),
                ("Migrated", c_uint8), ("MigrationStatus", c_int32), ("BackupPath", c_char_p),
                ("NewerFile", c_uint8), ("FindingCount", c_uint32), ("SettingsPath", c_char_p)]


class _OptionInfo(Structure):
    _fields_ = [("Name", c_char_p), ("Type", c_int32), ("Category", c_char_p), ("LabelKey", c_char_p),
                ("DescriptionKey", c_char_p), ("Flags", c_uint32), ("Default", _Value), ("Current", _Value),
                ("Saved", _Value), ("MinValue", _Value), ("MaxValue", _Value), ("NumSteps", c_int32),
                ("AllowedValues", POINTER(c_char_p)), ("AllowedCount", c_uint32), ("SchemaIndex", c_uint32)]


class _NamedEntry(Structure):
    _fields_ = [("Name", c_char_p), ("LabelKey", c_char_p)]


class _Finding(Structure):
    _fields_ = [("Kind", c_int32), ("KindName", c_char_p), ("Option", c_char_p), ("Text", c_char_p),
                ("Message", c_char_p), ("Line", c_uint32), ("Column", c_uint32)]


_lib = None


def _library():
    """The kit library, loaded (after the library it calls) on first use."""
    global _lib
    if _lib is None:
        _native.library()
        lib = _native.find_and_load(stem="qorva_zel_kit", env=KIT_LIBRARY_ENV, what="the Qorva Zel settings kit")
        status = c_int32
        opaque = ctypes.c_void_p
        text_out = [ctypes.c_char_p, c_size_t, POINTER(c_size_t)]
        signatures = {
            "QORVA_ZEL_KIT_StatusText": (c_char_p, [c_int32]),
            "QORVA_ZEL_KIT_Open": (status, [POINTER(_OpenInfo), POINTER(POINTER(_OpenResult)), ctypes.c_char_p,
                                            c_size_t]),
            "QORVA_ZEL_KIT_ReleaseOpenResult": (None, [POINTER(_OpenResult)]),
            "QORVA_ZEL_KIT_Close": (status, []),
            "QORVA_ZEL_KIT_Load": (status, []),
            "QORVA_ZEL_KIT_Save": (status, []),
            "QORVA_ZEL_KIT_GetValue": (status, [c_char_p, POINTER(_Value)] + text_out),
            "QORVA_ZEL_KIT_SetValue": (status, [c_char_p, POINTER(_Value)]),
            "QORVA_ZEL_KIT_ApplyPreset": (status, [c_char_p]),
            "QORVA_ZEL_KIT_CurrentPreset": (status, text_out),
            "QORVA_ZEL_KIT_ResetOption": (status, [c_char_p]),
            "QORVA_ZEL_KIT_ResetCategory": (status, [c_char_p]),
            "QORVA_ZEL_KIT_ResetAll": (status, []),
            "QORVA_ZEL_KIT_HoldsDefault": (status, [c_char_p, POINTER(c_uint8)]),
            "QORVA_ZEL_KIT_ListOptions": (status, [c_uint32, c_char_p, c_uint32, POINTER(opaque)]),
            "QORVA_ZEL_KIT_ListingCount": (c_uint32, [opaque]),
            "QORVA_ZEL_KIT_ListingOption": (POINTER(_OptionInfo), [opaque, c_uint32]),
            "QORVA_ZEL_KIT_ListingCategoryCount": (c_uint32, [opaque]),
            "QORVA_ZEL_KIT_ListingCategory": (POINTER(_NamedEntry), [opaque, c_uint32]),
            "QORVA_ZEL_KIT_ListingPresetCount": (c_uint32, [opaque]),
            "QORVA_ZEL_KIT_ListingPreset": (POINTER(_NamedEntry), [opaque, c_uint32]),
            "QORVA_ZEL_KIT_ListingCurrentPreset": (c_char_p, [opaque]),
            "QORVA_ZEL_KIT_ReleaseListing": (None, [opaque]),
            "QORVA_ZEL_KIT_GetLoadReport": (status, [POINTER(opaque)]),
            "QORVA_ZEL_KIT_ReportCount": (c_uint32, [opaque]),
            "QORVA_ZEL_KIT_ReportFinding": (POINTER(_Finding), [opaque, c_uint32]),
            "QORVA_ZEL_KIT_ReportFile": (c_char_p, [opaque]),
            "QORVA_ZEL_KIT_ReleaseReport": (None, [opaque]),
            "QORVA_ZEL_KIT_LocalSettingsFolder": (status, [c_char_p, c_uint32] + text_out),
        }
        for name, (restype, argtypes) in signatures.items():
            function = getattr(lib, name)
            function.restype = restype
            function.argtypes = argtypes
        _lib = lib
    return _lib


def _text_out(call, what):
    """The string of a "Text out" function, the buffer grown as it asks."""
    size = 256
    while True:
        buffer = ctypes.create_string_buffer(size)
        length = c_size_t(0)
        code = call(buffer, size, ctypes.byref(length))
        if code == KitStatus.BUFFER_TOO_SMALL and length.value >= size:
            size = length.value + 1
            continue
        _check(code, what)
        return buffer.value.decode("utf-8")


def local_settings_folder(game_folder, create=False):
    """The device-local settings folder of the platform with game_folder
    appended (%LOCALAPPDATA% on Windows, $XDG_CONFIG_HOME or ~/.config
    elsewhere); create=True makes it when missing. Needs no open kit."""
    name = _utf8(game_folder, "the game folder")
    flags = 1 if create else 0
    return _text_out(lambda b, s, n: _library().QORVA_ZEL_KIT_LocalSettingsFolder(name, flags, b, s, n),
                     f"settings folder {game_folder}")


# ---- What the kit hands out, as Python values ---------------------------------------

class OpenResult(NamedTuple):
    """What the open did."""

    load_status: object  # Status.OK, FILE_NOT_FOUND on a first run, FILE_ERROR for a file it could not read
    first_run: bool
    preset: Optional[str]  # first run: the preset the tiers chose (None when no tier matched)
    tier_index: int
    tier_name: Optional[str]
    schema_version: int
    file_version: int
    migrated: bool
    migration_status: object
    backup_path: Optional[str]
    newer_file: bool
    finding_count: int
    settings_path: str


def _optional_text(raw):
    return raw.decode("utf-8") if raw is not None else None


class OptionInfo(NamedTuple):
    """One option of a listing, with everything the schema and the library
    know of it. saved is None when nothing was loaded or saved yet; minimum,
    maximum and steps are None for an Enum or a Bool; allowed is () but for
    an Enum."""

    name: str
    type: OptionType
    category: str
    label_key: str
    description_key: str
    flags: int
    default: object
    current: object
    saved: object
    minimum: object
    maximum: object
    steps: Optional[int]
    allowed: Tuple[str, ...]
    schema_index: int

    restart_required = property(lambda self: bool(self.flags & 1))
    hidden = property(lambda self: bool(self.flags & 2))
    available = property(lambda self: not self.flags & 4)
    changed = property(lambda self: bool(self.flags & 8))  # differs from its default
    unsaved = property(lambda self: bool(self.flags & 32))  # differs from the saved value (or none is saved)

    @classmethod
    def _from_c(cls, info):
        ranged = info.Type in (_native.INTEGER, _native.FLOAT)
        return cls(_text(info.Name), OptionType(info.Type), _text(info.Category), _text(info.LabelKey),
                   _text(info.DescriptionKey), info.Flags, info.Default.python(), info.Current.python(),
                   info.Saved.python() if info.Flags & 16 else None,
                   info.MinValue.python() if ranged else None, info.MaxValue.python() if ranged else None,
                   info.NumSteps if ranged else None,
                   tuple(_text(info.AllowedValues[i]) for i in range(info.AllowedCount)), info.SchemaIndex)


class Entry(NamedTuple):
    """A category or a preset."""

    name: str
    label_key: str


class Listing:
    """A snapshot of the options, copied whole: iterate it for OptionInfo
    records, index it by position or name; categories, presets and the
    preset the values matched come with it."""

    def __init__(self, options, categories, presets, current_preset):
        self._options = options
        self._by_name = {option.name: option for option in options}
        self.categories = categories
        self.presets = presets
        self.current_preset = current_preset

    def __iter__(self):
        return iter(self._options)

    def __len__(self):
        return len(self._options)

    def __getitem__(self, key):
        return self._by_name[key] if isinstance(key, str) else self._options[key]

    def __contains__(self, name):
        return name in self._by_name


class Finding(NamedTuple):
    """A value of the file that was not applied, or not as written; the
    same words as qorvazel check."""

    kind: int
    kind_name: str  # "out-of-range", "off-step", "not-allowed", "wrong-type", "unknown", ...
    option: str
    text: str
    message: str
    line: int
    column: int


class Report:
    """The findings of the last open or load, in file order; iterate it.
    file is the file their lines refer to."""

    def __init__(self, findings, file):
        self._findings = findings
        self.file = file

    def __iter__(self):
        return iter(self._findings)

    def __len__(self):
        return len(self._findings)

    def __getitem__(self, index):
        return self._findings[index]


_ORDERS = {"schema": 0, "category": 1}


class Kit:
    """The open kit; a context manager. Creating it opens the kit: reads the
    schema, initialises the library, registers the options, migrates an
    older settings file and loads it (on a first run the hardware tiers
    choose the preset). close() (or leaving the with block) closes it
    without saving. One Kit at a time in a process, as the library is one.

    facts: a dict or (name, value) pairs; values are str, bool (true/false)
    or numbers. tags: platform and device tags, the first counting most."""

    def __init__(self, schema_path=None, *, schema_text=None, display_name="", version_name="", install_path="",
                 config_path="", executable="", exec_cmd="", tags=(), facts=None, resolutions=(),
                 system_facts=True):
        lib = _library()
        if schema_path is None and schema_text is None:
            raise TypeError("give schema_path or schema_text")
        keep = []

        def c_text(value, what):
            keep.append(_utf8(value, what))
            return keep[-1]

        info = _OpenInfo(StructSize=ctypes.sizeof(_OpenInfo))
        if schema_path is not None:
            info.SchemaPath = c_text(schema_path, "schema_path")
        if schema_text is not None:
            if isinstance(schema_text, str):
                schema_text = schema_text.encode("utf-8")
            _require(schema_text, (bytes,), "schema_text")
            keep.append(schema_text)
            info.SchemaText = schema_text
            info.SchemaTextLength = len(schema_text)
        for field, value in (("DisplayName", display_name), ("VersionName", version_name),
                             ("InstallPath", install_path), ("ConfigPath", config_path),
                             ("Executable", executable), ("ExecCmd", exec_cmd)):
            setattr(info, field, c_text(value, field))
        if isinstance(tags, str):
            raise TypeError("tags must be a list of str, not one str")
        tags = [c_text(tag, "a tag") for tag in tags]
        info.Tags = (c_char_p * max(len(tags), 1))(*tags)
        info.TagCount = len(tags)
        facts = list((facts or {}).items() if isinstance(facts, dict) or facts is None else facts)
        info.Facts = (_Fact * max(len(facts), 1))(*[_Fact(c_text(name, "a fact's name"),
                                                          c_text(_fact_text(value), f"fact {name}"))
                                                    for name, value in facts])
        info.FactCount = len(facts)
        modes = [Resolution(*m)._native() for m in resolutions]
        info.Resolutions = (_native.Resolution * max(len(modes), 1))(*modes)
        info.ResolutionCount = len(modes)
        info.Flags = 0 if system_facts else 1

        result = POINTER(_OpenResult)()
        message = ctypes.create_string_buffer(1024)
        code = lib.QORVA_ZEL_KIT_Open(ctypes.byref(info), ctypes.byref(result), message, len(message))
        _check(code, "open the kit", message.value.decode("utf-8", "replace"))
        try:
            r = result.contents
            self.opened = OpenResult(
                _status(r.LoadStatus), r.FirstRun != 0, _optional_text(r.Preset), r.TierIndex,
                _optional_text(r.TierName), r.SchemaVersion, r.FileVersion, r.Migrated != 0,
                _status(r.MigrationStatus), _optional_text(r.BackupPath), r.NewerFile != 0, r.FindingCount,
                _text(r.SettingsPath))
        finally:
            lib.QORVA_ZEL_KIT_ReleaseOpenResult(result)
        self._lib = lib

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
        """Closes the kit and releases the library, saving nothing; a second
        call does nothing."""
        lib, self._lib = getattr(self, "_lib", None), None
        if lib is not None:
            lib.QORVA_ZEL_KIT_Close()

    @property
    def closed(self):
        return self._lib is None

    def _calls(self):
        if self._lib is None:
            raise KitError(KitStatus.NOT_OPEN, "this Kit is closed")
        return self._lib

    # ---- The settings file ---------------------------------------------------------

    def load(self):
        """Reads the settings file again (migrating an older one) and makes a
        new load report; False when there is no file."""
        code = self._calls().QORVA_ZEL_KIT_Load()
        if code == Status.FILE_NOT_FOUND:
            return False
        _check(code, "load")
        return True

    def save(self):
        """Writes the settings file."""
        _check(self._calls().QORVA_ZEL_KIT_Save(), "save")

    # ---- Values --------------------------------------------------------------------

    def get(self, name):
        """The option's current value: int, float, str or bool by its type."""
        lib = self._calls()
        key = _utf8(name, "the option name")
        value = _Value()
        size = 256
        while True:
            buffer = ctypes.create_string_buffer(size)
            length = c_size_t(0)
            code = lib.QORVA_ZEL_KIT_GetValue(key, ctypes.byref(value), buffer, size, ctypes.byref(length))
            if code == KitStatus.BUFFER_TOO_SMALL and length.value >= size:
                size = length.value + 1
                continue
            _check(code, f"get {name}")
            return value.python()

    def _type_of(self, name, key):
        value = _Value()
        code = self._calls().QORVA_ZEL_KIT_GetValue(key, ctypes.byref(value), None, 0, None)
        if code not in (Status.OK, KitStatus.BUFFER_TOO_SMALL):
            raise KitError(code, f"set {name}")
        return value.Type

    def set(self, name, value):
        """Sets the option, validated by the library. The value's Python type
        must fit the option's: int for an Integer, int or float for a Float,
        str for an Enum, bool for a Bool (TypeError otherwise)."""
        key = _utf8(name, "the option name")
        kind = self._type_of(name, key)
        c_value = _Value(Type=kind)
        if kind == _native.INTEGER:
            c_value.IntValue = _integer(value, _INT32, "an Integer value")
        elif kind == _native.FLOAT:
            c_value.FloatValue = _require(value, (int, float), "a Float value")
        elif kind == _native.ENUM:
            c_value.StringValue = _utf8(value, "an Enum value")
        else:
            c_value.BoolValue = 1 if _require(value, (bool,), "a Bool value") else 0
        _check(self._calls().QORVA_ZEL_KIT_SetValue(key, ctypes.byref(c_value)), f"set {name}")

    # ---- Presets, defaults and resets ---------------------------------------------

    def apply_preset(self, name):
        """Sets every option of the preset's group as one change."""
        _check(self._calls().QORVA_ZEL_KIT_ApplyPreset(_utf8(name, "the preset name")), f"apply preset {name}")

    @property
    def current_preset(self):
        """The first preset the values match, or CUSTOM."""
        lib = self._calls()
        return _text_out(lib.QORVA_ZEL_KIT_CurrentPreset, "current preset")

    def reset(self, name):
        _check(self._calls().QORVA_ZEL_KIT_ResetOption(_utf8(name, "the option name")), f"reset {name}")

    def reset_category(self, category):
        _check(self._calls().QORVA_ZEL_KIT_ResetCategory(_utf8(category, "the category")),
               f"reset category {category}")

    def reset_all(self):
        _check(self._calls().QORVA_ZEL_KIT_ResetAll(), "reset all")

    def holds_default(self, name):
        answer = c_uint8(0)
        _check(self._calls().QORVA_ZEL_KIT_HoldsDefault(_utf8(name, "the option name"), ctypes.byref(answer)),
               f"holds default {name}")
        return answer.value != 0

    # ---- Listing and load report ---------------------------------------------------

    def options(self, order="schema", category=None, hidden=False):
        """A Listing of the options (of one category when given) in schema
        order or by category; hidden options only with hidden=True."""
        if order not in _ORDERS:
            raise ValueError(f"order must be one of {sorted(_ORDERS)}, not {order!r}")
        lib = self._calls()
        wanted = None if category is None else _utf8(category, "the category")
        handle = ctypes.c_void_p()
        _check(lib.QORVA_ZEL_KIT_ListOptions(_ORDERS[order], wanted, 1 if hidden else 0, ctypes.byref(handle)),
               "list options")
        try:
            options = [OptionInfo._from_c(lib.QORVA_ZEL_KIT_ListingOption(handle, i).contents)
                       for i in range(lib.QORVA_ZEL_KIT_ListingCount(handle))]
            categories = [_entry(lib.QORVA_ZEL_KIT_ListingCategory(handle, i).contents)
                          for i in range(lib.QORVA_ZEL_KIT_ListingCategoryCount(handle))]
            presets = [_entry(lib.QORVA_ZEL_KIT_ListingPreset(handle, i).contents)
                       for i in range(lib.QORVA_ZEL_KIT_ListingPresetCount(handle))]
            return Listing(options, categories, presets, _text(lib.QORVA_ZEL_KIT_ListingCurrentPreset(handle)))
        finally:
            lib.QORVA_ZEL_KIT_ReleaseListing(handle)

    def __iter__(self):
        """The options a menu shows, in schema order."""
        return iter(self.options())

    def load_report(self):
        """The Report of the last open or load."""
        lib = self._calls()
        handle = ctypes.c_void_p()
        _check(lib.QORVA_ZEL_KIT_GetLoadReport(ctypes.byref(handle)), "load report")
        try:
            findings = []
            for i in range(lib.QORVA_ZEL_KIT_ReportCount(handle)):
                f = lib.QORVA_ZEL_KIT_ReportFinding(handle, i).contents
                findings.append(Finding(f.Kind, _text(f.KindName), _text(f.Option), _text(f.Text),
                                        _text(f.Message), f.Line, f.Column))
            return Report(findings, _text(lib.QORVA_ZEL_KIT_ReportFile(handle)))
        finally:
            lib.QORVA_ZEL_KIT_ReleaseReport(handle)


def _entry(entry):
    return Entry(_text(entry.Name), _text(entry.LabelKey))


def _fact_text(value):
    """A fact's text: true/false for a bool, the number's text, or the str."""
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, (int, float)):
        return repr(value)
    return value
