// Tags of EXIF 2.3 to 3.0, of the GPS directory and of DNG, written by
// exiftool into a copy of a camera file, then read back by the reader and by
// exiftool: each value must be the one exiftool prints, or its number with the
// unit the reader shows. Needs exiftool (Debian's libimage-exiftool-perl).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "../ByteBuilders.h"
#include "CommandOutput.h"
#include "dialog/ParamsRows.h"
#include "exif/ImageInfo.h"
#include "exif/ImgData.h"

using namespace testbytes;

namespace {

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

struct WrittenTag {
    const char *Name;   // the reader's name
    const char *Write;  // exiftool's assignment ("Tag#=" writes the number)
    const char *Read;   // exiftool's tag as printed ("Tag#": its number)
    const char *Unit;   // what the reader shows after exiftool's text
};

}  // namespace

TEST(ExiftoolWrittenTags, ReadAsExiftoolReadsThem) {
    int status = 0;
    CommandOutput("exiftool -ver", status);
    ASSERT_EQ(status, 0) << "exiftool is missing: scripts/ensure-packages.sh libimage-exiftool-perl";

    const WrittenTag tags[] = {
        {"SensitivityType", "SensitivityType#=2", "SensitivityType", ""},
        {"StandardOutputSensitivity", "StandardOutputSensitivity=200", "StandardOutputSensitivity#", ""},
        {"RecommendedExposureIndex", "RecommendedExposureIndex=250", "RecommendedExposureIndex#", ""},
        {"ISOSpeed", "ISOSpeed=320", "ISOSpeed#", ""},
        {"ISOSpeedLatitudeyyy", "ISOSpeedLatitudeyyy=400", "ISOSpeedLatitudeyyy#", ""},
        {"ISOSpeedLatitudezzz", "ISOSpeedLatitudezzz=500", "ISOSpeedLatitudezzz#", ""},
        {"OffsetTime", "OffsetTime=+02:00", "OffsetTime", ""},
        {"OffsetTimeOriginal", "OffsetTimeOriginal=-05:30", "OffsetTimeOriginal", ""},
        {"OffsetTimeDigitized", "OffsetTimeDigitized=+00:00", "OffsetTimeDigitized", ""},
        {"Temperature", "AmbientTemperature=-12.5", "AmbientTemperature", ""},
        {"Humidity", "Humidity=45.5", "Humidity#", " %"},
        {"Pressure", "Pressure=1013.2", "Pressure#", " hPa"},
        {"WaterDepth", "WaterDepth=-3.5", "WaterDepth#", " m"},
        {"Acceleration", "Acceleration=9.8", "Acceleration#", " mGal"},
        {"CameraElevationAngle", "CameraElevationAngle=-30.5", "CameraElevationAngle#", ""},
        {"CameraOwnerName", "OwnerName=Ann Owner", "OwnerName", ""},
        {"BodySerialNumber", "SerialNumber=B123", "SerialNumber", ""},
        {"LensSpecification", "LensInfo=24 70 2.8 4", "LensInfo", ""},
        {"LensMake", "LensMake=Sigma", "LensMake", ""},
        {"LensModel", "LensModel=24-70mm F2.8 DG", "LensModel", ""},
        {"LensSerialNumber", "LensSerialNumber=L456", "LensSerialNumber", ""},
        {"CompositeImage", "CompositeImage#=3", "CompositeImage", ""},
        {"GPSVersionID", "GPSVersionID=2.3.0.0", "GPSVersionID", ""},
        {"GPSDifferential", "GPSDifferential#=1", "GPSDifferential", ""},
        {"DNGVersion", "DNGVersion=1.7.0.0", "DNGVersion", ""},
        {"CalibrationIlluminant1", "CalibrationIlluminant1#=21", "CalibrationIlluminant1", ""},
        {"LensInfo", "DNGLensInfo=35 0 1.4 0", "DNGLensInfo", ""},  // a fixed lens
    };
    const std::filesystem::path file =
        std::filesystem::path(testing::TempDir()) / "exifview-tests" / "exiftool-tags.jpg";
    std::filesystem::create_directories(file.parent_path());
    std::filesystem::copy_file(SamplePath("Olympus_C8080WZ.jpg"), file,
                               std::filesystem::copy_options::overwrite_existing);
    // -m: this exiftool has not seen DNG 1.7 yet and asks to be told so.
    std::string write = "exiftool -q -q -m -overwrite_original", read = "exiftool -s3 -f";
    for (const WrittenTag &t : tags) {
        write += std::string(" '-") + t.Write + "'";
        read += std::string(" '-") + t.Read + "'";
    }
    CommandOutput(write + " '" + file.string() + "'", status);
    ASSERT_EQ(status, 0) << write;
    const std::vector<std::string> expected = Lines(CommandOutput(read + " '" + file.string() + "'", status));
    ASSERT_EQ(expected.size(), std::size(tags));

    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    ASSERT_TRUE(img.OpenImageFile(file.string()));
    ASSERT_NE(img.ExifInfo(), nullptr);
    for (size_t i = 0; i < std::size(tags); ++i)
        EXPECT_EQ(ValueOf(*img.ExifInfo(), tags[i].Name), expected[i] + tags[i].Unit) << tags[i].Name;
}
