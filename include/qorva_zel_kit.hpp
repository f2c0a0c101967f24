// qorva_zel_kit.hpp - C++17 interface of the Qorva Zel settings kit.
//
// Header-only, on top of the C functions of qorva_zel_kit.h; links against
// qorva_zel_kit. Throws nothing: every call reports a status (the library's
// and the kit's codes, QORVA_ZEL_Status) or an empty std::optional.
//
//   qorva_zel::kit::open_options options;
//   options.schema_path = "racer.schema.json";
//   options.config_path = *qorva_zel::kit::local_settings_folder("Racer", true);
//   options.executable = "racer";
//   options.facts = {{"gpuVendor", "nvidia"}, {"videoMemoryMB", "8192"}};
//   qorva_zel::kit::session kit(options);
//   if (!kit) { std::puts(kit.message().c_str()); return 1; }
//   if (kit.opened().first_run) std::printf("preset %s\n", kit.opened().preset.c_str());
//   for (const auto& option : kit.list(qorva_zel::kit::order::category))
//       draw(option.name(), option.label_key(), option.current());
//
// What the header takes care of:
//  - the session opens the kit on construction and closes it on destruction
//    (one per process, like the kit); it is move-only;
//  - strings go in as std::string_view and come out as std::string or, from a
//    listing or a report, std::string_view into it;
//  - a value is a std::variant whose index is the option's type
//    (QORVA_ZEL_Integer 0, Float 1, Enum 2, Bool 3);
//  - listings and load reports are owned snapshots and ranges.
#ifndef QORVA_ZEL_KIT_HPP
#define QORVA_ZEL_KIT_HPP

#include "qorva_zel_kit.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace qorva_zel::kit {

// A status of the kit or of the library; 0 is success.
using status = QORVA_ZEL_Status;

inline const char* status_text(status code) noexcept
{
    return QORVA_ZEL_KIT_StatusText(code);
}

// An option's value; the index is its type.
using value = std::variant<std::int32_t, float, std::string, bool>;

namespace detail {

inline value from_c(const QORVA_ZEL_KIT_Value& in)
{
    switch (in.Type) {
    case QORVA_ZEL_Integer: return value(std::in_place_index<0>, in.IntValue);
    case QORVA_ZEL_Float: return value(std::in_place_index<1>, in.FloatValue);
    case QORVA_ZEL_Enum: return value(std::in_place_index<2>, in.StringValue != nullptr ? in.StringValue : "");
    default: return value(std::in_place_index<3>, in.BoolValue != 0);
    }
}

inline std::string_view view(const char* text) noexcept
{
    return text != nullptr ? std::string_view(text) : std::string_view();
}

// Asks a "Text out" function for its string, growing the buffer as needed.
template <class Call>
std::optional<std::string> text_out(Call&& call, status* result = nullptr)
{
    std::string text(64, '\0');
    for (;;) {
        std::size_t length = 0;
        const status code = call(text.data(), text.size(), &length);
        if (result != nullptr) {
            *result = code;
        }
        if (code == QORVA_ZEL_OK) {
            text.resize(length);
            return text;
        }
        if (code != QORVA_ZEL_KIT_ERROR_BUFFER_TOO_SMALL || length < text.size()) {
            return std::nullopt;
        }
        text.assign(length + 1, '\0');
    }
}

// An index-based iterator over a snapshot.
template <class Owner, class Item>
class index_iterator {
public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = Item;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = Item;

    index_iterator(const Owner* owner, std::uint32_t index) noexcept : owner_(owner), index_(index) {}
    Item operator*() const { return (*owner_)[index_]; }
    index_iterator& operator++() noexcept { ++index_; return *this; }
    index_iterator operator++(int) noexcept { index_iterator before = *this; ++index_; return before; }
    index_iterator& operator--() noexcept { --index_; return *this; }
    index_iterator& operator+=(difference_type n) noexcept { index_ = static_cast<std::uint32_t>(index_ + n); return *this; }
    index_iterator operator+(difference_type n) const noexcept { index_iterator moved = *this; return moved += n; }
    difference_type operator-(const index_iterator& other) const noexcept
    {
        return static_cast<difference_type>(index_) - static_cast<difference_type>(other.index_);
    }
    bool operator==(const index_iterator& other) const noexcept { return index_ == other.index_; }
    bool operator!=(const index_iterator& other) const noexcept { return index_ != other.index_; }
    bool operator<(const index_iterator& other) const noexcept { return index_ < other.index_; }

private:
    const Owner* owner_;
    std::uint32_t index_;
};

struct listing_deleter {
    void operator()(QORVA_ZEL_KIT_Listing* listing) const noexcept { QORVA_ZEL_KIT_ReleaseListing(listing); }
};
struct report_deleter {
    void operator()(QORVA_ZEL_KIT_Report* report) const noexcept { QORVA_ZEL_KIT_ReleaseReport(report); }
};

} // namespace detail

