// What the information dialog shows and exports: the EXIF grid rows (file
// name, size, host image size, then the stored entries), the comment box, the
// export text and the proposed export file name.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ByteBuilders.h"
#include "bytes/FileSource.h"
#include "dialog/ParamsRows.h"
#include "exif/TagEntry.h"
#include "exif/TextFormat.h"

using namespace testbytes;
using params::GridRow;

namespace {

exif::TTagEntry CellEntry(const std::string &name, const std::string &value, const std::string &raw = {}) {
    exif::TTagEntry e;
    e.Tag = 1;
    e.Name = name;
    e.Value = value;
    e.Raw = raw;
    return e;
}

std::vector<std::string> Column(const std::vector<GridRow> &rows, bool names) {
    std::vector<std::string> out;
    for (const GridRow &r : rows) out.push_back(names ? r.Name : r.Value);
    return out;
}

using Texts = std::vector<std::string>;

struct DecimalSeparatorScope {
    explicit DecimalSeparatorScope(char c) { exif::SetDecimalSeparator(c); }
    ~DecimalSeparatorScope() { exif::SetDecimalSeparator('.'); }
};

params::ExifView View(const std::string &path, int32_t w = 800, int32_t h = 600) {
    return params::BuildExifView(path, w, h, params::AnyPathSeparators);
}

}  // namespace

TEST(ViewModel, StripQuotesRemovesOneEnclosingPair) {
    EXPECT_EQ(params::StripQuotes("\"Canon\""), "Canon");
    EXPECT_EQ(params::StripQuotes("\""), "");
    EXPECT_EQ(params::StripQuotes("\"\""), "");
    EXPECT_EQ(params::StripQuotes("\"\"\"\""), "\"\"");
    EXPECT_EQ(params::StripQuotes("a\"b"), "a\"b");
    EXPECT_EQ(params::StripQuotes("\"a\"b\""), "a\"b");
    EXPECT_EQ(params::StripQuotes("\"abc"), "\"abc");
    EXPECT_EQ(params::StripQuotes("abc\""), "abc\"");
    EXPECT_EQ(params::StripQuotes(" \"abc\""), " \"abc\"");
    EXPECT_EQ(params::StripQuotes(""), "");
}

TEST(ViewModel, CellValuesAreTrimmedAndUnquotedExceptFileSourceAndSceneType) {
    EXPECT_EQ(params::ExifCellValue(CellEntry("Make", "  \"Canon\"  ")), "Canon");
    EXPECT_EQ(params::ExifCellValue(CellEntry("Make", "\t\"Canon\"\r\n")), "Canon");
    EXPECT_EQ(params::ExifCellValue(CellEntry("Make", "\"")), "");
    EXPECT_EQ(params::ExifCellValue(CellEntry("FocalLengthin35mmFilm", " 9.85")), "9.85");
    EXPECT_EQ(params::ExifCellValue(CellEntry("Artist", "a\"b")), "a\"b");
    EXPECT_EQ(params::ExifCellValue(CellEntry("Artist", std::string("\"x\0y\xE9\"", 6))), std::string("x\0y\xE9", 4));

    EXPECT_EQ(params::ExifCellValue(CellEntry("FileSource", "\"\x03\"", "\x03")), "Digital Still Camera");
    EXPECT_EQ(params::ExifCellValue(CellEntry("FileSource", "\"\x02\"", "\x02")), "Unknown");
    EXPECT_EQ(params::ExifCellValue(CellEntry("FileSource", "Digital Still Camera", std::string("\0\x03", 2))),
              "Unknown");
    EXPECT_EQ(params::ExifCellValue(CellEntry("FileSource", "x", "")), "Unknown");
    EXPECT_EQ(params::ExifCellValue(CellEntry("SceneType", "\"\x01\"", "\x01")), "Directly Photographed");
    EXPECT_EQ(params::ExifCellValue(CellEntry("SceneType", "", std::string(1, '\0'))), "Unknown");
    // The two names are compared exactly.
    EXPECT_EQ(params::ExifCellValue(CellEntry("filesource", "\"x\"", "\x03")), "x");
    EXPECT_EQ(params::ExifCellValue(CellEntry("SceneType ", "\"y\"", "\x01")), "y");
}

