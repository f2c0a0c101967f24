// Reading option records from "OPTION" elements.
#pragma once

#include "registry/option_record.h"

#include <optional>
#include <pugixml.hpp>

namespace qorva_zel {

// Builds a record from an "OPTION" element. An element without a "Name",
// without a "Type" holding one of the four type words, or without a "Value"
// read under its final type yields nothing.
std::optional<OptionRecord> ReadOptionElement(const pugi::xml_node& element);

} // namespace qorva_zel
