#include "exif/DirectoryWalk.h"

#include <algorithm>
#include <array>
#include <exception>
#include <limits>
#include <utility>
#include <vector>

#include "exif/ImgData.h"
#include "exif/TagTables.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"

namespace exif {

namespace {

// Tags the walk acts on besides listing and storing them.
constexpr uint16_t TagImageWidth = 0x0100, TagImageLength = 0x0101, TagMake = 0x010F, TagModel = 0x0110,
                   TagSubIFDs = 0x014A, TagExifPointer = 0x8769, TagGpsPointer = 0x8825, TagExifVersion = 0x9000,
                   TagMakerNote = 0x927C, TagUserComment = 0x9286, TagPixelXDimension = 0xA002,
                   TagPixelYDimension = 0xA003, TagInteropPointer = 0xA005, TagXmp = 0x02BC, TagIptcNaa = 0x83BB,
                   TagPhotoshop = 0x8649, TagNewSubfileType = 0x00FE, TagThumbnailOffset = 0x0201,
                   TagThumbnailLength = 0x0202;
// In a Panasonic raw's IFD0: the embedded JPEG, whose EXIF holds the maker note.
constexpr uint16_t TagJpgFromRaw = 0x002E;
constexpr std::array<uint16_t, 17> ActedOn = {
    TagImageWidth,      TagImageLength,     TagMake,           TagModel,     TagSubIFDs,     TagExifPointer,
    TagGpsPointer,      TagExifVersion,     TagMakerNote,      TagUserComment, TagPixelXDimension,
    TagPixelYDimension, TagInteropPointer,  TagXmp,            TagIptcNaa,   TagPhotoshop,   TagNewSubfileType};

// Values other readers read whole: the walk keeps all their bytes, within
// the budget, where any other value is read only as far as it is shown.
bool IsReadWhole(uint16_t tag) {
    return tag == TagMakerNote || tag == TagIptcNaa || tag == TagPhotoshop || tag == TagXmp;
}

bool IsActedOn(uint16_t tag) {
    return std::find(ActedOn.begin(), ActedOn.end(), tag) != ActedOn.end();
}

const std::string Quote = "\"";

std::string UpToZero(std::string_view raw) {
    return std::string(raw.substr(0, raw.find('\0')));
}

// Bytes that are no text: a control byte other than a line or tab break.
bool IsBinary(std::string_view bytes) {
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 && b != '\t' && b != '\n' && b != '\r';
    });
}

std::string_view WithoutTrailingZeros(std::string_view raw) {
    const size_t last = raw.find_last_not_of('\0');
    return raw.substr(0, last == std::string_view::npos ? 0 : last + 1);
}

// Byte count of a directory entry's value; -1 when the entry must be passed
// over (a negative count, or a value too large for any file).
int64_t ValueSize(unsigned type, int32_t count) {
    if (count < 0) return -1;
    const int64_t size = static_cast<int64_t>(count) * TypeSize(type);
    return size > std::numeric_limits<int32_t>::max() ? -1 : size;
}

}  // namespace

TDirectoryWalk::TDirectoryWalk(TImageInfo &info) : Info(info) {}

// ------------------------------------------------------------- directory walk

// The 12 bytes of a directory entry, read the same way by the directory and
// the maker-note walks: tag, type, count, then the value or its offset.
struct TEntryHeader {
    uint16_t Tag;
    unsigned Type;
    int64_t Size;  // value bytes; -1 when the entry must be passed over
    Pos ValueField;
};

namespace {

TEntryHeader ReadEntryHeader(const tEndInd &view, Pos entry) {
    const unsigned type = view.ReadWord(entry + 2);
    return {view.ReadWord(entry), type, ValueSize(type, view.ReadLong(entry + 4)), entry + 8};
}

constexpr Pos EntrySize = 12;

// The names of the TIFF field types, as listings show them.
constexpr std::array<std::string_view, 14> TypeNames = {
    "?",         "BYTE",   "ASCII", "SHORT",     "LONG",  "RATIONAL", "SBYTE",
    "UNDEFINED", "SSHORT", "SLONG", "SRATIONAL", "FLOAT", "DOUBLE",   "IFD",
};

std::string HexText(uint64_t value, int digits) {
    static constexpr std::string_view Digits = "0123456789ABCDEF";
    std::string out(static_cast<size_t>(digits), '0');
    for (int i = digits - 1; i >= 0 && value != 0; --i, value >>= 4) out[static_cast<size_t>(i)] = Digits[value & 15];
    return out;
}

// A listing line's account of where an entry stands: its directory, tag
// number, field type, component count and the offset of its value from the
// TIFF header ("[ExifIFD] 0x829A RATIONAL x1 @0x000000AE  ").
std::string EntryLocation(const std::string &directory, const TEntryHeader &h, Pos offset) {
    const std::string_view type = h.Type < TypeNames.size() ? TypeNames[h.Type]
                                  : h.Type == TypeUtf8      ? std::string_view("UTF-8")
                                                            : std::string_view("?");
    const int64_t size = TypeSize(h.Type);
    return "[" + directory + "] 0x" + HexText(h.Tag, 4) + " " + std::string(type) + " x" +
           IntText(size > 0 ? h.Size / size : h.Size) + " @0x" +
           HexText(static_cast<uint64_t>(std::max<Pos>(offset, 0)), 8) + "  ";
}

}  // namespace

