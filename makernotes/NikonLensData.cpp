// Nikon's lens data (tag 0x0098 of the newer note): a 4-digit version, then
// the lens's numbers, enciphered from byte 4 on in versions 0201 to 0204.
// The shot info (tag 0x0091) is enciphered the same way in its versions 02xx
// and 08xx. The cipher is keyed by the camera's serial number (tag 0x001D)
// and shutter count (tag 0x00A7): two bytes taken from the tables below start
// a stream of bytes that each enciphered byte is XORed with.
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <vector>

#include "bytes/EndInd.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

constexpr uint16_t TagSerialNumber = 0x001D, TagLensType = 0x0083, TagShutterCount = 0x00A7;

// The two key tables: the first indexed by the serial number's low byte, the
// second by the shutter count's four bytes XORed together.
// clang-format off
constexpr std::array<std::array<uint8_t, 256>, 2> NikonKeyTables = {{{
    0xc1, 0xbf, 0x6d, 0x0d, 0x59, 0xc5, 0x13, 0x9d, 0x83, 0x61, 0x6b, 0x4f, 0xc7, 0x7f, 0x3d, 0x3d,
    0x53, 0x59, 0xe3, 0xc7, 0xe9, 0x2f, 0x95, 0xa7, 0x95, 0x1f, 0xdf, 0x7f, 0x2b, 0x29, 0xc7, 0x0d,
    0xdf, 0x07, 0xef, 0x71, 0x89, 0x3d, 0x13, 0x3d, 0x3b, 0x13, 0xfb, 0x0d, 0x89, 0xc1, 0x65, 0x1f,
    0xb3, 0x0d, 0x6b, 0x29, 0xe3, 0xfb, 0xef, 0xa3, 0x6b, 0x47, 0x7f, 0x95, 0x35, 0xa7, 0x47, 0x4f,
    0xc7, 0xf1, 0x59, 0x95, 0x35, 0x11, 0x29, 0x61, 0xf1, 0x3d, 0xb3, 0x2b, 0x0d, 0x43, 0x89, 0xc1,
    0x9d, 0x9d, 0x89, 0x65, 0xf1, 0xe9, 0xdf, 0xbf, 0x3d, 0x7f, 0x53, 0x97, 0xe5, 0xe9, 0x95, 0x17,
    0x1d, 0x3d, 0x8b, 0xfb, 0xc7, 0xe3, 0x67, 0xa7, 0x07, 0xf1, 0x71, 0xa7, 0x53, 0xb5, 0x29, 0x89,
    0xe5, 0x2b, 0xa7, 0x17, 0x29, 0xe9, 0x4f, 0xc5, 0x65, 0x6d, 0x6b, 0xef, 0x0d, 0x89, 0x49, 0x2f,
    0xb3, 0x43, 0x53, 0x65, 0x1d, 0x49, 0xa3, 0x13, 0x89, 0x59, 0xef, 0x6b, 0xef, 0x65, 0x1d, 0x0b,
    0x59, 0x13, 0xe3, 0x4f, 0x9d, 0xb3, 0x29, 0x43, 0x2b, 0x07, 0x1d, 0x95, 0x59, 0x59, 0x47, 0xfb,
    0xe5, 0xe9, 0x61, 0x47, 0x2f, 0x35, 0x7f, 0x17, 0x7f, 0xef, 0x7f, 0x95, 0x95, 0x71, 0xd3, 0xa3,
    0x0b, 0x71, 0xa3, 0xad, 0x0b, 0x3b, 0xb5, 0xfb, 0xa3, 0xbf, 0x4f, 0x83, 0x1d, 0xad, 0xe9, 0x2f,
    0x71, 0x65, 0xa3, 0xe5, 0x07, 0x35, 0x3d, 0x0d, 0xb5, 0xe9, 0xe5, 0x47, 0x3b, 0x9d, 0xef, 0x35,
    0xa3, 0xbf, 0xb3, 0xdf, 0x53, 0xd3, 0x97, 0x53, 0x49, 0x71, 0x07, 0x35, 0x61, 0x71, 0x2f, 0x43,
    0x2f, 0x11, 0xdf, 0x17, 0x97, 0xfb, 0x95, 0x3b, 0x7f, 0x6b, 0xd3, 0x25, 0xbf, 0xad, 0xc7, 0xc5,
    0xc5, 0xb5, 0x8b, 0xef, 0x2f, 0xd3, 0x07, 0x6b, 0x25, 0x49, 0x95, 0x25, 0x49, 0x6d, 0x71, 0xc7,
}, {
    0xa7, 0xbc, 0xc9, 0xad, 0x91, 0xdf, 0x85, 0xe5, 0xd4, 0x78, 0xd5, 0x17, 0x46, 0x7c, 0x29, 0x4c,
    0x4d, 0x03, 0xe9, 0x25, 0x68, 0x11, 0x86, 0xb3, 0xbd, 0xf7, 0x6f, 0x61, 0x22, 0xa2, 0x26, 0x34,
    0x2a, 0xbe, 0x1e, 0x46, 0x14, 0x68, 0x9d, 0x44, 0x18, 0xc2, 0x40, 0xf4, 0x7e, 0x5f, 0x1b, 0xad,
    0x0b, 0x94, 0xb6, 0x67, 0xb4, 0x0b, 0xe1, 0xea, 0x95, 0x9c, 0x66, 0xdc, 0xe7, 0x5d, 0x6c, 0x05,
    0xda, 0xd5, 0xdf, 0x7a, 0xef, 0xf6, 0xdb, 0x1f, 0x82, 0x4c, 0xc0, 0x68, 0x47, 0xa1, 0xbd, 0xee,
    0x39, 0x50, 0x56, 0x4a, 0xdd, 0xdf, 0xa5, 0xf8, 0xc6, 0xda, 0xca, 0x90, 0xca, 0x01, 0x42, 0x9d,
    0x8b, 0x0c, 0x73, 0x43, 0x75, 0x05, 0x94, 0xde, 0x24, 0xb3, 0x80, 0x34, 0xe5, 0x2c, 0xdc, 0x9b,
    0x3f, 0xca, 0x33, 0x45, 0xd0, 0xdb, 0x5f, 0xf5, 0x52, 0xc3, 0x21, 0xda, 0xe2, 0x22, 0x72, 0x6b,
    0x3e, 0xd0, 0x5b, 0xa8, 0x87, 0x8c, 0x06, 0x5d, 0x0f, 0xdd, 0x09, 0x19, 0x93, 0xd0, 0xb9, 0xfc,
    0x8b, 0x0f, 0x84, 0x60, 0x33, 0x1c, 0x9b, 0x45, 0xf1, 0xf0, 0xa3, 0x94, 0x3a, 0x12, 0x77, 0x33,
    0x4d, 0x44, 0x78, 0x28, 0x3c, 0x9e, 0xfd, 0x65, 0x57, 0x16, 0x94, 0x6b, 0xfb, 0x59, 0xd0, 0xc8,
    0x22, 0x36, 0xdb, 0xd2, 0x63, 0x98, 0x43, 0xa1, 0x04, 0x87, 0x86, 0xf7, 0xa6, 0x26, 0xbb, 0xd6,
    0x59, 0x4d, 0xbf, 0x6a, 0x2e, 0xaa, 0x2b, 0xef, 0xe6, 0x78, 0xb6, 0x4e, 0xe0, 0x2f, 0xdc, 0x7c,
    0xbe, 0x57, 0x19, 0x32, 0x7e, 0x2a, 0xd0, 0xb8, 0xba, 0x29, 0x00, 0x3c, 0x52, 0x7d, 0xa8, 0x49,
    0x3b, 0x2d, 0xeb, 0x25, 0x49, 0xfa, 0xa3, 0xaa, 0x39, 0xa7, 0xc5, 0xa7, 0x50, 0x11, 0x36, 0xfb,
    0xc6, 0x67, 0x4a, 0xf5, 0xa5, 0x12, 0x65, 0x7e, 0xb0, 0xdf, 0xaf, 0x4e, 0xb3, 0x61, 0x7f, 0x2f,
}}};
// clang-format on

