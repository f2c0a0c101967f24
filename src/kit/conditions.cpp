#include "kit/conditions.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace qorva_zel::kit {
namespace {

std::optional<double> Number(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])) != 0) {
        ++begin;
    }
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])) != 0) {
        --end;
    }
    if (begin < end && text[begin] == '+') {
        ++begin;
    }
    double value = 0;
    const auto result = std::from_chars(text.data() + begin, text.data() + end, value);
    if (begin == end || result.ec != std::errc() || result.ptr != text.data() + end) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> YesNo(const std::string& text)
{
    std::string word;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)) == 0) {
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    if (word == "true" || word == "yes" || word == "1" || word == "on") {
        return true;
    }
    if (word == "false" || word == "no" || word == "0" || word == "off") {
        return false;
    }
    return std::nullopt;
}

bool Equals(const std::string& fact, const nlohmann::json& wanted)
{
    if (wanted.is_boolean()) {
        const std::optional<bool> value = YesNo(fact);
        return value && *value == wanted.get<bool>();
    }
    if (wanted.is_number()) {
        const std::optional<double> value = Number(fact);
        return value && *value == wanted.get<double>();
    }
    return wanted.is_string() && fact == wanted.get<std::string>();
}

} // namespace

const std::string* Facts::Find(const std::string& name) const
{
    for (const auto& [factName, text] : Values) {
        if (factName == name) {
            return &text;
        }
    }
    return nullptr;
}

bool Facts::HasTag(const std::string& tag) const
{
    for (const std::string& mine : Tags) {
        if (mine == tag) {
            return true;
        }
    }
    return false;
}

bool Holds(const Condition& condition, const Facts& facts)
{
    switch (condition.What) {
    case Condition::Kind::Tag:
        return facts.HasTag(condition.Name);
    case Condition::Kind::All:
        for (const Condition& child : condition.Children) {
            if (!Holds(child, facts)) {
                return false;
            }
        }
        return true;
    case Condition::Kind::Any:
        for (const Condition& child : condition.Children) {
            if (Holds(child, facts)) {
                return true;
            }
        }
        return false;
    case Condition::Kind::Not:
        return !Holds(condition.Children.front(), facts);
    case Condition::Kind::Fact:
        break;
    }
    const std::string* fact = facts.Find(condition.Name);
    if (fact == nullptr) {
        return false;
    }
    if (condition.Is && !Equals(*fact, *condition.Is)) {
        return false;
    }
    if (condition.AtLeast || condition.AtMost) {
        const std::optional<double> value = Number(*fact);
        if (!value || (condition.AtLeast && !(*value >= *condition.AtLeast)) ||
            (condition.AtMost && !(*value <= *condition.AtMost))) {
            return false;
        }
    }
    if (!condition.OneOf.empty()) {
        bool any = false;
        for (const nlohmann::json& wanted : condition.OneOf) {
            any = any || Equals(*fact, wanted);
        }
        return any;
    }
    return true;
}

} // namespace qorva_zel::kit
