#include "kit/migration.h"

#include "text/utf.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qorva_zel::kit {
namespace {

void Rename(std::vector<FileOption>& options, const MigrationStep& step)
{
    bool renamed = false;
    for (const FileOption& option : options) {
        renamed = renamed || option.Name == step.Option;
    }
    if (!renamed) {
        return;
    }
    // The value under the old name is the player's: it replaces any of the
    // same type that the file holds under the new name.
    options.erase(std::remove_if(options.begin(), options.end(),
                                 [&](const FileOption& option) {
                                     if (option.Name != step.NewName) {
                                         return false;
                                     }
                                     for (const FileOption& old : options) {
                                         if (old.Name == step.Option && old.Value.Type == option.Value.Type) {
                                             return true;
                                         }
                                     }
                                     return false;
                                 }),
                  options.end());
    for (FileOption& option : options) {
        if (option.Name == step.Option) {
            option.Name = step.NewName;
            option.Record.Name = FromUtf8(step.NewName);
        }
    }
}

// The number a numeric value holds, and the value of type nearest to number.
double NumberOf(const KitValue& value)
{
    return value.Type == QORVA_ZEL_Integer ? static_cast<double>(value.Int) : static_cast<double>(value.Float);
}

void StoreNumber(double number, KitValue& value)
{
    if (value.Type == QORVA_ZEL_Integer) {
        const double rounded = std::round(number);
        value.Int = static_cast<std::int32_t>(std::clamp(rounded, static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                                                         static_cast<double>(std::numeric_limits<std::int32_t>::max())));
    } else {
        value.Float = static_cast<float>(number);
    }
}

// Within the option's range and on its nearest step.
void Clamp(KitValue& value, const SchemaOption& option)
{
    if (value.Type != option.Default.Type || option.NumSteps < 0 ||
        (value.Type != QORVA_ZEL_Integer && value.Type != QORVA_ZEL_Float)) {
        return;
    }
    const double min = NumberOf(option.MinValue);
    const double max = NumberOf(option.MaxValue);
    double number = std::clamp(NumberOf(value), min, max);
    if (std::isnan(NumberOf(value))) {
        number = NumberOf(option.Default);
    }
    if (option.NumSteps > 0) {
        double step = (max - min) / option.NumSteps;
        if (value.Type == QORVA_ZEL_Integer) {
            step = std::trunc(step);
        }
        if (step > 0) {
            number = std::min(max, min + std::round((number - min) / step) * step);
        }
    }
    StoreNumber(number, value);
}

void MapValues(std::vector<FileOption>& options, const MigrationStep& step)
{
    for (auto it = options.begin(); it != options.end();) {
        FileOption& option = *it;
        if (option.Name != step.Option) {
            ++it;
            continue;
        }
        const std::int32_t type = step.NewType.value_or(option.Value.Type);
        const std::string key = ValueText(option.Value);
        const nlohmann::json* mapped = nullptr;
        for (const auto& [from, to] : step.Map) {
            if (from == key) {
                mapped = &to;
            }
        }
        if (mapped == nullptr && step.Otherwise) {
            mapped = &*step.Otherwise;
        }
        std::optional<KitValue> value = mapped != nullptr ? ValueFromJson(type, *mapped) : std::nullopt;
        if (!value && mapped == nullptr && type == option.Value.Type) {
            ++it; // not named by the map: kept as it is
            continue;
        }
        if (!value) {
            it = options.erase(it); // nothing to carry over: the option takes its default
            continue;
        }
        option.Value = *value;
        option.Record.Type = type;
        option.Record.Values.clear();
        option.Record.NumSteps = -1;
        ++it;
    }
}

} // namespace

void MigrateOptions(std::vector<FileOption>& options, const Schema& schema, std::uint32_t fromVersion,
                    const std::vector<KitValue>& defaults)
{
    for (const Migration& migration : schema.Migrations) {
        if (migration.Version <= fromVersion) {
            continue;
        }
        for (const MigrationStep& step : migration.Steps) {
            switch (step.What) {
            case MigrationStep::Kind::Rename:
                Rename(options, step);
                break;
            case MigrationStep::Kind::MapValues:
                MapValues(options, step);
                break;
            case MigrationStep::Kind::Clamp:
                for (FileOption& option : options) {
                    if (option.Name == step.Option) {
                        Clamp(option.Value, *schema.Find(step.Option));
                    }
                }
                break;
            case MigrationStep::Kind::Rescale:
                for (FileOption& option : options) {
                    const std::int32_t type = option.Value.Type;
                    if (option.Name != step.Option || (type != QORVA_ZEL_Integer && type != QORVA_ZEL_Float)) {
                        continue;
                    }
                    const double share = (NumberOf(option.Value) - step.From[0]) / (step.From[1] - step.From[0]);
                    const double low = std::min(step.To[0], step.To[1]);
                    const double high = std::max(step.To[0], step.To[1]);
                    StoreNumber(std::clamp(step.To[0] + share * (step.To[1] - step.To[0]), low, high), option.Value);
                }
                break;
            case MigrationStep::Kind::Drop:
                options.erase(std::remove_if(options.begin(), options.end(),
                                             [&](const FileOption& option) { return option.Name == step.Option; }),
                              options.end());
                break;
            case MigrationStep::Kind::DefaultChanged:
                for (FileOption& option : options) {
                    if (option.Name != step.Option) {
                        continue;
                    }
                    const std::optional<KitValue> old = ValueFromJson(option.Value.Type, step.OldDefault);
                    option.Untouched = option.Untouched || (old && SameValue(*old, option.Value));
                }
                break;
            }
        }
    }
    // Values the player never changed follow the defaults of this version.
    for (FileOption& option : options) {
        const std::optional<std::size_t> index = schema.IndexOf(option.Name);
        if (option.Untouched && index && defaults[*index].Type == option.Value.Type) {
            option.Value = defaults[*index];
        }
    }
    // The version the file now has.
    KitValue version;
    version.Type = QORVA_ZEL_Integer;
    version.Int = static_cast<std::int32_t>(schema.SettingsVersion);
    for (FileOption& option : options) {
        if (option.Name == kVersionOptionName && option.Value.Type == QORVA_ZEL_Integer) {
            option.Value = version;
            return;
        }
    }
    FileOption added;
    added.Name = kVersionOptionName;
    added.Value = version;
    added.Record.Name = FromUtf8(kVersionOptionName);
    added.Record.Type = QORVA_ZEL_Integer;
    added.Record.NumSteps = -1;
    added.Registered = true;
    options.push_back(std::move(added));
}

} // namespace qorva_zel::kit
