/*
 * qorva_zel_kit.h - the settings kit of the Qorva Zel graphics-settings
 * library.
 *
 * A game describes its settings once, in a schema file (JSON; docs/kit.md):
 * every option with its type, default, limits, category, label and
 * description keys and flags, defaults by platform tag, presets, hardware
 * tiers that choose a preset on the first run, and the settings version
 * with its migrations. One call, QORVA_ZEL_KIT_Open, initialises the
 * library with the game's strings, registers every option and the game's
 * display modes, migrates an older settings file and loads it. The kit then
 * answers what a settings menu needs: the listing, presets and "Custom",
 * defaults and resets, and the report of the file's values that were not
 * applied.
 *
 * The kit is a library of its own (qorva_zel_kit) on top of qorva_zel: it
 * calls the library only through the functions of qorva_zel.h, which stay
 * usable beside it.
 *
 * Conventions shared by every function:
 *  - Strings are zero-terminated UTF-8 (const char*), in and out. Every
 *    string passed in is copied; the caller keeps its own memory.
 *  - Every function but QORVA_ZEL_KIT_StatusText and the accessors of the
 *    three owned objects returns a QORVA_ZEL_Status: 0 on success, a
 *    negative code on failure. A code the library has for the same reason
 *    is the library's (a null pointer is QORVA_ZEL_ERROR_NULL_ARGUMENT, an
 *    unknown option name QORVA_ZEL_ERROR_OPTION_NOT_FOUND, a value its
 *    limits refuse -22, -23 or -25); a library call's failure is passed on
 *    unchanged; the kit's own codes are -1000 and below and never collide
 *    with the library's.
 *  - Pointer arguments are tested first (-4), then, under the kit's lock,
 *    whether the kit is open (QORVA_ZEL_KIT_ERROR_NOT_OPEN).
 *  - One kit per process, as there is one library: the kit drives it. The
 *    kit has one recursive lock of its own and holds it for a whole call
 *    (library calls included); every function may be called from any thread.
 *    It starts no threads and prints nothing.
 *  - A refused call changes nothing.
 *  - What the kit hands out is either copied into the caller's storage
 *    (a buffer and its size; see "Text out" below) or an object the caller
 *    owns and gives back with its release function (a listing, a load
 *    report, an open result). Such an object is a snapshot: it never
 *    changes, and any thread may read it while others call the kit.
 *
 * Text out: functions that hand out a string take (char* buffer, size_t
 * size, size_t* length). *length (when length is not null) gets the
 * string's length in bytes without the terminator. When size is larger
 * than that length the string and its terminator are copied; otherwise the
 * result is QORVA_ZEL_KIT_ERROR_BUFFER_TOO_SMALL and the buffer (when size
 * > 0) holds the longest prefix of whole characters that fits, terminated.
 * A null buffer with size 0 asks for the length alone.
 *
 * This header compiles as C99 and as C++.
 */
#ifndef QORVA_ZEL_KIT_H
#define QORVA_ZEL_KIT_H

#include "qorva_zel.h"

#include <stddef.h>
#include <stdint.h>

/* ---- Export and calling convention ----------------------------------- */

#if defined(_WIN32) || defined(__CYGWIN__)
#  if defined(QORVA_ZEL_KIT_BUILDING)
#    define QORVA_ZEL_KIT_API __declspec(dllexport)
#  elif defined(QORVA_ZEL_KIT_STATIC)
#    define QORVA_ZEL_KIT_API
#  else
#    define QORVA_ZEL_KIT_API __declspec(dllimport)
#  endif
#  define QORVA_ZEL_KIT_CALL __cdecl
#else
#  if defined(QORVA_ZEL_KIT_BUILDING) && defined(__GNUC__)
#    define QORVA_ZEL_KIT_API __attribute__((visibility("default")))
#  else
#    define QORVA_ZEL_KIT_API
#  endif
#  define QORVA_ZEL_KIT_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Status codes ----------------------------------------------------- */

/* The kit returns QORVA_ZEL_Status (qorva_zel.h): the library's codes for
 * the reasons the library has, and these for the kit's own. */
enum QORVA_ZEL_KIT_StatusCode {
    /* The kit is not open (QORVA_ZEL_KIT_Open has not succeeded, or
     * QORVA_ZEL_KIT_Close was called). */
    QORVA_ZEL_KIT_ERROR_NOT_OPEN = -1000,
    /* QORVA_ZEL_KIT_Open while the kit is open. */
    QORVA_ZEL_KIT_ERROR_ALREADY_OPEN = -1001,
    /* The schema cannot be read, is not well-formed JSON, or describes
     * something wrong; the message names the file, line, column and the
     * problem. Nothing was registered and the library is as before. */
    QORVA_ZEL_KIT_ERROR_SCHEMA = -1002,
    /* A buffer is too small for the string; *length tells how long it is. */
    QORVA_ZEL_KIT_ERROR_BUFFER_TOO_SMALL = -1003,
    /* No preset or category of that name. */
    QORVA_ZEL_KIT_ERROR_NOT_FOUND = -1004,
    /* An argument the kit cannot take: an unknown flag or order, a
     * record's StructSize too small, a string that is not UTF-8. */
    QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT = -1005,
    /* The option is unavailable on this machine (its availability condition
     * is false): it holds its default and cannot be set. */
    QORVA_ZEL_KIT_ERROR_UNAVAILABLE = -1006,
    /* Migrating the settings file: the backup of the old file could not be
     * written, so the migrated file was not written either
     * (QORVA_ZEL_KIT_OpenResult::MigrationStatus). */
    QORVA_ZEL_KIT_ERROR_BACKUP = -1007,
    /* The library was already initialised by someone else when the kit was
     * opened; the kit initialises it itself. */
    QORVA_ZEL_KIT_ERROR_LIBRARY_IN_USE = -1008,
    /* QORVA_ZEL_KIT_Apply refused one or more pending edits; the apply
     * result names each refusal and nothing was changed. */
    QORVA_ZEL_KIT_ERROR_APPLY_REFUSED = -1009,
    /* A change is provisional: confirm or revert it first
     * (QORVA_ZEL_KIT_Apply, QORVA_ZEL_KIT_Load). */
    QORVA_ZEL_KIT_ERROR_PROVISIONAL = -1010,
    /* QORVA_ZEL_KIT_Confirm or QORVA_ZEL_KIT_RevertProvisional with no
     * provisional change. */
    QORVA_ZEL_KIT_ERROR_NOT_PROVISIONAL = -1011,
    /* QORVA_ZEL_KIT_Confirm after the deadline: the provisional change has
     * been put back. */
    QORVA_ZEL_KIT_ERROR_EXPIRED = -1012
};

