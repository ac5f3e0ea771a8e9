#include "makernotes/MakerNoteData.h"

#include <algorithm>
#include <array>
#include <limits>

#include "exif/TextFormat.h"
#include "exif/ValueRender.h"

namespace makernotes {

namespace {

// Which of a maker's note layouts a dispatch row describes: Nikon wrote three
// with no header to tell them apart.
enum class TNoteLayout {
    Only,
    NikonTiffHeader,  // newer notes: "Nikon", version, then a TIFF header of their own
    NikonHeader,      // early Coolpix notes that begin with "Nikon"
    NikonPlain,       // notes whose directory starts at their first byte
    Directory,        // a note without a header: its first bytes are a directory's
    FieldBlock,       // no directory: fields at fixed places (see KodakDirectory)
};

// Offset base B of a dispatch row: a fixed number; X plus a number, where X
// is the note's own offset from the enclosing TIFF header plus 9, so that
// value offsets measured from that TIFF header land inside the note; or D + 1,
// so that value offsets measured from the note's first byte do.
struct TOffsetBase {
    enum class TKind { Fixed, FromX, FromNoteStart } Kind;
    int64_t Add;
    int64_t Of(int64_t x, int64_t d) const {
        switch (Kind) {
            case TKind::FromX:
                return x + Add;
            case TKind::FromNoteStart:
                return d + 1;
            case TKind::Fixed:
                break;
        }
        return Add;
    }
};
constexpr TOffsetBase Fixed(int64_t b) {
    return {TOffsetBase::TKind::Fixed, b};
}
constexpr TOffsetBase XPlus(int64_t add) {
    return {TOffsetBase::TKind::FromX, add};
}
constexpr TOffsetBase NoteStart() {
    return {TOffsetBase::TKind::FromNoteStart, 0};
}

// Where the note's byte order comes from: Fujifilm's is always Intel's; a
// note with a mark ("II" or "MM" at a note offset, its own TIFF header's or
// its header's) is in the order the mark names (the plausible one when the
// mark is neither); a note without a mark is in the order in which its
// directory at note offset D is plausible, the file's when both or neither
// are. An editor that rewrites a file in the other byte order keeps the
// maker note's bytes as they were: the file's order tells nothing.
struct TNoteOrder {
    enum class TKind { LittleEndian, BigEndian, FromNote, FromDirectory } Kind;
    int64_t At;
};
constexpr TNoteOrder LittleEndian{TNoteOrder::TKind::LittleEndian, 0};
constexpr TNoteOrder BigEndian{TNoteOrder::TKind::BigEndian, 0};
constexpr TNoteOrder OrderAt(int64_t at) {
    return {TNoteOrder::TKind::FromNote, at};
}
constexpr TNoteOrder DirectoryOrder{TNoteOrder::TKind::FromDirectory, 0};

using TSubDirectories = std::span<const exif::TMakerSubDirectory>;
const TSubDirectories NoSubDirectories;

// One way of walking a maker note: the walk reads the entry count at note
// offset D, turns a value offset m into note position m - B + D + 2, and reads
// a value that does not lie inside the note from the EXIF data at A + m.
struct TMakerLayout {
    std::string_view Key;     // the upper-cased Make text begins with it; "" for any Make
    std::string_view Header;  // the note begins with these bytes; "" for any note
    TNoteLayout Layout;
    const std::span<const TTagRow> *Table;
    int64_t D;
    TOffsetBase B;
    int64_t A;
    TNoteOrder Order;
    const TSubDirectories *SubDirectories;
};

using namespace std::string_view_literals;

// Read top to bottom: the first row whose key, header and layout fit is used.
// A D of 8 or more with XPlus(D - 8) counts offsets from the TIFF header.
// clang-format off
constexpr std::array<TMakerLayout, 49> MakerLayouts = {{
    {"", "Apple iOS\0"sv, TNoteLayout::Only, &AppleTags, 14, NoteStart(), 0, OrderAt(12), &NoSubDirectories},
    {"", "OLYMPUS\0"sv, TNoteLayout::Only, &OlympusTags, 12, NoteStart(), 0, OrderAt(8), &OlympusDirectories},
    {"", "OM SYSTEM\0"sv, TNoteLayout::Only, &OlympusTags, 16, NoteStart(), 0, OrderAt(12), &OlympusDirectories},
    {"", "SONY DSC \0\0\0"sv, TNoteLayout::Only, &SonyTags, 12, XPlus(4), 0, DirectoryOrder, &NoSubDirectories},
    {"", "SONY CAM \0\0\0"sv, TNoteLayout::Only, &SonyTags, 12, XPlus(4), 0, DirectoryOrder, &NoSubDirectories},
    {"", "SONY MOBILE\0"sv, TNoteLayout::Only, &SonyTags, 12, XPlus(4), 0, DirectoryOrder, &NoSubDirectories},
    {"", "Panasonic\0\0\0"sv, TNoteLayout::Only, &PanasonicTags, 12, XPlus(4), 0, DirectoryOrder, &NoSubDirectories},
    {"", "LEICA CAMERA AG\0"sv, TNoteLayout::Only, &PanasonicTags, 18, XPlus(10), 0, DirectoryOrder, &NoSubDirectories},
    {"LEICA CAMERA AG", "LEICA\0\0\0"sv, TNoteLayout::Only, &LeicaM8Tags, 8, Fixed(1), 0, DirectoryOrder, &NoSubDirectories},
    {"LEICA", "LEICA\0\0\0"sv, TNoteLayout::Only, &PanasonicTags, 8, XPlus(0), 0, DirectoryOrder, &NoSubDirectories},
    {"", "LEICA\0\x01\0"sv, TNoteLayout::Only, &LeicaTags, 8, NoteStart(), 0, DirectoryOrder, &NoSubDirectories},
    {"LEICA CAMERA AG", "LEICA\0\x02\0"sv, TNoteLayout::Only, &LeicaMTags, 8, XPlus(0), 0, DirectoryOrder, &NoSubDirectories},
    {"LEICA CAMERA AG", "LEICA\0\x02\xff"sv, TNoteLayout::Only, &LeicaSTags, 8, XPlus(0), 0, DirectoryOrder, &NoSubDirectories},
    {"", "LEICA\0\x04\0"sv, TNoteLayout::Only, &LeicaTags, 8, NoteStart(), 0, DirectoryOrder, &NoSubDirectories},
    {"", "LEICA\0\x05\0"sv, TNoteLayout::Only, &LeicaTags, 8, NoteStart(), 0, DirectoryOrder, &NoSubDirectories},
    {"", "LEICA\0\x06\0"sv, TNoteLayout::Only, &LeicaTags, 8, NoteStart(), 0, DirectoryOrder, &NoSubDirectories},
    {"", "LEICA\0\x07\0"sv, TNoteLayout::Only, &LeicaTags, 8, NoteStart(), 0, DirectoryOrder, &NoSubDirectories},
    {"", "LEICA\0\x08\0"sv, TNoteLayout::Only, &LeicaTags, 8, XPlus(0), 0, DirectoryOrder, &NoSubDirectories},
    {"", "LEICA\0\x09\0"sv, TNoteLayout::Only, &LeicaTags, 8, XPlus(0), 0, DirectoryOrder, &NoSubDirectories},
    {"", "LEICA\0\x10\0"sv, TNoteLayout::Only, &LeicaTags, 8, NoteStart(), 0, DirectoryOrder, &NoSubDirectories},
    {"", "LEICA\0\x1a\0"sv, TNoteLayout::Only, &LeicaTags, 8, NoteStart(), 0, DirectoryOrder, &NoSubDirectories},
    {"", "SIGMA\0\0\0"sv, TNoteLayout::Only, &SigmaTags, 10, XPlus(2), 0, DirectoryOrder, &NoSubDirectories},
    {"", "FOVEON\0\0"sv, TNoteLayout::Only, &SigmaTags, 10, XPlus(2), 0, DirectoryOrder, &NoSubDirectories},
    {"", "QVC\0"sv, TNoteLayout::Only, &Casio2Tags, 6, XPlus(-2), 0, DirectoryOrder, &NoSubDirectories},
    {"", "DCI\0"sv, TNoteLayout::Only, &Casio2Tags, 6, XPlus(-2), 0, DirectoryOrder, &NoSubDirectories},
    {"", "KDK INFO"sv, TNoteLayout::FieldBlock, &KodakTags, 0, NoteStart(), 0, BigEndian, &NoSubDirectories},
    {"", "KDK"sv, TNoteLayout::FieldBlock, &KodakTags, 0, NoteStart(), 0, LittleEndian, &NoSubDirectories},
    {"", "AOC\0"sv, TNoteLayout::Only, &PentaxTags, 6, XPlus(-2), 0, OrderAt(4), &NoSubDirectories},
    {"", "PENTAX \0"sv, TNoteLayout::Only, &PentaxTags, 10, NoteStart(), 0, OrderAt(8), &NoSubDirectories},
    {"", "RICOH\0II"sv, TNoteLayout::Only, &PentaxTags, 8, NoteStart(), 0, OrderAt(6), &NoSubDirectories},
    {"", "RICOH\0MM"sv, TNoteLayout::Only, &PentaxTags, 8, NoteStart(), 0, OrderAt(6), &NoSubDirectories},
    {"NIKON", "", TNoteLayout::NikonTiffHeader, &NikonTags2, 18, Fixed(9), 0, OrderAt(10), &NoSubDirectories},
    {"NIKON", "", TNoteLayout::NikonHeader, &NikonTags1, 8, XPlus(0), 0, DirectoryOrder, &NoSubDirectories},
    {"NIKON", "", TNoteLayout::NikonPlain, &NikonTags2, 0, XPlus(-8), 0, DirectoryOrder, &NoSubDirectories},
    {"RICOH", "", TNoteLayout::Only, &RicohTags, 8, XPlus(0), 0, DirectoryOrder, &NoSubDirectories},
    {"OLYMP", "", TNoteLayout::Only, &OlympusTags, 8, XPlus(0), 9, DirectoryOrder, &OlympusDirectories},
    {"CASIO", "", TNoteLayout::Only, &CasioTags, 0, XPlus(-8), 0, DirectoryOrder, &NoSubDirectories},
    {"FUJIF", "", TNoteLayout::Only, &FujiTags, 12, Fixed(13), 0, LittleEndian, &NoSubDirectories},
    {"CANON", "", TNoteLayout::Only, &CanonTags, 0, XPlus(-8), 0, DirectoryOrder, &NoSubDirectories},
    {"SEIKO", "", TNoteLayout::Only, &SeikoTags, 8, XPlus(0), 0, DirectoryOrder, &NoSubDirectories},
    {"SANYO", "", TNoteLayout::Only, &SanyoTags, 8, XPlus(0), 0, DirectoryOrder, &NoSubDirectories},
    {"MINOL", "", TNoteLayout::Only, &MinoltaTags, 0, XPlus(-8), 0, DirectoryOrder, &MinoltaDirectories},
    {"KONICA MINOLTA", "", TNoteLayout::Only, &MinoltaTags, 0, XPlus(-8), 0, DirectoryOrder, &MinoltaDirectories},
    {"SONY", "", TNoteLayout::Directory, &SonyTags, 0, XPlus(-8), 0, DirectoryOrder, &NoSubDirectories},
    {"PENTAX", "", TNoteLayout::Directory, &PentaxTags, 0, XPlus(-8), 0, DirectoryOrder, &NoSubDirectories},
    {"ASAHI", "", TNoteLayout::Directory, &PentaxTags, 0, XPlus(-8), 0, DirectoryOrder, &NoSubDirectories},
    {"PANASONIC", "", TNoteLayout::Directory, &PanasonicTags, 0, XPlus(-8), 0, DirectoryOrder, &NoSubDirectories},
    {"SAMSUNG", "", TNoteLayout::Directory, &SamsungTags, 0, NoteStart(), 0, DirectoryOrder, &NoSubDirectories},
    {"DJI", "", TNoteLayout::Directory, &DjiTags, 0, XPlus(-8), 0, DirectoryOrder, &NoSubDirectories},
}};
// clang-format on

// The maker whose note a table describes, as the entries' directory names it.
struct TMakerGroup {
    const std::span<const TTagRow> *Table;
    std::string_view Group;
};

constexpr std::array<TMakerGroup, 23> MakerGroups = {{
    {&AppleTags, "Apple"},
    {&CanonTags, "Canon"},
    {&CasioTags, "Casio"},
    {&Casio2Tags, "Casio"},
    {&DjiTags, "DJI"},
    {&FujiTags, "FujiFilm"},
    {&KodakTags, "Kodak"},
    {&LeicaM8Tags, "Leica"},
    {&LeicaMTags, "Leica"},
    {&LeicaSTags, "Leica"},
    {&LeicaTags, "Leica"},
    {&MinoltaTags, "Minolta"},
    {&NikonTags1, "Nikon"},
    {&NikonTags2, "Nikon"},
    {&OlympusTags, "Olympus"},
    {&PanasonicTags, "Panasonic"},
    {&PentaxTags, "Pentax"},
    {&RicohTags, "Ricoh"},
    {&SamsungTags, "Samsung"},
    {&SanyoTags, "Sanyo"},
    {&SeikoTags, "Seiko"},
    {&SigmaTags, "Sigma"},
    {&SonyTags, "Sony"},
}};

std::string_view GroupOf(const std::span<const TTagRow> *table) {
    for (const TMakerGroup &row : MakerGroups)
        if (row.Table == table) return row.Group;
    return "MakerNotes";
}

// A note no row describes whose first bytes are a directory: its entries are
// listed by number, offsets counted from the TIFF header as most makers do;
// none is stored and the note still shows as undecoded.
const std::span<const TTagRow> NoTable;
constexpr TMakerLayout PlainDirectory{"", "", TNoteLayout::Directory, &NoTable, 0, XPlus(-8), 0, DirectoryOrder,
                                      &NoSubDirectories};

// Nikon's D-series SLRs write the newer note even into TIFF files (.nef)
// whose EXIF data carries no version: "NIKON D100" has a "D" after the blank.
bool IsDSeriesModel(std::string_view model) {
    const size_t blank = model.find(' ');
    const size_t at = blank == std::string_view::npos ? 0 : blank + 1;
    return at < model.size() && model[at] == 'D';
}

TNoteLayout NikonLayoutOf(const exif::TMakerNoteFacts &facts) {
    if (facts.ExifVersion > "0210") return TNoteLayout::NikonTiffHeader;
    if (facts.ExifVersion.empty() && facts.FromTiff && IsDSeriesModel(facts.Model))
        return TNoteLayout::NikonTiffHeader;
    if (facts.Note.starts_with("Nikon")) return TNoteLayout::NikonHeader;
    return TNoteLayout::NikonPlain;
}

// Whether the directory at note offset `d`, read in that byte order, is
// plausible: at least one entry, all of them inside the note, the first of
// a TIFF field type. In the other order the count reads as a multiple of
// 256 and the type as one, so a wrong order rarely passes both.
bool DirectoryPlausible(const exif::TMakerNoteFacts &facts, int64_t d, bool bigEndian) {
    exif::tEndInd view;
    view.SetBuffer(facts.Note);
    view.BigEndian = bigEndian;
    const int64_t count = view.ReadWord(d + 1);
    const unsigned type = view.ReadWord(d + 5);
    return count > 0 && d + 2 + 12 * count <= view.Length() && exif::TypeSize(type) > 0;
}

bool NoteBigEndian(const TMakerLayout &row, const exif::TMakerNoteFacts &facts) {
    switch (row.Order.Kind) {
        case TNoteOrder::TKind::LittleEndian:
            return false;
        case TNoteOrder::TKind::BigEndian:
            return true;
        case TNoteOrder::TKind::FromNote: {
            const std::string_view mark = exif::tEndInd::RegionOf(facts.Note, row.Order.At + 1, 2);
            if (mark == "MM") return true;
            if (mark == "II") return false;
            break;
        }
        case TNoteOrder::TKind::FromDirectory:
            break;
    }
    if (DirectoryPlausible(facts, row.D, facts.BigEndian)) return facts.BigEndian;
    if (DirectoryPlausible(facts, row.D, !facts.BigEndian)) return !facts.BigEndian;
    return facts.BigEndian;
}

// A note without a header starts with its directory, in the note's order.
bool LayoutFits(const TMakerLayout &row, const exif::TMakerNoteFacts &facts) {
    switch (row.Layout) {
        case TNoteLayout::Only:
        case TNoteLayout::FieldBlock:
            return true;
        case TNoteLayout::Directory:
            return DirectoryPlausible(facts, row.D, NoteBigEndian(row, facts));
        default:
            return row.Layout == NikonLayoutOf(facts);
    }
}

const TMakerLayout *FindLayout(std::string_view make, const exif::TMakerNoteFacts &facts) {
    for (const TMakerLayout &row : MakerLayouts) {
        if (!make.starts_with(row.Key) || !facts.Note.starts_with(row.Header)) continue;
        if (LayoutFits(row, facts)) return &row;
    }
    return LayoutFits(PlainDirectory, facts) ? &PlainDirectory : nullptr;
}

// The entries of the note's directory as the walk will read them.
struct TNoteDirectory {
    exif::tEndInd View;
    int64_t D = 0, Count = 0;

