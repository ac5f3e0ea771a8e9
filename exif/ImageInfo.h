// TImageInfo: the entries of one file's TIFF directories and the queries on
// them; the walks that fill them (main directory and its sub-directories,
// and maker notes) are TDirectoryWalk's.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bytes/EndInd.h"
#include "exif/TagEntry.h"

namespace exif {

class TimgData;
class TImageInfo;

// What a walk builds: the text listings, the entry list, or both; with
// BuildUnknown added, the entry list also holds the tags no table names, as
// "Tag0xABCD" (a consumer that keys entries by their directory asks for them).
// BuildThumbnail keeps the bytes of the JPEG thumbnail IFD1 points to;
// BuildIccProfile the first chunk of a JPEG's ICC profile (see
// TimgData::IccBlock).
enum BuildModes : int32_t {
    BuildListing = 2,
    BuildEntries = 4,
    BuildAll = 255,
    BuildUnknown = 256,
    BuildThumbnail = 512,
    BuildIccProfile = 1024
};

// A directory inside a maker note, reached from an entry of the note: the
// entry's tag, and the table of the directory's own tags. The entry holds the
// directory's offset (one LONG or IFD value, an offset as any value offset of
// the note is) or the directory itself (an UNDEFINED value); or, with a
// Block function, a block of fields at fixed places, which the function
// turns into the directory it stands for (in the given byte order, offsets
// counted from its first byte).
using BlockDirectoryFn = std::string (*)(std::string_view block, bool bigEndian);
struct TMakerSubDirectory {
    uint16_t Tag;
    std::span<const TTagRow> Table;
    BlockDirectoryFn Block = nullptr;
};

// How to walk one maker's note: the maker's tag table; the entry count at
// 0-based note offset D; a value offset m designating note position
// m - B + D + 2, or, when the value does not lie inside the note, the
// enclosing data's position A + m; the note's byte order; the directories
// inside the note, sorted by tag, walked by the same rules; the maker's
// name, which the note's entries carry as their directory; and how far an
// editor moved the note from where its camera wrote it (B is corrected by
// it already; the listing says so).
struct TMakerNoteLayout {
    std::span<const TTagRow> Table;
    int64_t D = 0, B = 0, A = 0;
    bool BigEndian = false;
    std::span<const TMakerSubDirectory> SubDirectories;
    std::string_view Group = "MakerNotes";
    int64_t Moved = 0;
    // A note that is no directory but a block of fields at fixed places is
    // walked as the directory its fields stand for, built here; empty for
    // any other note.
    std::string Directory = {};
};

// What identifies a maker note: the Make and Model texts, the EXIF version,
// the note's bytes, its offset from the TIFF header its directory's offsets
// count from, whether the file is TIFF-structured, and the byte order.
struct TMakerNoteFacts {
    std::string_view Make, Model, ExifVersion, Note;
    int64_t Offset = 0;
    bool FromTiff = false;
    bool BigEndian = false;
};

// The maker-note registry, given to the walk by whoever composes the reader
// (this folder depends on no maker's code): a pure function of the facts,
// giving the layout to walk, or none for a note no table describes. A layout
// with an empty table is a plain directory of a maker no table describes:
// its entries are listed, none stored, and the note counts as undecoded.
using MakerNoteIdentifier = std::optional<TMakerNoteLayout> (*)(const TMakerNoteFacts &facts);

// The work one file's walks may do, shared by the directory walks and the
// maker-note walks. Both allowances scale with the bytes of metadata there
// are to read, so a small file cannot make the reader do large work.
struct TWalkBudget {
    int64_t Entries = 0;  // directory entries that may be looked at, skipped or not
    int64_t Bytes = 0;    // value bytes that may be kept, raw and rendered
    bool Sized = false;
};

class TDirectoryWalk;

class TImageInfo : public tEndInd {
public:
    TImageInfo(TimgData *owner, int32_t buildMode, bool fromTiff = false,
               MakerNoteIdentifier identifyMakerNote = nullptr);
    virtual ~TImageInfo();
    TImageInfo(const TImageInfo &) = delete;
    TImageInfo &operator=(const TImageInfo &) = delete;

