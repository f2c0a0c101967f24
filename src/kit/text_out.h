// Handing a string out into the caller's buffer, as the kit's header says.
#pragma once

#include "qorva_zel_kit.h"

#include <cstddef>
#include <cstring>
#include <string_view>

namespace qorva_zel::kit {

// Copies text and its terminator when size exceeds its length; otherwise the
// longest prefix of whole UTF-8 characters that fits, terminated, and
// QORVA_ZEL_KIT_ERROR_BUFFER_TOO_SMALL. *length gets the full length.
inline QORVA_ZEL_Status CopyOut(std::string_view text, char* buffer, std::size_t size, std::size_t* length) noexcept
{
    if (length != nullptr) {
        *length = text.size();
    }
    if (buffer == nullptr || size == 0) {
        return QORVA_ZEL_KIT_ERROR_BUFFER_TOO_SMALL; // not even room for the terminator
    }
    if (size > text.size()) {
        std::memcpy(buffer, text.data(), text.size());
        buffer[text.size()] = '\0';
        return QORVA_ZEL_OK;
    }
    std::size_t fits = size - 1;
    while (fits > 0 && (static_cast<unsigned char>(text[fits]) & 0xC0) == 0x80) {
        --fits; // not in the middle of a character
    }
    std::memcpy(buffer, text.data(), fits);
    buffer[fits] = '\0';
    return QORVA_ZEL_KIT_ERROR_BUFFER_TOO_SMALL;
}

} // namespace qorva_zel::kit
