#include "kit/json_positions.h"

#include <iterator>
#include <set>
#include <utility>
#include <vector>

namespace qorva_zel::kit {
namespace {

using nlohmann::json;

// A character iterator that tells how far the parser has read: nlohmann's
// SAX events carry no positions, but each one comes right after the token it
// reports has been read.
class CountingIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountingIterator(const char* at, const char* base, std::size_t* consumed) : at_(at), base_(base), consumed_(consumed) {}
    reference operator*() const { return *at_; }
    CountingIterator& operator++()
    {
        ++at_;
        *consumed_ = static_cast<std::size_t>(at_ - base_);
        return *this;
    }
    CountingIterator operator++(int)
    {
        CountingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const CountingIterator& other) const { return at_ == other.at_; }
    bool operator!=(const CountingIterator& other) const { return at_ != other.at_; }

private:
    const char* at_;
    const char* base_;
    std::size_t* consumed_;
};

// Builds the document through nlohmann's own DOM builder and records where
// each value starts: the first character after the previous event that is
// not white space, a comma or a colon.
class PositionRecorder {
public:
    PositionRecorder(std::string_view text, PositionedJson& out, const std::size_t& consumed)
        : text_(text), out_(out), consumed_(consumed), dom_(out.Root, false)
    {
    }

    bool null() { return Value() && dom_.null(); }
    bool boolean(bool value) { return Value() && dom_.boolean(value); }
    bool number_integer(json::number_integer_t value) { return Value() && dom_.number_integer(value); }
    bool number_unsigned(json::number_unsigned_t value) { return Value() && dom_.number_unsigned(value); }
    bool number_float(json::number_float_t value, const json::string_t& text)
    {
        return Value() && dom_.number_float(value, text);
    }
    bool string(json::string_t& value) { return Value() && dom_.string(value); }
    bool binary(json::binary_t& value) { return Value() && dom_.binary(value); }

    bool start_object(std::size_t size)
    {
        if (!Value()) {
            return false;
        }
        frames_.push_back(Frame{false, 0, {}, current_, {}});
        return dom_.start_object(size);
    }
    bool key(json::string_t& key)
    {
        Frame& frame = frames_.back();
        const std::size_t at = TokenStart();
        if (!frame.Keys.insert(key).second) {
            errorOffset_ = at;
            error_ = "the key \"" + key + "\" appears twice in one object";
            return false;
        }
        frame.Key = key;
        out_.Offsets[frame.Pointer + "/" + PointerToken(key) + "#key"] = at;
        return dom_.key(key);
    }
    bool end_object()
    {
        frames_.pop_back();
        last_ = consumed_;
        return dom_.end_object();
    }
    bool start_array(std::size_t size)
    {
        if (!Value()) {
            return false;
        }
        frames_.push_back(Frame{true, 0, {}, current_, {}});
        return dom_.start_array(size);
    }
    bool end_array()
    {
        frames_.pop_back();
        last_ = consumed_;
        return dom_.end_array();
    }
    bool parse_error(std::size_t position, const std::string& token, const nlohmann::detail::exception& ex)
    {
        // position counts the characters read, the offending token's included.
        errorOffset_ = position >= token.size() && !token.empty() ? position - token.size() : (position > 0 ? position - 1 : 0);
        error_ = ex.what();
        // nlohmann's text starts "[json.exception.parse_error.101] parse error at line 1, column 2: ".
        const std::size_t colon = error_.find(": ");
        if (colon != std::string::npos) {
            error_ = error_.substr(colon + 2);
        }
        return false;
    }

    std::size_t ErrorOffset() const { return errorOffset_; }
    const std::string& Error() const { return error_; }

private:
    struct Frame {
        bool Array = false;
        std::size_t Index = 0;
        std::string Key;
        std::string Pointer;
        std::set<std::string> Keys;
    };

    std::size_t TokenStart()
    {
        std::size_t at = last_;
        while (at < text_.size() &&
               (text_[at] == ' ' || text_[at] == '\t' || text_[at] == '\n' || text_[at] == '\r' || text_[at] == ',' ||
                text_[at] == ':')) {
            ++at;
        }
        last_ = consumed_;
        return at;
    }

    // Records the place of the value that an event reports.
    bool Value()
    {
        const std::size_t at = TokenStart();
        if (frames_.empty()) {
            current_.clear();
        } else if (frames_.back().Array) {
            current_ = frames_.back().Pointer + "/" + std::to_string(frames_.back().Index++);
        } else {
            current_ = frames_.back().Pointer + "/" + PointerToken(frames_.back().Key);
        }
        out_.Offsets[current_] = at;
        return true;
    }

