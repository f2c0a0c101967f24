// The schema a game ships: its options, categories, presets, hardware tiers
// and migrations, read from JSON and checked whole.
#pragma once

#include "kit/conditions.h"
#include "kit/kit_value.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qorva_zel::kit {

struct SchemaOption {
    std::string Name;
    KitValue Default;
    // Defaults by tag, as the schema lists them.
    std::vector<std::pair<std::string, KitValue>> DefaultByTag;
    // Integer and Float; NumSteps below 0: any value.
    KitValue MinValue;
    KitValue MaxValue;
    std::int32_t NumSteps = -1;
    std::vector<std::string> Allowed; // Enum
    std::string Category;
    std::string LabelKey;
    std::string DescriptionKey;
    bool RestartRequired = false;
    bool Hidden = false;
    std::optional<Condition> AvailableWhen;
};

struct NamedEntry {
    std::string Name;
    std::string LabelKey;
};

// A preset gives a value to every option of the preset group.
struct Preset {
    std::string Name;
    std::string LabelKey;
    std::vector<KitValue> Values; // one per Schema::PresetGroup entry
};

struct Tier {
    std::string Name;
    std::optional<Condition> When; // none: always
    std::size_t Preset = 0;        // index into Schema::Presets
};

struct MigrationStep {
    enum class Kind { Rename, MapValues, Clamp, Rescale, Drop, DefaultChanged };
    Kind What = Kind::Drop;
    std::string Option;
    std::string NewName;                                   // Rename
    std::optional<std::int32_t> NewType;                   // MapValues
    std::vector<std::pair<std::string, nlohmann::json>> Map; // MapValues: old value's text -> new value
    std::optional<nlohmann::json> Otherwise;               // MapValues: for values the map does not name
    double From[2] = {0, 0};                               // Rescale
    double To[2] = {0, 0};
    nlohmann::json OldDefault;                             // DefaultChanged
};

struct Migration {
    std::uint32_t Version = 0; // files older than this get the steps
    std::vector<MigrationStep> Steps;
};

struct Schema {
    std::uint32_t SettingsVersion = 1;
    std::vector<NamedEntry> Categories;
    std::vector<SchemaOption> Options;
    std::map<std::string, std::size_t, std::less<>> OptionIndex;
    std::vector<std::size_t> PresetGroup; // option indices
    std::vector<Preset> Presets;
    std::vector<Tier> Tiers;
    std::vector<Migration> Migrations; // in ascending version order

    const SchemaOption* Find(std::string_view name) const;
    std::optional<std::size_t> IndexOf(std::string_view name) const;
    std::optional<std::size_t> PresetIndex(std::string_view name) const;
    bool HasCategory(std::string_view name) const;
};

// The name the settings version is recorded under, as a hidden Integer option.
inline constexpr char kVersionOptionName[] = "ZelKit.SettingsVersion";

// Reads and checks a schema. On an error returns false with message set to
// "NAME:LINE:COLUMN: problem" (name is how messages call the file).
bool ReadSchema(std::string_view text, std::string_view name, Schema& schema, std::string& message);

// The value a JSON scalar gives an option of type, or nothing when it is
// not of that type (a whole number for an Integer, any number for a Float,
// a string for an Enum, true or false for a Bool).
std::optional<KitValue> ValueFromJson(std::int32_t type, const nlohmann::json& value);

} // namespace qorva_zel::kit

namespace qorva_zel::kit {

// The option as the library's record: name, limits, and value as its value.
OptionRecord MakeRecord(const SchemaOption& option, const KitValue& value);

} // namespace qorva_zel::kit
