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
    QORVA_ZEL_KIT_ERROR_LIBRARY_IN_USE = -1008
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
 * and makes a new load report; no preset is chosen.
 * Returns 0; the library's -2 or -1 (nothing changed, the report is as it
 * was); QORVA_ZEL_KIT_ERROR_NOT_OPEN. */
QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_Load(void);

/* Saves the settings file (QORVA_ZEL_SaveConfigFile, keeping the options the
 * schema does not know), and makes the current values the saved ones.
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
    QORVA_ZEL_KIT_OPTION_UNSAVED = 32          /* the current value differs from Saved (or none is saved) */
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
