// Nikon's flash information (entry 0x00A8) of versions 0100 and 0101: a
// block of bytes after its four-character version. A byte holds the
// commander mode (its top bit) and the flash control mode (the others); the
// compensations are in sixths of a stop, stored negated, and read as an
// output level when their group fires in manual or repeating mode.
#include <array>
#include <cmath>

#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/BinaryBlock.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

using K = TBlockKind;

constexpr std::string_view ControlModes =
    "0:Off,1:iTTL-BL,2:iTTL,3:Auto Aperture,4:Automatic,5:GN (distance priority),6:Manual,7:Repeating Flash";

bool Version0100(const TBlockFacts &f) {
    const std::optional<uint8_t> third = ByteOf(f.Stored, 2), fourth = ByteOf(f.Stored, 3);
    return ByteOf(f.Stored, 0) == '0' && ByteOf(f.Stored, 1) == '1' && third == '0' && (fourth == '0' || fourth == '1');
}
// Manual and repeating flash (modes 6 and up) give an output level, the
// others a compensation.
bool ModeBelowManual(const TBlockFacts &f, size_t at, uint8_t mask) {
    const std::optional<uint8_t> mode = ByteOf(f.Bytes, at);
    return Version0100(f) && mode && (*mode & mask) < 6;
}
bool FlashCompensated(const TBlockFacts &f) {
    return ModeBelowManual(f, 9, 0x7F);
}
bool FlashLevelled(const TBlockFacts &f) {
    return Version0100(f) && !FlashCompensated(f);
}
bool GroupACompensated(const TBlockFacts &f) {
    return ModeBelowManual(f, 15, 0xFF);
}
bool GroupALevelled(const TBlockFacts &f) {
    return Version0100(f) && !GroupACompensated(f);
}
bool GroupBCompensated(const TBlockFacts &f) {
    return ModeBelowManual(f, 16, 0xFF);
}
bool GroupBLevelled(const TBlockFacts &f) {
    return Version0100(f) && !GroupBCompensated(f);
}

double Compensation(double sixths) {
    return -sixths / 6;
}
double OutputLevel(double sixths) {
    return std::exp2(-sixths / 6);
}
std::string Level(double v) {
    return v > 0.99 ? "Full" : exif::FixedText(v * 100, 0) + "%";
}
std::string Tenths(double v) {
    if (v == 0) return "0";
    return (v > 0 ? "+" : "") + exif::FixedText(v, 1);
}
std::string Millimetres(double v) {
    return SignificantText(v) + " mm";
}
std::string Hertz(double v) {
    return SignificantText(v) + " Hz";
}
double Same(double v) {
    return v;
}

// clang-format off
constexpr std::array<TBlockRow, 17> FlashInfo0100Rows = {{
    {.Offset = 0, .Count = 4, .Name = "FlashInfoVersion", .Kind = K::Text, .Applies = Version0100},
    {.Offset = 4, .Count = 1, .Name = "FlashSource", .Kind = K::Coded, .Codes = "0:None,1:External,2:Internal", .Applies = Version0100},
    {.Offset = 8, .Count = 1, .Name = "ExternalFlashFlags", .Kind = K::Number, .Applies = Version0100},
    {.Offset = 9, .Count = 1, .Name = "FlashCommanderMode", .Kind = K::Coded, .Codes = "0:Off,1:On", .Applies = Version0100, .Mask = 0x80},
    {.Offset = 9, .Count = 1, .Name = "FlashControlMode", .Kind = K::Coded, .Codes = ControlModes, .Applies = Version0100, .Mask = 0x7F},
    {.Offset = 10, .Count = 1, .Name = "FlashCompensation", .Kind = K::Converted, .Convert = Compensation, .Print = PrintFraction, .Applies = FlashCompensated, .Format = exif::TypeSByte},
    {.Offset = 10, .Count = 1, .Name = "FlashOutput", .Kind = K::Converted, .Convert = OutputLevel, .Print = Level, .Applies = FlashLevelled},
    {.Offset = 11, .Count = 1, .Name = "FlashFocalLength", .Kind = K::Converted, .Missing = "0", .Convert = Same, .Print = Millimetres, .Applies = Version0100},
    {.Offset = 12, .Count = 1, .Name = "RepeatingFlashRate", .Kind = K::Converted, .Missing = "0", .Convert = Same, .Print = Hertz, .Applies = Version0100},
    {.Offset = 13, .Count = 1, .Name = "RepeatingFlashCount", .Kind = K::Number, .Missing = "0", .Applies = Version0100},
    {.Offset = 14, .Count = 1, .Name = "FlashGNDistance", .Kind = K::Number, .Applies = Version0100},
    {.Offset = 15, .Count = 1, .Name = "FlashGroupAControlMode", .Kind = K::Coded, .Codes = ControlModes, .Applies = Version0100},
    {.Offset = 16, .Count = 1, .Name = "FlashGroupBControlMode", .Kind = K::Coded, .Codes = ControlModes, .Applies = Version0100},
    {.Offset = 17, .Count = 1, .Name = "FlashGroupACompensation", .Kind = K::Converted, .Convert = Compensation, .Print = Tenths, .Applies = GroupACompensated, .Format = exif::TypeSByte},
    {.Offset = 17, .Count = 1, .Name = "FlashGroupAOutput", .Kind = K::Converted, .Convert = OutputLevel, .Print = Level, .Applies = GroupALevelled},
    {.Offset = 18, .Count = 1, .Name = "FlashGroupBCompensation", .Kind = K::Converted, .Convert = Compensation, .Print = Tenths, .Applies = GroupBCompensated, .Format = exif::TypeSByte},
    {.Offset = 18, .Count = 1, .Name = "FlashGroupBOutput", .Kind = K::Converted, .Convert = OutputLevel, .Print = Level, .Applies = GroupBLevelled},
}};
// clang-format on

}  // namespace

const TBinaryBlock NikonFlashInfo0100Block{"NikonFlashInfo0100", exif::TypeByte, 19,
                                           TBlockOrder::Note,    nullptr,        FlashInfo0100Rows};

// Other versions lay their fields out otherwise: they show nothing yet.
std::string NikonFlashInfo(const std::string &, TRenderOut *out) {
    if (!out) return {};
    out->SubEntriesOnly = true;
    return ReadBinaryBlock(NikonFlashInfo0100Block, *out);
}

}  // namespace makernotes
