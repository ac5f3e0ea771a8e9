#include "cli/TextCodec.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "bytes/ByteScan.h"
#include "bytes/Unicode.h"

namespace cli {

namespace {

constexpr char HexDigits[] = "0123456789abcdef";

using namespace exif::scan;

// The end of the run from `at` of printable ASCII (0x20-0x7E) other than
// A and B: the bytes every output takes as they are. Values are mostly
// such runs, whole.
uint64_t NotPlain(uint64_t w, char a, char b) {
    return ((w | (w - 0x20 * Ones) | (w + Ones)) & Tops) | BytesEqual(w, a) | BytesEqual(w, b);
}

// Whether a byte is plain, one look-up a byte for the last few.
template <char A, char B>
constexpr std::array<bool, 256> PlainBytes = [] {
    std::array<bool, 256> plain{};
    for (size_t c = 0x20; c < 0x7F; ++c) plain[c] = c != static_cast<unsigned char>(A) && c != static_cast<unsigned char>(B);
    return plain;
}();

template <char A, char B>
size_t PlainEnd(std::string_view text, size_t at) {
#ifdef EXIF_BLOCK_SCANS
    for (; text.size() - at >= TBlock::Size; at += TBlock::Size) {
        const TBlock block(text, at);
        if (const unsigned stops = block.NotPlainAscii() | block.Equal(0x7F) | block.Equal(A) | block.Equal(B))
            return at + FirstMarked(stops);
    }
#endif
    if constexpr (WordScans) {
        for (; text.size() - at >= 8; at += 8)
            if (const uint64_t fails = NotPlain(WordAt(text, at), A, B); fails != 0) return at + FirstMarkedByte(fails);
        // The last bytes: the word that ends the text, its bytes before `at`
        // (plain, so unmarked) shifted out.
        if (at < text.size() && text.size() >= 8) {
            const size_t last = text.size() - 8;
            const uint64_t fails = NotPlain(WordAt(text, last), A, B) >> (8 * (at - last));
            return fails != 0 ? at + FirstMarkedByte(fails) : text.size();
        }
    }
    while (at < text.size() && PlainBytes<A, B>[static_cast<unsigned char>(text[at])]) ++at;
    return at;
}

void AddHexEscape(std::string &out, const char *prefix, unsigned value, int digits) {
    out += prefix;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += HexDigits[(value >> shift) & 0xFu];
}

// Control bytes, DEL and the backslash.
bool NeedsEscape(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == '\\';
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

// U+0080-U+009F: terminals take them as controls (U+009B is CSI, ESC [).
// Their UTF-8 form is C2 80 to C2 9F.
bool IsC1At(std::string_view utf8, size_t i) {
    return static_cast<unsigned char>(utf8[i]) == 0xC2 && i + 1 < utf8.size() &&
           static_cast<unsigned char>(utf8[i + 1]) <= 0x9F;
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

void AppendTerminalValue(std::string &out, std::string_view utf8) {
    // Most values need no escape, and those that do have long plain runs
    // between escapes: copy each run whole.
    size_t start = 0;
    while (start < utf8.size()) {
        size_t end = start;
        while (end < utf8.size()) {
            // Printable ASCII other than the backslash is taken as it is.
            end = PlainEnd<'\\', '\\'>(utf8, end);
            if (end == utf8.size()) break;
            const auto c = static_cast<unsigned char>(utf8[end]);
            if (c < 0x80 ? NeedsEscape(c) : IsC1At(utf8, end)) break;
            const size_t length = c < 0x80 ? 1 : exif::Utf8SequenceLength(utf8, end);
            if (length == 0) break;
            end += length;
        }
        out.append(utf8, start, end - start);
        if (end == utf8.size()) break;
        const auto c = static_cast<unsigned char>(utf8[end]);
        if (c < 0x80) {
            AddEscape(out, c);
            start = end + 1;
        } else {
            const size_t length = IsC1At(utf8, end) ? 2 : 1;
            AddByteEscapes(out, utf8.substr(end, length));
            start = end + length;
        }
    }
}

std::string EscapeUtf8Controls(std::string_view utf8) {
    std::string out;
    AppendTerminalValue(out, utf8);
    return out;
}

void AppendJsonString(std::string &out, std::string_view text) {
    out += '"';
    for (size_t i = 0; i < text.size();) {
        // Printable ASCII but the quote and the backslash is taken in runs.
        const size_t end = PlainEnd<'"', '\\'>(text, i);
        out.append(text, i, end - i);
        i = end;
        if (i == text.size()) break;
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            AddJsonAscii(out, text[i]);
            ++i;
            continue;
        }
        const size_t length = exif::Utf8SequenceLength(text, i);
        if (length == 0) {
            AddHexEscape(out, "\\udc", c, 2);
            ++i;
        } else if (IsC1At(text, i)) {
            AddHexEscape(out, "\\u", static_cast<unsigned char>(text[i + 1]), 4);
            i += length;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    out += '"';
}

std::string JsonString(std::string_view text) {
    std::string out;
    AppendJsonString(out, text);
    return out;
}

void AppendCsvField(std::string &out, std::string_view utf8) {
    bool quote = !utf8.empty() && (utf8.front() == ' ' || utf8.back() == ' ');
    for (size_t i = 0; i < utf8.size() && !quote; ++i)
        quote = utf8[i] == ',' || utf8[i] == '"' || utf8[i] == '\r' || utf8[i] == '\n';
    if (!quote) {
        out += utf8;
        return;
    }
    out += '"';
    for (const char ch : utf8) {
        if (ch == '"') out += '"';
        out += ch;
    }
    out += '"';
}

std::string CsvField(std::string_view utf8) {
    std::string out;
    AppendCsvField(out, utf8);
    return out;
}

}  // namespace cli
