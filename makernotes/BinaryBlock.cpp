// The binary-block interpreter (see BinaryBlock.h).
#include "makernotes/BinaryBlock.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

#include "bytes/EndInd.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

// The number of field type `type` at element `index` of a block of
// `element`s; none past the block's end.
std::optional<int64_t> NumberAt(const exif::tEndInd &block, uint16_t element, uint16_t type, size_t index) {
    return BlockNumberAt(block, type, static_cast<int64_t>(index) * exif::TypeSize(element));
}

bool IsMissing(std::string_view missing, int64_t n) {
    const std::string text = exif::IntText(n);
    while (!missing.empty()) {
        const size_t comma = missing.find(',');
        if (missing.substr(0, comma) == text) return true;
        if (comma == std::string_view::npos) break;
        missing.remove_prefix(comma + 1);
    }
    return false;
}

// Stored as a 32-bit number: signed when it is negative.
void AddNumber(exif::TRenderOut &out, std::string &lines, std::string_view name, std::string text, int64_t n) {
    lines += "\r\n" + std::string(name) + " = " + text;
    out.SubEntries.emplace_back(name, std::move(text), n < 0 ? exif::TypeSLong : exif::TypeLong,
                                UnsignedBytes(static_cast<uint32_t>(n), 4, out.BigEndian));
}

void AddDouble(exif::TRenderOut &out, std::string &lines, std::string_view name, std::string text, double v) {
    lines += "\r\n" + std::string(name) + " = " + text;
    out.SubEntries.emplace_back(name, std::move(text), exif::TypeDouble,
                                UnsignedBytes(std::bit_cast<uint64_t>(v), 8, out.BigEndian));
}

std::optional<int64_t> ElementAt(const exif::tEndInd &block, uint16_t element, size_t index) {
    return NumberAt(block, element, element, index);
}

std::string FieldText(const exif::tEndInd &block, const TBlockRow &row, uint16_t element) {
    const int size = exif::TypeSize(element);
    const exif::Pos at = static_cast<exif::Pos>(row.Offset) * size + 1;
    const int64_t length = static_cast<int64_t>(row.Count) * size;
    const std::string_view bytes = block.Region(at, block.Available(at, length));
    return std::string(bytes.substr(0, bytes.find('\0')));
}

void ReadRow(const exif::tEndInd &block, const TBinaryBlock &desc, const TBlockRow &row, exif::TRenderOut &out,
             std::string &lines) {
    if (row.Kind == TBlockKind::Text) {
        std::string text = FieldText(block, row, desc.Element);
        if (!exif::Trim(text).empty()) {
            lines += "\r\n" + std::string(row.Name) + " = " + text;
            out.SubEntries.emplace_back(row.Name, std::move(text));
        }
        return;
    }
    std::optional<int64_t> n = NumberAt(block, desc.Element, row.Format != 0 ? row.Format : desc.Element, row.Offset);
    if (n && row.Mask != 0) n = (*n & row.Mask) >> std::countr_zero(row.Mask);
    if (!n || IsMissing(row.Missing, *n)) return;
    if (row.IfElement != 0 && ElementAt(block, desc.Element, row.IfElement).value_or(0) == 0) return;
    switch (row.Kind) {
        case TBlockKind::Number:
            AddNumber(out, lines, row.Name, exif::IntText(*n), *n);
            break;
        case TBlockKind::Coded:
        case TBlockKind::CodedOrNumber: {
            std::string named = exif::DecodeValueCode(row.Codes, exif::IntText(*n));
            if (named.empty() && row.Kind == TBlockKind::CodedOrNumber) named = exif::IntText(*n);
            if (!named.empty()) AddNumber(out, lines, row.Name, std::move(named), *n);
            break;
        }
        case TBlockKind::Converted: {
            double v = row.Convert ? row.Convert(static_cast<double>(*n)) : static_cast<double>(*n);
            const int64_t per = row.PerElement != 0 ? ElementAt(block, desc.Element, row.PerElement).value_or(0) : 0;
            if (per != 0) v /= static_cast<double>(per);
            if (!std::isfinite(v)) return;
            AddDouble(out, lines, row.Name, row.Print ? row.Print(v) : SignificantText(v), v);
            break;
        }
        case TBlockKind::LensId: {
            const std::optional<std::string_view> name = row.Lenses ? LensName(row.Lenses(), *n) : std::nullopt;
            if (name && *name != "n/a") AddNumber(out, lines, row.Name, std::string(*name), *n);
            break;
        }
        case TBlockKind::LensIdOrUnknown:
            if (row.Lenses) AddNumber(out, lines, row.Name, LensOrUnknown(row.Lenses(), *n), *n);
            break;
        case TBlockKind::Text:
            break;
    }
}

}  // namespace

