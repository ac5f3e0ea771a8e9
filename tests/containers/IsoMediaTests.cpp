// The ISO base media reader on files built box by box, with the metadata at
// known offsets, on damaged and hostile files, and on a real phone HEIF.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "containers/Container.h"

namespace {

using namespace containers;
using namespace std::string_literals;

std::string Be(uint64_t v, int width) {
    std::string s;
    for (int k = width - 1; k >= 0; --k) s += static_cast<char>((v >> (8 * k)) & 0xFF);
    return s;
}
std::string Box(const std::string &type, const std::string &payload) { return Be(8 + payload.size(), 4) + type + payload; }
std::string FullBox(const std::string &type, int version, const std::string &payload) {
    return Box(type, static_cast<char>(version) + "\0\0\0"s + payload);
}
std::string Ftyp(const std::string &major) { return Box("ftyp", major + "\0\0\0\0"s + "mif1" + major); }

// A TIFF structure with an empty IFD0, marked by a text after it.
const std::string Tiff = "MM\0*\0\0\0\x08\0\0\0\0\0\0"s + "Apple";
// An Exif item's payload: the offset to the TIFF header, "Exif\0\0", the TIFF.
const std::string ExifPayload = Be(6, 4) + "Exif\0\0"s + Tiff;
const std::string Xmp = "<x:xmpmeta/>";

// A HEIF item: its entry in `iinf` and its extents in `iloc`, offsets
// counting from the `mdat` payload (construction method 0) or the `idat`
// payload (method 1).
struct Item {
    uint32_t id;
    std::string infeTail;  // item type, name and what follows
    uint16_t method = 0;
    std::vector<std::pair<uint32_t, uint32_t>> extents;
};
Item ExifItem(uint32_t id, std::vector<std::pair<uint32_t, uint32_t>> extents, uint16_t method = 0) {
    return {id, "Exif\0"s, method, std::move(extents)};
}

// `iloc` version 1 (or 2, `wide`, for 32-bit counts and item IDs): 4-byte
// offsets, lengths and base offsets.
std::string Iloc(const std::vector<Item> &items, uint64_t mdatPayload, bool wide = false) {
    const int idWidth = wide ? 4 : 2;
    std::string body = "\x44\x40"s + Be(items.size(), idWidth);
    for (const Item &i : items) {
        body += Be(i.id, idWidth) + Be(i.method, 2) + Be(0, 2) + Be(i.method == 0 ? mdatPayload : 0, 4) +
                Be(i.extents.size(), 2);
        for (auto [offset, length] : i.extents) body += Be(offset, 4) + Be(length, 4);
    }
    return FullBox("iloc", wide ? 2 : 1, body);
}

// A HEIF file: ftyp, meta (iinf, iloc, what else is given), mdat.
std::string Heif(const std::vector<Item> &items, const std::string &mdat, const std::string &extraMeta = "",
                 bool wide = false) {
    const int idWidth = wide ? 4 : 2;
    std::string entries;
    for (const Item &i : items) entries += FullBox("infe", wide ? 3 : 2, Be(i.id, idWidth) + Be(0, 2) + i.infeTail);
    const std::string iinf = FullBox("iinf", wide ? 1 : 0, Be(items.size(), idWidth) + entries);
    const auto build = [&](uint64_t base) {
        return Ftyp("heic") + FullBox("meta", 0, iinf + Iloc(items, base, wide) + extraMeta);
    };
    const uint64_t mdatPayload = build(0).size() + 8;
    return build(mdatPayload) + Box("mdat", mdat);
}

struct Read {
    std::string bytes;
    exif::tEndInd view;
    TContainerRead result;
    explicit Read(std::string file) : bytes(std::move(file)) {
        view.SetBuffer(bytes);
        result = ReadIsoMedia(TByteReader(view));
    }
    size_t OffsetOf(std::string_view block) const { return static_cast<size_t>(block.data() - bytes.data()); }
};

TEST(IsoMediaHeif, ExifAndXmpItemsInTheFile) {
    const std::string mdat = "pixels" + ExifPayload + Xmp;
    const std::vector<Item> items = {
        {1, "hvc1\0"s, 0, {{0, 6}}},
        ExifItem(2, {{6, static_cast<uint32_t>(ExifPayload.size())}}),
        {3, "mime\0application/rdf+xml\0"s, 0, {{static_cast<uint32_t>(6 + ExifPayload.size()), 12}}}};
    const Read r(Heif(items, mdat));
    EXPECT_EQ(r.result.Type, TFileType::Heif);
    ASSERT_EQ(r.result.Blocks.size(), 2u);
    const TBlock &exif = r.result.Blocks[0];
    EXPECT_EQ(exif.Kind, TBlockKind::Exif);
    EXPECT_EQ(exif.Bytes, Tiff);
    EXPECT_EQ(exif.FileOffset, r.bytes.find(Tiff));
    EXPECT_EQ(r.OffsetOf(exif.Bytes), exif.FileOffset);  // a view over the file
    EXPECT_EQ(r.result.Blocks[1].Kind, TBlockKind::Xmp);
    EXPECT_EQ(r.result.Blocks[1].Bytes, Xmp);
    EXPECT_TRUE(r.result.Notes.empty());

    // The same with 32-bit counts and item IDs (iinf 1, infe 3, iloc 2).
    std::vector<Item> wideItems = items;
    for (Item &i : wideItems) i.id += 0x10000;
    const Read wide(Heif(wideItems, mdat, "", true));
    ASSERT_EQ(wide.result.Blocks.size(), 2u);
    EXPECT_EQ(wide.result.Blocks[0].Bytes, Tiff);
    EXPECT_EQ(wide.result.Blocks[1].Bytes, Xmp);
}

TEST(IsoMediaHeif, ExifHeaderOffsetIsHonoured) {
    const std::vector<std::string> payloads = {
        Be(0, 4) + Tiff,                                // no "Exif\0\0"
        Be(10, 4) + "Exif\0\0junk"s + Tiff,             // an offset past more than the header
        Be(0, 4) + "Exif\0\0"s + Tiff,                  // an offset of 0 before "Exif\0\0"
        Tiff,                                           // no offset field at all
    };
    for (const std::string &p : payloads) {
        const Read r(Heif({ExifItem(1, {{0, static_cast<uint32_t>(p.size())}})}, p));
        ASSERT_EQ(r.result.Blocks.size(), 1u) << p.size();
        EXPECT_EQ(r.result.Blocks[0].Bytes, Tiff);
    }
    const Read wrong(Heif({ExifItem(1, {{0, 30}})}, Be(1000, 4) + Tiff + "0123456789"));
    EXPECT_TRUE(wrong.result.Blocks.empty());
    EXPECT_EQ(wrong.result.Notes.size(), 1u);
}

TEST(IsoMediaHeif, ExtentsAreJoinedInTheirOrder) {
    // The payload in three pieces stored last piece first.
    const std::string a = ExifPayload.substr(0, 7), b = ExifPayload.substr(7, 9), c = ExifPayload.substr(16);
    const std::string mdat = c + b + a;
    const auto at = [&](const std::string &piece) { return static_cast<uint32_t>(mdat.find(piece)); };
    const auto len = [](const std::string &piece) { return static_cast<uint32_t>(piece.size()); };
    const Read r(Heif({ExifItem(7, {{at(a), len(a)}, {at(b), len(b)}, {at(c), len(c)}})}, mdat));
    ASSERT_EQ(r.result.Blocks.size(), 1u);
    EXPECT_EQ(r.result.Blocks[0].Bytes, Tiff);
    EXPECT_EQ(r.result.Blocks[0].FileOffset, 0u);
    EXPECT_EQ(r.result.Owned.size(), 1u);
}

TEST(IsoMediaHeif, ItemInIdatAndIccProfileAmongTheProperties) {
    const std::string icc = "\0\0\x02\x24"s + "applmntrRGB";
    const std::string properties =
        Box("iprp", Box("ipco", Box("ispe", "\0\0\0\0\0\0\0\x20\0\0\0\x20"s) + Box("colr", "prof" + icc)));
    const std::string idat = Box("idat", "12" + ExifPayload);
    const Read r(Heif({ExifItem(1, {{2, static_cast<uint32_t>(ExifPayload.size())}}, 1)}, "", idat + properties));
    ASSERT_EQ(r.result.Blocks.size(), 2u);
    EXPECT_EQ(r.result.Blocks[0].Bytes, Tiff);
    EXPECT_EQ(r.result.Blocks[0].FileOffset, r.bytes.find(Tiff));
    EXPECT_EQ(r.result.Blocks[1].Kind, TBlockKind::Icc);
    EXPECT_EQ(r.result.Blocks[1].Bytes, icc);
}

// A grid image: its tiles have an `ispe` of their own, listed first in
// `ipco`; the size is the one `ipma` gives the primary item (`pitm`).
std::string Ispe(uint32_t width, uint32_t height) { return FullBox("ispe", 0, Be(width, 4) + Be(height, 4)); }

TEST(IsoMediaHeif, ImageSizeIsThePrimaryItemsSpatialExtent) {
    // ipma: two entries; item 1 (a tile) takes property 1, item 7 (the
    // primary grid) property 3 marked essential, then 2.
    const std::string ipma8 = FullBox("ipma", 0, Be(2, 4) + Be(1, 2) + "\x01\x01"s + Be(7, 2) + "\x02\x83\x02"s);
    const std::string ipco = Box("ipco", Ispe(512, 512) + Box("colr", "nclx") + Ispe(2566, 3313));
    const std::string pitm = FullBox("pitm", 0, Be(7, 2));
    const Read r(Heif({ExifItem(2, {{0, static_cast<uint32_t>(ExifPayload.size())}})}, ExifPayload,
                      pitm + Box("iprp", ipco + ipma8)));
    EXPECT_EQ(r.result.ImageWidth, 2566u);
    EXPECT_EQ(r.result.ImageHeight, 3313u);

    // Flag 1: 16-bit property indices; version 1: 32-bit item IDs.
    const std::string ipma16 =
        Box("ipma", "\x01\0\0\x01"s + Be(1, 4) + Be(0x10007, 4) + "\x01"s + Be(0x8001, 2));
    const Read wide(Heif({}, "", FullBox("pitm", 1, Be(0x10007, 4)) + Box("iprp", ipco + ipma16)));
    EXPECT_EQ(wide.result.ImageWidth, 512u);
    EXPECT_EQ(wide.result.ImageHeight, 512u);

    // Without `pitm`, or with a primary item that has no `ispe`, no size.
    EXPECT_EQ(Read(Heif({}, "", Box("iprp", ipco + ipma8))).result.ImageWidth, 0u);
    EXPECT_EQ(Read(Heif({}, "", FullBox("pitm", 0, Be(9, 2)) + Box("iprp", ipco + ipma8))).result.ImageWidth, 0u);
}

TEST(IsoMediaCr3, FourTiffBlocksWithTheirRolesAndXmp) {
    const std::string canonUuid = "\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48"s;
    const std::string xmpUuid = "\xbe\x7a\xcf\xcb\x97\xa9\x42\xe8\x9c\x71\x99\x94\x91\xe3\xaf\xac"s;
    std::string canon = Box("CNCV", "CanonCR3_001/00.09.00/00.00.00");
    for (char n : {'1', '2', '3', '4'}) canon += Box("CMT"s + n, Tiff + n);
    const std::string file = Box("ftyp", "crx \0\0\0\1crx isom"s) +
                             Box("moov", Box("uuid", canonUuid + canon) + Box("trak", "")) +
                             Box("uuid", xmpUuid + Xmp) + Box("mdat", "raw");
    const Read r(file);
    EXPECT_EQ(r.result.Type, TFileType::Cr3);
    ASSERT_EQ(r.result.Blocks.size(), 5u);
    const TExifRole roles[] = {TExifRole::Main, TExifRole::ExifIfd, TExifRole::MakerNote, TExifRole::Gps};
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(r.result.Blocks[k].Role, roles[k]);
        EXPECT_EQ(r.result.Blocks[k].Bytes, Tiff + static_cast<char>('1' + k));
        EXPECT_EQ(r.result.Blocks[k].FileOffset, r.OffsetOf(r.result.Blocks[k].Bytes));
    }
    EXPECT_EQ(r.result.Blocks[4].Kind, TBlockKind::Xmp);
    EXPECT_EQ(r.result.Blocks[4].Bytes, Xmp);

