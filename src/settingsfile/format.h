// Names and fixed texts of the settings file.
#pragma once

#include <cstddef>

namespace qorva_zel::format {

inline constexpr char kRoot[] = "ZEL_SDK";
inline constexpr char kVersion[] = "Version";
inline constexpr char kVersionText[] = "2.3.18713301.0";
inline constexpr char kApplication[] = "APPLICATION";
inline constexpr char kDisplayName[] = "DISPLAYNAME";
inline constexpr char kVersionName[] = "VERSIONNAME";
inline constexpr char kInstallPath[] = "INSTALLPATH";
inline constexpr char kConfigPath[] = "CONFIGPATH";
inline constexpr char kExecutable[] = "EXECUTABLE";
inline constexpr char kExecCmd[] = "EXECCMD";
inline constexpr char kGameSettings[] = "GAMESETTINGS";
inline constexpr char kResolution[] = "RESOLUTION";
inline constexpr char kEnum[] = "ENUM";
inline constexpr char kOption[] = "OPTION";
inline constexpr char kRange[] = "RANGE";

inline constexpr char kValue[] = "Value";
inline constexpr char kWidth[] = "Width";
inline constexpr char kHeight[] = "Height";
inline constexpr char kRefreshRate[] = "RefreshRate";
inline constexpr char kName[] = "Name";
inline constexpr char kRegistered[] = "Registered";
inline constexpr char kType[] = "Type";
inline constexpr char kMinValue[] = "MinValue";
inline constexpr char kMaxValue[] = "MaxValue";
inline constexpr char kNumSteps[] = "NumSteps";
inline constexpr char kEnumValue[] = "EnumValue";

inline constexpr char kTrue[] = "True";   // "Registered"
inline constexpr char kFalse[] = "False";
inline constexpr char kBoolTrue[] = "true"; // a Bool "Value"
inline constexpr char kBoolFalse[] = "false";

inline constexpr char kTypeInteger[] = "Integer";
inline constexpr char kTypeFloat[] = "Float";
inline constexpr char kTypeEnum[] = "Enum";
inline constexpr char kTypeBool[] = "Bool";

// Element and attribute names compare exactly; this is strcmp against one
// of the names above, inline and unrolled, for the names the loader meets
// at every attribute. It stops at the first difference, so it reads no
// further into name than its terminating NUL.
template <std::size_t N>
inline bool NameIs(const char* name, const char (&wanted)[N])
{
    for (std::size_t i = 0; i < N; ++i) {
        if (name[i] != wanted[i]) {
            return false;
        }
    }
    return true;
}

} // namespace qorva_zel::format
