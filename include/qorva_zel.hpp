// qorva_zel.hpp - C++17 interface of the Qorva Zel graphics-settings library.
//
// Header-only, on top of the C functions of qorva_zel.h; links against the
// same shared library. Works with and without exceptions (-fno-exceptions):
// every call reports its outcome as a qorva_zel::status or a
// qorva_zel::result<T>; nothing throws except result<T>::value() on a result
// without a value (std::system_error; with exceptions off it aborts).
//
//   qorva_zel::session zel({"My Game", "1.0", "/opt/mygame", config_dir, "mygame", ""});
//   if (!zel) { std::puts(qorva_zel::status_text(zel.status())); return 1; }
//   zel.add(qorva_zel::int_option("ShadowQuality", 2, 0, 4, 4));
//   zel.add(qorva_zel::enum_option("TextureFilter", "Trilinear", {"Bilinear", "Trilinear"}));
//   zel.load();                                   // status::file_not_found on a first run
//   zel.set_int("ShadowQuality", 3);              // status::ok
//   int shadows = zel.get_int("ShadowQuality").value_or(2);
//   zel.save();
//
// What the header takes care of:
//  - the session initialises the library on construction (with the interface
//    version of this header) and releases it on destruction; it is move-only,
//    and a session that does not hold the library (a failed or moved-from
//    one) answers status::not_initialized without calling it;
//  - an option owns its strings, and a copy owns copies of them;
//  - strings go in and come out as UTF-8 (std::string_view, std::string) or
//    UTF-16 (std::u16string_view, std::u16string); they are copied into
//    zero-terminated UTF-16 for each call;
//  - the Enum string handed out by a get is copied and given back at once;
//  - the getters and setters are named by type, and a value of another type
//    (a string literal for a Bool, a double or bool for an Integer) does not
//    compile;
//  - statuses are a std::error_code category of their own.
#ifndef QORVA_ZEL_HPP
#define QORVA_ZEL_HPP

#include "qorva_zel.h"

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>
#include <vector>

#if defined(__cpp_exceptions) || defined(__EXCEPTIONS) || defined(_CPPUNWIND)
#  define QORVA_ZEL_HPP_EXCEPTIONS 1
#else
#  define QORVA_ZEL_HPP_EXCEPTIONS 0
#endif

