// ImageMagick's raw profiles: a metadata block stored as the text of a PNG
// text chunk whose keyword is "Raw profile type NAME" (exif, APP1, iptc, xmp,
// icc). The text is
//   "\n" NAME "\n" spaces DECIMAL-LENGTH "\n" HEX-DIGITS
// with the hex digits broken into lines (72 to a line as ImageMagick writes
// them); the decoded bytes are the block.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace containers {

struct TRawProfile {
    std::string Bytes;
    // What did not fit the layout, in plain words; empty when all did.
    std::string Problem;
    // False when nothing could be decoded (no header, a length past the
    // limit); Bytes may still be usable with a Problem (a length that does
    // not match the hex digits).
    bool Decoded = false;
};

// Decodes the text of a raw profile into at most `maxBytes` bytes: a
// profile that claims more is not decoded.
TRawProfile DecodeRawProfile(std::string_view text, uint64_t maxBytes);

}  // namespace containers
