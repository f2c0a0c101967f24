#include "settingsfile/settings_scanner.h"

#include "qorva_zel.h"
#include "settingsfile/format.h"
#include "settingsfile/numbers.h"

#include <cstddef>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace qorva_zel {
namespace {

// Elements nested deeper than this are left to the DOM reader (the file has
// four levels).
constexpr int kDeepest = 32;

// The character classes the scanner asks about, one table look-up each.
// Names are ASCII only: the parser also takes every byte from 0x80 on, which
// the scanner declines rather than judge.
enum CharClass : unsigned char {
    kSpace = 1,
    kNameStart = 2,
    kNameChar = 4,
    kValueStop = 8, // ends a run of plain value text: quotes, "<", "&", NUL
};

struct CharClasses {
    unsigned char Of[256] = {};
    constexpr CharClasses()
    {
        for (const char c : {' ', '\t', '\n', '\r'}) {
            Of[static_cast<unsigned char>(c)] |= kSpace;
        }
        for (int c = 0; c < 256; ++c) {
            const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
            const bool other = (c >= '0' && c <= '9') || c == '-' || c == '.';
            Of[c] |= (letter ? kNameStart : 0) | (letter || other ? kNameChar : 0);
        }
        for (const char c : {'"', '\'', '<', '&', '\0'}) {
            Of[static_cast<unsigned char>(c)] |= kValueStop;
        }
    }
};
constexpr CharClasses kClasses;

bool Has(char c, CharClass what)
{
    return (kClasses.Of[static_cast<unsigned char>(c)] & what) != 0;
}

// The first character from at on that is (While false) or is not (While
// true) of the class, four at a time. It reads no further than a character
// that ends the run, and the NUL after the text ends every run.
template <CharClass what, bool While>
const char* Scan(const char* at)
{
    for (;; at += 4) {
        if (Has(at[0], what) != While) {
            return at;
        }
        if (Has(at[1], what) != While) {
            return at + 1;
        }
        if (Has(at[2], what) != While) {
            return at + 2;
        }
        if (Has(at[3], what) != While) {
            return at + 3;
        }
    }
}

template <std::size_t N>
bool Is(std::string_view name, const char (&wanted)[N])
{
    return name.size() == N - 1 && std::memcmp(name.data(), wanted, N - 1) == 0;
}

bool HasReference(std::string_view value)
{
    return value.find('&') != std::string_view::npos;
}

std::optional<std::int32_t> TypeFromWord(std::string_view word)
{
    if (Is(word, format::kTypeInteger)) {
        return QORVA_ZEL_Integer;
    }
    if (Is(word, format::kTypeFloat)) {
        return QORVA_ZEL_Float;
    }
    if (Is(word, format::kTypeEnum)) {
        return QORVA_ZEL_Enum;
    }
    if (Is(word, format::kTypeBool)) {
        return QORVA_ZEL_Bool;
    }
    return std::nullopt;
}

// The references the scanner decodes: the five named ones, and decimal
// ones of one to three digits naming an ASCII character other than NUL
// (the writer's form for control characters). Gives the character and the
// reference's length, or 0 for any other reference.
std::size_t ReadReference(std::string_view text, char& character)
{
    struct Named {
        std::string_view Text;
        char Character;
    };
    static constexpr Named kNamed[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''},
    };
    for (const Named& named : kNamed) {
        if (text.substr(0, named.Text.size()) == named.Text) {
            character = named.Character;
            return named.Text.size();
        }
    }
    if (text.size() < 4 || text[1] != '#') {
        return 0;
    }
    int code = 0;
    std::size_t i = 2;
    for (; i < text.size() && i < 5 && text[i] >= '0' && text[i] <= '9'; ++i) {
        code = code * 10 + (text[i] - '0');
    }
    if (i == 2 || i >= text.size() || text[i] != ';' || code < 1 || code > 127) {
        return 0;
    }
    character = static_cast<char>(code);
    return i + 1;
}

// Decodes the references of a value the scanner accepted, in place: the
// text only shrinks, and the values the description keeps never overlap.
void DecodeReferences(std::string& text, std::string_view& value)
{
    const std::size_t first = value.find('&');
    if (first == std::string_view::npos) {
        return;
    }
    char* const begin = text.data() + (value.data() - text.data());
    std::size_t written = first;
    for (std::size_t i = first; i < value.size();) {
        char character = value[i];
        std::size_t length = 1;
        if (character == '&') {
            length = ReadReference(value.substr(i), character);
        }
        begin[written++] = character;
        i += length;
    }
    value = std::string_view(begin, written);
}

