// PNG: an 8-byte signature, then chunks, each
//   32-bit big-endian length   of the data alone
//   4-letter type              case carries meaning (critical, private...)
//   data
//   32-bit big-endian CRC      over type and data
// up to IEND. The metadata lives in a few ancillary chunks:
//   eXIf   EXIF, a TIFF structure (some writers put "Exif\0\0" before it)
//   iCCP   profile name, NUL, method, zlib-compressed ICC profile
//   tEXt   keyword, NUL, Latin-1 text
//   zTXt   keyword, NUL, method, zlib-compressed text
//   iTXt   keyword, NUL, compression flag, method, language, NUL,
//          translated keyword, NUL, UTF-8 text (compressed when flagged)
// XMP is the iTXt "XML:com.adobe.xmp". Before eXIf existed, ImageMagick and
// exiftool stored EXIF, IPTC and XMP as hex text under the keywords
// "Raw profile type exif/APP1/iptc/xmp" (see PngRawProfile.h).
#include <algorithm>
#include <array>
#include <optional>

#include <zlib.h>

#include "containers/Container.h"
#include "containers/ExifPrefix.h"
#include "containers/Inflate.h"
#include "containers/Photoshop.h"
#include "containers/PngRawProfile.h"

namespace containers {

namespace {

constexpr std::string_view PngSignature{"\x89PNG\r\n\x1A\n", 8};
constexpr std::string_view XmpKeyword = "XML:com.adobe.xmp";
constexpr std::string_view CommentKeyword = "Comment";
// An APP1 raw profile may hold XMP as a JPEG APP1 segment does: this
// namespace and a NUL, then the packet.
constexpr std::string_view XmpApp1Header{"http://ns.adobe.com/xap/1.0/\0", 29};

// Chunks whose data is read; only theirs are checked against their CRC, so
// that the image data is never read.
constexpr std::array<std::string_view, 5> MetadataChunks = {"eXIf", "iCCP", "tEXt", "zTXt", "iTXt"};
// A larger one is not read: its type says it is metadata, its size is what
// the file claims.
constexpr uint64_t MaxMetadataChunk = 8 * 1024 * 1024;

enum class TProfile { Exif, App1, Iptc, Xmp, Icc };

struct TProfileKeyword {
    std::string_view Keyword;
    TProfile Profile;
};

constexpr std::array<TProfileKeyword, 6> RawProfileKeywords = {{
    {"Raw profile type exif", TProfile::Exif},
    {"Raw profile type APP1", TProfile::App1},
    {"Raw profile type iptc", TProfile::Iptc},
    {"Raw profile type xmp", TProfile::Xmp},
    {"Raw profile type icc", TProfile::Icc},
    {"Raw profile type icm", TProfile::Icc},
}};

std::optional<TProfile> RawProfileOf(std::string_view keyword) {
    for (const TProfileKeyword &k : RawProfileKeywords)
        if (k.Keyword == keyword) return k.Profile;
    return std::nullopt;
}

bool IsWantedKeyword(std::string_view keyword) {
    return keyword == XmpKeyword || keyword == CommentKeyword || RawProfileOf(keyword).has_value();
}

bool IsMetadataChunk(std::string_view type) {
    return std::find(MetadataChunks.begin(), MetadataChunks.end(), type) != MetadataChunks.end();
}

// A chunk type is four ASCII letters; anything else means the walk has lost
// the chunk boundaries.
bool IsChunkType(std::string_view type) {
    return type.size() == 4 && std::all_of(type.begin(), type.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
           });
}

struct TChunk {
    uint64_t Offset = 0;  // of the length field
    std::string_view Type;
    uint64_t Data = 0;
    uint64_t Size = 0;
};

// Reads a chunk's fields in order, never past the chunk's data.
class TChunkFields {
public:
    TChunkFields(const TByteReader &file, const TChunk &chunk) : File(file), At(chunk.Data), End(chunk.Data + chunk.Size) {}

