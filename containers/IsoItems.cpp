// HEIF and AVIF keep their metadata as items of the top-level `meta` box, as
// they keep their images: `iinf` says what each item is, `iloc` where its
// bytes are (in the file, or in the `idat` box of the same `meta`), in one
// or more extents that together make the item. An Exif item has the type
// "Exif"; an XMP item has the type "mime" and the content type
// "application/rdf+xml". An ICC profile is an image property instead: a
// `colr` box of colour type "prof" or "rICC" in `iprp`/`ipco`. The image's
// size is a property too: the `ispe` box `ipma` associates with the primary
// item (`pitm`), which may be a grid of tiles or a crop of the camera's
// frame, so neither the tiles' size nor the EXIF pixel size is the image's.
#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "containers/IsoBoxes.h"

namespace containers::iso {

namespace {

// Every full box starts with an 8-bit version and 24 bits of flags.
constexpr uint64_t FullBoxHeader = 4;
constexpr std::string_view XmpContentType = "application/rdf+xml";
// Extents read in all, whatever the counts in `iloc` claim: an item of the
// kinds read here has one or a few.
constexpr int64_t MaxExtents = MaxItems;

// The boxes of `meta` that lead to metadata; the first of each is used.
struct TMetaBoxes {
    std::optional<TBox> ItemInfo;       // iinf
    std::optional<TBox> ItemLocations;  // iloc
    std::optional<TBox> ItemData;       // idat
    std::optional<TBox> Properties;     // iprp
    std::optional<TBox> PrimaryItem;    // pitm
};

struct TMetaSlot {
    std::string_view Type;
    std::optional<TBox> TMetaBoxes::*Slot;
};

constexpr std::array<TMetaSlot, 5> MetaSlots = {{
    {"iinf", &TMetaBoxes::ItemInfo},
    {"iloc", &TMetaBoxes::ItemLocations},
    {"idat", &TMetaBoxes::ItemData},
    {"iprp", &TMetaBoxes::Properties},
    {"pitm", &TMetaBoxes::PrimaryItem},
}};

// An item whose bytes are a metadata block.
struct TWantedItem {
    uint32_t Id = 0;
    TBlockKind Kind = TBlockKind::Exif;
};

struct TExtent {
    uint64_t Offset = 0;
    uint64_t Length = 0;  // 0: the rest of the source
};

// Where the offsets of an item's extents count from.
enum TConstructionMethod : uint16_t { FromFile = 0, FromItemData = 1 };

struct TItemLocation {
    uint16_t Method = FromFile;
    uint16_t DataReference = 0;  // 0: this file
    uint64_t BaseOffset = 0;
    std::vector<TExtent> Extents;
};

// A run of the file's bytes: an extent placed in the file.
struct TSpan {
    uint64_t Offset = 0;
    uint64_t Length = 0;
};

// The fields of a box's payload read in order, never past the box's end; a
// field that does not fit reads as 0 and marks the payload cut short.
class TFieldReader {
public:
    TFieldReader(const TByteReader &file, uint64_t at, uint64_t end) : File(file), At(std::min(at, end)), End(end) {}