struct Attribute {
    std::string_view Name;
    std::string_view Value;
};

struct Tag {
    std::string_view Name;
    bool Empty = false; // "<NAME ... />"
};

class Scanner {
public:
    // The loops over characters stop at the NUL a std::string keeps after
    // its text, which no class but kValueStop includes: they need no bounds.
    Scanner(const std::string& text, SettingsDocument& out)
        : at_(text.c_str()), end_(text.c_str() + text.size()), out_(out)
    {
    }

    bool Run();
    bool SawReference() const { return sawReference_; }

private:
    void SkipSpace()
    {
        at_ = Scan<kSpace, true>(at_);
    }
    bool ReadName(std::string_view& name);
    bool ReadValue(std::string_view& value);
    bool ReadAttributes(Tag& tag, bool declaration);
    bool ReadStartTag(Tag& tag);
    bool NextChild(const Tag& parent, Tag& child, bool& ended);
    // Calls read(child) for each child element of parent, up to parent's
    // end tag; false when the text is not as expected or read says so.
    template <class Read>
    bool ReadChildren(const Tag& parent, Read&& read);
    bool Skip(const Tag& tag, int depth);
    template <std::size_t N>
    std::string_view FirstAttribute(const char (&name)[N]) const;

    bool ReadRoot(const Tag& root);
    bool ReadApplication(const Tag& application);
    bool ReadGameSettings(const Tag& settings);
    bool ReadResolution(const Tag& resolution);
    bool ReadOption(const Tag& element);

    const char* at_;
    const char* end_;
    SettingsDocument& out_;
    std::vector<Attribute> attributes_; // of the last start tag read
    bool sawReference_ = false;
};

bool Scanner::ReadName(std::string_view& name)
{
    const char* start = at_;
    if (!Has(*at_, kNameStart)) {
        return false;
    }
    ++at_;
    at_ = Scan<kNameChar, true>(at_);
    name = std::string_view(start, static_cast<std::size_t>(at_ - start));
    return true;
}

bool Scanner::ReadValue(std::string_view& value)
{
    const char quote = *at_;
    if (quote != '"' && quote != '\'') {
        return false;
    }
    const char* start = ++at_;
    for (;;) {
        at_ = Scan<kValueStop, false>(at_);
        const char c = *at_;
        if (c == quote) {
            break;
        }
        if (c == '&') {
            char character = '\0';
            const std::size_t length = ReadReference(std::string_view(at_, static_cast<std::size_t>(end_ - at_)),
                                                     character);
            if (length == 0) {
                return false;
            }
            sawReference_ = true;
            at_ += length;
        } else if (c == '"' || c == '\'') {
            ++at_; // the other quote
        } else {
            return false; // "<", or a NUL within the text or at its end
        }
    }
    value = std::string_view(start, static_cast<std::size_t>(at_ - start));
    ++at_;
    return true;
}

// The attributes up to the tag's end: ">" or "/>" (or "?>" for the
// declaration), each after white space.
bool Scanner::ReadAttributes(Tag& tag, bool declaration)
{
    attributes_.clear();
    for (;;) {
        const bool spaced = Has(*at_, kSpace);
        SkipSpace();
        if (at_ >= end_) {
            return false;
        }
        if (declaration) {
            if (*at_ == '?') {
                if (end_ - at_ < 2 || at_[1] != '>') {
                    return false;
                }
                at_ += 2;
                return true;
            }
        } else if (*at_ == '>') {
            ++at_;
            tag.Empty = false;
            return true;
        } else if (*at_ == '/') {
            if (end_ - at_ < 2 || at_[1] != '>') {
                return false;
            }
            at_ += 2;
            tag.Empty = true;
            return true;
        }
        Attribute attribute;
        if (!spaced || !ReadName(attribute.Name)) {
            return false;
        }
        SkipSpace();
        if (at_ >= end_ || *at_ != '=') {
            return false;
        }
        ++at_;
        SkipSpace();
        if (!ReadValue(attribute.Value)) {
            return false;
        }
        attributes_.push_back(attribute);
    }
}

// After the "<" of a start tag.
bool Scanner::ReadStartTag(Tag& tag)
{
    return ReadName(tag.Name) && ReadAttributes(tag, false);
}

