// Minolta's camera settings (the note's entries 0x0001 and 0x0003 of the
// DiMAGE bodies): a block of big-endian 32-bit numbers, the n-th at byte
// 4 n, read as the directory it stands for (see FieldBlockDirectory) with
// tag n. Several are codes of the camera's own scales (an ISO of
// 2^((n-48)/8) x 100, an f-number of 2^((n-8)/16)): their entries hold the
// value the code stands for.
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <utility>

#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

double IsoOfCode(double n) {
    return std::exp2((n - 48) / 8) * 100;
}
double ExposureTimeOfCode(double n) {
    return std::exp2((48 - n) / 8);
}
double FNumberOfCode(double n) {
    return std::exp2((n - 8) / 16);
}
double ThirdsFromTwoBelow(double n) {
    return n / 3 - 2;
}
double ThirdsFromSix(double n) {
    return (n - 6) / 3;
}
double LevelAroundThree(double n) {
    return n - 3;
}

std::string ConvertedNumber(const std::string &text, TRenderOut *out);

// clang-format off
constexpr std::array<TTagRow, 33> SettingsRows = {{
    {0x0001, "ExposureMode", "Exposure Mode", "0:Program,1:Aperture Priority,2:Shutter Priority,3:Manual", "", nullptr},
    {0x0002, "FlashMode", "Flash Mode", "0:Fill flash,1:Red-eye reduction,2:Rear flash sync,3:Wireless,4:Off?", "", nullptr},
    {0x0003, "WhiteBalance", "White Balance", "0:Auto,1:Daylight,2:Cloudy,3:Tungsten,5:Custom,7:Fluorescent,8:Fluorescent 2,11:Custom 2,12:Custom 3", "", nullptr},
    {0x0004, "MinoltaImageSize", "Minolta Image Size", "0:Full,1:1600x1200,2:1280x960,3:640x480,6:2080x1560,7:2560x1920,8:3264x2176", "", nullptr},
    {0x0005, "MinoltaQuality", "Minolta Quality", "0:Raw,1:Super Fine,2:Fine,3:Standard,4:Economy,5:Extra Fine", "", nullptr},
    {0x0006, "DriveMode", "Drive Mode", "0:Single,1:Continuous,2:Self-timer,4:Bracketing,5:Interval,6:UHS continuous,7:HS continuous", "", nullptr},
    {0x0007, "MeteringMode", "Metering Mode", "0:Multi-segment,1:Center-weighted average,2:Spot", "", nullptr},
    {0x0008, "ISO", "ISO", "", "", ConvertedNumber},
    {0x0009, "ExposureTime", "Exposure Time", "", "", ConvertedNumber},
    {0x000A, "FNumber", "F Number", "", "", ConvertedNumber},
    {0x000B, "MacroMode", "Macro Mode", "0:Off,1:On", "", nullptr},
    {0x000C, "DigitalZoom", "Digital Zoom", "0:Off,1:Electronic magnification,2:2x", "", nullptr},
    {0x000D, "ExposureCompensation", "Exposure Compensation", "", "", ConvertedNumber},
    {0x000E, "BracketStep", "Bracket Step", "0:1/3 EV,1:2/3 EV,2:1 EV", "", nullptr},
    {0x0010, "IntervalLength", "Interval Length", "", "", nullptr},
    {0x0011, "IntervalNumber", "Interval Number", "", "", nullptr},
    {0x0012, "FocalLength", "Focal Length", "", "", DecimalsText},
    {0x0013, "FocusDistance", "Focus Distance", "", "", DecimalsText},
    {0x0014, "FlashFired", "Flash Fired", "0:No,1:Yes", "", nullptr},
    {0x0015, "MinoltaDate", "Minolta Date", "", "", MinoltaDate},
    {0x0016, "MinoltaTime", "Minolta Time", "", "", MinoltaTime},
    {0x0017, "MaxAperture", "Max Aperture", "", "", ConvertedNumber},
    {0x001A, "FileNumberMemory", "File Number Memory", "0:Off,1:On", "", nullptr},
    {0x001B, "LastFileNumber", "Last File Number", "", "", nullptr},
    {0x001C, "ColorBalanceRed", "Color Balance Red", "", "", DecimalsText},
    {0x001D, "ColorBalanceGreen", "Color Balance Green", "", "", DecimalsText},
    {0x001E, "ColorBalanceBlue", "Color Balance Blue", "", "", DecimalsText},
    {0x001F, "Saturation", "Saturation", "", "", ConvertedNumber},
    {0x0020, "Contrast", "Contrast", "", "", ConvertedNumber},
    {0x0021, "Sharpness", "Sharpness", "0:Hard,1:Normal,2:Soft", "", nullptr},
    {0x0022, "SubjectProgram", "Subject Program", "0:None,1:Portrait,2:Text,3:Night portrait,4:Sunset,5:Sports action", "", nullptr},
    {0x0023, "FlashExposureComp", "Flash Exposure Compensation", "", "", ConvertedNumber},
    {0x0024, "ISOSetting", "ISO Setting", "0:100,1:200,2:400,3:800,4:Auto,5:64", "", nullptr},
}};

