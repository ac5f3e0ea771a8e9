#include "cli/TextCodec.h"

#include <algorithm>
#include <array>
#include <optional>

#include "exif/TextFormat.h"

namespace cli {

namespace {

constexpr char HexDigits[] = "0123456789abcdef";

// The characters of bytes 0x80-0x9F in Windows-1252; 0 where it defines none.
constexpr std::array<char32_t, 32> HighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

struct Decoded {
    char32_t Code;
    size_t Length;
};

// One UTF-8 sequence at the start of `s`: shortest form, no surrogates.
std::optional<Decoded> DecodeUtf8(std::string_view s) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return Decoded{lead, 1};
    size_t length = 0;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return std::nullopt;
    }
    if (s.size() < length) return std::nullopt;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
        code = (code << 6) | (byte(i) & 0x3Fu);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
    return Decoded{code, length};
}

char Windows1252Of(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
    for (size_t i = 0; i < HighControls.size(); ++i)
        if (HighControls[i] != 0 && HighControls[i] == code) return static_cast<char>(0x80 + i);
    return '?';
}

void AddHexEscape(std::string &out, const char *prefix, unsigned value, int digits) {
    out += prefix;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += HexDigits[(value >> shift) & 0xFu];
}

}  // namespace

std::optional<char> Windows1252CharOf(std::string_view utf8) {
    const auto decoded = utf8.empty() ? std::nullopt : DecodeUtf8(utf8);
    if (!decoded || decoded->Length != utf8.size()) return std::nullopt;
    const char32_t code = decoded->Code;
    if (code < 0x20 || (code >= 0x7F && code <= 0x9F)) return std::nullopt;
    const char byte = Windows1252Of(code);
    if (byte == '?' && code != '?') return std::nullopt;
    return byte;
}

std::string Utf8ToWindows1252(std::string_view utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto decoded = DecodeUtf8(utf8.substr(i));
        out += decoded ? Windows1252Of(decoded->Code) : '?';
        i += decoded ? decoded->Length : 1;
    }
    return out;
}

namespace {

// What becomes of a byte on its way to a terminal.
enum class ByteClass : unsigned char { Plain, Escaped, High };

// Control bytes, DEL and the backslash are escaped; bytes 0x80-0xFF are
// characters of the code page (UTF-8 sequences on the terminal) except the
// five it leaves undefined, escaped too.
constexpr std::array<ByteClass, 256> ByteClasses = [] {
    std::array<ByteClass, 256> classes{};
    for (unsigned c = 0; c < 256; ++c) {
        ByteClass k = ByteClass::Plain;
        if (c < 0x20 || c == 0x7F || c == '\\')
            k = ByteClass::Escaped;
        else if (c >= 0x80)
            k = c <= 0x9F && HighControls[c - 0x80u] == 0 ? ByteClass::Escaped : ByteClass::High;
        classes[c] = k;
    }
    return classes;
}();

ByteClass ClassOf(char c) {
    return ByteClasses[static_cast<unsigned char>(c)];
}

bool NeedsEscape(unsigned char c) {
    return ByteClasses[c] == ByteClass::Escaped;
}

void AddEscape(std::string &out, unsigned char c) {
    switch (c) {
        case '\0':
            out += "\\0";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            AddHexEscape(out, "\\x", c, 2);
    }
}

void AppendEscapedBytes(std::string &out, std::string_view text) {
    // Most values need no escape, and those that do (maker-note bytes) have
    // long plain runs between escapes: copy each run whole.
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && !NeedsEscape(static_cast<unsigned char>(text[end]))) ++end;
        out.append(text, start, end - start);
        if (end == text.size()) break;
        AddEscape(out, static_cast<unsigned char>(text[end]));
        start = end + 1;
    }
}

// A character of the code page's upper half as UTF-8 (two or three bytes).
void AddUtf8Of(std::string &out, unsigned char c) {
    const char32_t code = c <= 0x9F ? HighControls[c - 0x80u] : c;
    if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (code & 0x3F));
}

}  // namespace

void AppendEscaped(std::string &out, std::string_view windowsText) {
    AppendEscapedBytes(out, windowsText);
}