std::string UnknownTagName(uint16_t tag) {
    return "Tag0x" + HexText(tag, 4);
}

void TDirectoryWalk::SizeBudget(int64_t metadataBytes) {
    if (WalkBudget.Sized) return;
    WalkBudget.Sized = true;
    const int64_t bytes = std::max<int64_t>(metadataBytes, 0);
    WalkBudget.Entries = std::min(TImageInfo::MaxEntriesWalked, TImageInfo::EntryFloor + TImageInfo::EntriesPerByte * bytes / EntrySize);
    WalkBudget.Bytes = std::min(TImageInfo::MaxBytesKept, TImageInfo::KeptFloor + TImageInfo::KeptPerByte * bytes);
}

bool TDirectoryWalk::ChargeEntry() {
    if (EntriesLooked >= WalkBudget.Entries) return false;
    ++EntriesLooked;
    return true;
}

// Only the bytes actually read count: a damaged entry whose value lies
// outside the buffer keeps nothing. A value is charged for its bytes, then
// for its text once rendered.
bool TDirectoryWalk::KeepBytes(int64_t bytes) {
    if (BytesKeptSoFar + bytes > WalkBudget.Bytes) return false;
    BytesKeptSoFar += bytes;
    return true;
}

void TDirectoryWalk::WalkDirectory(Pos start, Pos base, int64_t limit, int kind, std::string_view directory) {
    SizeBudget(Info.Length());
    TWalkContext c;
    c.View = Info;
    c.Base = base;
    c.Limit = limit;
    c.Kind = static_cast<DirectoryKind>(kind);
    c.Role = directory.empty() && kind != KindGps ? TDirectoryRole::First : TDirectoryRole::Other;
    c.Directory = !directory.empty() ? directory : kind == KindGps ? "GPS" : "IFD0";
    WalkDirectoryAt(c, start);
    if (c.Role == TDirectoryRole::First) WalkThumbnailDirectory(c, start);
}

// IFD0's entries are followed by the offset of the next directory: IFD1, the
// thumbnail's (0 when there is none). It is walked as any sub-directory is,
// after IFD0 and all it points to; the directories after it (a multi-page
// file's further pages) are not.
void TDirectoryWalk::WalkThumbnailDirectory(const TWalkContext &c, Pos ifd0) {
    const int64_t n = c.View.ReadWord(ifd0);
    const Pos next = ifd0 + 2 + EntrySize * n;
    if (c.View.Available(next, 4) < 4 || c.View.ReadOffset(next) == 0) return;
    FollowPointer(c, next, KindMain, "IFD1", TDirectoryRole::Thumbnail);
    // The thumbnail is kept only when it lies wholly inside the bytes.
    if (Info.Builds(BuildThumbnail) && ThumbnailOffset >= 0 && ThumbnailLength > 0 &&
        ThumbnailLength <= TImageInfo::MaxBytesKept &&
        c.View.Available(ThumbnailOffset + c.Base, ThumbnailLength) == ThumbnailLength)
        Info.ThumbnailBytes = Bytes(c.View.Region(ThumbnailOffset + c.Base, ThumbnailLength));
}

void TDirectoryWalk::WalkDirectoryAt(const TWalkContext &c, Pos start) {
    Visited.insert(start);
    const int64_t n = c.View.ReadWord(start);
    // The directory's entries in one read: a file read on demand then
    // fetches them at once, not an entry at a time.
    c.View.Region(start + 2, std::min<int64_t>(EntrySize * n, EntrySize * 4096));
    if (2 + 12 * n > c.Base + c.Limit) {
        Result.LastError = "Illegally sized directory";
        return;
    }
    // The image a TIFF directory describes: the first full-resolution one
    // is the file's main image (a raw's IFD0 is often its preview, the
    // full image a sub-directory's). Sub-directories are walked while this
    // one's entries are, so each has its own facts.
    TImageFacts facts;
    TImageFacts *const outer = Image;
    Image = &facts;
    WalkEntries(c, start + 2, n);
    Image = outer;
    if (!facts.Reduced && facts.Width > 0 && facts.Height > 0 && Info.MainWidth == 0) {
        Info.MainWidth = facts.Width;
        Info.MainHeight = facts.Height;
    }
}

