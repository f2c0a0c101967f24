/*
 * qorva_zel.h - the public interface of the Qorva Zel graphics-settings library.
 *
 * A game registers its adjustable graphics options and its display resolutions;
 * the library holds the current values, validates every change, tells whether
 * anything differs from the last load or save, and keeps everything in one
 * UTF-16 XML settings file per game.
 *
 * Conventions shared by every function:
 *  - Every function except QORVA_ZEL_GetVersion and QORVA_ZEL_ReleaseVariant
 *    returns a QORVA_ZEL_Status: 0 on success, a negative code on failure.
 *  - Pointer arguments are tested first: a null one gives
 *    QORVA_ZEL_ERROR_NULL_ARGUMENT before anything else is looked at, whether
 *    or not the library is initialised.
 *  - Then, under the library's one lock, a library that is not initialised
 *    gives QORVA_ZEL_ERROR_NOT_INITIALIZED.
 *  - Calls are thread-safe: they are serialised by one recursive lock. The
 *    library starts no threads and prints nothing.
 *  - Strings are zero-terminated UTF-16 (QORVA_ZEL_Char). Every string passed
 *    in is copied; the caller keeps ownership of its own memory. The only
 *    string handed out is the StringValue of an Enum variant filled by
 *    QORVA_ZEL_GetOptionValue; give it back with QORVA_ZEL_ReleaseVariant.
 *  - Running out of memory: QORVA_ZEL_LoadConfigFile reports it as
 *    QORVA_ZEL_ERROR_FILE (the file could not be loaded; nothing changed).
 *    Every other function lets std::bad_alloc leave it, with the lock
 *    released and the state as before the call or as after a successful one.
 *    A C caller cannot catch it: the process terminates, as for any C++
 *    exception that reaches C frames. A C++ caller catches it when the
 *    library and the caller share one C++ run-time and its exception model:
 *    with the MinGW-built DLL that means a MinGW-built caller with the same
 *    libstdc++; an MSVC caller (even with /EHsc, which assumes extern "C"
 *    functions do not throw) cannot catch it and should treat memory
 *    exhaustion inside the library as fatal.
 *
 * This header compiles as C99 and as C++.
 */
#ifndef QORVA_ZEL_H
#define QORVA_ZEL_H

#include <stddef.h>
#include <stdint.h>

/* ---- Export and calling convention ----------------------------------- */

#if defined(_WIN32) || defined(__CYGWIN__)
#  if defined(QORVA_ZEL_BUILDING)
#    define QORVA_ZEL_API __declspec(dllexport)
#  elif defined(QORVA_ZEL_STATIC)
#    define QORVA_ZEL_API
#  else
#    define QORVA_ZEL_API __declspec(dllimport)
#  endif
#  define QORVA_ZEL_CALL __cdecl
#else
#  if defined(QORVA_ZEL_BUILDING) && defined(__GNUC__)
#    define QORVA_ZEL_API __attribute__((visibility("default")))
#  else
#    define QORVA_ZEL_API
#  endif
#  define QORVA_ZEL_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Characters ------------------------------------------------------- */

/* One UTF-16 code unit: wchar_t on Windows; char16_t elsewhere (in C the
 * same type as C11's char16_t from <uchar.h>). Portable C++ code may define
 * QORVA_ZEL_CHAR16 before including this header to use char16_t on Windows
 * too: both are 16-bit code units, and the library's functions are the same.
 *
 * QORVA_ZEL_TEXT("High") is a string literal of that type: L"High" where it
 * is wchar_t, u"High" elsewhere (outside Windows, C needs C11 for it). */
#if defined(_WIN32) && !defined(QORVA_ZEL_CHAR16)
typedef wchar_t QORVA_ZEL_Char;
#  define QORVA_ZEL_TEXT(s) L##s
#elif defined(__cplusplus)
typedef char16_t QORVA_ZEL_Char;
#  define QORVA_ZEL_TEXT(s) u##s
#else
typedef uint_least16_t QORVA_ZEL_Char;
#  define QORVA_ZEL_TEXT(s) u##s
#endif

