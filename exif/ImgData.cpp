#include "exif/ImgData.h"

#include <sys/stat.h>

#include <algorithm>
#include <exception>
#include <fstream>
#include <iterator>

#include "containers/EmbeddedJpeg.h"
#include "containers/Photoshop.h"
#include "exif/FocalLength35.h"
#include "exif/TagTables.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"

namespace exif {

namespace {

constexpr int MarkerSOI = 0xD8, MarkerEOI = 0xD9, MarkerSOS = 0xDA, MarkerAPP1 = 0xE1, MarkerAPP2 = 0xE2,
              MarkerAPP13 = 0xED, MarkerCOM = 0xFE;
constexpr std::string_view ExifHeader = "Exif", PhotoshopHeader("Photoshop 3.0\0", 14);
// An ICC profile in a JPEG: APP2 segments of this header, the chunk's
// number (from 1) and the chunk count, then the profile's bytes in order.
constexpr std::string_view IccChunkHeader("ICC_PROFILE\0", 12);
constexpr size_t IccChunkPrefix = 14;
// XMP in a JPEG: the main packet in one APP1, and the part of a packet too
// large for one segment (Extended XMP) in APP1 segments of their own.
constexpr std::string_view XmpHeader("http://ns.adobe.com/xap/1.0/\0", 29),
    ExtendedXmpHeader("http://ns.adobe.com/xmp/extension/\0", 35);

bool IsFrameHeader(int marker) {
    // SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// A segment's payload after its two length bytes.
std::string_view PayloadOf(const tSection &s) {
    return s.Bytes.substr(std::min<size_t>(2, s.Bytes.size()));
}

}  // namespace

bool FileExists(const std::string &fileName) {
    struct stat st {};
    return !fileName.empty() && stat(fileName.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFREG;
}

TimgData::TimgData(int32_t buildMode, const TReaderParts &parts) : Parts(parts), BuildMode(buildMode) {
    ClearContainer();
}

TimgData::~TimgData() = default;

void TimgData::ClearContainer() {
    SectionCount = 0;
    ExifSection = IptcSection = CommentSection = FrameSection = 0;
    Sections.assign(1, tSection{});
    SegmentStore.clear();
    ErrorText.clear();
    Exif.reset();
    Iptc.reset();
    BigEndian = false;
    SetBuffer(std::string_view());
    SetLoader(nullptr);
    FileSize = 0;
    JpegBytesRead = 0;
    Kind = TFileKind::Unknown;
    Failure = TReadFailure::None;
    IptcBlock = XmpBlock = {};
    LaterXmpBlocks.clear();
    LaterXmpPassedOver = false;
    XmpSection = 0;
    ExtendedXmpParts.clear();
    HasIcc = HasComment = false;
    IccBlock = {};
    Notes.clear();
    Container = {};
    Paged.reset();
    File.reset();
}

// The first bytes decide how a file is read, whatever its name says: a
// HEIC named .jpg reads as HEIC.
bool TimgData::OpenImageFile(const std::string &fileName) {
    ClearContainer();
    bool ok = false;
    try {
        File = std::make_unique<TFileSource>();
        // Opening tests existence: only a file that cannot be opened (or is
        // not a regular one) is asked whether it exists, which decides its
        // error text.
        if (!File->Open(fileName)) {
            if (!FileExists(fileName)) {
                Failure = TReadFailure::Missing;
                File.reset();
                return false;
            }
            Failure = TReadFailure::CannotOpen;
            ErrorText = "Not an EXIF file";
            throw ExifError("Cannot open file " + fileName);
        }
        ErrorText = "Not an EXIF file";
        FileSize = File->Size();
        TInput in(*File);
        Kind = FileTypeOfContent(in.Peek());
        if (Kind == TFileKind::Unknown) {
            // An empty file is of no kind: it holds nothing to read.
            Failure = FileSize == 0 ? TReadFailure::Damaged : TReadFailure::UnknownKind;
            return false;
        }
        try {
            ok = ReadOpenedFile(in);
        } catch (const std::exception &) {
            ok = false;  // ErrorText keeps what the read had set
        }
    } catch (const std::exception &) {
        ErrorText = "Illegal Exif construction";
        return false;
    }
    if (ok) ErrorText = "<none>";
    if (!ok && Failure == TReadFailure::None) Failure = TReadFailure::Damaged;
    return ok;
}

bool TimgData::ReadOpenedFile(TInput &in) {
    if (Kind == TFileKind::Jpeg) {
        const bool found = ScanJpegSegments(in);
        JpegBytesRead = in.BytesRead();
        return found;
    }
    Paged = std::make_unique<TPagedFile>(*File);
    if (!Paged->Reserve()) return false;
    Paged->Preload(in.Peek());
    // ORF and RW2 are TIFF structures under another magic number.
    if (Kind == TFileKind::Tiff || Kind == TFileKind::Orf || Kind == TFileKind::Rw2)
        return ReadTiffBytes(Paged->Bytes(), Paged.get());
    return ReadContainer();
}

// A TIFF-structured file keeps IPTC datasets in a tag of their own, or in
// the Photoshop image resources of another, and its XMP packet in a third.
void TimgData::TakeTiffBlocks() {
    IptcBlock = Exif->IptcBytes;
    if (IptcBlock.empty() && !Exif->PhotoshopBytes.empty()) {
        tEndInd view;
        view.SetBuffer(Exif->PhotoshopBytes);
        const containers::TByteReader resources(view);
        for (const containers::TPhotoshopResource &r :
             containers::FindPhotoshopResources(resources, 0, resources.Size()).Found)
            if (r.Id == containers::PhotoshopIptcId) {
                IptcBlock = r.Data;
                break;
            }
    }
    XmpBlock = Exif->XmpBytes;
    Notes.insert(Notes.end(), Exif->BlocksLeftOut.begin(), Exif->BlocksLeftOut.end());
    if (!IptcBlock.empty() && Parts.MakeIptc) Iptc = Parts.MakeIptc(*this);
}

// ------------------------------------------------------------ other containers

// The container's reader finds the blocks; the EXIF ones are walked here,
// the IPTC one read by the IPTC reader, the XMP one kept for its reader.
bool TimgData::ReadContainer() {
    tEndInd whole;
    whole.SetBuffer(Paged->Bytes());
    whole.SetLoader(Paged.get());
    Container = containers::ReadContainer(Kind, containers::TByteReader(whole));
    Notes = Container.Notes;
    std::vector<containers::TBlock> exif;
    for (const containers::TBlock &block : Container.Blocks) {
        switch (block.Kind) {
            case containers::TBlockKind::Exif:
                exif.push_back(block);
                break;
            case containers::TBlockKind::Iptc:
                if (IptcBlock.empty()) IptcBlock = block.Bytes;
                break;
            case containers::TBlockKind::Xmp:
                if (XmpBlock.empty())
                    XmpBlock = block.Bytes;
                else
                    KeepLaterXmp(block.Bytes);
                break;
            case containers::TBlockKind::Icc:
                HasIcc = true;
                if (IccBlock.empty()) IccBlock = block.Bytes;
                break;
            case containers::TBlockKind::Comment:
                HasComment = true;
                break;
        }
    }
    if (!exif.empty()) WalkExifBlocks(exif);
    if (!IptcBlock.empty() && Parts.MakeIptc) Iptc = Parts.MakeIptc(*this);
    return HasAnySegment();
}

// The blocks are walked as one file's directories: the main directory first
// (its Make identifies the maker note), the maker note last.
void TimgData::WalkExifBlocks(const std::vector<containers::TBlock> &blocks) {
    Exif = std::make_unique<TImageInfo>(this, BuildMode, false, Parts.IdentifyMakerNote);
    Exif->DumpText.clear();
    Sections.resize(blocks.size() + 1);
    for (const containers::TBlock &block : blocks) {
        ++SectionCount;
        Sections[static_cast<size_t>(SectionCount)].Bytes = block.Bytes;
    }
    ExifSection = 1;
    for (const containers::TExifRole role : {containers::TExifRole::Main, containers::TExifRole::ExifIfd,
                                             containers::TExifRole::Gps, containers::TExifRole::MakerNote})
        for (const containers::TBlock &block : blocks)
            if (block.Role == role) WalkExifBlock(block);
    AddFocalLength35(*Exif);
}

// A block begins with its TIFF header; its offsets count from there, so
// offset X is position X + 1.
void TimgData::WalkExifBlock(const containers::TBlock &block) {
    SetBuffer(block.Bytes);
    Exif->SetBuffer(block.Bytes);
    const std::string_view mark = Region(1, 2);
    if (mark != "II" && mark != "MM") {
        ErrorText = "Invalid Exif alignment marker";
        return;
    }
    BigEndian = Exif->BigEndian = mark == "MM";
    const uint32_t first = Exif->ReadOffset(5);
    const Pos start = Pos{first} + 1;
    const auto size = static_cast<int64_t>(block.Bytes.size());
    try {
        switch (block.Role) {
            case containers::TExifRole::MakerNote:
                Exif->DecodeMakerNote(block.Bytes.substr(std::min<size_t>(first, block.Bytes.size())), first);
                break;
            case containers::TExifRole::Gps:
                Exif->WalkDirectory(start, 1, size, KindGps);
                break;
            case containers::TExifRole::ExifIfd:
                Exif->WalkDirectory(start, 1, size, KindMain, "ExifIFD");
                break;
            default:
                Exif->WalkDirectory(start, 1, size, KindMain);
                break;
        }
    } catch (const std::exception &) {
        // What the block gave so far stays; the next block is walked.
    }
}

// ------------------------------------------------------------------ JPEG scan

// The whole header is scanned up to the start of the image data, so that
// metadata stands wherever a writer put it (colour-managed exports put three
// ICC chunks before the EXIF segment); the scan is bounded by the segment
// count and the fill allowance, and segments no reader wants are passed over
// unread. The EXIF walk and the IPTC reader run once the segments are known.
bool TimgData::ScanJpegSegments(TInput &in) {
    if (in.Get() != 0xFF || in.Get() != MarkerSOI) return false;
    SectionCount = 0;
    size_t fillLeft = FillAllowance;
    int scanned = 0;
    while (scanned++ < MaxSections) {
        // Fill bytes 0xFF are skipped; the byte before a marker need not be 0xFF.
        int marker = in.Get();
        if (marker == 0xFF) {
            fillLeft -= in.Skip(0xFF, fillLeft);
            marker = in.Get();
            if (marker == 0xFF) break;  // more fill than allowed
        }
        if (marker < 0) break;
        if (!ReadSegment(in, marker)) break;
        if (marker == MarkerEOI || marker == MarkerSOS) break;
        ClassifySegment();
    }
    if (ExifSection != 0) {
        SetBuffer(Sections[static_cast<size_t>(ExifSection)].Bytes);
        ReadExifSegment();
    }
    if (IptcSection != 0 && Parts.MakeIptc) Iptc = Parts.MakeIptc(*this);
    return HasAnySegment();
}

// Reads the length and payload of a segment into the next slot: the whole
// payload when a reader wants it, else its first bytes. A length below 2 or a
// segment cut short by the end of the file ends the scan.
bool TimgData::ReadSegment(TInput &in, int32_t marker) {
    const int high = in.Get(), low = in.Get();
    if (low < 0) return false;
    const int32_t length = high * 256 + low;
    if (length < 2) return false;
    const auto payload = static_cast<size_t>(length - 2);
    std::string bytes;
    bytes += static_cast<char>(high);
    bytes += static_cast<char>(low);
    const size_t prefix = std::min(payload, SegmentPrefix);
    if (in.AppendTo(bytes, prefix) != prefix) return false;
    const size_t rest = payload - prefix;
    if (Wanted(marker, std::string_view(bytes).substr(2))) {
        bytes.reserve(static_cast<size_t>(length));
        if (in.AppendTo(bytes, rest) != rest) return false;
    } else if (in.Discard(rest) != rest) {
        return false;
    }
    if (Sections.size() < static_cast<size_t>(SectionCount) + 2) Sections.resize(static_cast<size_t>(SectionCount) + 2);
    tSection &s = Sections[static_cast<size_t>(SectionCount) + 1];
    s.Marker = marker;
    s.SegmentLength = length;
    s.Bytes = SegmentStore.emplace_back(std::move(bytes));
    ++SectionCount;
    return true;
}

// Kept whole: the first APP1 and the first that is EXIF, the first APP13 and
// the first Photoshop one, every comment (the last one counts), the first
// frame header.
bool TimgData::Wanted(int32_t marker, std::string_view prefix) const {
    const auto current = [&](int32_t number) -> std::string_view {
        return number == 0 ? std::string_view() : PayloadOf(Sections[static_cast<size_t>(number)]);
    };
    switch (marker) {
        case MarkerAPP1:
            return ExifSection == 0 || (!current(ExifSection).starts_with(ExifHeader) && prefix.starts_with(ExifHeader)) ||
                   (prefix.starts_with(XmpHeader) && LaterXmpBlocks.size() < MaxLaterXmpPackets) ||
                   (ExtendedXmpParts.size() < MaxExtendedXmpParts &&
                    prefix.starts_with(ExtendedXmpHeader));
        case MarkerAPP13:
            return IptcSection == 0 ||
                   (!current(IptcSection).starts_with(PhotoshopHeader) && prefix.starts_with(PhotoshopHeader));
        case MarkerCOM:
            return true;
        case MarkerAPP2:
            return (BuildMode & BuildIccProfile) != 0 && IccBlock.empty() && prefix.starts_with(IccChunkHeader) &&
                   prefix.size() > IccChunkPrefix && prefix[12] == 1;
        default:
            return IsFrameHeader(marker) && !HasFrameHeader();
    }
}

void TimgData::ClassifySegment() {
    const tSection &s = Sections[static_cast<size_t>(SectionCount)];
    switch (s.Marker) {
        case MarkerAPP1:
            // The first APP1 is the EXIF segment, whatever it holds. Editors
            // write XMP first, so a later "Exif" APP1 takes over from one
            // that is not EXIF; the other stays a kept segment. The XMP
            // packets and the Extended XMP parts are kept too. Any other
            // APP1 gives its slot back.
            if (ExifSection == 0 || Replaces(ExifSection, ExifHeader, s)) ExifSection = SectionCount;
            if (XmpSection == 0 && PayloadOf(s).starts_with(XmpHeader)) {
                XmpSection = SectionCount;
                XmpBlock = PayloadOf(s).substr(XmpHeader.size());
            } else if (PayloadOf(s).starts_with(XmpHeader) && KeepLaterXmp(PayloadOf(s).substr(XmpHeader.size()))) {
                // kept whole: a later packet
            } else if (PayloadOf(s).starts_with(ExtendedXmpHeader) && ExtendedXmpParts.size() < MaxExtendedXmpParts) {
                ExtendedXmpParts.push_back(PayloadOf(s));
            } else if (ExifSection != SectionCount) {
                GiveSlotBack();
            }
            break;
        case MarkerAPP13:
            // Likewise the first APP13, or the first Photoshop one after it.
            if (IptcSection == 0 || Replaces(IptcSection, PhotoshopHeader, s)) IptcSection = SectionCount;
            break;
        case MarkerAPP2:
            // The profile's first chunk, when it was kept whole: its header
            // and, as a rule, its tag table and description.
            if (IccBlock.empty() && PayloadOf(s).starts_with(IccChunkHeader) &&
                s.Bytes.size() == static_cast<size_t>(s.SegmentLength) && PayloadOf(s).size() > IccChunkPrefix &&
                PayloadOf(s)[12] == 1)
                IccBlock = PayloadOf(s).substr(IccChunkPrefix);
            break;
        case MarkerCOM:
            // Only the last comment is shown: an earlier one keeps its first bytes.
            if (CommentSection != 0) ShortenSection(CommentSection);
            CommentSection = SectionCount;
            break;
        default:
            if (IsFrameHeader(s.Marker) && FrameSection == 0) FrameSection = SectionCount;
            break;
    }
}

bool TimgData::KeepLaterXmp(std::string_view packet) {
    if (LaterXmpBlocks.size() < MaxLaterXmpPackets) {
        LaterXmpBlocks.push_back(packet);
        return true;
    }
    if (!LaterXmpPassedOver)
        Notes.push_back("more than " + std::to_string(MaxLaterXmpPackets + 1) + " XMP packets; the rest were not read");
    LaterXmpPassedOver = true;
    return false;
}

bool TimgData::Replaces(int32_t current, std::string_view header, const tSection &candidate) const {
    return !PayloadOf(Sections[static_cast<size_t>(current)]).starts_with(header) &&
           PayloadOf(candidate).starts_with(header);
}

void TimgData::GiveSlotBack() {
    SegmentStore.pop_back();
    --SectionCount;
}

void TimgData::ShortenSection(int32_t number) {
    tSection &s = Sections[static_cast<size_t>(number)];
    s.Bytes = s.Bytes.substr(0, 2 + SegmentPrefix);
}

// An EXIF APP1 payload: "Exif" 0 0, then a TIFF header at position 9 (byte
// order mark, 42, offset of the first directory).
void TimgData::ReadExifSegment() {
    Exif = std::make_unique<TImageInfo>(this, BuildMode, false, Parts.IdentifyMakerNote);
    if (Region(3, 5) != std::string_view("Exif\0", 5)) {
        ErrorText = "Incorrect Exif header";
        return;
    }
    const std::string_view mark = Region(9, 2);
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
    const uint32_t offset = ReadOffset(13);
    const Pos start = offset == 0 ? 17 : Pos{offset} + 9;
    const int32_t length = Sections[static_cast<size_t>(ExifSection)].SegmentLength;
    Exif->WalkDirectory(start, 9, length - 6, KindMain);
    AddFocalLength35(*Exif);
}

// ----------------------------------------------------------------- TIFF files

// The block holds the file's bytes from offset 8 on, so a file offset X is
// position X - 7.
bool TimgData::ReadTiffBytes(std::string_view file, const TByteLoader *loader) {
    tEndInd whole;
    whole.SetBuffer(file);
    whole.SetLoader(loader);
    const std::string_view first = whole.Region(1, 8);
    const std::string_view mark = first.substr(0, 2);
    if (mark != "II" && mark != "MM") return false;
    // A header cut short reads as zeros.
    std::array<char, 8> header{};
    first.copy(header.data(), header.size());

    Sections.resize(2);
    tSection &block = Sections[1];
    block.Bytes = file.substr(std::min<size_t>(8, file.size()));
    SectionCount = 1;
    ExifSection = 1;

    Exif = std::make_unique<TImageInfo>(this, BuildMode, true, Parts.IdentifyMakerNote);
    Exif->DumpText.clear();
    SetBuffer(block.Bytes);
    SetLoader(loader);
    Exif->SetBuffer(block.Bytes);
    Exif->SetLoader(loader);
    Exif->BigEndian = mark == "MM";

    // The first directory is where the header says; writers often put it
    // after the image data.
    const auto firstOffset = static_cast<uint32_t>(OrderedInt(*Exif, std::string_view(header.data() + 4, 4)));
    const Pos start = firstOffset < 8 ? 1 : Pos{firstOffset} - 7;
    const int64_t limit = std::max<int64_t>(TiffBlockSize, static_cast<int64_t>(block.Bytes.size()));
    Exif->WalkDirectory(start, -7, limit, Kind == TFileKind::Rw2 ? KindPanasonicRaw : KindMain);
    if (Kind == TFileKind::Rw2) ReadPanasonicRaw(whole);
    AddFocalLength35(*Exif);
    TakeTiffBlocks();
    return true;
}

// A Panasonic raw's image is the sensor's area inside the borders its IFD0
// gives. Its maker note, ISO and lens data are in the EXIF of its embedded
// JPEG, walked after the raw's own directories; the JPEG repeats most of
// the raw's entries, and the raw's reading of those stays.
void TimgData::ReadPanasonicRaw(const tEndInd &whole) {
    const int32_t width = Exif->EntryInteger("SensorRightBorder") - Exif->EntryInteger("SensorLeftBorder");
    const int32_t height = Exif->EntryInteger("SensorBottomBorder") - Exif->EntryInteger("SensorTopBorder");
    if (Exif->MainWidth == 0 && width > 0 && height > 0) {
        Exif->MainWidth = width;
        Exif->MainHeight = height;
    }
    const TImageInfo::TEmbeddedImage jpeg = Exif->JpgFromRaw;
    if (jpeg.Position <= 0 || jpeg.Size <= 0) return;
    // Position X of the walked bytes is file offset X + 7.
    const uint64_t start = static_cast<uint64_t>(jpeg.Position) + 7;
    std::vector<std::string> notes;
    const std::optional<containers::TBlock> block = containers::FindEmbeddedJpegExif(
        containers::TByteReader(whole), start, start + static_cast<uint64_t>(jpeg.Size), notes);
    for (const std::string &note : notes) Notes.push_back("JpgFromRaw: " + note);
    if (!block) return;
    const int32_t before = Exif->EntryCount();
    WalkExifBlock(*block);
    Exif->DropRepeatedEntries(before);
}

}  // namespace exif
