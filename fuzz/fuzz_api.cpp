// Fuzz target: a sequence of calls of the exported functions, decoded from
// the input, each checked against a small model of the library: whether it
// is initialised, the registered options with their limits and values, the
// resolutions, the saved state and the settings file. The model gives the
// status every call must return and every value a get must hand out.
#include "fuzz_support.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

using namespace qorva_zel_fuzz;

namespace {

// ---- Reading the input -------------------------------------------------------

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return at_ >= size_; }
    // Past the end every byte reads as 0.
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint32_t Word()
    {
        std::uint32_t word = 0;
        for (int i = 0; i < 4; ++i) {
            word |= static_cast<std::uint32_t>(Byte()) << (8 * i);
        }
        return word;
    }
    // One of count choices.
    std::size_t Pick(std::size_t count) { return Byte() % count; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// ---- What the calls are made of ----------------------------------------------

// Names, including an empty one, one that needs escaping in the file, one
// outside the basic plane and a lone surrogate.
const QORVA_ZEL_Char* const kNames[] = {
    QORVA_ZEL_TEXT("Shadows"), QORVA_ZEL_TEXT("Gamma"), QORVA_ZEL_TEXT("shadows"),
    QORVA_ZEL_TEXT(""),        QORVA_ZEL_TEXT("A&<\"\t\n>"), QORVA_ZEL_TEXT("\U0001F3AE"),
    QORVA_ZEL_TEXT("\xD800z"),
};

// Type numbers: the four value types and two that have no value.
const std::int32_t kTypes[] = {QORVA_ZEL_Integer, QORVA_ZEL_Float, QORVA_ZEL_Enum, QORVA_ZEL_Bool, 7, -5};

struct IntLimits {
    std::int32_t Min, Max, Steps;
};
const IntLimits kIntLimits[] = {
    {0, 4, 4},   {0, 100, 3}, {-10, 10, 0}, {0, 0, -1}, {5, 1, 2},
    {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), 2}, {0, 3, 7},
};
const std::int32_t kInts[] = {0,  1,  2,   3,   4,  5,  -1, -10, 10, 33, 66, 99, 100, 2147483646,
                              std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};

struct FloatLimits {
    float Min, Max;
    std::int32_t Steps;
};
const FloatLimits kFloatLimits[] = {
    {0.0f, 1.0f, 4}, {0.5f, 2.5f, 8}, {-1.0f, 1.0f, 0}, {0.0f, 0.0f, -1}, {1.0f, 0.0f, 2}, {0.0f, 1.0f, 3},
    {0.0f, 1.0f, 10},
};
const float kFloats[] = {0.0f,
                         -0.0f,
                         0.25f,
                         0.5f,
                         0.75f,
                         1.0f,
                         1.5f,
                         2.5f,
                         3.0f,
                         -1.0f,
                         1.0f / 3.0f,
                         2.0f / 3.0f,
                         0.1f,
                         0.3f,
                         0.35f,
                         std::numeric_limits<float>::denorm_min(),
                         std::numeric_limits<float>::max(),
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity(),
                         std::numeric_limits<float>::quiet_NaN(),
                         -std::numeric_limits<float>::quiet_NaN()};

// Enum strings; "low" differs from "Low" only in case.
const QORVA_ZEL_Char* const kStrings[] = {
    QORVA_ZEL_TEXT("Low"), QORVA_ZEL_TEXT("High"), QORVA_ZEL_TEXT("low"),        QORVA_ZEL_TEXT(""),
    QORVA_ZEL_TEXT("x"),   QORVA_ZEL_TEXT("&<\"\t\r\n"), QORVA_ZEL_TEXT("\U0001F3AE"), QORVA_ZEL_TEXT("\xDC00"),
};
struct StringList {
    const QORVA_ZEL_Char* const* Values;
    std::uint32_t Count;
};
const QORVA_ZEL_Char* const kListLowHigh[] = {kStrings[0], kStrings[1]};
const QORVA_ZEL_Char* const kListEmptyX[] = {kStrings[3], kStrings[4]};
const QORVA_ZEL_Char* const kListOdd[] = {kStrings[5], kStrings[6], kStrings[7], kStrings[0]};
const StringList kLists[] = {{kListLowHigh, 2}, {nullptr, 0}, {kListEmptyX, 2}, {kListOdd, 4}};