    // A NUL-terminated field without its NUL; false when no NUL is left.
    bool Terminated(std::string_view &field) {
        const std::string_view rest = Rest();
        const size_t nul = rest.find('\0');
        if (nul == std::string_view::npos) return false;
        field = rest.substr(0, nul);
        At += nul + 1;
        return true;
    }
    bool Byte(uint8_t &byte) {
        if (At >= End) return false;
        byte = File.U8(At++);
        return true;
    }
    uint64_t Offset() const { return At; }
    std::string_view Rest() const { return File.Bytes(At, End - At); }

private:
    const TByteReader &File;
    uint64_t At;
    uint64_t End;
};

// The fields between a text chunk's keyword and its text: none in tEXt; the
// method in zTXt (always compressed); in iTXt the compression flag, the
// method, the language and the translated keyword.
bool ReadFieldsBeforeText(std::string_view type, TChunkFields &fields, uint8_t &compressed, uint8_t &method) {
    if (type == "tEXt") return true;
    if (type == "zTXt") {
        compressed = 1;
        return fields.Byte(method);
    }
    std::string_view language, translated;
    return fields.Byte(compressed) && fields.Byte(method) && fields.Terminated(language) && fields.Terminated(translated);
}

// A text chunk's keyword and text: a view of the file's bytes, or the
// inflated text of a compressed chunk.
struct TPngText {
    std::string_view Keyword;
    std::string_view Stored;
    uint64_t StoredOffset = 0;
    std::string Inflated;
    bool Compressed = false;

    std::string_view Text() const { return Compressed ? std::string_view(Inflated) : Stored; }
};

class TPngWalk {
public:
    explicit TPngWalk(const TByteReader &file) : File(file) { Result.Type = TFileType::Png; }
    TContainerRead Run();

private:
    const TByteReader &File;
    TContainerRead Result;
    uint64_t InflateLeft = MaxInflatedPerFile;