namespace qorva_zel {

static_assert(sizeof(QORVA_ZEL_Char) == sizeof(char16_t), "QORVA_ZEL_Char is one UTF-16 code unit");

// ---- Statuses ----------------------------------------------------------------

// Every status the library returns, with the values of qorva_zel.h.
enum class status : std::int32_t {
    ok = QORVA_ZEL_OK,
    file_error = QORVA_ZEL_ERROR_FILE,
    file_not_found = QORVA_ZEL_ERROR_FILE_NOT_FOUND,
    version_mismatch = QORVA_ZEL_ERROR_VERSION_MISMATCH,
    null_argument = QORVA_ZEL_ERROR_NULL_ARGUMENT,
    option_not_found = QORVA_ZEL_ERROR_OPTION_NOT_FOUND,
    ambiguous_option = QORVA_ZEL_ERROR_AMBIGUOUS_OPTION,
    value_not_on_step = QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP,
    value_not_allowed = QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED,
    already_registered = QORVA_ZEL_ERROR_ALREADY_REGISTERED,
    type_mismatch = QORVA_ZEL_ERROR_TYPE_MISMATCH,
    options_dirty = QORVA_ZEL_ERROR_OPTIONS_DIRTY,
    not_initialized = QORVA_ZEL_ERROR_NOT_INITIALIZED,
    already_initialized = QORVA_ZEL_ERROR_ALREADY_INITIALIZED,
};

// A message for every status; "unknown Qorva Zel status" for other numbers.
inline const char* status_text(std::int32_t code) noexcept
{
    switch (code) {
    case QORVA_ZEL_OK: return "success";
    case QORVA_ZEL_ERROR_FILE: return "the settings file cannot be read, parsed or written";
    case QORVA_ZEL_ERROR_FILE_NOT_FOUND: return "the settings file cannot be opened (none yet on a first run)";
    case QORVA_ZEL_ERROR_VERSION_MISMATCH: return "the interface version is not 2.3.18713301.0";
    case QORVA_ZEL_ERROR_NULL_ARGUMENT: return "a required pointer is null";
    case QORVA_ZEL_ERROR_OPTION_NOT_FOUND: return "no option has this name";
    case QORVA_ZEL_ERROR_AMBIGUOUS_OPTION: return "several options have this name; the one registered last answered";
    case QORVA_ZEL_ERROR_VALUE_NOT_ON_STEP: return "the value lies in the range but not on a step";
    case QORVA_ZEL_ERROR_VALUE_NOT_ALLOWED: return "the value is outside the range or not an allowed one";
    case QORVA_ZEL_ERROR_ALREADY_REGISTERED: return "an option of this name and type is already registered";
    case QORVA_ZEL_ERROR_TYPE_MISMATCH: return "the option has another type";
    case QORVA_ZEL_ERROR_OPTIONS_DIRTY: return "there are unsaved changes";
    case QORVA_ZEL_ERROR_NOT_INITIALIZED: return "the library is not initialised";
    case QORVA_ZEL_ERROR_ALREADY_INITIALIZED: return "the library is already initialised";
    default: return "unknown Qorva Zel status";
    }
}

inline const char* status_text(status s) noexcept { return status_text(static_cast<std::int32_t>(s)); }

namespace detail {
class status_category final : public std::error_category {
public:
    const char* name() const noexcept override { return "qorva_zel"; }
    std::string message(int code) const override { return status_text(static_cast<std::int32_t>(code)); }
};
} // namespace detail

// The category of qorva_zel::status error codes (status::ok is no error).
inline const std::error_category& status_category() noexcept
{
    static const detail::status_category category;
    return category;
}

inline std::error_code make_error_code(status s) noexcept
{
    return std::error_code(static_cast<int>(s), status_category());
}

} // namespace qorva_zel

namespace std {
template <>
struct is_error_code_enum<qorva_zel::status> : true_type {};
} // namespace std

namespace qorva_zel {

// ---- Results -------------------------------------------------------------------

// A value, or the status that explains why there is none. A get of an option
// whose name several options share has a value and status::ambiguous_option.
template <class T>
class result {
public:
    result(T value, qorva_zel::status s = qorva_zel::status::ok) : value_(std::move(value)), status_(s) {}
    result(qorva_zel::status s) : status_(s) {}

    bool has_value() const noexcept { return value_.has_value(); }
    explicit operator bool() const noexcept { return has_value(); }
    qorva_zel::status status() const noexcept { return status_; }
    std::error_code error() const noexcept { return make_error_code(status_); }

    // The value; without one, throws std::system_error (aborts without exceptions).
    const T& value() const&
    {
        if (!value_) {
#if QORVA_ZEL_HPP_EXCEPTIONS
            throw std::system_error(error());
#else
            std::abort();
#endif
        }
        return *value_;
    }
    T value_or(T fallback) const { return value_ ? *value_ : std::move(fallback); }
    const T& operator*() const& noexcept { return *value_; }
    const T* operator->() const noexcept { return &*value_; }

private:
    std::optional<T> value_;
    qorva_zel::status status_;
};

// ---- Strings -------------------------------------------------------------------

namespace detail {

inline void append_utf16(std::u16string& out, char32_t cp)
{
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

} // namespace detail

// UTF-8 to UTF-16; every malformed sequence becomes U+FFFD.
inline std::u16string to_utf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = 0;
        char32_t least = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            cp = lead & 0x1F;
            extra = 1;
            least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            cp = lead & 0x0F;
            extra = 2;
            least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            cp = lead & 0x07;
            extra = 3;
            least = 0x10000;
        } else {
            out.push_back(u'\xFFFD');
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        for (int k = 0; k < extra; ++k, ++j) {
            if (j >= text.size() || (static_cast<unsigned char>(text[j]) & 0xC0) != 0x80) {
                break;
            }
            cp = (cp << 6) | (static_cast<unsigned char>(text[j]) & 0x3F);
        }
        if (j - i != static_cast<std::size_t>(extra) + 1 || cp < least || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(u'\xFFFD');
        } else {
            detail::append_utf16(out, cp);
        }
        i = j;
    }
    return out;
}

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
inline std::string to_utf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