/* A short English text for any status, the library's included; "unknown
 * status" for other numbers. Static storage; never null; no lock. */
QORVA_ZEL_KIT_API const char* QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_StatusText(QORVA_ZEL_Status status);

/* ---- Values ----------------------------------------------------------- */

/* A typed value. Only the member of Type is meaningful; an Enum's string is
 * UTF-8. Going in, StringValue is the caller's; coming out of the kit it
 * points into the caller's buffer or into an owned object. */
typedef struct QORVA_ZEL_KIT_Value {
    QORVA_ZEL_OptionType Type;
    int32_t IntValue;
    float FloatValue;
    uint8_t BoolValue; /* 0 false, 1 true */
    const char* StringValue;
} QORVA_ZEL_KIT_Value;

/* ---- Display modes ---------------------------------------------------- */

/* A display mode as players have it: the refresh rate as the display
 * reports it, a fraction such as 60000/1001, or as a number such as 59.94.
 * Going in, a RefreshDenominator above 0 gives the rate as
 * RefreshNumerator / RefreshDenominator and RefreshRate is ignored; with
 * RefreshDenominator 0 the rate is RefreshRate. Coming out of the kit, all
 * three are filled: the fraction the game listed the mode with, else the
 * usual fraction of the rate (N/1 for a whole rate, N*1000/1001 for the
 * NTSC rates such as 59.94, otherwise the rate in thousandths of a hertz).
 *
 * Two modes match when width and height are equal and their rates differ
 * by less than QORVA_ZEL_KIT_REFRESH_TOLERANCE hertz: 59.94, 60000/1001
 * (59.94006) and 59.940002 are one mode; 59.94 and 60, or 59.94 and 59.95,
 * are two. */
typedef struct QORVA_ZEL_KIT_DisplayMode {
    uint32_t Width;
    uint32_t Height;
    uint32_t RefreshNumerator;
    uint32_t RefreshDenominator; /* 0: the rate is RefreshRate */
    float RefreshRate;           /* hertz */
} QORVA_ZEL_KIT_DisplayMode;

#define QORVA_ZEL_KIT_REFRESH_TOLERANCE 0.005

/* 1 when the two modes match as above, 0 otherwise (or for a null
 * pointer). Needs no open kit; no lock. */
QORVA_ZEL_KIT_API uint8_t QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ModesMatch(
    const QORVA_ZEL_KIT_DisplayMode* a, const QORVA_ZEL_KIT_DisplayMode* b);

/* ---- Opening ---------------------------------------------------------- */

/* A fact the game knows about the machine, for the hardware tiers and the
 * availability conditions of the schema: a name and a text, such as
 * {"gpuVendor", "nvidia"}, {"videoMemoryMB", "8192"}, {"hdr", "true"}.
 * Conditions compare the text as a number, a yes/no word or a string. The
 * kit adds "logicalCpus", "memoryMB" and "os" ("windows", "linux",
 * "macos" or "other") unless the game gives facts of those names. */
typedef struct QORVA_ZEL_KIT_Fact {
    const char* Name;
    const char* Value;
} QORVA_ZEL_KIT_Fact;

/* Bits of QORVA_ZEL_KIT_OpenInfo::Flags. */
enum QORVA_ZEL_KIT_OpenFlag {
    /* Do not add the facts the kit learns itself (logicalCpus, memoryMB,
     * os): the game passes every fact. */
    QORVA_ZEL_KIT_OPEN_NO_SYSTEM_FACTS = 1
};

/* What QORVA_ZEL_KIT_Open needs. Set StructSize to sizeof the record: later
 * versions add members at the end and read them only when StructSize
 * covers them. Arrays may be null when their count is 0. */
