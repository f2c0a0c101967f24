#include "settingsfile/escape.h"


namespace qorva_zel {
namespace {

bool NeedsEscape(char16_t unit)
{
    return unit == u'&' || unit == u'<' || unit == u'>' || unit == u'"' || (unit < 0x20 && unit != u'\t');
}

void AppendEscape(char16_t unit, std::u16string& out)
{
    switch (unit) {
    case u'&':
        out += u"&amp;";
        return;
    case u'<':
        out += u"&lt;";
        return;
    case u'>':
        out += u"&gt;";
        return;
    case u'"':
        out += u"&quot;";
        return;
    default: {
        const char16_t reference[] = {u'&', u'#', static_cast<char16_t>(u'0' + unit / 10),
                                      static_cast<char16_t>(u'0' + unit % 10), u';'};
        out.append(reference, sizeof reference / sizeof reference[0]);
        return;
    }
    }
}

} // namespace

void AppendEscapedAttribute(std::u16string_view value, std::u16string& out)
{
    std::size_t plainStart = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (NeedsEscape(value[i])) {
            out.append(value.substr(plainStart, i - plainStart));
            AppendEscape(value[i], out);
            plainStart = i + 1;
        }
    }
    out.append(value.substr(plainStart));
}

} // namespace qorva_zel
