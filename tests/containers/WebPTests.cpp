// WebP files built chunk by chunk, with the metadata at a known place.
#include <gtest/gtest.h>

#include "ChunkFiles.h"

namespace {

using namespace chunkfiles;
using containers::ReadWebP;
using containers::TBlockKind;
using Views = std::vector<std::string_view>;

std::string Chunk(const std::string &code, const std::string &data) {
    return code + LittleEndian(data.size(), 4) + data + (data.size() % 2 ? "\0"s : ""s);
}

std::string WebP(const std::string &chunks) { return "RIFF" + LittleEndian(4 + chunks.size(), 4) + "WEBP" + chunks; }

std::string Vp8x(uint8_t flags) { return Chunk("VP8X", std::string(1, static_cast<char>(flags)) + std::string(9, '\0')); }

const std::string Packet = "<x:xmpmeta/>";

TEST(WebP, ExifWithAndWithoutPrefixXmpAndIccAfterOddChunks) {
    // Odd sizes before each block: a reader that forgets the padding byte
    // loses the chunk boundaries.
    const std::string file = WebP(Vp8x(0x2C) + Chunk("VP8 ", "abc") + Chunk("ICCP", "icc") + Chunk("EXIF", Tiff) +
                                  Chunk("EXIF", ExifPrefix + Tiff) + Chunk("XMP ", Packet));
    const auto read = Read(ReadWebP, file);
    EXPECT_EQ(BlocksOf(read, TBlockKind::Icc), Views{"icc"});
    EXPECT_EQ(BlocksOf(read, TBlockKind::Exif), (Views{Tiff, Tiff}));
    EXPECT_EQ(BlocksOf(read, TBlockKind::Xmp), Views{Packet});
    EXPECT_EQ(read.Blocks.at(1).FileOffset, file.find(Tiff));
    EXPECT_EQ(read.Blocks.at(2).FileOffset, file.find(ExifPrefix) + 6);
    EXPECT_TRUE(read.Notes.empty());
}

TEST(WebP, ChunksAreReadWhateverTheFlagsSay) {
    const std::string file = WebP(Vp8x(0x08) + Chunk("XMP ", Packet));
    const auto read = Read(ReadWebP, file);
    EXPECT_EQ(BlocksOf(read, TBlockKind::Xmp), Views{Packet});
    EXPECT_TRUE(HasNote(read, "VP8X flags a EXIF chunk the file does not have"));
    EXPECT_TRUE(HasNote(read, "a XMP chunk VP8X does not flag"));
}

TEST(WebP, SizesPastTheFile) {
    const std::string good = WebP(Chunk("EXIF", Tiff));
    const std::string longRiff = good.substr(0, 4) + LittleEndian(1000, 4) + good.substr(8);
    const auto riffTooLong = Read(ReadWebP, longRiff);
    EXPECT_EQ(BlocksOf(riffTooLong, TBlockKind::Exif), Views{Tiff});
    EXPECT_TRUE(HasNote(riffTooLong, "RIFF size runs past the end of the file"));

    const std::string chunkTooLong = good + "XMP " + LittleEndian(1000, 4) + Packet;
    const std::string file = chunkTooLong.substr(0, 4) + LittleEndian(chunkTooLong.size() - 8, 4) + chunkTooLong.substr(8);
    const auto read = Read(ReadWebP, file);
    EXPECT_EQ(BlocksOf(read, TBlockKind::Exif), Views{Tiff});
    EXPECT_TRUE(BlocksOf(read, TBlockKind::Xmp).empty());
    EXPECT_TRUE(HasNote(read, "XMP chunk at offset " + std::to_string(good.size()) + ": runs past the end"));
    // Bytes after the RIFF size are not the file's chunks.
    const std::string trailing = WebP("") + Chunk("EXIF", Tiff);
    EXPECT_TRUE(BlocksOf(Read(ReadWebP, trailing), TBlockKind::Exif).empty());
}

}  // namespace
