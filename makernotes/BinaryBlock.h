// Binary blocks inside a maker note: arrays of numbers whose every element
// (or run of elements) at a fixed place is one setting. A block is described
// as constant data, one row a field, as the makers' own lists read; the one
// interpreter below reads any described block through the checked reader and
// gives each field as a sub-entry of the note's entry (text and number).
// Only true algorithms stay code: ciphers (a block's Decipher), lens keys and
// the conversions a row names.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "bytes/EndInd.h"
#include "exif/TagEntry.h"

namespace makernotes {

// How a field's number becomes its value.
enum class TBlockKind : uint8_t {
    Number,           // the number as stored
    Coded,            // the number and its value codes; a number without a code is not shown
    CodedOrNumber,    // the same, a number without a code shown as the number
    Converted,        // the number a conversion gives, printed by the row's Print
    LensId,           // a lens number, named by the row's lens table; unnamed: not shown
    LensIdOrUnknown,  // the same, unnamed: "Unknown (n)"
    Text,             // the bytes up to the first NUL
};

// What a row's condition may ask: the camera's Model, the block's bytes as
// stored (a version byte is read before deciphering) and as read.
struct TBlockFacts {
    std::string_view Model;
    std::string_view Stored;
    std::string_view Bytes;
};

// The number of field type `type` (BYTE, SBYTE, SHORT, SSHORT, LONG, SLONG)
// at 0-based byte offset `at` of a block, in the block's byte order; none
// past its end. Every block form reads its numbers here.
std::optional<int64_t> BlockNumberAt(const exif::tEndInd &block, uint16_t type, int64_t at);

// Byte `at` (0-based) of a condition's bytes, read through the checked
// reader; none past their end.
std::optional<uint8_t> ByteOf(std::string_view bytes, size_t at);

struct TLensRow;

// One field: its offset and count in elements from the block's first byte,
// its name, kind and value codes; the stored numbers that mean "no value"
// ("-1,0": comma-separated); for Converted its conversion and print; for
// LensId its table; and conditions on the body or the block (none: always).
struct TBlockRow {
    uint16_t Offset;
    uint16_t Count;
    std::string_view Name;
    TBlockKind Kind;
    std::string_view Codes = {};
    std::string_view Missing = {};
    double (*Convert)(double) = nullptr;
    std::string (*Print)(double) = nullptr;
    std::span<const TLensRow> (*Lenses)() = nullptr;
    bool (*Applies)(const TBlockFacts &) = nullptr;
    // Converted: the number is divided by element PerElement's (a focal
    // length by its units) when that is not 0.
    uint16_t PerElement = 0;
    // Shown only when element IfElement is not 0 (a lower focus distance
    // with its upper one); 0: always.
    uint16_t IfElement = 0;
    // The field's type when it is not the block's element type (a 16-bit
    // number in a block of bytes); its offset still counts elements.
    uint16_t Format = 0;
    // The bits of the number that are the field (its lowest set bit the
    // field's lowest), 0: all of them.
    uint32_t Mask = 0;
};

enum class TBlockOrder : uint8_t { Note, Little, Big };

// A block: its element type (a TIFF field type: BYTE, SHORT, SSHORT, LONG,
// SLONG), its longest size, byte order, an optional decipher function applied to its bytes
// first, and its rows, sorted by offset.
struct TBinaryBlock {
    std::string_view Name;
    uint16_t Element;
    // The elements of the longest block of this kind: every row lies inside.
    uint16_t Elements;
    TBlockOrder Order;
    std::string (*Decipher)(std::string_view) = nullptr;
    std::span<const TBlockRow> Rows;
};

// The fields of `block` the value `out` carries (its bytes, byte order and
// directory), each as a sub-entry of `out`, and their listing lines. Each
// read is bounded by the value's size: a field past its end is not shown.
std::string ReadBinaryBlock(const TBinaryBlock &block, exif::TRenderOut &out);

// The blocks described, and every block table, for the table test.
extern const TBinaryBlock CanonCameraSettingsBlock;
extern const TBinaryBlock CanonShotInfoBlock;
extern const TBinaryBlock CanonFileInfoBlock;
extern const TBinaryBlock CanonAFInfoBlock;
extern const TBinaryBlock CanonAFInfo2Block;
extern const TBinaryBlock CanonTimeInfoBlock;
extern const TBinaryBlock CanonCropInfoBlock;
extern const TBinaryBlock CanonAspectInfoBlock;
extern const TBinaryBlock CanonProcessingInfoBlock;
extern const TBinaryBlock CanonSensorInfoBlock;
extern const TBinaryBlock CanonLightingOptBlock;
extern const TBinaryBlock NikonFlashInfo0100Block;
extern const TBinaryBlock Sony9400Block;
extern const TBinaryBlock Sony9403Block;
extern const TBinaryBlock Sony9405Block;
extern const TBinaryBlock Sony940CBlock;
extern const TBinaryBlock Sony9416Block;
std::span<const TBinaryBlock *const> BinaryBlocks();

// The conversions and prints the block rows share.
double CanonEv(double code);
std::string PrintTwoDigits(double v);     // "%.2g", as an f-number
std::string PrintExposureTime(double v);  // "1/250", "0.5", "2"
std::string PrintFraction(double v);      // "+1/3", "-2/3", "0", "+1"

}  // namespace makernotes
