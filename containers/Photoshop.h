// Photoshop image resource blocks, as a PSD file's image resources section
// holds them and as other files embed them (a PNG's "Raw profile type iptc",
// a JPEG's APP13). Each block:
//   "8BIM"                  signature
//   16-bit big-endian       resource id
//   Pascal string           name: a length byte and the name, padded to an
//                           even length (the length byte included)
//   32-bit big-endian       data size
//   data                    padded to an even size
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "containers/ByteReader.h"

namespace containers {

// Resource ids of the blocks the container readers pass on.
inline constexpr uint16_t PhotoshopIptcId = 0x0404;  // IPTC-IIM datasets
inline constexpr uint16_t PhotoshopIccId = 0x040F;   // ICC profile
inline constexpr uint16_t PhotoshopExifId = 0x0422;  // EXIF, a TIFF structure
inline constexpr uint16_t PhotoshopXmpId = 0x0424;   // XMP packet

struct TPhotoshopResource {
    uint16_t Id = 0;
    uint64_t Offset = 0;    // of the data, in the bytes walked
    uint64_t Size = 0;      // of the data, as the block claims it
    // The data, without its padding byte: taken only for the four ids above
    // and within MaxViewedResource bytes (the rest are never read).
    std::string_view Data;
};
inline constexpr uint64_t MaxViewedResource = 8 * 1024 * 1024;

struct TPhotoshopResources {
    std::vector<TPhotoshopResource> Found;
    // Why the walk stopped before the end of the bytes, in plain words;
    // empty when it reached the end.
    std::string Stopped;
};

// The resource blocks from `start` up to `end` (or the end of the bytes,
// whichever comes first), at most MaxBoxesWalked of them. A block that runs
// past the end, or a missing signature, ends the walk.
TPhotoshopResources FindPhotoshopResources(const TByteReader &bytes, uint64_t start, uint64_t end);

}  // namespace containers
