/*
 * The public header on its own in strict C99 (-Wall -Wextra -pedantic
 * -Werror), the record layouts a C caller depends on, and a short session
 * through the exported functions as a C game would run it.
 */
#include "qorva_zel.h"

#include <stddef.h>
#include <stdio.h>

/* C99 has no static assertion: an array of negative size stops the build. */
#define QZ_CHECK(name, condition) typedef char qz_check_##name[(condition) ? 1 : -1]

QZ_CHECK(char_is_16_bits, sizeof(QORVA_ZEL_Char) == 2);
QZ_CHECK(status_is_32_bits, sizeof(QORVA_ZEL_Status) == 4);
QZ_CHECK(option_type_is_32_bits, sizeof(QORVA_ZEL_OptionType) == 4);

QZ_CHECK(version_size, sizeof(QORVA_ZEL_Version) == 16);
QZ_CHECK(version_major, offsetof(QORVA_ZEL_Version, Major) == 0);
QZ_CHECK(version_minor, offsetof(QORVA_ZEL_Version, Minor) == 4);
QZ_CHECK(version_build, offsetof(QORVA_ZEL_Version, Build) == 8);
QZ_CHECK(version_revision, offsetof(QORVA_ZEL_Version, Revision) == 12);

QZ_CHECK(resolution_size, sizeof(QORVA_ZEL_Resolution) == 12);
QZ_CHECK(resolution_width, offsetof(QORVA_ZEL_Resolution, Width) == 0);
QZ_CHECK(resolution_height, offsetof(QORVA_ZEL_Resolution, Height) == 4);
QZ_CHECK(resolution_rate, offsetof(QORVA_ZEL_Resolution, RefreshRate) == 8);

QZ_CHECK(app_info_six_pointers, sizeof(QORVA_ZEL_ApplicationInfo) == 6 * sizeof(void*));
QZ_CHECK(app_info_config_path, offsetof(QORVA_ZEL_ApplicationInfo, ConfigPath) == 3 * sizeof(void*));
QZ_CHECK(app_info_exec_cmd, offsetof(QORVA_ZEL_ApplicationInfo, ExecCmd) == 5 * sizeof(void*));

/* The value is as wide as a pointer; a variant is Type, then Value. */
QZ_CHECK(value_is_pointer_sized, sizeof(QORVA_ZEL_Value) == sizeof(void*));
QZ_CHECK(variant_type_first, offsetof(QORVA_ZEL_Variant, Type) == 0);
QZ_CHECK(variant_value, offsetof(QORVA_ZEL_Variant, Value) == sizeof(void*));
QZ_CHECK(variant_size, sizeof(QORVA_ZEL_Variant) == 2 * sizeof(void*));

/* Type and Value of a descriptor can be read as a variant. */
QZ_CHECK(desc_name_first, offsetof(QORVA_ZEL_OptionDesc, Name) == 0);
QZ_CHECK(desc_type_value_as_variant,
         offsetof(QORVA_ZEL_OptionDesc, Value) - offsetof(QORVA_ZEL_OptionDesc, Type) ==
             offsetof(QORVA_ZEL_Variant, Value) - offsetof(QORVA_ZEL_Variant, Type));
QZ_CHECK(desc_type_aligned_as_variant, offsetof(QORVA_ZEL_OptionDesc, Type) % sizeof(void*) == 0);
QZ_CHECK(desc_limits_follow_value,
         offsetof(QORVA_ZEL_OptionDesc, Limits) == offsetof(QORVA_ZEL_OptionDesc, Value) + sizeof(QORVA_ZEL_Value));

QZ_CHECK(range_min, offsetof(QORVA_ZEL_Range, MinValue) == 0);
QZ_CHECK(range_max, offsetof(QORVA_ZEL_Range, MaxValue) == sizeof(void*));
QZ_CHECK(range_steps, offsetof(QORVA_ZEL_Range, NumSteps) == 2 * sizeof(void*));
QZ_CHECK(enum_list_values, offsetof(QORVA_ZEL_EnumList, Values) == 0);
QZ_CHECK(enum_list_count, offsetof(QORVA_ZEL_EnumList, NumValues) == sizeof(void*));

