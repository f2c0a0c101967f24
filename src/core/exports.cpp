// The exported functions: test the pointers, run the operation, return its
// status.
#include "qorva_zel.h"

#include "core/boundary.h"
#include "core/operations.h"
#include "registry/option_record.h"

using namespace qorva_zel;

namespace {

bool HasAllStrings(const QORVA_ZEL_ApplicationInfo& info)
{
    return info.DisplayName != nullptr && info.VersionName != nullptr && info.InstallPath != nullptr &&
           info.ConfigPath != nullptr && info.Executable != nullptr && info.ExecCmd != nullptr;
}

} // namespace

extern "C" {

QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_InitializeSDK(const QORVA_ZEL_ApplicationInfo* appInfo,
                                                                      const QORVA_ZEL_Version* version)
{
    if (appInfo == nullptr || version == nullptr || !HasAllStrings(*appInfo)) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    return RunOperation(Requires::Nothing, OutOfMemory::Throws,
                        [&](SdkState& state) { return InitializeSdk(state, *appInfo, *version); });
}

QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_ReleaseSDK(void)
{
    return RunOperation(ReleaseSdk);
}

QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_LoadConfigFile(void)
{
    return RunOperation(Requires::Initialized, OutOfMemory::IsFileError, LoadConfigFile);
}

QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_SaveConfigFile(uint32_t discardUnregistered)
{
    return RunOperation([=](SdkState& state) { return SaveConfigFile(state, discardUnregistered); });
}

QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_RegisterOption(const QORVA_ZEL_OptionDesc* desc)
{
    if (desc == nullptr || !HasRequiredPointers(*desc)) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    return RunOperation([&](SdkState& state) { return RegisterOption(state, *desc); });
}

QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_RegisterResolutions(const QORVA_ZEL_Resolution* resolutions,
                                                                            uint32_t count)
{
    if (resolutions == nullptr) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    return RunOperation([&](SdkState& state) { return RegisterResolutions(state, resolutions, count); });
}

QORVA_ZEL_API void QORVA_ZEL_CALL QORVA_ZEL_ReleaseVariant(QORVA_ZEL_Variant* value)
{
    if (value == nullptr || value->Type != QORVA_ZEL_Enum) {
        return;
    }
    // The one string the library hands out; allocated with new[] by the get.
    delete[] value->Value.StringValue;
    value->Value.StringValue = nullptr;
}

QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_GetOptionValue(QORVA_ZEL_Variant* value,
                                                                       const QORVA_ZEL_Char* name)
{
    if (value == nullptr || name == nullptr) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    return RunOperation([&](SdkState& state) { return GetOptionValue(state, *value, ToView(name)); });
}

QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_SetOptionValue(const QORVA_ZEL_Variant* value,
                                                                       const QORVA_ZEL_Char* name)
{
    if (value == nullptr || name == nullptr ||
        (value->Type == QORVA_ZEL_Enum && value->Value.StringValue == nullptr)) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    return RunOperation([&](SdkState& state) { return SetOptionValue(state, *value, ToView(name)); });
}

QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_GetResolution(QORVA_ZEL_Resolution* resolution)
{
    if (resolution == nullptr) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    return RunOperation([&](SdkState& state) { return GetResolution(state, *resolution); });
}

QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_SetResolution(const QORVA_ZEL_Resolution* resolution)
{
    if (resolution == nullptr) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    return RunOperation([&](SdkState& state) { return SetResolution(state, *resolution); });
}

QORVA_ZEL_API QORVA_ZEL_Status QORVA_ZEL_CALL QORVA_ZEL_CheckForDirtyOptions(void)
{
    return RunOperation(CheckForDirtyOptions);
}

QORVA_ZEL_API QORVA_ZEL_Version QORVA_ZEL_CALL QORVA_ZEL_GetVersion(void)
{
    return QORVA_ZEL_Version{QORVA_ZEL_VERSION_MAJOR, QORVA_ZEL_VERSION_MINOR, QORVA_ZEL_VERSION_BUILD,
                             QORVA_ZEL_VERSION_REVISION};
}

} // extern "C"
