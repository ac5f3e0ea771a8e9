// The computed 35 mm equivalent on every real test file, next to exiftool's
// FocalLength35efl (its ScaleFactor35efl times the focal length): where the
// reader computes one, exiftool must compute one within 2 %; where it shows
// none, exiftool may (a sensor the reader has no source for). Needs exiftool
// (Debian's libimage-exiftool-perl).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "dialog/ParamsRows.h"
#include "exif/ImageInfo.h"
#include "exif/ImgData.h"
#include "exif/TextFormat.h"
#include "CommandOutput.h"

namespace {

struct TExiftool35 {
    std::string Scale, Focal35;  // "-" when exiftool computes none
};

// exiftool's reading of every file under the folders, by path.
std::map<std::string, TExiftool35> Exiftool35(const std::string &folders, int &status) {
    const std::string out = CommandOutput(
        "exiftool -q -q -f -n -p '$Directory/$FileName|$Composite:ScaleFactor35efl|$Composite:FocalLength35efl' " +
            folders + " 2>/dev/null",
        status);
    std::map<std::string, TExiftool35> found;
    size_t start = 0;
    for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = out.substr(start, end - start);
        const size_t a = line.find('|'), b = line.rfind('|');
        if (a == std::string::npos || a == b) continue;
        found[line.substr(0, a)] = {line.substr(a + 1, b - a - 1), line.substr(b + 1)};
    }
    return found;
}

// The row the reader computed (no directory: no walk read it), if any.
std::string Computed35(const std::string &path) {
    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    if (!img.OpenImageFile(path) || !img.ExifInfo()) return {};
    for (const exif::TTagEntry &e : img.ExifInfo()->StoredEntries())
        if (e.Name == "FocalLengthin35mmFilm" && e.Directory.empty()) return exif::Trim(e.Value);
    return {};
}

}  // namespace

TEST(Exiftool35mm, AComputedEquivalentIsExiftoolsWithinTwoPercent) {
    const std::string data = EXIFVIEW_TEST_DATA;
    int status = 0;
    const auto reference =
        Exiftool35(data + "/samples " + data + "/samples-modern " + data + "/makers", status);
    ASSERT_EQ(status, 0) << "exiftool is missing: scripts/ensure-packages.sh libimage-exiftool-perl";
    ASSERT_GT(reference.size(), 60u);
    int computed = 0;
    for (const auto &[path, theirs] : reference) {
        const std::string ours = Computed35(path);
        if (ours.empty()) continue;
        ++computed;
        ASSERT_NE(theirs.Scale, "-") << path << ": the reader computed " << ours << ", exiftool nothing";
        const double expected = std::stod(theirs.Focal35);
        EXPECT_NEAR(std::stod(ours), expected, expected * 0.02) << path;
    }
    // Canon's sensor size, resolutions against the camera's pixels, raws.
    EXPECT_GE(computed, 10);
}
