// Turning option records into "OPTION" elements and back.
#pragma once

#include "registry/option_record.h"

#include <optional>
#include <pugixml.hpp>

namespace qorva_zel {

// Builds a record from an "OPTION" element. An element without a "Name",
// without a "Type" holding one of the four type words, or without a "Value"
// read under its final type yields nothing.
std::optional<OptionRecord> ReadOptionElement(const pugi::xml_node& element);

// Fills an "OPTION" element from a record; registered selects the
// "Registered" word. Attribute values are stored already escaped.
// Returns false when the document could not allocate a node or a value.
bool WriteOptionElement(pugi::xml_node element, const OptionRecord& record, bool registered);

} // namespace qorva_zel