    // An empty CMT1 box followed by the bytes of a TIFF header: they are not
    // its own (a fuzz finding, which gave an empty Exif block).
    const Read empty(Box("ftyp", "crx \0\0\0\1crx isom"s) + Box("moov", Box("uuid", canonUuid + Box("CMT1", "") + Tiff)));
    EXPECT_TRUE(empty.result.Blocks.empty());
    EXPECT_EQ(empty.result.Notes.size(), 2u);  // CMT1 without a TIFF header, the bytes after it
}

const std::string JxlStart = "\0\0\0\x0CJXL \r\n\x87\n"s + Box("ftyp", "jxl \0\0\0\0jxl "s);

TEST(IsoMediaJpegXl, ExifAndXmlBoxesAndANoteForBrotli) {
    const Read r(JxlStart + Box("jxlc", "\xFF\x0A") + Box("Exif", Be(0, 4) + Tiff) + Box("xml ", Xmp) +
                 Box("brob", "Exif\x1b\x2c"s));
    EXPECT_EQ(r.result.Type, TFileType::JpegXl);
    ASSERT_EQ(r.result.Blocks.size(), 2u);
    EXPECT_EQ(r.result.Blocks[0].Bytes, Tiff);
    EXPECT_EQ(r.result.Blocks[1].Bytes, Xmp);
    ASSERT_EQ(r.result.Notes.size(), 1u);
    EXPECT_NE(r.result.Notes[0].find("Brotli"), std::string::npos);
    // An empty brob box names no box type: the bytes after it are not its.
    const Read empty(JxlStart + Box("brob", "") + "Exif\0\0\0\0"s);
    ASSERT_EQ(empty.result.Notes.size(), 1u);  // the bytes after it, a box past the end
    EXPECT_EQ(empty.result.Notes[0].find("Brotli"), std::string::npos);

    // A 64-bit size after a size of 1; a size of 0 running to the end of the file.
    const std::string exifPayload = Be(0, 4) + Tiff;
    const Read sizes(JxlStart + Be(1, 4) + "Exif" + Be(16 + exifPayload.size(), 8) + exifPayload + Be(0, 4) + "xml " + Xmp);
    ASSERT_EQ(sizes.result.Blocks.size(), 2u);
    EXPECT_EQ(sizes.result.Blocks[0].Bytes, Tiff);
    EXPECT_EQ(sizes.result.Blocks[1].Bytes, Xmp);
    EXPECT_TRUE(sizes.result.Notes.empty());
}