// Every entry looked at is charged, skipped or not. An entry whose 12 bytes
// lie wholly past the end of the bytes would read as zeros, as would every
// later one: the walk ends there.
void TDirectoryWalk::WalkEntries(const TWalkContext &c, Pos first, int64_t count) {
    for (int64_t i = 0; i < count; ++i) {
        const Pos entry = first + EntrySize * i;
        if (entry > c.View.Length() || !ChargeEntry()) return;
        WalkEntry(c, entry, nullptr);
    }
}

void TDirectoryWalk::HandleSpecialTag(const TWalkContext &c, uint16_t tag, unsigned type, const Bytes &raw,
                                  const std::string &text, Pos valuePos) {
    // The thumbnail's directory tells nothing of the file's image or camera:
    // only the directories it points to are walked.
    if (c.Role == TDirectoryRole::Thumbnail) {
        if (tag == TagThumbnailOffset || tag == TagThumbnailLength)
            (tag == TagThumbnailOffset ? ThumbnailOffset : ThumbnailLength) =
                static_cast<uint32_t>(RoundToInt32(NumericValue(c.View, raw, type)));
        if (tag != TagSubIFDs) return;
    }
    switch (tag) {
        case TagImageWidth:
        case TagPixelXDimension:
            Info.WidthValue = RoundToInt32(NumericValue(c.View, raw, type));
            if (tag == TagPixelXDimension) Info.PixelWidth = Info.WidthValue;
            if (tag == TagImageWidth && Image && c.Kind == KindMain) Image->Width = Info.WidthValue;
            break;
        case TagImageLength:
        case TagPixelYDimension:
            Info.HeightValue = RoundToInt32(NumericValue(c.View, raw, type));
            if (tag == TagPixelYDimension) Info.PixelHeight = Info.HeightValue;
            if (tag == TagImageLength && Image && c.Kind == KindMain) Image->Height = Info.HeightValue;
            break;
        case TagNewSubfileType:
            // Bit 0: a reduced-resolution copy of another image.
            if (Image && c.Kind == KindMain) Image->Reduced = (RoundToInt32(NumericValue(c.View, raw, type)) & 1) != 0;
            break;
        case TagMake:
            Info.CameraMake = Utf8Prefix(text, 32);
            break;
        case TagModel:
            Info.CameraModel = Utf8Prefix(text, 40);
            break;
        case TagExifVersion:
            Info.ExifVersionText = raw.substr(0, 6);
            break;
        case TagIptcNaa:
            if (c.Kind != KindGps && Info.IptcBytes.empty()) Info.IptcBytes = raw;
            break;
        case TagPhotoshop:
            if (c.Kind != KindGps && Info.PhotoshopBytes.empty()) Info.PhotoshopBytes = raw;
            break;
        case TagXmp:
            if (c.Kind != KindGps && Info.XmpBytes.empty()) Info.XmpBytes = raw;
            break;
        case TagSubIFDs:
            FollowSubImages(c, raw, valuePos);
            break;
        case TagExifPointer:
            FollowPointer(c, valuePos, KindMain, "ExifIFD");
            break;
        case TagInteropPointer:
            FollowPointer(c, valuePos, KindMain, "InteropIFD");
            break;
        case TagGpsPointer:
            FollowPointer(c, valuePos, KindGps, "GPS");
            break;
        default:
            break;
    }
}

// A sub-directory is walked unless it was walked already (a cycle) or lies too
// deep; whatever fails inside it ends only that sub-directory.
void TDirectoryWalk::FollowPointer(const TWalkContext &c, Pos valuePos, DirectoryKind kind, std::string directory,
                                   TDirectoryRole role) {
    const Pos target = c.View.ReadOffset(valuePos) + c.Base;
    if (c.Level >= TImageInfo::MaxDirectoryLevel || Visited.count(target) != 0) return;
    TWalkContext sub = c;
    sub.Kind = kind;
    sub.Role = role;
    sub.Level = c.Level + 1;
    sub.Directory = std::move(directory);
    try {
        WalkDirectoryAt(sub, target);
    } catch (const std::exception &) {
        // Entries stored so far stay; the parent directory goes on.
    }
}

