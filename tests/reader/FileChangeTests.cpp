// Files that change or lie far out: a TIFF-structured file is read page by
// page, so a file that shrinks under the reader must leave zeros and a flag,
// never a fault, and offsets count up to 4 GiB.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ByteBuilders.h"
#include "bytes/FileSource.h"
#include "dialog/ParamsRows.h"
#include "exif/ImgData.h"

using namespace testbytes;

namespace {

struct TShrunkRead {
    bool Shrank = false;
    std::string Make, Model;
};

// A TIFF whose Model runs 300,000 bytes, rewritten by another program down
// to 100 bytes between the open and the read.
TShrunkRead ReadTiffThatShrinks(const std::string &name) {
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "Canon"), Tiff::Ascii(0x0110, "EOS " + std::string(300000, 'x'))});
    const std::string path = WriteTempFile(name, t.Build());
    exif::TFileSource file;
    TShrunkRead read;
    if (!file.Open(path)) return read;
    exif::TPagedFile pages(file);
    if (!pages.Reserve()) return read;
    std::filesystem::resize_file(path, 100);
    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    if (!img.ReadTiffBytes(pages.Bytes(), &pages)) return read;
    return {pages.Shrank(), img.ExifInfo()->CameraMake, ValueOf(*img.ExifInfo(), "Model")};
}

}  // namespace

TEST(FileChange, AFileThatShrinksWhileReadGivesWhatCouldBeReadAndSaysSo) {
    const TShrunkRead read = ReadTiffThatShrinks("shrinking.tif");
    EXPECT_TRUE(read.Shrank);
    EXPECT_EQ(read.Make, "Canon");
    // The model's text ran past the new end: what lay there reads as zeros.
    EXPECT_EQ(read.Model.substr(0, 8), "EOS xxxx");
    EXPECT_EQ(read.Model.find("xxxx", 100), std::string::npos);
}

// The pages of a file read before are kept for the next one (a folder run
// reads thousands): the bytes a shrunk file could not give read as zeros,
// not as the other file's.
TEST(FileChange, PagesKeptFromAnotherFileShowNoneOfItsBytes) {
    {
        exif::TFileSource before;
        ASSERT_TRUE(before.Open(WriteTempFile("read-before.bin", std::string(400000, 'y'))));
        exif::TPagedFile pages(before);
        ASSERT_TRUE(pages.Reserve());
        pages.Load(pages.Bytes());
    }
    const TShrunkRead read = ReadTiffThatShrinks("shrinking-after.tif");
    EXPECT_EQ(read.Model.substr(0, 8), "EOS xxxx");
    EXPECT_EQ(read.Model.find('y'), std::string::npos);
}

TEST(FileChange, AValueAcrossTheEndOfTheFirstChunkIsReadWhole) {
    // The chunk read to tell the file's kind is kept, up to its last whole
    // sector; a value running past the chunk takes the rest from the file.
    Tiff t;
    const std::string model = std::string(exif::TPagedFile::PageSize - 20, 'm') + "-the end, past the first chunk-";
    t.Dir({Tiff::Ascii(0x010F, "Canon"), Tiff::Ascii(0x0110, model)});
    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    ASSERT_TRUE(img.OpenImageFile(WriteTempFile("across_first_chunk.tif", t.Build())));
    EXPECT_EQ(img.ExifInfo()->CameraMake, "Canon");
    EXPECT_EQ(ValueOf(*img.ExifInfo(), "Model"), model);
}

TEST(FileChange, OnlyThePagesTheWalkNeedsAreRead) {
    // 8 MiB of image data before the directory: the walk reads the header's
    // page and the directory's, not the data.
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "NIK")});  // 4 bytes: held in the entry itself
    const std::string small = t.Build();
    constexpr uint32_t at = 8 * 1024 * 1024;
    std::string file = small.substr(0, 4) + std::string{static_cast<char>(at & 0xFF), static_cast<char>((at >> 8) & 0xFF),
                                                        static_cast<char>((at >> 16) & 0xFF), static_cast<char>(at >> 24)};
    file.resize(at, '\x55');
    file += small.substr(8);
    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    ASSERT_TRUE(img.OpenImageFile(WriteTempFile("far_directory.tif", file)));
    EXPECT_EQ(img.ExifInfo()->CameraMake, "NIK");
    EXPECT_LE(img.FileBytesRead(), 4 * exif::TPagedFile::PageSize);
}

TEST(FileChange, ADirectoryPastTwoGibibytesIsRead) {
    if (sizeof(void *) < 8) GTEST_SKIP() << "a 32-bit process cannot hold the file's addresses";
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "Canon")});
    const std::string small = t.Build();
    constexpr uint64_t at = 0x80000010;   // 2 GiB + 16
    const std::string path = WriteTempFile("past_2gib.tif", "");
    {
        std::ofstream out(path, std::ios::binary);
        out << small.substr(0, 4) << std::string("\x10\x00\x00\x80", 4);
        out.seekp(static_cast<std::streamoff>(at));
        Tiff far;
        far.Dir({Tiff::Ascii(0x010F, "NIK")});  // 4 bytes: held in the entry itself
        out << far.Build().substr(8);
    }
    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    const bool ok = img.OpenImageFile(path);
    std::filesystem::remove(path);
    ASSERT_TRUE(ok);
    EXPECT_EQ(img.ExifInfo()->CameraMake, "NIK");
}
