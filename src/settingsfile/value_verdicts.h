// What a settings file's values say about themselves, in words: whether a
// value's text is what the library reads it as, values and limits as text,
// and the messages of the problems that qorvazel check and the settings
// kit's load report name. The library itself does not use it.
#pragma once

#include "qorva_zel.h"
#include "registry/option_record.h"
#include "settingsfile/settings_reader.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qorva_zel {

// Whether a value's text is what the library reads it as. A number's whole
// text, white space around it aside, is one decimal number (or "inf",
// "nan") equal to the value read: an Integer exactly ("3.0" for 3 is fine,
// "3.5" is not), a Float up to its precision but not past its range. A
// Bool's text is a yes/no word (any case) that agrees with the value read.
// Enum texts always are.
bool ReadsAsWritten(std::int32_t type, std::string_view text, const QORVA_ZEL_Value& read);

// The record's value as text: "3", "1.5", "true", an Enum's string quoted.
std::string ValueText(const OptionRecord& record);

// The record's limits in words: "0 to 4 in 4 steps", "any value",
// "\"Low\", \"High\"", "true or false".
std::string LimitsText(const OptionRecord& record);

// Why a validation status refuses the record's value: kind gets
// "out-of-range", "off-step" or "not-allowed" and the words are
// "out of range (0 to 4)"; "" for QORVA_ZEL_OK.
std::string RefusalWords(const OptionRecord& record, QORVA_ZEL_Status status, const char*& kind);

// The messages. whose names the limits: "its own" (the file's) or "the game's".
std::string MisreadMessage(std::string_view name, std::string_view text, const OptionRecord& read);
std::string RefusedMessage(std::string_view name, const OptionRecord& record, std::string_view whose,
                           const std::string& words);
std::string MalformedMessage(std::string_view startTag, SkipReason reason);

} // namespace qorva_zel
