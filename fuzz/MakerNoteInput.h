// The maker-note target's input: a small header choosing the maker and the
// circumstances of the note, then the EXIF data that encloses the note.
//
//   byte 0      maker: index into MakerNames (modulo its size)
//   byte 1      bit 0 Motorola byte order, bit 1 from a TIFF-structured file,
//               bit 2 EXIF version "0220" (else none), bit 3 a D-series model
//   bytes 2-3   the note's 0-based offset in the EXIF data, big-endian
//   bytes 4-5   the note's length, big-endian (cut at the end of the data)
//   bytes 6..   the EXIF data (a TIFF header and what follows, as an APP1
//               segment holds it from its length bytes on)
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace fuzz {

// One Make text per maker the reader knows, and one it does not (index 8,
// kept there for the stored seeds; makers are added at the end); the registry
// then picks the layout by the Make and the note's first bytes, so every
// layout is reachable.
// clang-format off
inline constexpr std::array<std::string_view, 20> MakerNames = {{
    "NIKON CORPORATION",
    "OLYMPUS OPTICAL CO.,LTD",
    "CASIO COMPUTER CO.,LTD.",
    "FUJIFILM",
    "Canon",
    "SEIKO EPSON CORP.",
    "SANYO Electric Co.,Ltd.",
    "Minolta Co., Ltd.",
    "EASTMAN KODAK COMPANY",
    "Apple",
    "SONY",
    "Panasonic",
    "LEICA",
    "OM Digital Solutions",
    "PENTAX Corporation",
    "RICOH IMAGING COMPANY, LTD.",
    "SAMSUNG",
    "SIGMA",
    "DJI",
    "Leica Camera AG",
}};
inline constexpr size_t UnknownMakerIndex = 8;
// clang-format on

enum MakerNoteFlags : uint8_t { NoteBigEndian = 1, NoteFromTiff = 2, NoteExifVersion = 4, NoteDSeriesModel = 8 };

struct TMakerNoteInput {
    std::string_view Make;
    uint8_t Flags = 0;
    size_t Offset = 0;  // 0-based, within Enclosing
    std::string_view Note;
    std::string_view Enclosing;
};

inline constexpr size_t MakerNoteHeaderSize = 6;

inline TMakerNoteInput SplitMakerNoteInput(std::string_view in) {
    TMakerNoteInput out;
    if (in.size() < MakerNoteHeaderSize) return out;
    const auto byte = [&](size_t i) { return static_cast<size_t>(static_cast<uint8_t>(in[i])); };
    out.Make = MakerNames[byte(0) % MakerNames.size()];
    out.Flags = static_cast<uint8_t>(byte(1));
    out.Enclosing = in.substr(MakerNoteHeaderSize);
    out.Offset = std::min((byte(2) << 8) | byte(3), out.Enclosing.size());
    out.Note = out.Enclosing.substr(out.Offset, (byte(4) << 8) | byte(5));
    return out;
}

}  // namespace fuzz
