// PSD and PSB files with image resources at known places.
#include <gtest/gtest.h>

#include "ChunkFiles.h"

namespace {

using namespace chunkfiles;
using containers::ReadPsd;
using containers::TBlockKind;
using Views = std::vector<std::string_view>;

std::string Resource(uint16_t id, const std::string &name, const std::string &data) {
    std::string pascal = static_cast<char>(name.size()) + name;
    if (pascal.size() % 2) pascal += '\0';
    return "8BIM" + BigEndian(id, 2) + pascal + BigEndian(data.size(), 4) + data + (data.size() % 2 ? "\0"s : ""s);
}

std::string Psd(uint16_t version, const std::string &resources, uint64_t resourcesLength) {
    const std::string header = "8BPS" + BigEndian(version, 2) + std::string(6, '\0') + BigEndian(3, 2) +
                               BigEndian(8, 4) + BigEndian(8, 4) + BigEndian(8, 2) + BigEndian(3, 2);
    const std::string colourMode = BigEndian(3, 4) + "abc";
    return header + colourMode + BigEndian(resourcesLength, 4) + resources + "layers and image data";
}

const std::string Iim = "\x1C\x02\x19\0\x01k"s;  // odd size: padded
const std::string Packet = "<x:xmpmeta/>";

TEST(Psd, ResourcesWithOddNamesAndSizes) {
    // Names of every padding case: empty, odd and even lengths.
    const std::string resources = Resource(0x03ED, "", "1234567") + Resource(0x0404, "ab", Iim) +
                                  Resource(0x0422, "abc", Tiff) + Resource(0x0424, "x", Packet) +
                                  Resource(0x040F, "", "icc");
    for (uint16_t version : {1, 2}) {
        const std::string file = Psd(version, resources, resources.size());
        const auto read = Read(ReadPsd, file);
        EXPECT_EQ(BlocksOf(read, TBlockKind::Iptc), Views{Iim});
        EXPECT_EQ(BlocksOf(read, TBlockKind::Exif), Views{Tiff});
        EXPECT_EQ(BlocksOf(read, TBlockKind::Xmp), Views{Packet});
        EXPECT_EQ(BlocksOf(read, TBlockKind::Icc), Views{"icc"});
        EXPECT_EQ(read.Blocks.at(1).FileOffset, file.find(Tiff));
        EXPECT_TRUE(read.Notes.empty());
    }
}

TEST(Psd, TheWalkStopsAtTheEndOfTheResources) {
    const std::string resources = Resource(0x0404, "", Iim) + Resource(0x0422, "", Tiff);
    // A section length that leaves the second resource out of the section.
    const std::string cutFile = Psd(1, resources, resources.size() - 4);
    const auto cut = Read(ReadPsd, cutFile);
    EXPECT_EQ(BlocksOf(cut, TBlockKind::Iptc), Views{Iim});
    EXPECT_TRUE(BlocksOf(cut, TBlockKind::Exif).empty());
    EXPECT_TRUE(HasNote(cut, "resource's data runs past the end"));
    // Resources after the section are not read, nor the layers' bytes.
    const std::string shorterFile = Psd(1, resources, Resource(0x0404, "", Iim).size());
    const auto shorter = Read(ReadPsd, shorterFile);
    EXPECT_EQ(shorter.Blocks.size(), 1u);
    EXPECT_TRUE(shorter.Notes.empty());
}

TEST(Psd, SizesPastTheFile) {
    const std::string resources = Resource(0x0404, "", Iim);
    const std::string longFile = Psd(1, resources, 1u << 30);
    const auto longSection = Read(ReadPsd, longFile);
    EXPECT_EQ(BlocksOf(longSection, TBlockKind::Iptc), Views{Iim});
    EXPECT_TRUE(HasNote(longSection, "image resources section runs past the end of the file"));
    EXPECT_TRUE(HasNote(longSection, "no resource signature"));
    const std::string file = Psd(1, resources, resources.size());
    const std::string hugeColourMode = file.substr(0, 26) + BigEndian(0xFFFFFFF0, 4) + file.substr(30);
    EXPECT_TRUE(Read(ReadPsd, hugeColourMode).Blocks.empty());
}

}  // namespace
