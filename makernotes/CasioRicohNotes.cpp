// Casio's second note ("QVC\0" and two zero bytes, then a directory whose
// offsets count from the TIFF header; Concord wrote it with "DCI\0") and
// Ricoh's own note ("RICOH\0\0\0" or "Ricoh" and three bytes, then a
// directory whose offsets count from the TIFF header). Neither marks its byte
// order: the walk takes the one in which the directory is plausible.
#include <array>
#include <utility>

#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

// clang-format off
constexpr std::array<TTagRow, 42> Casio2Rows = {{
    {0x0002, "PreviewImageSize", "Preview Image Size", "", "", nullptr},
    {0x0003, "PreviewImageLength", "Preview Image Length", "", "", nullptr},
    {0x0004, "PreviewImageStart", "Preview Image Start", "", "", nullptr},
    {0x0008, "QualityMode", "Quality Mode", "0:Economy,1:Normal,2:Fine", "", nullptr},
    {0x0009, "CasioImageSize", "Casio Image Size", "0:640x480,4:1600x1200,5:2048x1536,20:2288x1712,21:2592x1944,22:2304x1728,36:3008x2008", "", nullptr},
    {0x000D, "FocusMode", "Focus Mode", "0:Normal,1:Macro", "", nullptr},
    {0x0014, "ISO", "ISO", "3:50,4:64,6:100,9:200", "", nullptr},
    {0x0019, "WhiteBalance", "White Balance", "0:Auto,1:Daylight,2:Shade,3:Tungsten,4:Fluorescent,5:Manual", "", nullptr},
    {0x001D, "FocalLength", "Focal Length", "", "", nullptr},
    {0x001F, "Saturation", "Saturation", "0:Low,1:Normal,2:High", "", nullptr},
    {0x0020, "Contrast", "Contrast", "0:Low,1:Normal,2:High", "", nullptr},
    {0x0021, "Sharpness", "Sharpness", "0:Soft,1:Normal,2:Hard", "", nullptr},
    {0x0E00, "PrintIM", "Print Image Matching", "", "", HiddenValue},
    {0x2000, "PreviewImage", "Preview Image", "", "", HiddenValue},
    {0x2001, "FirmwareDate", "Firmware Date", "", "", CasioFirmwareDate},
    {0x2011, "WhiteBalanceBias", "White Balance Bias", "", "", nullptr},
    {0x2012, "WhiteBalance", "White Balance", "0:Manual,1:Daylight,2:Cloudy,3:Shade,4:Flash?,6:Fluorescent,9:Tungsten?,10:Tungsten,12:Flash", "", nullptr},
    {0x2021, "AFPointPosition", "AF Point Position", "", "", nullptr},
    {0x2022, "ObjectDistance", "Object Distance", "", "", nullptr},
    {0x2034, "FlashDistance", "Flash Distance", "", "", nullptr},
    {0x3000, "RecordMode", "Record Mode", "2:Program AE,3:Shutter Priority,4:Aperture Priority,5:Manual,6:Best Shot,17:Movie,19:Movie (19),20:YouTube Movie", "", nullptr},
    {0x3001, "ReleaseMode", "Release Mode", "1:Normal,3:AE Bracketing,11:WB Bracketing,13:Contrast Bracketing,19:High Speed Burst", "", nullptr},
    {0x3002, "Quality", "Quality", "1:Economy,2:Normal,3:Fine", "", nullptr},
    {0x3003, "FocusMode", "Focus Mode", "0:Manual,1:Focus Lock,2:Macro,3:Single-Area Auto Focus,5:Infinity,6:Multi-Area Auto Focus,8:Super Macro", "", nullptr},
    {0x3006, "HometownCity", "Hometown City", "", "", nullptr},
    {0x3007, "BestShotMode", "Best Shot Mode", "", "", nullptr},
    {0x3008, "AutoISO", "Auto ISO", "1:On,2:Off,7:On (high sensitivity),8:On (anti-shake),10:High Speed", "", nullptr},
    {0x3009, "AFMode", "AF Mode", "0:Off,1:Spot,2:Multi,3:Face Detection,4:Tracking,5:Intelligent", "", nullptr},
    {0x3011, "Sharpness", "Sharpness", "", "", SignedShorts},
    {0x3012, "Contrast", "Contrast", "", "", SignedShorts},
    {0x3013, "Saturation", "Saturation", "", "", SignedShorts},
    {0x3014, "ISO", "ISO", "", "", nullptr},
    {0x3015, "ColorMode", "Color Mode", "0:Off,2:Black & White,3:Sepia", "", nullptr},
    {0x3016, "Enhancement", "Enhancement", "0:Off,1:Scenery,3:Green,5:Underwater,9:Flesh Tones", "", nullptr},
    {0x3017, "ColorFilter", "Color Filter", "0:Off,1:Blue,3:Green,4:Yellow,5:Red,6:Purple,7:Pink", "", nullptr},
    {0x301B, "ArtMode", "Art Mode", "0:Normal,8:Silent Movie,39:HDR,45:Premium Auto,47:Painting,49:Crayon Drawing,51:Panorama,52:Art HDR,62:High Speed Night Shot,64:Monochrome,67:Toy Camera,68:Pop Art,69:Light Tone", "", nullptr},
    {0x301C, "SequenceNumber", "Sequence Number", "", "", nullptr},
    {0x301D, "BracketSequence", "Bracket Sequence", "", "", nullptr},
    {0x3020, "ImageStabilization", "Image Stabilization", "0:Off,1:On,2:Best Shot,3:Movie Anti-Shake", "", nullptr},
    {0x302A, "LightingMode", "Lighting Mode", "0:Off,1:High Dynamic Range,5:Shadow Enhance Low,6:Shadow Enhance High", "", nullptr},
    {0x302B, "PortraitRefiner", "Portrait Refiner", "0:Off,1:+1,2:+2", "", nullptr},
    {0x3103, "DriveMode", "Drive Mode", "0:Single Shot,1:Continuous Shooting,2:Continuous (2 fps),3:Continuous (3 fps),4:Continuous (4 fps),5:Continuous (5 fps),6:Continuous (6 fps),7:Continuous (7 fps),10:Continuous (10 fps),12:Continuous (12 fps),15:Continuous (15 fps),20:Continuous (20 fps),30:Continuous (30 fps),40:Continuous (40 fps),60:Continuous (60 fps),240:Auto-N", "", nullptr},
}};

