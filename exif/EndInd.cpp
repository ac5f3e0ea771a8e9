#include "exif/EndInd.h"

namespace exif {

// The single conversion from a 1-based position to a buffer index; every
// access below goes through it.
static bool IndexOf(std::string_view buf, Pos p, size_t &index) {
    if (p < 1 || static_cast<uint64_t>(p - 1) >= buf.size()) return false;
    index = static_cast<size_t>(p - 1);
    return true;
}

uint8_t tEndInd::ByteOf(std::string_view buf, Pos p) {
    size_t i = 0;
    return IndexOf(buf, p, i) ? static_cast<uint8_t>(buf[i]) : 0;
}

std::string_view tEndInd::RegionOf(std::string_view buf, Pos p, int64_t size) {
    size_t start = 0;
    if (size <= 0 || !IndexOf(buf, p, start)) return {};
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
    return IndexOf(Buffer, p, i) ? static_cast<uint8_t>(*At(i, 1)) : 0;
}

// Reads wholly inside the buffer take its bytes directly; any other goes byte
// by byte, with 0 for the bytes outside.
uint16_t tEndInd::ReadWordChecked(Pos p) const {
    size_t i = 0;
    const bool inside = IndexOf(Buffer, p, i) && i + 2 <= Buffer.size();
    const char *at = inside ? At(i, 2) : nullptr;
    const unsigned a = inside ? static_cast<uint8_t>(at[0]) : ByteAt(p);
    const unsigned b = inside ? static_cast<uint8_t>(at[1]) : ByteAt(p + 1);
    return static_cast<uint16_t>(BigEndian ? (a << 8) | b : (b << 8) | a);
}

int32_t tEndInd::ReadLongChecked(Pos p) const {
    size_t i = 0;
    if (IndexOf(Buffer, p, i) && i + 4 <= Buffer.size()) {
        const char *bytes = At(i, 4);
        const auto at = [&](size_t k) { return static_cast<uint32_t>(static_cast<uint8_t>(bytes[k])); };
        const uint32_t v = BigEndian ? at(0) << 24 | at(1) << 16 | at(2) << 8 | at(3)
                                     : at(3) << 24 | at(2) << 16 | at(1) << 8 | at(0);
        return static_cast<int32_t>(v);
    }
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) {
        const uint32_t byte = ByteAt(BigEndian ? p + k : p + 3 - k);
        v = (v << 8) | byte;
    }
    return static_cast<int32_t>(v);
}

}  // namespace exif
