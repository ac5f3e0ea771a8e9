// Sony's note: after "SONY DSC \0\0\0", "SONY CAM \0\0\0" or "SONY MOBILE\0",
// or from its first byte in the newer bodies' files, a directory whose value
// offsets count from the TIFF header. Tag 0x9050 and tags 0x9400 to 0x9416
// hold blocks enciphered by a fixed substitution: byte b is stored as b^3
// mod 249 (bytes 249 to 255 as they are); what a block holds, and where,
// depends on the body, and for the 0x94xx blocks on the version its first
// byte gives.
#include <algorithm>
#include <array>
#include <cmath>

#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/BinaryBlock.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

// clang-format off
constexpr std::array<TTagRow, 38> SonyRows = {{
    {0x0102, "Quality", "Quality", "0:RAW,1:Super Fine,2:Fine,3:Standard,4:Economy,5:Extra Fine,6:RAW + JPEG/HEIF,7:Compressed RAW,8:Compressed RAW + JPEG,9:Light,-1:n/a", "", nullptr},
    {0x0104, "FlashExposureComp", "Flash Exposure Comp", "", "", DecimalsText},
    {0x0115, "WhiteBalance", "White Balance", "0:Auto,1:Color Temperature/Color Filter,16:Daylight,32:Cloudy,48:Shade,64:Tungsten,80:Flash,96:Fluorescent,112:Custom,128:Underwater", "", nullptr},
    {0x0E00, "Skip", "Skip", "", "", nullptr},
    {0x2002, "Rating", "Rating", "", "", nullptr},
    {0x2004, "Contrast", "Contrast", "", "", SignedLevel},
    {0x2005, "Saturation", "Saturation", "", "", SignedLevel},
    {0x2006, "Sharpness", "Sharpness", "", "", SignedLevel},
    {0x201B, "FocusMode", "Focus Mode", "0:Manual,2:AF-S,3:AF-C,4:AF-A,6:DMF,7:AF-D", "", nullptr},
    {0x2031, "SerialNumber", "Serial Number", "", "", nullptr},
    {0x9050, "Tag9050", "Tag 9050", "", "", SonyCipherBlock9050},
    {0x9400, "Tag9400", "Tag 9400", "", "", SonyCipherBlock9400},
    {0x9403, "Tag9403", "Tag 9403", "", "", SonyCipherBlock9403},
    {0x9405, "Tag9405", "Tag 9405", "", "", SonyCipherBlock9405},
    {0x940C, "Tag940C", "Tag 940C", "", "", SonyCipherBlock940C},
    {0x9416, "Tag9416", "Tag 9416", "", "", SonyCipherBlock9416},
    {0xB000, "Skip", "Skip", "", "", nullptr},
    {0xB020, "CreativeStyle", "Creative Style", "", "", nullptr},
    {0xB021, "ColorTemperature", "Color Temperature", "0:Auto,-1:n/a", "", nullptr},
    {0xB023, "SceneMode", "Scene Mode", "0:Standard,1:Portrait,2:Text,3:Night Scene,4:Sunset,5:Sports,6:Landscape,7:Night Portrait,8:Macro,9:Super Macro,16:Auto,17:Night View/Portrait,18:Sweep Panorama,19:Handheld Night Shot,20:Anti Motion Blur,21:Cont. Priority AE,22:Auto+,23:3D Sweep Panorama,24:Superior Auto,25:High Sensitivity,26:Fireworks,27:Food,28:Pet,33:HDR,65535:n/a", "", nullptr},
    {0xB025, "DynamicRangeOptimizer", "Dynamic Range Optimizer", "0:Off,1:Standard,2:Advanced Auto,3:Auto,8:Advanced Lv1,9:Advanced Lv2,10:Advanced Lv3,11:Advanced Lv4,12:Advanced Lv5,16:Lv1,17:Lv2,18:Lv3,19:Lv4,20:Lv5", "", nullptr},
    {0xB026, "ImageStabilization", "Image Stabilization", "0:Off,1:On,-1:n/a", "", nullptr},
    {0xB027, "LensType", "Lens Type", "", "", SonyLensType},
    {0xB029, "ColorMode", "Color Mode", "0:Standard,1:Vivid,2:Portrait,3:Landscape,4:Sunset,5:Night View/Portrait,6:B&W,7:Adobe RGB,12:Neutral,13:Clear,14:Deep,15:Light,16:Autumn Leaves,17:Sepia,18:FL,19:Vivid 2,20:IN,21:SH,100:Neutral,101:Clear,102:Deep,103:Light,104:Night View,105:Autumn Leaves,255:Off,-1:n/a", "", nullptr},
    {0xB040, "Macro", "Macro", "0:Off,1:On,2:Close Focus,65535:n/a", "", nullptr},
    {0xB041, "ExposureMode", "Exposure Mode", "0:Program AE,1:Portrait,2:Beach,3:Sports,4:Snow,5:Landscape,6:Auto,7:Aperture-priority AE,8:Shutter speed priority AE,9:Night Scene / Twilight,10:Hi-Speed Shutter,11:Twilight Portrait,12:Soft Snap/Portrait,13:Fireworks,14:Smile Shutter,15:Manual,18:High Sensitivity,19:Macro,20:Advanced Sports Shooting,29:Underwater,33:Food,34:Sweep Panorama,35:Handheld Night Shot,36:Anti Motion Blur,37:Pet,38:Backlight Correction HDR,39:Superior Auto,40:Background Defocus,41:Soft Skin,42:3D Image,65535:n/a", "", nullptr},
    {0xB042, "FocusMode", "Focus Mode", "1:AF-S,2:AF-C,4:Permanent-AF,65535:n/a", "", nullptr},
    {0xB043, "AFAreaMode", "AF Area Mode", "0:Default,1:Multi,2:Center,3:Spot,4:Flexible Spot,6:Touch,14:Tracking,15:Face Tracking,65535:n/a", "", nullptr},
    {0xB044, "AFIlluminator", "AF Illuminator", "0:Off,1:Auto,65535:n/a", "", nullptr},
    {0xB047, "JPEGQuality", "JPEG Quality", "0:Standard,1:Fine,2:Extra Fine,65535:n/a", "", nullptr},
    {0xB048, "FlashLevel", "Flash Level", "", "", nullptr},
    {0xB049, "ReleaseMode", "Release Mode", "0:Normal,2:Continuous,5:Exposure Bracketing,6:White Balance Bracketing,8:DRO Bracketing,65535:n/a", "", nullptr},
    {0xB04A, "SequenceNumber", "Sequence Number", "0:Single,65535:n/a", "", nullptr},
    {0xB04B, "Anti-Blur", "Anti-Blur", "0:Off,1:On (Continuous),2:On (Shooting),65535:n/a", "", nullptr},
    {0xB04E, "FocusMode", "Focus Mode", "0:Manual,2:AF-S,3:AF-C,5:Semi-manual,6:DMF", "", nullptr},
    {0xB04F, "DynamicRangeOptimizer", "Dynamic Range Optimizer", "0:Off,1:Standard,2:Plus", "", nullptr},
    {0xB052, "IntelligentAuto", "Intelligent Auto", "0:Off,1:On,2:Advanced", "", nullptr},
    {0xB054, "WhiteBalance", "White Balance", "0:Auto,4:Custom,5:Daylight,6:Cloudy,7:Cool White Fluorescent,8:Day White Fluorescent,9:Daylight Fluorescent,10:Incandescent2,11:Warm White Fluorescent,14:Incandescent,15:Flash,17:Underwater 1 (Blue Water),18:Underwater 2 (Green Water),19:Underwater Auto", "", nullptr},
}};
// clang-format on

