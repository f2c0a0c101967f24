// Reading the settings file's bytes into a plain description of it: the
// resolution fields and the option elements, in document order, as the
// texts the file holds. Nothing here knows of registered options.
#pragma once

#include "registry/option_record.h"

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qorva_zel {

// The resolution fields a file holds; an absent one is unset. Of several
// "RESOLUTION" elements and attributes, the last one met counts. Width and
// height are read as signed numbers and kept with the same bits.
struct StoredResolution {
    std::optional<std::uint32_t> Width;
    std::optional<std::uint32_t> Height;
    std::optional<float> RefreshRate;
};

// One "OPTION" element with a "Name", a "Type" holding one of the four type
// words and a "Value" given under that type. Texts are UTF-8, with the
// file's references decoded; an absent attribute reads as "".
struct StoredOption {
    std::string_view Name;
    std::int32_t Type = 0;
    std::string_view Value;
    std::string_view Registered;
    // Integer and Float: the attributes of the first "RANGE" child.
    std::string_view MinValue;
    std::string_view MaxValue;
    std::string_view NumSteps;
    // Enum: the "EnumValue" of each "ENUM" child, AllowedCount of them from
    // AllowedBegin on in SettingsDocument::AllowedStrings.
    std::size_t AllowedBegin = 0;
    std::size_t AllowedCount = 0;
};

// A parsed settings file. Its texts point into the document it owns, and
// live as long as it does.
class SettingsDocument {
public:
    SettingsDocument() = default;
    SettingsDocument(const SettingsDocument&) = delete;
    SettingsDocument& operator=(const SettingsDocument&) = delete;

    StoredResolution Resolution;
    std::vector<StoredOption> Options;
    std::vector<std::string_view> AllowedStrings;

private:
    friend bool ReadSettingsDocument(std::string bytes, SettingsDocument& out);
    std::string text_;
    pugi::xml_document document_;
};

// Decodes the file's bytes (UTF-16 little-endian, a leading byte-order mark
// dropped, an odd last byte ignored; freed once decoded) and reads them into
// out, which must be new. False when the text is not well-formed XML;
// everything else, an empty document or one without the expected elements
// included, reads as what it holds. An element that is not a readable
// option is skipped.
bool ReadSettingsDocument(std::string bytes, SettingsDocument& out);

// What a stored option's "Value" reads as under its type: Integer, Float and
// Bool in the union (a Bool as 1 or 0), an Enum's string in text.
QORVA_ZEL_Value ReadStoredValue(const StoredOption& option) noexcept;

// The whole option as a record, limits and allowed strings included, named
// name (the option's Name, already in UTF-16).
OptionRecord MakeOptionRecord(const StoredOption& option, const SettingsDocument& document, std::u16string name);

} // namespace qorva_zel
