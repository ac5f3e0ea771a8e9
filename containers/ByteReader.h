// TByteReader: 0-based offsets and fixed-width big- and little-endian reads
// for the container readers, over the reader's one checked view (tEndInd).
// A read that runs past the end yields the bytes that exist (fewer, or none);
// a number read past the end reads as 0. Offsets are 64-bit and unsigned, so
// a box claiming 2^64 bytes cannot wrap an offset back into the file.
#pragma once

#include <cstdint>
#include <string_view>

#include "bytes/EndInd.h"

namespace containers {

class TByteReader {
public:
    explicit TByteReader(const exif::tEndInd &bytes) : View(bytes) {}

    uint64_t Size() const { return static_cast<uint64_t>(View.Length()); }
    // True when n bytes from `offset` lie inside the bytes.
    bool Has(uint64_t offset, uint64_t n) const { return offset <= Size() && n <= Size() - offset; }
    // Up to n bytes from `offset`: fewer when the bytes end first.
    std::string_view Bytes(uint64_t offset, uint64_t n) const {
        if (offset >= Size() || n == 0) return {};
        const uint64_t take = n < Size() - offset ? n : Size() - offset;
        return View.Region(static_cast<exif::Pos>(offset) + 1, static_cast<int64_t>(take));
    }
    uint8_t U8(uint64_t offset) const { return static_cast<uint8_t>(Number(offset, 1, true)); }
    uint16_t U16BE(uint64_t offset) const { return static_cast<uint16_t>(Number(offset, 2, true)); }
    uint16_t U16LE(uint64_t offset) const { return static_cast<uint16_t>(Number(offset, 2, false)); }
    uint32_t U32BE(uint64_t offset) const { return static_cast<uint32_t>(Number(offset, 4, true)); }
    uint32_t U32LE(uint64_t offset) const { return static_cast<uint32_t>(Number(offset, 4, false)); }
    uint64_t U64BE(uint64_t offset) const { return Number(offset, 8, true); }

private:
    const exif::tEndInd &View;

    uint64_t Number(uint64_t offset, unsigned width, bool bigEndian) const {
        const std::string_view b = Bytes(offset, width);
        if (b.size() != width) return 0;
        uint64_t v = 0;
        for (unsigned k = 0; k < width; ++k) {
            const unsigned char byte = static_cast<unsigned char>(b[bigEndian ? k : width - 1 - k]);
            v = (v << 8) | byte;
        }
        return v;
    }
};

}  // namespace containers