const QORVA_ZEL_Resolution kModes[] = {
    {1920, 1080, 60.0f},
    {1920, 1080, 59.94f},
    {2560, 1440, 143.856f},
    {0, 0, 0.0f},
    {800, 600, std::numeric_limits<float>::quiet_NaN()},
    {4294967295u, 2147483648u, -1.0f}, // the file keeps widths as signed numbers
};

// ---- The model -------------------------------------------------------------------

struct Value {
    std::int32_t Int = 0;
    float Float = 0.0f;
    QzString String;
    std::uint8_t Bool = 0;
};

bool IsValueType(std::int32_t type)
{
    return type == QORVA_ZEL_Integer || type == QORVA_ZEL_Float || type == QORVA_ZEL_Enum || type == QORVA_ZEL_Bool;
}

// As the dirty check compares: 0.0 equals -0.0, a NaN equals a NaN.
bool SameForDirtyCheck(std::int32_t type, const Value& a, const Value& b)
{
    switch (type) {
    case QORVA_ZEL_Integer:
        return a.Int == b.Int;
    case QORVA_ZEL_Float:
        return a.Float == b.Float || (std::isnan(a.Float) && std::isnan(b.Float));
    case QORVA_ZEL_Enum:
        return a.String == b.String;
    case QORVA_ZEL_Bool:
        return a.Bool == b.Bool;
    default:
        return true;
    }
}

// The same float: the same bits, or both NaN of one sign (a file keeps the
// sign of a NaN, not its payload).
bool SameFloat(float a, float b)
{
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
    }
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameMode(const QORVA_ZEL_Resolution& a, const QORVA_ZEL_Resolution& b)
{
    return a.Width == b.Width && a.Height == b.Height && SameFloat(a.RefreshRate, b.RefreshRate);
}

struct Record {
    QzString Name;
    std::int32_t Type = 0;
    Value Current;
};

struct Option : Record {
    IntLimits Ints{};
    FloatLimits Floats{};
    std::vector<QzString> Allowed;
};

QORVA_ZEL_Status ValidateInt(const IntLimits& limits, std::int32_t value)
{
    if (limits.Steps >= 0 && (value < limits.Min || value > limits.Max)) {
        return QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED;
    }
    if (limits.Steps <= 0) {
        return QORVA_ZEL_OK;
    }
    const std::int64_t step = (std::int64_t{limits.Max} - limits.Min) / limits.Steps;
    if (step <= 0) {
        return QORVA_ZEL_OK;
    }
    return (std::int64_t{value} - limits.Min) % step == 0 ? QORVA_ZEL_OK : QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP;
}

// The step rule measured in double precision: a value counts as on a step
// when the nearest step lies within two units in the last place of the
// largest magnitude involved (or within single-precision epsilon).
QORVA_ZEL_Status ValidateFloat(const FloatLimits& limits, float value)
{
    if (limits.Steps >= 0 && (!(value >= limits.Min) || value > limits.Max)) {
        return QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED;
    }
    if (limits.Steps <= 0) {
        return QORVA_ZEL_OK;
    }
    const float step = (limits.Max - limits.Min) / static_cast<float>(limits.Steps);
    if (!(step > 0.0f)) {
        return QORVA_ZEL_OK;
    }
    const double offset = static_cast<double>(value) - static_cast<double>(limits.Min);
    const double nearest = std::nearbyint(offset / step) * step;
    const double distance = std::fabs(offset - nearest);
    const double scale = std::fmax(std::fmax(1.0, std::fabs(value)), std::fmax(std::fabs(limits.Min), std::fabs(limits.Max)));
    if (distance < 0x1p-23 || distance <= 0x1p-22 * scale) {
        return QORVA_ZEL_OK;
    }
    return QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP;
}

