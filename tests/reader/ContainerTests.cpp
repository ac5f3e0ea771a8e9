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