/* ---- Status codes ----------------------------------------------------- */

/* The result of every status-returning function: a signed 32-bit integer. */
typedef int32_t QORVA_ZEL_Status;

/* Every value a QORVA_ZEL_Status can take. The codes are sparse. */
enum QORVA_ZEL_StatusCode {
    /* Success. From QORVA_ZEL_CheckForDirtyOptions also: nothing differs
     * from the last loaded or saved state. */
    QORVA_ZEL_OK = 0,
    /* Loading: the settings file was opened but cannot be read or parsed.
     * Saving: the file cannot be written (nothing on disk or in memory
     * changed). Initialising: the settings path would exceed 2048 units. */
    QORVA_ZEL_ERROR_FILE = -1,
    /* Loading: the settings file cannot be opened, as when it is missing. */
    QORVA_ZEL_ERROR_FILE_NOT_FOUND = -2,
    /* Initialising: the caller's version is not exactly 2.3.18713301.0. */
    QORVA_ZEL_ERROR_VERSION_MISMATCH = -3,
    /* A required pointer (argument or member of an argument) is null. */
    QORVA_ZEL_ERROR_NULL_ARGUMENT = -4,
    /* No registered option has the given name. */
    QORVA_ZEL_ERROR_OPTION_NOT_FOUND = -20,
    /* Two or more registered options have the given name; the value of the
     * one registered last is still handed out. */
    QORVA_ZEL_ERROR_AMBIGUOUS_OPTION = -21,
    /* The value is inside the option's range but not on one of its steps. */
    QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP = -22,
    /* The value is outside the range, not an allowed string, or (for a
     * resolution) not in the registered list. */
    QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED = -23,
    /* An option of the same name and the same type is already registered. */
    QORVA_ZEL_ERROR_ALREADY_REGISTERED = -24,
    /* The value's type differs from the option's type. */
    QORVA_ZEL_ERROR_TYPE_MISMATCH = -25,
    /* The resolution or an option value differs from the last loaded or
     * saved state. */
    QORVA_ZEL_ERROR_OPTIONS_DIRTY = -30,
    /* The library is not initialised. */
    QORVA_ZEL_ERROR_NOT_INITIALIZED = -100,
    /* QORVA_ZEL_InitializeSDK was called while initialised. */
    QORVA_ZEL_ERROR_ALREADY_INITIALIZED = -101
};

/* ---- Records ---------------------------------------------------------- */

/* An interface version. The library implements 2.3.18713301.0. */
typedef struct QORVA_ZEL_Version {
    uint32_t Major;
    uint32_t Minor;
    uint32_t Build;
    uint32_t Revision;
} QORVA_ZEL_Version;

#define QORVA_ZEL_VERSION_MAJOR 2u
#define QORVA_ZEL_VERSION_MINOR 3u
#define QORVA_ZEL_VERSION_BUILD 18713301u
#define QORVA_ZEL_VERSION_REVISION 0u

/* Descriptive strings of the game. All six must be non-null; empty strings
 * are allowed. ConfigPath is the directory of the settings file and
 * Executable the middle of its name: ConfigPath "\" "GFXSettings." Executable
 * ".xml". The others are only written into the file. */
typedef struct QORVA_ZEL_ApplicationInfo {
    const QORVA_ZEL_Char* DisplayName;
    const QORVA_ZEL_Char* VersionName;
    const QORVA_ZEL_Char* InstallPath;
    const QORVA_ZEL_Char* ConfigPath;
    const QORVA_ZEL_Char* Executable;
    const QORVA_ZEL_Char* ExecCmd;
} QORVA_ZEL_ApplicationInfo;

/* A display mode. */
typedef struct QORVA_ZEL_Resolution {
    uint32_t Width;       /* pixels */
    uint32_t Height;      /* pixels */
    float RefreshRate;    /* hertz; may be fractional, such as 59.94 */
} QORVA_ZEL_Resolution;

