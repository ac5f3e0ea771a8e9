#include "bytes/Unicode.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include "bytes/ByteScan.h"

namespace exif {

namespace {

// Code points of bytes 0x80..0x9F; the five unassigned bytes map to the C1
// control of the same value, as Windows does.
constexpr std::array<char16_t, 32> HighCharacters = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char32_t Replacement = 0xFFFD;

char32_t Windows1252Character(unsigned char b) {
    return b >= 0x80 && b <= 0x9F ? HighCharacters[b - 0x80u] : b;
}

// Eight bytes of text tested at once as one number (bytes/ByteScan.h): a
// byte's top bit, left in Tops by these tests, marks one that fails.
using scan::Ones;
using scan::Tops;
using scan::WordAt;

// Bytes of 0x80 and more.
uint64_t NotAscii(uint64_t w) { return w & Tops; }
// Bytes below 0x20 or of 0x7F, in a word of ASCII (no byte carries into the
// next: none is above 0x7F).
uint64_t AsciiControls(uint64_t w) { return ((w - 0x20 * Ones) & ~w & Tops) | ((w + Ones) & Tops); }

}  // namespace

std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t pos) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[pos + k]); };
    const unsigned char lead = at(0);
    if (lead < 0x80) return 1;
    const std::size_t n = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (n == 0 || bytes.size() - pos < n) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((at(k) & 0xC0) != 0x80) return 0;
    // The second byte's range rules out overlong forms, surrogates and code
    // points past U+10FFFF.
    if (lead == 0xE0 && at(1) < 0xA0) return 0;
    if (lead == 0xED && at(1) > 0x9F) return 0;
    if (lead == 0xF0 && at(1) < 0x90) return 0;
    if (lead == 0xF4 && at(1) > 0x8F) return 0;
    return n;
}

char32_t NextCodePoint(std::string_view utf8, std::size_t &pos) {
    const auto lead = static_cast<unsigned char>(utf8[pos]);
    const std::size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = n == 1 ? lead : n == 2 ? (lead & 0x1F) : n == 3 ? (lead & 0x0F) : (lead & 0x07);
    for (std::size_t k = 1; k < n && pos + k < utf8.size(); ++k)
        c = (c << 6) | (static_cast<unsigned char>(utf8[pos + k]) & 0x3F);
    pos += n;
    return c;
}

void AppendUtf8(std::string &out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::size_t PrintableAsciiEnd(std::string_view text, std::size_t from) {
    std::size_t at = std::min(from, text.size());
    if constexpr (scan::WordScans) {
        // A test's false marks (a borrow or carry) lie above a true one, in
        // a later byte: the lowest mark is the first byte that fails.
        for (; text.size() - at >= 8; at += 8) {
            const uint64_t w = WordAt(text, at);
            const uint64_t fails = NotAscii(w) | AsciiControls(w);
            if (fails != 0) return at + static_cast<std::size_t>(std::countr_zero(fails)) / 8;
        }
    }
    while (at < text.size() && text[at] >= 0x20 && text[at] < 0x7F) ++at;
    return at;
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        // Runs of ASCII, by far the most text, need no decoding: eight
        // bytes at a time, the last few in the word that ends the text.
        if (bytes.size() - at >= 8) {
            if (NotAscii(WordAt(bytes, at)) == 0) {
                at += 8;
                continue;
            }
        } else if (bytes.size() >= 8 && NotAscii(WordAt(bytes, bytes.size() - 8)) == 0) {
            return true;
        }
        if (static_cast<unsigned char>(bytes[at]) < 0x80) {
            ++at;
            continue;
        }
        const std::size_t n = Utf8SequenceLength(bytes, at);
        if (n == 0) return false;
        at += n;
    }
    return true;
}

std::string_view Utf8Prefix(std::string_view utf8, std::size_t bytes) {
    if (bytes >= utf8.size()) return utf8;
    while (bytes > 0 && (static_cast<unsigned char>(utf8[bytes]) & 0xC0) == 0x80) --bytes;
    return utf8.substr(0, bytes);
}

std::string TextOfBytes(std::string_view bytes) {
    return IsValidUtf8(bytes) ? std::string(bytes) : Windows1252ToUtf8(bytes);
}

std::string TextOfUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + 8);
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t n = Utf8SequenceLength(bytes, at);
        if (n == 0) {
            AppendUtf8(out, Replacement);
            ++at;
        } else {
            out.append(bytes, at, n);
            at += n;
        }
    }
    return out;
}

