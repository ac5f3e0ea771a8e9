// PNG files built chunk by chunk, with the metadata at a known place.
#include <gtest/gtest.h>
#include <zlib.h>

#include "ChunkFiles.h"

namespace {

using namespace chunkfiles;
using containers::ReadPng;
using containers::TBlockKind;
using Views = std::vector<std::string_view>;

std::string Deflated(const std::string &text) {
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef *>(out.data()), &size, reinterpret_cast<const Bytef *>(text.data()),
              static_cast<uLong>(text.size()), 9);
    out.resize(size);
    return out;
}

std::string Chunk(const std::string &type, const std::string &data) {
    const std::string covered = type + data;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef *>(covered.data()), static_cast<uInt>(covered.size()));
    return BigEndian(data.size(), 4) + covered + BigEndian(crc, 4);
}

std::string Png(const std::string &chunks) {
    const std::string header = BigEndian(1, 4) + BigEndian(1, 4) + "\x08\x02\0\0\0"s;
    return "\x89PNG\r\n\x1A\n"s + Chunk("IHDR", header) + chunks + Chunk("IEND", "");
}

// ImageMagick's layout: name, length right-aligned in 8, 72 hex digits a line.
std::string RawProfile(const std::string &name, const std::string &bytes) {
    const std::string length = std::to_string(bytes.size());
    std::string text = "\n" + name + "\n" + std::string(8 - length.size(), ' ') + length + "\n";
    for (size_t k = 0; k < bytes.size(); ++k) {
        text += "0123456789abcdef"[static_cast<unsigned char>(bytes[k]) >> 4];
        text += "0123456789abcdef"[static_cast<unsigned char>(bytes[k]) & 15];
        if (k % 36 == 35) text += '\n';
    }
    return text + "\n";
}

const std::string Iim = "\x1C\x02\x19\0\x01k"s;
const std::string Packet = "<x:xmpmeta xmlns:x='adobe:ns:meta/'/>";

TEST(Png, ExifChunkWithAndWithoutPrefix) {
    for (const std::string &data : {Tiff, ExifPrefix + Tiff}) {
        const std::string file = Png(Chunk("eXIf", data));
        const auto read = Read(ReadPng, file);
        EXPECT_EQ(BlocksOf(read, TBlockKind::Exif), Views{Tiff});
        EXPECT_EQ(read.Blocks.at(0).FileOffset, file.find(Tiff));
        EXPECT_TRUE(read.Notes.empty());
    }
}

TEST(Png, RawProfilesGiveExifIptcAndXmp) {
    const std::string resources = "8BIM\x03\xED\0\0\0\0\0\x02\0\0"s + "8BIM\x04\x04\0\0"s + BigEndian(Iim.size(), 4) + Iim;
    const std::string file =
        Png(Chunk("zTXt", "Raw profile type exif\0\0"s + Deflated(RawProfile("exif", ExifPrefix + Tiff))) +
            Chunk("tEXt", "Raw profile type iptc\0"s + RawProfile("iptc", resources)) +
            Chunk("tEXt", "Raw profile type iptc\0"s + RawProfile("iptc", Iim)) +
            Chunk("iTXt", "Raw profile type xmp\0\0\0\0\0"s + RawProfile("xmp", Packet)));
    const auto read = Read(ReadPng, file);
    EXPECT_EQ(BlocksOf(read, TBlockKind::Exif), Views{Tiff});
    EXPECT_EQ(BlocksOf(read, TBlockKind::Iptc), (Views{Iim, Iim}));
    EXPECT_EQ(BlocksOf(read, TBlockKind::Xmp), Views{Packet});
    EXPECT_TRUE(read.Notes.empty());
}

TEST(Png, RawProfileFaultsAreNoted) {
    const std::string shortHex = "\nexif\n       9\n4d4d002a\n";
    const std::string tooLong = "\nexif\n99999999999\n4d4d\n";
    const std::string extraHex = "\nexif\n       2\n4d4d\n002a\n";
    const std::string file = Png(Chunk("tEXt", "Raw profile type exif\0"s + shortHex) +
                                 Chunk("tEXt", "Raw profile type exif\0"s + extraHex) +
                                 Chunk("tEXt", "Raw profile type exif\0"s + tooLong) +
                                 Chunk("tEXt", "Raw profile type xmp\0no header"s));
    const auto read = Read(ReadPng, file);
    EXPECT_EQ(BlocksOf(read, TBlockKind::Exif), (Views{"MM\0*"s, "MM"}));
    EXPECT_TRUE(HasNote(read, "holds 4 bytes, its header says 9"));
    EXPECT_TRUE(HasNote(read, "more hex digits than its header says"));
    EXPECT_TRUE(HasNote(read, "more than the limit"));
    EXPECT_TRUE(HasNote(read, "no raw profile header"));
}

