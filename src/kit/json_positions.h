// JSON parsed with nlohmann-json, and the place in the text of a value (by
// JSON pointer), so that an error found later can name its line and column.
#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace qorva_zel::kit {

struct PositionedJson {
    nlohmann::json Root;
    // Byte offset of the first character of each value ("" is the root,
    // "/options/3/default" a member), and of each member's key under the
    // pointer followed by "#key".
    std::unordered_map<std::string, std::size_t> Offsets;
};

// Parses text into root. False on a syntax error or a key that appears
// twice in one object, with the byte offset of the problem and its
// description.
bool ParseJson(std::string_view text, nlohmann::json& root, std::size_t& errorOffset, std::string& error);

// Parses text again, recording where every value starts: for messages
// only, so that a parse that finds nothing wrong records nothing.
bool ParseJsonWithPositions(std::string_view text, PositionedJson& out, std::size_t& errorOffset,
                            std::string& error);

// The JSON-pointer form of a key ("~" as "~0", "/" as "~1").
std::string PointerToken(std::string_view key);

} // namespace qorva_zel::kit
