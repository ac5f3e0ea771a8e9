// Files of a few KiB that claim gigabytes: sparse files (they cost nothing
// on disk) whose metadata block, by its box, chunk or resource size, spans
// the whole file. What the reader loads and the memory it commits are
// counted in the reader and must stay small whatever the claim.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ByteBuilders.h"
#include "bytes/FileSource.h"
#include "containers/Container.h"
#include "dialog/ParamsRows.h"
#include "exif/ImgData.h"
#include "xmp/ExtendedXmp.h"

using namespace testbytes;
using namespace std::string_literals;

namespace {

constexpr uint64_t MiB = 1024 * 1024;
constexpr uint64_t Claimed = 3ull << 30;  // 3 GiB: within a 32-bit size field

std::string Be(uint64_t v, int width) {
    std::string s;
    for (int k = width - 1; k >= 0; --k) s += static_cast<char>((v >> (8 * k)) & 0xFF);
    return s;
}
std::string Le(uint64_t v, int width) {
    std::string s;
    for (int k = 0; k < width; ++k) s += static_cast<char>((v >> (8 * k)) & 0xFF);
    return s;
}
std::string Box(const std::string &type, const std::string &payload) { return Be(8 + payload.size(), 4) + type + payload; }
std::string FullBox(const std::string &type, const std::string &payload) { return Box(type, "\0\0\0\0"s + payload); }

struct TSparseRead {
    uint64_t Committed = 0;
    uint64_t BytesRead = 0;
    bool LimitReached = false;
    bool HasXmp = false;
    std::vector<std::string> Notes;
    std::string Make;

    bool HasNote(const std::string &words) const {
        for (const std::string &n : Notes)
            if (n.find(words) != std::string::npos) return true;
        return false;
    }
};

// Writes `head` and makes the file `size` bytes long without writing more:
// the rest is a hole that reads as zeros.
std::string WriteSparseFile(const std::string &name, const std::string &head, uint64_t size) {
    const std::string path = WriteTempFile(name, head);
    std::filesystem::resize_file(path, size);
    return path;
}

TSparseRead ReadSparse(const std::string &name, const std::string &head, uint64_t size = Claimed) {
    const std::string path = WriteSparseFile(name, head, size);
    TSparseRead read;
    {
        exif::TimgData img(exif::BuildAll, params::ReaderParts());
        img.OpenImageFile(path);
        read = {img.FileMemoryCommitted(), img.FileBytesRead(), img.FileReadLimitReached(), !img.XmpBlock.empty(),
                img.Notes, img.ExifInfo() ? img.ExifInfo()->CameraMake : ""};
    }
    std::filesystem::remove(path);
    return read;
}

// A 32-bit process has no room for the addresses of a file of gigabytes.
bool HasRoomForHugeFiles() { return sizeof(void *) >= 8; }

// The XMP packet a file claims is refused before a byte of it is read.
void ExpectXmpRefusedUnread(const TSparseRead &read) {
    EXPECT_FALSE(read.HasXmp);
    EXPECT_TRUE(read.HasNote("XMP of ")) << (read.Notes.empty() ? "" : read.Notes[0]);
    EXPECT_TRUE(read.HasNote("; not read"));
    EXPECT_LT(read.BytesRead, 1 * MiB);
    EXPECT_LT(read.Committed, 1 * MiB);
    EXPECT_FALSE(read.LimitReached);
}

const std::string TiffHeader = "MM\0*\0\0\0\x08\0\0\0\0\0\0"s;

}  // namespace

TEST(ClaimedSizes, AHeifXmpItemSpanningAHugeFileIsRefusedUnread) {
    if (!HasRoomForHugeFiles()) GTEST_SKIP() << "a 32-bit process";
    // Version 2: 16-bit item IDs.
    const std::string infe = Box("infe", "\x02\0\0\0"s + "\0\x01\0\0"s + "mime" + "\0"s + "application/rdf+xml\0"s);
    const std::string iinf = FullBox("iinf", Be(1, 2) + infe);
    const auto build = [&](uint64_t at) {
        const std::string iloc = "\x01\0\0\0\x44\x40"s + Be(1, 2) + Be(1, 2) + Be(0, 2) + Be(0, 2) + Be(0, 4) + Be(1, 2) +
                                 Be(at, 4) + Be(Claimed - at, 4);
        return Box("ftyp", "heic\0\0\0\0mif1heic"s) + FullBox("meta", iinf + Box("iloc", iloc));
    };
    const std::string head = build(build(0).size());
    ExpectXmpRefusedUnread(ReadSparse("claims.heic", head));
}

