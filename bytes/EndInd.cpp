#include "bytes/EndInd.h"

namespace exif {

uint8_t tEndInd::ByteOf(std::string_view buf, Pos p) {
    size_t i = 0;
    return IndexOf(buf.size(), p, 1, i) ? static_cast<uint8_t>(buf[i]) : 0;
}

std::string_view tEndInd::RegionOf(std::string_view buf, Pos p, int64_t size) {
    size_t start = 0;
    if (size <= 0 || !IndexOf(buf.size(), p, 1, start)) return {};
    const size_t available = buf.size() - start;
    const size_t n = static_cast<uint64_t>(size) < available ? static_cast<size_t>(size) : available;
    return buf.substr(start, n);
}

std::string_view tEndInd::Region(Pos p, int64_t size) const {
    const std::string_view r = RegionOf(Buffer, p, size);
    if (Loader && !r.empty()) At(static_cast<size_t>(p - 1), r.size());
    return r;
}

uint8_t tEndInd::ByteAt(Pos p) const {
    size_t i = 0;
    return IndexOf(Buffer.size(), p, 1, i) ? static_cast<uint8_t>(*At(i, 1)) : 0;
}

// Reads wholly inside the buffer take its bytes (loaded first when they
// come on demand); any other goes byte by byte, with 0 for the bytes
// outside. A position past the end has none inside.
uint16_t tEndInd::ReadWordChecked(Pos p) const {
    size_t i = 0;
    if (IndexOf(Buffer.size(), p, 2, i)) return WordOf(At(i, 2));
    if (p > Length()) return 0;
    const unsigned a = ByteAt(p), b = ByteAt(p + 1);
    return static_cast<uint16_t>(BigEndian ? (a << 8) | b : (b << 8) | a);
}

int32_t tEndInd::ReadLongChecked(Pos p) const {
    size_t i = 0;
    if (IndexOf(Buffer.size(), p, 4, i)) return LongOf(At(i, 4));
    if (p > Length()) return 0;
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) {
        const uint32_t byte = ByteAt(BigEndian ? p + k : p + 3 - k);
        v = (v << 8) | byte;
    }
    return static_cast<int32_t>(v);
}

}  // namespace exif