TEST(Png, XmpInCompressedAndPlainITXtCommentAndIcc) {
    const std::string profile = "profile bytes";
    const std::string file = Png(Chunk("iTXt", "XML:com.adobe.xmp\0\0\0\0\0"s + Packet) +
                                 Chunk("iTXt", "XML:com.adobe.xmp\0\x01\0en\0XMP\0"s + Deflated(Packet)) +
                                 Chunk("iCCP", "sRGB\0\0"s + Deflated(profile)) + Chunk("tEXt", "Comment\0hello"s) +
                                 Chunk("tEXt", "Author\0me"s));
    const auto read = Read(ReadPng, file);
    EXPECT_EQ(BlocksOf(read, TBlockKind::Xmp), (Views{Packet, Packet}));
    EXPECT_EQ(read.Blocks.at(0).FileOffset, file.find(Packet));
    EXPECT_EQ(read.Blocks.at(1).FileOffset, 0u);
    // The profile is reported, never inflated: its block is the stream as stored.
    EXPECT_EQ(BlocksOf(read, TBlockKind::Icc), Views{Deflated(profile)});
    EXPECT_EQ(BlocksOf(read, TBlockKind::Comment), Views{"hello"});
    EXPECT_EQ(read.Blocks.size(), 4u);
}

TEST(Png, DamagedChunksAreNotedAndTheWalkGoesOn) {
    const std::string bomb = Deflated(std::string(containers::MaxOwnedBlock + 1, ' '));
    const std::string cut = Deflated(Packet).substr(0, 10);
    const std::string file = Png(Chunk("iTXt", "XML:com.adobe.xmp\0\x01\0\0\0"s + cut) +
                                 Chunk("zTXt", "Comment\0\0not zlib"s) +
                                 Chunk("iTXt", "XML:com.adobe.xmp\0\x01\0\0\0"s + bomb) + Chunk("eXIf", Tiff));
    std::string badCrc = file;
    badCrc[file.find("eXIf") + 4 + Tiff.size()] ^= 1;
    const auto read = Read(ReadPng, badCrc);
    EXPECT_TRUE(BlocksOf(read, TBlockKind::Xmp).empty());
    EXPECT_TRUE(BlocksOf(read, TBlockKind::Comment).empty());
    EXPECT_TRUE(HasNote(read, "inflates past the limit"));
    EXPECT_TRUE(HasNote(read, "cut short"));
    EXPECT_TRUE(HasNote(read, "not a readable zlib stream"));
    // A checksum that does not match is only noted.
    EXPECT_TRUE(HasNote(read, "eXIf chunk at offset " + std::to_string(file.find("eXIf") - 4) + ": checksum does not match"));
    EXPECT_EQ(BlocksOf(read, TBlockKind::Exif), Views{Tiff});
}

// Each of these chunks stays under the bound of one chunk, but together
// they pass what a file's chunks may inflate to: the ones past it are not
// inflated at all, and nothing kept grows past the budget.
TEST(Png, ChunksThatEachInflateWithinTheirBoundShareOneBudgetPerFile) {
    const uint64_t each = containers::MaxInflatedPerFile / 3;
    const std::string text = Deflated(std::string(each, ' '));
    std::string chunks;
    for (int k = 0; k < 5; ++k) chunks += Chunk("zTXt", "Comment\0\0"s + text);
    const std::string file = Png(chunks + Chunk("eXIf", Tiff));
    const auto read = Read(ReadPng, file);
    EXPECT_EQ(BlocksOf(read, TBlockKind::Comment).size(), 3u);
    uint64_t owned = 0;
    for (const std::string &o : read.Owned) owned += o.size();
    EXPECT_LE(owned, containers::MaxInflatedPerFile);
    EXPECT_TRUE(HasNote(read, "inflates past the limit"));
    EXPECT_TRUE(HasNote(read, "not inflated: the file's compressed chunks gave"));
    EXPECT_EQ(BlocksOf(read, TBlockKind::Exif), Views{Tiff});
}

TEST(Png, AMillionTinyChunksAreWalkedToTheBound) {
    const std::string tiny = Chunk("tiNy", "");
    std::string chunks = Chunk("eXIf", Tiff);
    chunks.reserve(chunks.size() * 2 + tiny.size() * 1000000);
    for (int k = 0; k < 1000000; ++k) chunks += tiny;
    chunks += Chunk("eXIf", Tiff);
    const std::string file = Png(chunks);
    const auto read = Read(ReadPng, file);
    EXPECT_EQ(BlocksOf(read, TBlockKind::Exif).size(), 1u);
    EXPECT_TRUE(HasNote(read, "more than 100000 chunks"));
}

TEST(Png, TheEndOfTheFileEndsTheWalk) {
    const std::string start = Png(Chunk("eXIf", Tiff));
    const std::string body = start.substr(0, start.size() - 12);
    const std::string cut = body + BigEndian(1000, 4) + "tEXtComment\0abc"s;
    const auto pastEnd = Read(ReadPng, cut);
    EXPECT_EQ(BlocksOf(pastEnd, TBlockKind::Exif), Views{Tiff});
    EXPECT_TRUE(BlocksOf(pastEnd, TBlockKind::Comment).empty());
    EXPECT_TRUE(HasNote(pastEnd, "tEXt chunk at offset " + std::to_string(body.size()) + ": runs past the end"));
    EXPECT_TRUE(HasNote(Read(ReadPng, body), "ends without an IEND chunk"));
}

}  // namespace