TEST(IsoMediaDamage, SizesThatDoNotFitEndTheWalkWithANote) {
    // An Exif box claiming more than the file has: read as far as the file goes.
    const std::string cut = JxlStart + Be(500, 4) + "Exif" + Be(0, 4) + Tiff;
    const Read past(cut);
    ASSERT_EQ(past.result.Blocks.size(), 1u);
    EXPECT_EQ(past.result.Blocks[0].Bytes, Tiff);
    EXPECT_EQ(past.result.Notes.size(), 1u);
    // A size smaller than its header: nothing after it is trusted.
    const Read small(JxlStart + Be(4, 4) + "free" + Box("Exif", Be(0, 4) + Tiff));
    EXPECT_TRUE(small.result.Blocks.empty());
    EXPECT_EQ(small.result.Notes.size(), 1u);
    // An extent running past the file.
    const Read extent(Heif({ExifItem(1, {{0, 5000}})}, ExifPayload));
    ASSERT_EQ(extent.result.Blocks.size(), 1u);
    EXPECT_EQ(extent.result.Blocks[0].Bytes, Tiff);
    EXPECT_EQ(extent.result.Notes.size(), 1u);
}

TEST(IsoMediaBounds, HostileCountsAndSizesStayBounded) {
    // 10,000 boxes nested in the `meta` box, each holding the next.
    constexpr int Levels = 10000;
    std::string nested;
    for (int k = 0; k < Levels; ++k) nested += Be(8 * (Levels - k), 4) + (k % 2 ? "meta" : "iprp");
    const Read deep(Ftyp("heic") + FullBox("meta", 0, nested));
    EXPECT_TRUE(deep.result.Blocks.empty());
    EXPECT_TRUE(deep.result.Notes.empty());

    // A million item entries: the Exif item first is read, the rest stop at MaxItems.
    std::string entries = FullBox("infe", 2, Be(1, 2) + Be(0, 2) + "Exif\0"s);
    const std::string other = FullBox("infe", 2, Be(2, 2) + Be(0, 2) + "hvc1\0"s);
    for (int k = 1; k < 1000000; ++k) entries += other;
    const std::string iinf = FullBox("iinf", 1, Be(1000000, 4) + entries);
    const std::string head = Ftyp("heic");
    const auto meta = [&](uint64_t base) { return FullBox("meta", 0, iinf + Iloc({ExifItem(1, {{0, 20}})}, base)); };
    const Read many(head + meta(head.size() + meta(0).size() + 8) + Box("mdat", ExifPayload));
    ASSERT_EQ(many.result.Blocks.size(), 1u);
    ASSERT_EQ(many.result.Notes.size(), 1u);
    EXPECT_NE(many.result.Notes[0].find(std::to_string(MaxItems) + " items"), std::string::npos);

    // A box claiming 2^64 bytes.
    const Read huge(JxlStart + Be(1, 4) + "free" + Be(~0ull, 8) + Box("Exif", Be(0, 4) + Tiff));
    EXPECT_TRUE(huge.result.Blocks.empty());
    EXPECT_EQ(huge.result.Notes.size(), 1u);
    // A base offset and an extent offset whose sum wraps round to the Exif
    // payload (8-byte fields): outside the file, not at its start.
    const auto wrapping = [&](uint64_t target) {
        const std::string iloc = FullBox("iloc", 1, "\x88\x80"s + Be(1, 2) + Be(1, 2) + Be(0, 4) + Be(~0ull - 15, 8) +
                                                        Be(1, 2) + Be(16 + target, 8) + Be(ExifPayload.size(), 8));
        const std::string infe = FullBox("infe", 2, Be(1, 2) + Be(0, 2) + "Exif\0"s);
        return head + FullBox("meta", 0, FullBox("iinf", 0, Be(1, 2) + infe) + iloc);
    };
    const Read wrap(wrapping(wrapping(0).size() + 8) + Box("mdat", ExifPayload));
    EXPECT_TRUE(wrap.result.Blocks.empty());
    EXPECT_EQ(wrap.result.Notes.size(), 1u);

    // More boxes than MaxBoxesWalked before the metadata.
    std::string frees;
    for (int64_t k = 0; k <= MaxBoxesWalked; ++k) frees += Box("free", "");
    const Read boxes(JxlStart + frees + Box("Exif", Be(0, 4) + Tiff));
    EXPECT_TRUE(boxes.result.Blocks.empty());
    EXPECT_EQ(boxes.result.Notes.size(), 1u);

    // 60,000 extents each over the whole file: the joined item stops at the
    // file's size (real extents do not overlap), not at MaxOwnedBlock.
    const std::string mdat = ExifPayload + std::string(1 << 20, 'x');
    const std::string file = Heif({ExifItem(1, std::vector<std::pair<uint32_t, uint32_t>>(60000, {0, 1u << 20}))}, mdat);
    const Read joined(file);
    ASSERT_EQ(joined.result.Blocks.size(), 1u);
    EXPECT_LE(joined.result.Blocks[0].Bytes.size(), file.size());
    EXPECT_EQ(joined.result.Notes.size(), 2u);  // the extents read, the bytes joined
}

