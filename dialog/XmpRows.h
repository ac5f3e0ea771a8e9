// The XMP tab of the view: the rows xmp::ReadXmp makes of a file's packet
// (and of its Extended XMP).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/ParamsRows.h"

namespace params {

// The XMP tab of a packet and the Extended XMP parts of its file (see
// exif::TimgData), then of the file's later packets: a property a later
// packet carries too takes the later value (in the earlier one's place), as
// exiftool shows it; the others are added after. Visible when there is a
// packet, with one empty row when none yields a property; what the reader
// noted is appended to `notes` (UTF-8).
XmpView XmpViewOf(std::string_view packet, std::span<const std::string_view> extendedParts,
                  std::vector<std::string> &notes, std::span<const std::string_view> laterPackets = {});

// Whether the tab shows at least one property.
bool HasProperties(const XmpView &view);

}  // namespace params
