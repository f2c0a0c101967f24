// The kit's exported functions. Each tests its pointers, then runs under the
// kit's lock, on the open session when it needs one, and returns the status.
#include "qorva_zel_kit.h"

#include "kit/owned_objects.h"
#include "kit/session.h"
#include "kit/system.h"
#include "kit/text_out.h"
#include "text/utf.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <system_error>

namespace qorva_zel::kit {
namespace {

// The one kit of the process, made on first use and never destroyed, as
// the library's own state.
struct KitState {
    std::recursive_mutex Lock;
    std::unique_ptr<Session> Open;
};

KitState& TheKit() noexcept
{
    alignas(KitState) static unsigned char storage[sizeof(KitState)];
    static KitState* const state = ::new (static_cast<void*>(storage)) KitState();
    return *state;
}

// Runs operation(session) under the lock when the kit is open.
template <class Operation>
QORVA_ZEL_Status OnSession(Operation&& operation)
{
    KitState& kit = TheKit();
    std::lock_guard<std::recursive_mutex> guard(kit.Lock);
    if (!kit.Open) {
        return QORVA_ZEL_KIT_ERROR_NOT_OPEN;
    }
    return operation(*kit.Open);
}

bool ValidUtf8(const char* text)
{
    const std::string_view view(text);
    return ToUtf8(FromUtf8(view)) == view;
}

// The size of the first version's QORVA_ZEL_KIT_OpenInfo.
constexpr std::size_t kFirstOpenInfoSize = offsetof(QORVA_ZEL_KIT_OpenInfo, Flags) + sizeof(std::uint32_t);

QORVA_ZEL_Status CheckOpenInfo(const QORVA_ZEL_KIT_OpenInfo& info)
{
    if ((info.SchemaPath == nullptr && info.SchemaText == nullptr) || info.DisplayName == nullptr ||
        info.VersionName == nullptr || info.InstallPath == nullptr || info.ConfigPath == nullptr ||
        info.Executable == nullptr || info.ExecCmd == nullptr || (info.TagCount > 0 && info.Tags == nullptr) ||
        (info.FactCount > 0 && info.Facts == nullptr) || (info.ResolutionCount > 0 && info.Resolutions == nullptr)) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    for (std::uint32_t i = 0; i < info.TagCount; ++i) {
        if (info.Tags[i] == nullptr) {
            return QORVA_ZEL_ERROR_NULL_ARGUMENT;
        }
    }
    for (std::uint32_t i = 0; i < info.FactCount; ++i) {
        if (info.Facts[i].Name == nullptr || info.Facts[i].Value == nullptr) {
            return QORVA_ZEL_ERROR_NULL_ARGUMENT;
        }
    }
    if (info.StructSize < kFirstOpenInfoSize || (info.Flags & ~std::uint32_t{QORVA_ZEL_KIT_OPEN_NO_SYSTEM_FACTS}) != 0) {
        return QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT;
    }
    return QORVA_ZEL_OK;
}

void CopyMessage(const std::string& text, char* message, std::size_t size)
{
    if (message != nullptr && size > 0) {
        CopyOut(text, message, size, nullptr);
    }
}

} // namespace
} // namespace qorva_zel::kit

using namespace qorva_zel::kit;