TEST(ViewModel, FileSizesInKilobytesWithTwoDecimals) {
    EXPECT_EQ(params::KilobytesText(0), "0.00 Kb");
    EXPECT_EQ(params::KilobytesText(1152), "1.13 Kb");  // 1.125: halves away from zero
    EXPECT_EQ(params::KilobytesText(128), "0.13 Kb");   // 0.125
    EXPECT_EQ(params::KilobytesText(1048576), "1024.00 Kb");
    EXPECT_EQ(params::KilobytesText(5), "0.00 Kb");
    EXPECT_EQ(params::KilobytesText(6), "0.01 Kb");
    EXPECT_EQ(params::KilobytesText(1023), "1.00 Kb");
    EXPECT_EQ(params::KilobytesText(5000000000ull), "4882812.50 Kb");  // beyond 32 bits
    const DecimalSeparatorScope comma(',');
    EXPECT_EQ(params::KilobytesText(1152), "1,13 Kb");
}

TEST(ViewModel, FileSizeIsTakenFromAReadOnlyOpen) {
    const std::string path = WriteTempFile("view_size.bin", std::string(1152, 'x'));
    EXPECT_EQ(params::FileSizeText(path), "1.13 Kb");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    EXPECT_EQ(params::FileSizeText(path), "1.13 Kb");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(params::FileSizeText(WriteTempFile("view_size_empty.bin", "")), "0.00 Kb");
    EXPECT_EQ(params::FileSizeText(path + ".missing"), "0.00 Kb");
}

TEST(ViewModel, FileWithoutExifGivesOneEmptyRowAndNoComment) {
    Tiff flash;
    flash.Dir({Tiff::Ascii(0x010F, "Canon"), flash.Short(0x9209, {1, 0})});
    for (const std::string &path :
         {WriteTempFile("view_noexif.jpg", Jpeg().App0().Comment("a comment segment").Build()),
          WriteTempFile("view_noexif.png", Jpeg().App0().Exif(flash.Build()).Build()),
          WriteTempFile("view_failed.jpg", Jpeg().App0().Exif(flash.Build()).Build()),
          WriteTempFile("view_probe.bin", "") + ".missing.jpg"}) {
        const params::ExifView view = View(path);
        ASSERT_EQ(view.Rows.size(), 1u) << path;
        EXPECT_EQ(view.Rows[0].Name, "") << path;
        EXPECT_EQ(view.Rows[0].Value, "") << path;
        EXPECT_EQ(view.Comment, "") << path;
        EXPECT_EQ(params::ExportText(view, params::IptcView{}), "EXIF\r\n=\r\nUserComment=\r\n") << path;
    }
}

