// tEndInd: the one checked reader through which every byte of a file is read,
// a view (bytes, size, byte order) over memory the container owns.
//
// Positions are 1-based, as everywhere in the reader: position 1 is the first
// byte of the buffer. Position arithmetic is done in 64 bits so that a stored
// offset can never wrap into the buffer. Bytes outside the buffer read as 0;
// a value region yields only its bytes that lie inside the buffer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "exif/TagEntry.h"

namespace exif {

using Pos = int64_t;

class tEndInd {
public:
    bool BigEndian = false;  // "MM" (Motorola) when true, "II" (Intel) when false

    // The reader views bytes someone else owns; they must outlive the view.
    void SetBuffer(std::string_view bytes) { Buffer = bytes; }
    void SetBuffer(Bytes &&) = delete;
    std::string_view GetBuffer() const { return Buffer; }
    Pos Length() const { return static_cast<Pos>(Buffer.size()); }

    // Byte at a 1-based position, 0 outside the buffer.
    uint8_t ByteAt(Pos p) const;
    // 16-bit unsigned and 32-bit signed reads in the current byte order.
    uint16_t ReadWord(Pos p) const;
    int32_t ReadLong(Pos p) const;
    // Up to `size` bytes from position p: none when p < 1 or p is past the
    // end, fewer when the buffer ends first.
    std::string_view Region(Pos p, int64_t size) const { return RegionOf(Buffer, p, size); }

    static std::string_view RegionOf(std::string_view buf, Pos p, int64_t size);
    static uint8_t ByteOf(std::string_view buf, Pos p);

protected:
    std::string_view Buffer;
};

}  // namespace exif
