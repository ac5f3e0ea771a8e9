// "Exif\0\0": the six bytes a JPEG APP1 segment puts before the TIFF header.
// Several containers store EXIF the JPEG way (an embedded JPEG's APP1,
// ImageMagick's PNG raw profiles), and some writers copy the prefix into
// chunks that should hold the bare TIFF structure (a WebP EXIF chunk, a PNG
// eXIf chunk). An Exif block starts at the TIFF header, so the prefix is
// skipped wherever it is met.
#pragma once

#include <cstdint>
#include <string_view>

#include "containers/ByteReader.h"

namespace containers {

inline constexpr std::string_view ExifPrefix{"Exif\0\0", 6};

// The bytes to skip before the TIFF header of EXIF at `at` of `size` bytes:
// the prefix's length when it is there, else 0.
inline uint64_t ExifPrefixLength(const TByteReader &bytes, uint64_t at, uint64_t size) {
    return size >= ExifPrefix.size() && bytes.Bytes(at, ExifPrefix.size()) == ExifPrefix ? ExifPrefix.size() : 0;
}

// The same for bytes the result owns (decoded, inflated).
inline std::string_view WithoutExifPrefix(std::string_view bytes) {
    return bytes.starts_with(ExifPrefix) ? bytes.substr(ExifPrefix.size()) : bytes;
}

}  // namespace containers