typedef struct QORVA_ZEL_KIT_OpenInfo {
    uint32_t StructSize;
    /* The schema: the file at SchemaPath, or, when SchemaText is not null,
     * SchemaTextLength bytes of SchemaText (SchemaPath, when not null, is
     * then only the name messages give it). */
    const char* SchemaPath;
    const char* SchemaText;
    size_t SchemaTextLength;
    /* The six application strings of QORVA_ZEL_ApplicationInfo, UTF-8; all
     * non-null, "" allowed. The settings file is
     * ConfigPath "/" "GFXSettings." Executable ".xml" (see
     * QORVA_ZEL_KIT_LocalSettingsFolder for ConfigPath). */
    const char* DisplayName;
    const char* VersionName;
    const char* InstallPath;
    const char* ConfigPath;
    const char* Executable;
    const char* ExecCmd;
    /* Platform and device tags such as "windows", "handheld", "lowmem", in
     * order of precedence: an option's default is the one the schema gives
     * for the first of these tags that it names, else its plain default. */
    const char* const* Tags;
    uint32_t TagCount;
    const QORVA_ZEL_KIT_Fact* Facts;
    uint32_t FactCount;
    /* The game's display modes (QORVA_ZEL_RegisterResolutions). */
    const QORVA_ZEL_Resolution* Resolutions;
    uint32_t ResolutionCount;
    uint32_t Flags; /* QORVA_ZEL_KIT_OpenFlag bits; 0 for none */
    /* Second version of the record (read when StructSize covers them). */
    /* The display modes with their rates as fractions; when ModeCount is
     * above 0 they are the game's modes and ResolutionCount must be 0. */
    const QORVA_ZEL_KIT_DisplayMode* Modes;
    uint32_t ModeCount;
    /* The display's identity, an opaque UTF-8 string of the game's (such as
     * the monitor's name and serial); null or "" when unknown. It is saved
     * with the mode (the hidden option "ZelKit.DisplayId"), and an open
     * that finds another identity in the file reports the change
     * (QORVA_ZEL_KIT_OpenResult::DisplayChanged). */
    const char* DisplayId;
} QORVA_ZEL_KIT_OpenInfo;

/* What an open did; an owned object (QORVA_ZEL_KIT_ReleaseOpenResult). */
typedef struct QORVA_ZEL_KIT_OpenResult {
    /* The library's load of the settings file: 0; QORVA_ZEL_ERROR_FILE_NOT_FOUND
     * on a first run (no file); QORVA_ZEL_ERROR_FILE when the file cannot be
     * read or is not well-formed XML (the defaults stand, and the game's next
     * save replaces the file). */
    QORVA_ZEL_Status LoadStatus;
    uint8_t FirstRun; /* 1: no settings file; the tiers chose the preset */
    /* First run: the preset the tiers chose and the tier that chose it (its
     * index in the schema's "tiers" and its name); Preset null and TierIndex
     * -1 when no tier matched (the defaults stand). Not a first run: null,
     * -1, null. */
    const char* Preset;
    int32_t TierIndex;
    const char* TierName;
    /* The settings version of the schema, and the one the file was written
     * with (0 for a file without one; the schema's own on a first run). */
    uint32_t SchemaVersion;
    uint32_t FileVersion;
    /* 1 when the file was older and was migrated. MigrationStatus is then 0
     * when the migrated file and its backup were written, or why not
     * (QORVA_ZEL_KIT_ERROR_BACKUP, or QORVA_ZEL_ERROR_FILE when the
     * migrated file could not be written): the file on disk is then as it
     * was and was loaded as it is, and the next open migrates again. */
    uint8_t Migrated;
    QORVA_ZEL_Status MigrationStatus;
    const char* BackupPath; /* the old file's copy, or null */
    /* 1 when the file is of a newer settings version than the schema: it is
     * loaded as it is, its options the schema does not know are kept, and
     * its version stays in the file at every save. */
    uint8_t NewerFile;
    /* How many findings the load report holds (QORVA_ZEL_KIT_GetLoadReport). */
    uint32_t FindingCount;
    const char* SettingsPath; /* the settings file's path */
    /* 1 when the file was saved on another display than OpenInfo::DisplayId
     * (both known); SavedDisplayId is the file's ("" when none). */
    uint8_t DisplayChanged;
    const char* SavedDisplayId;
    /* 1 when the file's display mode is one of the game's modes (as
     * QORVA_ZEL_KIT_ModesMatch), or no modes are listed; 0 when the display
     * no longer has it (see QORVA_ZEL_KIT_ClosestMode). */
    uint8_t ModeListed;
} QORVA_ZEL_KIT_OpenResult;

/* Opens the kit: reads and checks the schema, initialises the library with
 * the application strings, registers every available option with its
 * default (after the tags' overrides), a hidden Integer option
 * "ZelKit.SettingsVersion" that records the settings version in the file,
 * and the display modes; then reads the settings file: a file of an older
 * settings version is migrated (see QORVA_ZEL_KIT_OpenResult), and it is
 * loaded. On a first run (no file) the hardware tiers choose a preset,
 * which is applied; nothing is saved until the game saves.
 *
 * result may be null; otherwise *result gets an owned object on success
 * and null on failure. message may be null (size 0); otherwise it gets the
 * reason of a failure in words, a schema error as "FILE:LINE:COLUMN:
 * problem" (truncated to fit; "" on success).
 *
 * Returns 0 (whatever LoadStatus says); -4 for a null info, SchemaPath and
 * SchemaText both null, a null application string, or a null array with a
 * count above 0 or a null string in one; QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT
 * for a StructSize below the first version's record or an unknown flag;
 * QORVA_ZEL_KIT_ERROR_ALREADY_OPEN; QORVA_ZEL_KIT_ERROR_SCHEMA;
 * QORVA_ZEL_KIT_ERROR_LIBRARY_IN_USE when the library is initialised; a
 * library status when initialising or registering fails. On failure the
 * kit stays closed and the library uninitialised. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_Open(
    const QORVA_ZEL_KIT_OpenInfo* info, QORVA_ZEL_KIT_OpenResult** result, char* message, size_t messageSize);

/* Gives back an open result; null is ignored. No lock; any time. */
QORVA_ZEL_KIT_API void QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ReleaseOpenResult(QORVA_ZEL_KIT_OpenResult* result);

