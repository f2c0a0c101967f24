#include "kit/schema.h"

#include "kit/json_positions.h"
#include "registry/validate.h"
#include "settingsfile/settings_reader.h"
#include "text/utf.h"

#include <cmath>
#include <limits>
#include <set>

namespace qorva_zel::kit {
namespace {

using nlohmann::json;

// A problem at a place of the document.
struct Problem {
    std::string Pointer;
    std::string Message;
};

std::int32_t TypeFromWord(const std::string& word)
{
    for (std::int32_t type = QORVA_ZEL_Integer; type <= QORVA_ZEL_Bool; ++type) {
        if (word == TypeName(type)) {
            return type;
        }
    }
    return -1;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// Walks the document; every check that fails throws a Problem naming the
// value it is about.
class Reader {
public:
    explicit Reader(const json& root) : root_(root) {}

    [[noreturn]] static void Fail(const std::string& pointer, const std::string& message)
    {
        throw Problem{pointer, message};
    }

    static const json& Member(const json& object, const std::string& pointer, const char* key)
    {
        const auto found = object.find(key);
        if (found == object.end()) {
            Fail(pointer, std::string("\"") + key + "\" is missing");
        }
        return *found;
    }

    // Only the keys named (and "$comment", "$schema") may appear.
    static void OnlyKeys(const json& object, const std::string& pointer, std::initializer_list<const char*> keys)
    {
        for (auto it = object.begin(); it != object.end(); ++it) {
            bool known = it.key() == "$comment" || it.key() == "$schema";
            for (const char* key : keys) {
                known = known || it.key() == key;
            }
            if (!known) {
                Fail(pointer + "/" + PointerToken(it.key()) + "#key", "unknown key \"" + it.key() + "\"");
            }
        }
    }

    static const json& Object(const json& value, const std::string& pointer, const char* what)
    {
        if (!value.is_object()) {
            Fail(pointer, std::string(what) + " must be an object");
        }
        return value;
    }
    static const json& Array(const json& value, const std::string& pointer, const char* what)
    {
        if (!value.is_array()) {
            Fail(pointer, std::string(what) + " must be an array");
        }
        return value;
    }
    static std::string String(const json& value, const std::string& pointer, const char* what, bool allowEmpty = false)
    {
        if (!value.is_string() || (!allowEmpty && value.get_ref<const std::string&>().empty())) {
            Fail(pointer, std::string(what) + (allowEmpty ? " must be a string" : " must be a non-empty string"));
        }
        return value.get<std::string>();
    }
    static std::string OptionalString(const json& object, const std::string& pointer, const char* key)
    {
        const auto found = object.find(key);
        return found == object.end() ? std::string() : String(*found, pointer + "/" + key, key, true);
    }
    static bool OptionalBool(const json& object, const std::string& pointer, const char* key)
    {
        const auto found = object.find(key);
        if (found == object.end()) {
            return false;
        }
        if (!found->is_boolean()) {
            Fail(pointer + "/" + key, std::string(key) + " must be true or false");
        }
        return found->get<bool>();
    }
    static std::int64_t Whole(const json& value, const std::string& pointer, const char* what, std::int64_t min,
                              std::int64_t max)
    {
        if (!value.is_number_integer() && !value.is_number_unsigned()) {
            Fail(pointer, std::string(what) + " must be a whole number");
        }
        if (value.is_number_unsigned() && value.get<std::uint64_t>() > static_cast<std::uint64_t>(max)) {
            Fail(pointer, std::string(what) + " must be at most " + std::to_string(max));
        }
        const std::int64_t number = value.get<std::int64_t>();
        if (number < min || number > max) {
            Fail(pointer, std::string(what) + " must be from " + std::to_string(min) + " to " + std::to_string(max));
        }
        return number;
    }
    static double Number(const json& value, const std::string& pointer, const char* what)
    {
        if (!value.is_number()) {
            Fail(pointer, std::string(what) + " must be a number");
        }
        return value.get<double>();
    }

    Condition ReadCondition(const json& value, const std::string& pointer) const
    {
        Object(value, pointer, "a condition");
        Condition condition;
        const int forms = static_cast<int>(value.contains("fact")) + static_cast<int>(value.contains("tag")) +
                          static_cast<int>(value.contains("all")) + static_cast<int>(value.contains("any")) +
                          static_cast<int>(value.contains("not"));
        if (forms != 1) {
            Fail(pointer, "a condition has exactly one of \"fact\", \"tag\", \"all\", \"any\", \"not\"");
        }
        if (value.contains("fact")) {
            OnlyKeys(value, pointer, {"fact", "is", "atLeast", "atMost", "oneOf"});
            condition.What = Condition::Kind::Fact;
            condition.Name = String(value["fact"], pointer + "/fact", "fact");
            if (value.contains("is")) {
                const json& is = value["is"];
                if (!is.is_string() && !is.is_number() && !is.is_boolean()) {
                    Fail(pointer + "/is", "\"is\" must be a string, a number, true or false");
                }
                condition.Is = is;
            }
            if (value.contains("atLeast")) {
                condition.AtLeast = Number(value["atLeast"], pointer + "/atLeast", "atLeast");
            }
            if (value.contains("atMost")) {
                condition.AtMost = Number(value["atMost"], pointer + "/atMost", "atMost");
            }
            if (value.contains("oneOf")) {
                const json& list = Array(value["oneOf"], pointer + "/oneOf", "oneOf");
                for (std::size_t i = 0; i < list.size(); ++i) {
                    if (!list[i].is_string() && !list[i].is_number() && !list[i].is_boolean()) {
                        Fail(pointer + "/oneOf/" + std::to_string(i), "a string, a number, true or false");
                    }
                    condition.OneOf.push_back(list[i]);
                }
            }
            return condition;
        }
        if (value.contains("tag")) {
            OnlyKeys(value, pointer, {"tag"});
            condition.What = Condition::Kind::Tag;
            condition.Name = String(value["tag"], pointer + "/tag", "tag");
            return condition;
        }
        if (value.contains("not")) {
            OnlyKeys(value, pointer, {"not"});
            condition.What = Condition::Kind::Not;
            condition.Children.push_back(ReadCondition(value["not"], pointer + "/not"));
            return condition;
        }
        const char* key = value.contains("all") ? "all" : "any";
        OnlyKeys(value, pointer, {key});
        condition.What = value.contains("all") ? Condition::Kind::All : Condition::Kind::Any;
        const json& list = Array(value[key], pointer + "/" + key, key);
        for (std::size_t i = 0; i < list.size(); ++i) {
            condition.Children.push_back(ReadCondition(list[i], pointer + "/" + key + "/" + std::to_string(i)));
        }
        return condition;
    }

    // A value for the option: of its type and allowed by its limits.
    static KitValue CheckedValue(const SchemaOption& option, const json& value, const std::string& pointer,
                                 const std::string& what)
    {
        const std::optional<KitValue> read = ValueFromJson(option.Default.Type, value);
        if (!read) {
            Fail(pointer, what + " of " + option.Name + " must be " +
                              (option.Default.Type == QORVA_ZEL_Integer ? "a whole number"
                               : option.Default.Type == QORVA_ZEL_Float ? "a number"
                               : option.Default.Type == QORVA_ZEL_Enum  ? "a string"
                                                                        : "true or false"));
        }
        const OptionRecord record = MakeRecord(option, *read);
        std::u16string storage;
        QORVA_ZEL_Variant variant{};
        variant.Type = static_cast<QORVA_ZEL_OptionType>(read->Type);
        variant.Value = record.Value;
        if (read->Type == QORVA_ZEL_Enum) {
            variant.Value.StringValue = reinterpret_cast<const QORVA_ZEL_Char*>(record.StringValue.c_str());
        }
        switch (ValidateOptionValue(record, ViewOf(variant))) {
        case QORVA_ZEL_OK:
            return *read;
        case QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP:
            Fail(pointer, what + " " + ValueText(*read) + " of " + option.Name + " is not on one of its " +
                              std::to_string(option.NumSteps) + " steps");
        default:
            if (read->Type == QORVA_ZEL_Enum) {
                Fail(pointer, what + " " + Quoted(read->String) + " of " + option.Name + " is not one of its allowed strings");
            }
            Fail(pointer, what + " " + ValueText(*read) + " of " + option.Name + " is outside its range " +
                              ValueText(option.MinValue) + " to " + ValueText(option.MaxValue));
        }
    }

    SchemaOption ReadOption(const json& value, const std::string& pointer, const Schema& schema) const
    {
        Object(value, pointer, "an option");
        OnlyKeys(value, pointer,
                 {"name", "type", "default", "min", "max", "steps", "allowed", "category", "labelKey", "descriptionKey",
                  "restartRequired", "hidden", "availableWhen", "defaultByTag"});
        SchemaOption option;
        option.Name = String(Member(value, pointer, "name"), pointer + "/name", "name");
        if (option.Name == kVersionOptionName) {
            Fail(pointer + "/name", option.Name + " is the kit's own option");
        }
        if (schema.Find(option.Name) != nullptr) {
            Fail(pointer + "/name", "a second option named " + option.Name);
        }
        const std::string typeWord = String(Member(value, pointer, "type"), pointer + "/type", "type");
        const std::int32_t type = TypeFromWord(typeWord);
        if (type < 0) {
            Fail(pointer + "/type", "type " + Quoted(typeWord) + " is not Integer, Float, Enum or Bool");
        }
        option.Default.Type = type;
        option.MinValue.Type = type;
        option.MaxValue.Type = type;
        const bool numeric = type == QORVA_ZEL_Integer || type == QORVA_ZEL_Float;
        for (const char* key : {"min", "max", "steps"}) {
            if (!numeric && value.contains(key)) {
                Fail(pointer + "/" + key + "#key", std::string("\"") + key + "\" is for Integer and Float options");
            }
        }
        if (type != QORVA_ZEL_Enum && value.contains("allowed")) {
            Fail(pointer + "/allowed#key", "\"allowed\" is for Enum options");
        }
        if (numeric) {
            if (value.contains("min") != value.contains("max")) {
                Fail(pointer, "\"min\" and \"max\" come together");
            }
            if (value.contains("min")) {
                const std::optional<KitValue> min = ValueFromJson(type, value["min"]);
                const std::optional<KitValue> max = ValueFromJson(type, value["max"]);
                if (!min) {
                    Fail(pointer + "/min", std::string("min must be ") + (type == QORVA_ZEL_Integer ? "a whole number" : "a number"));
                }
                if (!max) {
                    Fail(pointer + "/max", std::string("max must be ") + (type == QORVA_ZEL_Integer ? "a whole number" : "a number"));
                }
                if (type == QORVA_ZEL_Integer ? min->Int > max->Int : !(min->Float <= max->Float)) {
                    Fail(pointer + "/max", "max " + ValueText(*max) + " is below min " + ValueText(*min));
                }
                option.MinValue = *min;
                option.MaxValue = *max;
                option.NumSteps = value.contains("steps")
                                      ? static_cast<std::int32_t>(Whole(value["steps"], pointer + "/steps", "steps", 0,
                                                                        std::numeric_limits<std::int32_t>::max()))
                                      : 0;
            } else if (value.contains("steps")) {
                Fail(pointer + "/steps#key", "\"steps\" needs \"min\" and \"max\"");
            }
        }
        if (type == QORVA_ZEL_Enum) {
            const json& allowed = Array(Member(value, pointer, "allowed"), pointer + "/allowed", "allowed");
            if (allowed.empty()) {
                Fail(pointer + "/allowed", "allowed lists no string");
            }
            std::set<std::string> seen;
            for (std::size_t i = 0; i < allowed.size(); ++i) {
                const std::string at = pointer + "/allowed/" + std::to_string(i);
                std::string text = String(allowed[i], at, "an allowed value", true);
                if (!seen.insert(text).second) {
                    Fail(at, Quoted(text) + " is allowed twice");
                }
                option.Allowed.push_back(std::move(text));
            }
        }
        option.Default = CheckedValue(option, Member(value, pointer, "default"), pointer + "/default", "the default");
        if (value.contains("defaultByTag")) {
            const std::string at = pointer + "/defaultByTag";
            const json& byTag = Object(value["defaultByTag"], at, "defaultByTag");
            for (auto it = byTag.begin(); it != byTag.end(); ++it) {
                option.DefaultByTag.emplace_back(
                    it.key(), CheckedValue(option, it.value(), at + "/" + PointerToken(it.key()),
                                           "the default for tag " + Quoted(it.key())));
            }
        }
        option.Category = OptionalString(value, pointer, "category");
        if (!option.Category.empty() && categoriesDeclared_ && !schema.HasCategory(option.Category)) {
            Fail(pointer + "/category", "category " + Quoted(option.Category) + " is not one of \"categories\"");
        }
        option.LabelKey = OptionalString(value, pointer, "labelKey");
        option.DescriptionKey = OptionalString(value, pointer, "descriptionKey");
        option.RestartRequired = OptionalBool(value, pointer, "restartRequired");
        option.Hidden = OptionalBool(value, pointer, "hidden");
        if (value.contains("availableWhen")) {
            option.AvailableWhen = ReadCondition(value["availableWhen"], pointer + "/availableWhen");
        }
        return option;
    }

    void ReadPresets(const json& value, Schema& schema) const
    {
        const std::string pointer = "/presets";
        Object(value, pointer, "presets");
        OnlyKeys(value, pointer, {"options", "levels"});
        const json& group = Array(Member(value, pointer, "options"), pointer + "/options", "the preset options");
        for (std::size_t i = 0; i < group.size(); ++i) {
            const std::string at = pointer + "/options/" + std::to_string(i);
            const std::string name = String(group[i], at, "an option name");
            const std::optional<std::size_t> index = schema.IndexOf(name);
            if (!index) {
                Fail(at, "no option is named " + name);
            }
            for (std::size_t earlier : schema.PresetGroup) {
                if (earlier == *index) {
                    Fail(at, name + " is named twice");
                }
            }
            schema.PresetGroup.push_back(*index);
        }
        const json& levels = Array(Member(value, pointer, "levels"), pointer + "/levels", "levels");
        for (std::size_t i = 0; i < levels.size(); ++i) {
            const std::string at = pointer + "/levels/" + std::to_string(i);
            Object(levels[i], at, "a preset");
            OnlyKeys(levels[i], at, {"name", "labelKey", "values"});
            Preset preset;
            preset.Name = String(Member(levels[i], at, "name"), at + "/name", "name");
            if (preset.Name == QORVA_ZEL_KIT_CUSTOM) {
                Fail(at + "/name", "\"Custom\" is the name of values that match no preset");
            }
            if (schema.PresetIndex(preset.Name)) {
                Fail(at + "/name", "a second preset named " + preset.Name);
            }
            preset.LabelKey = OptionalString(levels[i], at, "labelKey");
            const json& values = Object(Member(levels[i], at, "values"), at + "/values", "values");
            for (auto it = values.begin(); it != values.end(); ++it) {
                const std::optional<std::size_t> index = schema.IndexOf(it.key());
                bool inGroup = false;
                for (std::size_t member : schema.PresetGroup) {
                    inGroup = inGroup || (index && member == *index);
                }
                if (!inGroup) {
                    Fail(at + "/values/" + PointerToken(it.key()) + "#key",
                         it.key() + " is not one of the preset options");
                }
            }
            for (std::size_t member : schema.PresetGroup) {
                const SchemaOption& option = schema.Options[member];
                const auto found = values.find(option.Name);
                if (found == values.end()) {
                    Fail(at + "/values", "preset " + preset.Name + " gives no value for " + option.Name);
                }
                preset.Values.push_back(CheckedValue(option, *found, at + "/values/" + PointerToken(option.Name),
                                                     "the value of preset " + preset.Name));
            }
            schema.Presets.push_back(std::move(preset));
        }
    }

    void ReadTiers(const json& value, Schema& schema) const
    {
        Array(value, "/tiers", "tiers");
        for (std::size_t i = 0; i < value.size(); ++i) {
            const std::string at = "/tiers/" + std::to_string(i);
            Object(value[i], at, "a tier");
            OnlyKeys(value[i], at, {"name", "when", "preset"});
            Tier tier;
            tier.Name = String(Member(value[i], at, "name"), at + "/name", "name");
            if (value[i].contains("when")) {
                tier.When = ReadCondition(value[i]["when"], at + "/when");
            }
            const std::string preset = String(Member(value[i], at, "preset"), at + "/preset", "preset");
            const std::optional<std::size_t> index = schema.PresetIndex(preset);
            if (!index) {
                Fail(at + "/preset", "no preset is named " + preset);
            }
            tier.Preset = *index;
            schema.Tiers.push_back(std::move(tier));
        }
    }

    MigrationStep ReadStep(const json& value, const std::string& at, const Schema& schema) const
    {
        Object(value, at, "a migration step");
        MigrationStep step;
        static const char* const kKinds[] = {"rename", "mapValues", "clamp", "rescale", "drop", "defaultChanged"};
        int kinds = 0;
        for (int i = 0; i < 6; ++i) {
            if (value.contains(kKinds[i])) {
                step.What = static_cast<MigrationStep::Kind>(i);
                ++kinds;
            }
        }
        if (kinds != 1) {
            Fail(at, "a step has exactly one of \"rename\", \"mapValues\", \"clamp\", \"rescale\", \"drop\", "
                     "\"defaultChanged\"");
        }
        const char* key = kKinds[static_cast<int>(step.What)];
        step.Option = String(value[key], at + "/" + key, "the option name");
        switch (step.What) {
        case MigrationStep::Kind::Rename:
            OnlyKeys(value, at, {"rename", "to"});
            step.NewName = String(Member(value, at, "to"), at + "/to", "to");
            break;
        case MigrationStep::Kind::MapValues: {
            OnlyKeys(value, at, {"mapValues", "type", "map", "otherwise"});
            if (value.contains("type")) {
                const std::string word = String(value["type"], at + "/type", "type");
                step.NewType = TypeFromWord(word);
                if (*step.NewType < 0) {
                    Fail(at + "/type", "type " + Quoted(word) + " is not Integer, Float, Enum or Bool");
                }
            }
            const json& map = Object(Member(value, at, "map"), at + "/map", "map");
            for (auto it = map.begin(); it != map.end(); ++it) {
                if (!it.value().is_primitive() || it.value().is_null()) {
                    Fail(at + "/map/" + PointerToken(it.key()), "a new value is a string, a number, true or false");
                }
                step.Map.emplace_back(it.key(), it.value());
            }
            if (value.contains("otherwise")) {
                step.Otherwise = value["otherwise"];
            }
            break;
        }
        case MigrationStep::Kind::Clamp: {
            OnlyKeys(value, at, {"clamp"});
            const SchemaOption* option = schema.Find(step.Option);
            if (option == nullptr || option->NumSteps < 0) {
                Fail(at + "/clamp", "clamp needs an Integer or Float option of the schema with a range; " +
                                        step.Option + " is none");
            }
            break;
        }
        case MigrationStep::Kind::Rescale: {
            OnlyKeys(value, at, {"rescale", "from", "to"});
            for (const char* end : {"from", "to"}) {
                const json& pair = Array(Member(value, at, end), at + "/" + end, end);
                if (pair.size() != 2) {
                    Fail(at + "/" + end, std::string(end) + " is [low, high]");
                }
                double* into = std::string(end) == "from" ? step.From : step.To;
                into[0] = Number(pair[0], at + "/" + end + "/0", "low");
                into[1] = Number(pair[1], at + "/" + end + "/1", "high");
            }
            if (!(step.From[0] < step.From[1])) {
                Fail(at + "/from", "from's low must be below its high");
            }
            break;
        }
        case MigrationStep::Kind::Drop:
            OnlyKeys(value, at, {"drop"});
            break;
        case MigrationStep::Kind::DefaultChanged:
            OnlyKeys(value, at, {"defaultChanged", "from"});
            step.OldDefault = Member(value, at, "from");
            if (!step.OldDefault.is_primitive() || step.OldDefault.is_null()) {
                Fail(at + "/from", "from is the earlier default: a string, a number, true or false");
            }
            break;
        }
        return step;
    }

    void ReadMigrations(const json& value, Schema& schema) const
    {
        Array(value, "/migrations", "migrations");
        std::uint32_t previous = 0;
        for (std::size_t i = 0; i < value.size(); ++i) {
            const std::string at = "/migrations/" + std::to_string(i);
            Object(value[i], at, "a migration");
            OnlyKeys(value[i], at, {"version", "steps"});
            Migration migration;
            migration.Version = static_cast<std::uint32_t>(
                Whole(Member(value[i], at, "version"), at + "/version", "version", 1, schema.SettingsVersion));
            if (migration.Version <= previous) {
                Fail(at + "/version", "migrations come in ascending order of version, each version once");
            }
            previous = migration.Version;
            const json& steps = Array(Member(value[i], at, "steps"), at + "/steps", "steps");
            for (std::size_t s = 0; s < steps.size(); ++s) {
                migration.Steps.push_back(ReadStep(steps[s], at + "/steps/" + std::to_string(s), schema));
            }
            schema.Migrations.push_back(std::move(migration));
        }
    }

    void Read(Schema& schema) const
    {
        Object(root_, "", "the schema");
        OnlyKeys(root_, "", {"settingsVersion", "categories", "options", "presets", "tiers", "migrations"});
        schema.SettingsVersion = static_cast<std::uint32_t>(
            Whole(Member(root_, "", "settingsVersion"), "/settingsVersion", "settingsVersion", 1,
                  std::numeric_limits<std::int32_t>::max()));
        if (root_.contains("categories")) {
            const json& categories = Array(root_["categories"], "/categories", "categories");
            for (std::size_t i = 0; i < categories.size(); ++i) {
                const std::string at = "/categories/" + std::to_string(i);
                Object(categories[i], at, "a category");
                OnlyKeys(categories[i], at, {"name", "labelKey"});
                NamedEntry category{String(Member(categories[i], at, "name"), at + "/name", "name"),
                                    OptionalString(categories[i], at, "labelKey")};
                if (schema.HasCategory(category.Name)) {
                    Fail(at + "/name", "a second category named " + category.Name);
                }
                schema.Categories.push_back(std::move(category));
            }
        }
        categoriesDeclared_ = root_.contains("categories");
        const bool declared = categoriesDeclared_;
        const json& options = Array(Member(root_, "", "options"), "/options", "options");
        schema.Options.reserve(options.size());
        for (std::size_t i = 0; i < options.size(); ++i) {
            SchemaOption option = ReadOption(options[i], "/options/" + std::to_string(i), schema);
            if (!declared && !option.Category.empty() && !schema.HasCategory(option.Category)) {
                schema.Categories.push_back({option.Category, {}});
            }
            schema.OptionIndex.emplace(option.Name, schema.Options.size());
            schema.Options.push_back(std::move(option));
        }
        if (root_.contains("presets")) {
            ReadPresets(root_["presets"], schema);
        }
        if (root_.contains("tiers")) {
            ReadTiers(root_["tiers"], schema);
        }
        if (root_.contains("migrations")) {
            ReadMigrations(root_["migrations"], schema);
        }
    }

private:
    const json& root_;
    mutable bool categoriesDeclared_ = false;
};

// The offset of the value at pointer, or of the nearest enclosing one.
std::size_t OffsetOf(const PositionedJson& document, std::string pointer)
{
    for (;;) {
        const auto found = document.Offsets.find(pointer);
        if (found != document.Offsets.end()) {
            return found->second;
        }
        if (pointer.empty()) {
            return 0;
        }
        const std::size_t hash = pointer.rfind('#');
        pointer.erase(hash != std::string::npos ? hash : pointer.rfind('/'));
    }
}

std::string Located(std::string_view text, std::string_view name, std::size_t offset, const std::string& problem)
{
    const TextPosition at = PositionOf(text, std::min(offset, text.size()));
    return std::string(name) + ":" + std::to_string(at.Line) + ":" + std::to_string(at.Column) + ": " + problem;
}

} // namespace

const SchemaOption* Schema::Find(std::string_view name) const
{
    const auto found = OptionIndex.find(name);
    return found == OptionIndex.end() ? nullptr : &Options[found->second];
}

std::optional<std::size_t> Schema::IndexOf(std::string_view name) const
{
    const auto found = OptionIndex.find(name);
    return found == OptionIndex.end() ? std::nullopt : std::optional<std::size_t>(found->second);
}

std::optional<std::size_t> Schema::PresetIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < Presets.size(); ++i) {
        if (Presets[i].Name == name) {
            return i;
        }
    }
    return std::nullopt;
}

