// Kodak's older note: no directory, but "KDK INFO" (big-endian) or "KDK"
// and five more bytes (little-endian), then a block of fields at fixed
// places, read as the directory it stands for (see FieldBlockDirectory). A
// field the camera stores scaled (hundredths of an f-number) becomes a
// rational of its divisor.
#include <array>

#include "exif/ValueRender.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

// clang-format off
constexpr std::array<TTagRow, 31> KodakRows = {{
    {0x0100, "KodakModel", "Kodak Model", "", "", nullptr},
    {0x0109, "Quality", "Quality", "1:Fine,2:Normal", "", nullptr},
    {0x010A, "BurstMode", "Burst Mode", "0:Off,1:On", "", nullptr},
    {0x010C, "KodakImageWidth", "Kodak Image Width", "", "", nullptr},
    {0x010E, "KodakImageHeight", "Kodak Image Height", "", "", nullptr},
    {0x0110, "YearCreated", "Year Created", "", "", nullptr},
    {0x0112, "MonthDayCreated", "Month Day Created", "", "", nullptr},
    {0x0114, "TimeCreated", "Time Created", "", "", nullptr},
    {0x0118, "BurstMode2", "Burst Mode 2", "", "", nullptr},
    {0x011B, "ShutterMode", "Shutter Mode", "0:Auto,8:Aperture Priority,32:Manual?", "", nullptr},
    {0x011C, "MeteringMode", "Metering Mode", "0:Multi-segment,1:Center-weighted average,2:Spot", "", nullptr},
    {0x011D, "SequenceNumber", "Sequence Number", "", "", nullptr},
    {0x011E, "FNumber", "F Number", "", "", DecimalsText},
    {0x0120, "ExposureTime", "Exposure Time", "", "", DecimalsText},
    {0x0124, "ExposureCompensation", "Exposure Compensation", "", "", DecimalsText},
    {0x0126, "VariousModes", "Various Modes", "", "", nullptr},
    {0x0128, "Distance1", "Distance 1", "", "", nullptr},
    {0x012C, "Distance2", "Distance 2", "", "", nullptr},
    {0x0130, "Distance3", "Distance 3", "", "", nullptr},
    {0x0134, "Distance4", "Distance 4", "", "", nullptr},
    {0x0138, "FocusMode", "Focus Mode", "0:Normal,2:Macro", "", nullptr},
    {0x013A, "VariousModes2", "Various Modes 2", "", "", nullptr},
    {0x013C, "PanoramaMode", "Panorama Mode", "", "", nullptr},
    {0x013E, "SubjectDistance", "Subject Distance", "", "", nullptr},
    {0x0140, "WhiteBalance", "White Balance", "0:Auto,1:Flash?,2:Tungsten,3:Daylight", "", nullptr},
    {0x015C, "FlashMode", "Flash Mode", "0:Auto,1:Fill Flash,2:Off,3:Red-Eye", "", nullptr},
    {0x015D, "FlashFired", "Flash Fired", "0:No,1:Yes", "", nullptr},
    {0x015E, "ISOSetting", "ISO Setting", "0:Auto", "", nullptr},
    {0x0160, "ISO", "ISO", "", "", nullptr},
    {0x0162, "TotalZoom", "Total Zoom", "", "", DecimalsText},
    {0x0168, "DigitalZoom", "Digital Zoom", "", "", DecimalsText},
}};
// clang-format on

// Each field's tag (0x100 plus its offset in the block, a tag 0 being a
// version the walk never stores), its offset in the note (after the 8-byte
// header), its field type and count, and the divisor of a scaled field.
// clang-format off
constexpr std::array<TBlockField, 31> KodakFields = {{
    {0x0100, 0x0008, exif::TypeAscii, 8, 0},
    {0x0109, 0x0011, exif::TypeByte, 1, 0},
    {0x010A, 0x0012, exif::TypeByte, 1, 0},
    {0x010C, 0x0014, exif::TypeShort, 1, 0},
    {0x010E, 0x0016, exif::TypeShort, 1, 0},
    {0x0110, 0x0018, exif::TypeShort, 1, 0},
    {0x0112, 0x001A, exif::TypeByte, 2, 0},
    {0x0114, 0x001C, exif::TypeByte, 4, 0},
    {0x0118, 0x0020, exif::TypeShort, 1, 0},
    {0x011B, 0x0023, exif::TypeByte, 1, 0},
    {0x011C, 0x0024, exif::TypeByte, 1, 0},
    {0x011D, 0x0025, exif::TypeByte, 1, 0},
    {0x011E, 0x0026, exif::TypeShort, 1, 100},
    {0x0120, 0x0028, exif::TypeLong, 1, 100000},
    {0x0124, 0x002C, exif::TypeSShort, 1, 1000},
    {0x0126, 0x002E, exif::TypeShort, 1, 0},
    {0x0128, 0x0030, exif::TypeLong, 1, 0},
    {0x012C, 0x0034, exif::TypeLong, 1, 0},
    {0x0130, 0x0038, exif::TypeLong, 1, 0},
    {0x0134, 0x003C, exif::TypeLong, 1, 0},
    {0x0138, 0x0040, exif::TypeByte, 1, 0},
    {0x013A, 0x0042, exif::TypeShort, 1, 0},
    {0x013C, 0x0044, exif::TypeShort, 1, 0},
    {0x013E, 0x0046, exif::TypeShort, 1, 0},
    {0x0140, 0x0048, exif::TypeByte, 1, 0},
    {0x015C, 0x0064, exif::TypeByte, 1, 0},
    {0x015D, 0x0065, exif::TypeByte, 1, 0},
    {0x015E, 0x0066, exif::TypeShort, 1, 0},
    {0x0160, 0x0068, exif::TypeShort, 1, 0},
    {0x0162, 0x006A, exif::TypeShort, 1, 100},
    {0x0168, 0x0070, exif::TypeShort, 1, 100},
}};
// clang-format on

}  // namespace

std::string KodakDirectory(std::string_view note, bool bigEndian) {
    return FieldBlockDirectory(note, bigEndian, bigEndian, KodakFields);
}

const std::span<const TTagRow> KodakTags{KodakRows};

}  // namespace makernotes
