// Files written by ImageMagick and exiftool (tests/data/containers/README.txt):
// each block where exiftool -v5 shows it, of the size it gives.
#include <gtest/gtest.h>

#include "ChunkFiles.h"

namespace {

using namespace chunkfiles;
using containers::TBlockKind;

struct TExpected {
    TBlockKind Kind;
    uint64_t Offset;  // 0: bytes the result owns
    size_t Size;
};

void ExpectBlocks(const containers::TContainerRead &read, const std::vector<TExpected> &expected) {
    EXPECT_TRUE(read.Notes.empty());
    ASSERT_EQ(read.Blocks.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(read.Blocks[k].Kind, expected[k].Kind) << k;
        EXPECT_EQ(read.Blocks[k].FileOffset, expected[k].Offset) << k;
        EXPECT_EQ(read.Blocks[k].Bytes.size(), expected[k].Size) << k;
    }
}

const std::string Iim = "\x1C\x02\x19\0\x01k\x1C\x02\0\0\x02\0\x04"s;

TEST(WrittenFiles, PngFromExiftool) {
    const std::string file = ReadTestFile("exiftool-written.png");
    const auto read = Read(containers::ReadPng, file);
    // The IPTC is a raw profile of Photoshop resources in a zTXt chunk.
    ExpectBlocks(read, {{TBlockKind::Iptc, 0, 13}, {TBlockKind::Xmp, 0xC2, 429}, {TBlockKind::Exif, 0x27B, 108}});
    EXPECT_EQ(read.Blocks.at(0).Bytes, Iim);
}

TEST(WrittenFiles, WebPFromExiftool) {
    const std::string file = ReadTestFile("exiftool-written.webp");
    ExpectBlocks(Read(containers::ReadWebP, file), {{TBlockKind::Exif, 114, 116}, {TBlockKind::Xmp, 238, 2853}});
}

TEST(WrittenFiles, PsdFromExiftool) {
    const std::string file = ReadTestFile("exiftool-written.psd");
    const auto read = Read(containers::ReadPsd, file);
    ExpectBlocks(read, {{TBlockKind::Iptc, 74, 13}, {TBlockKind::Exif, 100, 108}, {TBlockKind::Xmp, 220, 2853}});
    EXPECT_EQ(read.Blocks.at(0).Bytes, Iim);
}

}  // namespace