QORVA_ZEL_Status Validate(const Option& option, std::int32_t type, const Value& value)
{
    if (type != option.Type) {
        return QORVA_ZEL_ERROR_TYPE_MISMATCH;
    }
    switch (type) {
    case QORVA_ZEL_Integer:
        return ValidateInt(option.Ints, value.Int);
    case QORVA_ZEL_Float:
        return ValidateFloat(option.Floats, value.Float);
    case QORVA_ZEL_Enum:
        for (const QzString& allowed : option.Allowed) {
            if (allowed == value.String) {
                return QORVA_ZEL_OK;
            }
        }
        return QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED;
    default:
        return QORVA_ZEL_OK;
    }
}

void Store(Option& option, const Value& value)
{
    switch (option.Type) {
    case QORVA_ZEL_Integer:
        option.Current.Int = value.Int;
        break;
    case QORVA_ZEL_Float:
        option.Current.Float = value.Float;
        break;
    case QORVA_ZEL_Enum:
        option.Current.String = value.String;
        break;
    case QORVA_ZEL_Bool:
        option.Current.Bool = value.Bool;
        break;
    default:
        break;
    }
}

struct Model {
    bool Initialised = false;
    std::vector<Option> Options; // registration order
    std::vector<QORVA_ZEL_Resolution> Modes;
    QORVA_ZEL_Resolution Current{};
    QORVA_ZEL_Resolution Saved{};
    std::vector<Record> Snapshot; // insertion order
    std::vector<Record> Unregistered;
    bool FileExists = false;
    QORVA_ZEL_Resolution FileMode{};
    std::vector<Record> FileRecords; // as a load reads them back

    void Reset()
    {
        Options.clear();
        Modes.clear();
        Current = QORVA_ZEL_Resolution{};
        Snapshot.clear();
        Unregistered.clear();
    }

    std::size_t CountNamed(const QzString& name) const
    {
        std::size_t count = 0;
        for (const Option& option : Options) {
            count += option.Name == name ? 1 : 0;
        }
        return count;
    }
    Option* LastNamed(const QzString& name)
    {
        for (auto it = Options.rbegin(); it != Options.rend(); ++it) {
            if (it->Name == name) {
                return &*it;
            }
        }
        return nullptr;
    }
    bool HasOption(const QzString& name, std::int32_t type) const
    {
        for (const Option& option : Options) {
            if (option.Name == name && option.Type == type) {
                return true;
            }
        }
        return false;
    }

    QORVA_ZEL_Status DirtyCheck() const
    {
        if (!(Current.Width == Saved.Width && Current.Height == Saved.Height &&
              (Current.RefreshRate == Saved.RefreshRate ||
               (std::isnan(Current.RefreshRate) && std::isnan(Saved.RefreshRate))))) {
            return QORVA_ZEL_ERROR_OPTIONS_DIRTY;
        }
        for (const Option& option : Options) {
            const Record* saved = nullptr;
            for (const Record& record : Snapshot) {
                if (record.Name == option.Name && record.Type == option.Type) {
                    saved = &record;
                    break;
                }
            }
            if (saved == nullptr || !SameForDirtyCheck(option.Type, option.Current, saved->Current)) {
                return QORVA_ZEL_ERROR_OPTIONS_DIRTY;
            }
        }
        return QORVA_ZEL_OK;
    }

    void Save(std::uint32_t flags)
    {
        // What the file holds as the next load will read it: options without
        // a value type are written without one and so are skipped; a Bool
        // reads back as 0 or 1; widths and heights as signed numbers.
        std::vector<Record> file;
        for (const Option& option : Options) {
            if (IsValueType(option.Type)) {
                Record record = option;
                record.Current.Bool = record.Current.Bool != 0 ? 1 : 0;
                file.push_back(record);
            }
        }
        if ((flags & 1u) == 0) {
            for (const Record& record : Unregistered) {
                if (!HasOption(record.Name, record.Type)) {
                    file.push_back(record);
                }
            }
        }
        const auto asSigned = [](std::uint32_t n) { return n > 2147483647u ? 2147483647u : n; };
        FileMode = QORVA_ZEL_Resolution{asSigned(Current.Width), asSigned(Current.Height), Current.RefreshRate};
        FileRecords = std::move(file);
        FileExists = true;
        Snapshot.assign(Options.begin(), Options.end());
        Saved = Current;
    }