// A raw's SubIFDs entry holds one offset per image, LONG values (an entry
// typed IFD is passed over as entries of type 13 are): "SubIFD", "SubIFD1",
// "SubIFD2", ... in the entry's order. Only the offsets the walk kept are
// followed, each bounded as any sub-directory is.
void TDirectoryWalk::FollowSubImages(const TWalkContext &c, const Bytes &raw, Pos valuePos) {
    const size_t count = raw.size() / 4;
    for (size_t i = 0; i < count; ++i)
        FollowPointer(c, valuePos + static_cast<Pos>(4 * i), KindMain,
                      i == 0 ? std::string("SubIFD") : "SubIFD" + IntText(static_cast<int64_t>(i)));
}

// ------------------------------------------------------------ maker-note walk

namespace {

constexpr unsigned TypeIfd = 13;  // a sub-directory's offset, as some notes type it

// A value of more than 4 bytes lies at its offset m, by the note's rule: at
// note position m - B + D + 2 when it lies wholly inside the note, else in
// the enclosing data at A + m.
TMakerValue LocateMakerValue(const TWalkContext &c, const TEntryHeader &h) {
    int64_t m = 0;
    TMakerValue v;
    v.Position = h.ValueField;
    if (h.Size > 4) {
        m = c.View.ReadOffset(h.ValueField);
        v.Position = m + c.D - c.B + 2;
    }
    v.InNote = v.Position + h.Size - 1 <= c.View.Length();
    v.Bytes = v.InNote ? c.View.Region(v.Position, h.Size) : c.Outer.Region(c.A + m, h.Size);
    return v;
}

int64_t AvailableMakerBytes(const TWalkContext &c, const TEntryHeader &h, const TMakerValue &v) {
    if (v.InNote) return c.View.Available(v.Position, h.Size);
    const int64_t m = c.View.ReadOffset(h.ValueField);
    return c.Outer.Available(c.A + m, h.Size);
}

const TMakerSubDirectory *SubDirectoryOf(uint16_t tag, std::span<const TMakerSubDirectory> dirs) {
    const auto it = std::lower_bound(dirs.begin(), dirs.end(), tag,
                                     [](const TMakerSubDirectory &d, uint16_t t) { return d.Tag < t; });
    return it != dirs.end() && it->Tag == tag ? &*it : nullptr;
}

// The values of one maker-note directory by tag, for the rendering functions
// that read one value with another. Indexed at the first request: only a few
// rows ever ask.
class TNoteDirectoryValues final : public TDirectoryValues {
public:
    TNoteDirectoryValues(const TWalkContext &c, Pos first, int64_t count, std::string_view model)
        : C(c), First(first), Count(count), ModelText(model) {}

    std::string_view ValueBytes(uint16_t tag) const override {
        if (!Indexed) BuildIndex();
        const auto it = std::lower_bound(Index.begin(), Index.end(), std::pair<uint16_t, Pos>(tag, 0));
        if (it == Index.end() || it->first != tag) return {};
        const TEntryHeader h = ReadEntryHeader(C.View, it->second);
        return h.Size < 0 ? std::string_view() : LocateMakerValue(C, h).Bytes;
    }
    std::string_view Model() const override { return ModelText; }

private:
    const TWalkContext &C;
    Pos First;
    int64_t Count;
    std::string_view ModelText;
    mutable std::vector<std::pair<uint16_t, Pos>> Index;  // (tag, entry), by tag then place
    mutable bool Indexed = false;

    void BuildIndex() const {
        Indexed = true;
        for (int64_t i = 0; i < Count; ++i) {
            const Pos entry = First + EntrySize * i;
            if (entry > C.View.Length()) break;
            Index.emplace_back(C.View.ReadWord(entry), entry);
        }
        std::stable_sort(Index.begin(), Index.end());
    }
};

}  // namespace

void TDirectoryWalk::WalkMakerNote(std::string_view note, const TMakerNoteLayout &layout) {
    SizeBudget(Info.Length() + static_cast<int64_t>(note.size()));
    TWalkContext c;
    c.View.SetBuffer(layout.Directory.empty() ? note : std::string_view(layout.Directory));
    c.View.BigEndian = layout.BigEndian;
    c.Table = layout.Table;
    c.D = layout.D;
    c.B = layout.B;
    c.A = layout.A;
    c.SubDirectories = layout.SubDirectories;
    c.Directory = layout.Group;
    c.Role = TDirectoryRole::MakerNote;
    if (Info.Owner) c.Outer = *Info.Owner;
    NoteDirectoriesVisited.clear();
    NoteDirectoriesVisited.insert(layout.D + 1);
    if (layout.Moved != 0 && Info.Builds(BuildListing))
        Info.MakerDumpText += "\r\n(note moved by " + std::string(layout.Moved > 0 ? "+" : "") + IntText(layout.Moved) +
                              " bytes since the camera wrote it: its offsets are corrected)";
    try {
        WalkMakerEntries(c, layout.D + 3, c.View.ReadWord(layout.D + 1));
    } catch (const std::exception &e) {
        Result.LastError = std::string("Error Detected = ") + e.what();
    }
}