// ---- Opening -----------------------------------------------------------------

struct open_options {
    std::string schema_path;                // the schema file, or the name messages give schema_text
    std::optional<std::string> schema_text; // the schema itself, when the game embeds it
    std::string display_name;
    std::string version_name;
    std::string install_path;
    std::string config_path; // the settings folder (see local_settings_folder)
    std::string executable;  // the settings file is GFXSettings.<executable>.xml
    std::string exec_cmd;
    std::vector<std::string> tags;                           // "windows", "handheld", ... first counts most
    std::vector<std::pair<std::string, std::string>> facts; // {"videoMemoryMB", "8192"}, ...
    std::vector<QORVA_ZEL_Resolution> resolutions;
    bool no_system_facts = false; // leave out logicalCpus, memoryMB and os
};

// What the open did (QORVA_ZEL_KIT_OpenResult, copied).
struct open_report {
    status load_status = QORVA_ZEL_OK;
    bool first_run = false;
    std::string preset; // first run: the preset the tiers chose ("" when none)
    std::int32_t tier_index = -1;
    std::string tier_name;
    std::uint32_t schema_version = 0;
    std::uint32_t file_version = 0;
    bool migrated = false;
    status migration_status = QORVA_ZEL_OK;
    std::string backup_path;
    bool newer_file = false;
    std::uint32_t finding_count = 0;
    std::string settings_path;
};

// ---- Listing -------------------------------------------------------------------

enum class order : std::uint32_t { schema = QORVA_ZEL_KIT_ORDER_SCHEMA, category = QORVA_ZEL_KIT_ORDER_CATEGORY };

// One option of a listing; views into the listing, which must outlive it.
class option_view {
public:
    explicit option_view(const QORVA_ZEL_KIT_OptionInfo& info) noexcept : info_(&info) {}

    std::string_view name() const noexcept { return detail::view(info_->Name); }
    QORVA_ZEL_OptionType type() const noexcept { return info_->Type; }
    std::string_view category() const noexcept { return detail::view(info_->Category); }
    std::string_view label_key() const noexcept { return detail::view(info_->LabelKey); }
    std::string_view description_key() const noexcept { return detail::view(info_->DescriptionKey); }
    std::uint32_t flags() const noexcept { return info_->Flags; }
    bool restart_required() const noexcept { return (info_->Flags & QORVA_ZEL_KIT_OPTION_RESTART_REQUIRED) != 0; }
    bool hidden() const noexcept { return (info_->Flags & QORVA_ZEL_KIT_OPTION_HIDDEN) != 0; }
    bool available() const noexcept { return (info_->Flags & QORVA_ZEL_KIT_OPTION_UNAVAILABLE) == 0; }
    bool changed() const noexcept { return (info_->Flags & QORVA_ZEL_KIT_OPTION_CHANGED) != 0; }
    bool unsaved() const noexcept { return (info_->Flags & QORVA_ZEL_KIT_OPTION_UNSAVED) != 0; }
    value default_value() const { return detail::from_c(info_->Default); }
    value current() const { return detail::from_c(info_->Current); }
    std::optional<value> saved() const
    {
        return (info_->Flags & QORVA_ZEL_KIT_OPTION_HAS_SAVED) != 0 ? std::optional<value>(detail::from_c(info_->Saved))
                                                                    : std::nullopt;
    }
    value min_value() const { return detail::from_c(info_->MinValue); }
    value max_value() const { return detail::from_c(info_->MaxValue); }
    std::int32_t num_steps() const noexcept { return info_->NumSteps; }
    std::vector<std::string_view> allowed() const
    {
        std::vector<std::string_view> strings;
        for (std::uint32_t i = 0; i < info_->AllowedCount; ++i) {
            strings.push_back(info_->AllowedValues[i]);
        }
        return strings;
    }
    std::uint32_t schema_index() const noexcept { return info_->SchemaIndex; }
    const QORVA_ZEL_KIT_OptionInfo& c_info() const noexcept { return *info_; }

private:
    const QORVA_ZEL_KIT_OptionInfo* info_;
};