TEST(ClaimedSizes, AJpegXlXmlBoxSpanningAHugeFileIsRefusedUnread) {
    if (!HasRoomForHugeFiles()) GTEST_SKIP() << "a 32-bit process";
    const std::string start = Be(12, 4) + "JXL \r\n\x87\n" + Box("ftyp", "jxl \0\0\0\0jxl "s);
    ExpectXmpRefusedUnread(ReadSparse("claims.jxl", start + Be(Claimed - start.size(), 4) + "xml "));
}

// EXIF is cut, not refused: its directories point into its first bytes.
TEST(ClaimedSizes, AJpegXlExifBoxSpanningAHugeFileIsReadToItsLimit) {
    if (!HasRoomForHugeFiles()) GTEST_SKIP() << "a 32-bit process";
    const std::string start = Be(12, 4) + "JXL \r\n\x87\n" + Box("ftyp", "jxl \0\0\0\0jxl "s);
    const TSparseRead read =
        ReadSparse("claims-exif.jxl", start + Be(Claimed - start.size(), 4) + "Exif" + Be(0, 4) + TiffHeader);
    EXPECT_TRUE(read.HasNote("only its first 8 MiB read"));
    EXPECT_LE(read.Committed, containers::MaxExifBlock + 64 * 1024);
}

TEST(ClaimedSizes, APsdResourceSpanningAHugeFileIsRefusedUnread) {
    if (!HasRoomForHugeFiles()) GTEST_SKIP() << "a 32-bit process";
    const std::string header = "8BPS"s + Be(1, 2) + std::string(6, '\0') + Be(3, 2) + Be(1, 4) + Be(1, 4) +
                               Be(8, 2) + Be(3, 2) + Be(0, 4);
    const uint64_t resources = header.size() + 4;
    const std::string resource = "8BIM"s + Be(0x0424, 2) + Be(0, 2) + Be(Claimed - resources - 12, 4);
    ExpectXmpRefusedUnread(ReadSparse("claims.psd", header + Be(Claimed - resources, 4) + resource));
}

TEST(ClaimedSizes, AWebPXmpChunkSpanningAHugeFileIsRefusedUnread) {
    if (!HasRoomForHugeFiles()) GTEST_SKIP() << "a 32-bit process";
    const std::string head = "RIFF"s + Le(Claimed - 8, 4) + "WEBP" + "XMP " + Le(Claimed - 20, 4);
    ExpectXmpRefusedUnread(ReadSparse("claims.webp", head));
}

TEST(ClaimedSizes, APngTextChunkSpanningAHugeFileIsNotRead) {
    if (!HasRoomForHugeFiles()) GTEST_SKIP() << "a 32-bit process";
    const std::string head = "\x89PNG\r\n\x1A\n"s + Be(Claimed - 20, 4) + "iTXt" + "XML:com.adobe.xmp\0"s;
    const TSparseRead read = ReadSparse("claims.png", head);
    EXPECT_FALSE(read.HasXmp);
    EXPECT_TRUE(read.HasNote("larger than a metadata chunk may be; not read"));
    EXPECT_LT(read.Committed, 1 * MiB);
}

// The reader's bookkeeping follows what it reads: a TIFF header and one
// directory at the start of a 1 TiB file keep one loaded range.
TEST(ClaimedSizes, ATerabyteSparseTiffCostsTheBytesOfItsDirectory) {
    if (!HasRoomForHugeFiles()) GTEST_SKIP() << "a 32-bit process";
    testbytes::Tiff t;
    t.Dir({testbytes::Tiff::Ascii(0x010F, "Canon")});
    const TSparseRead read = ReadSparse("terabyte.tif", t.Build(), 1ull << 40);
    EXPECT_EQ(read.Make, "Canon");
    EXPECT_LT(read.BytesRead, 64 * 1024);
    EXPECT_LT(read.Committed, 64 * 1024);
}

