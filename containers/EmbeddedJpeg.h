// A JPEG inside another file (a raw's preview, Panasonic's JpgFromRaw) whose
// EXIF is the file's own: the first APP1 segment with the "Exif\0\0" prefix
// among the header segments before the image data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "containers/Container.h"

namespace containers {

// The Exif block of the JPEG at [start, end) of `file` (its TIFF header
// first, a view over the file, with its file offset); nothing when the bytes
// there are no JPEG or hold no EXIF segment before the image data. What
// ended the scan early is added to `notes`. At most MaxBoxesWalked segments
// are looked at.
std::optional<TBlock> FindEmbeddedJpegExif(const TByteReader &file, uint64_t start, uint64_t end,
                                           std::vector<std::string> &notes);

}  // namespace containers
