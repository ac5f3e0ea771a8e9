// tEndInd: the one checked reader through which every byte of a file is read.
//
// Positions are 1-based, as everywhere in the reader: position 1 is the first
// byte of the buffer. Position arithmetic is done in 64 bits so that a stored
// offset can never wrap into the buffer. Bytes outside the buffer read as 0;
// a value region yields only its bytes that lie inside the buffer.
#pragma once

#include <cstdint>
#include <string>

#include "exif/TagEntry.h"

namespace exif {

using Pos = int64_t;

class tEndInd {
public:
    bool BigEndian = false;  // "MM" (Motorola) when true, "II" (Intel) when false

    void SetBuffer(const Bytes &bytes) { Buffer = bytes; }
    const Bytes &GetBuffer() const { return Buffer; }
    Pos Length() const { return static_cast<Pos>(Buffer.size()); }

    // Byte at a 1-based position, 0 outside the buffer.
    uint8_t ByteAt(Pos p) const;
    // 16-bit unsigned and 32-bit signed reads in the current byte order.
    uint16_t ReadWord(Pos p) const;
    int32_t ReadLong(Pos p) const;
    // Up to `size` bytes from position p: none when p < 1 or p is past the
    // end, fewer when the buffer ends first.
    Bytes Region(Pos p, int64_t size) const { return RegionOf(Buffer, p, size); }

    static Bytes RegionOf(const Bytes &buf, Pos p, int64_t size);
    static uint8_t ByteOf(const Bytes &buf, Pos p);

protected:
    Bytes Buffer;
};

}  // namespace exif