    void Load()
    {
        Current = FileMode;
        Saved = FileMode;
        std::vector<Record> unregistered;
        std::vector<Record> snapshot;
        for (const Record& record : FileRecords) {
            if (!HasOption(record.Name, record.Type)) {
                unregistered.push_back(record);
                continue;
            }
            // Validated against the option registered last under the name,
            // which may be of another type.
            Option* target = LastNamed(record.Name);
            if (Validate(*target, record.Type, record.Current) == QORVA_ZEL_OK) {
                Store(*target, record.Current);
            }
            snapshot.push_back(record);
        }
        Unregistered = std::move(unregistered);
        Snapshot = std::move(snapshot);
    }
};

// ---- The calls ---------------------------------------------------------------------

constexpr QORVA_ZEL_OptionType kSentinelType = static_cast<QORVA_ZEL_OptionType>(0x5A5A);
constexpr std::int32_t kSentinelInt = 0x13572468;

QORVA_ZEL_Variant Sentinel()
{
    QORVA_ZEL_Variant variant{};
    variant.Type = kSentinelType;
    variant.Value.IntValue = kSentinelInt;
    return variant;
}

bool IsSentinel(const QORVA_ZEL_Variant& variant)
{
    return variant.Type == kSentinelType && variant.Value.IntValue == kSentinelInt;
}

class Session {
public:
    explicit Session(Input& input) : in_(input) {}

    void Step()
    {
        switch (in_.Pick(16)) {
        case 0:
            Initialise();
            break;
        case 1:
            Release();
            break;
        case 2:
        case 3:
            Register();
            break;
        case 4:
        case 5:
            Get();
            break;
        case 6:
        case 7:
            Set();
            break;
        case 8:
            RegisterModes();
            break;
        case 9:
            SetMode();
            break;
        case 10:
            GetMode();
            break;
        case 11:
            QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_CheckForDirtyOptions(), Expect(model_.DirtyCheck()));
            break;
        case 12:
            Save();
            break;
        case 13:
            Load();
            break;
        case 14:
            NullArguments();
            break;
        default:
            CheckVersion();
            break;
        }
    }

