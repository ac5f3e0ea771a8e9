// WebP: a RIFF file. "RIFF", a 32-bit little-endian size (of what follows
// it), "WEBP", then chunks, each
//   four-character code
//   32-bit little-endian size   of the data alone
//   data                        padded with one byte to an even size
// Metadata is in the chunks
//   EXIF   a TIFF structure (some writers put "Exif\0\0" before it)
//   XMP    an XMP packet (the code is "XMP " with a space)
//   ICCP   an ICC profile
// of an extended file, whose VP8X chunk flags in its first byte which of them
// the file has.
#include <algorithm>
#include <array>
#include <optional>

#include "containers/Container.h"
#include "containers/ExifPrefix.h"

namespace containers {

namespace {

constexpr uint64_t RiffHeaderSize = 12;
constexpr uint64_t ChunkHeaderSize = 8;

// The VP8X flags naming a metadata chunk, and the block that chunk gives.
struct TFlaggedChunk {
    uint8_t Flag;
    std::string_view Code;
    TBlockKind Kind;
};

constexpr std::array<TFlaggedChunk, 3> FlaggedChunks = {{
    {0x20, "ICCP", TBlockKind::Icc},
    {0x08, "EXIF", TBlockKind::Exif},
    {0x04, "XMP ", TBlockKind::Xmp},
}};

// A four-character code as a user reads it: "XMP", not "XMP ". The code of
// a damaged chunk may be any bytes: those not printable show as '?'.
std::string CodeName(std::string_view code) {
    std::string name(code.substr(0, code.find_last_not_of(' ') + 1));
    for (char &c : name)
        if (c < 0x20 || c > 0x7E) c = '?';
    return name;
}

struct TChunk {
    uint64_t Offset = 0;
    std::string_view Code;
    uint64_t Data = 0;
    uint64_t Size = 0;
};

class TWebPWalk {
public:
    explicit TWebPWalk(const TByteReader &file) : File(file) { Result.Type = TFileType::WebP; }
    TContainerRead Run();

private:
    const TByteReader &File;
    TContainerRead Result;
    uint64_t End = 0;
    // The VP8X chunk's flags, when the file has one.
    std::optional<uint8_t> Flags;
    // The flags of the metadata chunks met.
    uint8_t Found = 0;

    bool ReadHeader();
    bool NextChunk(uint64_t at, TChunk &chunk);
    void ReadChunk(const TChunk &chunk);
    void NoteFlagsThatDisagree();
};

TContainerRead TWebPWalk::Run() {
    if (!ReadHeader()) return std::move(Result);
    uint64_t at = RiffHeaderSize;
    for (int64_t walked = 0; at < End; ++walked) {
        if (walked == MaxBoxesWalked) {
            Result.Notes.push_back("more than " + std::to_string(MaxBoxesWalked) + " chunks; the rest not read");
            break;
        }
        TChunk chunk;
        if (!NextChunk(at, chunk)) break;
        ReadChunk(chunk);
        at = chunk.Data + chunk.Size + (chunk.Size & 1);
    }
    NoteFlagsThatDisagree();
    return std::move(Result);
}

// The RIFF size bounds the walk; bytes after it are not the file's chunks.
// A size past the end of the file is cut to the file.
bool TWebPWalk::ReadHeader() {
    if (File.Bytes(0, 4) != "RIFF" || File.Bytes(8, 4) != "WEBP") {
        Result.Notes.push_back("no RIFF WEBP header");
        return false;
    }
    const uint64_t riffEnd = uint64_t{8} + File.U32LE(4);
    if (riffEnd > File.Size()) Result.Notes.push_back("the RIFF size runs past the end of the file");
    End = std::min(riffEnd, File.Size());
    return true;
}

bool TWebPWalk::NextChunk(uint64_t at, TChunk &chunk) {
    if (at + ChunkHeaderSize > End) {
        Result.Notes.push_back("a chunk header cut short at offset " + std::to_string(at));
        return false;
    }
    chunk = {at, File.Bytes(at, 4), at + ChunkHeaderSize, File.U32LE(at + 4)};
    if (chunk.Size > End - chunk.Data) {
        Result.Notes.push_back(CodeName(chunk.Code) + " chunk at offset " + std::to_string(at) +
                               ": runs past the end of the file");
        return false;
    }
    return true;
}

void TWebPWalk::ReadChunk(const TChunk &chunk) {
    if (chunk.Code == "VP8X") {
        if (chunk.Size > 0) Flags = File.U8(chunk.Data);
        return;
    }
    for (const TFlaggedChunk &f : FlaggedChunks) {
        if (chunk.Code != f.Code) continue;
        Found |= f.Flag;
        const uint64_t skip = f.Kind == TBlockKind::Exif ? ExifPrefixLength(File, chunk.Data, chunk.Size) : 0;
        if (chunk.Size > skip)
            Result.AddFromFile(File, f.Kind, chunk.Data + skip, chunk.Size - skip,
                               CodeName(chunk.Code) + " chunk at offset " + std::to_string(chunk.Offset));
    }
}

// The chunks are read whatever the flags say; a disagreement is only told.
void TWebPWalk::NoteFlagsThatDisagree() {
    if (!Flags) return;
    for (const TFlaggedChunk &f : FlaggedChunks) {
        const bool flagged = (*Flags & f.Flag) != 0;
        const bool found = (Found & f.Flag) != 0;
        const std::string code = CodeName(f.Code);
        if (flagged && !found) Result.Notes.push_back("VP8X flags a " + code + " chunk the file does not have");
        if (found && !flagged) Result.Notes.push_back("a " + code + " chunk VP8X does not flag");
    }
}

}  // namespace

TContainerRead ReadWebP(const TByteReader &file) { return TWebPWalk(file).Run(); }

}  // namespace containers
