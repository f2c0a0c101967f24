#include "text/utf.h"

#include "text/byte_order.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QORVA_ZEL_SSE2 1
#endif

namespace qorva_zel {
namespace {

// Writes the UTF-8 form of a code point (a surrogate as its own three
// bytes) and returns the position after it.
char* WriteCodePoint(char32_t cp, char* out)
{
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}


bool IsLeadSurrogate(char32_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool IsTrailSurrogate(char32_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

// Calls sink(code point) for each character of UTF-16 units fetched by
// unitAt(i), i < count; lone surrogates pass through as themselves.
template <class UnitAt, class Sink>
void DecodeUtf16(std::size_t count, UnitAt unitAt, Sink sink)
{
    for (std::size_t i = 0; i < count; ++i) {
        const char32_t unit = unitAt(i);
        if (IsLeadSurrogate(unit) && i + 1 < count && IsTrailSurrogate(unitAt(i + 1))) {
            const char32_t trail = unitAt(i + 1);
            sink(0x10000 + ((unit - 0xD800) << 10) + (trail - 0xDC00));
            ++i;
        } else {
            sink(unit);
        }
    }
}

void AppendUtf16(char32_t cp, std::u16string& out)
{
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

} // namespace

void AppendUtf8(std::u16string_view text, std::string& out)
{
    DecodeUtf16(
        text.size(), [&](std::size_t i) { return static_cast<char32_t>(text[i]); },
        [&](char32_t cp) {
            char bytes[4];
            out.append(bytes, static_cast<std::size_t>(WriteCodePoint(cp, bytes) - bytes));
        });
}

std::string ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    AppendUtf8(text, out);
    return out;
}

std::u16string FromUtf8(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    AppendFromUtf8(text, out);
    return out;
}

void AppendFromUtf8(std::string_view text, std::u16string& out)
{
    constexpr char32_t kReplacement = 0xFFFD;
    // A leading run of ASCII, which names and values almost always are
    // wholly, goes over in one step.
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) {
        ++i;
    }
    const std::size_t start = out.size();
    out.resize(start + i);
    for (std::size_t k = 0; k < i; ++k) {
        out[start + k] = static_cast<char16_t>(text[k]);
    }
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            length = 1;
            cp = lead;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            length = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            length = 4;
            cp = lead & 0x07;
        }
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        // Overlong forms and code points past U+10FFFF are not characters.
        valid = valid && !(length == 3 && cp < 0x800) && !(length == 4 && (cp < 0x10000 || cp > 0x10FFFF));
        if (!valid) {
            AppendUtf16(kReplacement, out);
            ++i;
            continue;
        }
        AppendUtf16(cp, out);
        i += length;
    }
}

namespace {

// Decoding UTF-16LE bytes to UTF-8 in two passes: first the exact length
// (and whether the text, written over the bytes as they are read, never
// overtakes the bytes not yet read), then the text.
class Utf16LeDecoder {
public:
    explicit Utf16LeDecoder(std::string_view bytes) noexcept
        : data_(reinterpret_cast<const unsigned char*>(bytes.data())), end_(bytes.size() / 2)
    {
        begin_ = end_ > 0 && UnitAt(0) == 0xFEFF ? 1 : 0;
        for (std::size_t i = begin_; i < end_;) {
#ifdef QORVA_ZEL_SSE2
            __m128i first;
            __m128i second;
            if (i + 16 <= end_ && SixteenAscii(i, first, second)) {
                length_ += 16;
                i += 16;
                continue;
            }
#endif
            std::uint64_t low = 0;
            std::uint64_t high = 0;
            if (i + 8 <= end_ && EightAscii(i, low, high)) {
                length_ += 8;
                i += 8;
                continue;
            }
            const char32_t unit = UnitAt(i);
            if (unit < 0x80) {
                length_ += 1;
            } else if (unit < 0x800) {
                length_ += 2;
            } else if (IsLeadSurrogate(unit) && i + 1 < end_ && IsTrailSurrogate(UnitAt(i + 1))) {
                length_ += 4;
                ++i;
            } else {
                length_ += 3; // other characters, and lone surrogates on their own
            }
            ++i;
            // The character's bytes end where its units did at the latest.
            fitsInPlace_ = fitsInPlace_ && length_ <= 2 * i;
        }
    }

    std::size_t Length() const noexcept { return length_; }
    bool FitsInPlace() const noexcept { return fitsInPlace_; }