struct named_entry {
    std::string_view name;
    std::string_view label_key;
};

// A snapshot of the options, categories and presets; a range of option_view.
class listing {
public:
    using iterator = detail::index_iterator<listing, option_view>;

    listing() = default;
    explicit listing(QORVA_ZEL_KIT_Listing* owned) noexcept : handle_(owned) {}

    explicit operator bool() const noexcept { return handle_ != nullptr; }
    std::uint32_t size() const noexcept { return QORVA_ZEL_KIT_ListingCount(handle_.get()); }
    bool empty() const noexcept { return size() == 0; }
    option_view operator[](std::uint32_t index) const { return option_view(*QORVA_ZEL_KIT_ListingOption(handle_.get(), index)); }
    iterator begin() const noexcept { return iterator(this, 0); }
    iterator end() const noexcept { return iterator(this, size()); }

    // The option of that name, when the listing holds it.
    std::optional<option_view> find(std::string_view name) const
    {
        for (option_view option : *this) {
            if (option.name() == name) {
                return option;
            }
        }
        return std::nullopt;
    }
    std::vector<named_entry> categories() const
    {
        std::vector<named_entry> entries;
        for (std::uint32_t i = 0; i < QORVA_ZEL_KIT_ListingCategoryCount(handle_.get()); ++i) {
            const QORVA_ZEL_KIT_NamedEntry* entry = QORVA_ZEL_KIT_ListingCategory(handle_.get(), i);
            entries.push_back({entry->Name, entry->LabelKey});
        }
        return entries;
    }
    std::vector<named_entry> presets() const
    {
        std::vector<named_entry> entries;
        for (std::uint32_t i = 0; i < QORVA_ZEL_KIT_ListingPresetCount(handle_.get()); ++i) {
            const QORVA_ZEL_KIT_NamedEntry* entry = QORVA_ZEL_KIT_ListingPreset(handle_.get(), i);
            entries.push_back({entry->Name, entry->LabelKey});
        }
        return entries;
    }
    // The preset the values matched when the snapshot was made, or "Custom".
    std::string_view current_preset() const noexcept { return detail::view(QORVA_ZEL_KIT_ListingCurrentPreset(handle_.get())); }

private:
    std::unique_ptr<QORVA_ZEL_KIT_Listing, detail::listing_deleter> handle_;
};

// ---- Load report -------------------------------------------------------------

class finding_view {
public:
    explicit finding_view(const QORVA_ZEL_KIT_Finding& finding) noexcept : finding_(&finding) {}

    std::int32_t kind() const noexcept { return finding_->Kind; } // QORVA_ZEL_KIT_FindingKind
    std::string_view kind_name() const noexcept { return detail::view(finding_->KindName); }
    std::string_view option() const noexcept { return detail::view(finding_->Option); }
    std::string_view text() const noexcept { return detail::view(finding_->Text); }
    std::string_view message() const noexcept { return detail::view(finding_->Message); }
    std::uint32_t line() const noexcept { return finding_->Line; }
    std::uint32_t column() const noexcept { return finding_->Column; }

private:
    const QORVA_ZEL_KIT_Finding* finding_;
};

// A snapshot of the last load's findings; a range of finding_view.
class report {
public:
    using iterator = detail::index_iterator<report, finding_view>;

    report() = default;
    explicit report(QORVA_ZEL_KIT_Report* owned) noexcept : handle_(owned) {}

    explicit operator bool() const noexcept { return handle_ != nullptr; }
    std::uint32_t size() const noexcept { return QORVA_ZEL_KIT_ReportCount(handle_.get()); }
    bool empty() const noexcept { return size() == 0; }
    finding_view operator[](std::uint32_t index) const { return finding_view(*QORVA_ZEL_KIT_ReportFinding(handle_.get(), index)); }
    iterator begin() const noexcept { return iterator(this, 0); }
    iterator end() const noexcept { return iterator(this, size()); }
    // The file the lines refer to.
    std::string_view file() const noexcept { return detail::view(QORVA_ZEL_KIT_ReportFile(handle_.get())); }

private:
    std::unique_ptr<QORVA_ZEL_KIT_Report, detail::report_deleter> handle_;
};