// Every entry looked at is charged, as in WalkEntries; those of the note's
// sub-directories too.
void TDirectoryWalk::WalkMakerEntries(const TWalkContext &c, Pos first, int64_t count) {
    const TNoteDirectoryValues directory(c, first, count, Info.CameraModel);
    for (int64_t i = 0; i < count; ++i) {
        const Pos entry = first + EntrySize * i;
        if (entry > c.View.Length() || !ChargeEntry()) return;
        WalkEntry(c, entry, &directory);
    }
}

// A directory inside the note: at the offset its entry holds, or the entry's
// value itself. It is walked unless it was walked already or lies too deep;
// whatever fails inside it ends only that directory.
void TDirectoryWalk::WalkMakerSubDirectory(const TWalkContext &c, Pos entry, const TMakerValue &value,
                                           std::span<const TTagRow> table) {
    const TEntryHeader h = ReadEntryHeader(c.View, entry);
    Pos start = 0;
    if ((h.Type == TypeLong && h.Size == 4) || h.Type == TypeIfd)
        start = c.View.ReadOffset(h.ValueField) - c.B + c.D + 2;
    else if (h.Type == TypeUndefined && value.InNote && h.Size > 4)
        start = value.Position;
    if (start < 1 || start > c.View.Length() || c.Level >= TImageInfo::MaxMakerNoteLevel ||
        !NoteDirectoriesVisited.insert(start).second)
        return;
    TWalkContext sub = c;
    sub.Table = table;
    sub.Level = c.Level + 1;
    try {
        WalkMakerEntries(sub, start + 2, c.View.ReadWord(start));
    } catch (const std::exception &) {
        // Entries stored so far stay; the enclosing directory goes on.
    }
}

// A block of fields inside the note, walked as the directory its fields
// stand for; whatever fails inside it ends only that block.
void TDirectoryWalk::WalkMakerFieldBlock(const TWalkContext &c, const TMakerValue &value,
                                         const TMakerSubDirectory &sub) {
    if (c.Level >= TImageInfo::MaxMakerNoteLevel) return;
    const std::string fields = sub.Block(value.Bytes, c.View.BigEndian);
    TWalkContext block = c;
    block.View.SetBuffer(fields);
    block.Table = sub.Table;
    block.D = 0;
    block.B = 1;
    block.SubDirectories = {};
    block.Level = c.Level + 1;
    try {
        WalkMakerEntries(block, 3, block.View.ReadWord(1));
    } catch (const std::exception &) {
        // Entries stored so far stay; the enclosing directory goes on.
    }
}

// The text of a MakerNote entry: what the walk rendered for a note it
// decoded, the note's size and maker for any other (its bytes are no text).
std::string TDirectoryWalk::MakerNoteText(const Bytes &raw, int64_t size, Pos valuePos, Pos base) {
    Info.MakerNotePosition = valuePos;
    if (Info.DecodeMakerNote(raw, valuePos - base)) return {};
    const std::string make = Trim(Info.CameraMake);
    return "(" + IntText(size) + " bytes, " + (make.empty() ? std::string("unknown maker") : make) + ")";
}

// ------------------------------------------------------------ one entry body

// An entry's row: the table's, or none for a tag no table holds (a main
// directory's default row then gives its identity and listing label).
struct TEntryRow {
    const TTagRow *Row;
    const TTagRow *Identity;
    std::string_view Label;
};

// A value as an entry stores it.
struct TStoredValue {
    unsigned Type;
    std::string Text;
    Bytes Raw;
    Pos Position;
};