// A string argument: UTF-8 or UTF-16, held as the zero-terminated UTF-16
// that the library reads.
class text {
public:
    text() = default;
    text(const char* utf8) : units_(to_utf16(utf8)) {}
    text(std::string_view utf8) : units_(to_utf16(utf8)) {}
    text(const std::string& utf8) : units_(to_utf16(utf8)) {}
    text(const char16_t* utf16) : units_(utf16) {}
    text(std::u16string_view utf16) : units_(utf16) {}
    text(std::u16string utf16) : units_(std::move(utf16)) {}

    const QORVA_ZEL_Char* c_str() const noexcept { return reinterpret_cast<const QORVA_ZEL_Char*>(units_.c_str()); }
    const std::u16string& u16() const noexcept { return units_; }
    std::string utf8() const { return to_utf8(units_); }

private:
    std::u16string units_;
};

// ---- Records -------------------------------------------------------------------

// A display mode.
struct resolution {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    float refresh_rate = 0.0f; // hertz, compared exactly

    friend bool operator==(const resolution& a, const resolution& b) noexcept
    {
        return a.width == b.width && a.height == b.height && a.refresh_rate == b.refresh_rate;
    }
    friend bool operator!=(const resolution& a, const resolution& b) noexcept { return !(a == b); }
};

// The game's six descriptive strings; config_path is the directory of the
// settings file and executable the middle of its name.
struct app_info {
    text display_name;
    text version_name;
    text install_path;
    text config_path;
    text executable;
    text exec_cmd;
};

namespace detail {

// Strings with the array of pointers to them that an EnumList reads. A copy
// points at its own strings; a move keeps them where they are (the moved
// vector's elements stay in place).
class text_list {
public:
    text_list() = default;
    explicit text_list(std::vector<text> texts) : texts_(std::move(texts)) { point(); }
    text_list(const text_list& other) : texts_(other.texts_) { point(); }
    text_list& operator=(const text_list& other)
    {
        texts_ = other.texts_;
        point();
        return *this;
    }
    text_list(text_list&&) noexcept = default;
    text_list& operator=(text_list&&) noexcept = default;
    ~text_list() = default;

    const QORVA_ZEL_Char* const* data() const noexcept { return pointers_.data(); }
    std::uint32_t size() const noexcept { return static_cast<std::uint32_t>(pointers_.size()); }

private:
    void point()
    {
        pointers_.clear();
        pointers_.reserve(texts_.size());
        for (const text& t : texts_) {
            pointers_.push_back(t.c_str());
        }
    }

    std::vector<text> texts_;
    std::vector<const QORVA_ZEL_Char*> pointers_;
};

} // namespace detail

// An option to register, built by int_option, float_option, enum_option or
// bool_option. It owns its strings; a copy owns copies of them.
class option {
public:
    const std::u16string& name() const noexcept { return name_.u16(); }

    // The C description; valid while this option lives and is not changed.
    QORVA_ZEL_OptionDesc desc() const
    {
        QORVA_ZEL_OptionDesc d{};
        d.Name = name_.c_str();
        d.Type = type_;
        switch (type_) {
        case QORVA_ZEL_Integer:
        case QORVA_ZEL_Float:
            d.Value = value_;
            d.Limits.Range = range_;
            break;
        case QORVA_ZEL_Enum:
            d.Value.StringValue = default_text_.c_str();
            d.Limits.EnumList.Values = allowed_.data();
            d.Limits.EnumList.NumValues = allowed_.size();
            break;
        default:
            d.Value = value_;
            break;
        }
        return d;
    }

private:
    friend option int_option(text, std::int32_t, std::int32_t, std::int32_t, std::int32_t);
    friend option float_option(text, float, float, float, std::int32_t);
    friend option enum_option(text, text, std::vector<text>);
    friend option bool_option(text, bool);

