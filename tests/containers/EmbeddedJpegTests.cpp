// The EXIF of a JPEG inside another file (a raw's JpgFromRaw), found among
// its header segments and bounded by the span the caller gives.
#include <gtest/gtest.h>

#include "ChunkFiles.h"
#include "containers/EmbeddedJpeg.h"

namespace {

using namespace chunkfiles;

std::string Segment(uint8_t marker, const std::string &payload) {
    return "\xFF"s + static_cast<char>(marker) + BigEndian(payload.size() + 2, 2) + payload;
}

struct Found {
    std::optional<containers::TBlock> Block;
    std::vector<std::string> Notes;
};

Found FindIn(const std::string &bytes, uint64_t start, uint64_t end) {
    exif::tEndInd view;
    view.SetBuffer(bytes);
    Found f;
    f.Block = containers::FindEmbeddedJpegExif(containers::TByteReader(view), start, end, f.Notes);
    return f;
}

}  // namespace

TEST(EmbeddedJpeg, ExifIsTheFirstApp1WithThePrefixInsideTheSpan) {
    const std::string jpeg = "\xFF\xD8"s + Segment(0xE1, "http://ns.adobe.com/xap/1.0/\0<x/>"s) + "\xFF\xFF"s +
                             Segment(0xE1, ExifPrefix + Tiff) + Segment(0xDA, "scan") + "\xFF\xD9"s;
    const std::string file = "raw header" + jpeg + "raw data";
    const Found f = FindIn(file, 10, 10 + jpeg.size());
    ASSERT_TRUE(f.Block);
    EXPECT_EQ(f.Block->Bytes, Tiff);
    EXPECT_EQ(f.Block->FileOffset, file.find(Tiff));
    EXPECT_TRUE(f.Notes.empty());

    // The span ends before the EXIF segment does: not read, and said.
    const Found cut = FindIn(file, 10, file.find(Tiff) + 4);
    EXPECT_FALSE(cut.Block);
    ASSERT_EQ(cut.Notes.size(), 1u);
    EXPECT_NE(cut.Notes[0].find("runs past the embedded JPEG"), std::string::npos);
}

TEST(EmbeddedJpeg, BytesThatAreNoJpegOrEndInFillGiveNothing) {
    EXPECT_FALSE(FindIn("not a jpeg at all", 0, 17).Block);
    EXPECT_EQ(FindIn("not a jpeg at all", 0, 17).Notes, std::vector<std::string>{"no embedded JPEG at offset 0"});
    EXPECT_FALSE(FindIn("\xFF\xD8", 0, 2).Block);                          // SOI only
    EXPECT_FALSE(FindIn("\xFF\xD8\xFF\xFF\xFF", 0, 5).Block);              // fill up to the end
    EXPECT_FALSE(FindIn("\xFF\xD8\xFF\xE1\xFF\xFF", 0, 1u << 20).Block);   // a span past the file
    EXPECT_FALSE(FindIn("\xFF\xD8\xFF\xE1\x00\x01xx"s, 0, 8).Block);       // a length below 2
    EXPECT_FALSE(FindIn("\xFF\xD8", 5, 2).Block);                          // an empty span
}