    TNoteDirectory(const exif::TMakerNoteFacts &facts, int64_t d, bool bigEndian) : D(d) {
        View.SetBuffer(facts.Note);
        View.BigEndian = bigEndian;
        // Only the entries that lie inside the note.
        Count = std::min<int64_t>(View.ReadWord(d + 1), std::max<int64_t>(View.Length() - d - 2, 0) / 12);
    }
    exif::Pos Entry(int64_t i) const { return D + 3 + 12 * i; }
    unsigned Type(int64_t i) const { return View.ReadWord(Entry(i) + 2); }
    // The value's bytes; -1 for an entry of no TIFF field type.
    int64_t Size(int64_t i) const {
        const int size = exif::TypeSize(Type(i));
        return size == 0 ? -1 : static_cast<int64_t>(View.ReadOffset(Entry(i) + 4)) * size;
    }
    int64_t Offset(int64_t i) const { return View.ReadOffset(Entry(i) + 8); }
};

// A value too large for any maker note: what a count read from bytes that
// are no entry gives.
constexpr int64_t MaxNoteValue = int64_t{1} << 24;

// Whether at least half of the directory's entries have a TIFF field type
// and a size a note's value can have: bytes walked with the wrong layout or
// byte order give hundreds of entries of neither. An empty directory shows
// nothing wrong.
bool MostEntriesSound(const TNoteDirectory &dir) {
    int64_t sound = 0;
    for (int64_t i = 0; i < dir.Count; ++i) {
        const int64_t size = dir.Size(i);
        sound += size >= 0 && size <= MaxNoteValue ? 1 : 0;
    }
    return 2 * sound >= dir.Count;
}

// Whether the value of entry i lies inside the note when offsets are read
// with base b (see TMakerLayout).
bool ValueInNote(const TNoteDirectory &dir, int64_t i, int64_t b) {
    const int64_t position = dir.Offset(i) - b + dir.D + 2;
    return position >= 1 && position - 1 + dir.Size(i) <= dir.View.Length();
}

// Canon's notes end with a TIFF byte-order mark and the note's offset from
// the TIFF header as the camera wrote it: how far the note moved since.
std::optional<int64_t> CanonTrailerMove(const exif::TMakerNoteFacts &facts) {
    const exif::Pos trailer = static_cast<exif::Pos>(facts.Note.size()) - 7;
    const std::string_view mark = exif::tEndInd::RegionOf(facts.Note, trailer, 4);
    if (mark != std::string_view("II\x2a\0", 4) && mark != std::string_view("MM\0\x2a", 4)) return std::nullopt;
    exif::tEndInd view;
    view.SetBuffer(facts.Note);
    view.BigEndian = mark[0] == 'M';
    return facts.Offset - view.ReadOffset(trailer + 4);
}

// How far an editor moved a note whose offsets count from the enclosing TIFF
// header (0 when it did not): the values of such a note follow its
// directory, so when most of them fall outside the note while one shift
// puts the first right after the directory and its link and all of them
// inside, that shift is the move.
int64_t NoteMove(const TNoteDirectory &dir, int64_t b) {
    int64_t valued = 0, outside = 0, first = std::numeric_limits<int64_t>::max();
    for (int64_t i = 0; i < dir.Count; ++i) {
        if (dir.Size(i) <= 4) continue;
        ++valued;
        outside += ValueInNote(dir, i, b) ? 0 : 1;
        first = std::min(first, dir.Offset(i));
    }
    if (valued == 0 || 2 * outside < valued) return 0;
    for (const int64_t link : {4, 0}) {
        const int64_t after = dir.D + 2 + 12 * dir.Count + link;  // 0-based
        const int64_t corrected = first + dir.D + 1 - after;
        bool fits = true;
        for (int64_t i = 0; i < dir.Count && fits; ++i) fits = dir.Size(i) <= 4 || ValueInNote(dir, i, corrected);
        if (fits) return b - corrected;
    }
    return 0;
}

}  // namespace

std::optional<exif::TMakerNoteLayout> IdentifyMakerNote(const exif::TMakerNoteFacts &facts) {
    const TMakerLayout *row = FindLayout(exif::UpperAscii(facts.Make), facts);
    if (row == nullptr) return std::nullopt;
    const bool bigEndian = NoteBigEndian(*row, facts);
    if (row->Layout == TNoteLayout::FieldBlock) {
        exif::TMakerNoteLayout layout{*row->Table, 0, 1, 0, bigEndian, *row->SubDirectories, GroupOf(row->Table)};
        layout.Directory = KodakDirectory(facts.Note, bigEndian);
        return layout;
    }
    const TNoteDirectory dir(facts, row->D, bigEndian);
    if (!MostEntriesSound(dir)) return std::nullopt;
    // X is the note's offset from its TIFF header plus 9.
    const int64_t x = facts.Offset + 9;
    exif::TMakerNoteLayout layout{*row->Table, row->D, row->B.Of(x, row->D), row->A, bigEndian,
                                  *row->SubDirectories, GroupOf(row->Table)};
    // The DiMAGE X31 keeps other settings in the DiMAGE's blocks' places.
    if (row->SubDirectories == &MinoltaDirectories && exif::Trim(facts.Model) == "DiMAGE X31") layout.SubDirectories = {};
    if (row->B.Kind == TOffsetBase::TKind::FromX) {
        const std::optional<int64_t> trailer = row->Table == &CanonTags ? CanonTrailerMove(facts) : std::nullopt;
        layout.Moved = trailer ? *trailer : NoteMove(dir, layout.B);
        layout.B -= layout.Moved;
    }
    return layout;
}

bool TmsInfo::DecodeMakerNote(TImageInfo &owner) {
    const std::optional<exif::TMakerNoteLayout> layout = IdentifyMakerNote(owner.MakerNoteFacts(FromTiff));
    if (!layout) return false;
    owner.WalkMakerNote(owner.MakerNoteBytes, *layout);
    if (layout->Table.empty()) return false;
    Maker = owner.CameraMake;
    return true;
}

}  // namespace makernotes
