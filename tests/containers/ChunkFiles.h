// Helpers for the chunk-based container tests (PNG, WebP, PSD, RAF): numbers
// as file bytes, a reader run over bytes built in a test, and what it found.
#pragma once

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "bytes/EndInd.h"
#include "containers/Container.h"

namespace chunkfiles {

using namespace std::string_literals;

// The smallest TIFF structure: header and an empty first directory.
inline const std::string Tiff = "MM\0*\0\0\0\x08\0\0\0\0\0\0"s;
inline const std::string ExifPrefix = "Exif\0\0"s;

inline std::string BigEndian(uint64_t v, int width) {
    std::string out;
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
    return out;
}
inline std::string LittleEndian(uint64_t v, int width) {
    std::string out;
    for (int k = 0; k < width; ++k) out += static_cast<char>((v >> (8 * k)) & 0xFF);
    return out;
}

using TReader = containers::TContainerRead (*)(const containers::TByteReader &);

// Runs a container reader over bytes the caller keeps alive: the blocks are
// views of them. Not over a temporary, whose blocks would dangle.
inline containers::TContainerRead Read(TReader reader, const std::string &bytes) {
    exif::tEndInd view;
    view.SetBuffer(bytes);
    return reader(containers::TByteReader(view));
}
containers::TContainerRead Read(TReader reader, std::string &&bytes) = delete;

inline std::vector<std::string_view> BlocksOf(const containers::TContainerRead &read, containers::TBlockKind kind) {
    std::vector<std::string_view> out;
    for (const containers::TBlock &b : read.Blocks)
        if (b.Kind == kind) out.push_back(b.Bytes);
    return out;
}

inline bool HasNote(const containers::TContainerRead &read, std::string_view words) {
    for (const std::string &n : read.Notes)
        if (n.find(words) != std::string::npos) return true;
    return false;
}

inline std::string ReadTestFile(const std::string &name) {
    std::ifstream in(std::string(EXIFVIEW_TEST_DATA) + "/containers/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace chunkfiles