/* The status codes and option types have fixed numbers. */
QZ_CHECK(ok, QORVA_ZEL_OK == 0);
QZ_CHECK(file, QORVA_ZEL_ERROR_FILE == -1);
QZ_CHECK(file_not_found, QORVA_ZEL_ERROR_FILE_NOT_FOUND == -2);
QZ_CHECK(version_mismatch, QORVA_ZEL_ERROR_VERSION_MISMATCH == -3);
QZ_CHECK(null_argument, QORVA_ZEL_ERROR_NULL_ARGUMENT == -4);
QZ_CHECK(option_not_found, QORVA_ZEL_ERROR_OPTION_NOT_FOUND == -20);
QZ_CHECK(ambiguous_option, QORVA_ZEL_ERROR_AMBIGUOUS_OPTION == -21);
QZ_CHECK(not_on_step, QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP == -22);
QZ_CHECK(not_allowed, QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED == -23);
QZ_CHECK(already_registered, QORVA_ZEL_ERROR_ALREADY_REGISTERED == -24);
QZ_CHECK(type_mismatch, QORVA_ZEL_ERROR_TYPE_MISMATCH == -25);
QZ_CHECK(options_dirty, QORVA_ZEL_ERROR_OPTIONS_DIRTY == -30);
QZ_CHECK(not_initialized, QORVA_ZEL_ERROR_NOT_INITIALIZED == -100);
QZ_CHECK(already_initialized, QORVA_ZEL_ERROR_ALREADY_INITIALIZED == -101);
QZ_CHECK(type_integer, QORVA_ZEL_Integer == 0);
QZ_CHECK(type_float, QORVA_ZEL_Float == 1);
QZ_CHECK(type_enum, QORVA_ZEL_Enum == 2);
QZ_CHECK(type_bool, QORVA_ZEL_Bool == 3);

static int failures = 0;

static void expect_status(const char* what, QORVA_ZEL_Status got, QORVA_ZEL_Status want)
{
    if (got != want) {
        fprintf(stderr, "%s: got %ld, expected %ld\n", what, (long)got, (long)want);
        ++failures;
    }
}

int main(void)
{
    /* C99 has no UTF-16 literals; plain ASCII fits code unit by code unit. */
    static const QORVA_ZEL_Char empty[] = {0};
    static const QORVA_ZEL_Char config_dir[] = {'/', 't', 'm', 'p', 0};
    static const QORVA_ZEL_Char executable[] = {'c', 'g', 'a', 'm', 'e', 0};
    static const QORVA_ZEL_Char detail[] = {'D', 'e', 't', 'a', 'i', 'l', 0};
    QORVA_ZEL_ApplicationInfo app;
    QORVA_ZEL_Version version = {QORVA_ZEL_VERSION_MAJOR, QORVA_ZEL_VERSION_MINOR, QORVA_ZEL_VERSION_BUILD,
                                 QORVA_ZEL_VERSION_REVISION};
    QORVA_ZEL_OptionDesc desc;
    QORVA_ZEL_Variant value;
    QORVA_ZEL_Version reported = QORVA_ZEL_GetVersion();

    if (reported.Major != 2 || reported.Minor != 3 || reported.Build != 18713301u || reported.Revision != 0) {
        fprintf(stderr, "unexpected version %lu.%lu.%lu.%lu\n", (unsigned long)reported.Major,
                (unsigned long)reported.Minor, (unsigned long)reported.Build, (unsigned long)reported.Revision);
        ++failures;
    }
    QORVA_ZEL_ReleaseVariant(NULL);
    expect_status("GetResolution(NULL)", QORVA_ZEL_GetResolution(NULL), QORVA_ZEL_ERROR_NULL_ARGUMENT);
    expect_status("ReleaseSDK before init", QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_ERROR_NOT_INITIALIZED);

    app.DisplayName = empty;
    app.VersionName = empty;
    app.InstallPath = empty;
    app.ConfigPath = config_dir;
    app.Executable = executable;
    app.ExecCmd = empty;
    expect_status("InitializeSDK", QORVA_ZEL_InitializeSDK(&app, &version), QORVA_ZEL_OK);

    desc.Name = detail;
    desc.Type = QORVA_ZEL_Integer;
    desc.Value.IntValue = 2;
    desc.Limits.Range.MinValue.IntValue = 0;
    desc.Limits.Range.MaxValue.IntValue = 4;
    desc.Limits.Range.NumSteps = 2;
    expect_status("RegisterOption", QORVA_ZEL_RegisterOption(&desc), QORVA_ZEL_OK);

    value.Type = QORVA_ZEL_Integer;
    value.Value.IntValue = 4;
    expect_status("SetOptionValue 4", QORVA_ZEL_SetOptionValue(&value, detail), QORVA_ZEL_OK);
    value.Value.IntValue = 3;
    expect_status("SetOptionValue 3", QORVA_ZEL_SetOptionValue(&value, detail), QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP);
    value.Value.IntValue = 0;
    expect_status("GetOptionValue", QORVA_ZEL_GetOptionValue(&value, detail), QORVA_ZEL_OK);
    if (value.Type != QORVA_ZEL_Integer || value.Value.IntValue != 4) {
        fprintf(stderr, "GetOptionValue returned type %d value %ld\n", (int)value.Type, (long)value.Value.IntValue);
        ++failures;
    }
    expect_status("CheckForDirtyOptions", QORVA_ZEL_CheckForDirtyOptions(), QORVA_ZEL_ERROR_OPTIONS_DIRTY);
    expect_status("ReleaseSDK", QORVA_ZEL_ReleaseSDK(), QORVA_ZEL_OK);

    if (failures != 0) {
        fprintf(stderr, "%d failure(s)\n", failures);
        return 1;
    }
    return 0;
}