// Where a body keeps what the 0x9050 block holds (0-based offsets in the
// deciphered block; -1: not there): the shutter count (24 bits of a
// little-endian 32-bit number), the lens mount byte (1 A-mount, then the lens
// type at +4; 2 E-mount, then the lens type at +2; both 16 bits), and the
// internal serial number's bytes. The row of the longest Model prefix counts.
struct TSonyBlockLayout {
    std::string_view ModelPrefix;
    int64_t ShutterCountAt;
    int64_t LensMountAt;
    int64_t SerialAt;
    int SerialSize;
};

// clang-format off
constexpr std::array<TSonyBlockLayout, 30> SonyBlockLayouts = {{
    {"DSC-", -1, -1, -1, 0},
    {"ILCA-", 0x32, 0x105, 0xF0, 5},
    {"ILCA-99M2", 0x3A, 0x105, 0x88, 6},
    {"ILCE-", 0x32, 0x105, 0x7C, 4},
    {"ILCE-1", 0x3A, -1, 0x8A, 6},
    {"ILCE-6100", 0x3A, 0x105, 0x88, 6},
    {"ILCE-6300", 0x3A, 0x105, 0x88, 6},
    {"ILCE-6400", 0x3A, 0x105, 0x88, 6},
    {"ILCE-6500", 0x3A, 0x105, 0x88, 6},
    {"ILCE-6600", 0x3A, 0x105, 0x88, 6},
    {"ILCE-7C", 0x3A, 0x105, 0x88, 6},
    {"ILCE-7M3", 0x3A, 0x105, 0x88, 6},
    {"ILCE-7M4", 0x3A, -1, 0x88, 6},
    {"ILCE-7RM2", 0x3A, 0x105, 0x88, 6},
    {"ILCE-7RM3", 0x3A, 0x105, 0x88, 6},
    {"ILCE-7RM4", 0x3A, 0x105, 0x88, 6},
    {"ILCE-7RM5", 0x3A, -1, 0x88, 6},
    {"ILCE-7SM2", 0x3A, 0x105, 0x88, 6},
    {"ILCE-7SM3", 0x3A, -1, 0x88, 6},
    {"ILCE-9", 0x3A, 0x105, 0x88, 6},
    {"ILME-FX3", 0x3A, -1, 0x88, 6},
    {"Lunar", 0x32, 0x105, -1, 0},
    {"NEX-", 0x32, 0x105, 0x7C, 4},
    {"NEX-5N", 0x32, 0x105, -1, 0},
    {"NEX-7", 0x32, 0x105, -1, 0},
    {"NEX-VG20", 0x32, 0x105, -1, 0},
    {"SLT-", 0x32, 0x105, 0xF0, 5},
    {"Stellar", -1, -1, -1, 0},
    {"ZV-", -1, -1, -1, 0},
    {"ZV-E10", 0x3A, 0x105, 0x88, 6},
}};
// clang-format on

