// Kodak's older note: no directory, but "KDK INFO" (big-endian) or "KDK"
// and five more bytes (little-endian), then a block of fields at fixed
// places. The block is turned into the directory it stands for, one entry
// per field whose tag is 0x100 plus the field's offset in the block (a tag 0
// is a version the walk never stores), so the walk lists
// and stores its fields as any note's entries. A field the camera stores
// scaled (hundredths of an f-number) becomes a rational of its divisor.
#include <array>
#include <vector>

#include "exif/EndInd.h"
#include "exif/ValueRender.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

constexpr int64_t KodakHeaderSize = 8;

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

// Where each field lies in the block, its field type and count, and the
// divisor of a scaled field (0: stored as it is).
struct TBlockField {
    uint16_t Offset;
    exif::FieldType Type;
    uint32_t Count;
    int32_t Divisor;
};

constexpr std::array<TBlockField, 31> KodakFields = {{
    {0x0000, exif::TypeAscii, 8, 0},
    {0x0009, exif::TypeByte, 1, 0},
    {0x000A, exif::TypeByte, 1, 0},
    {0x000C, exif::TypeShort, 1, 0},
    {0x000E, exif::TypeShort, 1, 0},
    {0x0010, exif::TypeShort, 1, 0},
    {0x0012, exif::TypeByte, 2, 0},
    {0x0014, exif::TypeByte, 4, 0},
    {0x0018, exif::TypeShort, 1, 0},
    {0x001B, exif::TypeByte, 1, 0},
    {0x001C, exif::TypeByte, 1, 0},
    {0x001D, exif::TypeByte, 1, 0},
    {0x001E, exif::TypeShort, 1, 100},
    {0x0020, exif::TypeLong, 1, 100000},
    {0x0024, exif::TypeSShort, 1, 1000},
    {0x0026, exif::TypeShort, 1, 0},
    {0x0028, exif::TypeLong, 1, 0},
    {0x002C, exif::TypeLong, 1, 0},
    {0x0030, exif::TypeLong, 1, 0},
    {0x0034, exif::TypeLong, 1, 0},
    {0x0038, exif::TypeByte, 1, 0},
    {0x003A, exif::TypeShort, 1, 0},
    {0x003C, exif::TypeShort, 1, 0},
    {0x003E, exif::TypeShort, 1, 0},
    {0x0040, exif::TypeByte, 1, 0},
    {0x005C, exif::TypeByte, 1, 0},
    {0x005D, exif::TypeByte, 1, 0},
    {0x005E, exif::TypeShort, 1, 0},
    {0x0060, exif::TypeShort, 1, 0},
    {0x0062, exif::TypeShort, 1, 100},
    {0x0068, exif::TypeShort, 1, 100},
}};
// clang-format on

uint16_t FieldTag(const TBlockField &field) {
    return static_cast<uint16_t>(0x100 + field.Offset);
}

// A directory in the making: entries of 12 bytes, values of more than 4
// bytes after them, offsets counted from the directory's first byte.
class TDirectoryBuilder {
public:
    TDirectoryBuilder(bool bigEndian, size_t entries) : BigEndian(bigEndian), Entries(entries) {}

    void Add(uint16_t tag, uint16_t type, uint32_t count, std::string value) {
        Head += UnsignedBytes(tag, 2, BigEndian) + UnsignedBytes(type, 2, BigEndian) + UnsignedBytes(count, 4, BigEndian);
        if (value.size() <= 4) {
            Head += value + std::string(4 - value.size(), '\0');
            return;
        }
        Head += UnsignedBytes(2 + 12 * Entries + 4 + Values.size(), 4, BigEndian);
        Values += value;
    }
    std::string Bytes() const { return UnsignedBytes(Entries, 2, BigEndian) + Head + std::string(4, '\0') + Values; }

private:
    bool BigEndian;
    size_t Entries;
    std::string Head, Values;
};

// The field's stored number as a rational of its divisor: 8 bytes.
std::string ScaledValue(const exif::tEndInd &block, const TBlockField &field) {
    const exif::Pos at = KodakHeaderSize + field.Offset + 1;
    const uint64_t stored = field.Type == exif::TypeLong ? static_cast<uint32_t>(block.ReadLong(at)) : block.ReadWord(at);
    const int64_t n = field.Type == exif::TypeSShort ? static_cast<int16_t>(stored) : static_cast<int64_t>(stored);
    return UnsignedBytes(static_cast<uint32_t>(n), 4, block.BigEndian) +
           UnsignedBytes(static_cast<uint32_t>(field.Divisor), 4, block.BigEndian);
}

}  // namespace

std::string KodakDirectory(std::string_view note, bool bigEndian) {
    exif::tEndInd block;
    block.SetBuffer(note);
    block.BigEndian = bigEndian;
    // The fields the block holds: a body may write a shorter one.
    std::vector<const TBlockField *> present;
    for (const TBlockField &field : KodakFields) {
        const int64_t size = exif::TypeSize(field.Type) * static_cast<int64_t>(field.Count);
        if (block.Available(KodakHeaderSize + field.Offset + 1, size) == size) present.push_back(&field);
    }
    TDirectoryBuilder dir(bigEndian, present.size());
    for (const TBlockField *field : present) {
        const int64_t size = exif::TypeSize(field->Type) * static_cast<int64_t>(field->Count);
        if (field->Divisor == 0)
            dir.Add(FieldTag(*field), field->Type, field->Count,
                    std::string(block.Region(KodakHeaderSize + field->Offset + 1, size)));
        else
            dir.Add(FieldTag(*field), field->Type == exif::TypeSShort ? exif::TypeSRational : exif::TypeRational, 1,
                    ScaledValue(block, *field));
    }
    return dir.Bytes();
}

const std::span<const TTagRow> KodakTags{KodakRows};

}  // namespace makernotes
