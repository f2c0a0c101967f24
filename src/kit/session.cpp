#include "kit/session.h"

#include "kit/migration.h"
#include "kit/system.h"
#include "registry/validate.h"
#include "settingsfile/settings_writer.h"
#include "text/utf.h"

#include <algorithm>
#include <thread>

namespace qorva_zel::kit {
namespace {

constexpr QORVA_ZEL_Version kLibraryVersion{QORVA_ZEL_VERSION_MAJOR, QORVA_ZEL_VERSION_MINOR, QORVA_ZEL_VERSION_BUILD,
                                            QORVA_ZEL_VERSION_REVISION};

// A native path in UTF-8, for messages and records (one of the two is the
// platform's NativePath).
[[maybe_unused]] std::string PathText(const std::string& path)
{
    return path;
}
[[maybe_unused]] std::string PathText(const std::wstring& path)
{
    return ToUtf8(std::u16string(path.begin(), path.end()));
}

const QORVA_ZEL_Char* Units(const std::u16string& text)
{
    return reinterpret_cast<const QORVA_ZEL_Char*>(text.c_str());
}

// Registers an option with the library: its limits and its default.
QORVA_ZEL_Status RegisterWithLibrary(const OptionRecord& record)
{
    QORVA_ZEL_OptionDesc desc{};
    desc.Name = Units(record.Name);
    desc.Type = static_cast<QORVA_ZEL_OptionType>(record.Type);
    desc.Value = record.Value;
    std::vector<const QORVA_ZEL_Char*> allowed;
    if (record.Type == QORVA_ZEL_Enum) {
        desc.Value.StringValue = Units(record.StringValue);
        for (const std::u16string& value : record.Values) {
            allowed.push_back(Units(value));
        }
        desc.Limits.EnumList.Values = allowed.data();
        desc.Limits.EnumList.NumValues = static_cast<std::uint32_t>(allowed.size());
    } else {
        desc.Limits.Range.MinValue = record.MinValue;
        desc.Limits.Range.MaxValue = record.MaxValue;
        desc.Limits.Range.NumSteps = record.NumSteps;
    }
    return QORVA_ZEL_RegisterOption(&desc);
}

bool InCategory(const SchemaOption& option, std::string_view category)
{
    return option.Category == category;
}

bool Everything(const SchemaOption& /*option*/, std::string_view /*unused*/)
{
    return true;
}

} // namespace

Session::~Session()
{
    if (initialised_) {
        QORVA_ZEL_ReleaseSDK();
    }
}

QORVA_ZEL_Status Session::Open(const QORVA_ZEL_KIT_OpenInfo& info, std::unique_ptr<Session>& session,
                               OpenResultObject& result, std::string& message)
{
    // The schema first: a broken one registers nothing.
    const std::string schemaName = info.SchemaPath != nullptr ? info.SchemaPath : "schema";
    std::string text;
    if (info.SchemaText != nullptr) {
        text.assign(info.SchemaText, info.SchemaTextLength);
    } else if (ReadWholeFile(ToNativePath(FromUtf8(info.SchemaPath)), text) != ReadOutcome::Ok) {
        message = schemaName + ": the schema cannot be read (missing, not a regular file, or unreadable)";
        return QORVA_ZEL_KIT_ERROR_SCHEMA;
    }
    auto opened = std::make_unique<Session>();
    Session& kit = *opened;
    if (!ReadSchema(text, schemaName, kit.schema_, message)) {
        return QORVA_ZEL_KIT_ERROR_SCHEMA;
    }

    // Facts and tags, then each option's default and availability.
    for (std::uint32_t i = 0; i < info.FactCount; ++i) {
        kit.facts_.Values.emplace_back(info.Facts[i].Name, info.Facts[i].Value);
    }
    if ((info.Flags & QORVA_ZEL_KIT_OPEN_NO_SYSTEM_FACTS) == 0) {
        kit.facts_.Values.emplace_back("logicalCpus", std::to_string(std::thread::hardware_concurrency()));
        if (const std::optional<std::uint64_t> memory = PhysicalMemoryMiB()) {
            kit.facts_.Values.emplace_back("memoryMB", std::to_string(*memory));
        }
        kit.facts_.Values.emplace_back("os", OperatingSystemName());
    }
    for (std::uint32_t i = 0; i < info.TagCount; ++i) {
        kit.facts_.Tags.emplace_back(info.Tags[i]);
    }
    for (const SchemaOption& option : kit.schema_.Options) {
        OptionState state;
        state.Name = FromUtf8(option.Name);
        state.Default = option.Default;
        bool found = false;
        for (const std::string& tag : kit.facts_.Tags) {
            for (const auto& [optionTag, value] : option.DefaultByTag) {
                if (!found && optionTag == tag) {
                    state.Default = value;
                    found = true;
                }
            }
        }
        state.Available = !option.AvailableWhen || Holds(*option.AvailableWhen, kit.facts_);
        kit.states_.push_back(std::move(state));
    }

    // The library, the options and the modes.
    const char* const strings[6] = {info.DisplayName, info.VersionName, info.InstallPath,
                                    info.ConfigPath,  info.Executable,  info.ExecCmd};
    for (int i = 0; i < 6; ++i) {
        kit.application_[i] = FromUtf8(strings[i]);
    }
    const QORVA_ZEL_ApplicationInfo application{Units(kit.application_[0]), Units(kit.application_[1]),
                                                Units(kit.application_[2]), Units(kit.application_[3]),
                                                Units(kit.application_[4]), Units(kit.application_[5])};
    QORVA_ZEL_Status status = QORVA_ZEL_InitializeSDK(&application, &kLibraryVersion);
    if (status == QORVA_ZEL_ERROR_ALREADY_INITIALIZED) {
        message = "the library is already initialised: the kit initialises it itself";
        return QORVA_ZEL_KIT_ERROR_LIBRARY_IN_USE;
    }
    if (status != QORVA_ZEL_OK) {
        message = std::string("the library refused to initialise: ") + QORVA_ZEL_KIT_StatusText(status);
        return status;
    }
    kit.initialised_ = true; // from here on the destructor releases it
    for (std::size_t i = 0; i < kit.schema_.Options.size() && status == QORVA_ZEL_OK; ++i) {
        if (kit.states_[i].Available) {
            status = RegisterWithLibrary(MakeRecord(kit.schema_.Options[i], kit.states_[i].Default));
        }
    }
    if (status == QORVA_ZEL_OK) {
        OptionRecord version;
        version.Name = FromUtf8(kVersionOptionName);
        version.Type = QORVA_ZEL_Integer;
        version.Value.IntValue = static_cast<std::int32_t>(kit.schema_.SettingsVersion);
        version.NumSteps = -1;
        status = RegisterWithLibrary(version);
    }
    if (status == QORVA_ZEL_OK && info.ResolutionCount > 0) {
        kit.modes_.assign(info.Resolutions, info.Resolutions + info.ResolutionCount);
        status = QORVA_ZEL_RegisterResolutions(kit.modes_.data(), info.ResolutionCount);
    }
    if (status != QORVA_ZEL_OK) {
        message = std::string("the library refused a registration: ") + QORVA_ZEL_KIT_StatusText(status);
        return status;
    }
    kit.settingsPath16_ = kit.application_[3] + u"\\GFXSettings." + kit.application_[4] + u".xml";
    kit.settingsPath_ = ToNativePath(kit.settingsPath16_);

    // The file; on a first run, the preset of the hardware tier.
    const LoadOutcome loaded = kit.LoadFile();
    result.LoadStatus = loaded.Status;
    result.SchemaVersion = kit.schema_.SettingsVersion;
    result.FileVersion = loaded.FileVersion;
    result.Migrated = loaded.Migrated ? 1 : 0;
    result.MigrationStatus = loaded.MigrationStatus;
    result.BackupPath = loaded.BackupPath.empty() ? nullptr : result.Keep(loaded.BackupPath);
    result.NewerFile = loaded.Newer ? 1 : 0;
    result.TierIndex = -1;
    result.SettingsPath = result.Keep(PathText(kit.settingsPath_));
    if (loaded.Status == QORVA_ZEL_ERROR_FILE_NOT_FOUND) {
        result.FirstRun = 1;
        result.FileVersion = kit.schema_.SettingsVersion;
        for (std::size_t i = 0; i < kit.schema_.Tiers.size(); ++i) {
            const Tier& tier = kit.schema_.Tiers[i];
            if (tier.When && !Holds(*tier.When, kit.facts_)) {
                continue;
            }
            const Preset& preset = kit.schema_.Presets[tier.Preset];
            status = kit.ApplyPreset(preset.Name);
            if (status != QORVA_ZEL_OK) {
                message = "the preset " + preset.Name + " of tier " + tier.Name + " was refused: " +
                          QORVA_ZEL_KIT_StatusText(status);
                return status;
            }
            result.Preset = result.Keep(preset.Name);
            result.TierIndex = static_cast<std::int32_t>(i);
            result.TierName = result.Keep(tier.Name);
            break;
        }
    }
    result.FindingCount = static_cast<std::uint32_t>(kit.findings_.size());
    session = std::move(opened);
    return QORVA_ZEL_OK;
}

Session::LoadOutcome Session::LoadFile()
{
    LoadOutcome outcome;
    std::string bytes;
    std::unique_ptr<SettingsDocument> document;
    std::vector<FileOption> options;
    if (ReadWholeFile(settingsPath_, bytes) == ReadOutcome::Ok) {
        document = std::make_unique<SettingsDocument>();
        ReadOptions read;
        read.KeepSource = true;
        if (!ReadSettingsDocument(bytes, *document, read)) {
            document.reset(); // the library's load says -1
        }
    }
    if (document) {
        options = ReadFileOptions(*document);
        outcome.FileVersion = FileVersion(options);
        outcome.Newer = outcome.FileVersion > schema_.SettingsVersion;
        if (outcome.FileVersion < schema_.SettingsVersion) {
            std::vector<KitValue> defaults;
            for (const OptionState& state : states_) {
                defaults.push_back(state.Default);
            }
            outcome.Migrated = true;
            MigrateOptions(options, schema_, outcome.FileVersion, defaults);
            outcome.MigrationStatus = WriteMigrated(bytes, outcome.FileVersion, options, *document, outcome.BackupPath);
            if (outcome.MigrationStatus != QORVA_ZEL_OK) {
                options = ReadFileOptions(*document); // the library loads the file as it is
            }
        }
    }
    outcome.Status = QORVA_ZEL_LoadConfigFile();
    if (outcome.Status != QORVA_ZEL_OK) {
        return outcome; // nothing changed
    }
    findings_.clear();
    reportFile_ = PathText(settingsPath_);
    if (document) {
        std::vector<bool> available;
        std::vector<KitValue> defaults;
        for (const OptionState& state : states_) {
            available.push_back(state.Available);
            defaults.push_back(state.Default);
        }
        findings_ = JudgeFile(options, *document, OptionVerdicts{&schema_, &available, &defaults});
        if (outcome.Migrated && outcome.MigrationStatus == QORVA_ZEL_OK) {
            reportFile_ = outcome.BackupPath; // the lines are those of the file as it was
        }
    }
    // What the file holds is the saved state (the last of a name and type).
    for (OptionState& state : states_) {
        state.Saved.reset();
    }
    for (const FileOption& option : options) {
        const std::optional<std::size_t> index = schema_.IndexOf(option.Name);
        if (index && option.Value.Type == states_[*index].Default.Type) {
            states_[*index].Saved = option.Value;
        }
    }
    // Hidden options keep the game's values, not the file's.
    for (std::size_t i = 0; i < schema_.Options.size(); ++i) {
        const OptionState& state = states_[i];
        if (schema_.Options[i].Hidden && state.Available && !SameValue(CurrentValue(i), state.Default)) {
            std::u16string storage;
            const QORVA_ZEL_Variant variant = ToVariant(state.Default, storage);
            QORVA_ZEL_SetOptionValue(&variant, Units(state.Name));
        }
    }
    return outcome;
}

QORVA_ZEL_Status Session::WriteMigrated(const std::string& original, std::uint32_t fileVersion,
                                        const std::vector<FileOption>& options, const SettingsDocument& document,
                                        std::string& backupPath) const
{
    const NativePath backup = ToNativePath(settingsPath16_ + u".v" + FromUtf8(std::to_string(fileVersion)) + u".bak");
    if (ReplaceFileAtomically(backup, original) != ReplaceOutcome::Ok) {
        return QORVA_ZEL_KIT_ERROR_BACKUP;
    }
    backupPath = PathText(backup);

    std::vector<OptionRecord> records;
    std::vector<bool> registered;
    records.reserve(options.size());
    for (const FileOption& option : options) {
        const SchemaOption* known = schema_.Find(option.Name);
        if (known != nullptr && known->Default.Type == option.Value.Type) {
            records.push_back(MakeRecord(*known, option.Value));
            registered.push_back(true);
        } else {
            records.push_back(option.Record);
            StoreInRecord(option.Value, records.back());
            registered.push_back(option.Registered);
        }
    }
    SettingsToWrite settings;
    settings.Application = {application_[0], application_[1], application_[2],
                            application_[3], application_[4], application_[5]};
    QORVA_ZEL_Resolution current{};
    QORVA_ZEL_GetResolution(&current);
    settings.Resolution.Width = document.Resolution.Width.value_or(current.Width);
    settings.Resolution.Height = document.Resolution.Height.value_or(current.Height);
    settings.Resolution.RefreshRate = document.Resolution.RefreshRate.value_or(current.RefreshRate);
    settings.Listed = modes_.data();
    settings.ListedCount = modes_.size();
    for (std::size_t i = 0; i < records.size(); ++i) {
        settings.Options.push_back({&records[i], registered[i]});
    }
    const std::u16string text = WriteSettingsText(settings);
    return ReplaceFileAtomically(settingsPath_, FileBytes(text)) == ReplaceOutcome::Ok ? QORVA_ZEL_OK : QORVA_ZEL_ERROR_FILE;
}

QORVA_ZEL_Status Session::Load()
{
    const LoadOutcome outcome = LoadFile();
    return outcome.Status;
}

QORVA_ZEL_Status Session::Save()
{
    const QORVA_ZEL_Status status = QORVA_ZEL_SaveConfigFile(0);
    if (status == QORVA_ZEL_OK) {
        for (std::size_t i = 0; i < states_.size(); ++i) {
            if (states_[i].Available) {
                states_[i].Saved = CurrentValue(i);
            }
        }
    }
    return status;
}

KitValue Session::CurrentValue(std::size_t index) const
{
    const OptionState& state = states_[index];
    if (!state.Available) {
        return state.Default;
    }
    QORVA_ZEL_Variant variant{};
    const QORVA_ZEL_Status status = QORVA_ZEL_GetOptionValue(&variant, Units(state.Name));
    KitValue value = state.Default;
    if ((status == QORVA_ZEL_OK || status == QORVA_ZEL_ERROR_AMBIGUOUS_OPTION) && variant.Type == state.Default.Type) {
        value = FromVariant(variant);
    }
    QORVA_ZEL_ReleaseVariant(&variant);
    return value;
}

QORVA_ZEL_Status Session::GetValue(std::string_view name, KitValue& value) const
{
    const std::optional<std::size_t> index = schema_.IndexOf(name);
    if (!index) {
        return QORVA_ZEL_ERROR_OPTION_NOT_FOUND;
    }
    value = CurrentValue(*index);
    return QORVA_ZEL_OK;
}

QORVA_ZEL_Status Session::SetMany(const std::vector<std::pair<std::size_t, KitValue>>& changes)
{
    // Checked first with the library's own rules, so that a refusal comes
    // before anything is stored.
    for (const auto& [index, value] : changes) {
        std::u16string storage;
        const QORVA_ZEL_Status status =
            ValidateOptionValue(MakeRecord(schema_.Options[index], states_[index].Default), ViewOf(ToVariant(value, storage)));
        if (status != QORVA_ZEL_OK) {
            return status;
        }
    }
    std::vector<std::pair<std::size_t, KitValue>> done;
    for (const auto& [index, value] : changes) {
        KitValue before = CurrentValue(index);
        std::u16string storage;
        const QORVA_ZEL_Variant variant = ToVariant(value, storage);
        const QORVA_ZEL_Status status = QORVA_ZEL_SetOptionValue(&variant, Units(states_[index].Name));
        if (status != QORVA_ZEL_OK) {
            // Someone registered the name otherwise: put back what was set.
            for (auto undo = done.rbegin(); undo != done.rend(); ++undo) {
                const QORVA_ZEL_Variant old = ToVariant(undo->second, storage);
                QORVA_ZEL_SetOptionValue(&old, Units(states_[undo->first].Name));
            }
            return status;
        }
        done.emplace_back(index, std::move(before));
    }
    return QORVA_ZEL_OK;
}

QORVA_ZEL_Status Session::SetValue(std::string_view name, const KitValue& value)
{
    const std::optional<std::size_t> index = schema_.IndexOf(name);
    if (!index) {
        return QORVA_ZEL_ERROR_OPTION_NOT_FOUND;
    }
    if (!states_[*index].Available) {
        return QORVA_ZEL_KIT_ERROR_UNAVAILABLE;
    }
    if (value.Type != states_[*index].Default.Type) {
        return QORVA_ZEL_ERROR_TYPE_MISMATCH;
    }
    return SetMany({{*index, value}});
}

QORVA_ZEL_Status Session::ApplyPreset(std::string_view name)
{
    const std::optional<std::size_t> found = schema_.PresetIndex(name);
    if (!found) {
        return QORVA_ZEL_KIT_ERROR_NOT_FOUND;
    }
    const Preset& preset = schema_.Presets[*found];
    std::vector<std::pair<std::size_t, KitValue>> changes;
    for (std::size_t i = 0; i < schema_.PresetGroup.size(); ++i) {
        const std::size_t index = schema_.PresetGroup[i];
        if (states_[index].Available) {
            changes.emplace_back(index, preset.Values[i]);
        }
    }
    return SetMany(changes);
}

std::string Session::CurrentPreset() const
{
    if (schema_.Presets.empty()) {
        return QORVA_ZEL_KIT_CUSTOM;
    }
    std::vector<KitValue> current;
    for (std::size_t index : schema_.PresetGroup) {
        current.push_back(CurrentValue(index));
    }
    for (const Preset& preset : schema_.Presets) {
        bool matches = true;
        for (std::size_t i = 0; i < schema_.PresetGroup.size() && matches; ++i) {
            matches = !states_[schema_.PresetGroup[i]].Available || SameValue(current[i], preset.Values[i]);
        }
        if (matches) {
            return preset.Name;
        }
    }
    return QORVA_ZEL_KIT_CUSTOM;
}

QORVA_ZEL_Status Session::ResetWhere(bool (*matches)(const SchemaOption&, std::string_view), std::string_view what)
{
    std::vector<std::pair<std::size_t, KitValue>> changes;
    for (std::size_t i = 0; i < schema_.Options.size(); ++i) {
        if (states_[i].Available && matches(schema_.Options[i], what)) {
            changes.emplace_back(i, states_[i].Default);
        }
    }
    return SetMany(changes);
}

QORVA_ZEL_Status Session::ResetOption(std::string_view name)
{
    const std::optional<std::size_t> index = schema_.IndexOf(name);
    if (!index) {
        return QORVA_ZEL_ERROR_OPTION_NOT_FOUND;
    }
    if (!states_[*index].Available) {
        return QORVA_ZEL_OK; // it holds its default already
    }
    return SetMany({{*index, states_[*index].Default}});
}

QORVA_ZEL_Status Session::ResetCategory(std::string_view category)
{
    if (!schema_.HasCategory(category)) {
        return QORVA_ZEL_KIT_ERROR_NOT_FOUND;
    }
    return ResetWhere(InCategory, category);
}

QORVA_ZEL_Status Session::ResetAll()
{
    return ResetWhere(Everything, {});
}

QORVA_ZEL_Status Session::HoldsDefault(std::string_view name, bool& holds) const
{
    const std::optional<std::size_t> index = schema_.IndexOf(name);
    if (!index) {
        return QORVA_ZEL_ERROR_OPTION_NOT_FOUND;
    }
    holds = SameValue(CurrentValue(*index), states_[*index].Default);
    return QORVA_ZEL_OK;
}

QORVA_ZEL_Status Session::List(std::uint32_t order, const char* category, std::uint32_t flags,
                               std::unique_ptr<QORVA_ZEL_KIT_Listing>& out) const
{
    if (order > QORVA_ZEL_KIT_ORDER_CATEGORY || (flags & ~std::uint32_t{QORVA_ZEL_KIT_LIST_HIDDEN}) != 0) {
        return QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT;
    }
    if (category != nullptr && !schema_.HasCategory(category)) {
        return QORVA_ZEL_KIT_ERROR_NOT_FOUND;
    }
    std::vector<std::size_t> chosen;
    const auto wanted = [&](std::size_t i) {
        const SchemaOption& option = schema_.Options[i];
        return (!option.Hidden || (flags & QORVA_ZEL_KIT_LIST_HIDDEN) != 0) &&
               (category == nullptr || option.Category == category);
    };
    if (order == QORVA_ZEL_KIT_ORDER_SCHEMA) {
        for (std::size_t i = 0; i < schema_.Options.size(); ++i) {
            if (wanted(i)) {
                chosen.push_back(i);
            }
        }
    } else {
        for (const NamedEntry& group : schema_.Categories) {
            for (std::size_t i = 0; i < schema_.Options.size(); ++i) {
                if (wanted(i) && schema_.Options[i].Category == group.Name) {
                    chosen.push_back(i);
                }
            }
        }
        for (std::size_t i = 0; i < schema_.Options.size(); ++i) {
            if (wanted(i) && schema_.Options[i].Category.empty()) {
                chosen.push_back(i);
            }
        }
    }

    auto listing = std::make_unique<QORVA_ZEL_KIT_Listing>();
    QORVA_ZEL_KIT_Listing& list = *listing;
    const auto publicValue = [&list](const KitValue& value) {
        return ToPublic(value, value.Type == QORVA_ZEL_Enum ? list.Keep(value.String) : nullptr);
    };
    for (std::size_t index : chosen) {
        const SchemaOption& option = schema_.Options[index];
        const OptionState& state = states_[index];
        QORVA_ZEL_KIT_OptionInfo info{};
        info.Name = list.Keep(option.Name);
        info.Type = static_cast<QORVA_ZEL_OptionType>(option.Default.Type);
        info.Category = list.Keep(option.Category);
        info.LabelKey = list.Keep(option.LabelKey);
        info.DescriptionKey = list.Keep(option.DescriptionKey);
        const KitValue current = CurrentValue(index);
        info.Default = publicValue(state.Default);
        info.Current = publicValue(current);
        const auto bit = [](bool set, std::uint32_t flag) { return set ? flag : 0u; };
        std::uint32_t bits = bit(option.RestartRequired, QORVA_ZEL_KIT_OPTION_RESTART_REQUIRED) |
                             bit(option.Hidden, QORVA_ZEL_KIT_OPTION_HIDDEN) |
                             bit(!state.Available, QORVA_ZEL_KIT_OPTION_UNAVAILABLE) |
                             bit(!SameValue(current, state.Default), QORVA_ZEL_KIT_OPTION_CHANGED) |
                             bit(state.Saved.has_value(), QORVA_ZEL_KIT_OPTION_HAS_SAVED) |
                             bit(!state.Saved || !SameValue(current, *state.Saved), QORVA_ZEL_KIT_OPTION_UNSAVED);
        if (state.Saved) {
            info.Saved = publicValue(*state.Saved);
        }
        info.Flags = bits;
        info.MinValue = ToPublic(option.MinValue, nullptr);
        info.MaxValue = ToPublic(option.MaxValue, nullptr);
        info.NumSteps = option.NumSteps;
        if (!option.Allowed.empty()) {
            list.Allowed.emplace_back();
            for (const std::string& allowed : option.Allowed) {
                list.Allowed.back().push_back(list.Keep(allowed));
            }
            info.AllowedValues = list.Allowed.back().data();
            info.AllowedCount = static_cast<std::uint32_t>(option.Allowed.size());
        }
        info.SchemaIndex = static_cast<std::uint32_t>(index);
        list.Options.push_back(info);
    }
    for (const NamedEntry& group : schema_.Categories) {
        list.Categories.push_back({list.Keep(group.Name), list.Keep(group.LabelKey)});
    }
    for (const Preset& preset : schema_.Presets) {
        list.Presets.push_back({list.Keep(preset.Name), list.Keep(preset.LabelKey)});
    }
    list.CurrentPreset = list.Keep(CurrentPreset());
    out = std::move(listing);
    return QORVA_ZEL_OK;
}

std::unique_ptr<QORVA_ZEL_KIT_Report> Session::Report() const
{
    auto report = std::make_unique<QORVA_ZEL_KIT_Report>();
    report->File = report->Keep(reportFile_);
    for (const Finding& finding : findings_) {
        QORVA_ZEL_KIT_Finding entry{};
        entry.Kind = finding.Kind;
        entry.KindName = FindingKindName(finding.Kind);
        entry.Option = report->Keep(finding.Option);
        entry.Text = report->Keep(finding.Text);
        entry.Message = report->Keep(finding.Message);
        entry.Line = static_cast<std::uint32_t>(finding.Position.Line);
        entry.Column = static_cast<std::uint32_t>(finding.Position.Column);
        report->Findings.push_back(entry);
    }
    return report;
}

} // namespace qorva_zel::kit