/* Releases the library and closes the kit. Nothing is saved.
 * Returns 0 or QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_Close(void);

/* ---- The settings file ------------------------------------------------ */

/* Reads the settings file again, as the open did (migrating an older file)
 * and makes a new load report; no preset is chosen. Pending edits are
 * dropped; overrides stay (the file's values become the player's).
 * Returns 0; the library's -2 or -1 (nothing changed, the report is as it
 * was); QORVA_ZEL_KIT_ERROR_PROVISIONAL; QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_Load(void);

/* Saves the settings file (QORVA_ZEL_SaveConfigFile, keeping the options the
 * schema does not know), and makes the player's values the saved ones. The
 * file gets the player's own values and mode, never an override or a
 * provisional value: those are swapped out under the kit's lock for the
 * save and back after it, whether the save succeeded or not.
 * Returns 0; the library's -1; QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_Save(void);

/* ---- Values ------------------------------------------------------------- */

/* Fills *value with the option's type and current value (an unavailable
 * option's is its default). An Enum's string is copied into buffer as in
 * "Text out" above and value->StringValue points to it (null when the
 * buffer is too small); other types leave buffer alone and need none.
 * Returns 0; -4 when name or value is null; -20 when the schema has no such
 * option; QORVA_ZEL_KIT_ERROR_BUFFER_TOO_SMALL; QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_GetValue(
    const char* name, QORVA_ZEL_KIT_Value* value, char* buffer, size_t size, size_t* length);

/* Sets an option's value, validated by the library.
 * Returns 0; -4 when name or value (or an Enum's StringValue) is null; -20;
 * -25, -23, -22 as QORVA_ZEL_SetOptionValue; QORVA_ZEL_KIT_ERROR_UNAVAILABLE;
 * QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_SetValue(
    const char* name, const QORVA_ZEL_KIT_Value* value);

/* ---- Presets ------------------------------------------------------------ */

/* The name QORVA_ZEL_KIT_CurrentPreset gives when the values match no preset. */
#define QORVA_ZEL_KIT_CUSTOM "Custom"

/* Sets every option of the preset's group to the preset's value as one
 * change: all of them or, when any is refused, none. Unavailable options
 * are left out.
 * Returns 0; -4; QORVA_ZEL_KIT_ERROR_NOT_FOUND (no such preset); the
 * library's status of a refused value; QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ApplyPreset(const char* name);

/* The first preset (in schema order) whose values every available option of
 * the group holds, or QORVA_ZEL_KIT_CUSTOM, as "Text out".
 * Returns 0; QORVA_ZEL_KIT_ERROR_BUFFER_TOO_SMALL; QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_CurrentPreset(
    char* buffer, size_t size, size_t* length);

/* ---- Defaults and resets ------------------------------------------------ */

/* Sets the option, every option of the category, or every option of the
 * schema back to its default (after the tags' overrides); one change, all
 * or nothing. Unavailable options are left out; hidden ones are reset too.
 * Returns 0; -4; -20 (no such option); QORVA_ZEL_KIT_ERROR_NOT_FOUND (no
 * such category); QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ResetOption(const char* name);
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ResetCategory(const char* category);
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ResetAll(void);

/* *holdsDefault = 1 when the option's current value equals its default, 0
 * otherwise. Returns 0; -4; -20; QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_HoldsDefault(
    const char* name, uint8_t* holdsDefault);

/* ---- Listing ---------------------------------------------------------------- */

/* Bits of QORVA_ZEL_KIT_OptionInfo::Flags. */
enum QORVA_ZEL_KIT_OptionFlag {
    QORVA_ZEL_KIT_OPTION_RESTART_REQUIRED = 1, /* a change takes effect after a restart */
    QORVA_ZEL_KIT_OPTION_HIDDEN = 2,           /* not for menus; not read from the file */
    QORVA_ZEL_KIT_OPTION_UNAVAILABLE = 4,      /* its condition is false here: holds its default */
    QORVA_ZEL_KIT_OPTION_CHANGED = 8,          /* the current value differs from the default */
    QORVA_ZEL_KIT_OPTION_HAS_SAVED = 16,       /* Saved holds the value of the last load or save */
    QORVA_ZEL_KIT_OPTION_UNSAVED = 32,         /* Player (what a save writes) differs from Saved (or none is saved) */
    QORVA_ZEL_KIT_OPTION_CONFIRM = 64,         /* an applied change is provisional until confirmed */
    QORVA_ZEL_KIT_OPTION_PENDING = 128,        /* Pending holds an edit not yet applied */
    QORVA_ZEL_KIT_OPTION_OVERRIDDEN = 256,     /* Current is an override; Player is what a save writes */
    QORVA_ZEL_KIT_OPTION_PROVISIONAL = 512     /* Current is provisional; Player is the value before it */
};

/* One option as the schema and the library know it. Every pointer points
 * into the listing that holds it. */
