#include "containers/EmbeddedJpeg.h"

#include <algorithm>

#include "containers/ExifPrefix.h"

namespace containers {

namespace {

// JPEG markers: a segment is 0xFF, a marker byte, then (for all markers but
// the standalone ones) a 16-bit big-endian length that counts itself.
constexpr uint16_t StartOfImage = 0xFFD8;
constexpr uint8_t App1 = 0xE1;
constexpr uint8_t StartOfScan = 0xDA;
constexpr uint8_t EndOfImage = 0xD9;

// Markers without a length: TEM and the restart markers.
bool IsStandalone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

// Past the 0xFF of a marker and any 0xFF fill bytes after it: the marker
// byte's offset.
uint64_t SkipFill(const TByteReader &file, uint64_t at, uint64_t end) {
    ++at;
    while (at < end && file.U8(at) == 0xFF) ++at;
    return at;
}

}  // namespace

std::optional<TBlock> FindEmbeddedJpegExif(const TByteReader &file, uint64_t start, uint64_t end,
                                           std::vector<std::string> &notes) {
    end = std::min(end, file.Size());
    if (start >= end || !file.Has(start, 2) || file.U16BE(start) != StartOfImage) {
        notes.push_back("no embedded JPEG at offset " + std::to_string(start));
        return std::nullopt;
    }
    uint64_t at = start + 2;
    for (int64_t walked = 0; at < end; ++walked) {
        if (walked == MaxBoxesWalked) {
            notes.push_back("more than " + std::to_string(MaxBoxesWalked) + " JPEG segments; the rest not read");
            return std::nullopt;
        }
        if (file.U8(at) != 0xFF) {
            notes.push_back("no JPEG marker at offset " + std::to_string(at));
            return std::nullopt;
        }
        at = SkipFill(file, at, end);
        if (at >= end) return std::nullopt;
        const uint8_t marker = file.U8(at++);
        if (marker == StartOfScan || marker == EndOfImage) return std::nullopt;
        if (IsStandalone(marker)) continue;
        const uint64_t length = file.U16BE(at);
        if (length < 2 || length > end - at) {
            notes.push_back("a JPEG segment at offset " + std::to_string(at - 2) + " runs past the embedded JPEG");
            return std::nullopt;
        }
        const uint64_t payload = at + 2, size = length - 2;
        const uint64_t prefix = ExifPrefixLength(file, payload, size);
        if (marker == App1 && prefix != 0)
            return TBlock{TBlockKind::Exif, file.Bytes(payload + prefix, size - prefix), TExifRole::Main,
                          payload + prefix};
        at += length;
    }
    return std::nullopt;
}

}  // namespace containers
