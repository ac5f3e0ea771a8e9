// The container layer: for a file of a known kind, the metadata blocks it
// holds, found by walking only the structures that lead to them (boxes,
// chunks, resources, headers), never the image data. It knows nothing of
// tags: the blocks go to the EXIF walk, the IPTC reader and the XMP reader.
//
// Each kind has one function, a pure function of the file's bytes, bounded
// whatever they claim (counts, nesting depth, sizes checked against the
// file; a size running past the file ends the walk as the end of the file
// does).
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "containers/ByteReader.h"

namespace containers {

enum class TFileType { Unknown, Jpeg, Tiff, Heif, Avif, Cr3, JpegXl, Png, WebP, Psd, Raf, Orf, Rw2 };

// The name a user sees ("JPEG", "TIFF", "HEIC", "AVIF", "CR3", "JXL", "PNG",
// "WEBP", "PSD", "RAF", "ORF", "RW2").
std::string_view FileTypeName(TFileType type);

enum class TBlockKind {
    Exif,     // a TIFF structure: byte-order mark, 42, first directory offset
    Iptc,     // IPTC-IIM datasets (0x1C tag records)
    Xmp,      // an XMP packet (UTF-8, or UTF-16/32 with a BOM)
    Comment,  // a free-text comment
    Icc,      // an ICC profile (only its presence is reported: its bytes
              // are at most its header, and a compressed one stays so)
};

// Which directory the first directory of an Exif block is. A plain TIFF
// block starts at IFD0; Canon's CR3 stores IFD0, the EXIF directory, the
// maker note and the GPS directory as four TIFF blocks of their own.
enum class TExifRole { Main, ExifIfd, MakerNote, Gps };

struct TBlock {
    TBlockKind Kind = TBlockKind::Exif;
    // The block's bytes: a view over the file's bytes, or over bytes the
    // result owns (inflated, decoded from hex, reassembled). For an Exif
    // block the TIFF header is its first byte, and the directory offsets in
    // it count from there.
    std::string_view Bytes;
    TExifRole Role = TExifRole::Main;
    // The block's offset in the file (0 for bytes the result owns).
    uint64_t FileOffset = 0;
};

struct TContainerRead {
    TFileType Type = TFileType::Unknown;
    std::vector<TBlock> Blocks;
    // What the walk met that a user may want to know, in plain words: a
    // block present but not readable (a Brotli-compressed box), a checksum
    // that did not match, a structure cut short by the end of the file.
    std::vector<std::string> Notes;
    // The image's size as the container records it (HEIF and AVIF: the
    // primary item's `ispe` property); 0 when it records none.
    uint32_t ImageWidth = 0, ImageHeight = 0;
    // Storage for the bytes of blocks that are not in the file as such; a
    // deque, so the views stay valid as more are added.
    std::deque<std::string> Owned;

    // Keeps bytes the result owns and returns a view of them.
    std::string_view Keep(std::string bytes) { return Owned.emplace_back(std::move(bytes)); }
    void Add(TBlockKind kind, std::string_view bytes, uint64_t fileOffset = 0, TExifRole role = TExifRole::Main) {
        Blocks.push_back(TBlock{kind, bytes, role, fileOffset});
    }
    // Adds the block of `size` bytes at `offset` in the file, as far as its
    // kind's limit allows (see BlockView); `where` names it in a note.
    void AddFromFile(const TByteReader &file, TBlockKind kind, uint64_t offset, uint64_t size, std::string_view where,
                     TExifRole role = TExifRole::Main);
};

// The kind of a file from its first bytes (at least 32 of them when the file
// has them; brands of ISO media files are read from the ftyp box there). No
// byte past the first ContentTypeBytes counts: brands a longer ftyp box
// lists after them are not read, so that the kind is the same whether the
// caller hands over those bytes or more of the file.
TFileType FileTypeOfContent(std::string_view firstBytes);
inline constexpr uint64_t ContentTypeBytes = 4096;

// One reader per kind. The ISO base media readers (HEIF/HEIC, AVIF, CR3,
// JPEG XL in its container) share the box walk; ORF and RW2 are TIFF with
// another header and are read as TIFF blocks.
TContainerRead ReadIsoMedia(const TByteReader &file);  // Heif, Avif, Cr3, JpegXl
TContainerRead ReadPng(const TByteReader &file);
TContainerRead ReadWebP(const TByteReader &file);
TContainerRead ReadPsd(const TByteReader &file);
TContainerRead ReadRaf(const TByteReader &file);
// The reader of that kind; nothing for JPEG and TIFF-structured files, which
// the EXIF reader reads itself.
TContainerRead ReadContainer(TFileType type, const TByteReader &file);

// Limits whatever a file claims; real files stay far below them.
// The box walk enters only the boxes it knows, by a fixed path (at most four
// levels: meta, iprp, ipco, colr), so no file reaches MaxBoxDepth: it guards
// a reader that would descend by what a box says it holds.
inline constexpr int MaxBoxDepth = 16;
inline constexpr int64_t MaxBoxesWalked = 100000;
inline constexpr int64_t MaxItems = 10000;
// Bytes a block may grow to when the result owns it (inflated text, a
// reassembled item).
inline constexpr uint64_t MaxOwnedBlock = 16 * 1024 * 1024;
// Bytes inflated in all for one file, over all its compressed chunks: a
// file of a few hundred KiB could otherwise have each of its chunks inflate
// to MaxOwnedBlock.
inline constexpr uint64_t MaxInflatedPerFile = 16 * 1024 * 1024;

// The most bytes of a block of each kind taken from a file, checked before
// a byte of it is read. A block's size is what the file claims: a box may
// claim gigabytes of a sparse file. Far above real files' blocks:
//   Exif     a TIFF structure; a larger one is cut (its directories point
//            into its first bytes), the TIFF walk's own budgets apply
//   Iptc     IIM datasets; cut
//   Xmp      a packet: refused whole past it, a cut packet being no XML
//   Comment  cut
//   Icc      only the profile's 128-byte header is taken: the profile is
//            reported, never read
inline constexpr uint64_t MaxExifBlock = 8 * 1024 * 1024;
inline constexpr uint64_t MaxIptcBlock = 8 * 1024 * 1024;
inline constexpr uint64_t MaxXmpBlock = 8 * 1024 * 1024;
inline constexpr uint64_t MaxCommentBlock = 8 * 1024 * 1024;
inline constexpr uint64_t IccHeaderSize = 128;
uint64_t MaxBlockBytes(TBlockKind kind);
// A view of the block of `size` bytes at `offset` (never past the file's
// end), within its kind's limit: the whole block, its first bytes (a note
// in `notes` saying so), or nothing for an XMP packet too large (noted).
std::string_view BlockView(const TByteReader &file, TBlockKind kind, uint64_t offset, uint64_t size,
                           std::string_view where, std::vector<std::string> &notes);

}  // namespace containers