// ---- The session -------------------------------------------------------------

// The open kit. Construction opens it; check the session (operator bool,
// status(), message()) before use. Destruction closes it (without saving).
class session {
public:
    explicit session(const open_options& options)
    {
        std::vector<const char*> tags;
        for (const std::string& tag : options.tags) {
            tags.push_back(tag.c_str());
        }
        std::vector<QORVA_ZEL_KIT_Fact> facts;
        for (const auto& [name, text] : options.facts) {
            facts.push_back({name.c_str(), text.c_str()});
        }
        QORVA_ZEL_KIT_OpenInfo info{};
        info.StructSize = sizeof info;
        info.SchemaPath = options.schema_path.c_str();
        if (options.schema_text) {
            info.SchemaText = options.schema_text->data();
            info.SchemaTextLength = options.schema_text->size();
        }
        info.DisplayName = options.display_name.c_str();
        info.VersionName = options.version_name.c_str();
        info.InstallPath = options.install_path.c_str();
        info.ConfigPath = options.config_path.c_str();
        info.Executable = options.executable.c_str();
        info.ExecCmd = options.exec_cmd.c_str();
        info.Tags = tags.data();
        info.TagCount = static_cast<std::uint32_t>(tags.size());
        info.Facts = facts.data();
        info.FactCount = static_cast<std::uint32_t>(facts.size());
        info.Resolutions = options.resolutions.data();
        info.ResolutionCount = static_cast<std::uint32_t>(options.resolutions.size());
        info.Flags = options.no_system_facts ? std::uint32_t{QORVA_ZEL_KIT_OPEN_NO_SYSTEM_FACTS} : 0u;
        QORVA_ZEL_KIT_OpenResult* result = nullptr;
        char message[1024];
        status_ = QORVA_ZEL_KIT_Open(&info, &result, message, sizeof message);
        message_ = message;
        if (result != nullptr) {
            opened_.load_status = result->LoadStatus;
            opened_.first_run = result->FirstRun != 0;
            opened_.preset = detail::view(result->Preset);
            opened_.tier_index = result->TierIndex;
            opened_.tier_name = detail::view(result->TierName);
            opened_.schema_version = result->SchemaVersion;
            opened_.file_version = result->FileVersion;
            opened_.migrated = result->Migrated != 0;
            opened_.migration_status = result->MigrationStatus;
            opened_.backup_path = detail::view(result->BackupPath);
            opened_.newer_file = result->NewerFile != 0;
            opened_.finding_count = result->FindingCount;
            opened_.settings_path = detail::view(result->SettingsPath);
            QORVA_ZEL_KIT_ReleaseOpenResult(result);
        }
    }
    ~session() { close(); }
    session(session&& other) noexcept
        : status_(std::exchange(other.status_, QORVA_ZEL_KIT_ERROR_NOT_OPEN)), message_(std::move(other.message_)),
          opened_(std::move(other.opened_))
    {
    }
    session& operator=(session&& other) noexcept
    {
        if (this != &other) {
            close();
            status_ = std::exchange(other.status_, QORVA_ZEL_KIT_ERROR_NOT_OPEN);
            message_ = std::move(other.message_);
            opened_ = std::move(other.opened_);
        }
        return *this;
    }
    session(const session&) = delete;
    session& operator=(const session&) = delete;

    explicit operator bool() const noexcept { return status_ == QORVA_ZEL_OK; }
    status open_status() const noexcept { return status_; }
    // Why the open failed; a schema error as "FILE:LINE:COLUMN: problem".
    const std::string& message() const noexcept { return message_; }
    const open_report& opened() const noexcept { return opened_; }

    // Closes the kit now (also done by the destructor).
    status close() noexcept
    {
        if (status_ != QORVA_ZEL_OK) {
            return QORVA_ZEL_KIT_ERROR_NOT_OPEN;
        }
        status_ = QORVA_ZEL_KIT_ERROR_NOT_OPEN;
        return QORVA_ZEL_KIT_Close();
    }

    status load() { return QORVA_ZEL_KIT_Load(); }
    status save() { return QORVA_ZEL_KIT_Save(); }