std::string FileBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(IsoMediaRealFiles, ConverterHeifHasItsExifAndXmpItems) {
    // Offsets as exiftool -v3 shows them: the Exif item at 0x1d7 (100 bytes,
    // "Exif\0\0" after the offset field), the XMP item at 0x23b (2795 bytes).
    const Read r(FileBytes(EXIFVIEW_TEST_DATA "/samples-modern/samplefilehub.heif"));
    EXPECT_EQ(r.result.Type, TFileType::Heif);
    ASSERT_EQ(r.result.Blocks.size(), 2u);
    const TBlock &exif = r.result.Blocks[0];
    EXPECT_EQ(exif.FileOffset, 0x1d7u + 10);
    EXPECT_EQ(exif.Bytes.size(), 100u - 10);
    EXPECT_EQ(exif.Bytes.substr(0, 4), "MM\0*"s);
    EXPECT_EQ(r.result.Blocks[1].Kind, TBlockKind::Xmp);
    EXPECT_EQ(r.result.Blocks[1].FileOffset, 0x23bu);
    EXPECT_EQ(r.result.Blocks[1].Bytes.size(), 2795u);
    EXPECT_NE(r.result.Blocks[1].Bytes.find("x:xmpmeta"), std::string_view::npos);
    EXPECT_TRUE(r.result.Notes.empty());
}

// exiftool -n -ImageWidth -ImageHeight: the primary item's `ispe` (a crop
// of the iPhone's 4032 x 3024 frame, stored as a grid of tiles).
TEST(IsoMediaRealFiles, HeifImageSizesAreThePrimaryItems) {
    const std::vector<std::tuple<std::string, uint32_t, uint32_t>> files = {
        {"/samples-modern/IMG_5195.HEIC", 2566, 3313},
        {"/samples-modern/samplefilehub.heif", 640, 426},
        {"/makers/QuickTime.heic", 1596, 1064},
    };
    for (const auto &[name, width, height] : files) {
        const Read r(FileBytes(EXIFVIEW_TEST_DATA + name));
        EXPECT_EQ(r.result.ImageWidth, width) << name;
        EXPECT_EQ(r.result.ImageHeight, height) << name;
    }
}

}  // namespace