TEST(ViewModel, ExifRowsStartWithTheFileAndHostImageRows) {
    const std::string ascii("ASCII\0\0\0", 8);
    Tiff t;
    const int exifDir =
        t.Dir({Tiff::Undefined(0x9000, "0230"), Tiff::Undefined(0x9286, ascii + std::string("Second\0", 7)),
               Tiff::Undefined(0xA300, "\x03"), Tiff::Undefined(0xA301, "\x01"), t.Short(0xA002, {4000}),
               t.Short(0xA003, {3000})});
    t.Dir({Tiff::Ascii(0x010F, "  \"Canon\"  "), Tiff::Undefined(0x9286, ascii + std::string("First\0", 6)),
           Tiff::Pointer(0x8769, exifDir), Tiff::Ascii(0x0110, "EOS")});
    const std::string path = WriteTempFile("view_rows.jpg", Jpeg().App0().Exif(t.Build()).Build());
    const params::ExifView view = View(path);
    EXPECT_EQ(Column(view.Rows, true),
              (Texts{"FileName", "FileSize", "ImageWidth", "ImageHeight", "Make", "ExifVersion", "FileSource",
                     "SceneType", "ExifImageWidth", "ExifImageLength", "ExifOffset", "Model"}));
    const Texts values = Column(view.Rows, false);
    EXPECT_EQ(values[0], "view_rows.jpg");
    EXPECT_EQ(values[1], params::FileSizeText(path));
    EXPECT_EQ(values[2], "800");  // the host's rectangle, not the file's 4000 x 3000
    EXPECT_EQ(values[3], "600");
    EXPECT_EQ(values[4], "Canon");
    EXPECT_EQ(values[5], "0230");
    EXPECT_EQ(values[6], "Digital Still Camera");
    EXPECT_EQ(values[7], "Directly Photographed");
    EXPECT_EQ(values[8], "4000");
    EXPECT_EQ(values[11], "EOS");
    EXPECT_EQ(view.Comment, "Second");  // the last UserComment entry wins

    // Host-style names: the name part follows the last backslash or colon.
    const params::ExifView host = params::BuildExifView(path, -1, 0);
    const size_t cut = path.find_last_of("\\:");
    EXPECT_EQ(host.Rows[0].Value, cut == std::string::npos ? path : path.substr(cut + 1));
    EXPECT_EQ(params::NamePart("C:\\Photos\\IMG_1.JPG"), "IMG_1.JPG");
    EXPECT_EQ(params::NamePart("D:IMG_2.JPG"), "IMG_2.JPG");
    EXPECT_EQ(params::NamePart("dir/IMG_3.JPG"), "dir/IMG_3.JPG");
    EXPECT_EQ(host.Rows[2].Value, "-1");
}

TEST(ViewModel, CommentBoxEndsAtTheFirstZeroByte) {
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "Canon"), Tiff::Undefined(0x9286, std::string("ASCII\0\0\0ab\0cd\0", 14))});
    const std::string path = WriteTempFile("view_comment_zero.jpg", Jpeg().Exif(t.Build()).Build());
    const params::ExifView view = View(path, 640, 480);
    EXPECT_EQ(view.Comment, "ab");
    EXPECT_EQ(params::ExportText(view, params::IptcView{}),
              "EXIF\r\nFileName=view_comment_zero.jpg\r\nFileSize=" + params::FileSizeText(path) +
                  "\r\nImageWidth=640\r\nImageHeight=480\r\nMake=Canon\r\nUserComment=ab\r\n");
}

TEST(ViewModel, ExportIsOneWindows1252LineARowEndingWithCarriageReturnAndLineFeed) {
    // A control character is "." and a character Windows-1252 lacks "?":
    // every value stays on its line.
    const std::vector<GridRow> exifRows = {
        {"FileName", "\xC3\x9Cn\xC3\xAF \xE6\x9D\xB1.jpg"}, {"Software", "x=y"}, {"Artist", "two\r\nlines"}};
    EXPECT_EQ(params::ExportText(exifRows, "", nullptr),
              "EXIF\r\nFileName=\xDCn\xEF ?.jpg\r\nSoftware=x=y\r\nArtist=two..lines\r\nUserComment=\r\n");
    // DEL too, alone or among non-ASCII characters.
    const std::vector<GridRow> deleted = {{"Make", "a\x7F"}, {"Title", "\xC3\xA9\x7F"}};
    EXPECT_EQ(params::ExportText(deleted, "\x7F", nullptr), "EXIF\r\nMake=a.\r\nTitle=\xE9.\r\nUserComment=.\r\n");
    const std::vector<GridRow> iptcRows = {{"Object name", "Sunset \xE2\x80\x93 \xE2\x82\xAC"}, {"Keywords", "sea,sky"}};
    EXPECT_EQ(params::ExportText(exifRows, "line one\r\nline two", &iptcRows),
              "EXIF\r\nFileName=\xDCn\xEF ?.jpg\r\nSoftware=x=y\r\nArtist=two..lines\r\nUserComment=line one..line two\r\n"
              "\r\nIPTC\r\nObject name=Sunset \x96 \x80\r\nKeywords=sea,sky\r\n");
    params::IptcView visible;
    visible.Visible = true;
    visible.Rows = {{}};
    params::ExifView exif;
    exif.Rows = {{}};
    EXPECT_EQ(params::ExportText(exif, visible), "EXIF\r\n=\r\nUserComment=\r\n\r\nIPTC\r\n=\r\n");
}