// Where a lens-data version keeps the lens's numbers (0-based offsets), and
// whether it is enciphered. Seven bytes: the lens's number, its f-stops, the
// shortest and longest focal lengths, the apertures at both, and the version
// of the lens's micro-controller (MCU).
struct TLensDataLayout {
    std::string_view Version;
    bool Enciphered;
    int64_t LensIdAt;
};
constexpr int64_t LensBytes = 7;
// clang-format off
constexpr std::array<TLensDataLayout, 6> LensDataLayouts = {{
    {"0100", false, 0x06},
    {"0101", false, 0x0B},
    {"0201", true, 0x0B},
    {"0202", true, 0x0B},
    {"0203", true, 0x0B},
    {"0204", true, 0x0C},
}};
// clang-format on

const TLensDataLayout *LensDataLayoutOf(std::string_view version) {
    const auto it = std::lower_bound(LensDataLayouts.begin(), LensDataLayouts.end(), version,
                                     [](const TLensDataLayout &row, std::string_view v) { return row.Version < v; });
    return it != LensDataLayouts.end() && it->Version == version ? &*it : nullptr;
}

// The serial number's key: the number itself when it is all digits (only its
// low byte counts), else 0x22 for the D50 and 0x60 for the others.
uint8_t SerialKey(std::string_view serial, std::string_view model) {
    const std::string_view digits = serial.substr(0, serial.find('\0'));
    unsigned low = 0;
    bool numeric = !digits.empty();
    for (const char c : digits) {
        if (c < '0' || c > '9') numeric = false;
        low = (low * 10 + static_cast<unsigned>(c - '0')) & 0xFF;
    }
    if (numeric) return static_cast<uint8_t>(low);
    return model.ends_with("D50") ? 0x22 : 0x60;
}