const TSonyBlockLayout *BlockLayoutOf(std::string_view model) {
    for (size_t n = model.size(); n > 0; --n) {
        const std::string_view prefix = model.substr(0, n);
        const auto it = std::lower_bound(
            SonyBlockLayouts.begin(), SonyBlockLayouts.end(), prefix,
            [](const TSonyBlockLayout &row, std::string_view p) { return row.ModelPrefix < p; });
        if (it != SonyBlockLayouts.end() && it->ModelPrefix == prefix) return &*it;
    }
    return nullptr;
}

bool ModelFits(std::string_view models, std::string_view model) {
    if (models.empty()) return true;
    while (true) {
        const size_t bar = models.find('|');
        if (model.starts_with(models.substr(0, bar))) return true;
        if (bar == std::string_view::npos) return false;
        models.remove_prefix(bar + 1);
    }
}

constexpr std::array<uint8_t, 256> DecipherTable = [] {
    std::array<uint8_t, 256> t{};
    for (unsigned b = 0; b < 256; ++b) t[b] = static_cast<uint8_t>(b);
    for (unsigned b = 0; b < 249; ++b) t[(b * b * b) % 249] = static_cast<uint8_t>(b);
    return t;
}();

std::string LensText(std::span<const TLensRow> table, uint64_t id) {
    const std::optional<std::string_view> name = LensName(table, static_cast<int64_t>(id));
    return name ? std::string(*name) : "Unknown (" + exif::IntText(static_cast<int64_t>(id)) + ")";
}

void AddValue(TRenderOut &out, std::string &lines, std::string_view name, const std::string &value) {
    out.SubEntries.emplace_back(name, value);
    lines += "\r\n" + std::string(name) + " = " + value;
}

std::string HexText(std::string_view bytes) {
    static constexpr std::string_view Digits = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        hex += Digits[b >> 4];
        hex += Digits[b & 0x0F];
    }
    return hex;
}

// The lens after the mount byte: an E-mount lens number `eAfter` bytes on, an
// A-mount one two bytes further.
void AddBlockLens(TRenderOut &out, std::string &lines, const TRenderOut &plain, int64_t mountAt, int64_t eAfter = 2) {
    const std::optional<uint64_t> mount = UnsignedAt(plain, mountAt, 1);
    if (mount == 1) {
        if (const auto id = UnsignedAt(plain, mountAt + eAfter + 2, 2))
            AddValue(out, lines, "LensType", LensText(SonyLenses, *id));
    } else if (mount == 2) {
        if (const auto id = UnsignedAt(plain, mountAt + eAfter, 2))
            AddValue(out, lines, "LensType2", LensText(SonyELenses, *id));
    }
}

