#include "exif/FocalLength35.h"

#include <cmath>

#include "exif/ImageInfo.h"
#include "exif/TagTables.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"

namespace exif {

namespace {
constexpr double FilmDiagonal = 43.26661531;  // mm, diagonal of the 36 x 24 mm frame
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
    const double width = xr > 0 ? info.WidthValue * mmPerUnit / xr : 0;
    const double height = yr > 0 ? info.HeightValue * mmPerUnit / yr : 0;
    if (!(width * height > 0)) return;
    const double factor = FilmDiagonal / std::sqrt(width * width + height * height);
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