std::string Deciphered(std::string_view bytes, uint8_t serialKey, uint32_t shutterCount) {
    uint8_t countKey = 0;
    for (int shift = 0; shift < 32; shift += 8) countKey ^= static_cast<uint8_t>(shutterCount >> shift);
    const unsigned ci = NikonKeyTables[0][serialKey];
    unsigned cj = NikonKeyTables[1][countKey], ck = 0x60;
    std::string plain(bytes);
    for (size_t i = 4; i < plain.size(); ++i) {
        cj = (cj + ci * ck) & 0xFF;
        ck = (ck + 1) & 0xFF;
        plain[i] = static_cast<char>(static_cast<uint8_t>(plain[i]) ^ cj);
    }
    return plain;
}

std::optional<uint32_t> ShutterCountOf(const TRenderOut &in) {
    TRenderOut count;
    count.Raw = in.Directory ? in.Directory->ValueBytes(TagShutterCount) : std::string_view();
    count.BigEndian = in.BigEndian;
    const std::optional<uint64_t> n = UnsignedAt(count, 0, 4);
    return n ? std::optional<uint32_t>(static_cast<uint32_t>(*n)) : std::nullopt;
}

// The key a block of the directory is enciphered with, as the directory holds
// it: none without a shutter count.
struct TCipherKey {
    std::string_view Serial;  // empty when the note has none
    std::string_view Model;
    uint32_t ShutterCount;
};
std::optional<TCipherKey> CipherKeyOf(const TRenderOut &in) {
    const std::optional<uint32_t> count = ShutterCountOf(in);
    if (!count || !in.Directory) return std::nullopt;
    return TCipherKey{in.Directory->ValueBytes(TagSerialNumber), in.Directory->Model(), *count};
}

// The first `size` bytes of the value, deciphered; the rest of a large block
// (the shot info runs to kilobytes) is not read.
std::string DecipheredStart(std::string_view raw, const TCipherKey &key, int64_t size) {
    return NikonDecipher(exif::tEndInd::RegionOf(raw, 1, size), key.Serial, key.Model, key.ShutterCount);
}