// Past the limit on committed memory a range reads as zeros with nothing
// behind it, whatever the file holds there; what was read before stays.
TEST(ClaimedSizes, ThePagedReaderStopsAtItsLimitAndReadsZerosPastIt) {
    const uint64_t marked = 3 * exif::TPagedFile::MaxCommitted;
    const std::string path = WriteSparseFile("limit.bin", "head", marked);
    {
        std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
        out.seekp(static_cast<std::streamoff>(marked - 8192));
        out << std::string(8192, 'x');
    }
    exif::TFileSource file;
    ASSERT_TRUE(file.Open(path));
    exif::TPagedFile pages(file);
    ASSERT_TRUE(pages.Reserve());
    const std::string_view bytes = pages.Bytes();
    pages.Load(bytes.substr(marked - 4096, 16));  // a small read: its sector alone
    EXPECT_EQ(bytes.substr(marked - 4096, 4), "xxxx");
    // Ranges of 1 MiB, each in a place of its own, until the limit.
    const size_t step = 1 * MiB;
    for (size_t at = 0; at + step <= marked - 16 * MiB; at += 2 * step) pages.Load(bytes.substr(at, step));
    // The last pages the limit leaves, one small read each.
    const uint64_t left = (exif::TPagedFile::MaxCommitted - pages.Committed()) / exif::TPagedFile::SystemPage;
    for (uint64_t k = 0; k < left; ++k) pages.Load(bytes.substr(marked - 16 * MiB + k * exif::TPagedFile::SystemPage, 16));
    EXPECT_TRUE(pages.ReachedLimit());
    EXPECT_LE(pages.Committed(), exif::TPagedFile::MaxCommitted);
    EXPECT_LE(pages.RangesKept(), 48u + left);  // a range a read at most, nothing per byte of the file
    pages.Load(bytes.substr(marked - 2048, 16));  // past the limit, in the page read already
    EXPECT_EQ(bytes.substr(marked - 2048, 4), "xxxx");  // so no memory more: read
    pages.Load(bytes.substr(marked - 8192, 16));  // in a page of its own
    EXPECT_EQ(bytes.substr(marked - 8192, 4), std::string(4, '\0'));
    EXPECT_EQ(bytes.substr(marked - 4096, 4), "xxxx");  // what was read stays
    std::filesystem::remove(path);
}

// A TIFF's XMP packet that the budget of value bytes cannot hold is left
// out with a note, not dropped unsaid.
TEST(ClaimedSizes, ATiffXmpPacketPastTheValueBudgetIsLeftOutWithANote) {
    testbytes::Tiff t;
    const uint32_t claimed = 9 * 1024 * 1024;
    t.Dir({testbytes::Tiff::Ascii(0x010F, "Canon"), testbytes::Tiff::AtOffset(0x02BC, 1, claimed, 4096)});
    const TSparseRead read = ReadSparse("large-xmp.tif", t.Build(), 4096 + claimed);
    EXPECT_EQ(read.Make, "Canon");
    EXPECT_FALSE(read.HasXmp);
    EXPECT_TRUE(read.HasNote("tag 0x02BC of 9437184 bytes left out"));
    EXPECT_LT(read.Committed, 1 * MiB);
}

// Extended XMP parts are kept up to a count that holds the largest packet
// accepted; a JPEG of thousands of them keeps no more.
TEST(ClaimedSizes, AJpegKeepsNoMoreExtendedXmpPartsThanItsLimit) {
    const std::string guid(32, 'A');
    Jpeg jpeg;
    jpeg.Segment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0", 29) + "<x:xmpmeta/>");
    for (int k = 0; k < 2000; ++k)
        jpeg.Segment(0xE1, std::string("http://ns.adobe.com/xmp/extension/\0", 35) + guid + Be(2000 * 100, 4) +
                               Be(static_cast<uint64_t>(k) * 100, 4) + std::string(100, 'x'));
    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    img.OpenImageFile(WriteTempFile("extended-parts.jpg", jpeg.Build()));
    EXPECT_EQ(img.ExtendedXmpParts.size(), exif::TimgData::MaxExtendedXmpParts);
    EXPECT_GE(exif::TimgData::MaxExtendedXmpParts * (65533 - 75), xmp::MaxExtendedXmpBytes);
}