    option(text name, QORVA_ZEL_OptionType type) : name_(std::move(name)), type_(type) {}

    text name_;
    QORVA_ZEL_OptionType type_;
    QORVA_ZEL_Value value_{};
    QORVA_ZEL_Range range_{};
    text default_text_;
    detail::text_list allowed_;
};

// An Integer option: default value, range [min, max] and steps (below 0: any
// value; 0: any value in range; 1 or more: also on one of steps equal steps).
inline option int_option(text name, std::int32_t value, std::int32_t min, std::int32_t max, std::int32_t steps = 0)
{
    option o(std::move(name), QORVA_ZEL_Integer);
    o.value_.IntValue = value;
    o.range_.MinValue.IntValue = min;
    o.range_.MaxValue.IntValue = max;
    o.range_.NumSteps = steps;
    return o;
}

// A Float option, with the same meaning of steps.
inline option float_option(text name, float value, float min, float max, std::int32_t steps = 0)
{
    option o(std::move(name), QORVA_ZEL_Float);
    o.value_.FloatValue = value;
    o.range_.MinValue.FloatValue = min;
    o.range_.MaxValue.FloatValue = max;
    o.range_.NumSteps = steps;
    return o;
}

// An Enum option: its default and its allowed strings, in the order written.
inline option enum_option(text name, text value, std::vector<text> allowed)
{
    option o(std::move(name), QORVA_ZEL_Enum);
    o.default_text_ = std::move(value);
    o.allowed_ = detail::text_list(std::move(allowed));
    return o;
}

// A Bool option. Only a bool is accepted as its default.
inline option bool_option(text name, bool value)
{
    option o(std::move(name), QORVA_ZEL_Bool);
    o.value_.BoolValue = value ? 1 : 0;
    return o;
}
template <class T>
option bool_option(text name, T value) = delete; // a string literal or a number is not a bool

// ---- The session -------------------------------------------------------------

// The initialised library. Construction initialises it with this header's
// interface version (2.3.18713301.0, checked exactly); destruction releases
// it. The library is process-wide: one session at a time. A session that did
// not initialise tests false and tells why in status(). A session that does
// not hold the library (its initialisation failed, it was moved from or
// released) answers every call with status::not_initialized and does not
// reach the library, which may belong to another session.
class session {
public:
    explicit session(const app_info& app) noexcept
    {
        const QORVA_ZEL_ApplicationInfo info{app.display_name.c_str(), app.version_name.c_str(),
                                             app.install_path.c_str(), app.config_path.c_str(),
                                             app.executable.c_str(),   app.exec_cmd.c_str()};
        const QORVA_ZEL_Version version{QORVA_ZEL_VERSION_MAJOR, QORVA_ZEL_VERSION_MINOR, QORVA_ZEL_VERSION_BUILD,
                                        QORVA_ZEL_VERSION_REVISION};
        status_ = to_status(QORVA_ZEL_InitializeSDK(&info, &version));
        owns_ = status_ == status::ok;
    }
    ~session() { release(); }

    session(session&& other) noexcept : status_(other.status_), owns_(std::exchange(other.owns_, false))
    {
        other.status_ = status::not_initialized;
    }
    session& operator=(session&& other) noexcept
    {
        if (this != &other) {
            release();
            status_ = std::exchange(other.status_, status::not_initialized);
            owns_ = std::exchange(other.owns_, false);
        }
        return *this;
    }
    session(const session&) = delete;
    session& operator=(const session&) = delete;

    // True while this session holds the initialised library.
    explicit operator bool() const noexcept { return owns_; }
    // How the initialisation went (status::not_initialized after release()).
    qorva_zel::status status() const noexcept { return status_; }

