// Blocks of fields at fixed places (Kodak's note, Minolta's camera settings)
// turned into the directories they stand for, so the walk lists, renders and
// stores their fields as it does any note's entries (see TBlockField).
#include <algorithm>
#include <bit>
#include <vector>

#include "bytes/EndInd.h"
#include "exif/ValueRender.h"
#include "makernotes/BinaryBlock.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

// A directory in the making: entries of 12 bytes, values of more than 4
// bytes after them, offsets counted from the directory's first byte.
class TDirectoryBuilder {
public:
    TDirectoryBuilder(bool bigEndian, size_t entries) : BigEndian(bigEndian), Entries(entries) {}

    void Add(uint16_t tag, uint16_t type, uint32_t count, const std::string &value) {
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

int64_t FieldSize(const TBlockField &field) {
    return exif::TypeSize(field.Type) * static_cast<int64_t>(field.Count);
}

// The number a field of one component stores (read as the binary blocks'
// fields are).
double StoredNumber(const exif::tEndInd &block, const TBlockField &field) {
    return static_cast<double>(BlockNumberAt(block, field.Type, field.Offset).value_or(0));
}

// The field as the directory's entry holds it: its bytes as stored (in the
// directory's order), a rational of its divisor, or the double its
// conversion gives.
void AddField(TDirectoryBuilder &dir, const exif::tEndInd &block, const TBlockField &field, bool bigEndian) {
    if (field.Convert) {
        const double v = field.Convert(StoredNumber(block, field));
        dir.Add(field.Tag, exif::TypeDouble, 1, UnsignedBytes(std::bit_cast<uint64_t>(v), 8, bigEndian));
    } else if (field.Divisor != 0) {
        const auto n = static_cast<int64_t>(StoredNumber(block, field));
        const bool isSigned = field.Type == exif::TypeSByte || field.Type == exif::TypeSShort || field.Type == exif::TypeSLong;
        dir.Add(field.Tag, isSigned ? exif::TypeSRational : exif::TypeRational, 1,
                UnsignedBytes(static_cast<uint32_t>(n), 4, bigEndian) +
                    UnsignedBytes(static_cast<uint32_t>(field.Divisor), 4, bigEndian));
    } else {
        std::string bytes(block.Region(field.Offset + 1, FieldSize(field)));
        const int size = exif::TypeSize(field.Type);
        // Numbers of more than one byte change order with the directory.
        if (size > 1 && block.BigEndian != bigEndian)
            for (size_t at = 0; at + static_cast<size_t>(size) <= bytes.size(); at += static_cast<size_t>(size))
                std::reverse(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                             bytes.begin() + static_cast<std::ptrdiff_t>(at) + size);
        dir.Add(field.Tag, field.Type, field.Count, bytes);
    }
}

}  // namespace

std::string FieldBlockDirectory(std::string_view block, bool blockBigEndian, bool bigEndian,
                                std::span<const TBlockField> fields) {
    exif::tEndInd view;
    view.SetBuffer(block);
    view.BigEndian = blockBigEndian;
    // The fields the block holds: a body may write a shorter one.
    std::vector<const TBlockField *> present;
    for (const TBlockField &field : fields)
        if (view.Available(field.Offset + 1, FieldSize(field)) == FieldSize(field)) present.push_back(&field);
    TDirectoryBuilder dir(bigEndian, present.size());
    for (const TBlockField *field : present) AddField(dir, view, *field, bigEndian);
    return dir.Bytes();
}

}  // namespace makernotes
