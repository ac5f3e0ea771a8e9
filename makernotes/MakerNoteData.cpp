#include "makernotes/MakerNoteData.h"

#include <array>

#include "exif/TextFormat.h"

namespace makernotes {

namespace {

// Which of a maker's note layouts a dispatch row describes; only Nikon wrote
// more than one.
enum class TNoteLayout {
    Only,
    NikonTiffHeader,  // newer notes: "Nikon", version, then a TIFF header of their own
    NikonHeader,      // early Coolpix notes that begin with "Nikon"
    NikonPlain,       // notes whose directory starts at their first byte
};

// Offset base B of a dispatch row: either a fixed number, or X plus a number,
// where X is the note's own offset from the enclosing TIFF header plus 9, so
// that value offsets measured from that TIFF header land inside the note.
struct TOffsetBase {
    bool FromX;
    int64_t Add;
    int64_t Of(int64_t x) const { return FromX ? x + Add : Add; }
};
constexpr TOffsetBase Fixed(int64_t b) {
    return {false, b};
}
constexpr TOffsetBase XPlus(int64_t add) {
    return {true, add};
}

enum class TNoteOrder { FileOrder, LittleEndian };

// One way of walking a maker note: the walk reads the entry count at note
// offset D, turns a value offset m into note position m - B + D + 2, and reads
// a value that does not lie inside the note from the EXIF data at A + m.
struct TMakerLayout {
    std::string_view Key;  // first five letters of the upper-cased Make text
    TNoteLayout Layout;
    const std::span<const TTagRow> *Table;
    int64_t D;
    TOffsetBase B;
    int64_t A;
    TNoteOrder Order;
};

// Read top to bottom: the first row whose key and layout fit is used.
// clang-format off
constexpr std::array<TMakerLayout, 10> MakerLayouts = {{
    {"NIKON", TNoteLayout::NikonTiffHeader, &NikonTags2, 18, Fixed(9), 0, TNoteOrder::FileOrder},
    {"NIKON", TNoteLayout::NikonHeader, &NikonTags1, 8, XPlus(0), 0, TNoteOrder::FileOrder},
    {"NIKON", TNoteLayout::NikonPlain, &NikonTags2, 0, XPlus(-8), 0, TNoteOrder::FileOrder},
    {"OLYMP", TNoteLayout::Only, &OlympusTags, 8, XPlus(0), 9, TNoteOrder::FileOrder},
    {"CASIO", TNoteLayout::Only, &CasioTags, 0, XPlus(-8), 0, TNoteOrder::FileOrder},
    {"FUJIF", TNoteLayout::Only, &FujiTags, 12, Fixed(13), 0, TNoteOrder::LittleEndian},
    {"CANON", TNoteLayout::Only, &CanonTags, 0, XPlus(-8), 0, TNoteOrder::FileOrder},
    {"SEIKO", TNoteLayout::Only, &SeikoTags, 8, XPlus(0), 0, TNoteOrder::FileOrder},
    {"SANYO", TNoteLayout::Only, &SanyoTags, 8, XPlus(0), 0, TNoteOrder::FileOrder},
    {"MINOL", TNoteLayout::Only, &MinoltaTags, 0, XPlus(-8), 0, TNoteOrder::FileOrder},
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

const TMakerLayout *FindLayout(std::string_view key, const exif::TMakerNoteFacts &facts) {
    for (const TMakerLayout &row : MakerLayouts) {
        if (row.Key != key) continue;
        if (row.Layout == TNoteLayout::Only || row.Layout == NikonLayoutOf(facts)) return &row;
    }
    return nullptr;
}

}  // namespace

std::optional<exif::TMakerNoteLayout> IdentifyMakerNote(const exif::TMakerNoteFacts &facts) {
    const std::string key = exif::UpperAscii(facts.Make).substr(0, 5);
    const TMakerLayout *row = FindLayout(key, facts);
    if (row == nullptr) return std::nullopt;
    // X is the note's offset from its TIFF header plus 9.
    const int64_t x = facts.Offset + 9;
    const bool bigEndian = row->Order == TNoteOrder::LittleEndian ? false : facts.BigEndian;
    return exif::TMakerNoteLayout{*row->Table, row->D, row->B.Of(x), row->A, bigEndian};
}

bool TmsInfo::DecodeMakerNote(TImageInfo &owner) {
    exif::TMakerNoteFacts facts = owner.MakerNoteFacts();
    facts.FromTiff = FromTiff;
    if (owner.MakerNoteOffset < 0) facts.Offset = owner.MakerNotePosition + (FromTiff ? 7 : -9);
    const std::optional<exif::TMakerNoteLayout> layout = IdentifyMakerNote(facts);
    if (!layout) return false;
    owner.WalkMakerNote(owner.MakerNoteBytes, *layout);
    Maker = owner.CameraMake;
    return true;
}

}  // namespace makernotes