// White space, then a child's start tag or the parent's end tag (ended).
bool Scanner::NextChild(const Tag& parent, Tag& child, bool& ended)
{
    SkipSpace();
    if (end_ - at_ < 2 || *at_ != '<') {
        return false;
    }
    ++at_;
    if (*at_ != '/') {
        ended = false;
        return ReadStartTag(child);
    }
    ++at_;
    std::string_view name;
    if (!ReadName(name) || name != parent.Name) {
        return false;
    }
    SkipSpace();
    if (at_ >= end_ || *at_ != '>') {
        return false;
    }
    ++at_;
    ended = true;
    return true;
}

template <class Read>
bool Scanner::ReadChildren(const Tag& parent, Read&& read)
{
    if (parent.Empty) {
        return true;
    }
    for (;;) {
        Tag child;
        bool ended = false;
        if (!NextChild(parent, child, ended)) {
            return false;
        }
        if (ended) {
            return true;
        }
        if (!read(child)) {
            return false;
        }
    }
}

// An element the description does not look into, with all it holds.
bool Scanner::Skip(const Tag& tag, int depth)
{
    if (depth > kDeepest && !tag.Empty) {
        return false;
    }
    return ReadChildren(tag, [this, depth](const Tag& child) { return Skip(child, depth + 1); });
}

// The first attribute of the name in the last start tag, "" without one.
template <std::size_t N>
std::string_view Scanner::FirstAttribute(const char (&name)[N]) const
{
    for (const Attribute& attribute : attributes_) {
        if (Is(attribute.Name, name)) {
            return attribute.Value;
        }
    }
    return "";
}

bool Scanner::Run()
{
    // A declaration counts only at the very start.
    constexpr std::string_view kDeclaration = "<?xml";
    if (static_cast<std::size_t>(end_ - at_) > kDeclaration.size() &&
        std::string_view(at_, kDeclaration.size()) == kDeclaration &&
        (Has(at_[kDeclaration.size()], kSpace) || at_[kDeclaration.size()] == '?')) {
        at_ += kDeclaration.size();
        Tag declaration;
        if (!ReadAttributes(declaration, true)) {
            return false;
        }
    }
    bool rooted = false;
    for (;;) {
        SkipSpace();
        if (at_ >= end_) {
            break;
        }
        // Comments, processing instructions and text outside the element,
        // and a second element, go to the DOM reader.
        if (rooted || *at_ != '<') {
            return false;
        }
        ++at_;
        Tag tag;
        if (!ReadStartTag(tag)) {
            return false;
        }
        rooted = true;
        if (!(Is(tag.Name, format::kRoot) ? ReadRoot(tag) : Skip(tag, 1))) {
            return false;
        }
    }
    return rooted; // an empty or blank text: the DOM reader's verdict
}

// The first "APPLICATION" and the first "GAMESETTINGS" count.
bool Scanner::ReadRoot(const Tag& root)
{
    bool application = false;
    bool settings = false;
    return ReadChildren(root, [&](const Tag& child) {
        if (!application && Is(child.Name, format::kApplication)) {
            application = true;
            return ReadApplication(child);
        }
        if (!settings && Is(child.Name, format::kGameSettings)) {
            settings = true;
            return ReadGameSettings(child);
        }
        return Skip(child, 2);
    });
}

// Of each of the six strings, the first element counts, and of its
// attributes the first "Value".
bool Scanner::ReadApplication(const Tag& application)
{
    const std::pair<std::string_view, std::string_view*> strings[] = {
        {format::kDisplayName, &out_.Application.DisplayName}, {format::kVersionName, &out_.Application.VersionName},
        {format::kInstallPath, &out_.Application.InstallPath}, {format::kConfigPath, &out_.Application.ConfigPath},
        {format::kExecutable, &out_.Application.Executable},   {format::kExecCmd, &out_.Application.ExecCmd},
    };
    bool seen[std::size(strings)] = {};
    return ReadChildren(application, [&](const Tag& child) {
        for (std::size_t i = 0; i < std::size(strings); ++i) {
            if (!seen[i] && child.Name == strings[i].first) {
                seen[i] = true;
                *strings[i].second = FirstAttribute(format::kValue);
                break;
            }
        }
        return Skip(child, 3);
    });
}

bool Scanner::ReadGameSettings(const Tag& settings)
{
    return ReadChildren(settings, [this](const Tag& child) {
        if (Is(child.Name, format::kResolution)) {
            return ReadResolution(child);
        }
        if (Is(child.Name, format::kOption)) {
            return ReadOption(child);
        }
        return Skip(child, 3);
    });
}

