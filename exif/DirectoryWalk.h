// TDirectoryWalk: the walks that fill a TImageInfo: a TIFF directory and the
// sub-directories it points to, and maker notes, over one checked view. The
// walk holds what bounds it: the directories visited, the depth, and the
// budget of entries looked at and value bytes kept.
#pragma once

#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bytes/EndInd.h"
#include "exif/ImageInfo.h"
#include "exif/TagEntry.h"
#include "exif/TagTables.h"

namespace exif {

// What a directory is to the walk. A maker note's entries read by the
// note's policy, every other directory's by the main one (see WalkEntry).
enum class TDirectoryRole : uint8_t {
    First,      // a TIFF structure's IFD0, followed by the thumbnail's IFD1
    Thumbnail,  // IFD1: it tells nothing of the file's image or camera
    Other,      // a directory a pointer leads to (ExifIFD, GPS, SubIFD, ...), a GPS block
    MakerNote,  // a maker note's directory, or one inside the note
};

// The explicit context of one walk over a directory: the bytes and their
// byte order, the offset base, the size limit and depth of a TIFF directory,
// and for a maker note its table, its offset rule and the enclosing data.

struct TWalkContext {
    tEndInd View;
    Pos Base = 0;
    int64_t Limit = 0;
    DirectoryKind Kind = KindMain;
    TDirectoryRole Role = TDirectoryRole::First;
    int Level = 0;
    std::span<const TTagRow> Table;
    int64_t D = 0, B = 0, A = 0;
    tEndInd Outer;
    std::span<const TMakerSubDirectory> SubDirectories;
    // The directory's name, which its entries carry (see TTagEntry::Directory).
    std::string Directory = "IFD0";
};

// Where a maker-note entry's value lies: inside the note at Position, or in
// the enclosing data; its bytes, as many as there are.
struct TMakerValue {
    std::string_view Bytes;
    Pos Position = 0;
    bool InNote = true;
};

// What a TIFF directory says of the image it describes.
struct TImageFacts {
    int32_t Width = 0, Height = 0;
    bool Reduced = false;  // a reduced-resolution copy (a preview, a thumbnail)
};

struct TEntryHeader;
struct TEntryRow;
struct TStoredValue;

// What a walk reports besides the entries, listings and facts it stores:
// notes on values it left out, and the last error that ended a directory
// or a note. Its owner takes them when the walk returns.
struct TWalkResult {
    std::vector<std::string> Notes;
    std::string LastError;  // empty when none
};

// The name of an entry no table names: "Tag0x" and its number in hex.
std::string UnknownTagName(uint16_t tag);

class TDirectoryWalk {
public:
    // The maker-note registry is the TImageInfo's: the walk asks it to
    // decode each note it meets.
    explicit TDirectoryWalk(TImageInfo &info);

    // `directory` names the first directory; empty for IFD0 (GPS for a GPS
    // block). IFD0's next directory, the thumbnail's IFD1, is walked after it.
    void WalkDirectory(Pos start, Pos base, int64_t limit, int kind, std::string_view directory = {});
    void WalkMakerNote(std::string_view note, const TMakerNoteLayout &layout);

    // What the walks have reported since it was last taken.
    TWalkResult TakeResult() { return std::exchange(Result, {}); }
    const TWalkBudget &Budget() const { return WalkBudget; }
    int64_t EntriesLookedAt() const { return EntriesLooked; }
    int64_t BytesKept() const { return BytesKeptSoFar; }

private:
    TImageInfo &Info;
    TWalkResult Result;
    std::set<Pos> Visited;
    std::set<Pos> NoteDirectoriesVisited;  // of the note being walked
    TWalkBudget WalkBudget;
    int64_t EntriesLooked = 0;
    int64_t BytesKeptSoFar = 0;
    TImageFacts *Image = nullptr;  // the directory being walked
    int64_t ThumbnailOffset = -1, ThumbnailLength = -1;  // as IFD1 gives them
    size_t TagRowHint = 0;  // where the last entry's row was found, for the next (see TagRowOf)

    void SizeBudget(int64_t metadataBytes);
    bool ChargeEntry();
    bool KeepBytes(int64_t bytes);
    void WalkDirectoryAt(const TWalkContext &c, Pos start);
    void WalkEntries(const TWalkContext &c, Pos first, int64_t count);
    void WalkMakerEntries(const TWalkContext &c, Pos first, int64_t count);
    void WalkEntry(const TWalkContext &c, Pos entry, const TDirectoryValues *directory);
    TMakerValue LocateValue(const TWalkContext &c, const TEntryHeader &h, Pos &place) const;
    bool WalksNoteSubDirectory(const TWalkContext &c, Pos entry, const TEntryHeader &h, const TMakerValue &value);
    bool ChargeValue(const TWalkContext &c, const TEntryHeader &h, TMakerValue &value);
    TEntryRow RowOf(const TWalkContext &c, uint16_t tag);
    bool Shows(const TWalkContext &c, uint16_t tag, const TEntryRow &row) const;
    std::string ValueText(const TWalkContext &c, const TEntryHeader &h, const TEntryRow &row,
                          std::string_view value) const;
    void RenderMainText(const TWalkContext &c, const TEntryHeader &h, const TEntryRow &row, const TMakerValue &value,
                        const Bytes &raw, std::string &text);
    bool RenderNoteText(const TWalkContext &c, const TEntryHeader &h, const TEntryRow &row, const TMakerValue &value,
                        const TDirectoryValues *directory, std::string &text, std::string &shown, TRenderOut &out);
    void ListEntry(const TWalkContext &c, const TEntryHeader &h, Pos place, std::string_view label,
                   const std::string &text, const std::string *afterBlock);
    void StoreEntry(const TWalkContext &c, uint16_t tag, const TEntryRow &row, TStoredValue value);
    void WalkMakerSubDirectory(const TWalkContext &c, Pos entry, const TMakerValue &value,
                               std::span<const TTagRow> table);
    void WalkMakerFieldBlock(const TWalkContext &c, const TMakerValue &value, const TMakerSubDirectory &sub);
    std::string MakerNoteText(const Bytes &raw, int64_t size, Pos valuePos, Pos base);
    void HandleSpecialTag(const TWalkContext &c, uint16_t tag, unsigned type, const Bytes &raw, const std::string &text,
                          Pos valuePos);
    void FollowPointer(const TWalkContext &c, Pos valuePos, DirectoryKind kind, std::string directory,
                       TDirectoryRole role = TDirectoryRole::Other);
    void FollowSubImages(const TWalkContext &c, const Bytes &raw, Pos valuePos);
    void WalkThumbnailDirectory(const TWalkContext &c, Pos ifd0);
};

}  // namespace exif
