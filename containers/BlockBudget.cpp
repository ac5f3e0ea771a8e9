// The one place where a block's claimed size meets the limits of its kind,
// before any of its bytes is requested from the file.
#include <string>

#include "containers/Container.h"

namespace containers {

namespace {

std::string_view KindName(TBlockKind kind) {
    switch (kind) {
    case TBlockKind::Exif: return "EXIF";
    case TBlockKind::Iptc: return "IPTC";
    case TBlockKind::Xmp: return "XMP";
    case TBlockKind::Comment: return "comment";
    case TBlockKind::Icc: return "ICC profile";
    }
    return "metadata";
}

std::string SizeText(uint64_t bytes) {
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0) return std::to_string(bytes / (1024 * 1024)) + " MiB";
    if (bytes >= 1024 && bytes % 1024 == 0) return std::to_string(bytes / 1024) + " KiB";
    return std::to_string(bytes) + " bytes";
}

}  // namespace

uint64_t MaxBlockBytes(TBlockKind kind) {
    switch (kind) {
    case TBlockKind::Exif: return MaxExifBlock;
    case TBlockKind::Iptc: return MaxIptcBlock;
    case TBlockKind::Xmp: return MaxXmpBlock;
    case TBlockKind::Comment: return MaxCommentBlock;
    case TBlockKind::Icc: return IccHeaderSize;
    }
    return 0;
}

std::string_view BlockView(const TByteReader &file, TBlockKind kind, uint64_t offset, uint64_t size,
                           std::string_view where, std::vector<std::string> &notes) {
    const uint64_t limit = MaxBlockBytes(kind);
    if (size <= limit || kind == TBlockKind::Icc) return file.Bytes(offset, size < limit ? size : limit);
    const std::string what = std::string(where) + ": " + std::string(KindName(kind)) + " of " +
                             std::to_string(size) + " bytes, past the " + SizeText(limit) + " such a block may have";
    if (kind == TBlockKind::Xmp) {
        notes.push_back(what + "; not read");
        return {};
    }
    notes.push_back(what + "; only its first " + SizeText(limit) + " read");
    return file.Bytes(offset, limit);
}

void TContainerRead::AddFromFile(const TByteReader &file, TBlockKind kind, uint64_t offset, uint64_t size,
                                 std::string_view where, TExifRole role) {
    const std::string_view bytes = BlockView(file, kind, offset, size, where, Notes);
    if (!bytes.empty()) Add(kind, bytes, offset, role);
}

}  // namespace containers