std::string EscapeControls(std::string_view windowsText) {
    std::string out;
    AppendEscapedBytes(out, windowsText);
    return out;
}

namespace {

// The decimal separator the reader could not write (see SetDecimalMark).
struct {
    char Byte = 0;
    std::string Utf8;
} DecimalMark;

bool IsMark(unsigned char c) {
    return DecimalMark.Byte != 0 && c == static_cast<unsigned char>(DecimalMark.Byte);
}

}  // namespace

void SetDecimalMark(char mark, std::string_view utf8Separator) {
    DecimalMark.Byte = mark;
    DecimalMark.Utf8 = utf8Separator;
}

std::string Utf8OfWindows1252(std::string_view windowsText) {
    // ASCII is the same in both.
    const bool ascii = std::all_of(windowsText.begin(), windowsText.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x80 && !IsMark(static_cast<unsigned char>(c));
    });
    if (ascii) return std::string(windowsText);
    if (DecimalMark.Byte == 0) return exif::Windows1252ToUtf8(windowsText);
    std::string out;
    for (size_t start = 0; start <= windowsText.size();) {
        const size_t mark = std::min(windowsText.find(DecimalMark.Byte, start), windowsText.size());
        out += exif::Windows1252ToUtf8(windowsText.substr(start, mark - start));
        if (mark == windowsText.size()) break;
        out += DecimalMark.Utf8;
        start = mark + 1;
    }
    return out;
}

void AppendTerminalValue(std::string &out, std::string_view windowsText) {
    size_t start = 0;
    while (start < windowsText.size()) {
        size_t end = start;
        while (end < windowsText.size() && ClassOf(windowsText[end]) == ByteClass::Plain) ++end;
        out.append(windowsText, start, end - start);
        if (end == windowsText.size()) break;
        const auto c = static_cast<unsigned char>(windowsText[end]);
        if (ClassOf(windowsText[end]) == ByteClass::High)
            AddUtf8Of(out, c);
        else if (IsMark(c))
            out += DecimalMark.Utf8;
        else
            AddEscape(out, c);
        start = end + 1;
    }
}

namespace {

// U+0080-U+009F: terminals take them as controls (U+009B is CSI, ESC [).
bool IsC1(char32_t code) {
    return code >= 0x80 && code <= 0x9F;
}

void AddByteEscapes(std::string &out, std::string_view bytes) {
    for (const char c : bytes) AddHexEscape(out, "\\x", static_cast<unsigned char>(c), 2);
}

// One ASCII byte of a JSON string.
void AddJsonAscii(std::string &out, char c) {
    switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F)
                AddHexEscape(out, "\\u", static_cast<unsigned char>(c), 4);
            else
                out += c;
    }
}

}  // namespace

std::string EscapeUtf8Controls(std::string_view utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            if (NeedsEscape(c))
                AddEscape(out, c);
            else
                out += utf8[i];
            ++i;
            continue;
        }
        const auto decoded = DecodeUtf8(utf8.substr(i));
        const size_t length = decoded ? decoded->Length : 1;
        if (decoded && !IsC1(decoded->Code))
            out.append(utf8, i, length);
        else
            AddByteEscapes(out, utf8.substr(i, length));
        i += length;
    }
    return out;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            AddJsonAscii(out, text[i]);
            ++i;
            continue;
        }
        const auto decoded = DecodeUtf8(text.substr(i));
        if (!decoded) {
            AddHexEscape(out, "\\udc", c, 2);
            ++i;
        } else {
            if (IsC1(decoded->Code))
                AddHexEscape(out, "\\u", decoded->Code, 4);
            else
                out.append(text, i, decoded->Length);
            i += decoded->Length;
        }
    }
    return out + "\"";
}

std::string CsvField(std::string_view utf8) {
    const bool quote = utf8.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!utf8.empty() && (utf8.front() == ' ' || utf8.back() == ' '));
    if (!quote) return std::string(utf8);
    std::string out = "\"";
    for (const char ch : utf8) {
        if (ch == '"') out += '"';
        out += ch;
    }
    return out + "\"";
}

}  // namespace cli