    bool CutShort() const { return Short; }
    void Skip(uint64_t n) {
        if (n <= End - At) {
            At += n;
        } else {
            At = End;
            Short = true;
        }
    }
    // A big-endian number of 0, 1, 2, 4 or 8 bytes.
    uint64_t Number(uint64_t width) {
        const uint64_t at = At;
        Skip(width);
        if (Short) return 0;
        switch (width) {
        case 1: return File.U8(at);
        case 2: return File.U16BE(at);
        case 4: return File.U32BE(at);
        case 8: return File.U64BE(at);
        default: return 0;
        }
    }
    uint8_t U8() { return static_cast<uint8_t>(Number(1)); }
    uint16_t U16() { return static_cast<uint16_t>(Number(2)); }
    uint32_t U32() { return static_cast<uint32_t>(Number(4)); }
    std::string_view Bytes(uint64_t n) {
        const uint64_t at = At;
        Skip(n);
        return Short ? std::string_view{} : File.Bytes(at, n);
    }
    // A NUL-terminated string; an unterminated one runs to the end.
    std::string_view CString() {
        const std::string_view rest = File.Bytes(At, End - At);
        const size_t nul = rest.find('\0');
        const std::string_view s = rest.substr(0, nul);
        Skip(s.size() + (nul == std::string_view::npos ? 0 : 1));
        return s;
    }

private:
    const TByteReader &File;
    uint64_t At;
    uint64_t End;
    bool Short = false;
};

TMetaBoxes FindMetaBoxes(TBoxWalk &walk, const TBox &meta, int depth) {
    TMetaBoxes found;
    walk.ForEach(meta.Payload + FullBoxHeader, meta.End, depth + 1, [&](const TBox &box) {
        for (const TMetaSlot &s : MetaSlots)
            if (box.Type == s.Type && !(found.*s.Slot)) found.*s.Slot = box;
        return true;
    });
    return found;
}

// An `infe` box, version 2 or 3: item ID (16 or 32 bits), protection index,
// item type, a NUL-terminated name; a "mime" item then has a content type
// and an optional content encoding. Earlier versions name no item type.
std::optional<TWantedItem> WantedItemOf(TBoxWalk &walk, const TBox &entry) {
    TFieldReader in(walk.File, entry.Payload, entry.End);
    const uint8_t version = in.U8();
    if (version < 2 || version > 3) return std::nullopt;
    in.Skip(FullBoxHeader - 1);
    const uint32_t id = version == 2 ? in.U16() : in.U32();
    const uint16_t protection = in.U16();
    const std::string_view type = in.Bytes(4);
    in.CString();  // the item's name
    if (in.CutShort()) {
        walk.Note(BoxName(entry) + " is cut short; its item was not read");
        return std::nullopt;
    }
    std::optional<TWantedItem> wanted;
    std::string_view encoding;
    if (type == "Exif") {
        wanted = TWantedItem{id, TBlockKind::Exif};
    } else if (type == "mime" && in.CString() == XmpContentType) {
        wanted = TWantedItem{id, TBlockKind::Xmp};
        encoding = in.CString();
    }
    if (!wanted) return std::nullopt;
    if (protection != 0) {
        walk.Note("item " + std::to_string(id) + " is protected (encrypted); not read");
        return std::nullopt;
    }
    if (!encoding.empty()) {
        walk.Note("item " + std::to_string(id) + " is encoded (" + Printable(encoding) + "); not read");
        return std::nullopt;
    }
    return wanted;
}

// `iinf`: a full box, an entry count (16 bits in version 0, else 32), then
// one `infe` box per item. The boxes are read as far as they go, at most
// MaxItems of them, whatever the count says. An item ID met twice keeps its
// first entry.
std::vector<TWantedItem> ReadItemInfo(TBoxWalk &walk, const TBox &iinf, int depth) {
    std::vector<TWantedItem> wanted;
    std::set<uint32_t> seen;
    const uint64_t countWidth = walk.File.U8(iinf.Payload) == 0 ? 2 : 4;
    int64_t considered = 0;
    walk.ForEach(iinf.Payload + FullBoxHeader + countWidth, iinf.End, depth + 1, [&](const TBox &box) {
        if (++considered > MaxItems) {
            walk.Note("more than " + std::to_string(MaxItems) + " items; the rest were not read");
            return false;
        }
        if (box.Type != "infe") return true;
        if (const auto item = WantedItemOf(walk, box); item && seen.insert(item->Id).second) wanted.push_back(*item);
        return true;
    });
    return wanted;
}

constexpr unsigned HighNibble(uint8_t b) { return static_cast<unsigned>(b) >> 4; }
constexpr unsigned LowNibble(uint8_t b) { return static_cast<unsigned>(b) & 0xFu; }

// The widths in bytes of the variable fields of `iloc`, each 0, 4 or 8.
struct TFieldWidths {
    unsigned Offset = 0, Length = 0, BaseOffset = 0, Index = 0;

    bool Valid() const {
        return std::ranges::all_of(std::array{Offset, Length, BaseOffset, Index},
                                   [](unsigned w) { return w == 0 || w == 4 || w == 8; });
    }
    uint64_t Extent() const { return uint64_t{Index} + Offset + Length; }
};

// `iloc`: a full box (version 0, 1 or 2); two bytes of field widths in
// nibbles; an item count (16 bits before version 2, else 32); per item its
// ID (as wide), a construction method (versions 1 and 2), a data reference
// index, a base offset, an extent count and the extents (index, offset,
// length). Only the wanted items' extents are kept; the others are skipped
// over by their size.
class TLocationReader {
public:
    TLocationReader(TBoxWalk &walk, const TBox &iloc, const std::set<uint32_t> &wanted)
        : Walk(walk), Iloc(iloc), Wanted(wanted), In(walk.File, iloc.Payload, iloc.End) {}

