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
#include <optional>
#include <string>

#include "containers/Container.h"
#include "containers/EmbeddedJpeg.h"

namespace containers {

namespace {

constexpr std::string_view RafMagic = "FUJIFILMCCD-RAW ";
constexpr uint64_t JpegOffsetAt = 0x54;
constexpr uint64_t JpegLengthAt = 0x58;
constexpr uint64_t HeaderSize = 0x5C;

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
    void Note(std::string what) { Result.Notes.push_back(std::move(what)); }
};

TContainerRead TRafRead::Run() {
    TJpeg jpeg;
    if (FindJpeg(jpeg)) {
        if (std::optional<TBlock> exif = FindEmbeddedJpegExif(File, jpeg.Start, jpeg.End, Result.Notes))
            Result.Blocks.push_back(*exif);
    }
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

}  // namespace

TContainerRead ReadRaf(const TByteReader &file) { return TRafRead(file).Run(); }

}  // namespace containers
