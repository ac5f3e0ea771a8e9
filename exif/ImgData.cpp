#include "exif/ImgData.h"

#include <sys/stat.h>

#include <exception>
#include <fstream>

#include "exif/TagTables.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "iptc/IptcData.h"

namespace exif {

namespace {

constexpr int MarkerSOI = 0xD8, MarkerEOI = 0xD9, MarkerSOS = 0xDA, MarkerAPP1 = 0xE1, MarkerAPP13 = 0xED,
              MarkerCOM = 0xFE;
// The fifth kept segment ends the scan of a file that showed no metadata yet.
constexpr int GiveUpAtSection = 5;

enum class FileKind { Jpeg, Tiff, Other };

std::string ExtensionOf(const std::string &fileName) {
    const size_t slash = fileName.find_last_of("\\/:");
    const std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : UpperAscii(name.substr(dot));
}

FileKind KindOf(const std::string &fileName) {
    const std::string ext = ExtensionOf(fileName);
    if (ext == ".JPG" || ext == ".JPEG" || ext == ".JPE") return FileKind::Jpeg;
    if (ext == ".TIF" || ext == ".TIFF" || ext == ".NEF") return FileKind::Tiff;
    return FileKind::Other;
}

// The signatures of the two containers: the JPEG start-of-image marker and
// the two byte orders of a TIFF header with its 42.
FileKind KindByLeadingBytes(const std::string &fileName) {
    char lead[4] = {};
    std::ifstream in(fileName, std::ios::binary);
    in.read(lead, sizeof lead);
    const std::string_view bytes(lead, static_cast<size_t>(in.gcount()));
    if (bytes.substr(0, 2) == "\xFF\xD8") return FileKind::Jpeg;
    if (bytes == std::string_view("II*\0", 4) || bytes == std::string_view("MM\0*", 4)) return FileKind::Tiff;
    return FileKind::Other;
}

}  // namespace

bool FileExists(const std::string &fileName) {
    struct stat st {};
    return !fileName.empty() && stat(fileName.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFREG;
}

TimgData::TimgData(int32_t buildMode) : BuildMode(buildMode) {
    ClearContainer();
}

TimgData::~TimgData() = default;

void TimgData::ClearContainer() {
    SectionCount = 0;
    ExifSection = IptcSection = CommentSection = 0;
    ErrorText.clear();
    Exif.reset();
    Iptc.reset();
    BigEndian = false;
}

bool TimgData::OpenImageFile(const std::string &fileName) {
    ClearContainer();
    if (!FileExists(fileName)) return false;
    ErrorText = "Not an EXIF file";
    FileKind kind = KindOf(fileName);
    if (kind == FileKind::Other && KindByContent) kind = KindByLeadingBytes(fileName);
    if (kind == FileKind::Other) return false;
    bool ok = false;
    try {
        std::ifstream in(fileName, std::ios::binary);
        if (!in) throw ExifError("Cannot open file " + fileName);
        try {
            ok = kind == FileKind::Jpeg ? ScanJpegSegments(in) : ReadTiffStream(in);
        } catch (const std::exception &) {
            ok = false;  // ErrorText keeps what the read had set
        }
    } catch (const std::exception &) {
        ErrorText = "Illegal Exif construction";
        return false;
    }
    if (ok) ErrorText = "<none>";
    return ok;
}

// ------------------------------------------------------------------ JPEG scan

bool TimgData::ScanJpegSegments(std::istream &in) {
    if (in.get() != 0xFF || in.get() != MarkerSOI) return false;
    SectionCount = 0;
    while (SectionCount < MaxSections) {
        // Fill bytes 0xFF are skipped; the byte before a marker need not be 0xFF.
        int marker = 0;
        do {
            marker = in.get();
        } while (marker == 0xFF);
        if (marker == std::char_traits<char>::eof()) break;
        if (!ReadSegment(in, marker)) break;
        if (SectionCount == GiveUpAtSection && !HasAnySegment()) break;
        if (marker == MarkerEOI || marker == MarkerSOS) break;
        ClassifySegment();
    }
    return HasAnySegment();
}

// Reads the length and payload of a segment into the next slot. A length
// below 2 or a segment cut short by the end of the file ends the scan.
bool TimgData::ReadSegment(std::istream &in, int32_t marker) {
    const int high = in.get(), low = in.get();
    if (low == std::char_traits<char>::eof()) return false;
    const int32_t length = high * 256 + low;
    if (length < 2) return false;
    tSection &s = Sections[static_cast<size_t>(SectionCount + 1)];
    s.Marker = marker;
    s.SegmentLength = length;
    s.Bytes.assign(static_cast<size_t>(length), '\0');
    s.Bytes[0] = static_cast<char>(high);
    s.Bytes[1] = static_cast<char>(low);
    in.read(s.Bytes.data() + 2, length - 2);
    if (in.gcount() != length - 2) return false;
    ++SectionCount;
    return true;
}

void TimgData::ClassifySegment() {
    const tSection &s = Sections[static_cast<size_t>(SectionCount)];
    switch (s.Marker) {
        case MarkerAPP1:
            // The first APP1 among the first five segments is the EXIF segment,
            // whatever it holds; any other APP1 gives its slot back.
            if (SectionCount <= GiveUpAtSection && ExifSection == 0) {
                ExifSection = SectionCount;
                Exif = std::make_unique<TImageInfo>(this, BuildMode, false);
                SetBuffer(s.Bytes);
                ReadExifSegment();
            } else {
                --SectionCount;
            }
            break;
        case MarkerAPP13:
            if (IptcSection == 0) {
                IptcSection = SectionCount;
                Iptc = std::make_unique<TIPTCdata>(this);
            }
            break;
        case MarkerCOM:
            CommentSection = SectionCount;
            break;
        default:
            break;
    }
}

// An EXIF APP1 payload: "Exif" 0 0, then a TIFF header at position 9 (byte
// order mark, 42, offset of the first directory).
void TimgData::ReadExifSegment() {
    if (!Exif) Exif = std::make_unique<TImageInfo>(this, BuildMode, false);
    if (Region(3, 5) != std::string("Exif\0", 5)) {
        ErrorText = "Incorrect Exif header";
        return;
    }
    const std::string mark = Region(9, 2);
    if (mark == "II")
        BigEndian = false;
    else if (mark == "MM")
        BigEndian = true;
    else {
        ErrorText = "Invalid Exif alignment marker";
        return;
    }
    Exif->DumpText.clear();
    Exif->SetBuffer(Buffer);
    Exif->BigEndian = BigEndian;
    const int32_t offset = ReadLong(13);
    const Pos start = offset == 0 ? 17 : Pos{offset} + 9;
    const int32_t length = Sections[static_cast<size_t>(ExifSection)].SegmentLength;
    Exif->WalkDirectory(start, 9, length - 6, KindMain);
    AddFocalLength35(*Exif);
}

// ----------------------------------------------------------------- TIFF files

// The block holds the file's bytes from offset 8 on, so a file offset X is
// position X - 7.
bool TimgData::ReadTiffStream(std::istream &in) {
    char header[8] = {};
    in.read(header, 2);
    const std::string mark(header, 2);
    if (in.gcount() != 2 || (mark != "II" && mark != "MM")) return false;
    in.read(header + 2, 6);

    tSection &block = Sections[1];
    block.Bytes.assign(static_cast<size_t>(TiffBlockSize), '\0');
    in.read(block.Bytes.data(), TiffBlockSize);
    block.Bytes.resize(static_cast<size_t>(in.gcount()));
    SectionCount = 1;
    ExifSection = 1;

    Exif = std::make_unique<TImageInfo>(this, BuildMode, true);
    Exif->DumpText.clear();
    SetBuffer(block.Bytes);
    Exif->SetBuffer(block.Bytes);
    Exif->BigEndian = mark == "MM";

    // The first directory is where the header says; writers often put it
    // after the image data.
    const int32_t firstOffset = OrderedInt(*Exif, std::string_view(header + 4, 4));
    const Pos start = firstOffset < 8 ? 1 : Pos{firstOffset} - 7;
    Exif->WalkDirectory(start, -7, TiffBlockSize, KindMain);
    AddFocalLength35(*Exif);
    return true;
}

}  // namespace exif