// Ricoh's rows whose meaning does not change with the body.
constexpr std::array<TTagRow, 5> RicohRows = {{
    {0x0001, "MakerNoteType", "Maker Note Type", "", "", nullptr},
    {0x0002, "FirmwareVersion", "Firmware Version", "", "", nullptr},
    {0x0005, "InternalSerialNumber", "Internal Serial Number", "", "", HexDigits},
    {0x0E00, "PrintIM", "Print Image Matching", "", "", HiddenValue},
    {0x1000, "RecordingFormat", "Recording Format", "2:JPEG,3:DNG", "", nullptr},
}};
// clang-format on

bool IsDigitText(std::string_view text) {
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return !text.empty();
}

}  // namespace

// Six digit pairs with NULs between them: "YYMM\0\0DDhh\0\0mm\0\0\0\0", the
// date of the firmware ("2003:02:28 09:45").
std::string CasioFirmwareDate(const std::string &text, TRenderOut *out) {
    if (!out || out->Raw.size() < 14) return text;
    const std::string_view raw = out->Raw;
    const std::string_view year = raw.substr(0, 2), month = raw.substr(2, 2), day = raw.substr(6, 2),
                           hour = raw.substr(8, 2), minute = raw.substr(12, 2);
    for (const std::string_view piece : {year, month, day, hour, minute})
        if (!IsDigitText(piece)) return text;
    out->StoreShown = true;
    const std::string century = year < "70" ? "20" : "19";
    return century + std::string(year) + ":" + std::string(month) + ":" + std::string(day) + " " + std::string(hour) +
           ":" + std::string(minute);
}

// Bytes as upper-case hexadecimal digits, two a byte ("0000000012207000").
std::string HexDigits(const std::string &text, TRenderOut *out) {
    if (!out || out->Type != exif::TypeUndefined) return text;
    std::string digits;
    for (const char c : out->Raw.substr(0, exif::RenderedValueBytes / 2))
        digits += exif::UpperAscii(HexNumber(static_cast<unsigned char>(c), 2));
    return StoredAsText(*out, std::move(digits));
}

const std::span<const TTagRow> Casio2Tags{Casio2Rows};
const std::span<const TTagRow> RicohTags{RicohRows};

}  // namespace makernotes