TEST(ViewModel, FileWithoutIptcSegmentHidesTheIptcTab) {
    const params::IptcView view =
        params::BuildIptcView(WriteTempFile("view_noiptc.jpg", Jpeg().App0().Comment("c").Build()));
    EXPECT_FALSE(view.Visible);
}

TEST(ViewModel, ProposedExportNameReplacesTheExtension) {
    EXPECT_EQ(params::ProposedExportName("scan"), "scan.txt");
    EXPECT_EQ(params::ProposedExportName("a.b.jpg"), "a.b.txt");
    EXPECT_EQ(params::ProposedExportName("C:\\Photos\\IMG_0001.JPG"), "IMG_0001.txt");
    EXPECT_EQ(params::ProposedExportName("C:scan.jpeg"), "scan.txt");
    EXPECT_EQ(params::ProposedExportName("C:\\dir.x\\scan"), "scan.txt");
    EXPECT_EQ(params::ProposedExportName(".jpg"), ".txt");

    EXPECT_EQ(params::NamePart("C:\\Photos\\IMG_0001.JPG"), "IMG_0001.JPG");
    EXPECT_EQ(params::NamePart("D:photo.jpg"), "photo.jpg");
    EXPECT_EQ(params::NamePart("dir/photo.jpg"), "dir/photo.jpg");
    EXPECT_EQ(params::NamePart("dir/photo.jpg", params::AnyPathSeparators), "photo.jpg");
    EXPECT_EQ(params::NamePart("dir\\"), "");
}

namespace {

std::string TaggedJpeg() {
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "Canon"), t.Short(0x0112, {6}), t.Long(0xA002, {4000}), t.Long(0xA003, {3000})});
    return Jpeg()
        .Exif(t.Build())
        .Iptc(Dataset(2, 5, "Title") + Dataset(2, 25, "a") + Dataset(2, 25, "b"))
        .Sof0(320, 200)
        .Build();
}

std::string ExifValue(const params::ExifView &view, const std::string &name) {
    for (const GridRow &row : view.Rows)
        if (row.Name == name) return row.Value;
    return "<missing>";
}

}  // namespace

TEST(ViewModel, ImageViewReadsTheFileOnceForBothTabsTheSizeAndTheListing) {
    const std::string path = WriteTempFile("view_once.jpg", TaggedJpeg());
    params::ViewRequest request;
    request.ImageWidth = 640;
    request.ImageHeight = 480;
    request.Separators = params::AnyPathSeparators;
    request.WithListing = true;
    const uint64_t before = exif::TFileSource::OpenCount();
    const params::ImageView view = params::BuildImageView(path, request);
    EXPECT_EQ(exif::TFileSource::OpenCount() - before, 1u);

    // The same rows as each tab read on its own.
    EXPECT_TRUE(view.Opened);
    EXPECT_TRUE(view.HasMetadata);
    EXPECT_EQ(view.ErrorText, "");
    EXPECT_EQ(Column(view.Exif.Rows, false), Column(View(path, 640, 480).Rows, false));
    EXPECT_EQ(view.Exif.Rows[1].Value, params::FileSizeText(path));
    const params::IptcView iptcAlone = params::BuildIptcView(path);
    ASSERT_TRUE(view.Iptc.Visible);
    EXPECT_EQ(Column(view.Iptc.Rows, false), Column(iptcAlone.Rows, false));
    EXPECT_EQ(Column(view.Iptc.Rows, false), (Texts{"Title", "a,b"}));
    EXPECT_EQ(WithoutPlaces(view.Listing),
              "\r\nFile type = JPEG\r\nMetadata blocks = EXIF, IPTC"
              "\r\nMake = Canon\r\nOrientation = CounterClockwise 90\u00B0"
              "\r\nExif Image Width = 4000\r\nExif Image Length = 3000");

    // Without the listing nothing of it is built.
    request.WithListing = false;
    EXPECT_EQ(params::BuildImageView(path, request).Listing, "");
}

