#include "exif/ImageInfo.h"

#include "exif/DirectoryWalk.h"

#include <algorithm>
#include <array>
#include <exception>
#include <limits>
#include <set>
#include <tuple>

#include "exif/ImgData.h"
#include "exif/TagTables.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"

namespace exif {

namespace {

// The value a maker-note rendering function uses for sub-entries it adds.
constexpr uint16_t MakerValueTag = 0xFFFF;

}  // namespace


TImageInfo::TImageInfo(TimgData *owner, int32_t buildMode, bool fromTiff, MakerNoteIdentifier identifyMakerNote)
    : Owner(owner), BuildMode(buildMode), FromTiff(fromTiff), IdentifyMakerNote(identifyMakerNote) {}

TImageInfo::~TImageInfo() = default;

TDirectoryWalk &TImageInfo::Walker() {
    if (!Walk) Walk = std::make_unique<TDirectoryWalk>(*this);
    return *Walk;
}

// The walk's notes join the store's, its last error becomes the file's,
// however the walk ends: a failure that ends the read keeps what the walk
// had said before it.
template <typename TWalkFn>
void TImageInfo::RunWalk(TWalkFn &&walk) {
    const auto take = [this] {
        TWalkResult result = Walker().TakeResult();
        for (std::string &note : result.Notes) BlocksLeftOut.push_back(std::move(note));
        if (!result.LastError.empty() && Owner) Owner->ErrorText = std::move(result.LastError);
    };
    try {
        walk(Walker());
    } catch (...) {
        take();
        throw;
    }
    take();
}

void TImageInfo::WalkDirectory(Pos start, Pos base, int64_t limit, int kind, std::string_view directory) {
    RunWalk([&](TDirectoryWalk &w) { w.WalkDirectory(start, base, limit, kind, directory); });
}

void TImageInfo::WalkMakerNote(std::string_view note, std::span<const TTagRow> table, int64_t d, int64_t b, int64_t a,
                               bool bigEndian) {
    TMakerNoteLayout layout;
    layout.Table = table;
    layout.D = d;
    layout.B = b;
    layout.A = a;
    layout.BigEndian = bigEndian;
    WalkMakerNote(note, layout);
}

void TImageInfo::WalkMakerNote(std::string_view note, const TMakerNoteLayout &layout) {
    RunWalk([&](TDirectoryWalk &w) { w.WalkMakerNote(note, layout); });
}

const TWalkBudget &TImageInfo::Budget() const {
    static const TWalkBudget none;
    return Walk ? Walk->Budget() : none;
}

int64_t TImageInfo::EntriesLookedAt() const {
    return Walk ? Walk->EntriesLookedAt() : 0;
}

int64_t TImageInfo::BytesKept() const {
    return Walk ? Walk->BytesKept() : 0;
}

// ---------------------------------------------------------------- entry store

int32_t TImageInfo::AddEntry(const TTagEntry &entry) {
    return AddEntry(TTagEntry(entry));
}

int32_t TImageInfo::AddEntry(TTagEntry &&entry) {
    if (entry.Tag != 0) {
        if (Count >= Slots - 1) Slots += StoreGrowth;
        // Room for a camera file's entries at once, so few are ever moved.
        if (Entries.empty()) Entries.reserve(InitialEntryRoom);
        Entries.push_back(std::move(entry));
        ++Count;
    }
    return Count - 1;
}


void TImageInfo::AddMakerValue(const std::string &name, const std::string &value, uint16_t type,
                               std::string_view directory) {
    // A text's bytes are the text itself.
    AddMakerNumber(name, value, type, value, false, directory);
}

void TImageInfo::AddMakerNumber(const std::string &name, const std::string &value, uint16_t type,
                                std::string_view raw, bool bigEndian, std::string_view directory) {
    if (!Builds(BuildEntries)) return;
    try {
        AddBuiltEntry([&](TTagEntry &e) {
            e.MakerNote = 1;
            e.DataType = type;
            e.Tag = MakerValueTag;
            e.Name = name;
            e.Description = name;
            e.Value = value;
            e.Raw = raw;
            e.RawLength = static_cast<int32_t>(raw.size());
            e.BigEndian = bigEndian;
            e.Directory = directory;
        });
    } catch (const std::exception &) {
        // A sub-entry that cannot be stored is simply missing.
    }
}

TTagEntry TImageInfo::EntryAt(int32_t index) const {
    if (index < 0 || index >= Count) return EmptyEntry;
    return Entries[static_cast<size_t>(index)];
}

int32_t TImageInfo::EntryIndexOf(std::string_view name) const {
    for (int32_t i = 0; i < Count; ++i) {
        const std::string &entryName = Entries[static_cast<size_t>(i)].Name;
        if (entryName.size() == name.size() && SameTextAscii(entryName, name)) return i;
    }
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
    const int32_t i = EntryIndexOf(name);
    if (i < 0) return 0;
    const TTagEntry &e = Entries[static_cast<size_t>(i)];
    return NumericValue(*this, e.Raw, e.DataType);
}

int32_t TImageInfo::EntryInteger(std::string_view name) const {
    return RoundToInt32(EntryNumber(name));
}

void TImageInfo::DropRepeatedEntries(int32_t from) {
    const auto first = Entries.begin() + std::clamp<int32_t>(from, 0, Count);
    std::set<std::tuple<int32_t, std::string, std::string>> earlier;
    for (auto e = Entries.begin(); e != first; ++e) earlier.emplace(e->MakerNote, e->Directory, e->Name);
    const auto kept = std::remove_if(first, Entries.end(), [&](const TTagEntry &e) {
        return earlier.contains({e.MakerNote, e.Directory, e.Name});
    });
    Entries.erase(kept, Entries.end());
    Count = static_cast<int32_t>(Entries.size());
}

// A position counts from the start of the walked bytes: a JPEG segment
// holds 8 bytes before its TIFF header, a TIFF-structured file's block
// starts at offset 8.
TMakerNoteFacts TImageInfo::MakerNoteFacts(bool fromTiff) const {
    const int64_t offset = MakerNoteOffset >= 0 ? MakerNoteOffset : MakerNotePosition + (fromTiff ? 7 : -9);
    return {CameraMake, CameraModel, ExifVersionText, MakerNoteBytes, offset, fromTiff, BigEndian};
}

bool TImageInfo::DecodeMakerNote(std::string_view note, int64_t offset) {
    MakerNoteBytes = note;
    MakerNoteOffset = offset;
    if (!IdentifyMakerNote) return false;
    const std::optional<TMakerNoteLayout> layout = IdentifyMakerNote(MakerNoteFacts());
    if (!layout) return false;
    WalkMakerNote(MakerNoteBytes, *layout);
    // A layout without a table lists the note's entries and decodes nothing.
    return !layout->Table.empty();
}

}  // namespace exif
