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



namespace exif {

using Pos = int64_t;

// Bytes that arrive on demand: a view over a file read page by page asks its
// loader for every range before reading it. The range is a part of the
// loader's own bytes.
class TByteLoader {
public:
    virtual void Load(std::string_view range) const = 0;

protected:
    ~TByteLoader() = default;
};

class tEndInd {
public:
    bool BigEndian = false;  // "MM" (Motorola) when true, "II" (Intel) when false

    // The reader views bytes someone else owns; they must outlive the view.
    void SetBuffer(std::string_view bytes) { Buffer = bytes; }
    void SetBuffer(std::string &&) = delete;  // a temporary would not outlive the view
    // The bytes' loader, when they are not all in memory yet; views copied
    // from this one share it.
    void SetLoader(const TByteLoader *loader) { Loader = loader; }
    std::string_view GetBuffer() const { return Buffer; }
    Pos Length() const { return static_cast<Pos>(Buffer.size()); }

    // Byte at a 1-based position, 0 outside the buffer.
    uint8_t ByteAt(Pos p) const;
    // 16-bit unsigned and 32-bit signed reads in the current byte order.
    // Reads of bytes in memory and wholly inside the buffer, nearly all of
    // them, take the inline path.
    uint16_t ReadWord(Pos p) const {
        if (Loader || p < 1 || static_cast<uint64_t>(p - 1) + 2 > Buffer.size()) return ReadWordChecked(p);
        const auto *b = reinterpret_cast<const unsigned char *>(Buffer.data()) + (p - 1);
        return static_cast<uint16_t>(BigEndian ? (b[0] << 8) | b[1] : (b[1] << 8) | b[0]);
    }
    int32_t ReadLong(Pos p) const {
        if (Loader || p < 1 || static_cast<uint64_t>(p - 1) + 4 > Buffer.size()) return ReadLongChecked(p);
        const auto *b = reinterpret_cast<const unsigned char *>(Buffer.data()) + (p - 1);
        const uint32_t v = BigEndian ? uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3]
                                     : uint32_t{b[3]} << 24 | uint32_t{b[2]} << 16 | uint32_t{b[1]} << 8 | b[0];
        return static_cast<int32_t>(v);
    }
    // A TIFF offset: 32 bits, unsigned (a classic TIFF reaches 4 GiB).
    uint32_t ReadOffset(Pos p) const { return static_cast<uint32_t>(ReadLong(p)); }
    // Up to `size` bytes from position p: none when p < 1 or p is past the
    // end, fewer when the buffer ends first.
    std::string_view Region(Pos p, int64_t size) const;
    // How many bytes Region(p, size) would give, without reading them.
    int64_t Available(Pos p, int64_t size) const { return static_cast<int64_t>(RegionOf(Buffer, p, size).size()); }

    // The same over bytes wholly in memory.
    static std::string_view RegionOf(std::string_view buf, Pos p, int64_t size);
    static uint8_t ByteOf(std::string_view buf, Pos p);

protected:
    std::string_view Buffer;
    const TByteLoader *Loader = nullptr;

private:
    uint16_t ReadWordChecked(Pos p) const;
    int32_t ReadLongChecked(Pos p) const;
    // The bytes at buffer index i, n of them, loaded when they come on demand.
    const char *At(size_t i, size_t n) const {
        if (Loader) Loader->Load(Buffer.substr(i, n));
        return Buffer.data() + i;
    }
};

}  // namespace exif
