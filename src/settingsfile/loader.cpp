#include "settingsfile/loader.h"

#include "registry/options.h"
#include "settingsfile/file_io.h"
#include "settingsfile/format.h"
#include "settingsfile/numbers.h"
#include "settingsfile/option_element.h"
#include "settingsfile/text.h"

#include <new>
#include <optional>
#include <vector>

namespace qorva_zel {
namespace {

// Parse results that mean the file is unreadable or not well-formed. Every
// other result, an empty document included, loads what it finds.
bool IsParseFailure(pugi::xml_parse_status status)
{
    switch (status) {
    case pugi::status_io_error:
    case pugi::status_out_of_memory:
    case pugi::status_internal_error:
    case pugi::status_unrecognized_tag:
    case pugi::status_bad_pi:
    case pugi::status_bad_comment:
    case pugi::status_bad_cdata:
    case pugi::status_bad_doctype:
    case pugi::status_bad_pcdata:
    case pugi::status_bad_start_element:
    case pugi::status_bad_attribute:
    case pugi::status_bad_end_element:
    case pugi::status_end_element_mismatch:
        return true;
    default:
        return false;
    }
}

// The file's bytes as UTF-16 little-endian text, parsed. References are
// decoded (so every string the saver escapes comes back unchanged); line ends
// and white space in values are kept as they stand.
QORVA_ZEL_Status ParseSettingsFile(const std::u16string& settingsPath, std::string& text, pugi::xml_document& document)
{
    try {
        std::string bytes;
        switch (ReadWholeFile(ToNativePath(settingsPath), bytes)) {
        case ReadOutcome::CannotOpen:
            return QORVA_ZEL_ERROR_FILE_NOT_FOUND;
        case ReadOutcome::ReadError:
            return QORVA_ZEL_ERROR_FILE;
        case ReadOutcome::Ok:
            break;
        }
        text = Utf16LeBytesToUtf8(bytes);
    } catch (const std::bad_alloc&) {
        // Running out of memory while reading the file is a failed load.
        return QORVA_ZEL_ERROR_FILE;
    }
    const pugi::xml_parse_result result = document.load_buffer_inplace(
        text.data(), text.size(), pugi::parse_declaration | pugi::parse_escapes, pugi::encoding_utf8);
    return IsParseFailure(result.status) ? QORVA_ZEL_ERROR_FILE : QORVA_ZEL_OK;
}

// The resolution fields a file holds; an absent one stays unset.
struct StoredResolution {
    std::optional<std::uint32_t> Width;
    std::optional<std::uint32_t> Height;
    std::optional<float> RefreshRate;

    void ApplyTo(QORVA_ZEL_Resolution& resolution) const
    {
        resolution.Width = Width.value_or(resolution.Width);
        resolution.Height = Height.value_or(resolution.Height);
        resolution.RefreshRate = RefreshRate.value_or(resolution.RefreshRate);
    }
};

// A "RESOLUTION" element, attribute by attribute: each one overrides what
// earlier ones said. Width and height are read as signed numbers and kept
// with the same bits.
void ReadResolution(const pugi::xml_node& element, StoredResolution& stored)
{
    for (const pugi::xml_attribute& attribute : element.attributes()) {
        if (format::NameIs(attribute.name(), format::kWidth)) {
            stored.Width = static_cast<std::uint32_t>(ReadInt(attribute.value()));
        } else if (format::NameIs(attribute.name(), format::kHeight)) {
            stored.Height = static_cast<std::uint32_t>(ReadInt(attribute.value()));
        } else if (format::NameIs(attribute.name(), format::kRefreshRate)) {
            stored.RefreshRate = ReadFloat(attribute.value());
        }
    }
}

} // namespace

QORVA_ZEL_Status LoadConfigFile(SdkState& state)
{
    return WithInitializedState(state, [&state]() -> QORVA_ZEL_Status {
        pugi::xml_document document;
        std::string text;
        const QORVA_ZEL_Status parsed = ParseSettingsFile(state.SettingsFilePath, text, document);
        if (parsed != QORVA_ZEL_OK) {
            return parsed;
        }
        const pugi::xml_node settings = document.child(format::kRoot).child(format::kGameSettings);

        // Everything is read, matched and validated before anything changes:
        // running out of memory on the way leaves the library as it was, and
        // what follows cannot fail. One walk over the children reads every
        // "RESOLUTION" (what the last one says counts) and every "OPTION".
        StoredResolution resolution;
        std::vector<OptionRecord> unregistered;
        SavedOptions saved;
        saved.PlaceFor(state.RegisteredOptions.Size());
        std::vector<PreparedValue> accepted;
        std::size_t expected = 0; // where the next option is likely registered
        for (const pugi::xml_node& element : settings.children()) {
            if (element.type() != pugi::node_element) {
                continue;
            }
            if (format::NameIs(element.name(), format::kResolution)) {
                ReadResolution(element, resolution);
                continue;
            }
            if (!format::NameIs(element.name(), format::kOption)) {
                continue;
            }
            std::optional<OptionRecord> record = ReadOptionElement(element);
            if (!record) {
                continue;
            }
            const OptionRegistry::ExpectedMatch found =
                state.RegisteredOptions.FindExpected(record->Name, record->Type, expected);
            if (!found.HasType) {
                unregistered.push_back(std::move(*record));
                continue;
            }
            // Validated like the game's own value, against the option
            // registered last under the name. A refused value is not
            // applied, but the snapshot still holds what the file said, as
            // the saved state of the registered option of its name and type.
            PreparedValue prepared;
            const QORVA_ZEL_Status valid =
                PrepareOptionValueFor(*found.Match.Last, found.Match.LastAt, AsVariant(*record), prepared);
            if (valid == QORVA_ZEL_OK) {
                accepted.push_back(std::move(prepared));
            }
            saved.InsertFor(std::move(*record), found.TypedAt);
        }

        resolution.ApplyTo(state.CurrentResolution);
        resolution.ApplyTo(state.SavedResolution);
        state.UnregisteredOptions.swap(unregistered);
        state.SavedOptionSet.Swap(saved);
        // In file order, so that of repeated values the last accepted counts.
        for (PreparedValue& value : accepted) {
            StoreOptionValue(value);
        }
        state.SavedOptionSet.CompareAll(state.RegisteredOptions);
        return QORVA_ZEL_OK;
    });
}

} // namespace qorva_zel