TEST(ViewModel, ImageViewTakesTheSizeFromTheFileAndShowsTheGivenName) {
    const std::string path = WriteTempFile("view_own_host.jpg", TaggedJpeg());
    params::ViewRequest request;
    request.SizeFromFile = true;
    request.DisplayName = "shown.jpg";
    const params::ImageView view = params::BuildImageView(path, request);
    EXPECT_EQ(view.ImageWidth, 320);  // the frame header first
    EXPECT_EQ(view.ImageHeight, 200);
    EXPECT_EQ(Column(view.Exif.Rows, false)[0], "shown.jpg");
    EXPECT_EQ(Column(view.Exif.Rows, false)[2], "320");

    Tiff t;
    t.Dir({t.Long(0x0100, {1200}), t.Long(0x0101, {900})});
    const params::ImageView tiff = params::BuildImageView(WriteTempFile("view_own_host.tif", t.Build()), request);
    EXPECT_EQ(tiff.ImageWidth, 1200);  // else what the EXIF data recorded
    EXPECT_EQ(tiff.ImageHeight, 900);
}

TEST(ViewModel, TheFirstBytesDecideTheKindWhateverTheName) {
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "Canon")});
    const std::string jpeg = WriteTempFile("view_content_jpeg.img", Jpeg().Exif(t.Build()).Build());
    const std::string tiff = WriteTempFile("view_content_tiff.jpg", t.Build());
    const std::string other = WriteTempFile("view_content_other.jpg", "GIF89a");
    params::ViewRequest request;
    for (const std::string &path : {jpeg, tiff}) {
        const params::ImageView byContent = params::BuildImageView(path, request);
        EXPECT_TRUE(byContent.Opened) << path;
        EXPECT_EQ(ExifValue(byContent.Exif, "Make"), "Canon") << path;
    }
    const params::ImageView unknown = params::BuildImageView(other, request);
    EXPECT_FALSE(unknown.Opened);
    EXPECT_FALSE(unknown.HasMetadata);
    EXPECT_EQ(unknown.Failure, exif::TReadFailure::UnknownKind);
    EXPECT_EQ(unknown.ErrorText, "Not an EXIF file");
}

TEST(ViewModel, AFileWithMetadataBlocksButNoEntryHasNoMetadataAndSaysWhy) {
    const std::string xmp = "http://ns.adobe.com/xap/1.0/" + std::string(1, '\0') + "<x:xmpmeta/>";
    Tiff empty;
    empty.Dir({});
    std::string garbage = "Exif" + std::string(2, '\0') + "II*" + std::string(1, '\0') + "\x08\0\0\0\xFF\xFF";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"nometa_xmp_only.jpg", Jpeg().Segment(0xE1, xmp).Build()},
        {"nometa_empty_iptc.jpg", Jpeg().Iptc("").Build()},
        {"nometa_empty_dir.tif", empty.Build()},
        {"nometa_exif_garbage.jpg", Jpeg().Segment(0xE1, garbage).Build()},
    };
    params::ViewRequest request;
    for (const auto &[name, bytes] : cases) {
        const params::ImageView view = params::BuildImageView(WriteTempFile(name, bytes), request);
        EXPECT_TRUE(view.Opened) << name;
        EXPECT_FALSE(view.HasMetadata) << name;
        EXPECT_FALSE(view.ErrorText.empty()) << name;
        EXPECT_NE(view.ErrorText, "<none>") << name;
    }
}

