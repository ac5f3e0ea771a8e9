#include "makernotes/MakerNoteData.h"

#include <array>

#include "exif/TextFormat.h"

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

// The note's byte order: the file's, a fixed one, the "II" or "MM" at a note
// offset (the file's when neither is there), or the order in which the entry
// count at note offset D reads as a directory that fits the note (the file's
// when both orders or neither do): notes whose maker wrote no mark.
struct TNoteOrder {
    enum class TKind { FileOrder, LittleEndian, FromNote, FromDirectory } Kind;
    int64_t At;
};
constexpr TNoteOrder FileOrder{TNoteOrder::TKind::FileOrder, 0};
constexpr TNoteOrder LittleEndian{TNoteOrder::TKind::LittleEndian, 0};
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
constexpr std::array<TMakerLayout, 43> MakerLayouts = {{
    {"", "Apple iOS\0"sv, TNoteLayout::Only, &AppleTags, 14, NoteStart(), 0, OrderAt(12), &NoSubDirectories},
    {"", "OLYMPUS\0"sv, TNoteLayout::Only, &OlympusTags, 12, NoteStart(), 0, OrderAt(8), &OlympusDirectories},
    {"", "OM SYSTEM\0"sv, TNoteLayout::Only, &OlympusTags, 16, NoteStart(), 0, OrderAt(12), &OlympusDirectories},
    {"", "SONY DSC \0\0\0"sv, TNoteLayout::Only, &SonyTags, 12, XPlus(4), 0, FileOrder, &NoSubDirectories},
    {"", "SONY CAM \0\0\0"sv, TNoteLayout::Only, &SonyTags, 12, XPlus(4), 0, FileOrder, &NoSubDirectories},
    {"", "SONY MOBILE\0"sv, TNoteLayout::Only, &SonyTags, 12, XPlus(4), 0, FileOrder, &NoSubDirectories},
    {"", "Panasonic\0\0\0"sv, TNoteLayout::Only, &PanasonicTags, 12, XPlus(4), 0, FileOrder, &NoSubDirectories},
    {"", "LEICA CAMERA AG\0"sv, TNoteLayout::Only, &PanasonicTags, 18, XPlus(10), 0, DirectoryOrder, &NoSubDirectories},
    {"LEICA CAMERA AG", "LEICA\0\0\0"sv, TNoteLayout::Only, &LeicaM8Tags, 8, Fixed(1), 0, DirectoryOrder, &NoSubDirectories},
    {"LEICA", "LEICA\0\0\0"sv, TNoteLayout::Only, &PanasonicTags, 8, XPlus(0), 0, FileOrder, &NoSubDirectories},
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
    {"", "AOC\0"sv, TNoteLayout::Only, &PentaxTags, 6, XPlus(-2), 0, OrderAt(4), &NoSubDirectories},
    {"", "PENTAX \0"sv, TNoteLayout::Only, &PentaxTags, 10, NoteStart(), 0, OrderAt(8), &NoSubDirectories},
    {"", "RICOH\0II"sv, TNoteLayout::Only, &PentaxTags, 8, NoteStart(), 0, OrderAt(6), &NoSubDirectories},
    {"", "RICOH\0MM"sv, TNoteLayout::Only, &PentaxTags, 8, NoteStart(), 0, OrderAt(6), &NoSubDirectories},
    {"NIKON", "", TNoteLayout::NikonTiffHeader, &NikonTags2, 18, Fixed(9), 0, FileOrder, &NoSubDirectories},
    {"NIKON", "", TNoteLayout::NikonHeader, &NikonTags1, 8, XPlus(0), 0, FileOrder, &NoSubDirectories},
    {"NIKON", "", TNoteLayout::NikonPlain, &NikonTags2, 0, XPlus(-8), 0, FileOrder, &NoSubDirectories},
    {"OLYMP", "", TNoteLayout::Only, &OlympusTags, 8, XPlus(0), 9, FileOrder, &OlympusDirectories},
    {"CASIO", "", TNoteLayout::Only, &CasioTags, 0, XPlus(-8), 0, FileOrder, &NoSubDirectories},
    {"FUJIF", "", TNoteLayout::Only, &FujiTags, 12, Fixed(13), 0, LittleEndian, &NoSubDirectories},
    {"CANON", "", TNoteLayout::Only, &CanonTags, 0, XPlus(-8), 0, FileOrder, &NoSubDirectories},
    {"SEIKO", "", TNoteLayout::Only, &SeikoTags, 8, XPlus(0), 0, FileOrder, &NoSubDirectories},
    {"SANYO", "", TNoteLayout::Only, &SanyoTags, 8, XPlus(0), 0, FileOrder, &NoSubDirectories},
    {"MINOL", "", TNoteLayout::Only, &MinoltaTags, 0, XPlus(-8), 0, FileOrder, &NoSubDirectories},
    {"SONY", "", TNoteLayout::Directory, &SonyTags, 0, XPlus(-8), 0, FileOrder, &NoSubDirectories},
    {"PENTAX", "", TNoteLayout::Directory, &PentaxTags, 0, XPlus(-8), 0, FileOrder, &NoSubDirectories},
    {"ASAHI", "", TNoteLayout::Directory, &PentaxTags, 0, XPlus(-8), 0, FileOrder, &NoSubDirectories},
    {"PANASONIC", "", TNoteLayout::Directory, &PanasonicTags, 0, XPlus(-8), 0, FileOrder, &NoSubDirectories},
    {"SAMSUNG", "", TNoteLayout::Directory, &SamsungTags, 0, NoteStart(), 0, DirectoryOrder, &NoSubDirectories},
    {"DJI", "", TNoteLayout::Directory, &DjiTags, 0, XPlus(-8), 0, DirectoryOrder, &NoSubDirectories},
}};
// clang-format on