typedef struct QORVA_ZEL_KIT_OptionInfo {
    const char* Name;
    QORVA_ZEL_OptionType Type;
    const char* Category;       /* "" when the schema gives none */
    const char* LabelKey;       /* for the game's own string table; "" when none */
    const char* DescriptionKey; /* "" when none */
    uint32_t Flags;             /* QORVA_ZEL_KIT_OptionFlag bits */
    QORVA_ZEL_KIT_Value Default; /* after the tags' overrides */
    QORVA_ZEL_KIT_Value Current;
    QORVA_ZEL_KIT_Value Saved;   /* meaningful with QORVA_ZEL_KIT_OPTION_HAS_SAVED */
    /* Integer and Float: the limits as QORVA_ZEL_Range has them (NumSteps
     * below 0: any value; 0: a range; 1 or more: steps). */
    QORVA_ZEL_KIT_Value MinValue;
    QORVA_ZEL_KIT_Value MaxValue;
    int32_t NumSteps;
    /* Enum: the allowed strings in order. */
    const char* const* AllowedValues;
    uint32_t AllowedCount;
    uint32_t SchemaIndex; /* the option's place in the schema's "options" */
    /* The edit waiting for QORVA_ZEL_KIT_Apply; meaningful with
     * QORVA_ZEL_KIT_OPTION_PENDING. */
    QORVA_ZEL_KIT_Value Pending;
    /* The player's own value, the one a save writes: Current unless the
     * option is overridden or provisional. */
    QORVA_ZEL_KIT_Value Player;
} QORVA_ZEL_KIT_OptionInfo;

/* A category or a preset: its name and label key. */
typedef struct QORVA_ZEL_KIT_NamedEntry {
    const char* Name;
    const char* LabelKey; /* "" when none */
} QORVA_ZEL_KIT_NamedEntry;

/* A snapshot of the options, the categories and the presets. */
typedef struct QORVA_ZEL_KIT_Listing QORVA_ZEL_KIT_Listing;

/* Orders of QORVA_ZEL_KIT_ListOptions. */
enum QORVA_ZEL_KIT_ListOrder {
    QORVA_ZEL_KIT_ORDER_SCHEMA = 0,  /* as the schema lists the options */
    QORVA_ZEL_KIT_ORDER_CATEGORY = 1 /* by category in the schema's order of categories, then schema order */
};

/* Bits of QORVA_ZEL_KIT_ListOptions' flags. */
enum QORVA_ZEL_KIT_ListFlag {
    QORVA_ZEL_KIT_LIST_HIDDEN = 1 /* include hidden options (left out otherwise) */
};

/* Makes a snapshot of the options (of one category when category is not
 * null) in the given order, with every category and preset of the schema
 * and the current preset's name.
 * Returns 0; -4 when listing is null; QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT
 * for an unknown order or flag; QORVA_ZEL_KIT_ERROR_NOT_FOUND (no such
 * category); QORVA_ZEL_KIT_ERROR_NOT_OPEN. *listing is null on failure. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ListOptions(
    uint32_t order, const char* category, uint32_t flags, QORVA_ZEL_KIT_Listing** listing);

/* The accessors of a listing take no lock and may be called at any time;
 * a null listing or an index out of range gives 0 or null. */
QORVA_ZEL_KIT_API uint32_t QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ListingCount(const QORVA_ZEL_KIT_Listing* listing);
QORVA_ZEL_KIT_API const QORVA_ZEL_KIT_OptionInfo* QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ListingOption(
    const QORVA_ZEL_KIT_Listing* listing, uint32_t index);
QORVA_ZEL_KIT_API uint32_t QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ListingCategoryCount(const QORVA_ZEL_KIT_Listing* listing);
QORVA_ZEL_KIT_API const QORVA_ZEL_KIT_NamedEntry* QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ListingCategory(
    const QORVA_ZEL_KIT_Listing* listing, uint32_t index);
QORVA_ZEL_KIT_API uint32_t QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ListingPresetCount(const QORVA_ZEL_KIT_Listing* listing);
QORVA_ZEL_KIT_API const QORVA_ZEL_KIT_NamedEntry* QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ListingPreset(
    const QORVA_ZEL_KIT_Listing* listing, uint32_t index);
/* The preset the values matched when the snapshot was made, or "Custom". */
QORVA_ZEL_KIT_API const char* QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ListingCurrentPreset(
    const QORVA_ZEL_KIT_Listing* listing);
/* Gives back a listing; null is ignored. */
QORVA_ZEL_KIT_API void QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ReleaseListing(QORVA_ZEL_KIT_Listing* listing);

/* ---- Load report ---------------------------------------------------------- */

/* Why a value of the file was not applied (or not applied as written). */
enum QORVA_ZEL_KIT_FindingKind {
    QORVA_ZEL_KIT_FINDING_MISREAD = 1,      /* "misread": applied, but not as written ("On" reads as false) */
    QORVA_ZEL_KIT_FINDING_OUT_OF_RANGE = 2, /* "out-of-range" */
    QORVA_ZEL_KIT_FINDING_OFF_STEP = 3,     /* "off-step" */
    QORVA_ZEL_KIT_FINDING_NOT_ALLOWED = 4,  /* "not-allowed": not one of the allowed strings */
    QORVA_ZEL_KIT_FINDING_WRONG_TYPE = 5,   /* "wrong-type": the file's type is not the option's */
    QORVA_ZEL_KIT_FINDING_UNKNOWN = 6,      /* "unknown": the schema has no such option (kept in the file) */
    QORVA_ZEL_KIT_FINDING_HIDDEN = 7,       /* "hidden": hidden options are not read from the file */
    QORVA_ZEL_KIT_FINDING_UNAVAILABLE = 8,  /* "unavailable": not on this machine (kept in the file) */
    QORVA_ZEL_KIT_FINDING_MALFORMED = 9     /* "malformed": the element is skipped */
};

