// Values of the whole file computed from several stored entries, as the
// command-line tool shows them after the tabs' rows: the GPS position in
// signed decimal degrees, the altitude with its sign, the original date with
// its fractions of a second and time zone, the lens. The dialog and its
// export file show none of them.
#pragma once

#include <span>
#include <vector>

#include "dialog/ParamsRows.h"
#include "exif/TagEntry.h"

namespace params {

// The computed rows (group "Composite") of a file's stored entries, in a
// fixed order: GPSLatitude, GPSLongitude, GPSPosition, GPSAltitude,
// SubSecDateTimeOriginal, LensID; each only when the entries it needs are
// there. With `withNumbers` a row that is a number also carries it.
std::vector<GridRow> CompositeRows(std::span<const exif::TTagEntry> entries, bool withNumbers);

}  // namespace params