std::string TextOfUtf16(std::string_view utf16, bool bigEndian) {
    const auto unitAt = [&](std::size_t i) -> char32_t {
        const unsigned a = static_cast<uint8_t>(utf16[i]), b = static_cast<uint8_t>(utf16[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    std::size_t i = 0;
    if (utf16.size() >= 2) {
        const std::string_view mark = utf16.substr(0, 2);
        if (mark == "\xFE\xFF" || mark == "\xFF\xFE") {
            bigEndian = mark[0] == '\xFE';
            i = 2;
        }
    }
    std::string out;
    for (; i + 1 < utf16.size(); i += 2) {
        char32_t unit = unitAt(i);
        if (unit == 0) break;
        if (IsHighSurrogate(unit) && i + 3 < utf16.size()) {
            const char32_t next = unitAt(i + 2);
            if (IsLowSurrogate(next)) {
                unit = JoinSurrogates(unit, next);
                i += 2;
            }
        }
        AppendUtf8(out, IsHighSurrogate(unit) || IsLowSurrogate(unit) ? Replacement : unit);
    }
    return out;
}

std::string Windows1252ToUtf8(std::string_view text) {
    // Written in place: at most three bytes a character, the text cut to
    // its length at the end (no test for room at each byte).
    std::string out(text.size() * 3, '\0');
    char *o = out.data();
    for (const char byte : text) {
        const char32_t c = Windows1252Character(static_cast<unsigned char>(byte));
        if (c < 0x80) {
            *o++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *o++ = static_cast<char>(0xC0 | (c >> 6));
            *o++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *o++ = static_cast<char>(0xE0 | (c >> 12));
            *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *o++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

void AsUtf8Text(std::string &text) {
    if (!IsValidUtf8(text)) text = Windows1252ToUtf8(text);
}

namespace {

// Shift-JIS bytes of a JIS X 0208 character (two bytes of 0x21-0x7E).
void AppendShiftJisOf(std::string &out, unsigned j1, unsigned j2) {
    const unsigned s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
    const unsigned s2 = j2 + ((j1 & 1) ? (j2 < 0x60 ? 0x1F : 0x20) : 0x7E);
    out += static_cast<char>(s1);
    out += static_cast<char>(s2);
}

// JIS X 0208 pairs, with ESC $ B / ESC $ @ entering and ESC ( B / ESC ( J
// leaving them, as Shift-JIS. Without escapes every pair is a character, as
// an EXIF "JIS" comment holds them.
std::string ShiftJisOfJis(std::string_view bytes) {
    std::string out;
    bool pairs = true;
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned b = static_cast<unsigned char>(bytes[i]);
        if (b == 0x1B && i + 2 < bytes.size()) {
            const std::string_view escape = bytes.substr(i + 1, 2);
            if (escape == "$B" || escape == "$@") pairs = true;
            if (escape == "(B" || escape == "(J") pairs = false;
            i += 3;
            continue;
        }
        const unsigned next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        if (pairs && b >= 0x21 && b <= 0x7E && next >= 0x21 && next <= 0x7E) {
            AppendShiftJisOf(out, b, next);
            i += 2;
        } else {
            out += static_cast<char>(b);
            ++i;
        }
    }
    return out;
}

// The platform's conversion of Shift-JIS (Windows code page 932) to UTF-8;
// nothing when it has none or the bytes are not Shift-JIS.
std::string Utf8OfShiftJis(std::string_view bytes) {
    if (bytes.empty()) return {};
#ifdef _WIN32
    const int size = static_cast<int>(std::min<std::size_t>(bytes.size(), 1u << 24));
    const int wide = MultiByteToWideChar(932, 0, bytes.data(), size, nullptr, 0);
    if (wide <= 0) return {};
    std::wstring text(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(932, 0, bytes.data(), size, text.data(), wide);
    std::string utf16(reinterpret_cast<const char *>(text.data()), text.size() * 2);
    return TextOfUtf16(utf16, false);
#else
    const iconv_t converter = iconv_open("UTF-8", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1)) return {};
    std::string in(bytes), out(bytes.size() * 3 + 4, '\0');
    char *inAt = in.data(), *outAt = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    const std::size_t done = iconv(converter, &inAt, &inLeft, &outAt, &outLeft);
    iconv_close(converter);
    if (done == static_cast<std::size_t>(-1)) return {};
    out.resize(out.size() - outLeft);
    return out;
#endif
}

// Shift-JIS shown without a converter: its ASCII, "?" for each other character.
std::string AsciiOfShiftJis(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            continue;
        }
        out += '?';
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) ++i;  // a two-byte character's lead
    }
    return out;
}

}  // namespace

std::string TextOfJis(std::string_view bytes) {
    const bool upperHalf = std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
    const std::string shiftJis = upperHalf ? std::string(bytes) : ShiftJisOfJis(bytes);
    std::string text = Utf8OfShiftJis(shiftJis);
    return text.empty() ? AsciiOfShiftJis(shiftJis) : text;
}

char Windows1252Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (std::size_t i = 0; i < HighCharacters.size(); ++i)
        if (HighCharacters[i] == cp) return static_cast<char>(0x80 + i);
    return '?';
}

namespace {

// The end of the run of ASCII bytes (controls included) from `at`: eight
// bytes at a time, then one by one.
std::size_t AsciiEnd(std::string_view text, std::size_t at) {
    if constexpr (scan::WordScans)
        while (text.size() - at >= 8 && NotAscii(WordAt(text, at)) == 0) at += 8;
    while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x80) ++at;
    return at;
}

}  // namespace

std::string Utf8ToWindows1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        // ASCII, most of any text, is the same bytes in both: copied by runs.
        const std::size_t end = AsciiEnd(utf8, at);
        out.append(utf8, at, end - at);
        at = end;
        if (at == utf8.size()) break;
        if (Utf8SequenceLength(utf8, at) == 0) {
            out += '?';
            ++at;
        } else {
            out += Windows1252Byte(NextCodePoint(utf8, at));
        }
    }
    return out;
}

}  // namespace exif