    // --- entry store ---
    int32_t AddEntry(const TTagEntry &entry);
    int32_t AddEntry(TTagEntry &&entry);
    void AddMakerValue(const std::string &name, const std::string &value, uint16_t type,
                       std::string_view directory = {});
    // A sub-entry that is a number: its text, and its bytes of field type
    // `type` in the note's byte order (what -n shows).
    void AddMakerNumber(const std::string &name, const std::string &value, uint16_t type, std::string_view raw,
                        bool bigEndian, std::string_view directory = {});
    int32_t EntryCount() const { return Count; }
    // Slots are counted 25 at a time, keeping one free after the last entry.
    int32_t Capacity() const { return Slots; }
    TTagEntry EntryAt(int32_t index) const;
    // The stored entries in order, without copies.
    std::span<const TTagEntry> StoredEntries() const { return {Entries.data(), static_cast<size_t>(Count)}; }
    // The same, for a reader that takes the texts out of them (a view built
    // just before the reader is dropped).
    std::span<TTagEntry> StoredEntries() { return {Entries.data(), static_cast<size_t>(Count)}; }
    virtual int32_t EntryIndexOf(std::string_view name) const;
    virtual std::string EntryTextOf(std::string_view name) const;
    TTagEntry EntryByName(std::string_view name) const;
    double EntryNumber(std::string_view name) const;
    int32_t EntryInteger(std::string_view name) const;

    // Drops the entries from index `from` on that repeat an earlier entry's
    // name in the same directory (a raw's embedded JPEG repeats most of the
    // raw's own EXIF): the first reading stays.
    void DropRepeatedEntries(int32_t from);

    // --- walks (see TDirectoryWalk) ---
    // Walks the directory whose entry count is at `start`; stored offsets are
    // turned into positions by adding `base`.
    // `directory` names it (see TDirectoryWalk::WalkDirectory).
    void WalkDirectory(Pos start, Pos base, int64_t limit, int kind, std::string_view directory = {});
    // Walks a maker note's directory (entry count at 0-based offset d of the
    // note); a value offset m designates note position m - b + d + 2, or the
    // owner's buffer at a + m when the value does not lie inside the note.
    // The note is read in the given byte order (the file's by default).
    void WalkMakerNote(std::string_view note, std::span<const TTagRow> table, int64_t d, int64_t b, int64_t a) {
        WalkMakerNote(note, table, d, b, a, BigEndian);
    }
    void WalkMakerNote(std::string_view note, std::span<const TTagRow> table, int64_t d, int64_t b, int64_t a,
                       bool bigEndian);
    void WalkMakerNote(std::string_view note, const TMakerNoteLayout &layout);
    // The facts of the note the walk met last (MakerNoteBytes and its
    // offset), as a note of a TIFF-structured file or not.
    TMakerNoteFacts MakerNoteFacts() const { return MakerNoteFacts(FromTiff); }
    TMakerNoteFacts MakerNoteFacts(bool fromTiff) const;
    // Identifies a maker note lying at `offset` from the TIFF header and
    // walks it when the registry knows its layout; false when none does (or
    // gives only a listing's layout).
    bool DecodeMakerNote(std::string_view note, int64_t offset);

    bool Builds(int32_t mode) const { return (BuildMode & mode) == mode; }
    const TWalkBudget &Budget() const;
    // Entries looked at and value bytes kept so far by this set's walks.
    int64_t EntriesLookedAt() const;
    int64_t BytesKept() const;

