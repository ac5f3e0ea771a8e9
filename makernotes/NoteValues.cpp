// Helpers of the maker-note decoders that read a value from its bytes, and the
// small renderings several makers' rows share.
#include <algorithm>
#include <cmath>

#include "bytes/EndInd.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

std::optional<uint64_t> UnsignedAt(const TRenderOut &in, int64_t at, int size) {
    if (at < 0 || size < 1 || size > 8 || at + size > static_cast<int64_t>(in.Raw.size())) return std::nullopt;
    exif::tEndInd view;
    view.SetBuffer(in.Raw);
    uint64_t v = 0;
    for (int k = 0; k < size; ++k) {
        const exif::Pos p = at + 1 + (in.BigEndian ? k : size - 1 - k);
        v = (v << 8) | view.ByteAt(p);
    }
    return v;
}

std::string UnsignedBytes(uint64_t v, int size, bool bigEndian) {
    std::string bytes(static_cast<size_t>(size), '\0');
    for (int k = 0; k < size; ++k, v >>= 8)
        bytes[static_cast<size_t>(bigEndian ? size - 1 - k : k)] = static_cast<char>(v & 0xFF);
    return bytes;
}

void StoreNumber(TRenderOut &out, uint64_t v, uint16_t type, int size) {
    out.StoredRaw = UnsignedBytes(v, size, out.BigEndian);
    out.StoredType = type;
}

std::string StoredAsText(TRenderOut &out, std::string text) {
    out.StoreShown = true;
    out.StoredRaw = text;
    out.StoredType = exif::TypeAscii;
    return text;
}

std::string SignificantText(double v) {
    if (!std::isfinite(v) || v == 0) return "0";
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(v))));
    std::string text = exif::FixedText(v, std::clamp(9 - exponent, 0, 20));
    const std::string_view point = exif::DecimalSeparator();
    if (text.find(point) != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.ends_with(point)) text.resize(text.size() - point.size());
    }
    return text;
}

std::optional<std::string_view> LensName(std::span<const TLensRow> table, int64_t id) {
    const auto it =
        std::lower_bound(table.begin(), table.end(), id, [](const TLensRow &row, int64_t n) { return row.Id < n; });
    if (it == table.end() || it->Id != id) return std::nullopt;
    return it->Name;
}

std::optional<std::string_view> NikonLensName(uint64_t key) {
    const auto it = std::lower_bound(NikonLenses.begin(), NikonLenses.end(), key,
                                     [](const TNikonLensRow &row, uint64_t k) { return row.Key < k; });
    if (it == NikonLenses.end() || it->Key != key) return std::nullopt;
    return it->Name;
}

// Rationals as decimal numbers separated by blanks ("0.04538494722 -0.85").
std::string DecimalsText(const std::string &text, TRenderOut *out) {
    std::string shown;
    std::string_view rest = text;
    while (!rest.empty()) {
        const size_t comma = rest.find(", ");
        if (!shown.empty()) shown += ' ';
        shown += SignificantText(exif::FractionValue(rest.substr(0, comma)));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 2);
    }
    if (out) out->StoreShown = true;
    return shown;
}

// A setting around zero: "+1", "0", "-2".
std::string SignedLevel(const std::string &text, TRenderOut *out) {
    if (out) out->StoreShown = true;
    const auto n = exif::ParseDecimal(text);
    return n && *n > 0 ? "+" + text : text;
}

// Four ASCII digits "0210" as the version "2.10".
std::string VersionDigits(const std::string &text, TRenderOut *out) {
    if (out) out->StoreShown = true;
    const std::string digits = exif::Trim(text.size() >= 2 && text.front() == '"' ? text.substr(1, text.size() - 2) : text);
    if (digits.size() != 4 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return exif::CleanText(digits);
    const std::string major = digits[0] == '0' ? digits.substr(1, 1) : digits.substr(0, 2);
    return major + "." + digits.substr(2);
}

// 16-bit numbers the maker writes signed into a field typed unsigned or
// undefined (a colour matrix, a setting around zero): "356, -34, -66", as
// many as any array shows (the stored value keeps them all).
std::string SignedShorts(const std::string &text, TRenderOut *out) {
    if (!out || (out->Type != exif::TypeShort && out->Type != exif::TypeSShort && out->Type != exif::TypeUndefined) ||
        out->Raw.size() % 2 != 0)
        return text;
    constexpr int64_t ShownNumbers = 8;
    std::string shown;
    for (int64_t at = 0; at < 2 * ShownNumbers; at += 2) {
        const auto n = UnsignedAt(*out, at, 2);
        if (!n) break;
        if (!shown.empty()) shown += ", ";
        shown += exif::IntText(static_cast<int16_t>(static_cast<uint16_t>(*n)));
    }
    out->StoreShown = true;
    out->StoredRaw = std::string(out->Raw);
    out->StoredType = exif::TypeSShort;
    return shown;
}

// A text the maker wrote into a fixed field: it ends at its first NUL, what
// follows is the field's filler ("OLYMPUS DIGITAL CAMERA\0\xff\xff").
std::string NulEndedText(const std::string &text, TRenderOut *out) {
    if (!out || (out->Type != exif::TypeUndefined && out->Type != exif::TypeAscii)) return text;
    out->StoreShown = true;
    const std::string_view raw = out->Raw.substr(0, exif::RenderedValueBytes);
    return "\"" + std::string(raw.substr(0, raw.find('\0'))) + "\"";
}

// A value whose bytes are no text (a block other rows decode): listed, never
// stored.
std::string HiddenValue(const std::string &, TRenderOut *out) {
    if (out) out->SubEntriesOnly = true;
    return "(binary)";
}

}  // namespace makernotes
