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

While the game runs:

    with kit.subscribe(lambda e: print(e.kind.name, e.name, e.old_value, e.new_value)) as heard:
        game.set_pending("ShadowQuality", 3)
        game.set_pending_mode(kit.mode(1920, 1080, 60000, 1001))
        result = game.apply(confirm_within_ms=15000)   # result.refusals when refused
        ...                                            # game.confirm() when the player keeps it
    game.apply_command_line(sys.argv)                  # overrides, never saved

subscribe() hears every change made through the kit, on the thread of the
call that made it, after the kit's lock is released (a callable may call
the kit). An exception the callable raises cannot cross the kit's C frame:
it is kept, the change stands, the other subscribers still hear the event,
and the subscription's take_error() hands it over.
"""

import ctypes
import enum
import itertools
import os
import threading
from ctypes import POINTER, Structure, c_char_p, c_float, c_int, c_int32, c_size_t, c_uint8, c_uint32, c_uint64
from typing import NamedTuple, Optional, Tuple

from . import QorvaZelError, Resolution, Status, _INT32, _UINT32, _Closing, _integer, _member, _native, _require, _single

__all__ = [
    "Kit", "KitError", "KitStatus", "OptionType", "OptionInfo", "Listing", "Finding", "Report", "OpenResult",
    "local_settings_folder", "CUSTOM", "KIT_LIBRARY_ENV", "DisplayMode", "mode", "modes_match",
    "REFRESH_TOLERANCE", "ModeInfo", "EventKind", "Event", "Subscription", "subscribe", "ApplyResult", "Refusal",
    "set_clock", "take_clock_error",
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
    APPLY_REFUSED = -1009  # apply refused one or more pending edits; nothing changed
    PROVISIONAL = -1010  # a change is provisional: confirm or revert it first
    NOT_PROVISIONAL = -1011  # confirm or revert_provisional with no provisional change
    EXPIRED = -1012  # confirm after the deadline: the change was put back


class OptionType(enum.IntEnum):
    INTEGER = _native.INTEGER
    FLOAT = _native.FLOAT
    ENUM = _native.ENUM
    BOOL = _native.BOOL


def _status(code):
    return _member(code, Status, KitStatus)


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


class _DisplayMode(Structure):
    _fields_ = [("Width", c_uint32), ("Height", c_uint32), ("RefreshNumerator", c_uint32),
                ("RefreshDenominator", c_uint32), ("RefreshRate", c_float)]

    def python(self):
        return DisplayMode(self.Width, self.Height, self.RefreshNumerator, self.RefreshDenominator,
                           _single(self.RefreshRate))


class _Fact(Structure):
    _fields_ = [("Name", c_char_p), ("Value", c_char_p)]


class _OpenInfo(Structure):
    _fields_ = [("StructSize", c_uint32), ("SchemaPath", c_char_p), ("SchemaText", c_char_p),
                ("SchemaTextLength", c_size_t)] + \
               [(name, c_char_p) for name in
                ("DisplayName", "VersionName", "InstallPath", "ConfigPath", "Executable", "ExecCmd")] + \
               [("Tags", POINTER(c_char_p)), ("TagCount", c_uint32), ("Facts", POINTER(_Fact)),
                ("FactCount", c_uint32), ("Resolutions", POINTER(_native.Resolution)),
                ("ResolutionCount", c_uint32), ("Flags", c_uint32),
                # The second version of the record.
                ("Modes", POINTER(_DisplayMode)), ("ModeCount", c_uint32), ("DisplayId", c_char_p)]


class _OpenResult(Structure):
    _fields_ = [("LoadStatus", c_int32), ("FirstRun", c_uint8), ("Preset", c_char_p), ("TierIndex", c_int32),
                ("TierName", c_char_p), ("SchemaVersion", c_uint32), ("FileVersion", c_uint32),
                ("Migrated", c_uint8), ("MigrationStatus", c_int32), ("BackupPath", c_char_p),
                ("NewerFile", c_uint8), ("FindingCount", c_uint32), ("SettingsPath", c_char_p),
                ("DisplayChanged", c_uint8), ("SavedDisplayId", c_char_p), ("ModeListed", c_uint8)]


class _OptionInfo(Structure):
    _fields_ = [("Name", c_char_p), ("Type", c_int32), ("Category", c_char_p), ("LabelKey", c_char_p),
                ("DescriptionKey", c_char_p), ("Flags", c_uint32), ("Default", _Value), ("Current", _Value),
                ("Saved", _Value), ("MinValue", _Value), ("MaxValue", _Value), ("NumSteps", c_int32),
                ("AllowedValues", POINTER(c_char_p)), ("AllowedCount", c_uint32), ("SchemaIndex", c_uint32),
                ("Pending", _Value), ("Player", _Value)]


class _NamedEntry(Structure):
    _fields_ = [("Name", c_char_p), ("LabelKey", c_char_p)]


class _Finding(Structure):
    _fields_ = [("Kind", c_int32), ("KindName", c_char_p), ("Option", c_char_p), ("Text", c_char_p),
                ("Message", c_char_p), ("Line", c_uint32), ("Column", c_uint32)]


class _ModeInfo(Structure):
    _fields_ = [("Current", _DisplayMode), ("Player", _DisplayMode), ("Pending", _DisplayMode), ("Flags", c_uint32),
                ("Modes", POINTER(_DisplayMode)), ("ModeCount", c_uint32)]


class _Event(Structure):
    _fields_ = [("Kind", c_int32), ("Cause", c_int32), ("Name", c_char_p), ("OldValue", _Value),
                ("NewValue", _Value), ("OldMode", _DisplayMode), ("NewMode", _DisplayMode),
                ("FromVersion", c_uint32), ("ToVersion", c_uint32), ("Provisional", c_uint8), ("Expired", c_uint8)]


class _Refusal(Structure):
    _fields_ = [("Option", c_char_p), ("Status", c_int32)]


class _ApplyResult(Structure):
    _fields_ = [("Refusals", POINTER(_Refusal)), ("RefusalCount", c_uint32), ("Changed", POINTER(c_char_p)),
                ("ChangedCount", c_uint32), ("RestartRequired", POINTER(c_char_p)), ("RestartCount", c_uint32),
                ("ModeChanged", c_uint8), ("Provisional", c_uint8), ("Deadline", c_uint64)]


_EventCallback = ctypes.CFUNCTYPE(None, POINTER(_Event), ctypes.c_void_p)
_ClockFunction = ctypes.CFUNCTYPE(c_uint64, ctypes.c_void_p)

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
        mode_in = POINTER(_DisplayMode)
        _lib = _native.declare(lib, {
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
            "QORVA_ZEL_KIT_ModesMatch": (c_uint8, [mode_in, mode_in]),
            "QORVA_ZEL_KIT_GetMode": (status, [POINTER(_ModeInfo)]),
            "QORVA_ZEL_KIT_SetMode": (status, [mode_in]),
            "QORVA_ZEL_KIT_ClosestMode": (status, [mode_in, mode_in]),
            "QORVA_ZEL_KIT_Subscribe": (status, [_EventCallback, ctypes.c_void_p, POINTER(c_uint64)]),
            "QORVA_ZEL_KIT_Unsubscribe": (status, [c_uint64]),
            "QORVA_ZEL_KIT_SetPending": (status, [c_char_p, POINTER(_Value)]),
            "QORVA_ZEL_KIT_SetPendingMode": (status, [mode_in]),
            "QORVA_ZEL_KIT_RevertPending": (status, []),
            "QORVA_ZEL_KIT_Apply": (status, [c_uint32, POINTER(POINTER(_ApplyResult))]),
            "QORVA_ZEL_KIT_ReleaseApplyResult": (None, [POINTER(_ApplyResult)]),
            "QORVA_ZEL_KIT_Confirm": (status, []),
            "QORVA_ZEL_KIT_RevertProvisional": (status, []),
            "QORVA_ZEL_KIT_Poll": (status, [POINTER(c_uint8), POINTER(c_uint64)]),
            "QORVA_ZEL_KIT_SetClock": (status, [_ClockFunction, ctypes.c_void_p]),
            "QORVA_ZEL_KIT_SetOverride": (status, [c_char_p, POINTER(_Value)]),
            "QORVA_ZEL_KIT_SetModeOverride": (status, [mode_in]),
            "QORVA_ZEL_KIT_ClearOverrides": (status, []),
            "QORVA_ZEL_KIT_ApplyCommandLine": (status, [c_int, POINTER(c_char_p), ctypes.c_char_p, c_size_t]),
        })
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


# ---- Display modes ------------------------------------------------------------------

#: Hertz: two rates closer than this are one rate (59.94, 60000/1001 and 59.940002).
REFRESH_TOLERANCE = 0.005


class DisplayMode(NamedTuple):
    """A display mode as players have it: the refresh rate as a fraction
    numerator/denominator (60000/1001) or, with denominator 0, as rate
    (59.94). What the kit hands out has all three. Make one with mode()."""

    width: int
    height: int
    numerator: int = 0
    denominator: int = 0
    rate: float = 0.0

    def matches(self, other):
        """Same size and rates within REFRESH_TOLERANCE hertz."""
        return modes_match(self, other)

    def _native(self):
        return _DisplayMode(_integer(self.width, _UINT32, "the width"), _integer(self.height, _UINT32, "the height"),
                            _integer(self.numerator, _UINT32, "the rate's numerator"),
                            _integer(self.denominator, _UINT32, "the rate's denominator"),
                            _require(self.rate, (int, float), "the rate"))


def mode(width, height, rate, denominator=None):
    """mode(1920, 1080, 59.94), or with the rate as a fraction
    mode(1920, 1080, 60000, 1001)."""
    if denominator is None:
        return DisplayMode(width, height, rate=_require(rate, (int, float), "the rate"))
    return DisplayMode(width, height, rate, denominator)


def _mode(value):
    """A DisplayMode of a DisplayMode or a (width, height, ...) tuple, as C."""
    return (value if isinstance(value, DisplayMode) else DisplayMode(*value))._native()


def modes_match(a, b):
    """Same size and rates within REFRESH_TOLERANCE hertz; needs no open kit."""
    return _library().QORVA_ZEL_KIT_ModesMatch(ctypes.byref(_mode(a)), ctypes.byref(_mode(b))) != 0


class ModeInfo(NamedTuple):
    """The display mode as a menu needs it."""

    current: DisplayMode
    player: DisplayMode  # the player's own, the one a save writes
    pending: Optional[DisplayMode]  # waiting for apply()
    overridden: bool
    provisional: bool
    unsaved: bool  # differs from the last load or save
    modes: Tuple[DisplayMode, ...]  # the game's, as listed at the open


# ---- Change events ---------------------------------------------------------------------

class EventKind(enum.IntEnum):
    """What an event tells (kind), and which call made a VALUE or MODE change (cause)."""

    VALUE = 1  # an option's value changed: name, old_value, new_value
    MODE = 2  # the display mode changed: old_mode, new_mode
    SET = 3  # (a cause only) set() or set_mode()
    PRESET = 4  # name is the preset
    RESET = 5  # name is the option or category, "" for all
    LOAD = 6
    MIGRATION = 7  # from_version, to_version
    APPLY = 8  # provisional tells whether to confirm
    CONFIRM = 9
    REVERT = 10  # expired: by its deadline
    OVERRIDE = 11
    DISPLAY = 12  # the file was saved on another display: name is its identity


def _kind(code):
    return _member(code, EventKind)


class Event(NamedTuple):
    """One change, copied out of the kit's record. old_value and new_value
    are None but for VALUE, old_mode and new_mode None but for MODE."""

    kind: EventKind
    cause: EventKind  # VALUE and MODE: the kind of the call that made the change; otherwise kind
    name: str
    old_value: object
    new_value: object
    old_mode: Optional[DisplayMode]
    new_mode: Optional[DisplayMode]
    from_version: int
    to_version: int
    provisional: bool
    expired: bool

    @classmethod
    def _from_c(cls, e):
        value = e.Kind == EventKind.VALUE
        moved = e.Kind == EventKind.MODE
        return cls(_kind(e.Kind), _kind(e.Cause), _text(e.Name), e.OldValue.python() if value else None,
                   e.NewValue.python() if value else None, e.OldMode.python() if moved else None,
                   e.NewMode.python() if moved else None, e.FromVersion, e.ToVersion, e.Provisional != 0,
                   e.Expired != 0)


# The live subscriptions by key: the kit holds one callback for all of them,
# made once, and passes the key back.
_subscriptions = {}
_subscriptions_lock = threading.Lock()
_keys = itertools.count(1)


@_EventCallback
def _on_event(event, user):
    subscription = _subscriptions.get(user)
    if subscription is not None:
        subscription._deliver(event)


class Subscription:
    """A callable that hears every change made through the kit until close()
    (or the end of a with block); the module keeps it (and the callable)
    until then, whether the caller keeps the object or not. An exception the
    callable raises is kept, not raised: take_error() hands the first one
    over. Subscriptions belong to the process: they may be made before a
    Kit and outlive it."""

    def __init__(self, callback):
        if not callable(callback):
            raise TypeError(f"the subscriber must be callable, not {type(callback).__name__}")
        self._callback = callback
        self._error = None
        self._error_lock = threading.Lock()
        self._key = next(_keys)
        token = c_uint64(0)
        with _subscriptions_lock:
            _subscriptions[self._key] = self
        code = _library().QORVA_ZEL_KIT_Subscribe(_on_event, self._key, ctypes.byref(token))
        if code != Status.OK:
            with _subscriptions_lock:
                del _subscriptions[self._key]
            raise KitError(code, "subscribe")
        self._token = token.value

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    @property
    def closed(self):
        return self._token == 0

    def close(self):
        """Ends the subscription: when it returns, the callable runs nowhere
        else and is not called again. A second call does nothing."""
        token, self._token = self._token, 0
        if token:
            _library().QORVA_ZEL_KIT_Unsubscribe(token)
            with _subscriptions_lock:
                _subscriptions.pop(self._key, None)

    def take_error(self):
        """The first exception the callable raised that was not taken yet, or None."""
        with self._error_lock:
            error, self._error = self._error, None
        return error

    def _deliver(self, event):
        try:
            self._callback(Event._from_c(event.contents))
        except BaseException as error:  # nothing may unwind into the kit
            with self._error_lock:
                if self._error is None:
                    self._error = error


def subscribe(callback):
    """A Subscription of callback(event) to every change made through the
    kit: on the thread of the call that made it, after the kit's lock is
    released and before that call returns, so callback may call the kit
    (the events of that call come inside it). One call's events: MIGRATION;
    a VALUE per changed option in schema order, then MODE; then the call's
    own (PRESET, RESET, LOAD, APPLY, CONFIRM, REVERT, OVERRIDE, DISPLAY)."""
    return Subscription(callback)


# ---- The kit's clock -------------------------------------------------------------------

_clock = None
_clock_state = {"last": 0, "error": None}
_clock_lock = threading.Lock()


@_ClockFunction
def _read_clock(user):
    try:
        _clock_state["last"] = int(_clock())
    except BaseException as error:  # nothing may unwind into the kit
        if _clock_state["error"] is None:
            _clock_state["error"] = error
    return _clock_state["last"]


def set_clock(clock):
    """Replaces the kit's clock (milliseconds from any fixed point, never
    going back) with clock(), for tests and games with a clock of their own;
    None puts the steady clock back. Needs no open kit. A clock that raises
    gives the kit its last time, and take_clock_error() hands the exception
    over."""
    global _clock
    if clock is not None and not callable(clock):
        raise TypeError(f"the clock must be callable, not {type(clock).__name__}")
    with _clock_lock:
        if clock is not None:
            _clock = clock
        _library().QORVA_ZEL_KIT_SetClock(_read_clock if clock is not None else _ClockFunction(), None)
        if clock is None:
            _clock = None


def take_clock_error():
    """The first exception the clock raised that was not taken yet, or None."""
    error, _clock_state["error"] = _clock_state["error"], None
    return error


# ---- Apply -----------------------------------------------------------------------------

class Refusal(NamedTuple):
    """A pending edit apply() refused: the option ("" for the mode) and why."""

    option: str
    status: object


class ApplyResult(NamedTuple):
    """What apply() did: all the pending edits, or none when any was refused
    (status KitStatus.APPLY_REFUSED, refusals naming each)."""

    status: object
    refusals: Tuple[Refusal, ...]  # in schema order, the mode last
    changed: Tuple[str, ...]  # the options whose value changed, in schema order
    restart_required: Tuple[str, ...]  # of those, the ones that take effect after a restart
    mode_changed: bool
    provisional: bool  # confirm() before deadline, or the change is put back
    deadline: int  # milliseconds on the kit's clock

    @property
    def applied(self):
        return self.status == Status.OK


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
    display_changed: bool  # the file was saved on another display than display_id
    saved_display_id: str  # the file's display identity ("" when none)
    mode_listed: bool  # False: the display no longer has the file's mode (see closest_mode)


def _optional_text(raw):
    return raw.decode("utf-8") if raw is not None else None


def _texts(array, count):
    return tuple(_text(array[i]) for i in range(count))


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
    pending: object  # the edit waiting for apply(), or None
    player: object  # the player's own value, the one a save writes (current unless overridden or provisional)

    restart_required = property(lambda self: bool(self.flags & 1))
    hidden = property(lambda self: bool(self.flags & 2))
    available = property(lambda self: not self.flags & 4)
    changed = property(lambda self: bool(self.flags & 8))  # differs from its default
    unsaved = property(lambda self: bool(self.flags & 32))  # differs from the saved value (or none is saved)
    confirm_required = property(lambda self: bool(self.flags & 64))  # an applied change waits for confirm()
    overridden = property(lambda self: bool(self.flags & 256))  # current is an override of this run
    provisional = property(lambda self: bool(self.flags & 512))  # current waits for confirm()

    @classmethod
    def _from_c(cls, info):
        ranged = info.Type in (_native.INTEGER, _native.FLOAT)
        return cls(_text(info.Name), OptionType(info.Type), _text(info.Category), _text(info.LabelKey),
                   _text(info.DescriptionKey), info.Flags, info.Default.python(), info.Current.python(),
                   info.Saved.python() if info.Flags & 16 else None,
                   info.MinValue.python() if ranged else None, info.MaxValue.python() if ranged else None,
                   info.NumSteps if ranged else None,
                   _texts(info.AllowedValues, info.AllowedCount), info.SchemaIndex,
                   info.Pending.python() if info.Flags & 128 else None, info.Player.python())


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


class Kit(_Closing):
    """The open kit; a context manager. Creating it opens the kit: reads the
    schema, initialises the library, registers the options, migrates an
    older settings file and loads it (on a first run the hardware tiers
    choose the preset). close() (or leaving the with block) closes it
    without saving. One Kit at a time in a process, as the library is one.

    facts: a dict or (name, value) pairs; values are str, bool (true/false)
    or numbers. tags: platform and device tags, the first counting most.
    modes: instead of resolutions, the display's modes with their rates as
    fractions (mode(1920, 1080, 60000, 1001)); display_id: the display's
    identity, saved with the mode (opened.display_changed on another one).
    A subscription made before the Kit hears the open's events."""

    def __init__(self, schema_path=None, *, schema_text=None, display_name="", version_name="", install_path="",
                 config_path="", executable="", exec_cmd="", tags=(), facts=None, resolutions=(),
                 system_facts=True, modes=(), display_id=None):
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
        listed = [Resolution(*m)._native() for m in resolutions]
        info.Resolutions = (_native.Resolution * max(len(listed), 1))(*listed)
        info.ResolutionCount = len(listed)
        info.Flags = 0 if system_facts else 1
        modes = [_mode(m) for m in modes]
        info.Modes = (_DisplayMode * max(len(modes), 1))(*modes)
        info.ModeCount = len(modes)
        if display_id is not None:
            info.DisplayId = c_text(display_id, "display_id")

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
                _text(r.SettingsPath), r.DisplayChanged != 0, _text(r.SavedDisplayId), r.ModeListed != 0)
        finally:
            lib.QORVA_ZEL_KIT_ReleaseOpenResult(result)
        self._lib = lib

    def _release(self, lib):
        """Closes the kit and releases the library, saving nothing; close()
        calls it once. Subscriptions stay (they belong to the process)."""
        lib.QORVA_ZEL_KIT_Close()

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
        text = _text_out(lambda b, s, n: lib.QORVA_ZEL_KIT_GetValue(key, ctypes.byref(value), b, s, n), f"get {name}")
        return text if value.Type == _native.ENUM else value.python()

    def _type_of(self, name, key, what):
        value = _Value()
        code = self._calls().QORVA_ZEL_KIT_GetValue(key, ctypes.byref(value), None, 0, None)
        if code not in (Status.OK, KitStatus.BUFFER_TOO_SMALL):
            raise KitError(code, f"{what} {name}")
        return value.Type

    def _with_value(self, call, what, name, value):
        """call(name, value) for a value of the option's type: int for an
        Integer, int or float for a Float, str for an Enum, bool for a Bool
        (TypeError otherwise)."""
        key = _utf8(name, "the option name")
        kind = self._type_of(name, key, what)
        c_value = _Value(Type=kind)
        if kind == _native.INTEGER:
            c_value.IntValue = _integer(value, _INT32, "an Integer value")
        elif kind == _native.FLOAT:
            c_value.FloatValue = _require(value, (int, float), "a Float value")
        elif kind == _native.ENUM:
            c_value.StringValue = _utf8(value, "an Enum value")
        else:
            c_value.BoolValue = 1 if _require(value, (bool,), "a Bool value") else 0
        _check(call(key, ctypes.byref(c_value)), f"{what} {name}")

    def set(self, name, value):
        """Sets the option, validated by the library. The value's Python type
        must fit the option's: int for an Integer, int or float for a Float,
        str for an Enum, bool for a Bool (TypeError otherwise)."""
        self._with_value(self._calls().QORVA_ZEL_KIT_SetValue, "set", name, value)

    # ---- Display modes -------------------------------------------------------------

    def get_mode(self):
        """The ModeInfo: the current mode (with the fraction the game listed),
        the player's, a pending one and the game's modes."""
        info = _ModeInfo()
        _check(self._calls().QORVA_ZEL_KIT_GetMode(ctypes.byref(info)), "get mode")
        return ModeInfo(info.Current.python(), info.Player.python(),
                        info.Pending.python() if info.Flags & 128 else None, bool(info.Flags & 256),
                        bool(info.Flags & 512), bool(info.Flags & 32),
                        tuple(info.Modes[i].python() for i in range(info.ModeCount)))

    def set_mode(self, wanted):
        """Makes the listed mode that matches wanted current at once (the rate
        as listed); KitError(VALUE_NOT_ALLOWED) when none matches."""
        _check(self._calls().QORVA_ZEL_KIT_SetMode(ctypes.byref(_mode(wanted))), f"set mode {tuple(wanted)}")

    def closest_mode(self, wanted):
        """The listed mode closest to wanted (a matching one, else the nearest
        size, then the nearest rate); None when no modes are listed."""
        found = _DisplayMode()
        code = self._calls().QORVA_ZEL_KIT_ClosestMode(ctypes.byref(_mode(wanted)), ctypes.byref(found))
        if code == KitStatus.NOT_FOUND:
            return None
        _check(code, f"closest mode to {tuple(wanted)}")
        return found.python()

    # ---- Pending edits, apply, confirm, revert ------------------------------------

    def set_pending(self, name, value):
        """An edit that waits in the kit until apply(): checked for its name,
        type and availability now, against its limits at apply()."""
        self._with_value(self._calls().QORVA_ZEL_KIT_SetPending, "set pending", name, value)

    def set_pending_mode(self, wanted):
        """A display mode for apply(), matched with the listed ones there."""
        _check(self._calls().QORVA_ZEL_KIT_SetPendingMode(ctypes.byref(_mode(wanted))), "set pending mode")

    def revert_pending(self):
        """Drops every pending edit."""
        _check(self._calls().QORVA_ZEL_KIT_RevertPending(), "revert pending edits")

    def apply(self, confirm_within_ms=0):
        """Applies every pending edit as one change and returns the
        ApplyResult: all of them, or none when any is refused (status
        APPLY_REFUSED, each refusal named; the edits stay pending). With
        confirm_within_ms above 0 a new display mode and the options flagged
        "confirm" are provisional: confirm() before the deadline, or the
        first kit call after it puts them back. Other failures raise."""
        ms = _integer(confirm_within_ms, _UINT32, "confirm_within_ms")
        made = POINTER(_ApplyResult)()
        lib = self._calls()
        code = lib.QORVA_ZEL_KIT_Apply(ms, ctypes.byref(made))
        try:
            if code != KitStatus.APPLY_REFUSED:
                _check(code, "apply")
            r = made.contents
            return ApplyResult(_status(code), tuple(Refusal(_text(r.Refusals[i].Option), _status(r.Refusals[i].Status))
                                                    for i in range(r.RefusalCount)),
                               _texts(r.Changed, r.ChangedCount), _texts(r.RestartRequired, r.RestartCount),
                               r.ModeChanged != 0, r.Provisional != 0, r.Deadline)
        finally:
            lib.QORVA_ZEL_KIT_ReleaseApplyResult(made)

    def confirm(self):
        """Makes the provisional change final: True; False when its deadline
        had passed and it was put back."""
        code = self._calls().QORVA_ZEL_KIT_Confirm()
        if code == KitStatus.EXPIRED:
            return False
        _check(code, "confirm")
        return True

    def revert_provisional(self):
        """Puts the provisional change back now (the player said no)."""
        _check(self._calls().QORVA_ZEL_KIT_RevertProvisional(), "revert the provisional change")

    def poll(self):
        """Puts back a provisional change whose deadline has passed (as every
        kit call does); the milliseconds left while one is provisional, else
        None."""
        provisional = c_uint8(0)
        remaining = c_uint64(0)
        _check(self._calls().QORVA_ZEL_KIT_Poll(ctypes.byref(provisional), ctypes.byref(remaining)), "poll")
        return remaining.value if provisional.value else None

    # ---- Overrides, never saved ------------------------------------------------------

    def set_override(self, name, value):
        """Gives the option a value for this run: the listing shows it as
        overridden, and a save writes the player's own value."""
        self._with_value(self._calls().QORVA_ZEL_KIT_SetOverride, "override", name, value)

    def set_mode_override(self, wanted):
        """A display mode for this run, never saved."""
        _check(self._calls().QORVA_ZEL_KIT_SetModeOverride(ctypes.byref(_mode(wanted))), "override the mode")

    def clear_overrides(self):
        """Ends every override: the player's values and mode are current again."""
        _check(self._calls().QORVA_ZEL_KIT_ClearOverrides(), "clear overrides")

    def apply_command_line(self, argv):
        """Overrides from a command line as sys.argv has it (argv[0], the
        program, is skipped): "--set NAME=VALUE" and the flags of the
        schema's "commandLine", such as "-width 1280 -height 720 -refresh
        59.94". Arguments the kit does not know are left for the game. All or
        nothing: a refusal overrides nothing, and the KitError's detail names
        the argument."""
        if isinstance(argv, str):
            raise TypeError("argv must be a list of str, not one str")
        args = [_utf8(arg, "an argument") for arg in argv]
        message = ctypes.create_string_buffer(512)
        code = self._calls().QORVA_ZEL_KIT_ApplyCommandLine(len(args), (c_char_p * max(len(args), 1))(*args),
                                                            message, len(message))
        _check(code, "command line", message.value.decode("utf-8", "replace"))

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