bool Schema::HasCategory(std::string_view name) const
{
    for (const NamedEntry& category : Categories) {
        if (category.Name == name) {
            return true;
        }
    }
    return false;
}

std::optional<KitValue> ValueFromJson(std::int32_t type, const nlohmann::json& value)
{
    KitValue read;
    read.Type = type;
    switch (type) {
    case QORVA_ZEL_Integer:
        if (value.is_number_integer() && !value.is_number_unsigned()) {
            const std::int64_t number = value.get<std::int64_t>();
            if (number >= std::numeric_limits<std::int32_t>::min() && number <= std::numeric_limits<std::int32_t>::max()) {
                read.Int = static_cast<std::int32_t>(number);
                return read;
            }
        } else if (value.is_number_unsigned() && value.get<std::uint64_t>() <= std::numeric_limits<std::int32_t>::max()) {
            read.Int = static_cast<std::int32_t>(value.get<std::uint64_t>());
            return read;
        }
        return std::nullopt;
    case QORVA_ZEL_Float:
        if (value.is_number()) {
            const double number = value.get<double>();
            if (std::isfinite(number) && std::fabs(number) <= std::numeric_limits<float>::max()) {
                read.Float = static_cast<float>(number);
                return read;
            }
        }
        return std::nullopt;
    case QORVA_ZEL_Enum:
        if (value.is_string()) {
            read.String = value.get<std::string>();
            return read;
        }
        return std::nullopt;
    default:
        if (value.is_boolean()) {
            read.Bool = value.get<bool>();
            return read;
        }
        return std::nullopt;
    }
}

