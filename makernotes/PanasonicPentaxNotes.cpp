// Panasonic's note (after "Panasonic\0\0\0", and Leica's after "LEICA\0\0\0"
// from the bodies Panasonic made) and Pentax's (after "AOC\0" and a byte
// order mark, "PENTAX \0" and a byte order mark, or Ricoh's "RICOH\0" and a
// byte order mark), and the renderings of their values.
#include <algorithm>
#include <array>

#include "bytes/EndInd.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

// Texts that hold a comma in exiftool's names have " / " in its place: a
// value-code list separates its pairs with commas.
// clang-format off
constexpr std::array<TTagRow, 16> PanasonicRows = {{
    {0x0001, "ImageQuality", "Image Quality", "1:TIFF,2:High,3:Normal,6:Very High,7:RAW,9:Motion Picture,11:Full HD Movie,12:4k Movie", "", nullptr},
    {0x0002, "FirmwareVersion", "Firmware Version", "", "", DottedBytes},
    {0x0003, "WhiteBalance", "White Balance", "1:Auto,2:Daylight,3:Cloudy,4:Incandescent,5:Manual,8:Flash,10:Black & White,11:Manual 2,12:Shade,13:Kelvin,14:Manual 3,15:Manual 4,19:Auto (cool)", "", nullptr},
    {0x0007, "FocusMode", "Focus Mode", "1:Auto,2:Manual,4:Auto / Focus button,5:Auto / Continuous,6:AF-S,7:AF-C,8:AF-F", "", nullptr},
    {0x001A, "ImageStabilization", "Image Stabilization", "2:On / Optical,3:Off,4:On / Mode 2,5:On / Optical Panning,6:On / Body-only,7:On / Body-only Panning,9:Dual IS,10:Dual IS Panning,11:Dual2 IS,12:Dual2 IS Panning", "", nullptr},
    {0x001C, "MacroMode", "Macro Mode", "1:On,2:Off,257:Tele-Macro,513:Macro Zoom", "", nullptr},
    {0x0025, "InternalSerialNumber", "Internal Serial Number", "", "", PanasonicSerialNumber},
    {0x0028, "ColorEffect", "Color Effect", "1:Off,2:Warm,3:Cool,4:Black & White,5:Sepia,6:Happy,8:Vivid", "", nullptr},
    {0x002B, "SequenceNumber", "Sequence Number", "", "", nullptr},
    {0x0032, "ColorMode", "Color Mode", "0:Normal,1:Natural,2:Vivid", "", nullptr},
    {0x0051, "LensType", "Lens Type", "", "", nullptr},
    {0x0052, "LensSerialNumber", "Lens Serial Number", "", "", nullptr},
    {0x005D, "IntelligentExposure", "Intelligent Exposure", "0:Off,1:Low,2:Standard,3:High", "", nullptr},
    {0x0089, "PhotoStyle", "Photo Style", "0:Auto,1:Standard or Custom,2:Vivid,3:Natural,4:Monochrome,5:Scenery,6:Portrait,8:Cinelike D,9:Cinelike V,11:L. Monochrome,12:Like709,15:L. Monochrome D,17:V-Log,18:Cinelike D2", "", nullptr},
    {0x008A, "ShadingCompensation", "Shading Compensation", "0:Off,1:On", "", nullptr},
    {0x0E00, "Skip", "Skip", "", "", nullptr},
}};
// clang-format on

// clang-format off
constexpr std::array<TTagRow, 13> PentaxRows = {{
    {0x0000, "PentaxVersion", "Pentax Version", "", "", DottedBytes},
    {0x0006, "Date", "Date", "", "", PentaxDate},
    {0x0007, "Time", "Time", "", "", PentaxTime},
    {0x0008, "Quality", "Quality", "0:Good,1:Better,2:Best,3:TIFF,4:RAW,5:Premium,7:RAW (pixel shift enabled),8:Dynamic Pixel Shift,65535:n/a", "", nullptr},
    {0x000D, "FocusMode", "Focus Mode", "0:Normal,1:Macro,2:Infinity,3:Manual,4:Super Macro,5:Pan Focus,16:AF-S (Focus-priority),17:AF-C (Focus-priority),18:AF-A (Focus-priority),32:Contrast-detect (Focus-priority),33:Tracking Contrast-detect (Focus-priority),272:AF-S (Release-priority),273:AF-C (Release-priority),274:AF-A (Release-priority),288:Contrast-detect (Release-priority)", "", nullptr},
    {0x0019, "WhiteBalance", "White Balance", "0:Auto,1:Daylight,2:Shade,3:Fluorescent,4:Tungsten,5:Manual,6:Daylight Fluorescent,7:Day White Fluorescent,8:White Fluorescent,9:Flash,10:Cloudy,11:Warm White Fluorescent,14:Multi Auto,15:Color Temperature Enhancement,17:Kelvin,65534:Unknown,65535:User-Selected", "", nullptr},
    {0x0029, "FrameNumber", "Frame Number", "", "", nullptr},
    {0x003F, "LensType", "Lens Type", "", "", PentaxLensType},
    {0x0047, "CameraTemperature", "Camera Temperature", "", "%d C", nullptr},
    {0x004F, "ImageTone", "Image Tone", "0:Natural,1:Bright,2:Portrait,3:Landscape,4:Vibrant,5:Monochrome,6:Muted,7:Reversal Film,8:Bleach Bypass,9:Radiant,10:Cross Processing,11:Flat", "", nullptr},
    {0x005D, "ShutterCount", "Shutter Count", "", "", PentaxShutterCount},
    {0x0200, "Skip", "Skip", "", "", nullptr},
    {0x0229, "SerialNumber", "Serial Number", "", "", nullptr},
}};
// clang-format on

