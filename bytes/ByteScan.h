// Scans that test many bytes of a text at once, for the readers and writers
// that walk long texts byte by byte otherwise (an XML document, the values
// an output escapes): eight bytes as one number on any machine, and sixteen
// with one instruction where the processor has SSE2 (every x86-64 one).
// The bytes are always those of a view, taken through substr.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define EXIF_BLOCK_SCANS 1
#endif

namespace exif::scan {

// In a word, a byte's top bit, left in Tops by these tests, marks one that
// passes. The lowest mark is exact (a carry or borrow only reaches the
// bytes after a marked one), so on a little-endian machine it tells the
// first such byte.
inline constexpr uint64_t Ones = 0x0101010101010101u;
inline constexpr uint64_t Tops = 0x8080808080808080u;
inline constexpr bool WordScans = std::endian::native == std::endian::little;

// The eight bytes at `at`, which the text holds.
inline uint64_t WordAt(std::string_view text, std::size_t at) {
    uint64_t w = 0;
    std::memcpy(&w, text.substr(at, 8).data(), sizeof w);
    return w;
}

// The bytes of `w` equal to `c`.
inline uint64_t BytesEqual(uint64_t w, char c) {
    const uint64_t x = w ^ (Ones * static_cast<unsigned char>(c));
    return (x - Ones) & ~x & Tops;
}

// The byte a mark stands for.
inline std::size_t FirstMarkedByte(uint64_t marks) { return static_cast<std::size_t>(std::countr_zero(marks)) / 8; }

#ifdef EXIF_BLOCK_SCANS
// Sixteen bytes: a test gives a mask of one bit a byte, the lowest bit the
// first byte.
class TBlock {
public:
    static constexpr std::size_t Size = 16;
    TBlock(std::string_view text, std::size_t at)
        : Bytes(_mm_loadu_si128(reinterpret_cast<const __m128i *>(text.substr(at, Size).data()))) {}
    unsigned Equal(char c) const { return Mask(_mm_cmpeq_epi8(Bytes, _mm_set1_epi8(c))); }
    // Bytes below 0x20 or from 0x80 on: as signed bytes, all below 0x20.
    unsigned NotPlainAscii() const { return Mask(_mm_cmplt_epi8(Bytes, _mm_set1_epi8(0x20))); }

private:
    __m128i Bytes;
    static unsigned Mask(__m128i m) { return static_cast<unsigned>(_mm_movemask_epi8(m)); }
};

inline std::size_t FirstMarked(unsigned mask) { return static_cast<std::size_t>(std::countr_zero(mask)); }
#endif

}  // namespace exif::scan