// The lens's name: its seven bytes of the lens data (at `at`) and the note's
// LensType byte, looked up in the F-mount table. None when a byte is missing
// or the table has no such lens.
std::optional<std::string_view> LensModelOf(std::string_view lensData, int64_t at, const TRenderOut &entry) {
    TRenderOut lens, type;
    lens.Raw = lensData;
    lens.BigEndian = true;  // the first byte the key's highest
    type.Raw = entry.Directory ? entry.Directory->ValueBytes(TagLensType) : std::string_view();
    const std::optional<uint64_t> bytes = UnsignedAt(lens, at, LensBytes);
    const std::optional<uint64_t> lensType = UnsignedAt(type, 0, 1);
    if (!bytes || !lensType) return std::nullopt;
    return NikonLensName(*bytes << 8 | *lensType);
}

// The firmware's version in the shot info: text from byte 4 on, 5 bytes
// ("1.10B"), 8 in versions 0246 and 0800 to 0805. Versions 01xx are plain,
// 02xx and 08xx enciphered; others are not read. None without the key (the
// serial number too: it decides the key) or when the bytes are no text.
std::optional<std::string> ShotInfoFirmware(const TRenderOut &in) {
    const std::string_view version = exif::tEndInd::RegionOf(in.Raw, 1, 4);
    const int64_t size = 4 + (version == "0246" || (version >= "0800" && version <= "0805") ? 8 : 5);
    std::string plain(exif::tEndInd::RegionOf(in.Raw, 1, size));
    if (version.starts_with("02") || version.starts_with("08")) {
        const std::optional<TCipherKey> key = CipherKeyOf(in);
        if (!key || key->Serial.empty()) return std::nullopt;
        plain = DecipheredStart(in.Raw, *key, size);
    } else if (!version.starts_with("01")) {
        return std::nullopt;
    }
    if (static_cast<int64_t>(plain.size()) < size) return std::nullopt;
    std::string text = plain.substr(4);
    text.resize(std::min(text.find('\0'), text.size()));
    const bool printable = std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
    if (text.empty() || !printable) return std::nullopt;
    return text;
}

// The bits of Nikon's LensType: 0 MF, 1 D, 2 G, 3 VR, 4 a Nikon 1 lens, 5 on
// the FT-1 adapter, 6 E (an electromagnetic aperture), 7 AF-P; none set is a
// plain AF lens. Named in the order Nikon's names read: a D lens that is G is
// "G"; E comes first, in place of a leading G when more follows ("E VR", but
// "E G" for a G lens that is only E); then "1" goes first and FT-1 last.
std::string LensKindText(unsigned bits) {
    if (bits == 0) return "AF";
    constexpr std::array<std::string_view, 8> BitNames = {"MF", "D", "G", "VR", "1", "FT-1", "E", "AF-P"};
    std::vector<std::string_view> words;
    for (size_t b = 0; b < BitNames.size(); ++b)
        if ((bits >> b) & 1) words.push_back(BitNames[b]);
    const auto at = [&](std::string_view word) { return std::find(words.begin(), words.end(), word); };
    // Present, and not the first word: the words that move do.
    const auto follows = [&](std::string_view word) { return at(word) != words.end() && at(word) != words.begin(); };
    if ((bits & 0x06) == 0x06) words.erase(at("D"));
    if (follows("E")) {
        words.erase(at("E"));
        if (words.size() > 1 && words.front() == "G")
            words.front() = "E";
        else
            words.insert(words.begin(), "E");
    }
    if (follows("1")) {
        words.erase(at("1"));
        words.insert(words.begin(), "1");
    }
    if (at("FT-1") < words.end() - 1) {
        words.erase(at("FT-1"));
        words.push_back("FT-1");
    }
    std::string shown;
    for (const std::string_view word : words) shown += (shown.empty() ? "" : " ") + std::string(word);
    return shown;
}

// "\r\nlabel = value", the value given to `out` as a sub-entry too.
std::string SubEntryLine(std::string_view label, const std::string &value, TRenderOut *out) {
    out->SubEntries.emplace_back(label, value);
    return "\r\n" + std::string(label) + " = " + value;
}

