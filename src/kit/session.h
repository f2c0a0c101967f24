// The open kit: the schema, what the kit decided at open (defaults after
// tags, availability), and every operation of the header on top of the
// library's functions. Callers hold the kit's lock (exports.cpp).
#pragma once

#include "kit/conditions.h"
#include "kit/display_modes.h"
#include "kit/events.h"
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
    std::optional<KitValue> Pending; // an edit waiting for Apply
    // While overridden: the override (which the library holds) and the
    // player's own value (which a save writes).
    std::optional<KitValue> Override;
    KitValue Player;
};

// A change applied provisionally: what to put back.
struct ProvisionalChange {
    struct Before {
        std::size_t Index = 0;
        KitValue Value;
        std::optional<KitValue> Override;
        KitValue Player;
    };
    std::uint64_t Deadline = 0;
    std::vector<Before> Options;
    std::optional<QORVA_ZEL_Resolution> Mode;         // the mode before, when the mode changed
    std::optional<QORVA_ZEL_Resolution> ModeOverride; // and its override then
    QORVA_ZEL_Resolution PlayerMode{};
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

    // Changes while the game runs (session_changes.cpp).
    EventList TakeEvents() { return std::exchange(events_, {}); }
    // Puts a provisional change back when now is past its deadline.
    void CheckDeadline(std::uint64_t now);
    QORVA_ZEL_Status SetPending(std::string_view name, const KitValue& value);
    QORVA_ZEL_Status SetPendingMode(const DisplayMode& mode);
    QORVA_ZEL_Status RevertPending();
    QORVA_ZEL_Status Apply(std::uint64_t now, std::uint32_t confirmWithinMs, ApplyResultObject& result);
    QORVA_ZEL_Status Confirm();
    QORVA_ZEL_Status RevertProvisional();
    void Poll(std::uint64_t now, bool& provisional, std::uint64_t& remaining) const;
    QORVA_ZEL_Status SetOverride(std::string_view name, const KitValue& value);
    QORVA_ZEL_Status SetModeOverride(const DisplayMode& mode);
    QORVA_ZEL_Status ClearOverrides();
    QORVA_ZEL_Status ApplyCommandLine(int argc, const char* const* argv, std::string& message);
    void GetMode(QORVA_ZEL_KIT_ModeInfo& info) const;
    QORVA_ZEL_Status SetMode(const DisplayMode& mode);
    QORVA_ZEL_Status Closest(const DisplayMode& wanted, DisplayMode& closest) const;

private:
    struct LoadOutcome {
        QORVA_ZEL_Status Status = QORVA_ZEL_OK;
        std::uint32_t FileVersion = 0;
        bool Migrated = false;
        QORVA_ZEL_Status MigrationStatus = QORVA_ZEL_OK;
        std::string BackupPath;
        bool Newer = false;
        std::string DisplayId; // the file's record of the display ("" when none)
    };

    LoadOutcome LoadFile();
    QORVA_ZEL_Status WriteMigrated(const std::string& original, std::uint32_t fileVersion,
                                   const std::vector<FileOption>& options, const SettingsDocument& document,
                                   std::string& backupPath) const;
    KitValue CurrentValue(std::size_t index) const;
    // Sets the values as one change: all, or none when one is refused.
    // Raises a VALUE event (of cause) per changed option and ends the
    // overrides of the options it sets; changed gets their indices.
    QORVA_ZEL_Status SetMany(const std::vector<std::pair<std::size_t, KitValue>>& changes, std::int32_t cause,
                             std::vector<std::size_t>* changed = nullptr);
    QORVA_ZEL_Status ResetWhere(bool (*matches)(const SchemaOption&, std::string_view), std::string_view what);
    // After a load: the overrides again, the saved mode, pending edits dropped.
    void AfterLoad(const LoadOutcome& outcome);
    void Raise(std::int32_t kind, std::string name = {});

    // The library's value of an option, without events or checks.
    QORVA_ZEL_Status StoreValue(std::size_t index, const KitValue& value);
    // What a save writes: the player's own value and mode.
    KitValue PlayerValue(std::size_t index) const;
    QORVA_ZEL_Resolution PlayerMode() const;
    QORVA_ZEL_Resolution CurrentMode() const;
    // The mode as the game listed it (its fraction) when one matches.
    DisplayMode Described(const QORVA_ZEL_Resolution& mode) const;
    std::optional<std::size_t> ListedMatch(const DisplayMode& mode) const;
    // The library's mode for a wanted one: the listed mode it matches (the
    // value-not-allowed status when the game listed modes and none matches),
    // or the mode itself when the game listed none.
    QORVA_ZEL_Status ListedResolution(const DisplayMode& mode, QORVA_ZEL_Resolution& wanted) const;
    // A MODE event of cause when the mode changed from before to after.
    void RaiseModeChange(const QORVA_ZEL_Resolution& before, const QORVA_ZEL_Resolution& after, std::int32_t cause);
    // The index of an option a caller may set to a value of that type.
    QORVA_ZEL_Status SettableIndex(std::string_view name, const KitValue& value, std::size_t& index) const;
    // Makes any mode current, listed or not; the list stays.
    QORVA_ZEL_Status ForceMode(const QORVA_ZEL_Resolution& mode);
    // ForceMode and a MODE event of cause when it changed.
    QORVA_ZEL_Status ChangeMode(const QORVA_ZEL_Resolution& mode, std::int32_t cause);
    QORVA_ZEL_Status PutBack(bool expired);

    Schema schema_;
    std::vector<OptionState> states_;
    Facts facts_;
    std::u16string application_[6];
    std::vector<QORVA_ZEL_Resolution> modes_; // as the library has them
    std::vector<DisplayMode> listed_;         // the same, with their fractions
    std::optional<DisplayMode> pendingMode_;
    std::optional<QORVA_ZEL_Resolution> modeOverride_;
    QORVA_ZEL_Resolution playerMode_{}; // meaningful with modeOverride_
    std::optional<QORVA_ZEL_Resolution> savedMode_;
    std::optional<ProvisionalChange> provisional_;
    bool expired_ = false; // the last provisional change was put back by its deadline
    std::string displayId_;
    std::u16string displayStorage_;
    EventList events_;
    NativePath settingsPath_;
    std::u16string settingsPath16_;
    std::vector<Finding> findings_;
    std::string reportFile_;
    bool initialised_ = false;
};

} // namespace qorva_zel::kit
