#include "exif/FocalLength35.h"

#include <cmath>

#include "exif/ImageInfo.h"
#include "exif/TagTables.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"

namespace exif {

namespace {
constexpr double FilmDiagonal = 43.26661531;  // mm, diagonal of the 36 x 24 mm frame
// mm: below the smallest sensors cameras and phones use (1/4", 4.5 mm).
constexpr double MinSensorDiagonal = 3.5;
}

// The focal length scaled by the ratio of the film's diagonal to the
// sensor's, the sensor's size being the image's pixels over the focal plane
// resolution.
void AddFocalLength35(TImageInfo &info) {
    if (info.EntryIndexOf("FocalLengthin35mmFilm") >= 0) return;
    int32_t unit = info.EntryInteger("FocalPlaneResolutionUnit");
    if (unit <= 0) unit = info.EntryInteger("ResolutionUnit");
    double mmPerUnit = 0;
    if (unit == 2)
        mmPerUnit = 25.4;
    else if (unit == 3)
        mmPerUnit = 10.0;
    else
        return;
    const double focal = info.EntryNumber("FocalLength");
    if (focal == 0) return;
    const int32_t xr = info.EntryInteger("FocalPlaneXResolution");
    const int32_t yr = info.EntryInteger("FocalPlaneYResolution");
    // The image the camera made: its EXIF pixel size, else the main image's.
    const bool pixel = info.PixelWidth > 0 && info.PixelHeight > 0;
    const int32_t w = pixel ? info.PixelWidth : info.MainWidth, h = pixel ? info.PixelHeight : info.MainHeight;
    const double width = xr > 0 ? w * mmPerUnit / xr : 0;
    const double height = yr > 0 ? h * mmPerUnit / yr : 0;
    if (!(width * height > 0)) return;
    const double diagonal = std::sqrt(width * width + height * height);
    // A sensor that small is no camera's: the pixel size is a resized
    // copy's, while the focal plane resolution is still the sensor's.
    if (diagonal < MinSensorDiagonal) return;
    const double factor = FilmDiagonal / diagonal;
    const double equivalent = focal * factor;

    TTagEntry entry =
        FetchTagRow(MainTagTable[static_cast<size_t>(FindTagRowByName("FocalLengthIn35mmFilm"))].Tag, KindMain);
    entry.Value = FixedText(equivalent, 2, 5);
    entry.Raw.clear();
    entry.FormatPattern = "%s mm";
    entry.DataType = TypeSRational;
    info.AddEntry(entry);
    if (info.Builds(BuildListing)) info.DumpText += "\r\n" + entry.Description + " = " + entry.Value;
}

}  // namespace exif