    void Note(const TChunk &chunk, std::string_view what);
    bool NextChunk(uint64_t at, TChunk &chunk);
    void CheckCrc(const TChunk &chunk);
    void ReadChunk(const TChunk &chunk);
    void ReadExif(const TChunk &chunk);
    void ReadIcc(const TChunk &chunk);
    void ReadText(const TChunk &chunk);
    bool ReadTextFields(const TChunk &chunk, TPngText &text);
    bool Inflate(const TChunk &chunk, std::string_view compressed, std::string &out);
    void AddText(TBlockKind kind, TPngText &text);
    void ReadRawProfile(const TChunk &chunk, TProfile profile, std::string_view text);
    void AddProfile(const TChunk &chunk, TProfile profile, std::string_view bytes);
    void AddApp1Profile(const TChunk &chunk, std::string_view bytes);
    void AddIptcProfile(const TChunk &chunk, std::string_view bytes);
};

TContainerRead TPngWalk::Run() {
    if (File.Bytes(0, PngSignature.size()) != PngSignature) {
        Result.Notes.push_back("no PNG signature");
        return std::move(Result);
    }
    uint64_t at = PngSignature.size();
    for (int64_t walked = 0;; ++walked) {
        if (walked == MaxBoxesWalked) {
            Result.Notes.push_back("more than " + std::to_string(MaxBoxesWalked) + " chunks; the rest not read");
            break;
        }
        TChunk chunk;
        if (!NextChunk(at, chunk) || chunk.Type == "IEND") break;
        if (IsMetadataChunk(chunk.Type) && chunk.Size > MaxMetadataChunk) {
            Note(chunk, "of " + std::to_string(chunk.Size) + " bytes, larger than a metadata chunk may be; not read");
        } else if (IsMetadataChunk(chunk.Type)) {
            CheckCrc(chunk);
            ReadChunk(chunk);
        }
        at = chunk.Data + chunk.Size + 4;
    }
    return std::move(Result);
}

void TPngWalk::Note(const TChunk &chunk, std::string_view what) {
    Result.Notes.push_back(std::string(chunk.Type) + " chunk at offset " + std::to_string(chunk.Offset) + ": " +
                           std::string(what));
}

bool TPngWalk::NextChunk(uint64_t at, TChunk &chunk) {
    if (at >= File.Size()) {
        Result.Notes.push_back("the file ends without an IEND chunk");
        return false;
    }
    if (!File.Has(at, 8)) {
        Result.Notes.push_back("a chunk header cut short by the end of the file at offset " + std::to_string(at));
        return false;
    }
    chunk = {at, File.Bytes(at + 4, 4), at + 8, File.U32BE(at)};
    if (!IsChunkType(chunk.Type)) {
        Result.Notes.push_back("no chunk type at offset " + std::to_string(at) + "; the rest not read");
        return false;
    }
    if (!File.Has(chunk.Data, chunk.Size)) {
        Note(chunk, "runs past the end of the file");
        return false;
    }
    return true;
}

// The CRC covers the type and the data. A mismatch is only noted: the data
// is still read, as most viewers do.
void TPngWalk::CheckCrc(const TChunk &chunk) {
    const uint64_t crcAt = chunk.Data + chunk.Size;
    if (!File.Has(crcAt, 4)) {
        Note(chunk, "ends before its checksum");
        return;
    }
    const std::string_view covered = File.Bytes(chunk.Offset + 4, 4 + chunk.Size);
    const auto crc = crc32_z(0, reinterpret_cast<const Bytef *>(covered.data()), covered.size());
    if (static_cast<uint32_t>(crc) != File.U32BE(crcAt)) Note(chunk, "checksum does not match");
}

void TPngWalk::ReadChunk(const TChunk &chunk) {
    if (chunk.Type == "eXIf")
        ReadExif(chunk);
    else if (chunk.Type == "iCCP")
        ReadIcc(chunk);
    else
        ReadText(chunk);
}

void TPngWalk::ReadExif(const TChunk &chunk) {
    const uint64_t skip = ExifPrefixLength(File, chunk.Data, chunk.Size);
    if (chunk.Size > skip)
        Result.AddFromFile(File, TBlockKind::Exif, chunk.Data + skip, chunk.Size - skip,
                           "eXIf chunk at offset " + std::to_string(chunk.Offset));
}

void TPngWalk::ReadText(const TChunk &chunk) {
    TPngText text;
    if (!ReadTextFields(chunk, text)) return;
    if (text.Keyword == XmpKeyword)
        AddText(TBlockKind::Xmp, text);
    else if (text.Keyword == CommentKeyword)
        AddText(TBlockKind::Comment, text);
    else if (const auto profile = RawProfileOf(text.Keyword))
        ReadRawProfile(chunk, *profile, text.Text());
}

// The profile is reported, not inflated: its block is the compressed
// stream's first bytes.
void TPngWalk::ReadIcc(const TChunk &chunk) {
    TChunkFields fields(File, chunk);
    std::string_view name;
    uint8_t method = 0;
    if (!fields.Terminated(name) || !fields.Byte(method)) return Note(chunk, "is cut short");
    if (method != 0) return Note(chunk, "uses an unknown compression method");
    const uint64_t start = fields.Offset(), end = chunk.Data + chunk.Size;
    if (start < end) Result.AddFromFile(File, TBlockKind::Icc, start, end - start, "iCCP");
}

// The keyword, and the text of the chunks whose keyword is wanted (inflated
// when compressed). False for other keywords and for chunks not readable.
bool TPngWalk::ReadTextFields(const TChunk &chunk, TPngText &text) {
    TChunkFields fields(File, chunk);
    if (!fields.Terminated(text.Keyword)) {
        Note(chunk, "has no keyword");
        return false;
    }
    if (!IsWantedKeyword(text.Keyword)) return false;
    uint8_t compressed = 0;
    uint8_t method = 0;
    if (!ReadFieldsBeforeText(chunk.Type, fields, compressed, method)) {
        Note(chunk, "is cut short");
        return false;
    }
    text.Stored = fields.Rest();
    text.StoredOffset = fields.Offset();
    if (compressed == 0) return true;
    if (method != 0) {
        Note(chunk, "uses an unknown compression method");
        return false;
    }
    text.Compressed = true;
    return Inflate(chunk, text.Stored, text.Inflated);
}

// Each chunk inflates to at most MaxOwnedBlock, and all of them together
// to MaxInflatedPerFile; what a chunk inflated counts whether kept or not.
bool TPngWalk::Inflate(const TChunk &chunk, std::string_view compressed, std::string &out) {
    if (InflateLeft == 0) {
        Note(chunk, "not inflated: the file's compressed chunks gave " + std::to_string(MaxInflatedPerFile) +
                        " bytes in all already");
        return false;
    }
    const uint64_t limit = std::min(MaxOwnedBlock, InflateLeft);
    TInflated inflated = InflateBounded(compressed, limit);
    InflateLeft -= std::min(inflated.Produced, limit);
    if (inflated.End != TInflateEnd::Complete) {
        Note(chunk, InflateEndText(inflated.End));
        return false;
    }
    out = std::move(inflated.Bytes);
    return true;
}

void TPngWalk::AddText(TBlockKind kind, TPngText &text) {
    if (text.Compressed)
        Result.Add(kind, Result.Keep(std::move(text.Inflated)));
    else
        Result.Add(kind, text.Stored, text.StoredOffset);
}

void TPngWalk::ReadRawProfile(const TChunk &chunk, TProfile profile, std::string_view text) {
    TRawProfile raw = DecodeRawProfile(text, MaxOwnedBlock);
    if (!raw.Problem.empty()) Note(chunk, raw.Problem);
    if (raw.Decoded && !raw.Bytes.empty()) AddProfile(chunk, profile, Result.Keep(std::move(raw.Bytes)));
}

void TPngWalk::AddProfile(const TChunk &chunk, TProfile profile, std::string_view bytes) {
    switch (profile) {
    case TProfile::Exif: return Result.Add(TBlockKind::Exif, WithoutExifPrefix(bytes));
    case TProfile::App1: return AddApp1Profile(chunk, bytes);
    case TProfile::Iptc: return AddIptcProfile(chunk, bytes);
    case TProfile::Xmp: return Result.Add(TBlockKind::Xmp, bytes);
    case TProfile::Icc: return Result.Add(TBlockKind::Icc, bytes);
    }
}

// A JPEG APP1 segment's payload: EXIF after "Exif\0\0", or XMP after its
// namespace header.
void TPngWalk::AddApp1Profile(const TChunk &chunk, std::string_view bytes) {
    if (bytes.starts_with(ExifPrefix))
        Result.Add(TBlockKind::Exif, bytes.substr(ExifPrefix.size()));
    else if (bytes.starts_with(XmpApp1Header))
        Result.Add(TBlockKind::Xmp, bytes.substr(XmpApp1Header.size()));
    else
        Note(chunk, "an APP1 raw profile that is neither EXIF nor XMP");
}

// The "iptc" profile is either IIM datasets as they are, or (as ImageMagick
// and exiftool write it) Photoshop resource blocks with the IIM in 0x0404.
void TPngWalk::AddIptcProfile(const TChunk &chunk, std::string_view bytes) {
    if (!bytes.starts_with("8BIM")) return Result.Add(TBlockKind::Iptc, bytes);
    exif::tEndInd view;
    view.SetBuffer(bytes);
    const TByteReader resources(view);
    const TPhotoshopResources found = FindPhotoshopResources(resources, 0, resources.Size());
    if (!found.Stopped.empty()) Note(chunk, "Photoshop resources in the iptc raw profile: " + found.Stopped);
    for (const TPhotoshopResource &r : found.Found)
        if (r.Id == PhotoshopIptcId) Result.Add(TBlockKind::Iptc, r.Data);
}

}  // namespace

TContainerRead ReadPng(const TByteReader &file) { return TPngWalk(file).Run(); }

}  // namespace containers
