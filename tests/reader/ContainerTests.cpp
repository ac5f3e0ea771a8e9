#include <gtest/gtest.h>

#include "ByteBuilders.h"
#include "dialog/ParamsRows.h"
#include "exif/ImgData.h"

using namespace testbytes;

TEST(Container, JpegWithApp0ThenExifIsWalkedAtOnce) {
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "Canon"), Tiff::Ascii(0x0110, "Canon EOS 40D")});
    const std::string path = WriteTempFile("app0exif.jpg", Jpeg().App0().Exif(t.Build()).Build());
    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    ASSERT_TRUE(img.OpenImageFile(path));
    EXPECT_TRUE(img.HasExifSegment());
    EXPECT_EQ(img.ExifSection, 2);
    EXPECT_EQ(img.ErrorText, "<none>");
    ASSERT_EQ(img.ExifInfo()->EntryCount(), 2);
    EXPECT_EQ(img.ExifInfo()->EntryAt(0).Value, "Canon");
    EXPECT_EQ(img.ExifInfo()->CameraModel, "Canon EOS 40D");
}

namespace {

std::string RowOf(const params::ImageView &view, const std::string &group, const std::string &name) {
    for (const params::GridRow &row : view.Exif.Rows)
        if (row.Group == group && row.Name == name) return row.Value;
    return "<no " + group + ":" + name + ">";
}

int RowCount(const params::ImageView &view, const std::string &group, const std::string &name) {
    int n = 0;
    for (const params::GridRow &row : view.Exif.Rows) n += row.Group == group && row.Name == name ? 1 : 0;
    return n;
}

}  // namespace

// An RW2 ("IIU" header): IFD0's low tags are Panasonic's (tag 2 the sensor's
// width, 0x17 the ISO), not the TIFF ones; the image is the sensor's area
// inside its borders; the embedded JPEG's EXIF adds what the raw lacks (here
// its ISO entry and Software) without repeating what the raw has (Make).
TEST(Container, PanasonicRawReadsItsOwnTableAndItsEmbeddedJpegsExif) {
    Tiff inner;
    const int innerExif = inner.Dir({inner.Short(0x8827, {200}), inner.Rational(0x829A, {{1, 250}})});
    inner.Dir({Tiff::Ascii(0x010F, "Panasonic"), Tiff::Ascii(0x0131, "Ver.1.0"), Tiff::Pointer(0x8769, innerExif)});
    const std::string jpeg = Jpeg().App0().Exif(inner.Build()).Dqt().Build();

    Tiff raw;
    const int rawExif = raw.Dir({raw.Rational(0x829A, {{1, 250}})});
    raw.Dir({Tiff::Undefined(0x0001, "0310"), raw.Short(0x0002, {5200}), raw.Short(0x0004, {4}),
             raw.Short(0x0005, {8}), raw.Short(0x0006, {3476}), raw.Short(0x0007, {5192}), raw.Short(0x0017, {200}),
             Tiff::Undefined(0x002E, jpeg), Tiff::Ascii(0x010F, "Panasonic"), Tiff::Pointer(0x8769, rawExif)});
    std::string file = raw.Build();
    file[2] = 'U';
    params::ViewRequest request;
    request.SizeFromFile = true;
    const params::ImageView view = params::BuildImageView(WriteTempFile("panasonic.rw2", file), request);
    EXPECT_EQ(view.Kind, exif::TFileKind::Rw2);
    EXPECT_EQ(RowOf(view, "IFD0", "PanasonicRawVersion"), "0310");
    EXPECT_EQ(RowOf(view, "IFD0", "SensorWidth"), "5200");
    EXPECT_EQ(RowOf(view, "IFD0", "ISO"), "200");
    EXPECT_EQ(RowOf(view, "IFD0", "JpgFromRaw"), "(" + std::to_string(jpeg.size()) + " bytes of binary data)");
    EXPECT_EQ(RowCount(view, "IFD0", "InteroperabilityVersion"), 0);
    EXPECT_EQ(view.ImageWidth, 5184);
    EXPECT_EQ(view.ImageHeight, 3472);
    EXPECT_EQ(RowOf(view, "ExifIFD", "ISOSpeedRatings"), "200");
    EXPECT_EQ(RowOf(view, "IFD0", "Software"), "Ver.1.0");
    EXPECT_EQ(RowCount(view, "IFD0", "Make"), 1);
    EXPECT_EQ(RowCount(view, "ExifIFD", "ExposureTime"), 1);
}

// exiftool -G1 -n on exiftool's own RW2 (a DMC-LX3): the raw's table, the
// image inside the borders, and the maker note of the embedded JPEG.
TEST(Container, PanasonicRw2SampleAgreesWithExiftool) {
    params::ViewRequest request;
    request.SizeFromFile = true;
    const params::ImageView view =
        params::BuildImageView(std::string(EXIFVIEW_TEST_DATA) + "/makers/Panasonic.rw2", request);
    EXPECT_EQ(RowOf(view, "IFD0", "SensorWidth"), "3724");
    EXPECT_EQ(RowOf(view, "IFD0", "SensorHeight"), "2754");
    EXPECT_EQ(RowOf(view, "IFD0", "ISO"), "80");
    EXPECT_EQ(RowOf(view, "IFD0", "RawFormat"), "4");
    EXPECT_EQ(RowOf(view, "IFD0", "Compression"), "Panasonic RAW 1");
    EXPECT_EQ(RowOf(view, "IFD0", "RawDataOffset"), "12322");
    EXPECT_EQ(RowOf(view, "ExifIFD", "ISOSpeedRatings"), "80");
    EXPECT_EQ(RowOf(view, "ExifIFD", "FocalLengthin35mmFilm"), "24.00 mm");
    EXPECT_EQ(RowOf(view, "Panasonic", "InternalSerialNumber"), "(F35) 2008:07:01 no. 0058");
    EXPECT_EQ(view.ImageWidth, 3648);
    EXPECT_EQ(view.ImageHeight, 2736);
}
