#include "exif/ImageInfo.h"

#include <algorithm>
#include <exception>
#include <limits>

#include "exif/ImgData.h"
#include "exif/TagTables.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/MakerNoteData.h"

namespace exif {

bool BlockResult = false;

namespace {

constexpr int32_t StoreGrowth = 25;
// Tags the walk acts on besides listing and storing them.
constexpr uint16_t TagImageWidth = 0x0100, TagImageLength = 0x0101, TagMake = 0x010F, TagModel = 0x0110,
                   TagSubIFDs = 0x014A, TagExifPointer = 0x8769, TagGpsPointer = 0x8825, TagExifVersion = 0x9000,
                   TagMakerNote = 0x927C, TagUserComment = 0x9286, TagPixelXDimension = 0xA002,
                   TagPixelYDimension = 0xA003, TagInteropPointer = 0xA005;
// The value a maker-note rendering function uses for sub-entries it adds.
constexpr uint16_t MakerValueTag = 0xFFFF;

const std::string Quote = "\"";

std::string UpToZero(const Bytes &raw) {
    return raw.substr(0, raw.find('\0'));
}

// Byte count of a directory entry's value; -1 when the entry must be passed
// over (a negative count, or a value too large for any file).
int64_t ValueSize(unsigned type, int32_t count) {
    if (count < 0) return -1;
    const int64_t size = static_cast<int64_t>(count) * TypeSize(type);
    return size > std::numeric_limits<int32_t>::max() ? -1 : size;
}

// Text of an EXIF UserComment: an 8-byte character-code prefix, then the
// comment. A "UNICODE" comment is UTF-16 in the file's byte order.
std::string UserCommentFrom(const Bytes &raw, int64_t size, bool bigEndian) {
    if (size < 9 || raw.size() < 9) return {};
    if (raw.compare(0, 8, std::string("UNICODE\0", 8)) == 0)
        return Trim(Utf16ToWindows1252(std::string_view(raw).substr(8), bigEndian));
    return Trim(std::string_view(raw).substr(8, static_cast<size_t>(size - 9)));
}

}  // namespace

TImageInfo::TImageInfo(TimgData *owner, int32_t buildMode, bool fromTiff)
    : Owner(owner), BuildMode(buildMode), FromTiff(fromTiff) {
    FillTagDescriptions();
}

TImageInfo::~TImageInfo() {
    makernotes::ForgetImageInfo(this);
}

// ---------------------------------------------------------------- entry store

int32_t TImageInfo::AddEntry(const TTagEntry &entry) {
    if (entry.Tag != 0) {
        if (Count >= Capacity() - 1) Entries.resize(static_cast<size_t>(Capacity() + StoreGrowth));
        Entries[static_cast<size_t>(Count)] = entry;
        ++Count;
    }
    return Count - 1;
}

void TImageInfo::AddMakerValue(const std::string &name, const std::string &value, uint16_t type) {
    if (!Builds(BuildEntries)) return;
    try {
        TTagEntry e;
        e.MakerNote = 1;
        e.DataType = type;
        e.Tag = MakerValueTag;
        e.Name = name;
        e.Description = name;
        e.Value = value;
        e.Raw = value;
        e.RawLength = static_cast<int32_t>(value.size());
        AddEntry(e);
    } catch (const std::exception &) {
        // A sub-entry that cannot be stored is simply missing.
    }
}

TTagEntry TImageInfo::EntryAt(int32_t index) const {
    if (index < 0 || index >= Count) return EmptyEntry;
    return Entries[static_cast<size_t>(index)];
}

int32_t TImageInfo::EntryIndexOf(std::string_view name) const {
    for (int32_t i = 0; i < Count; ++i)
        if (SameTextAscii(Entries[static_cast<size_t>(i)].Name, name)) return i;
    return -1;
}

std::string TImageInfo::EntryTextOf(std::string_view name) const {
    const int32_t i = EntryIndexOf(name);
    return i < 0 ? std::string() : Entries[static_cast<size_t>(i)].Value;
}

TTagEntry TImageInfo::EntryByName(std::string_view name) const {
    const int32_t i = EntryIndexOf(name);
    return i < 0 ? EmptyEntry : Entries[static_cast<size_t>(i)];
}

double TImageInfo::EntryNumber(std::string_view name) const {
    const TTagEntry e = EntryByName(name);
    return e.Tag == 0 ? 0 : NumericValue(*this, e.Raw, e.DataType);
}

int32_t TImageInfo::EntryInteger(std::string_view name) const {
    return RoundToInt32(EntryNumber(name));
}

// ------------------------------------------------------------- directory walk

bool TImageInfo::Afford(int64_t valueBytes) {
    if (++EntriesWalked > MaxEntriesWalked) return false;
    const int64_t cost = 2 * valueBytes;
    if (BytesKept + cost > MaxBytesKept) return false;
    BytesKept += cost;
    return true;
}

void TImageInfo::WalkDirectory(Pos start, Pos base, int64_t limit, int kind) {
    WalkDirectoryAt(start, base, limit, kind, 0);
}

void TImageInfo::WalkDirectoryAt(Pos start, Pos base, int64_t limit, int kind, int level) {
    Visited.insert(start);
    const int64_t n = ReadWord(start);
    if (2 + 12 * n > base + limit) {
        Owner->ErrorText = "Illegally sized directory";
        return;
    }
    for (int64_t i = 0; i < n; ++i) WalkEntry(start + 2 + 12 * i, base, limit, kind, level);
}

void TImageInfo::WalkEntry(Pos entry, Pos base, int64_t limit, int kind, int level) {
    const uint16_t tag = ReadWord(entry);
    const unsigned type = ReadWord(entry + 2);
    const int64_t size = ValueSize(type, ReadLong(entry + 4));
    if (size <= 0) return;
    const Pos valuePos = size <= 4 ? entry + 8 : ReadLong(entry + 8) + base;
    const Bytes raw(Region(valuePos, size));
    // Only the bytes actually read count against the budget: a damaged entry
    // whose value lies outside the buffer costs nothing.
    if (!Afford(static_cast<int64_t>(raw.size()))) return;

    TTagEntry row = FetchTagRow(tag, kind);
    std::string text;
    if (type == TypeAscii)
        text = !raw.empty() && raw.back() == '\0' ? raw.substr(0, raw.size() - 1) : raw;
    else if (type == TypeUndefined)
        text = Quote + UpToZero(raw) + Quote;
    else
        text = RenderValue(*this, raw, type, row.FormatPattern, row.ValueCodes);
    if (row.Render == XpText)
        text = XpText(raw);
    else
        text = row.Tag != 0 && row.Render ? row.Render(text) : CleanText(text);
    if (tag == TagUserComment) {
        UserCommentText = UserCommentFrom(raw, size, BigEndian);
        text = UserCommentText;
    }
    if (Builds(BuildListing)) DumpText += "\r\n" + row.Description + " = " + text;

    HandleSpecialTag(tag, type, raw, text, valuePos, base, limit, level);

    if (Builds(BuildEntries)) {
        try {
            row.DataType = static_cast<uint16_t>(type);
            row.Value = std::move(text);
            row.RawLength = static_cast<int32_t>(raw.size());
            row.Raw = raw;
            row.ValuePosition =
                valuePos >= std::numeric_limits<int32_t>::min() && valuePos <= std::numeric_limits<int32_t>::max()
                    ? static_cast<int32_t>(valuePos)
                    : 0;
            AddEntry(row);
        } catch (const std::exception &) {
            // The entry is missing; the walk goes on.
        }
    }
}

void TImageInfo::HandleSpecialTag(uint16_t tag, unsigned type, const Bytes &raw, const std::string &text, Pos valuePos,
                                  Pos base, int64_t limit, int level) {
    switch (tag) {
        case TagImageWidth:
        case TagPixelXDimension:
            WidthValue = RoundToInt32(NumericValue(*this, raw, type));
            break;
        case TagImageLength:
        case TagPixelYDimension:
            HeightValue = RoundToInt32(NumericValue(*this, raw, type));
            break;
        case TagMake:
            CameraMake = text.substr(0, 32);
            break;
        case TagModel:
            CameraModel = text.substr(0, 40);
            break;
        case TagExifVersion:
            ExifVersionText = raw.substr(0, 6);
            break;
        case TagMakerNote: {
            MakerNoteBytes = raw;
            MakerNotePosition = valuePos;
            makernotes::TmsInfo decoder(FromTiff, this);
            decoder.DecodeMakerNote(*this);
            break;
        }
        case TagSubIFDs:
        case TagExifPointer:
        case TagInteropPointer:
            FollowPointer(valuePos, base, limit, KindMain, level);
            break;
        case TagGpsPointer:
            FollowPointer(valuePos, base, limit, KindGps, level);
            break;
        default:
            break;
    }
}

// A sub-directory is walked unless it was walked already (a cycle) or lies too
// deep; whatever fails inside it ends only that sub-directory.
void TImageInfo::FollowPointer(Pos valuePos, Pos base, int64_t limit, int kind, int level) {
    const Pos target = ReadLong(valuePos) + base;
    if (level >= MaxDirectoryLevel || Visited.count(target) != 0) return;
    try {
        WalkDirectoryAt(target, base, limit, kind, level + 1);
    } catch (const std::exception &) {
        // Entries stored so far stay; the parent directory goes on.
    }
}

// ------------------------------------------------------------ maker-note walk

void TImageInfo::WalkMakerNote(const Bytes &note, std::span<const TTagRow> table, int64_t d, int64_t b, int64_t a) {
    SetBuffer(note);
    try {
        const int64_t n = ReadWord(d + 1);
        for (int64_t i = 0; i < n; ++i) WalkMakerEntry(table, d + 3 + 12 * i, d, b, a);
    } catch (const std::exception &e) {
        Owner->ErrorText = std::string("Error Detected = ") + e.what();
    }
    SetBuffer(Owner->GetBuffer());
}

void TImageInfo::WalkMakerEntry(std::span<const TTagRow> table, Pos entry, int64_t d, int64_t b, int64_t a) {
    const uint16_t tag = ReadWord(entry);
    const unsigned type = ReadWord(entry + 2);
    const int64_t size = ValueSize(type, ReadLong(entry + 4));
    if (size < 0) return;
    int64_t m = 0;
    Pos valuePos = entry + 8;
    if (size > 4) {
        m = ReadLong(entry + 8);
        valuePos = m + d - b + 2;
    }
    // A value that lies wholly inside the note is read from it; any other is
    // read from the enclosing EXIF data.
    const Bytes raw(valuePos + size - 1 <= Length() ? Region(valuePos, size)
                                                    : RegionOf(Owner->GetBuffer(), a + m, size));
    if (!Afford(static_cast<int64_t>(raw.size()))) return;

    const int t = FindTagIndex(tag, table);
    const std::string label = t < 0 ? "Unknown" : std::string(table[static_cast<size_t>(t)].Description);
    if (UpperAscii(label) == "SKIP") return;
    if (!Builds(BuildEntries)) return;

    std::string text;
    if (type == TypeAscii) {
        text = Quote + UpToZero(raw) + Quote;
    } else if (type == TypeUndefined) {
        text = Quote + raw + Quote;
    } else {
        try {
            const std::string_view pattern = t < 0 ? std::string_view() : table[static_cast<size_t>(t)].FormatPattern;
            text = RenderValue(*this, raw, type, pattern, TagCodesInTable(tag, table));
        } catch (const std::exception &) {
            text = Quote + raw + Quote;
        }
    }
    BlockResult = false;
    const RenderFn render = t < 0 ? nullptr : table[static_cast<size_t>(t)].Render;
    const std::string shown = render ? render(text) : CleanText(text);
    if (Builds(BuildListing))
        MakerDumpText += BlockResult ? shown + "\r\n" + label + " = " + text : "\r\n" + label + " = " + shown;

    if (t < 0) return;
    try {
        TTagEntry e = EntryFromRow(table[static_cast<size_t>(t)]);
        e.MakerNote = 1;
        e.DataType = static_cast<uint16_t>(type);
        e.Value = std::move(text);
        e.Raw = raw;
        AddEntry(e);
    } catch (const std::exception &) {
        // The entry is missing; the walk goes on.
    }
}

}  // namespace exif