/* One finding. Every pointer points into the report that holds it. */
typedef struct QORVA_ZEL_KIT_Finding {
    int32_t Kind;        /* QORVA_ZEL_KIT_FindingKind */
    const char* KindName; /* "misread", "out-of-range", ... as qorvazel check writes it */
    const char* Option;  /* the option's name in the file; "" when it has none */
    const char* Text;    /* the value's text in the file; "" when none */
    const char* Message; /* in words, as qorvazel check writes it */
    uint32_t Line;       /* where the element starts in File (1-based; characters) */
    uint32_t Column;
} QORVA_ZEL_KIT_Finding;

typedef struct QORVA_ZEL_KIT_Report QORVA_ZEL_KIT_Report;

/* A snapshot of the report of the last open or load: every value of the
 * file that was not applied, or not as written, in file order. Empty
 * after a first run.
 * Returns 0; -4; QORVA_ZEL_KIT_ERROR_NOT_OPEN. *report is null on failure. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_GetLoadReport(QORVA_ZEL_KIT_Report** report);

/* Accessors as for a listing: no lock, null or 0 out of range. */
QORVA_ZEL_KIT_API uint32_t QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ReportCount(const QORVA_ZEL_KIT_Report* report);
QORVA_ZEL_KIT_API const QORVA_ZEL_KIT_Finding* QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ReportFinding(
    const QORVA_ZEL_KIT_Report* report, uint32_t index);
/* The file the lines and columns refer to: the settings file as it was
 * read (after a migration: its backup, which holds those bytes). "" when
 * nothing was read. */
QORVA_ZEL_KIT_API const char* QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ReportFile(const QORVA_ZEL_KIT_Report* report);
QORVA_ZEL_KIT_API void QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ReleaseReport(QORVA_ZEL_KIT_Report* report);

/* ---- The display mode ------------------------------------------------------ */

/* The display mode as a menu needs it. */
typedef struct QORVA_ZEL_KIT_ModeInfo {
    QORVA_ZEL_KIT_DisplayMode Current;
    /* The player's own mode, the one a save writes (Current unless
     * overridden or provisional). */
    QORVA_ZEL_KIT_DisplayMode Player;
    QORVA_ZEL_KIT_DisplayMode Pending; /* with QORVA_ZEL_KIT_OPTION_PENDING */
    /* QORVA_ZEL_KIT_OPTION_PENDING, _OVERRIDDEN, _PROVISIONAL and, when the
     * current mode differs from the last load or save, _UNSAVED. */
    uint32_t Flags;
    /* The game's modes, as listed at open (fractions filled in). */
    const QORVA_ZEL_KIT_DisplayMode* Modes;
    uint32_t ModeCount;
} QORVA_ZEL_KIT_ModeInfo;

/* Fills *info; Modes points into storage the kit keeps while it is open.
 * Returns 0; -4; QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_GetMode(QORVA_ZEL_KIT_ModeInfo* info);

/* Makes the listed mode that matches *mode current at once (the rate as
 * listed); with no modes listed, *mode itself.
 * Returns 0; -4; -23 when no listed mode matches (nothing changes);
 * QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_SetMode(const QORVA_ZEL_KIT_DisplayMode* mode);

/* The listed mode closest to *wanted, for a saved mode the display no
 * longer has: a matching mode when there is one; otherwise, of the modes
 * with the nearest size (the smallest |width difference| + |height
 * difference|), the one with the nearest rate (the higher on a tie).
 * Returns 0; -4; QORVA_ZEL_KIT_ERROR_NOT_FOUND when no modes are listed;
 * QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ClosestMode(
    const QORVA_ZEL_KIT_DisplayMode* wanted, QORVA_ZEL_KIT_DisplayMode* closest);

/* ---- Change events --------------------------------------------------------- */

/* What an event tells. */
enum QORVA_ZEL_KIT_EventKind {
    QORVA_ZEL_KIT_EVENT_VALUE = 1,      /* an option's value changed: Name, OldValue, NewValue, Cause */
    QORVA_ZEL_KIT_EVENT_MODE = 2,       /* the display mode changed: OldMode, NewMode, Cause */
    QORVA_ZEL_KIT_EVENT_SET = 3,        /* (a Cause only) QORVA_ZEL_KIT_SetValue or QORVA_ZEL_KIT_SetMode */
    QORVA_ZEL_KIT_EVENT_PRESET = 4,     /* a preset was applied: Name */
    QORVA_ZEL_KIT_EVENT_RESET = 5,      /* a reset: Name is the option or category, "" for all */
    QORVA_ZEL_KIT_EVENT_LOAD = 6,       /* the settings file was loaded (open or QORVA_ZEL_KIT_Load) */
    QORVA_ZEL_KIT_EVENT_MIGRATION = 7,  /* the file was migrated: FromVersion, ToVersion */
    QORVA_ZEL_KIT_EVENT_APPLY = 8,      /* pending edits were applied; Provisional tells whether to confirm */
    QORVA_ZEL_KIT_EVENT_CONFIRM = 9,    /* the provisional change was confirmed */
    QORVA_ZEL_KIT_EVENT_REVERT = 10,    /* the provisional change was put back; Expired: by its deadline */
    QORVA_ZEL_KIT_EVENT_OVERRIDE = 11,  /* overrides were set or cleared */
    QORVA_ZEL_KIT_EVENT_DISPLAY = 12    /* the file's display is not this one: Name is the file's identity */
};