// Each resolution attribute overrides what earlier ones said; the "ENUM"
// children are the listed modes. A number written with references is left
// to the DOM reader.
bool Scanner::ReadResolution(const Tag& resolution)
{
    StoredResolution& stored = out_.Resolution;
    for (const Attribute& attribute : attributes_) {
        const bool number = Is(attribute.Name, format::kWidth) || Is(attribute.Name, format::kHeight) ||
                            Is(attribute.Name, format::kRefreshRate);
        if (number && HasReference(attribute.Value)) {
            return false;
        }
        if (Is(attribute.Name, format::kWidth)) {
            stored.Width = static_cast<std::uint32_t>(ReadInt(attribute.Value));
        } else if (Is(attribute.Name, format::kHeight)) {
            stored.Height = static_cast<std::uint32_t>(ReadInt(attribute.Value));
        } else if (Is(attribute.Name, format::kRefreshRate)) {
            stored.RefreshRate = ReadFloat(attribute.Value);
        }
    }
    return ReadChildren(resolution, [this](const Tag& child) {
        if (Is(child.Name, format::kEnum)) {
            out_.ListedModes.push_back({FirstAttribute(format::kWidth), FirstAttribute(format::kHeight),
                                        FirstAttribute(format::kRefreshRate)});
        }
        return Skip(child, 4);
    });
}

// An "OPTION" element, read as the DOM reader reads it: a "Value" counts
// only after the "Type" it is read under, a later "Type" with another word
// drops it, and the last "Name" and "Registered" count.
bool Scanner::ReadOption(const Tag& element)
{
    StoredOption option;
    bool hasName = false;
    std::optional<std::int32_t> type;
    bool hasValue = false;
    for (const Attribute& attribute : attributes_) {
        if (Is(attribute.Name, format::kName)) {
            option.Name = attribute.Value;
            hasName = true;
        } else if (Is(attribute.Name, format::kType)) {
            if (HasReference(attribute.Value)) {
                return false;
            }
            const std::optional<std::int32_t> word = TypeFromWord(attribute.Value);
            if (word && word != type) {
                type = word;
                hasValue = false;
            }
        } else if (Is(attribute.Name, format::kValue) && type) {
            option.Value = attribute.Value;
            hasValue = true;
        } else if (Is(attribute.Name, format::kRegistered)) {
            option.Registered = attribute.Value;
        }
    }
    if (!hasName || !type || !hasValue) {
        return Skip(element, 3); // not a readable option
    }
    option.Type = *type;
    const bool ranged = option.Type == QORVA_ZEL_Integer || option.Type == QORVA_ZEL_Float;
    if (ranged) {
        option.MinValue = option.MaxValue = option.NumSteps = "";
    }
    option.AllowedBegin = out_.AllowedStrings.size();
    bool rangeSeen = false;
    const bool read = ReadChildren(element, [&](const Tag& child) {
        if (option.Type == QORVA_ZEL_Enum && Is(child.Name, format::kEnum)) {
            out_.AllowedStrings.push_back(FirstAttribute(format::kEnumValue));
        } else if (ranged && !rangeSeen && Is(child.Name, format::kRange)) {
            rangeSeen = true;
            option.MinValue = FirstAttribute(format::kMinValue);
            option.MaxValue = FirstAttribute(format::kMaxValue);
            option.NumSteps = FirstAttribute(format::kNumSteps);
        }
        return Skip(child, 4);
    });
    if (!read) {
        return false;
    }
    option.AllowedCount = out_.AllowedStrings.size() - option.AllowedBegin;
    out_.Options.push_back(option);
    return true;
}

} // namespace

bool ScanSettingsText(std::string& text, SettingsDocument& out)
{
    out.Application = {"", "", "", "", "", ""};
    Scanner scanner(text, out);
    if (!scanner.Run()) {
        return false;
    }
    if (scanner.SawReference()) {
        StoredApplication& application = out.Application;
        for (std::string_view* value : {&application.DisplayName, &application.VersionName, &application.InstallPath,
                                        &application.ConfigPath, &application.Executable, &application.ExecCmd}) {
            DecodeReferences(text, *value);
        }
        for (StoredMode& mode : out.ListedModes) {
            DecodeReferences(text, mode.Width);
            DecodeReferences(text, mode.Height);
            DecodeReferences(text, mode.RefreshRate);
        }
        for (StoredOption& option : out.Options) {
            for (std::string_view* value : {&option.Name, &option.Value, &option.Registered, &option.MinValue,
                                            &option.MaxValue, &option.NumSteps}) {
                DecodeReferences(text, *value);
            }
        }
        for (std::string_view& value : out.AllowedStrings) {
            DecodeReferences(text, value);
        }
    }
    return true;
}

} // namespace qorva_zel