    // The option's current value; nothing when there is no such option (or
    // the kit is not open).
    std::optional<value> get(std::string_view name) const
    {
        const std::string zname(name);
        QORVA_ZEL_KIT_Value read{};
        std::optional<std::string> text = detail::text_out([&](char* buffer, std::size_t size, std::size_t* length) {
            return QORVA_ZEL_KIT_GetValue(zname.c_str(), &read, buffer, size, length);
        });
        if (!text) {
            return std::nullopt;
        }
        if (read.Type == QORVA_ZEL_Enum) {
            return value(std::in_place_index<2>, std::move(*text));
        }
        return detail::from_c(read);
    }
    template <class T>
    std::optional<T> get_as(std::string_view name) const
    {
        const std::optional<value> read = get(name);
        if (!read || !std::holds_alternative<T>(*read)) {
            return std::nullopt;
        }
        return std::get<T>(*read);
    }

    status set(std::string_view name, const value& wanted)
    {
        const std::string zname(name);
        QORVA_ZEL_KIT_Value in{};
        in.Type = static_cast<QORVA_ZEL_OptionType>(wanted.index());
        switch (wanted.index()) {
        case 0: in.IntValue = std::get<0>(wanted); break;
        case 1: in.FloatValue = std::get<1>(wanted); break;
        case 2: in.StringValue = std::get<2>(wanted).c_str(); break;
        default: in.BoolValue = std::get<3>(wanted) ? 1 : 0; break;
        }
        return QORVA_ZEL_KIT_SetValue(zname.c_str(), &in);
    }

    status apply_preset(std::string_view name) { return QORVA_ZEL_KIT_ApplyPreset(std::string(name).c_str()); }
    // The matching preset, or "Custom"; "" when the kit is not open.
    std::string current_preset() const
    {
        return detail::text_out([](char* buffer, std::size_t size, std::size_t* length) {
                   return QORVA_ZEL_KIT_CurrentPreset(buffer, size, length);
               })
            .value_or(std::string());
    }

    status reset(std::string_view name) { return QORVA_ZEL_KIT_ResetOption(std::string(name).c_str()); }
    status reset_category(std::string_view category) { return QORVA_ZEL_KIT_ResetCategory(std::string(category).c_str()); }
    status reset_all() { return QORVA_ZEL_KIT_ResetAll(); }
    std::optional<bool> holds_default(std::string_view name) const
    {
        std::uint8_t holds = 0;
        if (QORVA_ZEL_KIT_HoldsDefault(std::string(name).c_str(), &holds) != QORVA_ZEL_OK) {
            return std::nullopt;
        }
        return holds != 0;
    }

    // A snapshot of the options (of one category), empty on failure.
    kit::listing list(order in = order::schema, std::optional<std::string_view> category = std::nullopt,
                      bool include_hidden = false) const
    {
        QORVA_ZEL_KIT_Listing* made = nullptr;
        const std::string zcategory(category.value_or(std::string_view()));
        QORVA_ZEL_KIT_ListOptions(static_cast<std::uint32_t>(in), category ? zcategory.c_str() : nullptr,
                                  include_hidden ? std::uint32_t{QORVA_ZEL_KIT_LIST_HIDDEN} : 0u, &made);
        return kit::listing(made);
    }

    // A snapshot of the last open's or load's findings.
    kit::report load_report() const
    {
        QORVA_ZEL_KIT_Report* made = nullptr;
        QORVA_ZEL_KIT_GetLoadReport(&made);
        return kit::report(made);
    }

private:
    status status_ = QORVA_ZEL_KIT_ERROR_NOT_OPEN;
    std::string message_;
    open_report opened_;
};

// The platform's device-local settings folder with game_folder appended
// (QORVA_ZEL_KIT_LocalSettingsFolder); nothing when there is none.
inline std::optional<std::string> local_settings_folder(std::string_view game_folder, bool create = false)
{
    const std::string folder(game_folder);
    return detail::text_out([&](char* buffer, std::size_t size, std::size_t* length) {
        return QORVA_ZEL_KIT_LocalSettingsFolder(folder.c_str(), create ? std::uint32_t{QORVA_ZEL_KIT_FOLDER_CREATE} : 0u, buffer, size,
                                                 length);
    });
}

} // namespace qorva_zel::kit

#endif // QORVA_ZEL_KIT_HPP
