#include "containers/PngRawProfile.h"

#include <algorithm>

namespace containers {

namespace {

// More digits than any length up to the limit needs.
constexpr size_t MaxLengthDigits = 12;

struct THeader {
    uint64_t Length = 0;
    size_t HexStart = 0;
    std::string Problem;
};

// "\n" NAME "\n" spaces DECIMAL-LENGTH: the declared length and where the
// hex digits start.
THeader ReadHeader(std::string_view text) {
    if (!text.starts_with('\n')) return {0, 0, "no raw profile header"};
    const size_t nameEnd = text.find('\n', 1);
    if (nameEnd == std::string_view::npos) return {0, 0, "no raw profile header"};
    const size_t digits = std::min(text.find_first_not_of(" \t", nameEnd + 1), text.size());
    const size_t digitsEnd = std::min(text.find_first_not_of("0123456789", digits), text.size());
    if (digitsEnd == digits || digitsEnd - digits > MaxLengthDigits) return {0, 0, "no length in the raw profile header"};
    uint64_t length = 0;
    for (const char c : text.substr(digits, digitsEnd - digits)) length = length * 10 + static_cast<uint64_t>(c - '0');
    return {length, digitsEnd, {}};
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsLineSpace(char c) { return c == '\n' || c == '\r' || c == ' ' || c == '\t'; }

// Pairs of hex digits into bytes, white space between them skipped, until
// `length` bytes are decoded or the digits end. The header's length is
// trusted over the digits: more digits, or anything else, end the decoding
// with a problem noted.
void DecodeHex(std::string_view hex, uint64_t length, TRawProfile &out) {
    out.Bytes.reserve(static_cast<size_t>(std::min<uint64_t>(length, hex.size() / 2)));
    int high = -1;
    for (const char c : hex) {
        if (IsLineSpace(c)) continue;
        if (out.Bytes.size() == length) {
            out.Problem = "the raw profile holds more hex digits than its header says";
            return;
        }
        const int v = HexValue(c);
        if (v < 0) {
            out.Problem = "a character that is not a hex digit in the raw profile";
            return;
        }
        if (high < 0) {
            high = v;
        } else {
            out.Bytes.push_back(static_cast<char>(high << 4 | v));
            high = -1;
        }
    }
}

}  // namespace

TRawProfile DecodeRawProfile(std::string_view text, uint64_t maxBytes) {
    TRawProfile out;
    const THeader header = ReadHeader(text);
    if (!header.Problem.empty()) {
        out.Problem = header.Problem;
        return out;
    }
    if (header.Length > maxBytes) {
        out.Problem = "the raw profile claims " + std::to_string(header.Length) + " bytes, more than the limit";
        return out;
    }
    DecodeHex(text.substr(header.HexStart), header.Length, out);
    out.Decoded = true;
    if (out.Problem.empty() && out.Bytes.size() != header.Length)
        out.Problem = "the raw profile holds " + std::to_string(out.Bytes.size()) + " bytes, its header says " +
                      std::to_string(header.Length);
    return out;
}

}  // namespace containers