extern "C" {

QORVA_ZEL_KIT_API const char* QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_StatusText(QORVA_ZEL_Status status)
{
    switch (status) {
    case QORVA_ZEL_OK: return "success";
    case QORVA_ZEL_ERROR_FILE: return "the settings file cannot be read, parsed or written";
    case QORVA_ZEL_ERROR_FILE_NOT_FOUND: return "the settings file does not exist";
    case QORVA_ZEL_ERROR_VERSION_MISMATCH: return "the interface version is not the library's";
    case QORVA_ZEL_ERROR_NULL_ARGUMENT: return "a required pointer is null";
    case QORVA_ZEL_ERROR_OPTION_NOT_FOUND: return "no option has that name";
    case QORVA_ZEL_ERROR_AMBIGUOUS_OPTION: return "several options have that name";
    case QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP: return "the value is not on one of the option's steps";
    case QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED: return "the value is outside the range or not an allowed string";
    case QORVA_ZEL_ERROR_ALREADY_REGISTERED: return "an option of that name and type is already registered";
    case QORVA_ZEL_ERROR_TYPE_MISMATCH: return "the value's type is not the option's";
    case QORVA_ZEL_ERROR_OPTIONS_DIRTY: return "the settings differ from the last load or save";
    case QORVA_ZEL_ERROR_NOT_INITIALIZED: return "the library is not initialised";
    case QORVA_ZEL_ERROR_ALREADY_INITIALIZED: return "the library is already initialised";
    case QORVA_ZEL_KIT_ERROR_NOT_OPEN: return "the kit is not open";
    case QORVA_ZEL_KIT_ERROR_ALREADY_OPEN: return "the kit is already open";
    case QORVA_ZEL_KIT_ERROR_SCHEMA: return "the schema cannot be read or has an error";
    case QORVA_ZEL_KIT_ERROR_BUFFER_TOO_SMALL: return "the buffer is too small";
    case QORVA_ZEL_KIT_ERROR_NOT_FOUND: return "no preset or category has that name";
    case QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT: return "an argument is not one the kit takes";
    case QORVA_ZEL_KIT_ERROR_UNAVAILABLE: return "the option is unavailable on this machine";
    case QORVA_ZEL_KIT_ERROR_BACKUP: return "the backup of the settings file cannot be written";
    case QORVA_ZEL_KIT_ERROR_LIBRARY_IN_USE: return "the library is already initialised by someone else";
    default: return "unknown status";
    }
}

QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_Open(
    const QORVA_ZEL_KIT_OpenInfo* info, QORVA_ZEL_KIT_OpenResult** result, char* message, size_t messageSize)
{
    if (result != nullptr) {
        *result = nullptr;
    }
    CopyMessage("", message, messageSize);
    if (info == nullptr) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    const QORVA_ZEL_Status checked = CheckOpenInfo(*info);
    if (checked != QORVA_ZEL_OK) {
        return checked;
    }
    KitState& kit = TheKit();
    std::lock_guard<std::recursive_mutex> guard(kit.Lock);
    if (kit.Open) {
        return QORVA_ZEL_KIT_ERROR_ALREADY_OPEN;
    }
    auto opened = std::make_unique<OpenResultObject>();
    std::string why;
    const QORVA_ZEL_Status status = Session::Open(*info, kit.Open, *opened, why);
    CopyMessage(why, message, messageSize);
    if (status == QORVA_ZEL_OK && result != nullptr) {
        *result = opened.release();
    }
    return status;
}

QORVA_ZEL_KIT_API void QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ReleaseOpenResult(QORVA_ZEL_KIT_OpenResult* result)
{
    std::unique_ptr<OpenResultObject> owned(static_cast<OpenResultObject*>(result));
}

QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_Close(void)
{
    KitState& kit = TheKit();
    std::lock_guard<std::recursive_mutex> guard(kit.Lock);
    if (!kit.Open) {
        return QORVA_ZEL_KIT_ERROR_NOT_OPEN;
    }
    kit.Open.reset();
    return QORVA_ZEL_OK;
}

QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_Load(void)
{
    return OnSession([](Session& session) -> QORVA_ZEL_Status { return session.Load(); });
}

QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_Save(void)
{
    return OnSession([](Session& session) -> QORVA_ZEL_Status { return session.Save(); });
}

QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_GetValue(
    const char* name, QORVA_ZEL_KIT_Value* value, char* buffer, size_t size, size_t* length)
{
    if (name == nullptr || value == nullptr || (buffer == nullptr && size > 0)) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    return OnSession([&](Session& session) -> QORVA_ZEL_Status {
        KitValue read;
        const QORVA_ZEL_Status status = session.GetValue(name, read);
        if (status != QORVA_ZEL_OK) {
            return status;
        }
        if (read.Type != QORVA_ZEL_Enum) {
            *value = ToPublic(read, nullptr);
            return QORVA_ZEL_OK;
        }
        const QORVA_ZEL_Status copied = CopyOut(read.String, buffer, size, length);
        *value = ToPublic(read, copied == QORVA_ZEL_OK ? buffer : nullptr);
        return copied;
    });
}

QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_SetValue(
    const char* name, const QORVA_ZEL_KIT_Value* value)
{
    if (name == nullptr || value == nullptr || (value->Type == QORVA_ZEL_Enum && value->StringValue == nullptr)) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    return OnSession([&](Session& session) -> QORVA_ZEL_Status {
        KitValue wanted;
        wanted.Type = value->Type;
        wanted.Int = value->IntValue;
        wanted.Float = value->FloatValue;
        wanted.Bool = value->BoolValue != 0;
        if (value->Type == QORVA_ZEL_Enum) {
            if (!ValidUtf8(value->StringValue)) {
                return QORVA_ZEL_Status{QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT};
            }
            wanted.String = value->StringValue;
        }
        return session.SetValue(name, wanted);
    });
}

QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ApplyPreset(const char* name)
{
    if (name == nullptr) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    return OnSession([&](Session& session) -> QORVA_ZEL_Status { return session.ApplyPreset(name); });
}

QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_CurrentPreset(char* buffer, size_t size, size_t* length)
{
    if (buffer == nullptr && size > 0) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    return OnSession([&](Session& session) -> QORVA_ZEL_Status { return CopyOut(session.CurrentPreset(), buffer, size, length); });
}

QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ResetOption(const char* name)
{
    if (name == nullptr) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    return OnSession([&](Session& session) -> QORVA_ZEL_Status { return session.ResetOption(name); });
}

QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ResetCategory(const char* category)
{
    if (category == nullptr) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    return OnSession([&](Session& session) -> QORVA_ZEL_Status { return session.ResetCategory(category); });
}

QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ResetAll(void)
{
    return OnSession([](Session& session) -> QORVA_ZEL_Status { return session.ResetAll(); });
}

QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_HoldsDefault(const char* name, uint8_t* holdsDefault)
{
    if (name == nullptr || holdsDefault == nullptr) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    return OnSession([&](Session& session) -> QORVA_ZEL_Status {
        bool holds = false;
        const QORVA_ZEL_Status status = session.HoldsDefault(name, holds);
        if (status == QORVA_ZEL_OK) {
            *holdsDefault = holds ? 1 : 0;
        }
        return status;
    });
}

QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ListOptions(
    uint32_t order, const char* category, uint32_t flags, QORVA_ZEL_KIT_Listing** listing)
{
    if (listing == nullptr) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    *listing = nullptr;
    return OnSession([&](Session& session) -> QORVA_ZEL_Status {
        std::unique_ptr<QORVA_ZEL_KIT_Listing> made;
        const QORVA_ZEL_Status status = session.List(order, category, flags, made);
        if (status == QORVA_ZEL_OK) {
            *listing = made.release();
        }
        return status;
    });
}

QORVA_ZEL_KIT_API uint32_t QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ListingCount(const QORVA_ZEL_KIT_Listing* listing)
{
    return listing == nullptr ? 0 : static_cast<uint32_t>(listing->Options.size());
}

QORVA_ZEL_KIT_API const QORVA_ZEL_KIT_OptionInfo* QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ListingOption(
    const QORVA_ZEL_KIT_Listing* listing, uint32_t index)
{
    return listing == nullptr || index >= listing->Options.size() ? nullptr : &listing->Options[index];
}

QORVA_ZEL_KIT_API uint32_t QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ListingCategoryCount(const QORVA_ZEL_KIT_Listing* listing)
{
    return listing == nullptr ? 0 : static_cast<uint32_t>(listing->Categories.size());
}

QORVA_ZEL_KIT_API const QORVA_ZEL_KIT_NamedEntry* QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ListingCategory(
    const QORVA_ZEL_KIT_Listing* listing, uint32_t index)
{
    return listing == nullptr || index >= listing->Categories.size() ? nullptr : &listing->Categories[index];
}

QORVA_ZEL_KIT_API uint32_t QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ListingPresetCount(const QORVA_ZEL_KIT_Listing* listing)
{
    return listing == nullptr ? 0 : static_cast<uint32_t>(listing->Presets.size());
}

QORVA_ZEL_KIT_API const QORVA_ZEL_KIT_NamedEntry* QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ListingPreset(
    const QORVA_ZEL_KIT_Listing* listing, uint32_t index)
{
    return listing == nullptr || index >= listing->Presets.size() ? nullptr : &listing->Presets[index];
}

QORVA_ZEL_KIT_API const char* QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ListingCurrentPreset(const QORVA_ZEL_KIT_Listing* listing)
{
    return listing == nullptr ? nullptr : listing->CurrentPreset;
}

QORVA_ZEL_KIT_API void QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ReleaseListing(QORVA_ZEL_KIT_Listing* listing)
{
    std::unique_ptr<QORVA_ZEL_KIT_Listing> owned(listing);
}

QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_GetLoadReport(QORVA_ZEL_KIT_Report** report)
{
    if (report == nullptr) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    *report = nullptr;
    return OnSession([&](Session& session) -> QORVA_ZEL_Status {
        *report = session.Report().release();
        return QORVA_ZEL_Status{QORVA_ZEL_OK};
    });
}

QORVA_ZEL_KIT_API uint32_t QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ReportCount(const QORVA_ZEL_KIT_Report* report)
{
    return report == nullptr ? 0 : static_cast<uint32_t>(report->Findings.size());
}

QORVA_ZEL_KIT_API const QORVA_ZEL_KIT_Finding* QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ReportFinding(
    const QORVA_ZEL_KIT_Report* report, uint32_t index)
{
    return report == nullptr || index >= report->Findings.size() ? nullptr : &report->Findings[index];
}

QORVA_ZEL_KIT_API const char* QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ReportFile(const QORVA_ZEL_KIT_Report* report)
{
    return report == nullptr ? nullptr : report->File;
}

QORVA_ZEL_KIT_API void QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_ReleaseReport(QORVA_ZEL_KIT_Report* report)
{
    std::unique_ptr<QORVA_ZEL_KIT_Report> owned(report);
}

QORVA_ZEL_KIT_API QORVA_ZEL_Status QORVA_ZEL_KIT_CALL QORVA_ZEL_KIT_LocalSettingsFolder(
    const char* gameFolder, uint32_t flags, char* buffer, size_t size, size_t* length)
{
    if (gameFolder == nullptr || (buffer == nullptr && size > 0)) {
        return QORVA_ZEL_ERROR_NULL_ARGUMENT;
    }
    const std::string_view folder(gameFolder);
    if ((flags & ~std::uint32_t{QORVA_ZEL_KIT_FOLDER_CREATE}) != 0 || folder.find_first_of("/\\") != std::string_view::npos ||
        folder == "." || folder == ".." || !ValidUtf8(gameFolder)) {
        return QORVA_ZEL_KIT_ERROR_INVALID_ARGUMENT;
    }
    const std::optional<std::string> base = LocalSettingsBase();
    if (!base) {
        return QORVA_ZEL_ERROR_FILE_NOT_FOUND;
    }
    const std::string path = folder.empty() ? *base : *base + PathSeparator() + std::string(folder);
    if ((flags & QORVA_ZEL_KIT_FOLDER_CREATE) != 0) {
        std::error_code error;
        const std::filesystem::path native(qorva_zel::FromUtf8(path));
        std::filesystem::create_directories(native, error);
        if (error || !std::filesystem::is_directory(native, error)) {
            return QORVA_ZEL_ERROR_FILE;
        }
    }
    return CopyOut(path, buffer, size, length);
}

} // extern "C"
