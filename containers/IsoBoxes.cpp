#include "containers/IsoBoxes.h"

namespace containers::iso {

namespace {

using namespace std::string_view_literals;

// How reading one box header went.
enum class THeaderKind {
    Box,       // a whole box
    PastEnd,   // a box whose size runs past what encloses it: read as far as that goes, then stop
    TooSmall,  // a size smaller than the header itself: nothing more can be trusted
    CutShort,  // fewer bytes left than the header needs
    Ended,     // nothing left
};

struct THeader {
    THeaderKind Kind = THeaderKind::Ended;
    TBox Box;
    uint64_t ClaimedSize = 0;
};

constexpr uint64_t SmallHeader = 8;      // size, type
constexpr uint64_t LargeSizeField = 8;   // after the type when the size is 1
constexpr uint64_t UuidLength = 16;      // after the size fields of a `uuid` box

// What a header of `header` bytes claiming `claimed` bytes is, with `room`
// bytes left in what encloses it.
THeaderKind KindOf(uint64_t header, uint64_t claimed, uint64_t room) {
    if (header > room) return THeaderKind::CutShort;
    if (claimed < header) return THeaderKind::TooSmall;
    if (claimed > room) return THeaderKind::PastEnd;
    return THeaderKind::Box;
}

THeader HeaderAt(const TByteReader &file, uint64_t at, uint64_t end) {
    if (at >= end) return {};
    THeader h{THeaderKind::CutShort, TBox{file.Bytes(at + 4, 4), {}, at, at + SmallHeader, end}, 0};
    if (end - at < SmallHeader) return h;
    const uint32_t size32 = file.U32BE(at);
    h.ClaimedSize = size32;
    if (size32 == 1) {
        h.ClaimedSize = file.U64BE(at + SmallHeader);
        h.Box.Payload += LargeSizeField;
    } else if (size32 == 0) {
        h.ClaimedSize = end - at;
    }
    if (h.Box.Type == "uuid") {
        h.Box.Uuid = file.Bytes(h.Box.Payload, UuidLength);
        h.Box.Payload += UuidLength;
    }
    h.Kind = KindOf(h.Box.Payload - at, h.ClaimedSize, end - at);
    if (h.Kind == THeaderKind::Box) h.Box.End = at + h.ClaimedSize;
    return h;
}

}  // namespace

std::string Printable(std::string_view bytes, size_t limit) {
    std::string s;
    for (char c : bytes.substr(0, limit)) s += (c >= 0x20 && c < 0x7F) ? c : '?';
    return s;
}

std::string BoxName(const TBox &box) {
    return "'" + Printable(box.Type) + "' box at offset " + std::to_string(box.Start);
}

bool TBoxWalk::DrawFromBudget() {
    if (BudgetSpent) return false;
    if (++BoxesWalked <= MaxBoxesWalked) return true;
    BudgetSpent = true;
    Note("more than " + std::to_string(MaxBoxesWalked) + " boxes; the rest of the file was not read");
    return false;
}

void TBoxWalk::ForEach(uint64_t begin, uint64_t end, int depth, const TBoxVisit &visit) {
    if (depth > MaxBoxDepth) {
        Note("boxes nested more than " + std::to_string(MaxBoxDepth) + " deep at offset " + std::to_string(begin) +
             " were not read");
        return;
    }
    const std::string_view enclosing = end == File.Size() ? "the file"sv : "its enclosing box"sv;
    for (uint64_t at = begin; at < end;) {
        if (!DrawFromBudget()) return;
        const THeader h = HeaderAt(File, at, end);
        switch (h.Kind) {
        case THeaderKind::Ended:
            return;
        case THeaderKind::CutShort:
            Note("a box header at offset " + std::to_string(at) + " is cut short by the end of " +
                 std::string(enclosing));
            return;
        case THeaderKind::TooSmall:
            Note(BoxName(h.Box) + " claims " + std::to_string(h.ClaimedSize) +
                 " bytes, fewer than its header; the boxes after it were not read");
            return;
        case THeaderKind::PastEnd:
            Note(BoxName(h.Box) + " claims " + std::to_string(h.ClaimedSize) + " bytes, past the end of " +
                 std::string(enclosing) + "; read as far as that goes");
            visit(h.Box);
            return;
        case THeaderKind::Box:
            if (!visit(h.Box)) return;
            at = h.Box.End;
            break;
        }
    }
}

bool IsTiffHeader(const TByteReader &bytes, uint64_t offset) {
    const std::string_view mark = bytes.Bytes(offset, 4);
    return mark == "MM\0*"sv || mark == "II*\0"sv;
}

void AddExifPayload(TBoxWalk &walk, const TByteReader &payload, uint64_t fileOffset, const std::string &what) {
    constexpr std::string_view ExifHeader = "Exif\0\0"sv;
    constexpr uint64_t OffsetField = 4;
    uint64_t start = 0;
    // Some writers leave out the offset field, and start with the TIFF
    // header or with "Exif\0\0" itself.
    if (IsTiffHeader(payload, 0)) {
        start = 0;
    } else if (payload.Bytes(0, ExifHeader.size()) == ExifHeader) {
        start = ExifHeader.size();
    } else {
        start = OffsetField + payload.U32BE(0);
        // An offset of 0 that leaves "Exif\0\0" before the TIFF header.
        if (payload.Bytes(start, ExifHeader.size()) == ExifHeader) start += ExifHeader.size();
    }
    if (!IsTiffHeader(payload, start)) {
        walk.Note(what + ": no TIFF header where its Exif header offset points (" + std::to_string(start) +
                  " bytes in); not read");
        return;
    }
    const std::string_view tiff = payload.Bytes(start, payload.Size() - start);
    walk.Result.Add(TBlockKind::Exif, tiff, fileOffset == 0 ? 0 : fileOffset + start);
}

}  // namespace containers::iso