    // Writes Length() bytes to next, which may be the bytes' own first byte
    // when FitsInPlace().
    void Write(char* next) const noexcept
    {
        for (std::size_t i = begin_; i < end_;) {
#ifdef QORVA_ZEL_SSE2
            __m128i first;
            __m128i second;
            if (i + 16 <= end_ && SixteenAscii(i, first, second)) {
                // Both halves read before the sixteen bytes are written.
                _mm_storeu_si128(reinterpret_cast<__m128i*>(next), _mm_packus_epi16(first, second));
                next += 16;
                i += 16;
                continue;
            }
#endif
            std::uint64_t low = 0;
            std::uint64_t high = 0;
            if (i + 8 <= end_ && EightAscii(i, low, high)) {
                const std::uint64_t eight = Pack(low) | (Pack(high) << 32);
                std::memcpy(next, &eight, sizeof eight);
                next += 8;
                i += 8;
                continue;
            }
            char32_t cp = UnitAt(i);
            if (IsLeadSurrogate(cp) && i + 1 < end_ && IsTrailSurrogate(UnitAt(i + 1))) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (UnitAt(i + 1) - 0xDC00);
                ++i;
            }
            ++i;
            next = WriteCodePoint(cp, next);
        }
    }

private:
    char32_t UnitAt(std::size_t i) const noexcept
    {
        return static_cast<char32_t>(data_[2 * i] | (data_[2 * i + 1] << 8));
    }
    // Eight units at a time while they are ASCII, which settings files
    // almost wholly are: each is its low byte.
    bool EightAscii(std::size_t i, std::uint64_t& low, std::uint64_t& high) const noexcept
    {
        std::memcpy(&low, data_ + 2 * i, sizeof low);
        std::memcpy(&high, data_ + 2 * i + 8, sizeof high);
        return kLittleEndian && ((low | high) & 0xFF80FF80FF80FF80ull) == 0;
    }
#ifdef QORVA_ZEL_SSE2
    // Sixteen units at a time where the processor has SSE2.
    bool SixteenAscii(std::size_t i, __m128i& first, __m128i& second) const noexcept
    {
        first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data_ + 2 * i));
        second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data_ + 2 * i + 16));
        const __m128i above = _mm_and_si128(_mm_or_si128(first, second), _mm_set1_epi16(-128)); // 0xFF80
        return _mm_movemask_epi8(_mm_cmpeq_epi16(above, _mm_setzero_si128())) == 0xFFFF;
    }
#endif
    // The low bytes of four ASCII units, in order, in the low 32 bits.
    static std::uint64_t Pack(std::uint64_t four) noexcept
    {
        four = (four | (four >> 8)) & 0x0000FFFF0000FFFFull;
        return (four | (four >> 16)) & 0x00000000FFFFFFFFull;
    }

    const unsigned char* data_;
    std::size_t end_;
    std::size_t begin_ = 0;
    std::size_t length_ = 0;
    bool fitsInPlace_ = true;
};

} // namespace

void Utf16LeBytesToUtf8(std::string_view bytes, std::string& out)
{
    const Utf16LeDecoder decoder(bytes);
    out.resize(decoder.Length());
    decoder.Write(out.data());
}

std::string Utf16LeBytesToUtf8(std::string_view bytes)
{
    std::string out;
    Utf16LeBytesToUtf8(bytes, out);
    return out;
}

bool Utf16LeBytesToUtf8InPlace(std::string& buffer) noexcept
{
    const Utf16LeDecoder decoder(buffer);
    if (!decoder.FitsInPlace()) {
        return false;
    }
    decoder.Write(buffer.data());
    buffer.resize(decoder.Length()); // shorter: neither allocates nor throws
    return true;
}

std::string Utf16BeBytesToUtf8(std::string_view bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto unitAt = [data](std::size_t i) { return static_cast<char32_t>((data[2 * i] << 8) | data[2 * i + 1]); };
    const std::size_t count = bytes.size() / 2;
    const std::size_t begin = count > 0 && unitAt(0) == 0xFEFF ? 1 : 0;
    std::string out;
    out.reserve(count);
    DecodeUtf16(
        count - begin, [&](std::size_t i) { return unitAt(begin + i); },
        [&out](char32_t cp) {
            char utf8[4];
            out.append(utf8, static_cast<std::size_t>(WriteCodePoint(cp, utf8) - utf8));
        });
    return out;
}

} // namespace qorva_zel