    std::string_view text_;
    PositionedJson& out_;
    const std::size_t& consumed_;
    nlohmann::detail::json_sax_dom_parser<json> dom_;
    std::vector<Frame> frames_;
    std::string current_;
    std::size_t last_ = 0;
    std::size_t errorOffset_ = 0;
    std::string error_;
};


// Builds the document and refuses a key that appears twice in one object
// (nlohmann's own builder keeps the last); knows no positions but that of
// the key at fault.
class DocumentBuilder {
public:
    DocumentBuilder(std::string_view text, json& root, const std::size_t& consumed)
        : text_(text), root_(root), consumed_(consumed)
    {
    }

    bool null() { return Insert(json(nullptr)) != nullptr; }
    bool boolean(bool value) { return Insert(json(value)) != nullptr; }
    bool number_integer(json::number_integer_t value) { return Insert(json(value)) != nullptr; }
    bool number_unsigned(json::number_unsigned_t value) { return Insert(json(value)) != nullptr; }
    bool number_float(json::number_float_t value, const json::string_t& /*text*/) { return Insert(json(value)) != nullptr; }
    bool string(json::string_t& value) { return Insert(json(std::move(value))) != nullptr; }
    bool binary(json::binary_t& value) { return Insert(json::binary(std::move(value))) != nullptr; }
    bool start_object(std::size_t /*size*/)
    {
        stack_.push_back(Insert(json::object()));
        return true;
    }
    bool key(json::string_t& key)
    {
        if (stack_.back()->contains(key)) {
            // The key's closing quote was the last character read.
            std::size_t at = consumed_ > key.size() + 1 ? consumed_ - key.size() - 2 : 0;
            while (at > 0 && text_[at] != '"') {
                --at;
            }
            errorOffset_ = at;
            error_ = "the key \"" + key + "\" appears twice in one object";
            return false;
        }
        key_ = std::move(key);
        return true;
    }
    bool end_object()
    {
        stack_.pop_back();
        return true;
    }
    bool start_array(std::size_t /*size*/)
    {
        stack_.push_back(Insert(json::array()));
        return true;
    }
    bool end_array()
    {
        stack_.pop_back();
        return true;
    }
    bool parse_error(std::size_t position, const std::string& token, const nlohmann::detail::exception& ex)
    {
        errorOffset_ = position >= token.size() && !token.empty() ? position - token.size() : (position > 0 ? position - 1 : 0);
        error_ = ex.what();
        const std::size_t colon = error_.find(": ");
        if (colon != std::string::npos) {
            error_ = error_.substr(colon + 2);
        }
        return false;
    }

    std::size_t ErrorOffset() const { return errorOffset_; }
    const std::string& Error() const { return error_; }

private:
    // Places a value; the containers being filled are on the stack (an
    // array's element stays where it is until the element is complete).
    json* Insert(json value)
    {
        if (stack_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        json& container = *stack_.back();
        if (container.is_array()) {
            container.push_back(std::move(value));
            return &container.back();
        }
        json& slot = container[key_];
        slot = std::move(value);
        return &slot;
    }

    std::string_view text_;
    json& root_;
    const std::size_t& consumed_;
    std::vector<json*> stack_;
    std::string key_;
    std::size_t errorOffset_ = 0;
    std::string error_;
};

} // namespace

std::string PointerToken(std::string_view key)
{
    std::string token;
    for (char c : key) {
        if (c == '~') {
            token += "~0";
        } else if (c == '/') {
            token += "~1";
        } else {
            token += c;
        }
    }
    return token;
}

bool ParseJson(std::string_view text, nlohmann::json& root, std::size_t& errorOffset, std::string& error)
{
    std::size_t consumed = 0;
    DocumentBuilder builder(text, root, consumed);
    const CountingIterator first(text.data(), text.data(), &consumed);
    const CountingIterator last(text.data() + text.size(), text.data(), &consumed);
    if (json::sax_parse(first, last, &builder)) {
        return true;
    }
    errorOffset = builder.ErrorOffset();
    error = builder.Error();
    root = json();
    return false;
}

bool ParseJsonWithPositions(std::string_view text, PositionedJson& out, std::size_t& errorOffset, std::string& error)
{
    std::size_t consumed = 0;
    PositionRecorder recorder(text, out, consumed);
    const CountingIterator first(text.data(), text.data(), &consumed);
    const CountingIterator last(text.data() + text.size(), text.data(), &consumed);
    if (json::sax_parse(first, last, &recorder)) {
        return true;
    }
    errorOffset = recorder.ErrorOffset();
    error = recorder.Error();
    out.Root = json();
    return false;
}

} // namespace qorva_zel::kit
