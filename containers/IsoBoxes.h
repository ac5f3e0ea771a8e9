// The box walk shared by the ISO base media readers (HEIF/HEIC, AVIF, CR3,
// JPEG XL in its container). Private to the container layer.
//
// An ISO base media file is a sequence of boxes. A box starts with a 32-bit
// big-endian size (of the whole box, header included) and a four-character
// type; size 1 means a 64-bit size follows the type, size 0 means the box runs
// to the end of what encloses it (the file, or its parent box). A `uuid` box
// carries a 16-byte UUID after that, naming what it is. Some boxes hold only
// other boxes; the walk enters only those that lead to metadata.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "bytes/EndInd.h"
#include "containers/ByteReader.h"
#include "containers/Container.h"

namespace containers::iso {

struct TBox {
    std::string_view Type;  // the four-character code
    std::string_view Uuid;  // the 16-byte UUID of a `uuid` box, else empty
    uint64_t Start = 0;     // offset of the header
    uint64_t Payload = 0;   // offset of the first byte after the header
    uint64_t End = 0;       // offset just past the box, within what encloses it

    uint64_t PayloadSize() const { return End - Payload; }
};

// Called for each box in turn; false stops the walk of that level.
using TBoxVisit = std::function<bool(const TBox &)>;

// One walk over one file: its bytes, the result being filled, and the budget
// of boxes every level of the walk draws on.
class TBoxWalk {
public:
    TBoxWalk(const TByteReader &file, TContainerRead &result) : File(file), Result(result) {}

    const TByteReader &File;
    TContainerRead &Result;

    // The boxes in [begin, end), `depth` levels below the file's top level.
    void ForEach(uint64_t begin, uint64_t end, int depth, const TBoxVisit &visit);
    void Note(std::string text) { Result.Notes.push_back(std::move(text)); }

private:
    int64_t BoxesWalked = 0;
    bool BudgetSpent = false;

    bool DrawFromBudget();
};

// A checked reader over a slice of the file's bytes or over bytes the result
// owns (an item put together from several extents), its offsets counting
// from the slice's first byte. Not copyable: the reader refers to the view
// beside it.
class TSliceReader {
public:
    explicit TSliceReader(std::string_view bytes) : Reader(View) { View.SetBuffer(bytes); }
    TSliceReader(const TSliceReader &) = delete;
    TSliceReader &operator=(const TSliceReader &) = delete;

    const TByteReader &Bytes() const { return Reader; }

private:
    exif::tEndInd View;
    TByteReader Reader;
};

// "'meta' box at offset 32", with the type's unprintable bytes shown as '?'.
std::string BoxName(const TBox &box);
// The file's bytes as a note may quote them: at most `limit` of them, each
// one outside printable ASCII (a control character above all) shown as '?'.
std::string Printable(std::string_view bytes, size_t limit = 32);

// True when the bytes at `offset` open a TIFF structure ("MM\0*" or "II*\0").
bool IsTiffHeader(const TByteReader &bytes, uint64_t offset);

// Adds the Exif block of an Exif payload as HEIF items and JPEG XL Exif boxes
// hold it: a 32-bit big-endian offset, then (usually "Exif\0\0" and) the TIFF
// header that many bytes after the offset field. `fileOffset` is where the
// payload starts in the file, 0 for bytes the result owns; `what` names the
// payload in a note.
void AddExifPayload(TBoxWalk &walk, const TByteReader &payload, uint64_t fileOffset, const std::string &what);

// HEIF and AVIF: the metadata items of a top-level `meta` box, and whether it
// names an ICC profile among the image properties.
void ReadItemMetadata(TBoxWalk &walk, const TBox &meta, int depth);

}  // namespace containers::iso
