// Fujifilm RAF: a big-endian header
//   0x00  "FUJIFILMCCD-RAW "   16 bytes
//   0x10  format version       4 ASCII digits
//   0x14  camera id            8 bytes
//   0x1C  camera name          32 bytes, NUL-padded
//   0x3C  directory version    4 bytes
//   0x40  unknown              20 bytes
//   0x54  JPEG offset          32-bit, from the start of the file
//   0x58  JPEG length          32-bit
//   0x5C  offsets and lengths of the RAF's own directories and raw data
// The EXIF of the file is the embedded JPEG's: an APP1 segment starting with
// "Exif\0\0", among the header segments before the image data.
#include <string>

#include "containers/Container.h"
#include "containers/ExifPrefix.h"

namespace containers {

namespace {

constexpr std::string_view RafMagic = "FUJIFILMCCD-RAW ";
constexpr uint64_t JpegOffsetAt = 0x54;
constexpr uint64_t JpegLengthAt = 0x58;
constexpr uint64_t HeaderSize = 0x5C;

// JPEG markers: a segment is 0xFF, a marker byte, then (for all markers but
// the standalone ones) a 16-bit big-endian length that counts itself.
constexpr uint8_t App1 = 0xE1;
constexpr uint8_t StartOfScan = 0xDA;
constexpr uint8_t EndOfImage = 0xD9;

// Markers without a length: TEM and the restart markers.
bool IsStandalone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

struct TJpeg {
    uint64_t Start = 0;
    uint64_t End = 0;
};

class TRafRead {
public:
    explicit TRafRead(const TByteReader &file) : File(file) { Result.Type = TFileType::Raf; }
    TContainerRead Run();

private:
    const TByteReader &File;
    TContainerRead Result;

    bool FindJpeg(TJpeg &jpeg);
    void FindExifSegment(const TJpeg &jpeg);
    // Past the 0xFF of a marker and any 0xFF fill bytes after it: the marker
    // byte's offset.
    uint64_t SkipFill(uint64_t at, uint64_t end) const;
    void Note(std::string what) { Result.Notes.push_back(std::move(what)); }
};

TContainerRead TRafRead::Run() {
    TJpeg jpeg;
    if (FindJpeg(jpeg)) FindExifSegment(jpeg);
    return std::move(Result);
}

// The embedded JPEG as the header places it; one running past the end of
// the file is cut to the file.
bool TRafRead::FindJpeg(TJpeg &jpeg) {
    if (File.Bytes(0, RafMagic.size()) != RafMagic) {
        Note("no RAF header");
        return false;
    }
    if (!File.Has(0, HeaderSize)) {
        Note("the RAF header is cut short by the end of the file");
        return false;
    }
    jpeg.Start = File.U32BE(JpegOffsetAt);
    jpeg.End = jpeg.Start + File.U32BE(JpegLengthAt);
    if (jpeg.End > File.Size()) {
        Note("the embedded JPEG runs past the end of the file");
        jpeg.End = File.Size();
    }
    if (jpeg.Start < HeaderSize || jpeg.Start >= jpeg.End || File.U16BE(jpeg.Start) != 0xFFD8) {
        Note("no embedded JPEG at offset " + std::to_string(jpeg.Start));
        return false;
    }
    return true;
}

uint64_t TRafRead::SkipFill(uint64_t at, uint64_t end) const {
    ++at;
    while (at < end && File.U8(at) == 0xFF) ++at;
    return at;
}

// The JPEG's header segments, from after SOI up to the image data, at most
// MaxBoxesWalked of them: the first APP1 with the EXIF prefix is the block.
void TRafRead::FindExifSegment(const TJpeg &jpeg) {
    uint64_t at = jpeg.Start + 2;
    for (int64_t walked = 0; at < jpeg.End; ++walked) {
        if (walked == MaxBoxesWalked)
            return Note("more than " + std::to_string(MaxBoxesWalked) + " JPEG segments; the rest not read");
        if (File.U8(at) != 0xFF) return Note("no JPEG marker at offset " + std::to_string(at));
        at = SkipFill(at, jpeg.End);
        const uint8_t marker = File.U8(at++);
        if (marker == StartOfScan || marker == EndOfImage) return;
        if (IsStandalone(marker)) continue;
        const uint64_t length = File.U16BE(at);
        if (length < 2 || at + length > jpeg.End)
            return Note("a JPEG segment at offset " + std::to_string(at - 2) + " runs past the embedded JPEG");
        const uint64_t payload = at + 2, size = length - 2;
        const uint64_t prefix = ExifPrefixLength(File, payload, size);
        if (marker == App1 && prefix != 0)
            return Result.Add(TBlockKind::Exif, File.Bytes(payload + prefix, size - prefix), payload + prefix);
        at += length;
    }
}

}  // namespace

TContainerRead ReadRaf(const TByteReader &file) { return TRafRead(file).Run(); }

}  // namespace containers
