// The kind of a file from its first bytes, whatever its name says.
#include <gtest/gtest.h>

#include <string>

#include "containers/Container.h"

namespace {

using containers::FileTypeOfContent;
using containers::TFileType;
using namespace std::string_literals;

std::string Ftyp(const std::string &major, const std::string &compatible) {
    const std::string body = major + "\0\0\0\0"s + compatible;
    const auto size = static_cast<char>(8 + body.size());
    return "\0\0\0"s + size + "ftyp" + body;
}

TEST(FileType, EachKindIsKnownByItsFirstBytes) {
    EXPECT_EQ(FileTypeOfContent("\xFF\xD8\xFF\xE1"), TFileType::Jpeg);
    EXPECT_EQ(FileTypeOfContent("II*\0\x08\0\0\0"s), TFileType::Tiff);
    EXPECT_EQ(FileTypeOfContent("MM\0*\0\0\0\x08"s), TFileType::Tiff);
    EXPECT_EQ(FileTypeOfContent("IIRO\x08\0\0\0"s), TFileType::Orf);
    EXPECT_EQ(FileTypeOfContent("MMOR\0\0\0\x08"s), TFileType::Orf);
    EXPECT_EQ(FileTypeOfContent("IIU\0\x18\0\0\0"s), TFileType::Rw2);
    EXPECT_EQ(FileTypeOfContent("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR"s), TFileType::Png);
    EXPECT_EQ(FileTypeOfContent("RIFF\x10\0\0\0WEBPVP8X"s), TFileType::WebP);
    EXPECT_EQ(FileTypeOfContent("8BPS\0\x01"s), TFileType::Psd);
    EXPECT_EQ(FileTypeOfContent("FUJIFILMCCD-RAW 0201FF383501"), TFileType::Raf);
    EXPECT_EQ(FileTypeOfContent("\0\0\0\x0CJXL \r\n\x87\n"s), TFileType::JpegXl);
    EXPECT_EQ(FileTypeOfContent("\xFF\x0A\xFA"), TFileType::JpegXl);
    EXPECT_EQ(FileTypeOfContent("RIFF\x10\0\0\0WAVEfmt "s), TFileType::Unknown);
    EXPECT_EQ(FileTypeOfContent(""), TFileType::Unknown);
    // Too short for the WEBP form type: no kind, and nothing read past the end.
    EXPECT_EQ(FileTypeOfContent("RIFF"), TFileType::Unknown);
    EXPECT_EQ(FileTypeOfContent("RIFF\x10\0\0\0WEB"s), TFileType::Unknown);
}

TEST(FileType, IsoMediaFilesAreKnownByTheirBrands) {
    EXPECT_EQ(FileTypeOfContent(Ftyp("heic", "mif1heic")), TFileType::Heif);
    EXPECT_EQ(FileTypeOfContent(Ftyp("crx ", "crx isom")), TFileType::Cr3);
    EXPECT_EQ(FileTypeOfContent(Ftyp("avif", "mif1avif")), TFileType::Avif);
    // A general major brand leaves the kind to the compatible brands.
    EXPECT_EQ(FileTypeOfContent(Ftyp("mif1", "mif1avifmiaf")), TFileType::Avif);
    EXPECT_EQ(FileTypeOfContent(Ftyp("mif1", "mif1heic")), TFileType::Heif);
    EXPECT_EQ(FileTypeOfContent(Ftyp("mif2", "mif2avif")), TFileType::Avif);
    EXPECT_EQ(FileTypeOfContent(Ftyp("isom", "isomiso2mp41")), TFileType::Unknown);
}

// The ISO media reader reads the kind from the first 4 KiB, the file reader
// from as many bytes as its first read gives: a brand past 4 KiB counts for
// neither, and both see the same kind.
TEST(FileType, BrandsPastTheFirstBytesDoNotCount) {
    std::string compatible;
    while (compatible.size() < 5000) compatible += "isom";
    std::string ftyp = Ftyp("isom", compatible + "avif");
    for (int k = 0; k < 4; ++k) ftyp[static_cast<size_t>(k)] = static_cast<char>(ftyp.size() >> (24 - 8 * k));
    EXPECT_EQ(FileTypeOfContent(ftyp), TFileType::Unknown);
    ftyp.replace(4092, 4, "avif");
    EXPECT_EQ(FileTypeOfContent(ftyp), TFileType::Avif);
}

}  // namespace
