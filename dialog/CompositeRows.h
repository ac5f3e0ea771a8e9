// Values of the whole file computed from several stored entries, as the
// command-line tool shows them after the tabs' rows: the GPS position in
// signed decimal degrees, the altitude with its sign, the dates with their
// fractions of a second and time zone, the lens, the image size, the
// exposure (aperture, shutter speed, light value) and the optics a 35 mm
// frame would need for the same picture (scale factor, field of view, circle
// of confusion, hyperfocal distance, depth of field), by the formulas
// exiftool publishes for its Composite tags. The dialog and its export file
// show none of them.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/ParamsRows.h"
#include "exif/TagEntry.h"

namespace params {

// What the computed rows need besides the stored entries: the image's size
// (as the view shows it), the IPTC date and time created (as stored).
struct TCompositeSources {
    int32_t ImageWidth = 0;
    int32_t ImageHeight = 0;
    std::string IptcDate;
    std::string IptcTime;
};

// The names of the computed rows, in their order.
inline constexpr std::string_view CompositeNames[] = {
    "GPSLatitude",
    "GPSLongitude",
    "GPSPosition",
    "GPSAltitude",
    "GPSDateTime",
    "SubSecDateTimeOriginal",
    "SubSecCreateDate",
    "SubSecModifyDate",
    "DateTimeCreated",
    "LensID",
    "ImageSize",
    "Megapixels",
    "Aperture",
    "ShutterSpeed",
    "LightValue",
    "ScaleFactor35efl",
    "FocalLength35efl",
    "CircleOfConfusion",
    "FOV",
    "HyperfocalDistance",
    "DOF",
};

// The computed rows (group "Composite") of a file's stored entries, in the
// order of CompositeNames; each only when the entries it needs are there.
// With `withNumbers` a row that is a number also carries it.
std::vector<GridRow> CompositeRows(std::span<const exif::TTagEntry> entries, bool withNumbers,
                                   const TCompositeSources &sources = {});

}  // namespace params