namespace {

// How an ASCII value reads: the text up to its first NUL as it is, or that
// text in quotes (a maker note's texts, shown as the bytes they are).
enum class TAsciiRead : uint8_t { Text, Quoted };
// How an UNDEFINED value reads: in quotes up to its first NUL (a Panasonic
// raw's binary bytes said, not shown), or in quotes without its trailing
// NULs (a note's bytes no row describes said, not shown, when they are no
// text).
enum class TUndefinedRead : uint8_t { UpToZero, WithoutPadding };
// Where a number's value codes come from: its own row, or the last row of
// its tag (a note's table may give a tag a second row, the one with the
// codes); and whether a number they cannot render shows its bytes in quotes.
enum class TCodesFrom : uint8_t { OwnRow, LastRowOfTag };

// What the one entry body does differently in the main directories (IFD0,
// ExifIFD, GPS, IFD1, a raw's SubIFDs) and in a maker note's.
struct TEntryPolicy {
    TAsciiRead Ascii;
    TUndefinedRead Undefined;
    TCodesFrom Codes;
    int64_t SmallestValue;  // bytes; an entry with fewer is passed over
    bool KeepsWholeValues;  // every value's bytes kept; else only what is shown, but for the values read whole
    bool NeedsEntries;      // walked only when entries are built
    bool HidesSkipRows;     // a row labelled SKIP is passed over; a row of tag 0 listed, not stored
    bool ActsOnTags;        // the walk reads some tags itself (HandleSpecialTag)
};

constexpr TEntryPolicy MainDirectoryPolicy = {
    TAsciiRead::Text, TUndefinedRead::UpToZero, TCodesFrom::OwnRow, 1, false, false, false, true};
constexpr TEntryPolicy MakerNotePolicy = {
    TAsciiRead::Quoted, TUndefinedRead::WithoutPadding, TCodesFrom::LastRowOfTag, 0, true, true, true, false};

const TEntryPolicy &PolicyOf(const TWalkContext &c) {
    return c.Role == TDirectoryRole::MakerNote ? MakerNotePolicy : MainDirectoryPolicy;
}

std::string BinaryDataText(int64_t size) {
    return "(" + IntText(size) + " bytes of binary data)";
}

}  // namespace

// A main directory's value lies in the entry or at its offset from the
// base; a maker note's by the note's rule (LocateMakerValue). Its place in
// a listing: the offset from the TIFF header, or from the note's first
// byte (the offset as stored for a value outside the note).
TMakerValue TDirectoryWalk::LocateValue(const TWalkContext &c, const TEntryHeader &h, Pos &place) const {
    if (c.Role != TDirectoryRole::MakerNote) {
        TMakerValue v;
        v.Position = h.Size <= 4 ? h.ValueField : c.View.ReadOffset(h.ValueField) + c.Base;
        place = v.Position - c.Base;
        return v;
    }
    const TMakerValue v = LocateMakerValue(c, h);
    place = v.InNote ? v.Position - 1 : (h.Size > 4 ? c.View.ReadOffset(h.ValueField) : 0);
    return v;
}

// The value's bytes, charged before they are read. Of a main directory's
// value longer than can be shown only what is shown is read (a maker note,
// IPTC, XMP are read whole: other readers need them).
bool TDirectoryWalk::ChargeValue(const TWalkContext &c, const TEntryHeader &h, TMakerValue &value) {
    if (PolicyOf(c).KeepsWholeValues) return KeepBytes(AvailableMakerBytes(c, h, value));
    const int64_t size = IsReadWhole(h.Tag) ? h.Size : std::min<int64_t>(h.Size, RenderedValueBytes);
    if (!KeepBytes(c.View.Available(value.Position, size))) {
        if (c.Kind == KindMain && IsReadWhole(h.Tag) && h.Tag != TagMakerNote)
            Result.Notes.push_back("tag 0x" + HexText(h.Tag, 4) + " of " + std::to_string(h.Size) +
                                   " bytes left out: more than the value bytes kept for a file");
        return false;
    }
    value.Bytes = c.View.Region(value.Position, size);
    return true;
}

TEntryRow TDirectoryWalk::RowOf(const TWalkContext &c, uint16_t tag) {
    if (c.Role != TDirectoryRole::MakerNote) {
        const TTagRow &row = TagRowOf(tag, c.Kind, TagRowHint);
        return {IsDefaultRow(row) ? nullptr : &row, &row, TagDescription(row)};
    }
    const int t = FindTagIndex(tag, c.Table);
    const TTagRow *row = t < 0 ? nullptr : &c.Table[static_cast<size_t>(t)];
    return {row, row, row ? row->Description : std::string_view("Unknown")};
}

// A tag without a row makes only a listing line, unless unknown tags are
// stored or the walk acts on it.
bool TDirectoryWalk::Shows(const TWalkContext &c, uint16_t tag, const TEntryRow &row) const {
    const TEntryPolicy &policy = PolicyOf(c);
    if (policy.HidesSkipRows && SameTextAscii(row.Label, "SKIP")) return false;
    if (policy.NeedsEntries && !Info.Builds(BuildEntries)) return false;
    return row.Row || Info.Builds(BuildListing) || Info.Builds(BuildUnknown | BuildEntries) ||
           (policy.ActsOnTags && IsActedOn(tag));
}