std::optional<int64_t> BlockNumberAt(const exif::tEndInd &block, uint16_t type, int64_t at) {
    const int size = exif::TypeSize(type);
    const exif::Pos p = at + 1;
    if (size <= 0 || at < 0 || block.Available(p, size) != size) return std::nullopt;
    switch (type) {
        case exif::TypeSByte:
            return static_cast<int8_t>(block.ByteAt(p));
        case exif::TypeShort:
            return block.ReadWord(p);
        case exif::TypeSShort:
            return static_cast<int16_t>(block.ReadWord(p));
        case exif::TypeLong:
            return block.ReadOffset(p);
        case exif::TypeSLong:
            return block.ReadLong(p);
        default:
            return block.ByteAt(p);
    }
}

std::optional<uint8_t> ByteOf(std::string_view bytes, size_t at) {
    exif::tEndInd view;
    view.SetBuffer(bytes);
    const auto p = static_cast<exif::Pos>(at) + 1;
    if (view.Available(p, 1) != 1) return std::nullopt;
    return view.ByteAt(p);
}

std::string ReadBinaryBlock(const TBinaryBlock &desc, exif::TRenderOut &out) {
    out.Block = true;
    const std::string plain = desc.Decipher ? desc.Decipher(out.Raw) : std::string(out.Raw);
    exif::tEndInd block;
    block.SetBuffer(plain);
    block.BigEndian = desc.Order == TBlockOrder::Note ? out.BigEndian : desc.Order == TBlockOrder::Big;
    const TBlockFacts facts{out.Directory ? out.Directory->Model() : std::string_view(), out.Raw, plain};
    std::string lines;
    for (const TBlockRow &row : desc.Rows)
        if (!row.Applies || row.Applies(facts)) ReadRow(block, desc, row, out, lines);
    return lines;
}

std::span<const TBinaryBlock *const> BinaryBlocks() {
    static const std::array<const TBinaryBlock *, 17> blocks = {&CanonCameraSettingsBlock,
                                                                &CanonShotInfoBlock,
                                                                &CanonFileInfoBlock,
                                                                &CanonAFInfoBlock,
                                                                &CanonAFInfo2Block,
                                                                &CanonTimeInfoBlock,
                                                                &CanonCropInfoBlock,
                                                                &CanonAspectInfoBlock,
                                                                &CanonProcessingInfoBlock,
                                                                &CanonSensorInfoBlock,
                                                                &CanonLightingOptBlock,
                                                                &Sony9400Block,
                                                                &Sony9403Block,
                                                                &Sony9405Block,
                                                                &Sony940CBlock,
                                                                &Sony9416Block,
                                                                &NikonFlashInfo0100Block};
    return blocks;
}

// Canon's exposure codes count steps of 1/32 EV, thirds written 0x0C and 0x14.
double CanonEv(double code) {
    const double sign = code < 0 ? -1 : 1;
    const auto magnitude = static_cast<int64_t>(std::fabs(code));
    const int64_t whole = magnitude & ~int64_t{0x1F};
    double fraction = static_cast<double>(magnitude & 0x1F);
    if (fraction == 0x0C)
        fraction = 32.0 / 3;
    else if (fraction == 0x14)
        fraction = 64.0 / 3;
    return sign * (static_cast<double>(whole) + fraction) / 32;
}

std::string PrintTwoDigits(double v) {
    if (v == 0) return "0";
    // A code far out (Canon writes 0x7FFF for "none" in places) gives a
    // number far from any f-number: at most 20 decimals of it.
    const int digits = std::max(-19, static_cast<int>(std::floor(std::log10(std::fabs(v)))));
    return exif::FixedText(v, digits >= 1 ? 0 : 1 - digits);
}

std::string PrintExposureTime(double v) {
    // 1/v stays a whole number a 64-bit integer holds: no exposure is shorter.
    constexpr double Shortest = 1e-15;
    if (v > 0 && v < 0.25001) return "1/" + exif::IntText(static_cast<int64_t>(0.5 + 1 / std::max(v, Shortest)));
    std::string text = exif::FixedText(v, 1);
    if (text.ends_with(".0")) text.resize(text.size() - 2);
    return text;
}

std::string PrintFraction(double v) {
    const double scaled = v * 1.00001;
    const auto signedText = [](int64_t n) { return (n > 0 ? "+" : "") + exif::IntText(n); };
    for (const int over : {1, 2, 3}) {
        const double times = scaled * over;
        if (std::fabs(times - std::trunc(times)) < 1e-4 * over) {
            const auto n = static_cast<int64_t>(std::trunc(times));
            if (n == 0) return "0";
            return over == 1 ? signedText(n) : signedText(n) + "/" + exif::IntText(over);
        }
    }
    return (v > 0 ? "+" : "") + exif::FixedText(v, 3);
}

}  // namespace makernotes
