// Reading the settings file's bytes into a plain description of it: the
// resolution fields and the option elements, in document order, as the
// texts the file holds. Nothing here knows of registered options.
#pragma once

#include "registry/option_record.h"
#include "settingsfile/encoding.h"

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qorva_zel {

// The resolution fields a file holds; an absent one is unset. Of several
// "RESOLUTION" elements and attributes, the last one met counts. Width and
// height are read as signed numbers and kept with the same bits.
struct StoredResolution {
    std::optional<std::uint32_t> Width;
    std::optional<std::uint32_t> Height;
    std::optional<float> RefreshRate;
};

// One "OPTION" element with a "Name", a "Type" holding one of the four type
// words and a "Value" given under that type. Texts are UTF-8, with the
// file's references decoded; an absent attribute reads as "".
struct StoredOption {
    std::string_view Name;
    std::int32_t Type = 0;
    std::string_view Value;
    std::string_view Registered;
    // Integer and Float: the attributes of the first "RANGE" child.
    std::string_view MinValue;
    std::string_view MaxValue;
    std::string_view NumSteps;
    // Enum: the "EnumValue" of each "ENUM" child, AllowedCount of them from
    // AllowedBegin on in SettingsDocument::AllowedStrings.
    std::size_t AllowedBegin = 0;
    std::size_t AllowedCount = 0;
    // Where the element's "<" stands in SettingsDocument::Source (only when
    // the source is kept).
    std::size_t Offset = 0;
};

// The six application strings, "" when absent (the first of each element
// under "APPLICATION" counts).
struct StoredApplication {
    std::string_view DisplayName;
    std::string_view VersionName;
    std::string_view InstallPath;
    std::string_view ConfigPath;
    std::string_view Executable;
    std::string_view ExecCmd;
};

// One "ENUM" child of a "RESOLUTION" element: a listed mode, as texts.
struct StoredMode {
    std::string_view Width;
    std::string_view Height;
    std::string_view RefreshRate;
};

// An "OPTION" element that is not a readable option, and why.
enum class SkipReason {
    NoName,        // no "Name" attribute
    NoType,        // no "Type" holding one of the four type words
    NoValue,       // no "Value" after the "Type" it is read under
};

struct SkippedOption {
    SkipReason Reason = SkipReason::NoName;
    std::string_view Name; // "" when there is none
    std::size_t Offset = 0; // of its "<" in SettingsDocument::Source
    // How many readable options come before it in document order.
    std::size_t Before = 0;
};

// Where the text stops being well-formed XML.
struct ParseError {
    std::size_t Offset = 0;          // in the decoded text
    const char* Description = "";    // pugixml's words for it
};

struct ReadOptions {
    // Keeps a copy of the decoded text (Source) and records where each
    // option stands and which "OPTION" elements were skipped: for tools
    // that point at lines. The loader does without.
    bool KeepSource = false;
    // Gives the decoded text a buffer of its own size when it was decoded
    // in place (where it takes about half the bytes' buffer): for files too
    // large to keep the buffer for another read.
    bool CompactText = false;
};

// A parsed settings file. Its texts point into the document it owns, and
// live as long as it does, or until it reads another file: a document may
// be read into again and again, and then reuses its memory.
class SettingsDocument {
public:
    SettingsDocument() = default;
    SettingsDocument(const SettingsDocument&) = delete;
    SettingsDocument& operator=(const SettingsDocument&) = delete;

    // Frees everything it holds, as a new document.
    void Release() noexcept;
    // Swaps its text's memory with buffer's, for a reader that is done with
    // the document and reads the next file into buffer; the lists, which
    // pointed into the text, are emptied (and keep their memory).
    void GiveBackText(std::string& buffer) noexcept;
    // The memory it holds, roughly: its text and lists (not the parsed
    // document's nodes, which take about as much again).
    std::size_t HeldBytes() const noexcept;

    FileEncoding Encoding = FileEncoding::Utf16Le;
    StoredApplication Application;
    StoredResolution Resolution;
    // The "ENUM" children of every "RESOLUTION" element, in document order.
    std::vector<StoredMode> ListedModes;
    std::vector<StoredOption> Options;
    std::vector<std::string_view> AllowedStrings;
    // Set when ReadSettingsDocument returned false for a parse failure.
    ParseError Error;
    // With ReadOptions::KeepSource: the decoded text as it was before
    // parsing, and the skipped "OPTION" elements.
    std::string Source;
    std::vector<SkippedOption> Skipped;

private:
    // Empties the description (the lists keep their memory).
    void ClearDescription() noexcept;
    friend bool ReadSettingsBuffer(std::string& buffer, SettingsDocument& out, const ReadOptions& options);
    std::string text_;
    pugi::xml_document document_;
};

// Decodes the file's bytes in the encoding DetectEncoding finds and reads
// them into out, new or read into before. False when the text
// is not well-formed XML (out.Error says where): in an encoding that is not
// read, rejected by the parser, or holding no element while not empty or
// blank. Everything else, an empty or blank text or a document without the
// expected elements included, reads as what it holds. An element that is
// not a readable option is skipped.
bool ReadSettingsDocument(std::string bytes, SettingsDocument& out, const ReadOptions& options = {});

// The same, decoding buffer's bytes in place where they fit, and taking its
// memory for the document's text: buffer is left holding some memory to be
// reused (the document's previous text), its contents unspecified. A
// loader that keeps both between reads allocates nothing new once they are
// large enough.
bool ReadSettingsBuffer(std::string& buffer, SettingsDocument& out, const ReadOptions& options = {});

// The 1-based line and column (in characters) of an offset into UTF-8 text.
struct TextPosition {
    std::size_t Line = 1;
    std::size_t Column = 1;
};
TextPosition PositionOf(std::string_view text, std::size_t offset) noexcept;

// The start tag that begins at offset ("<" up to its closing ">", quotes
// respected), or the rest of the text when it is not closed.
std::string_view StartTagAt(std::string_view text, std::size_t offset) noexcept;

// What a stored option's "Value" reads as under its type: Integer, Float and
// Bool in the union (a Bool as 1 or 0), an Enum's string in text.
QORVA_ZEL_Value ReadStoredValue(const StoredOption& option) noexcept;

// The whole option as a record, limits and allowed strings included, named
// name (the option's Name, already in UTF-16).
OptionRecord MakeOptionRecord(const StoredOption& option, const SettingsDocument& document, std::u16string name);

} // namespace qorva_zel