// The value as text, before the row's rendering function: texts as the
// policy reads them, numbers with their format pattern and value codes.
std::string TDirectoryWalk::ValueText(const TWalkContext &c, const TEntryHeader &h, const TEntryRow &row,
                                      std::string_view value) const {
    const TEntryPolicy &policy = PolicyOf(c);
    const std::string_view rendered = value.substr(0, RenderedValueBytes);
    const bool quoted = policy.Ascii == TAsciiRead::Quoted;
    if (h.Type == TypeAscii || (h.Type == TypeUtf8 && quoted))
        return quoted ? Quote + UpToZero(rendered) + Quote : std::string(rendered.substr(0, rendered.find('\0')));
    if (h.Type == TypeUtf8) return TextOfUtf8(UpToZero(rendered));
    if (h.Type == TypeUndefined && policy.Undefined == TUndefinedRead::UpToZero)
        return c.Kind == KindPanasonicRaw && IsBinary(rendered) ? BinaryDataText(h.Size)
                                                                : Quote + UpToZero(rendered) + Quote;
    if (h.Type == TypeUndefined) {
        // A rendering function reads the bytes as they stand; shown as they
        // are, a text's trailing NULs are padding.
        const std::string_view bytes = row.Row && row.Row->Render ? rendered : WithoutTrailingZeros(rendered);
        return !row.Row && IsBinary(bytes) ? BinaryDataText(static_cast<int64_t>(value.size()))
                                           : Quote + std::string(bytes) + Quote;
    }
    const std::string_view pattern = row.Identity ? row.Identity->FormatPattern : std::string_view();
    if (policy.Codes == TCodesFrom::OwnRow)
        return RenderValue(c.View, rendered, h.Type, pattern, ValueCodesOf(*row.Identity));
    try {
        const TTagRow *codesRow = LastRowOf(h.Tag, c.Table);
        return codesRow ? RenderValue(c.View, rendered, h.Type, pattern, ValueCodesOf(*codesRow))
                        : RenderValue(c.View, rendered, h.Type, pattern, std::string_view());
    } catch (const std::exception &) {
        return Quote + std::string(rendered) + Quote;
    }
}

// A main directory's rendering functions, and the texts the walk keeps of
// the MakerNote and UserComment entries.
void TDirectoryWalk::RenderMainText(const TWalkContext &c, const TEntryHeader &h, const TEntryRow &row,
                                    const TMakerValue &value, const Bytes &raw, std::string &text) {
    const std::string_view rendered = value.Bytes.substr(0, RenderedValueBytes);
    const RenderFn render = row.Row ? row.Row->Render : nullptr;
    if (render == XpText)
        text = XpText(Bytes(rendered));
    else if (render == CharacterCodedText)
        text = CodedText(rendered, c.View.BigEndian);
    else if (render == XmpPacketText)
        text = XmpPacketText(raw);  // read whole (IsReadWhole): its size is the packet's
    else if (render)
        text = render(text, nullptr);
    // Control characters stay: each output shows them its own way.
    AsUtf8Text(text);
    if (h.Tag == TagMakerNote) {
        std::string undecoded = MakerNoteText(raw, h.Size, value.Position, c.Base);
        if (!undecoded.empty()) text = std::move(undecoded);
    }
    if (h.Tag == TagUserComment) {
        Info.UserCommentText = CodedText(rendered, c.View.BigEndian);
        BoundShownText(Info.UserCommentText);
        text = Info.UserCommentText;
    }
}

// A maker note's rendering function: it may give a text to show beside the
// stored one, a block of lines before the entry's own, and sub-entries,
// stored here.
bool TDirectoryWalk::RenderNoteText(const TWalkContext &c, const TEntryHeader &h, const TEntryRow &row,
                                    const TMakerValue &value, const TDirectoryValues *directory, std::string &text,
                                    std::string &shown, TRenderOut &out) {
    out.Raw = value.Bytes;
    out.BigEndian = c.View.BigEndian;
    out.Type = static_cast<uint16_t>(h.Type);
    out.Directory = directory;
    shown = row.Row && row.Row->Render ? row.Row->Render(text, &out) : text;
    AsUtf8Text(shown);
    AsUtf8Text(text);
    BoundShownText(text);
    for (TSubEntry &sub : out.SubEntries) {
        AsUtf8Text(sub.Value);
        BoundShownText(sub.Value);
        if (!KeepBytes(static_cast<int64_t>(sub.Name.size() + sub.Value.size()))) return false;
        if (sub.Type == TypeAscii) Info.AddMakerValue(sub.Name, sub.Value, TypeAscii, c.Directory);
        else Info.AddMakerNumber(sub.Name, sub.Value, sub.Type, sub.Raw, c.View.BigEndian, c.Directory);
    }
    return true;
}

