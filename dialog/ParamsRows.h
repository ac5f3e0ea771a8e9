// What the information dialog shows, as plain rows of text: the EXIF grid
// (file rows, then every stored entry), the comment box, the IPTC grid, the
// XMP grid, and the export file built from them. Free of any window code, so
// the dialog and the command-line tool show and export exactly the same text.
// Every text is UTF-8. A value keeps the control characters the file gave
// it: the grids and the export file show each as ".", the tool escapes them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exif/ImgData.h"
#include "exif/TagEntry.h"
#include "exif/ValueRender.h"

namespace params {

struct GridRow {
    std::string Name;   // column 0
    std::string Value;  // column 1
    // The row is an entry of the camera maker's note: the grid does not show
    // it, the command-line tool names the row's group by it.
    bool MakerNote = false;
    // An XMP bag or sequence, or a repeatable IPTC dataset (keywords,
    // supplemental categories): Value joins its items (XMP with ", ", IPTC
    // with ",") for the grid and the export, the command-line tool's JSON
    // gives them as a list.
    bool IsList = false;
    std::vector<std::string> Items = {};
    // Where the row comes from: an EXIF row its entry's directory ("IFD0",
    // "ExifIFD", "GPS", "IFD1", "SubIFD", a maker's name, see
    // exif::TTagEntry::Directory); empty for the file rows and the other tabs.
    std::string Group = {};
    // The value as numbers (only with ViewRequest::WithNumbers): an EXIF
    // row's components as its bytes hold them, a file row's number; empty for
    // a value that is text.
    std::vector<exif::TComponent> Numbers = {};
};

// The rows of the main image's directories (IFD0 and the ones it points to,
// maker note included) come first, those of the thumbnail's (IFD1) and of a
// raw's other images (SubIFD...) after them.
struct ExifView {
    std::vector<GridRow> Rows;  // at least one row
    std::string Comment;        // the comment box's text
};

struct IptcView {
    bool Visible = false;       // false when the file has no IPTC segment
    std::vector<GridRow> Rows;  // at least one row when visible
};

// The XMP packet's properties, one row each, named `prefix:Property` as the
// packet's prefixes name them (see xmp/XmpPacket.h). A language alternative shows its x-default value, each other language a
// row of its own (`dc:title[fr-FR]`).
struct XmpView {
    bool Visible = false;       // false when the file has no XMP packet
    std::vector<GridRow> Rows;  // at least one row when visible
};

// Separators of the name part of a path as the host gives it (Windows) and
// as the command-line tool accepts it (also "/").
inline constexpr std::string_view HostPathSeparators = "\\:";
inline constexpr std::string_view AnyPathSeparators = "\\/:";

std::string NamePart(std::string_view fileName, std::string_view separators = HostPathSeparators);
std::string StripQuotes(std::string_view text);
// The file's size in kilobytes with two decimals ("1.13 Kb"); 0.00 Kb when
// the file cannot be opened for reading.
std::string FileSizeText(const std::string &fileName);
std::string KilobytesText(uint64_t bytes);
// Column 1 of an EXIF entry's row.
std::string ExifCellValue(const exif::TTagEntry &entry);

struct ViewRequest {
    int32_t ImageWidth = 0;  // the host's image size for the ImageWidth/ImageHeight rows
    int32_t ImageHeight = 0;
    bool SizeFromFile = false;  // the tool as its own host: JPEG frame header, else the EXIF dimensions
    std::string_view Separators = HostPathSeparators;
    std::string DisplayName;     // when not empty, the FileName row shows it instead of the name part of the path
    bool WithListing = false;    // fill ImageView::Listing (directory + maker-note listings)
    bool WithNumbers = false;    // fill GridRow::Numbers
    bool WithUnknownTags = false;  // EXIF rows also for the tags no table names ("Tag0xABCD")
    bool WithThumbnail = false;    // fill ImageView::Thumbnail
    bool WithComposites = false;   // fill ImageView::Composites
    bool WithFileFacts = false;    // fill ImageView::FileFacts
};

struct ImageView {
    bool Opened = false;       // the file could be opened and read (OpenImageFile's result)
    bool HasMetadata = false;  // at least one EXIF entry, IPTC dataset or XMP property was found
    std::string ErrorText;     // the reader's reason when none was
    std::vector<std::string> Notes;  // what went wrong while reading, in plain words (UTF-8)
    exif::TFileKind Kind = exif::TFileKind::Unknown;          // by the file's first bytes
    exif::TReadFailure Failure = exif::TReadFailure::None;  // why it could not be read at all
    int32_t ImageWidth = 0;    // what the ImageWidth/ImageHeight rows show
    int32_t ImageHeight = 0;
    ExifView Exif;        // as BuildExifView gives it
    IptcView Iptc;        // as BuildIptcView gives it
    XmpView Xmp;
    std::string Listing;  // only with WithListing
    std::string Thumbnail;  // only with WithThumbnail: the JPEG thumbnail's bytes (IFD1), when whole
    // Only with WithComposites: values computed from several entries (see
    // CompositeRows.h); no tab shows them and the export holds none.
    std::vector<GridRow> Composites;
    // Only with WithFileFacts: what the file holds besides its metadata
    // blocks, named as exiftool's File and JFIF groups name it (see
    // FileFacts.h); no tab shows them and the export holds none.
    std::vector<GridRow> FileFacts;
};

// The reader as this view composes it: with the maker-note registry and the
// IPTC reader (see exif::TReaderParts).
exif::TReaderParts ReaderParts();

// One open and one read of the file for both tabs, the file size and the listing.
ImageView BuildImageView(const std::string &fileName, const ViewRequest &request);

// The EXIF tab or the IPTC tab alone, each from a read of its own.
ExifView BuildExifView(const std::string &fileName, int32_t imageWidth, int32_t imageHeight,
                       std::string_view separators = HostPathSeparators);
IptcView BuildIptcView(const std::string &fileName);

// The export file: "EXIF", the EXIF rows as name=value, "UserComment=" and
// the comment, then, when the IPTC tab is visible, an empty line, "IPTC" and
// its rows, and when the XMP tab is visible, an empty line, "XMP" and its
// rows. Every line ends with CR LF. The file is Windows-1252, as the files
// exported before Unicode and the programs reading them are: a character it
// has no byte for is "?", a control character ".".
std::string ExportText(const std::vector<GridRow> &exifRows, const std::string &comment,
                       const std::vector<GridRow> *iptcRows, const std::vector<GridRow> *xmpRows = nullptr);
// The EXIF and IPTC tabs alone.
std::string ExportText(const ExifView &exif, const IptcView &iptc);
// Every tab of the view.
std::string ExportText(const ImageView &view);

// The export file name proposed for an image: its name part with the
// extension replaced by ".txt" (or ".txt" appended).
std::string ProposedExportName(std::string_view imageFileName);

}  // namespace params