// The same for a number: its text, and the number itself for -n.
std::string SubNumberLine(std::string_view label, const std::string &text, double value, TRenderOut *out) {
    out->SubEntries.emplace_back(label, text, exif::TypeDouble,
                                 UnsignedBytes(std::bit_cast<uint64_t>(value), 8, out->BigEndian));
    return "\r\n" + std::string(label) + " = " + text;
}

}  // namespace

std::string NikonDecipher(std::string_view lensData, std::string_view serial, std::string_view model,
                          uint32_t shutterCount) {
    return Deciphered(lensData, SerialKey(serial, model), shutterCount);
}

// The lens's number and what it says of the lens: f-stops (in twelfths),
// focal lengths (5 x 2^(n/24) mm) and largest apertures (2^(n/24)).
std::string NikonLensData(const std::string &, TRenderOut *out) {
    if (!out) return {};
    out->Block = true;
    out->SubEntriesOnly = true;
    const TLensDataLayout *layout = LensDataLayoutOf(exif::tEndInd::RegionOf(out->Raw, 1, 4));
    if (!layout) return {};
    const int64_t size = layout->LensIdAt + LensBytes;
    std::string plain(exif::tEndInd::RegionOf(out->Raw, 1, size));
    if (layout->Enciphered) {
        const std::optional<TCipherKey> key = CipherKeyOf(*out);
        if (!key) return {};
        plain = DecipheredStart(out->Raw, *key, size);
    }
    TRenderOut lens;
    lens.Raw = plain;
    const auto byteAt = [&](int64_t k) { return UnsignedAt(lens, layout->LensIdAt + k, 1); };
    if (!byteAt(5)) return {};
    const auto power = [](uint64_t n) { return std::exp2(static_cast<double>(n) / 24); };
    const double stops = static_cast<double>(*byteAt(1)) / 12, minFocal = 5 * power(*byteAt(2)),
                 maxFocal = 5 * power(*byteAt(3)), minAperture = power(*byteAt(4)), maxAperture = power(*byteAt(5));
    std::string lines;
    lines += SubNumberLine("LensIDNumber", exif::IntText(static_cast<int64_t>(*byteAt(0))),
                           static_cast<double>(*byteAt(0)), out);
    lines += SubNumberLine("LensFStops", exif::FixedText(stops, 2), stops, out);
    lines += SubNumberLine("MinFocalLength", exif::FixedText(minFocal, 1) + " mm", minFocal, out);
    lines += SubNumberLine("MaxFocalLength", exif::FixedText(maxFocal, 1) + " mm", maxFocal, out);
    lines += SubNumberLine("MaxApertureAtMinFocal", exif::FixedText(minAperture, 1), minAperture, out);
    lines += SubNumberLine("MaxApertureAtMaxFocal", exif::FixedText(maxAperture, 1), maxAperture, out);
    if (const std::optional<std::string_view> model = LensModelOf(plain, layout->LensIdAt, *out))
        lines += SubEntryLine("LensModel", std::string(*model), out);
    return lines;
}

// The shot info's one value read here: the firmware's version.
std::string NikonShotInfo(const std::string &, TRenderOut *out) {
    if (!out) return {};
    out->Block = true;
    out->SubEntriesOnly = true;
    const std::optional<std::string> firmware = ShotInfoFirmware(*out);
    return firmware ? SubEntryLine("FirmwareVersion", *firmware, out) : std::string();
}

// The kind of lens, from the bits of tag 0x0083 (see LensKindText).
std::string NikonLensType(const std::string &text, TRenderOut *out) {
    if (out) out->StoreShown = true;
    const std::optional<int32_t> bits = exif::ParseDecimal(exif::TrimmedView(text));
    return bits && *bits >= 0 && *bits <= 0xFF ? LensKindText(static_cast<unsigned>(*bits)) : text;
}

// The second of the two numbers: the ISO speed.
std::string NikonIso(const std::string &text, TRenderOut *out) {
    // Two numbers, the first 0 but on a few bodies: "0, 200" is ISO 200. A
    // body that wrote the ISO as text keeps it as written.
    if (!out || out->Type != exif::TypeShort || !text.starts_with("0, ")) return text;
    out->StoreShown = true;
    return text.substr(3);
}

}  // namespace makernotes