// The 0x94xx blocks as tables (see BinaryBlock.h): deciphered, little-endian
// whatever the note's order. Which fields a block holds, and where, depends
// on its version (its first byte as stored, enciphered) and on the body. A
// lens number follows the mount byte (1 A-mount, 2 E-mount): which row
// reads it is told by that byte.

bool VersionIn(const TBlockFacts &f, std::string_view versions) {
    const std::optional<uint8_t> version = ByteOf(f.Stored, 0);
    return version && versions.find(static_cast<char>(*version)) != std::string_view::npos;
}
bool Block9400a(const TBlockFacts &f) { return VersionIn(f, "\x07\x09\x0a"); }
bool Block9400b(const TBlockFacts &f) { return VersionIn(f, "\x0c"); }
bool Block9400c(const TBlockFacts &f) { return VersionIn(f, "\x23\x24\x26\x28\x31\x32"); }
bool Block9400ab(const TBlockFacts &f) { return Block9400a(f) || Block9400b(f); }
bool Block9405b(const TBlockFacts &f) { return VersionIn(f, "\x3a\xb3\x7e\x9a\x25\xe1\x76\x8b"); }
bool EMountBody(const TBlockFacts &f) { return ModelFits("NEX-|ILCE-|ILME-|Lunar|ZV-E10", f.Model); }
bool MountIs(const TBlockFacts &f, size_t at, uint8_t mount) { return ByteOf(f.Bytes, at) == mount; }
bool ALensAt5E(const TBlockFacts &f) { return Block9405b(f) && MountIs(f, 0x5E, 1); }
bool ELensAt5E(const TBlockFacts &f) { return Block9405b(f) && MountIs(f, 0x5E, 2); }
bool ALensAt4A(const TBlockFacts &f) { return MountIs(f, 0x4A, 1); }
bool ELensAt4A(const TBlockFacts &f) { return MountIs(f, 0x4A, 2); }
// The temperature byte holds one only when the byte before is 1 to 99.
bool TemperatureValid(const TBlockFacts &f) {
    const std::optional<uint8_t> valid = ByteOf(f.Bytes, 4);
    return valid && *valid >= 1 && *valid <= 99;
}

double PlusOne(double n) { return n + 1; }
double SonyIso(double n) { return 100 * std::exp2(16 - n / 256); }
double Same(double n) { return n; }
std::string Whole(double v) { return exif::FixedText(v, 0); }
std::string Celsius(double v) { return exif::IntText(static_cast<int64_t>(v)) + " C"; }
// 0x0102 is "1.02".
std::string MountVersion(double v) {
    const auto n = static_cast<uint64_t>(v);
    return HexNumber(n >> 8, 1) + "." + HexNumber(n & 0xFF, 2);
}
// 0x0112 is "Ver.01.018".
std::string LensFirmware(double v) {
    const auto n = static_cast<uint64_t>(v);
    std::string minor = exif::IntText(static_cast<int64_t>(n & 0xFF));
    minor.insert(0, 3 - std::min<size_t>(minor.size(), 3), '0');
    return "Ver." + HexNumber(n >> 8, 2) + "." + minor;
}
std::span<const TLensRow> ALenses() { return SonyLenses; }
std::span<const TLensRow> ELenses() { return SonyELenses; }

using K = TBlockKind;
constexpr uint16_t Short = exif::TypeShort, Long = exif::TypeLong;

// clang-format off
constexpr std::string_view ReleaseMode2Codes = "0:Normal,1:Continuous,2:Continuous - Exposure Bracketing,3:DRO or White Balance Bracketing,5:Continuous - Burst,6:Single Frame - Capture During Movie,7:Continuous - Sweep Panorama,8:Continuous - Anti-Motion Blur / Hand-held Twilight,9:Continuous - HDR,10:Continuous - Background defocus,13:Continuous - 3D Sweep Panorama,15:Continuous - High Resolution Sweep Panorama,16:Continuous - 3D Image,17:Continuous - Burst 2,18:Normal - iAuto+,19:Continuous - Speed/Advance Priority,20:Continuous - Multi Frame NR,23:Single-frame - Exposure Bracketing,26:Continuous Low,27:Continuous - High Sensitivity,28:Smile Shutter,29:Continuous - Tele-zoom Advance Priority,146:Single Frame - Movie Capture";

