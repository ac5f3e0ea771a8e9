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
    // them, take the inline path; its bound is the one every read checks.
    uint16_t ReadWord(Pos p) const {
        size_t i = 0;
        if (Loader || !IndexOf(Buffer.size(), p, 2, i)) return ReadWordChecked(p);
        return WordOf(Buffer.data() + i);
    }
    int32_t ReadLong(Pos p) const {
        size_t i = 0;
        if (Loader || !IndexOf(Buffer.size(), p, 4, i)) return ReadLongChecked(p);
        return LongOf(Buffer.data() + i);
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
    // The one conversion from a 1-based position to a buffer index, and the
    // one bound check: whether the n bytes at p lie wholly inside a buffer
    // of `size` bytes (in unsigned arithmetic that cannot wrap), and the
    // index of the first when they do.
    static bool IndexOf(size_t size, Pos p, size_t n, size_t &index) {
        if (p < 1) return false;
        const uint64_t i = static_cast<uint64_t>(p - 1);
        if (i > size || n > size - static_cast<size_t>(i)) return false;
        index = static_cast<size_t>(i);
        return true;
    }
    // The bytes at `b`, which lie inside the buffer, in the byte order.
    uint16_t WordOf(const char *b) const {
        const auto at = [b](int k) { return static_cast<unsigned>(static_cast<unsigned char>(b[k])); };
        return static_cast<uint16_t>(BigEndian ? at(0) << 8 | at(1) : at(1) << 8 | at(0));
    }
    int32_t LongOf(const char *b) const {
        const auto at = [b](int k) { return static_cast<uint32_t>(static_cast<unsigned char>(b[k])); };
        return static_cast<int32_t>(BigEndian ? at(0) << 24 | at(1) << 16 | at(2) << 8 | at(3)
                                              : at(3) << 24 | at(2) << 16 | at(1) << 8 | at(0));
    }
    uint16_t ReadWordChecked(Pos p) const;
    int32_t ReadLongChecked(Pos p) const;
    // The bytes at buffer index i, n of them, loaded when they come on demand.
    const char *At(size_t i, size_t n) const {
        if (Loader) Loader->Load(Buffer.substr(i, n));
        return Buffer.data() + i;
    }
};

}  // namespace exif