private:
    // The status of a call that needs the library initialised and is
    // otherwise expected to give `status`.
    QORVA_ZEL_Status Expect(QORVA_ZEL_Status status) const
    {
        return model_.Initialised ? status : QORVA_ZEL_ERROR_NOT_INITIALIZED;
    }

    const QORVA_ZEL_Char* PickName() { return kNames[in_.Pick(std::size(kNames))]; }

    void Initialise()
    {
        Application app;
        QORVA_ZEL_Version version = kVersion;
        QORVA_ZEL_Status expected = QORVA_ZEL_OK;
        switch (in_.Pick(4)) {
        case 0:
            break;
        case 1:
            version.Build += 1;
            expected = QORVA_ZEL_ERROR_VERSION_MISMATCH;
            break;
        case 2:
            app.Executable.assign(3000, QORVA_ZEL_TEXT('x')); // a path over 2048 units
            expected = QORVA_ZEL_ERROR_FILE;
            break;
        default: {
            const QORVA_ZEL_ApplicationInfo info = app.Info();
            QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_InitializeSDK(&info, nullptr), QORVA_ZEL_ERROR_NULL_ARGUMENT);
            QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_InitializeSDK(nullptr, &version), QORVA_ZEL_ERROR_NULL_ARGUMENT);
            QORVA_ZEL_ApplicationInfo missing = info;
            missing.ExecCmd = nullptr;
            QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_InitializeSDK(&missing, &version), QORVA_ZEL_ERROR_NULL_ARGUMENT);
            return;
        }
        }
        if (model_.Initialised) {
            expected = QORVA_ZEL_ERROR_ALREADY_INITIALIZED;
        }
        const QORVA_ZEL_ApplicationInfo info = app.Info();
        QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_InitializeSDK(&info, &version), expected);
        if (expected == QORVA_ZEL_OK) {
            model_.Reset();
            model_.Initialised = true;
        }
    }

    void Release()
    {
        QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_ReleaseSDK(), Expect(QORVA_ZEL_OK));
        if (model_.Initialised) {
            model_.Reset();
            model_.Initialised = false;
        }
    }

    Value PickValue(std::int32_t type)
    {
        Value value;
        switch (type) {
        case QORVA_ZEL_Integer: {
            const std::size_t choice = in_.Pick(std::size(kInts) + 1);
            value.Int = choice < std::size(kInts) ? kInts[choice] : static_cast<std::int32_t>(in_.Word());
            break;
        }
        case QORVA_ZEL_Float:
            value.Float = kFloats[in_.Pick(std::size(kFloats))];
            break;
        case QORVA_ZEL_Enum:
            value.String = kStrings[in_.Pick(std::size(kStrings))];
            break;
        case QORVA_ZEL_Bool:
            value.Bool = in_.Byte();
            break;
        default:
            break;
        }
        return value;
    }

    static QORVA_ZEL_Value AsValue(std::int32_t type, const Value& value)
    {
        QORVA_ZEL_Value out{};
        switch (type) {
        case QORVA_ZEL_Integer:
            out.IntValue = value.Int;
            break;
        case QORVA_ZEL_Float:
            out.FloatValue = value.Float;
            break;
        case QORVA_ZEL_Enum:
            out.StringValue = value.String.c_str();
            break;
        case QORVA_ZEL_Bool:
            out.BoolValue = value.Bool;
            break;
        default:
            out.IntValue = kSentinelInt;
            break;
        }
        return out;
    }

    void Register()
    {
        Option option;
        option.Name = PickName();
        option.Type = kTypes[in_.Pick(std::size(kTypes))];
        option.Current = PickValue(option.Type); // defaults are not validated
        QORVA_ZEL_OptionDesc desc{};
        desc.Name = option.Name.c_str();
        desc.Type = static_cast<QORVA_ZEL_OptionType>(option.Type);
        desc.Value = AsValue(option.Type, option.Current);
        if (option.Type == QORVA_ZEL_Integer) {
            option.Ints = kIntLimits[in_.Pick(std::size(kIntLimits))];
            desc.Limits.Range.MinValue.IntValue = option.Ints.Min;
            desc.Limits.Range.MaxValue.IntValue = option.Ints.Max;
            desc.Limits.Range.NumSteps = option.Ints.Steps;
        } else if (option.Type == QORVA_ZEL_Float) {
            option.Floats = kFloatLimits[in_.Pick(std::size(kFloatLimits))];
            desc.Limits.Range.MinValue.FloatValue = option.Floats.Min;
            desc.Limits.Range.MaxValue.FloatValue = option.Floats.Max;
            desc.Limits.Range.NumSteps = option.Floats.Steps;
        } else if (option.Type == QORVA_ZEL_Enum) {
            const StringList& list = kLists[in_.Pick(std::size(kLists))];
            option.Allowed.assign(list.Values, list.Values + list.Count);
            desc.Limits.EnumList.Values = list.Values;
            desc.Limits.EnumList.NumValues = list.Count;
        }
        QORVA_ZEL_Status expected = QORVA_ZEL_OK;
        if (model_.HasOption(option.Name, option.Type)) {
            expected = QORVA_ZEL_ERROR_ALREADY_REGISTERED;
        }
        QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_RegisterOption(&desc), Expect(expected));
        if (model_.Initialised && expected == QORVA_ZEL_OK) {
            model_.Options.push_back(std::move(option));
        }
    }

    void Get()
    {
        const QzString name = PickName();
        QORVA_ZEL_Variant value = Sentinel();
        const QORVA_ZEL_Status status = QORVA_ZEL_GetOptionValue(&value, name.c_str());
        const std::size_t count = model_.CountNamed(name);
        const QORVA_ZEL_Status expected =
            count == 0 ? QORVA_ZEL_ERROR_OPTION_NOT_FOUND : count == 1 ? QORVA_ZEL_OK : QORVA_ZEL_ERROR_AMBIGUOUS_OPTION;
        QZ_FUZZ_CHECK_STATUS(status, Expect(expected));
        if (status != QORVA_ZEL_OK && status != QORVA_ZEL_ERROR_AMBIGUOUS_OPTION) {
            QZ_FUZZ_CHECK(IsSentinel(value));
            return;
        }
        const Option& option = *model_.LastNamed(name);
        QZ_FUZZ_CHECK(value.Type == option.Type);
        switch (option.Type) {
        case QORVA_ZEL_Integer:
            QZ_FUZZ_CHECK(value.Value.IntValue == option.Current.Int);
            break;
        case QORVA_ZEL_Float:
            QZ_FUZZ_CHECK(SameFloat(value.Value.FloatValue, option.Current.Float));
            break;
        case QORVA_ZEL_Enum:
            QZ_FUZZ_CHECK(value.Value.StringValue != nullptr && QzString(value.Value.StringValue) == option.Current.String);
            break;
        case QORVA_ZEL_Bool:
            QZ_FUZZ_CHECK(value.Value.BoolValue == option.Current.Bool);
            break;
        default:
            QZ_FUZZ_CHECK(value.Value.IntValue == kSentinelInt); // no value to hand out
            break;
        }
        QORVA_ZEL_ReleaseVariant(&value);
        if (option.Type == QORVA_ZEL_Enum) {
            QZ_FUZZ_CHECK(value.Value.StringValue == nullptr);
        }
    }

    void Set()
    {
        const QzString name = PickName();
        const std::int32_t type = kTypes[in_.Pick(std::size(kTypes))];
        const Value wanted = PickValue(type);
        QORVA_ZEL_Variant value{};
        value.Type = static_cast<QORVA_ZEL_OptionType>(type);
        value.Value = AsValue(type, wanted);
        Option* target = model_.LastNamed(name);
        const QORVA_ZEL_Status expected =
            target == nullptr ? QORVA_ZEL_ERROR_OPTION_NOT_FOUND : Validate(*target, type, wanted);
        QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_SetOptionValue(&value, name.c_str()), Expect(expected));
        if (model_.Initialised && expected == QORVA_ZEL_OK) {
            Store(*target, wanted);
        }
    }

    void RegisterModes()
    {
        QORVA_ZEL_Resolution modes[3];
        const std::uint32_t count = static_cast<std::uint32_t>(in_.Pick(4));
        for (std::uint32_t i = 0; i < count; ++i) {
            modes[i] = kModes[in_.Pick(std::size(kModes))];
        }
        QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_RegisterResolutions(modes, count), Expect(QORVA_ZEL_OK));
        if (model_.Initialised) {
            model_.Modes.assign(modes, modes + count);
        }
    }

    void SetMode()
    {
        const QORVA_ZEL_Resolution mode = kModes[in_.Pick(std::size(kModes))];
        bool listed = false;
        for (const QORVA_ZEL_Resolution& entry : model_.Modes) {
            listed = listed || (entry.Width == mode.Width && entry.Height == mode.Height &&
                                entry.RefreshRate == mode.RefreshRate);
        }
        const bool accepted = model_.Modes.empty() || listed;
        QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_SetResolution(&mode),
                             Expect(accepted ? QORVA_ZEL_OK : QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED));
        if (model_.Initialised && accepted) {
            model_.Current = mode;
        }
    }

    void GetMode()
    {
        QORVA_ZEL_Resolution mode{7, 7, 7.0f};
        QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_GetResolution(&mode), Expect(QORVA_ZEL_OK));
        if (model_.Initialised) {
            QZ_FUZZ_CHECK(SameMode(mode, model_.Current));
        } else {
            QZ_FUZZ_CHECK(SameMode(mode, QORVA_ZEL_Resolution{7, 7, 7.0f}));
        }
    }

    void Save()
    {
        const std::uint32_t flags = in_.Word();
        QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_SaveConfigFile(flags), Expect(QORVA_ZEL_OK));
        if (model_.Initialised) {
            model_.Save(flags);
        }
    }

    void Load()
    {
        const QORVA_ZEL_Status expected =
            Expect(model_.FileExists ? QORVA_ZEL_OK : QORVA_ZEL_ERROR_FILE_NOT_FOUND);
        QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_LoadConfigFile(), expected);
        if (expected == QORVA_ZEL_OK) {
            model_.Load();
        }
    }

    // A null pointer where one is needed: -4 before anything else, and
    // nothing changes.
    void NullArguments()
    {
        constexpr QORVA_ZEL_Status kNull = QORVA_ZEL_ERROR_NULL_ARGUMENT;
        QORVA_ZEL_Variant value = Sentinel();
        const QORVA_ZEL_Char* const name = PickName();
        switch (in_.Pick(9)) {
        case 0:
            QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_GetOptionValue(nullptr, name), kNull);
            QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_GetOptionValue(&value, nullptr), kNull);
            QZ_FUZZ_CHECK(IsSentinel(value));
            break;
        case 1:
            value.Type = QORVA_ZEL_Integer;
            QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_SetOptionValue(nullptr, name), kNull);
            QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_SetOptionValue(&value, nullptr), kNull);
            break;
        case 2:
            value.Type = QORVA_ZEL_Enum;
            value.Value.StringValue = nullptr;
            QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_SetOptionValue(&value, name), kNull);
            break;
        case 3: {
            QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_RegisterOption(nullptr), kNull);
            QORVA_ZEL_OptionDesc desc{};
            desc.Name = nullptr;
            desc.Type = QORVA_ZEL_Bool;
            QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_RegisterOption(&desc), kNull);
            break;
        }
        case 4: {
            QORVA_ZEL_OptionDesc desc{};
            desc.Name = name;
            desc.Type = QORVA_ZEL_Enum;
            desc.Value.StringValue = nullptr;
            QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_RegisterOption(&desc), kNull);
            desc.Value.StringValue = kStrings[0];
            desc.Limits.EnumList.NumValues = 2;
            QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_RegisterOption(&desc), kNull);
            const QORVA_ZEL_Char* const withGap[] = {kStrings[0], nullptr};
            desc.Limits.EnumList.Values = withGap;
            QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_RegisterOption(&desc), kNull);
            break;
        }
        case 5:
            QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_RegisterResolutions(nullptr, in_.Pick(3)), kNull);
            break;
        case 6:
            QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_SetResolution(nullptr), kNull);
            QZ_FUZZ_CHECK_STATUS(QORVA_ZEL_GetResolution(nullptr), kNull);
            break;
        case 7:
            QORVA_ZEL_ReleaseVariant(nullptr);
            break;
        default: {
            // A variant of another type is left alone.
            QORVA_ZEL_Variant other{};
            other.Type = QORVA_ZEL_Integer;
            other.Value.IntValue = kSentinelInt;
            QORVA_ZEL_ReleaseVariant(&other);
            QZ_FUZZ_CHECK(other.Type == QORVA_ZEL_Integer && other.Value.IntValue == kSentinelInt);
            break;
        }
        }
    }

    // The calls that need no initialisation and never take the lock.
    void CheckVersion()
    {
        const QORVA_ZEL_Version version = QORVA_ZEL_GetVersion();
        QZ_FUZZ_CHECK(version.Major == kVersion.Major && version.Minor == kVersion.Minor &&
                      version.Build == kVersion.Build && version.Revision == kVersion.Revision);
    }

    Input& in_;
    Model model_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    StartFresh();
    Input input(data, size);
    Session session(input);
    for (int calls = 0; calls < 256 && !input.Empty(); ++calls) {
        session.Step();
    }
    const QORVA_ZEL_Status released = QORVA_ZEL_ReleaseSDK();
    QZ_FUZZ_CHECK(released == QORVA_ZEL_OK || released == QORVA_ZEL_ERROR_NOT_INITIALIZED);
    return 0;
}