    TimgData *Owner;
    std::string ExifVersionText;  // at most 6 bytes
    std::string CameraMake;       // at most 32 characters
    std::string CameraModel;      // at most 40 characters
    int32_t HeightValue = 0;
    int32_t WidthValue = 0;
    // The EXIF pixel dimensions (PixelXDimension, PixelYDimension), and the
    // main image's: the first full-resolution TIFF directory's size.
    int32_t PixelWidth = 0, PixelHeight = 0;
    int32_t MainWidth = 0, MainHeight = 0;
    int32_t BuildMode;
    Bytes MakerNoteBytes;
    bool FromTiff;
    std::string UserCommentText;
    std::string DumpText;
    std::string MakerDumpText;
    int64_t MakerNotePosition = 0;
    // The note's offset from its TIFF header; -1 until a walk sets it, then
    // taken from the position and the kind of file.
    int64_t MakerNoteOffset = -1;
    // Blocks other readers read, kept whole: IPTC datasets (tag 33723),
    // Photoshop image resources (34377) and the XMP packet (700).
    Bytes IptcBytes, PhotoshopBytes, XmpBytes;
    // Where a Panasonic raw's IFD0 places its embedded JPEG (JpgFromRaw):
    // the value's position in the walked bytes and its size; 0 for none.
    struct TEmbeddedImage {
        Pos Position = 0;
        int64_t Size = 0;
    } JpgFromRaw;
    // Such blocks of the main directory left out because the budget of
    // value bytes could not hold them, in plain words.
    std::vector<std::string> BlocksLeftOut;
    // The JPEG thumbnail of IFD1 (JPEGInterchangeFormat, -Length), with
    // BuildThumbnail; empty when there is none or it does not lie wholly
    // inside the bytes walked.
    Bytes ThumbnailBytes;

    // Directories are nested at most this deep below the first one.
    static constexpr int MaxDirectoryLevel = 16;
    // Directories inside a maker note are nested at most this deep below
    // the note's own.
    static constexpr int MaxMakerNoteLevel = 4;
    // Limits for hostile files, whatever their size; real files stay far
    // below them. Below these, the budget is sized from the metadata's bytes.
    // Fixed so that whatever a file holds, its rows, texts and outputs stay
    // within a few tens of MiB and milliseconds.
    static constexpr int64_t MaxEntriesWalked = 20000;
    static constexpr int64_t MaxBytesKept = 8 * 1024 * 1024;
    // Entries looked at per 12 bytes of metadata (a real file's entries take
    // 12 bytes each and are looked at once), and a floor for small buffers.
    static constexpr int64_t EntriesPerByte = 2, EntryFloor = 1024;
    // Value bytes kept per byte of metadata, and a floor.
    static constexpr int64_t KeptPerByte = 8, KeptFloor = 1024 * 1024;

private:
    friend class TDirectoryWalk;
    static constexpr int32_t StoreGrowth = 25;
    static constexpr size_t InitialEntryRoom = 256;
    std::vector<TTagEntry> Entries;  // exactly the stored entries
    int32_t Count = 0;
    int32_t Slots = 0;
    MakerNoteIdentifier IdentifyMakerNote;
    // The walks' state, made at the first walk: every walk of this set shares
    // one visited set and one budget.
    std::unique_ptr<TDirectoryWalk> Walk;

    TDirectoryWalk &Walker();
    template <typename TWalkFn>
    void RunWalk(TWalkFn &&walk);
    // Appends an entry that `fill` builds in place.
    template <typename Fill>
    void AddBuiltEntry(Fill &&fill);
};

// The entry is built where it is stored: an entry of six strings costs about
// as much to move as to build. An entry left with neither a tag number nor a
// name, or one whose building throws, is not stored (GPSVersionID is tag 0).
template <typename Fill>
inline void TImageInfo::AddBuiltEntry(Fill &&fill) {
    if (Entries.empty()) Entries.reserve(TImageInfo::InitialEntryRoom);
    TTagEntry &e = Entries.emplace_back();
    try {
        fill(e);
    } catch (...) {
        Entries.pop_back();
        throw;
    }
    if (e.Tag == 0 && e.Name.empty()) {
        Entries.pop_back();
        return;
    }
    if (Count >= Slots - 1) Slots += TImageInfo::StoreGrowth;
    ++Count;
}

}  // namespace exif