// The maker whose note a table describes, as the entries' directory names it.
struct TMakerGroup {
    const std::span<const TTagRow> *Table;
    std::string_view Group;
};

constexpr std::array<TMakerGroup, 20> MakerGroups = {{
    {&AppleTags, "Apple"},
    {&CanonTags, "Canon"},
    {&CasioTags, "Casio"},
    {&DjiTags, "DJI"},
    {&FujiTags, "FujiFilm"},
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

// Whether the entry count at note offset `d`, read in that byte order, is at
// least one and its entries fit in the note.
bool DirectoryFits(const exif::TMakerNoteFacts &facts, int64_t d, bool bigEndian) {
    exif::tEndInd view;
    view.SetBuffer(facts.Note);
    view.BigEndian = bigEndian;
    const int64_t count = view.ReadWord(d + 1);
    return count > 0 && d + 2 + 12 * count <= view.Length();
}

// Whether the first entry of the directory at the note's first byte has a
// TIFF field type (1 to 13): what tells a directory from other bytes whose
// first two happen to count entries that fit.
bool FirstEntryIsTyped(const exif::TMakerNoteFacts &facts, bool bigEndian) {
    exif::tEndInd view;
    view.SetBuffer(facts.Note);
    view.BigEndian = bigEndian;
    const int64_t type = view.ReadWord(5);
    return type >= 1 && type <= 13;
}

bool NoteBigEndian(const TMakerLayout &row, const exif::TMakerNoteFacts &facts) {
    switch (row.Order.Kind) {
        case TNoteOrder::TKind::LittleEndian:
            return false;
        case TNoteOrder::TKind::FromNote: {
            const std::string_view mark = exif::tEndInd::RegionOf(facts.Note, row.Order.At + 1, 2);
            if (mark == "MM") return true;
            if (mark == "II") return false;
            break;
        }
        case TNoteOrder::TKind::FromDirectory:
            if (DirectoryFits(facts, row.D, facts.BigEndian)) return facts.BigEndian;
            if (DirectoryFits(facts, row.D, !facts.BigEndian)) return !facts.BigEndian;
            break;
        case TNoteOrder::TKind::FileOrder:
            break;
    }
    return facts.BigEndian;
}

// A note without a header starts with its directory, in the note's order.
bool LayoutFits(const TMakerLayout &row, const exif::TMakerNoteFacts &facts) {
    switch (row.Layout) {
        case TNoteLayout::Only:
            return true;
        case TNoteLayout::Directory:
            return DirectoryFits(facts, row.D, NoteBigEndian(row, facts));
        default:
            return row.Layout == NikonLayoutOf(facts);
    }
}

const TMakerLayout *FindLayout(std::string_view make, const exif::TMakerNoteFacts &facts) {
    for (const TMakerLayout &row : MakerLayouts) {
        if (!make.starts_with(row.Key) || !facts.Note.starts_with(row.Header)) continue;
        if (LayoutFits(row, facts)) return &row;
    }
    return LayoutFits(PlainDirectory, facts) && FirstEntryIsTyped(facts, NoteBigEndian(PlainDirectory, facts))
               ? &PlainDirectory
               : nullptr;
}

}  // namespace

std::optional<exif::TMakerNoteLayout> IdentifyMakerNote(const exif::TMakerNoteFacts &facts) {
    const TMakerLayout *row = FindLayout(exif::UpperAscii(facts.Make), facts);
    if (row == nullptr) return std::nullopt;
    // X is the note's offset from its TIFF header plus 9.
    const int64_t x = facts.Offset + 9;
    return exif::TMakerNoteLayout{*row->Table, row->D, row->B.Of(x, row->D), row->A, NoteBigEndian(*row, facts),
                                  *row->SubDirectories, GroupOf(row->Table)};
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
