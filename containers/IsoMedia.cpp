// The ISO base media files that hold metadata:
// - HEIF/HEIC and AVIF: items of the top-level `meta` box (IsoItems.cpp);
// - Canon's CR3: four TIFF structures in boxes CMT1..CMT4 of a Canon `uuid`
//   box inside `moov`, and an XMP packet in a top-level `uuid` box;
// - JPEG XL in its container: top-level `Exif` and `xml ` boxes, or `brob`
//   boxes holding either Brotli-compressed.
// One walk of the top level hands each box type it knows to its reader;
// everything else, the image data in `mdat` first of all, is stepped over
// by its size.
#include <algorithm>
#include <array>
#include <utility>

#include "containers/IsoBoxes.h"

namespace containers {

namespace {

using namespace std::string_view_literals;
using iso::TBox;
using iso::TBoxWalk;

// Canon's box of camera metadata in `moov`: 85c0b687-820f-11e0-8111-f4ce462b6a48.
constexpr std::string_view CanonUuid = "\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48"sv;
// An XMP packet: be7acfcb-97a9-42e8-9c71-999491e3afac.
constexpr std::string_view XmpUuid = "\xbe\x7a\xcf\xcb\x97\xa9\x42\xe8\x9c\x71\x99\x94\x91\xe3\xaf\xac"sv;

// The TIFF structures of the Canon box; each starts at its own IFD.
struct TCanonTiff {
    std::string_view Type;
    TExifRole Role;
};

constexpr std::array<TCanonTiff, 4> CanonTiffs = {{
    {"CMT1", TExifRole::Main},
    {"CMT2", TExifRole::ExifIfd},
    {"CMT3", TExifRole::MakerNote},
    {"CMT4", TExifRole::Gps},
}};

// The compressed box types a `brob` box may hold that are metadata, and the
// name a user knows them by.
struct TCompressedKind {
    std::string_view Type;
    std::string_view Name;
};

constexpr std::array<TCompressedKind, 2> CompressedKinds = {{
    {"Exif", "Exif"},
    {"xml ", "XMP"},
}};

// The top-level walk: a file has one `meta` box, the first is read.
struct TTopLevel {
    TBoxWalk &Walk;
    bool MetaRead = false;
};

// The TIFF header is looked for in the box's own payload, never in the bytes
// after a box too small to hold it.
void ReadCanonTiff(TBoxWalk &walk, const TBox &box, TExifRole role) {
    const std::string_view payload =
        BlockView(walk.File, TBlockKind::Exif, box.Payload, box.PayloadSize(), iso::BoxName(box), walk.Result.Notes);
    if (!iso::IsTiffHeader(iso::TSliceReader(payload).Bytes(), 0)) {
        walk.Note(iso::BoxName(box) + " does not start with a TIFF header; not read");
        return;
    }
    walk.Result.Add(TBlockKind::Exif, payload, box.Payload, role);
}

void ReadCanonBox(TBoxWalk &walk, const TBox &canon, int depth) {
    walk.ForEach(canon.Payload, canon.End, depth + 1, [&](const TBox &box) {
        for (const TCanonTiff &t : CanonTiffs)
            if (box.Type == t.Type) ReadCanonTiff(walk, box, t.Role);
        return true;
    });
}

void ReadMeta(TTopLevel &top, const TBox &meta) {
    if (std::exchange(top.MetaRead, true)) return;
    iso::ReadItemMetadata(top.Walk, meta, 0);
}

void ReadMovie(TTopLevel &top, const TBox &moov) {
    top.Walk.ForEach(moov.Payload, moov.End, 1, [&](const TBox &box) {
        if (box.Type == "uuid" && box.Uuid == CanonUuid) ReadCanonBox(top.Walk, box, 1);
        return true;
    });
}

void ReadXmpUuid(TTopLevel &top, const TBox &box) {
    if (box.Uuid == XmpUuid && box.PayloadSize() > 0)
        top.Walk.Result.AddFromFile(top.Walk.File, TBlockKind::Xmp, box.Payload, box.PayloadSize(), iso::BoxName(box));
}

void ReadExifBox(TTopLevel &top, const TBox &box) {
    const iso::TSliceReader payload(BlockView(top.Walk.File, TBlockKind::Exif, box.Payload, box.PayloadSize(),
                                              iso::BoxName(box), top.Walk.Result.Notes));
    iso::AddExifPayload(top.Walk, payload.Bytes(), box.Payload, iso::BoxName(box));
}

void ReadXmlBox(TTopLevel &top, const TBox &box) {
    if (box.PayloadSize() > 0)
        top.Walk.Result.AddFromFile(top.Walk.File, TBlockKind::Xmp, box.Payload, box.PayloadSize(), iso::BoxName(box));
}

// A `brob` box: the type of the box it stands for, then that box's payload
// compressed with Brotli, which this reader cannot undo.
void NoteCompressedBox(TTopLevel &top, const TBox &box) {
    const std::string_view type = top.Walk.File.Bytes(box.Payload, std::min<uint64_t>(4, box.PayloadSize()));
    for (const TCompressedKind &k : CompressedKinds)
        if (type == k.Type)
            top.Walk.Note("a Brotli-compressed " + std::string(k.Name) + " block (" + iso::BoxName(box) +
                          ") is present but not readable: no Brotli decompressor");
}

struct TTopLevelBox {
    std::string_view Type;
    void (*Read)(TTopLevel &, const TBox &);
};

constexpr std::array<TTopLevelBox, 6> TopLevelBoxes = {{
    {"meta", ReadMeta},
    {"moov", ReadMovie},
    {"uuid", ReadXmpUuid},
    {"Exif", ReadExifBox},
    {"xml ", ReadXmlBox},
    {"brob", NoteCompressedBox},
}};

// The kind the `ftyp` box (or the JPEG XL signature) gives, when it is one
// this reader reads; Unknown for any other first bytes.
TFileType IsoKindOf(const TByteReader &file) {
    const TFileType type = FileTypeOfContent(file.Bytes(0, ContentTypeBytes));
    switch (type) {
        case TFileType::Heif:
        case TFileType::Avif:
        case TFileType::Cr3:
        case TFileType::JpegXl:
            return type;
        default:
            return TFileType::Unknown;
    }
}

// A JPEG XL file may be its bare codestream, without boxes or metadata.
bool IsBareCodestream(const TByteReader &file) {
    return file.Bytes(0, 2) == "\xFF\x0A"sv;
}

}  // namespace

TContainerRead ReadIsoMedia(const TByteReader &file) {
    TContainerRead result;
    result.Type = IsoKindOf(file);
    if (IsBareCodestream(file)) return result;
    TBoxWalk walk(file, result);
    TTopLevel top{walk};
    walk.ForEach(0, file.Size(), 0, [&](const TBox &box) {
        for (const TTopLevelBox &t : TopLevelBoxes)
            if (box.Type == t.Type) t.Read(top, box);
        return true;
    });
    return result;
}

}  // namespace containers