TEST(ViewModel, ATiffsPixelSizeIsItsMainImagesNotAnEmbeddedOriginals) {
    params::ViewRequest request;
    request.SizeFromFile = true;
    {
        // A 200 x 130 TIFF whose EXIF came from a 2100 x 1368 camera original.
        Tiff t;
        const int exif = t.Dir({t.Long(0xA002, {2100}), t.Long(0xA003, {1368})});
        t.Dir({t.Long(0x0100, {200}), t.Long(0x0101, {130}), Tiff::Pointer(0x8769, exif)});
        const params::ImageView view = params::BuildImageView(WriteTempFile("view_main_size.tif", t.Build()), request);
        EXPECT_EQ(view.ImageWidth, 200);
        EXPECT_EQ(view.ImageHeight, 130);
    }
    {
        // A raw: IFD0 a reduced preview, the full image in a sub-directory.
        Tiff t;
        const int full = t.Dir({t.Long(0x00FE, {0}), t.Long(0x0100, {4000}), t.Long(0x0101, {3000})});
        t.Dir({t.Long(0x00FE, {1}), t.Long(0x0100, {256}), t.Long(0x0101, {171}), Tiff::Pointer(0x014A, full)});
        const params::ImageView view = params::BuildImageView(WriteTempFile("view_raw_size.dng", t.Build()), request);
        EXPECT_EQ(view.ImageWidth, 4000);
        EXPECT_EQ(view.ImageHeight, 3000);
    }
}

// The computed rows: a position south and west is negative, an altitude
// below sea level too; the original date takes its fractions of a second and
// its zone. In both byte orders, from the entries' bytes.
TEST(ViewModel, CompositeRowsComputeSignedPositionAltitudeAndTheFullOriginalDate) {
    for (const bool big : {false, true}) {
        Tiff t(big);
        const int gps = t.Dir({Tiff::Ascii(0x0001, "S"), t.Rational(0x0002, {{33, 1}, {51, 1}, {2444, 100}}),
                               Tiff::Ascii(0x0003, "W"), t.Rational(0x0004, {{151, 1}, {1290, 100}, {0, 1}}),
                               Tiff::Bytes(0x0005, {1}), t.Rational(0x0006, {{1237, 100}})});
        const int exifDir = t.Dir({Tiff::Ascii(0x9003, "2024:05:01 14:27:07"), Tiff::Ascii(0x9291, "24"),
                                   Tiff::Ascii(0x9011, "+2:00"), Tiff::Ascii(0xA434, "Lens 50mm")});
        t.Dir({Tiff::Pointer(0x8769, exifDir), Tiff::Pointer(0x8825, gps)});
        const std::string file = WriteTempFile("view_composites.jpg", Jpeg().App0().Exif(t.Build()).Build());
        params::ViewRequest request;
        request.WithComposites = true;
        request.WithNumbers = true;
        const params::ImageView view = params::BuildImageView(file, request);
        EXPECT_EQ(Column(view.Composites, true), (Texts{"GPSLatitude", "GPSLongitude", "GPSPosition", "GPSAltitude",
                                                        "SubSecDateTimeOriginal", "LensID"}));
        EXPECT_EQ(Column(view.Composites, false), (Texts{"-33.856789", "-151.215000", "-33.856789, -151.215000",
                                                         "-12.3 m", "2024:05:01 14:27:07.24+02:00", "Lens 50mm"}));
        ASSERT_EQ(view.Composites[3].Numbers.size(), 1u);
        EXPECT_DOUBLE_EQ(std::get<double>(view.Composites[3].Numbers[0]), -12.37);
        EXPECT_EQ(view.Composites[2].Numbers.size(), 2u);
        // The dialog asks for none.
        EXPECT_TRUE(params::BuildImageView(file, {}).Composites.empty());
    }
}