// A note's entry that points to a directory or a block of fields inside it:
// that is walked in its place.
bool TDirectoryWalk::WalksNoteSubDirectory(const TWalkContext &c, Pos entry, const TEntryHeader &h,
                                           const TMakerValue &value) {
    const TMakerSubDirectory *sub = SubDirectoryOf(h.Tag, c.SubDirectories);
    if (!sub) return false;
    if (sub->Block)
        WalkMakerFieldBlock(c, value, *sub);
    else
        WalkMakerSubDirectory(c, entry, value, sub->Table);
    return true;
}

// One body for every entry of every directory, main or maker note; what
// differs is the directory's policy (PolicyOf), and a main directory's
// entries are acted on by HandleSpecialTag.
void TDirectoryWalk::WalkEntry(const TWalkContext &c, Pos entry, const TDirectoryValues *directory) {
    const TEntryPolicy &policy = PolicyOf(c);
    const TEntryHeader h = ReadEntryHeader(c.View, entry);
    if (h.Size < policy.SmallestValue) return;
    Pos place = 0;
    TMakerValue value = LocateValue(c, h, place);
    if (c.Role == TDirectoryRole::MakerNote && WalksNoteSubDirectory(c, entry, h, value)) return;
    if (!ChargeValue(c, h, value)) return;
    const TEntryRow row = RowOf(c, h.Tag);
    if (!Shows(c, h.Tag, row)) return;

    Bytes raw(value.Bytes);
    std::string text = ValueText(c, h, row, value.Bytes);
    std::string shown;
    TRenderOut out;
    if (policy.ActsOnTags) RenderMainText(c, h, row, value, raw, text);
    BoundShownText(text);
    if (!KeepBytes(static_cast<int64_t>(text.size()))) return;
    if (!policy.ActsOnTags && !RenderNoteText(c, h, row, value, directory, text, shown, out)) return;
    if (Info.Builds(BuildListing))
        ListEntry(c, h, place, row.Label, policy.ActsOnTags ? text : shown, out.Block ? &text : nullptr);
    if (policy.ActsOnTags) {
        HandleSpecialTag(c, h.Tag, h.Type, raw, text, value.Position);
        if (c.Kind == KindPanasonicRaw && h.Tag == TagJpgFromRaw) Info.JpgFromRaw = {value.Position, h.Size};
    }
    if (out.StoreShown) {
        BoundShownText(shown);
        text = std::move(shown);
    }
    // A note's row of tag number 0 (the version of one of its sub-directories)
    // is listed, not stored; nor is an entry its sub-entries stand for.
    if (!Info.Builds(BuildEntries) || (policy.HidesSkipRows && row.Row && row.Row->Tag == 0) || out.SubEntriesOnly)
        return;
    if (!row.Row && !Info.Builds(BuildUnknown | BuildEntries)) return;
    const bool restored = out.StoredType != 0;
    StoreEntry(c, h.Tag, row,
               {restored ? out.StoredType : h.Type, std::move(text),
                restored ? std::move(out.StoredRaw) : std::move(raw), value.Position});
}

// A listing line: where the entry stands, its label and value; a note's
// block of lines goes before it.
void TDirectoryWalk::ListEntry(const TWalkContext &c, const TEntryHeader &h, Pos place, std::string_view label,
                               const std::string &text, const std::string *afterBlock) {
    const std::string line = "\r\n" + EntryLocation(c.Directory, h, place) + std::string(label) + " = ";
    std::string &listing = c.Role == TDirectoryRole::MakerNote ? Info.MakerDumpText : Info.DumpText;
    listing += afterBlock ? text + line + *afterBlock : line + text;
}

void TDirectoryWalk::StoreEntry(const TWalkContext &c, uint16_t tag, const TEntryRow &row, TStoredValue value) {
    const bool note = c.Role == TDirectoryRole::MakerNote;
    try {
        Info.AddBuiltEntry([&](TTagEntry &e) {
            if (row.Row || !note) TakeRowIdentity(e, *row.Identity);
            if (!row.Row) {
                e.Tag = tag;
                e.Name = UnknownTagName(tag);
            }
            // The label only the listing shows.
            if (Info.Builds(BuildListing)) e.Description = row.Label;
            e.MakerNote = note ? 1 : 0;
            e.DataType = static_cast<uint16_t>(value.Type);
            e.Directory = c.Directory;
            e.BigEndian = c.View.BigEndian;
            e.Value = std::move(value.Text);
            if (!note) {
                e.RawLength = static_cast<int32_t>(value.Raw.size());
                e.ValuePosition = value.Position >= std::numeric_limits<int32_t>::min() &&
                                          value.Position <= std::numeric_limits<int32_t>::max()
                                      ? static_cast<int32_t>(value.Position)
                                      : 0;
            }
            e.Raw = std::move(value.Raw);
        });
    } catch (const std::exception &) {
        // The entry is missing; the walk goes on.
    }
}

}  // namespace exif