/* One event; every pointer is valid during the callback only. */
typedef struct QORVA_ZEL_KIT_Event {
    int32_t Kind;  /* QORVA_ZEL_KIT_EventKind */
    /* VALUE and MODE: the kind of the call that made the change (SET,
     * PRESET, RESET, LOAD, APPLY, REVERT, OVERRIDE); otherwise Kind. */
    int32_t Cause;
    const char* Name; /* see the kinds; "" otherwise */
    QORVA_ZEL_KIT_Value OldValue;
    QORVA_ZEL_KIT_Value NewValue;
    QORVA_ZEL_KIT_DisplayMode OldMode;
    QORVA_ZEL_KIT_DisplayMode NewMode;
    uint32_t FromVersion;
    uint32_t ToVersion;
    uint8_t Provisional; /* APPLY: the change awaits QORVA_ZEL_KIT_Confirm */
    uint8_t Expired;     /* REVERT: the deadline passed (0: QORVA_ZEL_KIT_RevertProvisional) */
} QORVA_ZEL_KIT_Event;

/* A subscriber's callback. It may call any kit function (the kit's lock is
 * not held); it must not unwind (a C++ exception must not leave it). */
typedef void(QORVA_ZEL_KIT_CALL* QORVA_ZEL_KIT_EventCallback)(const QORVA_ZEL_KIT_Event* event, void* user);

/* Subscribes callback with user (passed back as it is); *token gets the
 * subscription's number (never 0). Subscriptions belong to the process,
 * not to an open kit: they may be made before the open and outlive a close.
 *
 * Delivery: a call that changes something collects its events under the
 * kit's lock and, once the lock is released and before the call returns,
 * delivers them on the calling thread, each event to every subscriber in
 * the order they subscribed, before the next event. The events of one call
 * come in this order: MIGRATION; then a VALUE event per changed option in
 * schema order and a MODE event; then the call's own event (PRESET, RESET,
 * LOAD, APPLY, CONFIRM, REVERT, OVERRIDE; DISPLAY after LOAD at open). A
 * plain QORVA_ZEL_KIT_SetValue gives its VALUE event alone. When a deadline
 * passes, the call that notices it delivers the REVERT events first. Events
 * of a kit call made by a callback are delivered inside that callback,
 * before the remaining subscribers hear the outer event. Calls on several
 * threads deliver on their own threads: each event tells old and new, and
 * a subscriber that needs the latest state reads it from the kit.
 *
 * Returns 0; -4 when callback or token is null. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_Subscribe(
    QORVA_ZEL_KIT_EventCallback callback, void* user, uint64_t* token);

/* Ends a subscription. When it returns, the callback is not running on any
 * other thread and will not be called again (called from the callback
 * itself, it returns at once and the callback is not called again).
 * Returns 0; QORVA_ZEL_KIT_ERROR_NOT_FOUND for an unknown token. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_Unsubscribe(uint64_t token);

/* ---- Apply, confirm, revert ------------------------------------------------ */

/* Pending edits wait in the kit, not in the library, until
 * QORVA_ZEL_KIT_Apply. A pending value is checked for its name, type and
 * availability here and against its limits at apply; an edit of the same
 * option replaces the earlier one.
 * Returns 0; -4; -20; -25; QORVA_ZEL_KIT_ERROR_UNAVAILABLE;
 * QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT (not UTF-8); QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_SetPending(
    const char* name, const QORVA_ZEL_KIT_Value* value);
/* A pending display mode, matched against the listed modes at apply.
 * Returns 0; -4; QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_SetPendingMode(
    const QORVA_ZEL_KIT_DisplayMode* mode);
/* Drops every pending edit. Returns 0; QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_RevertPending(void);

/* One pending edit that QORVA_ZEL_KIT_Apply refused. */
typedef struct QORVA_ZEL_KIT_Refusal {
    const char* Option;      /* the option's name; "" for the display mode */
    QORVA_ZEL_Status Status; /* -22, -23 (also a mode no listed one matches), -25 */
} QORVA_ZEL_KIT_Refusal;

/* What an apply did; an owned object (QORVA_ZEL_KIT_ReleaseApplyResult). */
typedef struct QORVA_ZEL_KIT_ApplyResult {
    const QORVA_ZEL_KIT_Refusal* Refusals; /* every refused edit, in schema order, the mode last */
    uint32_t RefusalCount;
    const char* const* Changed;             /* the options whose value changed, in schema order */
    uint32_t ChangedCount;
    const char* const* RestartRequired;     /* of those, the ones flagged "restartRequired" */
    uint32_t RestartCount;
    uint8_t ModeChanged;
    /* 1 when the change holds a new display mode or an option flagged
     * "confirm" and confirmWithinMs was above 0: those are provisional
     * until QORVA_ZEL_KIT_Confirm, at the latest at Deadline (on the kit's
     * clock, QORVA_ZEL_KIT_SetClock). */
    uint8_t Provisional;
    uint64_t Deadline;
} QORVA_ZEL_KIT_ApplyResult;