bool IsDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsUpperOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Bytes read big-endian whatever the note's order.
TRenderOut Motorola(std::string_view bytes) {
    TRenderOut in;
    in.Raw = bytes;
    in.BigEndian = true;
    return in;
}

// A number of at least `width` digits, zeros in front.
std::string PaddedNumber(uint64_t n, size_t width) {
    std::string digits = exif::IntText(static_cast<int64_t>(n));
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

}  // namespace

const std::span<const TTagRow> PanasonicTags{PanasonicRows};
const std::span<const TTagRow> PentaxTags{PentaxRows};

// Bytes as numbers joined by dots: a version written as four numbers.
std::string DottedBytes(const std::string &text, TRenderOut *out) {
    if (!out) return text;
    out->StoreShown = true;
    std::string shown;
    for (int64_t i = 0; i < static_cast<int64_t>(out->Raw.size()) && i < 16; ++i) {
        const auto b = UnsignedAt(*out, i, 1);
        if (!shown.empty()) shown += '.';
        // A version of ASCII digits keeps its digits.
        shown += *b >= '0' && *b <= '9' ? std::string(1, static_cast<char>(*b)) : exif::IntText(static_cast<int64_t>(*b));
    }
    return shown;
}

// "F54110928" then four digits: the factory, the date of manufacture and a
// number, "(F54) 2011:09:28 no. 0071"; any other text as it stands.
std::string PanasonicSerialNumber(const std::string &, TRenderOut *out) {
    if (!out) return {};
    out->StoreShown = true;
    const std::string_view raw = exif::tEndInd::RegionOf(out->Raw, 1, 16);
    const std::string_view serial = raw.substr(0, raw.find('\0'));
    if (serial.size() < 13 || !(serial[0] >= 'A' && serial[0] <= 'Z') || !IsUpperOrDigit(serial[1]) ||
        !IsUpperOrDigit(serial[2]) || !IsDigits(serial.substr(3, 10)))
        return exif::CleanText(serial);
    const int year = (serial[3] - '0') * 10 + (serial[4] - '0');
    return "(" + std::string(serial.substr(0, 3)) + ") " + exif::IntText(year + (year < 70 ? 2000 : 1900)) + ":" +
           std::string(serial.substr(5, 2)) + ":" + std::string(serial.substr(7, 2)) + " no. " +
           std::string(serial.substr(9, 4));
}

// The date as the camera wrote it: the year big-endian whatever the note's
// order, then the month and the day.
std::string PentaxDate(const std::string &text, TRenderOut *out) {
    if (!out) return text;
    out->StoreShown = true;
    const TRenderOut motorola = Motorola(out->Raw);
    const auto year = UnsignedAt(motorola, 0, 2), month = UnsignedAt(motorola, 2, 1), day = UnsignedAt(motorola, 3, 1);
    if (!year || !month || !day) return text;
    return StoredAsText(*out, PaddedNumber(*year, 4) + ":" + PaddedNumber(*month, 2) + ":" + PaddedNumber(*day, 2));
}

// Hours, minutes and seconds, a byte each.
std::string PentaxTime(const std::string &text, TRenderOut *out) {
    if (!out) return text;
    out->StoreShown = true;
    const auto h = UnsignedAt(*out, 0, 1), m = UnsignedAt(*out, 1, 1), sec = UnsignedAt(*out, 2, 1);
    if (!h || !m || !sec) return text;
    return StoredAsText(*out, PaddedNumber(*h, 2) + ":" + PaddedNumber(*m, 2) + ":" + PaddedNumber(*sec, 2));
}

// The count is stored XORed with the Date's four bytes and with the
// complement of the Time's three bytes and a zero, all read big-endian.
std::optional<uint32_t> PentaxDecipherShutterCount(std::string_view count, std::string_view date,
                                                   std::string_view time) {
    if (count.size() != 4 || date.size() != 4 || time.size() < 3) return std::nullopt;
    const auto big = [](std::string_view four) {
        return static_cast<uint32_t>(*UnsignedAt(Motorola(four), 0, 4));
    };
    const std::string timeWord = std::string(time.substr(0, 3)) + '\0';
    return big(count) ^ big(date) ^ (0xFFFFFFFFu - big(timeWord));
}

// The shutter count, deciphered with the note's Date and Time.
std::string PentaxShutterCount(const std::string &text, TRenderOut *out) {
    if (!out) return text;
    out->StoreShown = true;
    if (!out->Directory) return text;
    const std::optional<uint32_t> count = PentaxDecipherShutterCount(
        out->Raw, out->Directory->ValueBytes(0x0006), out->Directory->ValueBytes(0x0007));
    if (!count) return text;
    StoreNumber(*out, *count, exif::TypeLong, 4);
    return exif::IntText(*count);
}

// The lens record's first two bytes: the lens series and its number.
std::string PentaxLensType(const std::string &text, TRenderOut *out) {
    if (!out) return text;
    out->StoreShown = true;
    const auto series = UnsignedAt(*out, 0, 1), number = UnsignedAt(*out, 1, 1);
    if (!series || !number) return text;
    const int64_t id = static_cast<int64_t>(*series * 256 + *number);
    const std::optional<std::string_view> name = LensName(PentaxLenses, id);
    return name ? std::string(*name)
                : "Unknown (" + exif::IntText(static_cast<int64_t>(*series)) + " " +
                      exif::IntText(static_cast<int64_t>(*number)) + ")";
}

}  // namespace makernotes
