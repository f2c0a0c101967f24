// The open kit: the schema, what the kit decided at open (defaults after
// tags, availability), and every operation of the header on top of the
// library's functions. Callers hold the kit's lock (exports.cpp).
#pragma once

#include "kit/conditions.h"
#include "kit/file_options.h"
#include "kit/kit_value.h"
#include "kit/load_report.h"
#include "kit/owned_objects.h"
#include "kit/schema.h"
#include "platform/file_io.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qorva_zel::kit {

// What the kit knows of one schema option on this machine.
struct OptionState {
    std::u16string Name; // the schema's name in UTF-16, for the library's calls
    KitValue Default;    // after the tags' overrides
    bool Available = true;
    std::optional<KitValue> Saved; // the value of the last load or save
};

class Session {
public:
    // Reads the schema, initialises the library and loads the file. On
    // failure the library is as before and message says why.
    Session() = default;
    static QORVA_ZEL_Status Open(const QORVA_ZEL_KIT_OpenInfo& info, std::unique_ptr<Session>& session,
                                 OpenResultObject& result, std::string& message);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    QORVA_ZEL_Status Load();
    QORVA_ZEL_Status Save();
    QORVA_ZEL_Status GetValue(std::string_view name, KitValue& value) const;
    QORVA_ZEL_Status SetValue(std::string_view name, const KitValue& value);
    QORVA_ZEL_Status ApplyPreset(std::string_view name);
    std::string CurrentPreset() const;
    QORVA_ZEL_Status ResetOption(std::string_view name);
    QORVA_ZEL_Status ResetCategory(std::string_view category);
    QORVA_ZEL_Status ResetAll();
    QORVA_ZEL_Status HoldsDefault(std::string_view name, bool& holds) const;
    QORVA_ZEL_Status List(std::uint32_t order, const char* category, std::uint32_t flags,
                          std::unique_ptr<QORVA_ZEL_KIT_Listing>& listing) const;
    std::unique_ptr<QORVA_ZEL_KIT_Report> Report() const;

private:
    struct LoadOutcome {
        QORVA_ZEL_Status Status = QORVA_ZEL_OK;
        std::uint32_t FileVersion = 0;
        bool Migrated = false;
        QORVA_ZEL_Status MigrationStatus = QORVA_ZEL_OK;
        std::string BackupPath;
        bool Newer = false;
    };

    LoadOutcome LoadFile();
    QORVA_ZEL_Status WriteMigrated(const std::string& original, std::uint32_t fileVersion,
                                   const std::vector<FileOption>& options, const SettingsDocument& document,
                                   std::string& backupPath) const;
    KitValue CurrentValue(std::size_t index) const;
    // Sets the values as one change: all, or none when one is refused.
    QORVA_ZEL_Status SetMany(const std::vector<std::pair<std::size_t, KitValue>>& changes);
    QORVA_ZEL_Status ResetWhere(bool (*matches)(const SchemaOption&, std::string_view), std::string_view what);

    Schema schema_;
    std::vector<OptionState> states_;
    Facts facts_;
    std::u16string application_[6];
    std::vector<QORVA_ZEL_Resolution> modes_;
    NativePath settingsPath_;
    std::u16string settingsPath16_;
    std::vector<Finding> findings_;
    std::string reportFile_;
    bool initialised_ = false;
};

} // namespace qorva_zel::kit