/* Applies every pending edit as one change: all of them or, when any is
 * refused, none (the edits stay pending and the result names each
 * refusal). Edits equal to the current value change nothing. Applied edits
 * end an override of their option (the player chose a value).
 *
 * The new display mode and the options flagged "confirm" are provisional
 * when confirmWithinMs is above 0: the game asks the player and calls
 * QORVA_ZEL_KIT_Confirm within confirmWithinMs milliseconds; otherwise the
 * first kit call after the deadline (QORVA_ZEL_KIT_Poll, or any other) puts
 * their previous values back and raises REVERT. The kit has no thread and
 * no timer. The other options of the change are final. A save while a
 * change is provisional writes the values before it.
 *
 * result may be null; otherwise it gets an owned object whether the apply
 * succeeded or was refused (null on other failures).
 * Returns 0; QORVA_ZEL_KIT_ERROR_APPLY_REFUSED; QORVA_ZEL_KIT_ERROR_PROVISIONAL;
 * QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_Apply(
    uint32_t confirmWithinMs, QORVA_ZEL_KIT_ApplyResult** result);
QORVA_ZEL_KIT_API void QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ReleaseApplyResult(QORVA_ZEL_KIT_ApplyResult* result);

/* Makes the provisional change final.
 * Returns 0; QORVA_ZEL_KIT_ERROR_EXPIRED when the deadline passed (the
 * change is put back); QORVA_ZEL_KIT_ERROR_NOT_PROVISIONAL;
 * QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_Confirm(void);
/* Puts the provisional change back now (the player said no): the previous
 * values and mode, whatever changed them since.
 * Returns 0; QORVA_ZEL_KIT_ERROR_NOT_PROVISIONAL; QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_RevertProvisional(void);
/* Puts a provisional change back when its deadline has passed (as every
 * kit call does); *provisional (may be null) gets 1 while a change is
 * provisional and *remainingMs (may be null) the milliseconds left.
 * Returns 0; QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_Poll(uint8_t* provisional, uint64_t* remainingMs);

/* The kit's clock: milliseconds from any fixed point, never going back. */
typedef uint64_t(QORVA_ZEL_KIT_CALL* QORVA_ZEL_KIT_ClockFunction)(void* user);
/* Replaces the kit's clock (std::chrono::steady_clock) with clock(user);
 * null puts the steady clock back. For tests and for games with a clock of
 * their own. Needs no open kit. Returns 0. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_SetClock(QORVA_ZEL_KIT_ClockFunction clock, void* user);

/* ---- Overrides, never saved ----------------------------------------------- */

/* An override gives an option (or the display mode) a value for this run:
 * the listing shows it with QORVA_ZEL_KIT_OPTION_OVERRIDDEN, and a save
 * writes the player's own value instead. A change the player makes through
 * the kit (set, apply, preset, reset) ends the option's override; a load
 * keeps the overrides (the file's values become the player's).
 * Returns 0; -4; -20; -22, -23, -25; QORVA_ZEL_KIT_ERROR_UNAVAILABLE;
 * QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_SetOverride(
    const char* name, const QORVA_ZEL_KIT_Value* value);
/* Returns 0; -4; -23 when no listed mode matches; QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_SetModeOverride(
    const QORVA_ZEL_KIT_DisplayMode* mode);
/* Ends every override: the player's values and mode are current again.
 * Returns 0; QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ClearOverrides(void);

/* Sets overrides from a command line as main() gets it (argv[0] is
 * skipped): "--set NAME=VALUE" for any option, and the flags of the
 * schema's "commandLine" map, such as "-width 1280 -height 720 -refresh
 * 59.94 -fullscreen" (a rate also as "60000/1001"). A width or height
 * without the other keeps the current one; the mode is then matched with
 * the listed ones. VALUE texts read as in the schema: numbers, true/false
 * (also 1/0, yes/no, on/off), an Enum's string. Arguments the kit does not
 * know are left for the game. All or nothing: on a refusal nothing is
 * overridden and message (may be null with size 0) names the argument.
 * Returns 0; -4 when argv is null (with argc above 0) or holds a null;
 * QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT for "--set" without NAME=VALUE, a
 * flag without its value or a text that does not read as the option's
 * type; -20; -22, -23; QORVA_ZEL_KIT_ERROR_UNAVAILABLE; QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ApplyCommandLine(
    int argc, const char* const* argv, char* message, size_t messageSize);

/* ---- Where the settings file lives ------------------------------------------ */

/* Bits of QORVA_ZEL_KIT_LocalSettingsFolder's flags. */
enum QORVA_ZEL_KIT_FolderFlag {
    QORVA_ZEL_KIT_FOLDER_CREATE = 1 /* create the folder (and its parents) when missing */
};

/* The usual device-local settings folder of the platform with gameFolder
 * appended ("" for the base itself), as "Text out": on Windows
 * %LOCALAPPDATA%\gameFolder (the local, never the roaming, application
 * data); elsewhere $XDG_CONFIG_HOME/gameFolder, or ~/.config/gameFolder
 * when XDG_CONFIG_HOME is unset, empty or not absolute. Needs no open kit.
 * Returns 0; -4 when gameFolder is null; QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT
 * for a gameFolder with a path separator or "..", or an unknown flag;
 * QORVA_ZEL_ERROR_FILE_NOT_FOUND when the platform gives no base folder (no
 * LOCALAPPDATA, no HOME); QORVA_ZEL_ERROR_FILE when it cannot be created;
 * QORVA_ZEL_KIT_ERROR_BUFFER_TOO_SMALL. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_LocalSettingsFolder(
    const char* gameFolder, uint32_t flags, char* buffer, size_t size, size_t* length);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* QORVA_ZEL_KIT_H */