    std::map<uint32_t, TItemLocation> Read() {
        const uint8_t version = In.U8();
        if (version > 2) {
            Walk.Note(BoxName(Iloc) + " has version " + std::to_string(version) + "; not read");
            return {};
        }
        In.Skip(FullBoxHeader - 1);
        const uint8_t first = In.U8(), second = In.U8();
        Widths = {HighNibble(first), LowNibble(first), HighNibble(second), version >= 1 ? LowNibble(second) : 0u};
        if (!Widths.Valid()) {
            Walk.Note(BoxName(Iloc) + " gives field widths other than 0, 4 or 8 bytes; not read");
            return {};
        }
        const uint64_t count = version < 2 ? In.U16() : In.U32();
        for (uint64_t i = 0; i < count && !In.CutShort(); ++i) {
            if (i == static_cast<uint64_t>(MaxItems)) {
                Walk.Note("more than " + std::to_string(MaxItems) + " item locations; the rest were not read");
                break;
            }
            ReadItem(version);
        }
        if (In.CutShort()) Walk.Note(BoxName(Iloc) + " is cut short; its last item locations were not read");
        return std::move(Found);
    }

private:
    TBoxWalk &Walk;
    const TBox &Iloc;
    const std::set<uint32_t> &Wanted;
    TFieldReader In;
    TFieldWidths Widths;
    std::map<uint32_t, TItemLocation> Found;
    int64_t ExtentsRead = 0;

    void ReadItem(uint8_t version) {
        const uint32_t id = version < 2 ? In.U16() : In.U32();
        TItemLocation item;
        if (version >= 1) item.Method = static_cast<uint16_t>(In.U16() & 0xFu);
        item.DataReference = In.U16();
        item.BaseOffset = In.Number(Widths.BaseOffset);
        const uint16_t extents = In.U16();
        if (!Wanted.contains(id) || Found.contains(id)) {
            In.Skip(extents * Widths.Extent());
            return;
        }
        ReadExtents(item, extents);
        if (!In.CutShort()) Found.emplace(id, std::move(item));
    }