    // Releases the library now; the destructor then does nothing.
    qorva_zel::status release() noexcept
    {
        if (!owns_) {
            return status::not_initialized;
        }
        owns_ = false;
        status_ = status::not_initialized;
        return to_status(QORVA_ZEL_ReleaseSDK());
    }

    // The interface version of the library that is loaded.
    static QORVA_ZEL_Version library_version() noexcept { return QORVA_ZEL_GetVersion(); }

    // ---- Registration -------------------------------------------------------

    qorva_zel::status add(const option& o) const
    {
        if (!owns_) {
            return status::not_initialized;
        }
        const QORVA_ZEL_OptionDesc d = o.desc();
        return to_status(QORVA_ZEL_RegisterOption(&d));
    }
    // Registers every option in order; the first refusal stops and is returned.
    qorva_zel::status add(std::initializer_list<option> options) const
    {
        for (const option& o : options) {
            const qorva_zel::status s = add(o);
            if (s != status::ok) {
                return s;
            }
        }
        return status::ok;
    }
    // Replaces the list of display resolutions.
    qorva_zel::status set_resolutions(const std::vector<resolution>& modes) const
    {
        if (!owns_) {
            return status::not_initialized;
        }
        std::vector<QORVA_ZEL_Resolution> c;
        c.reserve(modes.size());
        for (const resolution& m : modes) {
            c.push_back(QORVA_ZEL_Resolution{m.width, m.height, m.refresh_rate});
        }
        return to_status(QORVA_ZEL_RegisterResolutions(c.data(), static_cast<std::uint32_t>(c.size())));
    }

    // ---- The settings file --------------------------------------------------

    // status::file_not_found on a first run (no file yet): the defaults stay.
    qorva_zel::status load() const noexcept
    {
        if (!owns_) {
            return status::not_initialized;
        }
        return to_status(QORVA_ZEL_LoadConfigFile());
    }
    qorva_zel::status save(bool discard_unregistered = false) const noexcept
    {
        if (!owns_) {
            return status::not_initialized;
        }
        return to_status(QORVA_ZEL_SaveConfigFile(discard_unregistered ? 1u : 0u));
    }
    // True when something differs from the last load or save.
    result<bool> has_unsaved_changes() const noexcept
    {
        if (!owns_) {
            return status::not_initialized;
        }
        const QORVA_ZEL_Status s = QORVA_ZEL_CheckForDirtyOptions();
        if (s == QORVA_ZEL_OK || s == QORVA_ZEL_ERROR_OPTIONS_DIRTY) {
            return result<bool>(s == QORVA_ZEL_ERROR_OPTIONS_DIRTY);
        }
        return to_status(s);
    }

    // ---- Values -------------------------------------------------------------
    //
    // A get of an option whose current type is not the one asked for gives
    // status::type_mismatch and no value.

    result<std::int32_t> get_int(const text& name) const
    {
        return get<std::int32_t>(name, QORVA_ZEL_Integer, [](const QORVA_ZEL_Value& v) { return v.IntValue; });
    }
    result<float> get_float(const text& name) const
    {
        return get<float>(name, QORVA_ZEL_Float, [](const QORVA_ZEL_Value& v) { return v.FloatValue; });
    }
    result<bool> get_bool(const text& name) const
    {
        return get<bool>(name, QORVA_ZEL_Bool, [](const QORVA_ZEL_Value& v) { return v.BoolValue != 0; });
    }
    // The Enum string as UTF-16; the library's copy is given back at once.
    result<std::u16string> get_enum_u16(const text& name) const
    {
        return get<std::u16string>(name, QORVA_ZEL_Enum, [](const QORVA_ZEL_Value& v) {
            return v.StringValue ? std::u16string(reinterpret_cast<const char16_t*>(v.StringValue)) : std::u16string();
        });
    }
    // The Enum string as UTF-8.
    result<std::string> get_enum(const text& name) const
    {
        result<std::u16string> r = get_enum_u16(name);
        if (!r) {
            return r.status();
        }
        return result<std::string>(to_utf8(*r), r.status());
    }

