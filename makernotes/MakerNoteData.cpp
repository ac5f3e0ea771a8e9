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

// The note's byte order: the file's, a fixed one, or the "II" or "MM" at a
// note offset (the file's when neither is there).
struct TNoteOrder {
    enum class TKind { FileOrder, LittleEndian, FromNote } Kind;
    int64_t At;
};
constexpr TNoteOrder FileOrder{TNoteOrder::TKind::FileOrder, 0};
constexpr TNoteOrder LittleEndian{TNoteOrder::TKind::LittleEndian, 0};
constexpr TNoteOrder OrderAt(int64_t at) {
    return {TNoteOrder::TKind::FromNote, at};
}

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
// clang-format off
constexpr std::array<TMakerLayout, 26> MakerLayouts = {{
    {"", "Apple iOS\0"sv, TNoteLayout::Only, &AppleTags, 14, NoteStart(), 0, OrderAt(12), &NoSubDirectories},
    {"", "OLYMPUS\0"sv, TNoteLayout::Only, &OlympusTags, 12, NoteStart(), 0, OrderAt(8), &OlympusDirectories},
    {"", "OM SYSTEM\0"sv, TNoteLayout::Only, &OlympusTags, 16, NoteStart(), 0, OrderAt(12), &OlympusDirectories},
    {"", "SONY DSC \0\0\0"sv, TNoteLayout::Only, &SonyTags, 12, XPlus(4), 0, FileOrder, &NoSubDirectories},
    {"", "SONY CAM \0\0\0"sv, TNoteLayout::Only, &SonyTags, 12, XPlus(4), 0, FileOrder, &NoSubDirectories},
    {"", "SONY MOBILE\0"sv, TNoteLayout::Only, &SonyTags, 12, XPlus(4), 0, FileOrder, &NoSubDirectories},
    {"", "Panasonic\0\0\0"sv, TNoteLayout::Only, &PanasonicTags, 12, XPlus(4), 0, FileOrder, &NoSubDirectories},
    {"LEICA", "LEICA\0\0\0"sv, TNoteLayout::Only, &PanasonicTags, 8, XPlus(0), 0, FileOrder, &NoSubDirectories},
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
}};
// clang-format on

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

// A note without a header starts with its directory: an entry count of at
// least one whose entries fit in the note, in the note's byte order.
bool StartsWithDirectory(const exif::TMakerNoteFacts &facts) {
    exif::tEndInd view;
    view.SetBuffer(facts.Note);
    view.BigEndian = facts.BigEndian;
    const int64_t count = view.ReadWord(1);
    return count > 0 && 2 + 12 * count <= view.Length();
}

bool LayoutFits(const TMakerLayout &row, const exif::TMakerNoteFacts &facts) {
    switch (row.Layout) {
        case TNoteLayout::Only:
            return true;
        case TNoteLayout::Directory:
            return StartsWithDirectory(facts);
        default:
            return row.Layout == NikonLayoutOf(facts);
    }
}

const TMakerLayout *FindLayout(std::string_view make, const exif::TMakerNoteFacts &facts) {
    for (const TMakerLayout &row : MakerLayouts) {
        if (!make.starts_with(row.Key) || !facts.Note.starts_with(row.Header)) continue;
        if (LayoutFits(row, facts)) return &row;
    }
    return nullptr;
}

bool NoteBigEndian(TNoteOrder order, const exif::TMakerNoteFacts &facts) {
    if (order.Kind == TNoteOrder::TKind::LittleEndian) return false;
    if (order.Kind == TNoteOrder::TKind::FromNote) {
        const std::string_view mark = exif::tEndInd::RegionOf(facts.Note, order.At + 1, 2);
        if (mark == "MM") return true;
        if (mark == "II") return false;
    }
    return facts.BigEndian;
}

}  // namespace

std::optional<exif::TMakerNoteLayout> IdentifyMakerNote(const exif::TMakerNoteFacts &facts) {
    const TMakerLayout *row = FindLayout(exif::UpperAscii(facts.Make), facts);
    if (row == nullptr) return std::nullopt;
    // X is the note's offset from its TIFF header plus 9.
    const int64_t x = facts.Offset + 9;
    return exif::TMakerNoteLayout{*row->Table, row->D, row->B.Of(x, row->D), row->A, NoteBigEndian(row->Order, facts),
                                  *row->SubDirectories};
}

bool TmsInfo::DecodeMakerNote(TImageInfo &owner) {
    const std::optional<exif::TMakerNoteLayout> layout = IdentifyMakerNote(owner.MakerNoteFacts(FromTiff));
    if (!layout) return false;
    owner.WalkMakerNote(owner.MakerNoteBytes, *layout);
    Maker = owner.CameraMake;
    return true;
}

}  // namespace makernotes