OptionRecord MakeRecord(const SchemaOption& option, const KitValue& value)
{
    OptionRecord record;
    record.Name = FromUtf8(option.Name);
    StoreInRecord(value, record);
    record.Type = option.Default.Type;
    if (option.Default.Type == QORVA_ZEL_Integer) {
        record.MinValue.IntValue = option.MinValue.Int;
        record.MaxValue.IntValue = option.MaxValue.Int;
    } else if (option.Default.Type == QORVA_ZEL_Float) {
        record.MinValue.FloatValue = option.MinValue.Float;
        record.MaxValue.FloatValue = option.MaxValue.Float;
    }
    record.NumSteps = option.NumSteps;
    for (const std::string& allowed : option.Allowed) {
        record.Values.push_back(FromUtf8(allowed));
    }
    return record;
}

bool ReadSchema(std::string_view text, std::string_view name, Schema& schema, std::string& message)
{
    nlohmann::json root;
    std::size_t errorOffset = 0;
    std::string error;
    if (!ParseJson(text, root, errorOffset, error)) {
        message = Located(text, name, errorOffset, error);
        return false;
    }
    try {
        Schema read;
        Reader(root).Read(read);
        schema = std::move(read);
        return true;
    } catch (const Problem& problem) {
        // Only now are the places of the values needed.
        PositionedJson document;
        ParseJsonWithPositions(text, document, errorOffset, error);
        message = Located(text, name, OffsetOf(document, problem.Pointer), problem.Message);
        return false;
    }
}

} // namespace qorva_zel::kit
