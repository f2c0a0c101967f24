#include "settingsfile/escape.h"

#include "settingsfile/text.h"

namespace qorva_zel {
namespace {

bool NeedsEscape(char16_t unit)
{
    return unit == u'&' || unit == u'<' || unit == u'>' || unit == u'"' || (unit < 0x20 && unit != u'\t');
}

void AppendEscape(char16_t unit, std::string& out)
{
    switch (unit) {
    case u'&':
        out += "&amp;";
        return;
    case u'<':
        out += "&lt;";
        return;
    case u'>':
        out += "&gt;";
        return;
    case u'"':
        out += "&quot;";
        return;
    default:
        out += "&#";
        out.push_back(static_cast<char>('0' + unit / 10));
        out.push_back(static_cast<char>('0' + unit % 10));
        out.push_back(';');
        return;
    }
}

} // namespace

std::string EscapeAttribute(std::u16string_view value)
{
    std::string out;
    out.reserve(value.size() + 8);
    std::size_t plainStart = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (NeedsEscape(value[i])) {
            AppendUtf8(value.substr(plainStart, i - plainStart), out);
            AppendEscape(value[i], out);
            plainStart = i + 1;
        }
    }
    AppendUtf8(value.substr(plainStart), out);
    return out;
}

} // namespace qorva_zel