constexpr std::array<TBlockRow, 8> Sony9400Rows = {{
    {.Offset = 0x08, .Count = 4, .Name = "SequenceImageNumber", .Kind = K::Converted, .Convert = PlusOne, .Print = Whole, .Applies = Block9400ab, .Format = Long},
    {.Offset = 0x09, .Count = 1, .Name = "ReleaseMode2", .Kind = K::CodedOrNumber, .Codes = ReleaseMode2Codes, .Applies = Block9400c},
    {.Offset = 0x0C, .Count = 4, .Name = "SequenceFileNumber", .Kind = K::Converted, .Convert = PlusOne, .Print = Whole, .Applies = Block9400ab, .Format = Long},
    {.Offset = 0x10, .Count = 1, .Name = "ReleaseMode2", .Kind = K::CodedOrNumber, .Codes = ReleaseMode2Codes, .Applies = Block9400ab},
    {.Offset = 0x12, .Count = 4, .Name = "SequenceImageNumber", .Kind = K::Converted, .Convert = PlusOne, .Print = Whole, .Applies = Block9400c, .Format = Long},
    {.Offset = 0x16, .Count = 4, .Name = "ShotNumberSincePowerUp", .Kind = K::Number, .Applies = Block9400b, .Format = Long},
    {.Offset = 0x1A, .Count = 4, .Name = "ShotNumberSincePowerUp", .Kind = K::Number, .Applies = Block9400a, .Format = Long},
    {.Offset = 0x1A, .Count = 4, .Name = "SequenceFileNumber", .Kind = K::Converted, .Convert = PlusOne, .Print = Whole, .Applies = Block9400c, .Format = Long},
}};
constexpr std::array<TBlockRow, 1> Sony9403Rows = {{
    {.Offset = 0x05, .Count = 1, .Name = "CameraTemperature", .Kind = K::Converted, .Convert = Same, .Print = Celsius, .Applies = TemperatureValid, .Format = exif::TypeSByte},
}};
constexpr std::array<TBlockRow, 3> Sony9405Rows = {{
    {.Offset = 0x04, .Count = 2, .Name = "SonyISO", .Kind = K::Converted, .Convert = SonyIso, .Print = Whole, .Applies = Block9405b, .Format = Short},
    {.Offset = 0x60, .Count = 2, .Name = "LensType2", .Kind = K::LensIdOrUnknown, .Lenses = ELenses, .Applies = ELensAt5E, .Format = Short},
    {.Offset = 0x62, .Count = 2, .Name = "LensType", .Kind = K::LensIdOrUnknown, .Lenses = ALenses, .Applies = ALensAt5E, .Format = Short},
}};
constexpr std::array<TBlockRow, 5> Sony940CRows = {{
    {.Offset = 0x08, .Count = 1, .Name = "LensMount2", .Kind = K::CodedOrNumber, .Codes = "0:Unknown,1:A-mount (1),4:E-mount,5:A-mount (5)", .Applies = EMountBody},
    {.Offset = 0x09, .Count = 2, .Name = "LensType3", .Kind = K::Number, .Applies = EMountBody, .Format = Short},
    {.Offset = 0x0B, .Count = 2, .Name = "CameraE-mountVersion", .Kind = K::Converted, .Convert = Same, .Print = MountVersion, .Applies = EMountBody, .Format = Short},
    {.Offset = 0x0D, .Count = 2, .Name = "LensE-mountVersion", .Kind = K::Converted, .Convert = Same, .Print = MountVersion, .Applies = EMountBody, .Format = Short},
    {.Offset = 0x14, .Count = 2, .Name = "LensFirmwareVersion", .Kind = K::Converted, .Convert = Same, .Print = LensFirmware, .Applies = EMountBody, .Format = Short},
}};
constexpr std::array<TBlockRow, 3> Sony9416Rows = {{
    {.Offset = 0x04, .Count = 2, .Name = "SonyISO", .Kind = K::Converted, .Convert = SonyIso, .Print = Whole, .Format = Short},
    {.Offset = 0x4B, .Count = 2, .Name = "LensType2", .Kind = K::LensIdOrUnknown, .Lenses = ELenses, .Applies = ELensAt4A, .Format = Short},
    {.Offset = 0x4D, .Count = 2, .Name = "LensType", .Kind = K::LensIdOrUnknown, .Lenses = ALenses, .Applies = ALensAt4A, .Format = Short},
}};
// clang-format on

