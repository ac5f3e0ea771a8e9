// The parser-level targets: the JPEG scan, the TIFF-structured read, the
// maker-note walk and the IPTC segment parse.
#include <algorithm>
#include <exception>
#include <string>
#include <string_view>

#include "dialog/ParamsRows.h"
#include "exif/ImgData.h"
#include "fuzz/FuzzChecks.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/MakerNoteInput.h"
#include "iptc/IptcData.h"
#include "makernotes/MakerNoteData.h"

namespace fuzz {

using fuzzcheck::CheckEntryStore;
using fuzzcheck::CheckIptcEntries;
using fuzzcheck::Expect;

namespace {

std::string_view View(const uint8_t *data, size_t size) {
    return {reinterpret_cast<const char *>(data), size};
}


constexpr int MarkerAPP1 = 0xE1, MarkerAPP13 = 0xED, MarkerCOM = 0xFE;

// Kept segments: within the slots, each one whole or its first bytes, its
// length bytes saying its size, found in the file in scan order, and the
// numbers of the EXIF, IPTC and comment segments naming whole segments of the
// right kind.
void CheckSections(const exif::TimgData &img, std::string_view file) {
    Expect(img.SectionCount >= 0 && img.SectionCount <= exif::TimgData::MaxSections, "section count within the slots");
    size_t from = 0;
    for (int i = 1; i <= img.SectionCount; ++i) {
        const exif::tSection &s = img.Section(i);
        const auto length = static_cast<size_t>(s.SegmentLength);
        Expect(s.SegmentLength >= 2 && (length == s.Bytes.size() ||
                                        s.Bytes.size() == std::min(length, 2 + exif::TimgData::SegmentPrefix)),
               "a segment is kept whole or its first bytes");
        Expect(exif::tEndInd::ByteOf(s.Bytes, 1) * 256 + exif::tEndInd::ByteOf(s.Bytes, 2) == s.SegmentLength,
               "segment length bytes say its length");
        const size_t at = file.find(s.Bytes, from);
        Expect(at != std::string_view::npos, "kept segments are the file's, in file order");
        from = at + s.Bytes.size();
    }
    const auto names = [&](int32_t number, int marker) {
        return number == 0 || (number >= 1 && number <= img.SectionCount && img.Section(number).Marker == marker &&
                               img.Section(number).Bytes.size() == static_cast<size_t>(img.Section(number).SegmentLength));
    };
    Expect(names(img.ExifSection, MarkerAPP1), "EXIF segment is an APP1 segment");
    Expect(names(img.IptcSection, MarkerAPP13), "IPTC segment is an APP13 segment");
    Expect(names(img.CommentSection, MarkerCOM), "comment segment is a COM segment");
    Expect(!img.HasExifSegment() || img.ExifInfo() != nullptr, "an EXIF segment has its directory set");
    Expect(!img.HasIptcSegment() || img.IptcInfo() != nullptr, "an IPTC segment has its IPTC object");
}

void CheckContainer(const exif::TimgData &img) {
    if (const exif::TImageInfo *info = img.ExifInfo()) CheckEntryStore(*info);
    if (iptc::TIPTCdata *data = img.IptcInfo()) {
        data->ParseOwnerSegment();
        CheckIptcEntries(*data, img.IptcSectionPtr()->Bytes);
    }
}

}  // namespace

void JpegScan(const uint8_t *data, size_t size) {
    const std::string_view file = View(data, size);
    // The containers read as the dialog's do: with the maker-note registry
    // and the IPTC reader.
    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    exif::TInput in(file);
    try {
        img.ScanJpegSegments(in);
    } catch (const std::exception &) {
        // A failed read is a result like any other; what was kept is checked.
    }
    CheckSections(img, file);
    CheckContainer(img);
}

void TiffRead(const uint8_t *data, size_t size) {
    const std::string_view file = View(data, size);
    // The containers read as the dialog's do: with the maker-note registry
    // and the IPTC reader.
    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    bool read = false;
    try {
        read = img.ReadTiffBytes(file);
    } catch (const std::exception &) {
    }
    if (read) {
        Expect(img.SectionCount == 1 && img.Section(1).Bytes == file.substr(std::min<size_t>(8, file.size())),
               "the block is the file from offset 8");
    }
    CheckContainer(img);
}

void MakerNote(const uint8_t *data, size_t size) {
    const TMakerNoteInput input = SplitMakerNoteInput(View(data, size));
    if (input.Make.empty()) return;
    exif::TimgData img;  // only the enclosing bytes' owner
    img.SetBuffer(input.Enclosing);
    exif::TImageInfo info(&img, exif::BuildAll, (input.Flags & NoteFromTiff) != 0);
    info.SetBuffer(input.Enclosing);
    info.BigEndian = (input.Flags & NoteBigEndian) != 0;
    info.CameraMake = std::string(input.Make);
    info.CameraModel = (input.Flags & NoteDSeriesModel) ? "NIKON D70" : "E950";
    if (input.Flags & NoteExifVersion) info.ExifVersionText = "0220";
    info.MakerNoteBytes = std::string(input.Note);
    info.MakerNotePosition = static_cast<exif::Pos>(input.Offset) + 1;
    try {
        makernotes::TmsInfo(info.FromTiff, &info).DecodeMakerNote(info);
    } catch (const std::exception &) {
    }
    Expect(info.GetBuffer().data() == input.Enclosing.data(), "the maker-note walk gives the buffer back");
    Expect(info.BigEndian == ((input.Flags & NoteBigEndian) != 0), "the maker-note walk gives the byte order back");
    CheckEntryStore(info);
    fuzzcheck::CheckTerminalText(info.MakerDumpText, "maker-note listing");
    for (int32_t i = 0; i < info.EntryCount(); ++i)
        Expect(info.EntryAt(i).MakerNote == 1, "a maker-note walk stores maker-note entries only");
}

void IptcSegment(const uint8_t *data, size_t size) {
    const std::string_view segment = View(data, size);
    iptc::TIPTCdata parsed(nullptr);
    parsed.ParseSegment(segment);
    CheckIptcEntries(parsed, segment);
    // A second parse starts afresh.
    const int32_t count = parsed.EntryCount();
    parsed.ParseSegment(segment);
    Expect(parsed.EntryCount() == count, "parsing a segment again gives the same entries");
}

}  // namespace fuzz