/* The type of an option (32 bits). A type field may hold another number:
 * such an option has a name but no value. The enumerators carry the
 * library's prefix because system headers (Xlib among them) define a
 * macro named Bool. */
#ifdef __cplusplus
/* A fixed base lets C++ hold every 32-bit number a C caller may store. */
typedef enum QORVA_ZEL_OptionType : int32_t {
#else
typedef enum QORVA_ZEL_OptionType {
#endif
    QORVA_ZEL_Integer = 0, /* IntValue */
    QORVA_ZEL_Float = 1,   /* FloatValue */
    QORVA_ZEL_Enum = 2,    /* StringValue */
    QORVA_ZEL_Bool = 3,    /* BoolValue */
    QORVA_ZEL_OPTION_TYPE_FORCE_32BIT = 0x7FFFFFFF
} QORVA_ZEL_OptionType;

/* A value, as wide as a pointer; only the member of the type is meaningful. */
typedef union QORVA_ZEL_Value {
    int32_t IntValue;
    float FloatValue;
    const QORVA_ZEL_Char* StringValue;
    uint8_t BoolValue; /* 0 is false, any other byte true; kept as the byte */
} QORVA_ZEL_Value;

/* A typed value as it crosses the boundary. */
typedef struct QORVA_ZEL_Variant {
    QORVA_ZEL_OptionType Type;
    QORVA_ZEL_Value Value;
} QORVA_ZEL_Variant;

/* The numeric limits of an Integer or Float option. NumSteps below 0: any
 * value is allowed; 0: the value must lie in [MinValue, MaxValue]; 1 or
 * more: it must also lie on one of NumSteps equal steps from MinValue. */
typedef struct QORVA_ZEL_Range {
    QORVA_ZEL_Value MinValue;
    QORVA_ZEL_Value MaxValue;
    int32_t NumSteps;
} QORVA_ZEL_Range;

/* The allowed strings of an Enum option, in the order they are written. */
typedef struct QORVA_ZEL_EnumList {
    const QORVA_ZEL_Char* const* Values;
    uint32_t NumValues;
} QORVA_ZEL_EnumList;

/* What a game registers. Type and Value together have the layout of a
 * QORVA_ZEL_Variant. Every pointer stays the caller's: the library copies
 * what it needs during QORVA_ZEL_RegisterOption. */
typedef struct QORVA_ZEL_OptionDesc {
    const QORVA_ZEL_Char* Name; /* compared exactly, case-sensitive */
    QORVA_ZEL_OptionType Type;
    QORVA_ZEL_Value Value;      /* the default, not validated */
    union {
        QORVA_ZEL_Range Range;       /* Integer and Float */
        QORVA_ZEL_EnumList EnumList; /* Enum */
    } Limits;                   /* Bool uses neither */
} QORVA_ZEL_OptionDesc;

/* ---- Functions -------------------------------------------------------- */

/* Initialises the library: checks the version, copies the six application
 * strings and composes the settings path
 *   ConfigPath + "\" + "GFXSettings" + "." + Executable + ".xml".
 * Returns 0; -4 when appInfo, version or any of the six strings is null;
 * -101 when already initialised (before the version is looked at); -3 for any
 * version but 2.3.18713301.0; -1 when the path with its terminator would be
 * longer than 2048 units. On failure the library stays as it was. */
QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_InitializeSDK(
    const QORVA_ZEL_ApplicationInfo* appInfo, const QORVA_ZEL_Version* version);

/* Releases every option, resolution and string; the library can be
 * initialised again afterwards. The saved resolution is kept.
 * Returns 0, or -100 when not initialised. */
QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_ReleaseSDK(void);

/* Reads the settings file: its resolution becomes current and saved, its
 * values are applied to the registered options of the same name and type
 * (validated like QORVA_ZEL_SetOptionValue; a refused value is dropped
 * without a report), and options matching none are kept to be written back
 * by the next save. What the file holds becomes the saved state that
 * QORVA_ZEL_CheckForDirtyOptions compares with. Register every option
 * before loading: one registered later keeps its default. Lenient about
 * content: missing elements or attributes are simply not applied.
 * Returns 0; -2 when the file cannot be opened (as on a first run, when it
 * does not exist yet); -1 when it cannot be read or is not well-formed XML;
 * -100 when not initialised. On -2 and -1 nothing changed. */
QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_LoadConfigFile(void);

/* Writes the whole settings file and makes what was written the saved state.
 * When bit 0 of discardUnregistered is set, options read from the file that
 * match no registered option are left out of the file (not out of memory);
 * the other bits are ignored. The file is replaced atomically: a new file is
 * written and synced beside it, then renamed over it.
 * Returns 0; -1 when the file cannot be written (the directory is missing or
 * not writable, the disk is full, the settings file is read-only): the
 * previous file and the saved state are then as they were; -100 when not
 * initialised. */
QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_SaveConfigFile(
    uint32_t discardUnregistered);

/* Registers an option with its default value (not validated). Two options
 * may share a name when their types differ.
 * Returns 0; -4 for a null desc, a null Name, an Enum default with a null
 * StringValue, a null Values with NumValues > 0 or a null allowed string;
 * -24 when the same name and type is registered; -100 when not initialised. */
QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_RegisterOption(
    const QORVA_ZEL_OptionDesc* desc);

/* Replaces the list of display resolutions with count entries of the array.
 * The current resolution is not touched.
 * Returns 0; -4 when resolutions is null (whatever count is); -100. */
QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_RegisterResolutions(
    const QORVA_ZEL_Resolution* resolutions, uint32_t count);

/* Gives back the string of an Enum variant filled by QORVA_ZEL_GetOptionValue
 * and sets StringValue to null; other types and a null pointer are left
 * alone. Never takes the lock; callable at any time. */
QORVA_ZEL_API void QORVA_ZEL_CALL QORVA_ZEL_ReleaseVariant(QORVA_ZEL_Variant* value);

/* Fills value with the option's type and current value. For an Enum the
 * StringValue is a new string owned by the caller (QORVA_ZEL_ReleaseVariant).
 * Returns 0; -4 when value or name is null; -20 when no option has that
 * name (value untouched); -21 when several have it (value filled from the one
 * registered last; an Enum string is then still the caller's to release);
 * -100 when not initialised. */
QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_GetOptionValue(
    QORVA_ZEL_Variant* value, const QORVA_ZEL_Char* name);

/* Validates value against the option registered last under name and stores
 * it. The caller keeps its own string.
 * Returns 0; -4 when value or name is null, or an Enum value has a null
 * StringValue; -20 when no option has that name; -25 when the value's type
 * is not that option's; -23 outside the range (NumSteps >= 0) or not an
 * allowed string; -22 inside the range but off its steps; -100 when not
 * initialised. Checked in this order; a refused value changes nothing. */
QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_SetOptionValue(
    const QORVA_ZEL_Variant* value, const QORVA_ZEL_Char* name);

/* Copies the current resolution into *resolution.
 * Returns 0; -4 when resolution is null; -100 when not initialised. */
QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_GetResolution(
    QORVA_ZEL_Resolution* resolution);

/* Makes *resolution current. With registered resolutions it must equal one
 * of them exactly (refresh rates compared without tolerance); with none,
 * any resolution is accepted.
 * Returns 0; -4 when resolution is null; -23 when not in a non-empty list
 * (nothing changes); -100 when not initialised. */
QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_SetResolution(
    const QORVA_ZEL_Resolution* resolution);

/* Tells whether the current resolution or any registered option's value
 * differs from the last loaded or saved state. A registered option that the
 * last load or save did not cover (registered since, or missing from the
 * file) counts as a difference. Limits and allowed strings are not compared.
 * Returns 0 when nothing differs; -30 when something does; -100 when not
 * initialised. */
QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_CheckForDirtyOptions(void);

/* Returns the interface version, 2.3.18713301.0, at any time. */
QORVA_ZEL_API QORVA_ZEL_Version QORVA_ZEL_CALL QORVA_ZEL_GetVersion(void);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* QORVA_ZEL_H */