// The fields of one 0x94xx block: only they stand for the entry.
std::string SonyCipherBlock94(const TBinaryBlock &block, TRenderOut *out) {
    if (!out) return {};
    out->Block = true;
    out->SubEntriesOnly = true;
    if (out->Raw.empty()) return {};
    return ReadBinaryBlock(block, *out);
}

}  // namespace

const TBinaryBlock Sony9400Block{"Sony9400", exif::TypeByte, 0x40, TBlockOrder::Little, SonyDecipher, Sony9400Rows};
const TBinaryBlock Sony9403Block{"Sony9403", exif::TypeByte, 0x10, TBlockOrder::Little, SonyDecipher, Sony9403Rows};
const TBinaryBlock Sony9405Block{"Sony9405", exif::TypeByte, 0x100, TBlockOrder::Little, SonyDecipher, Sony9405Rows};
const TBinaryBlock Sony940CBlock{"Sony940C", exif::TypeByte, 0x20, TBlockOrder::Little, SonyDecipher, Sony940CRows};
const TBinaryBlock Sony9416Block{"Sony9416", exif::TypeByte, 0x100, TBlockOrder::Little, SonyDecipher, Sony9416Rows};

const std::span<const TTagRow> SonyTags{SonyRows};

std::string SonyDecipher(std::string_view enciphered) {
    std::string plain(enciphered);
    for (char &c : plain) c = static_cast<char>(DecipherTable[static_cast<uint8_t>(c)]);
    return plain;
}

std::string SonyCipherBlock9400(const std::string &, TRenderOut *out) {
    return SonyCipherBlock94(Sony9400Block, out);
}
std::string SonyCipherBlock9403(const std::string &, TRenderOut *out) {
    return SonyCipherBlock94(Sony9403Block, out);
}
std::string SonyCipherBlock9405(const std::string &, TRenderOut *out) {
    return SonyCipherBlock94(Sony9405Block, out);
}
std::string SonyCipherBlock940C(const std::string &, TRenderOut *out) {
    return SonyCipherBlock94(Sony940CBlock, out);
}
std::string SonyCipherBlock9416(const std::string &, TRenderOut *out) {
    return SonyCipherBlock94(Sony9416Block, out);
}

// The A-mount lens number (65535 for an E-mount lens or none).
std::string SonyLensType(const std::string &text, TRenderOut *out) {
    if (out) out->StoreShown = true;
    const auto id = exif::ParseDecimal(text);
    return id && *id >= 0 ? LensText(SonyLenses, static_cast<uint64_t>(*id)) : text;
}

// The deciphered 0x9050 block's shutter count, lens and serial number, as the
// body's row places them.
std::string SonyCipherBlock9050(const std::string &, TRenderOut *out) {
    if (!out) return {};
    out->Block = true;
    out->SubEntriesOnly = true;
    const TSonyBlockLayout *layout = BlockLayoutOf(out->Directory ? out->Directory->Model() : std::string_view());
    if (!layout) return {};
    const std::string deciphered = SonyDecipher(out->Raw);
    TRenderOut plain;
    plain.Raw = deciphered;  // the block is little-endian whatever the note's order
    std::string lines;
    if (const auto count = UnsignedAt(plain, layout->ShutterCountAt, 4))
        AddValue(*out, lines, "ShutterCount", exif::IntText(static_cast<int64_t>(*count & 0x00FFFFFF)));
    AddBlockLens(*out, lines, plain, layout->LensMountAt);
    if (layout->SerialAt >= 0 && layout->SerialAt + layout->SerialSize <= static_cast<int64_t>(deciphered.size()))
        AddValue(*out, lines, "InternalSerialNumber",
                 HexText(std::string_view(deciphered).substr(static_cast<size_t>(layout->SerialAt),
                                                            static_cast<size_t>(layout->SerialSize))));
    return lines;
}

}  // namespace makernotes