    void ReadExtents(TItemLocation &item, uint16_t extents) {
        for (uint16_t k = 0; k < extents && !In.CutShort(); ++k) {
            if (++ExtentsRead > MaxExtents) {
                if (ExtentsRead == MaxExtents + 1)
                    Walk.Note("more than " + std::to_string(MaxExtents) + " extents; the rest were not read");
                In.Skip(uint64_t{static_cast<uint16_t>(extents - k)} * Widths.Extent());
                return;
            }
            In.Skip(Widths.Index);
            const uint64_t offset = In.Number(Widths.Offset);
            item.Extents.push_back(TExtent{offset, In.Number(Widths.Length)});
        }
    }
};

// The span of the file that an item's extent offsets count from: the whole
// file, or the payload of `idat`.
std::optional<TSpan> SourceOf(TBoxWalk &walk, uint32_t id, const TItemLocation &item, const std::optional<TBox> &idat) {
    const std::string what = "item " + std::to_string(id);
    if (item.DataReference != 0) {
        walk.Note(what + " is in another file; not read");
        return std::nullopt;
    }
    if (item.Method == FromFile) return TSpan{0, walk.File.Size()};
    if (item.Method != FromItemData) {
        walk.Note(what + " is built by construction method " + std::to_string(item.Method) + "; not read");
        return std::nullopt;
    }
    if (!idat) {
        walk.Note(what + " lies in an 'idat' box the file does not have; not read");
        return std::nullopt;
    }
    return TSpan{idat->Payload, idat->PayloadSize()};
}

// The item's extents placed in the file, each checked against its source;
// an extent outside it, or running past its end, ends the item there.
std::vector<TSpan> SpansOf(TBoxWalk &walk, uint32_t id, const TItemLocation &item, TSpan source) {
    std::vector<TSpan> spans;
    if (item.Extents.empty()) walk.Note("item " + std::to_string(id) + " has no extents; not read");
    for (const TExtent &e : item.Extents) {
        const uint64_t offset = item.BaseOffset + e.Offset;
        if (offset < item.BaseOffset || offset >= source.Length) {
            walk.Note("an extent of item " + std::to_string(id) + " lies outside its source; the item ends before it");
            break;
        }
        const uint64_t rest = source.Length - offset;
        const uint64_t length = e.Length == 0 ? rest : std::min(e.Length, rest);
        spans.push_back(TSpan{source.Offset + offset, length});
        if (e.Length > rest) {
            walk.Note("an extent of item " + std::to_string(id) + " runs past the end of its source; read as far as that goes");
            break;
        }
    }
    return spans;
}

// Item bytes: a view over the file for one extent, else the extents put
// together in bytes the result owns, as many as the budget of owned bytes
// (shared by all items of the file) allows. The budget is the file's size,
// at most MaxOwnedBlock: the extents of real items never overlap, so all of
// them together hold no more bytes than the file; more means extents that
// read the same bytes over and over, with which a file of a few KiB would
// have the reader copy megabytes.
struct TItemBytes {
    std::string_view Bytes;
    uint64_t FileOffset = 0;  // 0 for owned bytes
};

uint64_t OwnedBudget(const TByteReader &file) { return std::min(MaxOwnedBlock, file.Size()); }

TItemBytes BytesOf(TBoxWalk &walk, const TWantedItem &item, const std::vector<TSpan> &spans, uint64_t &ownedBudget) {
    const uint32_t id = item.Id;
    if (spans.size() == 1)
        return {BlockView(walk.File, item.Kind, spans[0].Offset, spans[0].Length, "item " + std::to_string(id),
                          walk.Result.Notes),
                spans[0].Offset};
    std::string joined;
    for (const TSpan &s : spans) {
        const uint64_t take = std::min(s.Length, ownedBudget);
        joined += walk.File.Bytes(s.Offset, take);
        ownedBudget -= take;
        if (take < s.Length) {
            walk.Note("the metadata items put together from several extents pass " +
                      std::to_string(OwnedBudget(walk.File)) + " bytes in all; item " + std::to_string(id) +
                      " was cut there");
            break;
        }
    }
    return {walk.Result.Keep(std::move(joined)), 0};
}

void AddItem(TBoxWalk &walk, const TWantedItem &wanted, const TItemBytes &item) {
    if (item.Bytes.empty()) return;
    if (wanted.Kind == TBlockKind::Exif) {
        const TSliceReader payload(item.Bytes);
        AddExifPayload(walk, payload.Bytes(), item.FileOffset, "Exif item " + std::to_string(wanted.Id));
    } else {
        walk.Result.Add(wanted.Kind, item.Bytes, item.FileOffset);
    }
}

void ReadItems(TBoxWalk &walk, const TMetaBoxes &boxes, int depth) {
    const std::vector<TWantedItem> wanted = ReadItemInfo(walk, *boxes.ItemInfo, depth);
    if (wanted.empty()) return;
    if (!boxes.ItemLocations) {
        walk.Note("the metadata items have no 'iloc' box to say where they are; not read");
        return;
    }
    std::set<uint32_t> ids;
    for (const TWantedItem &w : wanted) ids.insert(w.Id);
    const std::map<uint32_t, TItemLocation> locations = TLocationReader(walk, *boxes.ItemLocations, ids).Read();
    uint64_t ownedBudget = OwnedBudget(walk.File);
    for (const TWantedItem &w : wanted) {
        const auto found = locations.find(w.Id);
        if (found == locations.end()) {
            walk.Note("item " + std::to_string(w.Id) + " has no location in 'iloc'; not read");
            continue;
        }
        const std::optional<TSpan> source = SourceOf(walk, w.Id, found->second, boxes.ItemData);
        if (!source) continue;
        const std::vector<TSpan> spans = SpansOf(walk, w.Id, found->second, *source);
        if (!spans.empty()) AddItem(walk, w, BytesOf(walk, w, spans, ownedBudget));
    }
}

bool HasIcc(const TContainerRead &result) {
    return std::ranges::any_of(result.Blocks, [](const TBlock &b) { return b.Kind == TBlockKind::Icc; });
}

// `iprp` holds `ipco`, the properties the images share; a `colr` box there
// starts with its colour type, and "prof" (restricted) or "rICC" (unrestricted)
// means an ICC profile follows.
void ReadProperties(TBoxWalk &walk, const TBox &iprp, int depth) {
    walk.ForEach(iprp.Payload, iprp.End, depth + 1, [&](const TBox &ipco) {
        if (ipco.Type != "ipco") return true;
        walk.ForEach(ipco.Payload, ipco.End, depth + 2, [&](const TBox &colr) {
            if (colr.Type != "colr") return true;
            const std::string_view colourType = walk.File.Bytes(colr.Payload, 4);
            if ((colourType != "prof" && colourType != "rICC") || colr.PayloadSize() <= 4) return true;
            walk.Result.AddFromFile(walk.File, TBlockKind::Icc, colr.Payload + 4, colr.PayloadSize() - 4, "colr");
            return false;
        });
        return false;
    });
}

// `pitm`: a full box, then the primary item's ID (16 bits in version 0, else 32).
std::optional<uint32_t> PrimaryItemOf(TBoxWalk &walk, const TBox &pitm) {
    TFieldReader in(walk.File, pitm.Payload, pitm.End);
    const uint8_t version = in.U8();
    in.Skip(FullBoxHeader - 1);
    const uint32_t id = version == 0 ? in.U16() : in.U32();
    if (in.CutShort()) return std::nullopt;
    return id;
}

// `ipma`: a full box (flag 1: property indices of 16 bits, else 8), an entry
// count, then per item its ID (16 bits in version 0, else 32), an
// association count and the associations, each a property's 1-based index
// in `ipco` under an "essential" top bit. The indices of the item's
// associations, in order.
std::vector<uint32_t> PropertyIndicesOf(TBoxWalk &walk, const TBox &ipma, uint32_t item) {
    TFieldReader in(walk.File, ipma.Payload, ipma.End);
    const uint8_t version = in.U8();
    in.Skip(2);
    const bool wide = (in.U8() & 1u) != 0;
    const uint32_t entries = in.U32();
    for (uint32_t e = 0; e < entries && e < MaxItems && !in.CutShort(); ++e) {
        const uint32_t id = version == 0 ? in.U16() : in.U32();
        const uint8_t count = in.U8();
        std::vector<uint32_t> indices;
        for (uint8_t k = 0; k < count && !in.CutShort(); ++k)
            indices.push_back(wide ? in.U16() & 0x7FFFu : in.U8() & 0x7Fu);
        if (in.CutShort()) break;
        if (id == item) return indices;
    }
    return {};
}

// `ispe`: a full box, then the width and the height, 32 bits each.
void TakeImageSize(TBoxWalk &walk, const TBox &ispe) {
    TFieldReader in(walk.File, ispe.Payload, ispe.End);
    in.Skip(FullBoxHeader);
    const uint32_t width = in.U32(), height = in.U32();
    if (in.CutShort()) return;
    walk.Result.ImageWidth = width;
    walk.Result.ImageHeight = height;
}

// The primary item's size: the first `ispe` among its properties.
void ReadPrimaryImageSize(TBoxWalk &walk, const TBox &iprp, uint32_t item, int depth) {
    std::optional<TBox> ipco, ipma;
    walk.ForEach(iprp.Payload, iprp.End, depth + 1, [&](const TBox &box) {
        if (box.Type == "ipco" && !ipco) ipco = box;
        if (box.Type == "ipma" && !ipma) ipma = box;
        return true;
    });
    if (!ipco || !ipma) return;
    const std::vector<uint32_t> indices = PropertyIndicesOf(walk, *ipma, item);
    std::vector<TBox> properties;
    walk.ForEach(ipco->Payload, ipco->End, depth + 2, [&](const TBox &box) {
        properties.push_back(box);
        return properties.size() < static_cast<size_t>(MaxItems);
    });
    for (const uint32_t index : indices)
        if (index >= 1 && index <= properties.size() && properties[index - 1].Type == "ispe") {
            TakeImageSize(walk, properties[index - 1]);
            return;
        }
}

}  // namespace

void ReadItemMetadata(TBoxWalk &walk, const TBox &meta, int depth) {
    const TMetaBoxes boxes = FindMetaBoxes(walk, meta, depth);
    if (boxes.ItemInfo) ReadItems(walk, boxes, depth + 1);
    if (boxes.Properties && !HasIcc(walk.Result)) ReadProperties(walk, *boxes.Properties, depth + 1);
    if (boxes.Properties && boxes.PrimaryItem)
        if (const auto primary = PrimaryItemOf(walk, *boxes.PrimaryItem))
            ReadPrimaryImageSize(walk, *boxes.Properties, *primary, depth + 1);
}

}  // namespace containers::iso
