// The XMP tab of the view: the rows xmp::ReadXmp makes of a file's packet
// (and of its Extended XMP), in the Windows-1252 text every grid and the
// export file hold.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/ParamsRows.h"

namespace params {

// Windows-1252 bytes of UTF-8 text: "?" for a character the code page has
// no byte for, and for each byte that is not part of a well-formed sequence.
std::string Windows1252OfUtf8(std::string_view utf8);

// The XMP tab of a packet and the Extended XMP parts of its file (see
// exif::TimgData). Visible when there is a packet, with one empty row when it
// yields no property; what the reader noted is appended to `notes` (UTF-8).
XmpView XmpViewOf(std::string_view packet, std::span<const std::string_view> extendedParts,
                  std::vector<std::string> &notes);

// Whether the tab shows at least one property.
bool HasProperties(const XmpView &view);

}  // namespace params