// The n-th number at byte 4 n, big-endian, tag n.
constexpr TBlockField Number(uint16_t n, int32_t divisor = 0, double (*convert)(double) = nullptr) {
    return {n, static_cast<uint16_t>(4 * n), exif::TypeLong, 1, divisor, convert};
}

constexpr std::array<TBlockField, 33> SettingsFields = {{
    Number(1), Number(2), Number(3), Number(4), Number(5), Number(6), Number(7),
    Number(8, 0, IsoOfCode), Number(9, 0, ExposureTimeOfCode), Number(10, 0, FNumberOfCode),
    Number(11), Number(12), Number(13, 0, ThirdsFromTwoBelow), Number(14), Number(16), Number(17),
    Number(18, 256), Number(19, 1000), Number(20), Number(21), Number(22), Number(23, 0, FNumberOfCode),
    Number(26), Number(27), Number(28, 256), Number(29, 256), Number(30, 256),
    Number(31, 0, LevelAroundThree), Number(32, 0, LevelAroundThree), Number(33), Number(34),
    Number(35, 0, ThirdsFromSix), Number(36),
}};
// clang-format on

// Three numbers packed into the 32 bits as 16, 8 and 8 bits.
std::string PackedTriple(const TRenderOut &out, const char *format) {
    const auto n = UnsignedAt(out, 0, 4);
    if (!n) return {};
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), format, static_cast<unsigned>(*n >> 16), static_cast<unsigned>((*n >> 8) & 0xFF),
                  static_cast<unsigned>(*n & 0xFF));
    return text.data();
}

std::string PackedTripleText(const std::string &text, TRenderOut *out, const char *format) {
    if (!out || out->Type != exif::TypeLong) return text;
    std::string shown = PackedTriple(*out, format);
    return shown.empty() ? text : StoredAsText(*out, std::move(shown));
}

// A value its conversion gave as a double: "5.656854249".
std::string ConvertedNumber(const std::string &text, TRenderOut *out) {
    if (!out || out->Type != exif::TypeDouble) return text;
    const auto bits = UnsignedAt(*out, 0, 8);
    if (!bits) return text;
    out->StoreShown = true;
    return SignificantText(std::bit_cast<double>(*bits));
}

}  // namespace

// "2002:06:01": year, month and day packed into one number.
std::string MinoltaDate(const std::string &text, TRenderOut *out) {
    return PackedTripleText(text, out, "%04u:%02u:%02u");
}

// "12:37:27": hours, minutes and seconds packed into one number.
std::string MinoltaTime(const std::string &text, TRenderOut *out) {
    return PackedTripleText(text, out, "%02u:%02u:%02u");
}

std::string MinoltaSettingsDirectory(std::string_view block, bool bigEndian) {
    return FieldBlockDirectory(block, true, bigEndian, SettingsFields);
}

const std::span<const TTagRow> MinoltaSettingsTags{SettingsRows};

namespace {
const std::array<exif::TMakerSubDirectory, 2> MinoltaDirectoryRows = {{
    {0x0001, MinoltaSettingsTags, MinoltaSettingsDirectory},
    {0x0003, MinoltaSettingsTags, MinoltaSettingsDirectory},
}};
}  // namespace

const std::span<const exif::TMakerSubDirectory> MinoltaDirectories{MinoltaDirectoryRows};

}  // namespace makernotes