    qorva_zel::status set_int(const text& name, std::int32_t value) const
    {
        QORVA_ZEL_Variant v{};
        v.Type = QORVA_ZEL_Integer;
        v.Value.IntValue = value;
        return set(name, v);
    }
    qorva_zel::status set_float(const text& name, float value) const
    {
        QORVA_ZEL_Variant v{};
        v.Type = QORVA_ZEL_Float;
        v.Value.FloatValue = value;
        return set(name, v);
    }
    qorva_zel::status set_enum(const text& name, const text& value) const
    {
        QORVA_ZEL_Variant v{};
        v.Type = QORVA_ZEL_Enum;
        v.Value.StringValue = value.c_str();
        return set(name, v);
    }
    qorva_zel::status set_bool(const text& name, bool value) const
    {
        QORVA_ZEL_Variant v{};
        v.Type = QORVA_ZEL_Bool;
        v.Value.BoolValue = value ? 1 : 0;
        return set(name, v);
    }
    // Values of another type than the setter's do not compile: no string
    // literal, pointer or number becomes a bool, no bool or floating-point
    // number an int, no bool or pointer a float.
    template <class T>
    qorva_zel::status set_bool(const text&, T) const = delete;
    template <class T, std::enable_if_t<!std::is_integral_v<T> || std::is_same_v<T, bool>, int> = 0>
    qorva_zel::status set_int(const text&, T) const = delete;
    template <class T, std::enable_if_t<!std::is_arithmetic_v<T> || std::is_same_v<T, bool>, int> = 0>
    qorva_zel::status set_float(const text&, T) const = delete;

    // ---- Resolution ---------------------------------------------------------

    // 0 x 0 at 0 Hz until one is set or loaded.
    result<resolution> get_resolution() const noexcept
    {
        if (!owns_) {
            return status::not_initialized;
        }
        QORVA_ZEL_Resolution r{};
        const qorva_zel::status s = to_status(QORVA_ZEL_GetResolution(&r));
        if (s != status::ok) {
            return s;
        }
        return resolution{r.Width, r.Height, r.RefreshRate};
    }
    qorva_zel::status set_resolution(const resolution& mode) const noexcept
    {
        if (!owns_) {
            return status::not_initialized;
        }
        const QORVA_ZEL_Resolution r{mode.width, mode.height, mode.refresh_rate};
        return to_status(QORVA_ZEL_SetResolution(&r));
    }

private:
    static qorva_zel::status to_status(QORVA_ZEL_Status s) noexcept { return static_cast<qorva_zel::status>(s); }

    qorva_zel::status set(const text& name, const QORVA_ZEL_Variant& v) const noexcept
    {
        if (!owns_) {
            return status::not_initialized;
        }
        return to_status(QORVA_ZEL_SetOptionValue(&v, name.c_str()));
    }

    // Reads a variant, releases its string whatever happens, and checks its type.
    template <class T, class Extract>
    result<T> get(const text& name, QORVA_ZEL_OptionType type, Extract extract) const
    {
        if (!owns_) {
            return status::not_initialized;
        }
        struct variant_guard {
            QORVA_ZEL_Variant v{};
            ~variant_guard() { QORVA_ZEL_ReleaseVariant(&v); }
        } guard;
        const QORVA_ZEL_Status s = QORVA_ZEL_GetOptionValue(&guard.v, name.c_str());
        if (s != QORVA_ZEL_OK && s != QORVA_ZEL_ERROR_AMBIGUOUS_OPTION) {
            return to_status(s);
        }
        if (guard.v.Type != type) {
            return status::type_mismatch;
        }
        return result<T>(extract(guard.v.Value), to_status(s));
    }

    qorva_zel::status status_ = status::not_initialized;
    bool owns_ = false;
};

} // namespace qorva_zel

#undef QORVA_ZEL_HPP_EXCEPTIONS

#endif // QORVA_ZEL_HPP
