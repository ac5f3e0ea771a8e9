#include "dialog/ParamsRows.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "bytes/FileSource.h"
#include "bytes/Unicode.h"
#include "dialog/CompositeRows.h"
#include "dialog/FileFacts.h"
#include "dialog/XmpRows.h"
#include "exif/ImgData.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "iptc/IptcData.h"
#include "makernotes/MakerNoteData.h"

namespace params {

namespace {

const std::string FileSourceName = "FileSource";
const std::string SceneTypeName = "SceneType";
const std::string UserCommentName = "UserComment";

std::string DecimalText(int32_t v) {
    return exif::IntText(v);
}

void AddLine(std::string &out, std::string_view line) {
    out += line;
    out += "\r\n";
}

// A text as the export file holds it: Windows-1252, "?" for a character the
// code page lacks, and a control character as "." so that every value stays
// on its line.
// Control characters, DEL among them, would break the file's lines or show
// as boxes in an editor: each becomes a dot.
void AddExportText(std::string &out, std::string_view utf8) {
    // Printable ASCII, nearly every name and value, is the same bytes.
    if (exif::PrintableAsciiEnd(utf8, 0) == utf8.size()) {
        out += utf8;
        return;
    }
    std::string text = exif::CleanText(exif::Utf8ToWindows1252(utf8));
    std::replace(text.begin(), text.end(), '\x7F', '.');
    out += text;
}

void AddRows(std::string &out, const std::vector<GridRow> &rows) {
    size_t size = out.size();
    for (const GridRow &row : rows) size += row.Name.size() + row.Value.size() + 3;
    out.reserve(size);
    for (const GridRow &row : rows) {
        AddExportText(out, row.Name);
        out += '=';
        AddExportText(out, row.Value);
        out += "\r\n";
    }
}

// A platform text box shows its text up to the first zero byte.
std::string TextBoxText(const std::string &text) {
    return text.substr(0, text.find('\0'));
}

}  // namespace

std::string NamePart(std::string_view fileName, std::string_view separators) {
    const size_t at = fileName.find_last_of(separators);
    return std::string(at == std::string_view::npos ? fileName : fileName.substr(at + 1));
}

namespace {

std::string_view WithoutQuotes(std::string_view text) {
    if (!text.empty() && text.front() == '"' && text.back() == '"')
        return text.size() < 2 ? std::string_view() : text.substr(1, text.size() - 2);
    return text;
}

}  // namespace

std::string StripQuotes(std::string_view text) {
    return std::string(WithoutQuotes(text));
}

std::string KilobytesText(uint64_t bytes) {
    // size / 1024 to two decimals, halves away from zero, in exact integers.
    const uint64_t hundredths = (bytes * 100 + 512) / 1024;
    std::string cents = exif::IntText(static_cast<int64_t>(hundredths % 100));
    if (cents.size() < 2) cents.insert(0, "0");
    return exif::IntText(static_cast<int64_t>(hundredths / 100)) + std::string(exif::DecimalSeparator()) + cents + " Kb";
}

std::string FileSizeText(const std::string &fileName) {
    uint64_t size = 0;  // stays 0 for a file that cannot be read
    exif::TFileSource::SizeOf(fileName, size);
    return KilobytesText(size);
}

std::string ExifCellValue(const exif::TTagEntry &entry) {
    const int first = entry.Raw.empty() ? -1 : static_cast<unsigned char>(entry.Raw[0]);
    if (entry.Name == FileSourceName) return first == 3 ? "Digital Still Camera" : "Unknown";
    if (entry.Name == SceneTypeName) return first == 1 ? "Directly Photographed" : "Unknown";
    return std::string(WithoutQuotes(exif::TrimmedView(entry.Value)));
}

namespace {

// ExifCellValue, moving the entry's value when it is shown whole.
void TakeCellValue(exif::TTagEntry &entry, std::string &cell) {
    if (entry.Name == FileSourceName || entry.Name == SceneTypeName) {
        cell = ExifCellValue(entry);
        return;
    }
    const std::string_view shown = WithoutQuotes(exif::TrimmedView(entry.Value));
    if (shown.size() == entry.Value.size())
        cell = std::move(entry.Value);
    else
        cell = shown;
}

// Acting as its own host, the tool takes the image's dimensions from its
// frame header or its container's record of them, else from what the EXIF
// data recorded.
void SizeFromFile(const exif::TimgData &img, int32_t &width, int32_t &height) {
    width = height = 0;
    if (img.HasFrameHeader()) {
        // length (2), precision (1), height (2), width (2)
        const exif::tSection &s = img.Section(img.FrameSection);
        height = exif::tEndInd::ByteOf(s.Bytes, 4) * 256 + exif::tEndInd::ByteOf(s.Bytes, 5);
        width = exif::tEndInd::ByteOf(s.Bytes, 6) * 256 + exif::tEndInd::ByteOf(s.Bytes, 7);
        return;
    }
    if (img.ContainerImageWidth() > 0 && img.ContainerImageHeight() > 0) {
        width = static_cast<int32_t>(std::min<uint32_t>(img.ContainerImageWidth(), INT32_MAX));
        height = static_cast<int32_t>(std::min<uint32_t>(img.ContainerImageHeight(), INT32_MAX));
        return;
    }
    if (const exif::TImageInfo *info = img.ExifInfo()) {
        // A TIFF-structured file is its main image; an EXIF block's pixel
        // size may be a camera original's the file was made from.
        const bool main = info->FromTiff && info->MainWidth > 0;
        width = main ? info->MainWidth : info->WidthValue;
        height = main ? info->MainHeight : info->HeightValue;
    }
}

// An entry of the thumbnail's directory or of a raw's other images.
bool OfOtherImage(const exif::TTagEntry &entry) {
    return entry.Directory == "IFD1" || entry.Directory.starts_with("SubIFD");
}

ExifView ExifViewOf(const exif::TimgData &img, bool opened, const std::string &fileName, const ViewRequest &request,
                    int32_t width, int32_t height) {
    ExifView view;
    if (!opened || !img.HasExifSegment()) {
        view.Rows.resize(1);
        return view;
    }
    // A Linux file name is bytes, UTF-8 as a rule.
    const std::string name =
        exif::TextOfBytes(request.DisplayName.empty() ? NamePart(fileName, request.Separators) : request.DisplayName);
    view.Rows = {
        {"FileName", name},
        {"FileSize", KilobytesText(img.FileSize)},
        {"ImageWidth", DecimalText(width)},
        {"ImageHeight", DecimalText(height)},
    };
    if (request.WithNumbers) {
        view.Rows[1].Numbers = {static_cast<int64_t>(img.FileSize)};
        view.Rows[2].Numbers = {int64_t{width}};
        view.Rows[3].Numbers = {int64_t{height}};
    }
    // A JPEG's comment (COM) after the file rows, when it has one.
    if (std::optional<GridRow> comment = CommentRow(img)) view.Rows.push_back(std::move(*comment));
    // The reader is dropped once the view is built: its texts are taken, not
    // copied.
    exif::TImageInfo &info = *img.ExifInfo();
    view.Rows.reserve(view.Rows.size() + static_cast<size_t>(info.EntryCount()));
    // Which entries go last, told before any entry's texts are taken.
    const std::span<exif::TTagEntry> entries = info.StoredEntries();
    std::vector<bool> last(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) last[i] = OfOtherImage(entries[i]);
    for (const bool otherImages : {false, true}) {
        for (size_t i = 0; i < entries.size(); ++i) {
            exif::TTagEntry &entry = entries[i];
            if (last[i] != otherImages) continue;
            if (entry.Name == UserCommentName) {
                if (!otherImages) view.Comment = TextBoxText(entry.Value);
                continue;
            }
            GridRow &row = view.Rows.emplace_back();
            row.MakerNote = entry.MakerNote != 0;
            if (request.WithNumbers) row.Numbers = exif::ShownNumbers(entry);
            TakeCellValue(entry, row.Value);
            row.Name = std::move(entry.Name);
            row.Group = std::move(entry.Directory);
        }
    }
    return view;
}

IptcView IptcViewOf(const exif::TimgData &img, bool opened) {
    IptcView view;
    if (!opened || !img.HasIptcSegment()) return view;
    view.Visible = true;
    iptc::TIPTCdata &data = *img.IptcInfo();
    data.ParseOwnerSegment();
    for (int32_t i = 0; i < data.EntryCount(); ++i) {
        const exif::TTagEntry entry = data.EntryAt(i);
        GridRow &row = view.Rows.emplace_back(GridRow{entry.Description, entry.Value});
        row.Items = data.ItemsAt(i);
        row.IsList = !row.Items.empty();
    }
    if (view.Rows.empty()) view.Rows.resize(1);
    return view;
}

// Why a file that was read yields no EXIF and no IPTC entry: the reader's
// own reason when it gave one, else what the segments it found held.
std::string NoMetadataReason(const exif::TimgData &img) {
    if (!img.HasExifSegment() && !img.HasIptcSegment())
        return img.ErrorText == "<none>" ? "a comment only" : img.ErrorText;
    std::string reason;
    if (img.HasExifSegment())
        reason = img.ErrorText.empty() || img.ErrorText == "<none>" ? "an EXIF block without entries" : img.ErrorText;
    if (img.HasIptcSegment()) reason += std::string(reason.empty() ? "" : "; ") + "an IPTC block without datasets";
    return reason;
}

// The listing's first lines: the kind of file, and the metadata blocks found
// in it.
std::string KindListing(const exif::TimgData &img) {
    std::string blocks;
    const auto add = [&](bool found, std::string_view name) {
        if (found) blocks += std::string(blocks.empty() ? "" : ", ") + std::string(name);
    };
    add(img.HasExifSegment(), "EXIF");
    add(img.HasIptcSegment(), "IPTC");
    add(!img.XmpBlock.empty(), "XMP");
    add(img.HasIcc, "ICC profile");
    add(img.HasComment || img.CommentSection != 0, "comment");
    return "\r\nFile type = " + std::string(containers::FileTypeName(img.Kind)) +
           "\r\nMetadata blocks = " + (blocks.empty() ? std::string("none") : blocks);
}

}  // namespace

exif::TReaderParts ReaderParts() {
    return {makernotes::IdentifyMakerNote, iptc::TIPTCdata::MakeFor};
}

ImageView BuildImageView(const std::string &fileName, const ViewRequest &request) {
    ImageView view;
    // The listings are text nobody reads unless asked for.
    exif::TimgData img((request.WithListing ? exif::BuildAll : exif::BuildEntries) |
                           (request.WithUnknownTags ? exif::BuildUnknown : 0) |
                           (request.WithThumbnail ? exif::BuildThumbnail : 0) |
                           (request.WithFileFacts ? exif::BuildIccProfile : 0),
                       ReaderParts());
    view.Opened = img.OpenImageFile(fileName);
    view.Kind = img.Kind;
    view.Failure = img.Failure;
    view.Notes = img.Notes;
    if (img.FileShrank()) view.Notes.emplace_back("the file changed while it was read: only what could be read is shown");
    if (img.FileReadLimitReached())
        view.Notes.emplace_back("the file asked for more than the " +
                                std::to_string(exif::TPagedFile::MaxCommitted / (1024 * 1024)) +
                                " MiB the reader reads of a file: what lay past it was not read");
    const bool exifEntries = img.ExifInfo() && img.ExifInfo()->EntryCount() > 0;
    if (request.WithThumbnail && img.ExifInfo()) view.Thumbnail = std::move(img.ExifInfo()->ThumbnailBytes);
    view.ImageWidth = request.ImageWidth;
    view.ImageHeight = request.ImageHeight;
    if (request.SizeFromFile) SizeFromFile(img, view.ImageWidth, view.ImageHeight);
    // The IPTC datasets are parsed when their rows are made; the computed
    // rows read the entries before the EXIF rows take their texts.
    view.Iptc = IptcViewOf(img, view.Opened);
    if (request.WithComposites && view.Opened) {
        TCompositeSources sources{view.ImageWidth, view.ImageHeight, {}, {}};
        if (const iptc::TIPTCdata *iptc = img.IptcInfo()) {
            sources.IptcDate = iptc->ValueOf("DateCreated", "");
            sources.IptcTime = iptc->ValueOf("TimeCreated", "");
        }
        const std::span<const exif::TTagEntry> entries =
            img.ExifInfo() ? img.ExifInfo()->StoredEntries() : std::span<const exif::TTagEntry>();
        view.Composites = CompositeRows(entries, request.WithNumbers, sources);
    }
    view.Exif = ExifViewOf(img, view.Opened, fileName, request, view.ImageWidth, view.ImageHeight);
    if (request.WithFileFacts && view.Opened) view.FileFacts = FileFacts(img, request.WithNumbers);
    if (view.Opened) view.Xmp = XmpViewOf(img.XmpBlock, img.ExtendedXmpParts, view.Notes, img.LaterXmpBlocks);
    view.HasMetadata =
        exifEntries || (img.IptcInfo() && img.IptcInfo()->EntryCount() > 0) || HasProperties(view.Xmp);
    if (!view.HasMetadata) view.ErrorText = NoMetadataReason(img);
    if (request.WithListing) {
        view.Listing = KindListing(img);
        if (const exif::TImageInfo *info = img.ExifInfo()) view.Listing += info->DumpText + info->MakerDumpText;
    }
    return view;
}

ExifView BuildExifView(const std::string &fileName, int32_t imageWidth, int32_t imageHeight,
                       std::string_view separators) {
    ViewRequest request;
    request.ImageWidth = imageWidth;
    request.ImageHeight = imageHeight;
    request.Separators = separators;
    return BuildImageView(fileName, request).Exif;
}

IptcView BuildIptcView(const std::string &fileName) {
    return BuildImageView(fileName, {}).Iptc;
}

std::string ExportText(const std::vector<GridRow> &exifRows, const std::string &comment,
                       const std::vector<GridRow> *iptcRows, const std::vector<GridRow> *xmpRows) {
    std::string out;
    AddLine(out, "EXIF");
    AddRows(out, exifRows);
    out += "UserComment=";
    AddExportText(out, comment);
    out += "\r\n";
    for (const auto &[title, rows] : {std::pair{"IPTC", iptcRows}, std::pair{"XMP", xmpRows}}) {
        if (!rows) continue;
        AddLine(out, "");
        AddLine(out, title);
        AddRows(out, *rows);
    }
    return out;
}

std::string ExportText(const ExifView &exif, const IptcView &iptc) {
    return ExportText(exif.Rows, exif.Comment, iptc.Visible ? &iptc.Rows : nullptr);
}

std::string ExportText(const ImageView &view) {
    return ExportText(view.Exif.Rows, view.Exif.Comment, view.Iptc.Visible ? &view.Iptc.Rows : nullptr,
                      view.Xmp.Visible ? &view.Xmp.Rows : nullptr);
}

std::string ProposedExportName(std::string_view imageFileName) {
    std::string name = NamePart(imageFileName);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name + ".txt";
}

}  // namespace params
