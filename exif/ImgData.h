// TimgData: everything read from one image file. JPEG files are scanned
// segment by segment up to the start of the compressed data; any other file
// (a TIFF structure, a container) is read on demand as its readers reach its
// bytes, into a range of addresses reserved for the whole file (read, not
// mapped: see TPagedFile). The container owns the file's bytes once; every
// reader views them.
#pragma once

#include <array>
#include <deque>
#include <vector>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "bytes/EndInd.h"
#include "bytes/FileSource.h"
#include "containers/Container.h"
#include "exif/ImageInfo.h"

namespace iptc {
class TIPTCdata;
}

namespace exif {

// The kinds of file the reader reads, told by their first bytes whatever
// their names say.
using TFileKind = containers::TFileType;
using containers::FileTypeOfContent;

// Why a file could not be read at all.
enum class TReadFailure {
    None,
    Missing,      // no such file
    CannotOpen,   // no permission, not a regular file
    UnknownKind,  // no reader knows its first bytes
    Damaged,      // its structure is broken where the metadata should be
};

using iptc::TIPTCdata;
class TimgData;

// The container's IPTC reader, made by a factory so that this folder depends
// on no IPTC code: the factory gives the object and the way to destroy it.
struct TIptcDeleter {
    void (*Destroy)(TIPTCdata *) = nullptr;
    void operator()(TIPTCdata *p) const {
        if (Destroy) Destroy(p);
    }
};
using TIptcHandle = std::unique_ptr<TIPTCdata, TIptcDeleter>;
using IptcFactory = TIptcHandle (*)(TimgData &owner);

// The parts of the reader that live in the folders above this one: the
// maker-note registry and the IPTC reader. Whoever composes the reader gives
// them to each container; without them maker notes stay undecoded and no
// IPTC object is made (the IPTC segment is still found and kept).
struct TReaderParts {
    MakerNoteIdentifier IdentifyMakerNote = nullptr;
    IptcFactory MakeIptc = nullptr;
};
// One JPEG segment of the header: its two length bytes then its payload, as
// in the file (for a TIFF-structured file, section 1 is the file from offset
// 8 on). The bytes belong to the container. Only the segments a reader wants
// (EXIF, XMP, IPTC, comment, frame header) are kept whole; of the others the
// first bytes are kept, enough to tell what they are.
struct tSection {
    std::string_view Bytes;
    int32_t Marker = 0;
    int32_t SegmentLength = 0;
};

class TimgData : public tEndInd {
public:
    explicit TimgData(int32_t buildMode = BuildAll, const TReaderParts &parts = {});
    ~TimgData();
    TimgData(const TimgData &) = delete;
    TimgData &operator=(const TimgData &) = delete;

    bool OpenImageFile(const std::string &fileName);
    // Byte count of the file last opened.
    uint64_t FileSize = 0;
    void ClearContainer();

    bool HasExifSegment() const { return ExifSection != 0; }
    bool HasIptcSegment() const { return IptcSection != 0 || !IptcBlock.empty(); }
    bool HasAnySegment() const {
        return HasExifSegment() || HasIptcSegment() || CommentSection != 0 || HasComment || !XmpBlock.empty();
    }

    TImageInfo *ExifInfo() const { return Exif.get(); }
    TIPTCdata *IptcInfo() const { return Iptc.get(); }
    // Kept segments are numbered 1..SectionCount; 0 means none.
    const tSection &Section(int number) const { return Sections[static_cast<size_t>(number)]; }
    const tSection *IptcSectionPtr() const {
        return IptcSection ? &Sections[static_cast<size_t>(IptcSection)] : nullptr;
    }

