#include "xmp/TextEncoding.h"

#include <array>

namespace xmp {

namespace {

using namespace std::string_view_literals;

// What the first bytes say. A byte-order mark wins; without one, the way
// the first character '<' is written tells the code unit and byte order.
// UTF-32 rows stand before the UTF-16 rows whose bytes they begin with.
struct TSignature {
    std::string_view Bytes;
    TEncoding Encoding;
    bool IsMark;
};

constexpr std::array<TSignature, 9> Signatures = {{
    {"\x00\x00\xFE\xFF"sv, TEncoding::Utf32BE, true},
    {"\xFF\xFE\x00\x00"sv, TEncoding::Utf32LE, true},
    {"\xEF\xBB\xBF"sv, TEncoding::Utf8, true},
    {"\xFE\xFF"sv, TEncoding::Utf16BE, true},
    {"\xFF\xFE"sv, TEncoding::Utf16LE, true},
    {"\x00\x00\x00<"sv, TEncoding::Utf32BE, false},
    {"<\x00\x00\x00"sv, TEncoding::Utf32LE, false},
    {"\x00<"sv, TEncoding::Utf16BE, false},
    {"<\x00"sv, TEncoding::Utf16LE, false},
}};

std::size_t UnitSize(TEncoding e) {
    return e == TEncoding::Utf16LE || e == TEncoding::Utf16BE ? 2 : 4;
}

bool IsBigEndian(TEncoding e) { return e == TEncoding::Utf16BE || e == TEncoding::Utf32BE; }

uint32_t ReadUnit(std::string_view bytes, std::size_t pos, TEncoding e) {
    const std::size_t n = UnitSize(e);
    uint32_t v = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const auto b = static_cast<unsigned char>(bytes[pos + (IsBigEndian(e) ? k : n - 1 - k)]);
        v = (v << 8) | b;
    }
    return v;
}

bool IsSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// One code point of UTF-16 or UTF-32 at `pos`; `pos` moves past it. False,
// with `error` set, on a fault.
bool DecodeUnit(std::string_view bytes, std::size_t &pos, TEncoding e, char32_t &c, const char *&error) {
    const std::size_t n = UnitSize(e);
    if (bytes.size() - pos < n) return (error = "a code unit cut short by the end"), false;
    const uint32_t unit = ReadUnit(bytes, pos, e);
    if (n == 4) {
        if (unit > 0x10FFFF || IsSurrogate(unit)) return (error = "a code point out of range"), false;
        pos += 4;
        c = unit;
        return true;
    }
    if (exif::IsLowSurrogate(unit)) return (error = "an unpaired surrogate"), false;
    if (!exif::IsHighSurrogate(unit)) {
        pos += 2;
        c = unit;
        return true;
    }
    const uint32_t low = bytes.size() - pos >= 4 ? ReadUnit(bytes, pos + 2, e) : 0;
    if (!exif::IsLowSurrogate(low)) return (error = "an unpaired surrogate"), false;
    pos += 4;
    c = exif::JoinSurrogates(unit, low);
    return true;
}

std::size_t Utf8Length(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

}  // namespace

TEncodingFound DetectEncoding(std::string_view bytes) {
    for (const TSignature &s : Signatures)
        if (bytes.starts_with(s.Bytes)) return {s.Encoding, s.IsMark ? s.Bytes.size() : 0};
    return {};
}

TUtf8Text ToUtf8(std::string_view bytes, std::size_t maxBytes) {
    TUtf8Text r;
    r.Found = DetectEncoding(bytes);
    if (r.Found.Encoding == TEncoding::Utf8) return r;
    r.Converted.reserve(bytes.size() < maxBytes ? bytes.size() : maxBytes);
    std::size_t pos = r.Found.MarkLength;
    while (pos < bytes.size()) {
        const std::size_t start = pos;
        char32_t c = 0;
        const char *error = nullptr;
        if (!DecodeUnit(bytes, pos, r.Found.Encoding, c, error)) {
            r.Error = error;
            r.ErrorOffset = start;
            break;
        }
        if (r.Converted.size() + Utf8Length(c) > maxBytes) {
            r.Error = "larger than " + std::to_string(maxBytes) + " bytes as UTF-8";
            r.ErrorOffset = start;
            break;
        }
        AppendUtf8(r.Converted, c);
    }
    return r;
}

uint64_t TUtf8Text::InputOffset(std::string_view input, uint64_t textOffset) const {
    if (Found.Encoding == TEncoding::Utf8) return textOffset + Found.MarkLength;
    std::size_t pos = Found.MarkLength;
    uint64_t produced = 0;
    while (pos < input.size() && produced < textOffset) {
        char32_t c = 0;
        const char *error = nullptr;
        if (!DecodeUnit(input, pos, Found.Encoding, c, error)) break;
        produced += Utf8Length(c);
    }
    return pos;
}

}  // namespace xmp
