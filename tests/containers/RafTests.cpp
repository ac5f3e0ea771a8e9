// RAF files: the header, then an embedded JPEG whose APP1 holds the EXIF.
#include <gtest/gtest.h>

#include "ChunkFiles.h"

namespace {

using namespace chunkfiles;
using containers::ReadRaf;
using containers::TBlockKind;
using Views = std::vector<std::string_view>;

std::string Segment(uint8_t marker, const std::string &payload) {
    return "\xFF"s + static_cast<char>(marker) + BigEndian(payload.size() + 2, 2) + payload;
}

// The header up to the JPEG's offset and length, then the RAF's own
// directory offsets (zero: not read), then the JPEG at `jpegAt`.
std::string Raf(const std::string &jpeg, uint64_t jpegLength, uint64_t jpegAt = 0x94) {
    std::string header = "FUJIFILMCCD-RAW 0201FF393501" + std::string(0x54 - 28, ' ');
    header += BigEndian(jpegAt, 4) + BigEndian(jpegLength, 4);
    return header + std::string(jpegAt - header.size(), '\0') + jpeg;
}

const std::string Xmp = "http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>"s;

std::string Jpeg() {
    return "\xFF\xD8"s + Segment(0xE0, "JFIF\0\x01\x02"s) + Segment(0xE1, Xmp) + "\xFF\xFF"s +
           Segment(0xE1, ExifPrefix + Tiff) + Segment(0xDA, "scan") + "\xFF\xD9"s;
}

TEST(Raf, ExifFromTheEmbeddedJpegsApp1) {
    const std::string file = Raf(Jpeg(), Jpeg().size());
    const auto read = Read(ReadRaf, file);
    EXPECT_EQ(BlocksOf(read, TBlockKind::Exif), Views{Tiff});
    EXPECT_EQ(read.Blocks.at(0).FileOffset, file.find(Tiff));
    EXPECT_TRUE(read.Notes.empty());
    // No EXIF before the image data: nothing found, nothing to note.
    const std::string noExif = "\xFF\xD8"s + Segment(0xDA, "scan") + Segment(0xE1, ExifPrefix + Tiff);
    const std::string noExifFile = Raf(noExif, noExif.size());
    EXPECT_TRUE(Read(ReadRaf, noExifFile).Blocks.empty());
}

TEST(Raf, SizesPastTheFile) {
    const std::string longFile = Raf(Jpeg(), 1u << 30);
    const auto longJpeg = Read(ReadRaf, longFile);
    EXPECT_EQ(BlocksOf(longJpeg, TBlockKind::Exif), Views{Tiff});
    EXPECT_TRUE(HasNote(longJpeg, "embedded JPEG runs past the end of the file"));

    const std::string cut = Jpeg().substr(0, Jpeg().find("Exif") + 4);
    const std::string cutFile = Raf(cut, cut.size());
    const auto cutSegment = Read(ReadRaf, cutFile);
    EXPECT_TRUE(cutSegment.Blocks.empty());
    EXPECT_TRUE(HasNote(cutSegment, "runs past the embedded JPEG"));

    const std::string file = Raf(Jpeg(), Jpeg().size());
    const std::string notJpeg = file.substr(0, 0x94) + "not a JPEG";
    const std::string shortHeader = file.substr(0, 0x58);
    EXPECT_TRUE(HasNote(Read(ReadRaf, notJpeg), "no embedded JPEG at offset 148"));
    EXPECT_TRUE(HasNote(Read(ReadRaf, shortHeader), "header is cut short"));
}

}  // namespace