    std::string ErrorText;
    // What kind of file it was, by its first bytes, and why it could not
    // be read at all (the error text says it in the user's words).
    TFileKind Kind = TFileKind::Unknown;
    TReadFailure Failure = TReadFailure::None;
    // The blocks a container other than JPEG held besides the EXIF ones:
    // IPTC datasets (also IPTC stored in a TIFF), the XMP packet, and
    // whether there was an ICC profile or a comment; with what the container
    // reader noted on its way.
    std::string_view IptcBlock;
    std::string_view XmpBlock;
    // Further XMP packets after the first, in file order (a second XMP APP1
    // segment, a PNG's second packet chunk): each property they carry
    // replaces the earlier packets' one of the same name. At most
    // MaxLaterXmpPackets; a note says when more were passed over.
    std::vector<std::string_view> LaterXmpBlocks;
    static constexpr size_t MaxLaterXmpPackets = 16;
    // A JPEG's XMP: the segment of its packet, and the Extended XMP parts
    // (each an APP1 payload, header included), at most MaxExtendedXmpParts.
    int32_t XmpSection = 0;
    std::vector<std::string_view> ExtendedXmpParts;
    // The parts of the largest extension accepted (MaxExtendedXmpBytes) in
    // segments of 65,458 bytes of it each.
    static constexpr size_t MaxExtendedXmpParts = 129;
    bool HasIcc = false;
    bool HasComment = false;
    // The ICC profile's bytes the reader kept: of a JPEG's profile its first
    // chunk (only with BuildIccProfile, and only when the first chunk is
    // APP2's number 1), of another container's its 128-byte header.
    std::string_view IccBlock;
    // The image's size as a container records it apart from its EXIF data
    // (HEIF, AVIF); 0 when it records none.
    uint32_t ContainerImageWidth() const { return Container.ImageWidth; }
    uint32_t ContainerImageHeight() const { return Container.ImageHeight; }
    std::vector<std::string> Notes;
    TReaderParts Parts;
    int32_t SectionCount = 0;
    int32_t ExifSection = 0;
    int32_t IptcSection = 0;
    int32_t CommentSection = 0;
    int32_t FrameSection = 0;  // the first frame header (SOFn): the image's size
    bool HasFrameHeader() const { return FrameSection != 0; }
    int32_t BuildMode;

    // Header segments scanned, whatever their markers: far more than any
    // real file has before its image data.
    static constexpr int MaxSections = 4096;
    // Bytes of a segment kept when no reader wants it.
    static constexpr size_t SegmentPrefix = 40;
    static constexpr int64_t TiffBlockSize = 256000;
    // Fill bytes (0xFF) the scan skips in all before it ends as at the end of
    // the file: a marker may follow any number of them, a file may not make
    // the scan read much more than the segments it can keep.
    static constexpr size_t FillAllowance = 64 * 1024;

    // The readers behind OpenImageFile: a JPEG scan from the start of the
    // input, and a TIFF-structured file's bytes, which must outlive the
    // container.
    bool ScanJpegSegments(TInput &in);
    // `loader`, when given, loads the bytes on demand (see TPagedFile).
    bool ReadTiffBytes(std::string_view file, const TByteLoader *loader = nullptr);

    // The file ended early while it was being read (another program was
    // rewriting it): what was read is kept, the rest read as zeros.
    bool FileShrank() const { return Paged && Paged->Shrank(); }
    // Bytes read of the file: a JPEG's header segments, or the pages of a
    // TIFF-structured file the walk asked for.
    uint64_t FileBytesRead() const { return Paged ? Paged->BytesRead() : JpegBytesRead; }
    // The memory the paged reading committed, and whether it stopped at
    // its limit (what lay past it read as zeros).
    uint64_t FileMemoryCommitted() const { return Paged ? Paged->Committed() : 0; }
    bool FileReadLimitReached() const { return Paged && Paged->ReachedLimit(); }

private:
    std::vector<tSection> Sections;  // slot 0 unused
    std::deque<std::string> SegmentStore;
    std::unique_ptr<TFileSource> File;
    std::unique_ptr<TPagedFile> Paged;  // a file's bytes when not a JPEG
    containers::TContainerRead Container;
    uint64_t JpegBytesRead = 0;
    std::unique_ptr<TImageInfo> Exif;
    TIptcHandle Iptc;

    bool ReadSegment(TInput &in, int32_t marker);
    bool Wanted(int32_t marker, std::string_view prefix) const;
    bool ReadOpenedFile(TInput &in);
    bool ReadContainer();
    void TakeTiffBlocks();
    void ReadPanasonicRaw(const tEndInd &whole);
    void WalkExifBlocks(const std::vector<containers::TBlock> &blocks);
    void WalkExifBlock(const containers::TBlock &block);
    void ClassifySegment();
    bool Replaces(int32_t current, std::string_view header, const tSection &candidate) const;
    void ReadExifSegment();
    void GiveSlotBack();
    // Keeps a packet after the first; false (and a note, once) when
    // MaxLaterXmpPackets are kept already.
    bool KeepLaterXmp(std::string_view packet);
    bool LaterXmpPassedOver = false;
    void ShortenSection(int32_t number);
};

// True when a regular file of that name exists.
bool FileExists(const std::string &fileName);

}  // namespace exif
