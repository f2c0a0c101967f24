// Conditions over facts and tags: the hardware tiers and the options'
// availability.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qorva_zel::kit {

struct Condition {
    enum class Kind { Fact, Tag, All, Any, Not };
    Kind What = Kind::All;
    std::string Name;                   // Fact, Tag
    std::optional<nlohmann::json> Is;   // Fact: equal to this string, number or yes/no
    std::optional<double> AtLeast;      // Fact: as a number
    std::optional<double> AtMost;
    std::vector<nlohmann::json> OneOf;  // Fact: equal to one of these
    std::vector<Condition> Children;    // All, Any, Not (one)
};

// The facts and tags a condition is judged on.
struct Facts {
    std::vector<std::pair<std::string, std::string>> Values; // name, text; the first of a name counts
    std::vector<std::string> Tags;

    const std::string* Find(const std::string& name) const;
    bool HasTag(const std::string& tag) const;
};

// A fact that is missing, or that cannot be read as the condition needs
// (a number, a yes/no word), does not satisfy it.
bool Holds(const Condition& condition, const Facts& facts);

} // namespace qorva_zel::kit
