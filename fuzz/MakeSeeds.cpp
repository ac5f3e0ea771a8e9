// fuzz-seeds OUT_FOLDER SAMPLE...: writes the seed corpus kept in
// fuzz/corpus: the maker notes and IPTC segments of the real samples in the
// targets' input layouts, plus small built notes for the makers no sample
// has, small built files and segments for the other targets, and a small
// built file of each container kind, for its target and for image_view.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "dialog/ParamsRows.h"
#include "exif/ImgData.h"
#include "exif/TextFormat.h"
#include "fuzz/MakerNoteInput.h"
#include "iptc/IptcData.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path &dir, const std::string &name, std::string_view bytes) {
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary | std::ios::trunc) << bytes;
}

std::string U16(unsigned v, bool big = true) {
    const char hi = static_cast<char>((v >> 8) & 0xFF), lo = static_cast<char>(v & 0xFF);
    return big ? std::string{hi, lo} : std::string{lo, hi};
}
std::string U32(uint32_t v, bool big = true) {
    return big ? U16(v >> 16) + U16(v & 0xFFFF) : U16(v & 0xFFFF, false) + U16(v >> 16, false);
}

size_t MakerIndex(std::string_view make) {
    const std::string key = exif::UpperAscii(make).substr(0, 5);
    for (size_t i = 0; i < fuzz::MakerNames.size(); ++i)
        if (exif::UpperAscii(fuzz::MakerNames[i]).substr(0, 5) == key) return i;
    return fuzz::UnknownMakerIndex;
}

std::string MakerNoteSeed(size_t maker, uint8_t flags, size_t offset, size_t length, std::string_view enclosing) {
    return std::string{static_cast<char>(maker), static_cast<char>(flags)} + U16(static_cast<unsigned>(offset)) +
           U16(static_cast<unsigned>(length)) + std::string(enclosing);
}

void SeedsFromSample(const fs::path &out, const fs::path &sample) {
    exif::TimgData img(exif::BuildEntries, params::ReaderParts());
    img.OpenImageFile(sample.string());
    const std::string name = sample.filename().string();
    if (const exif::TImageInfo *info = img.ExifInfo(); info && !info->MakerNoteBytes.empty()) {
        const std::string_view enclosing = info->GetBuffer();
        const auto offset = static_cast<size_t>(info->MakerNotePosition - 1);
        if (enclosing.size() <= 0xFFFF && info->MakerNoteBytes.size() <= 0xFFFF) {
            uint8_t flags = 0;
            if (info->BigEndian) flags |= fuzz::NoteBigEndian;
            if (info->FromTiff) flags |= fuzz::NoteFromTiff;
            if (info->ExifVersionText > "0210") flags |= fuzz::NoteExifVersion;
            if (info->CameraModel.find(" D") != std::string::npos) flags |= fuzz::NoteDSeriesModel;
            Write(out / "maker_note", name,
                  MakerNoteSeed(MakerIndex(info->CameraMake), flags, offset, info->MakerNoteBytes.size(), enclosing));
        }
    }
    if (const exif::tSection *iptc = img.IptcSectionPtr()) Write(out / "iptc_segment", name, iptc->Bytes);
}

// A maker-note directory of three entries (a short, a text and a list of
// longs stored after it), in Motorola order, `header` bytes in front.
std::string BuiltNote(const std::string &header) {
    const auto at = static_cast<uint32_t>(header.size() + 2 + 3 * 12 + 4);
    std::string dir = U16(3);
    dir += U16(0x0001) + U16(3) + U32(1) + U16(2) + U16(0);
    dir += U16(0x0002) + U16(2) + U32(8) + U32(at);
    dir += U16(0x0003) + U16(4) + U32(3) + U32(at + 8);
    dir += U32(0);
    return header + dir + std::string("BUILT-1\0", 8) + U32(1) + U32(2) + U32(3);
}

void BuiltMakerNotes(const fs::path &out) {
    // The EXIF data around a note: a TIFF header, then the note at offset 8.
    const std::string tiff = std::string("MM\0*\0\0\0\x08", 8);
    const struct {
        const char *Name;
        size_t Maker;
        std::string Header;
    } notes[] = {
        {"built-casio", 2, ""},
        {"built-seiko", 5, std::string("SEIKO\0\1\0", 8)},
        {"built-minolta", 7, ""},
        {"built-nikon-plain", 0, ""},
        {"built-nikon-tiff-header", 0, std::string("Nikon\0\2\x10\0\0", 10) + tiff},
        {"built-unknown-maker", 8, ""},
        {"built-apple", 9, std::string("Apple iOS\0\0\1MM", 14)},
        {"built-sony-dsc", 10, std::string("SONY DSC \0\0\0", 12)},
        {"built-sony-plain", 10, ""},
        {"built-panasonic", 11, std::string("Panasonic\0\0\0", 12)},
        {"built-leica", 12, std::string("LEICA\0\0\0", 8)},
        {"built-olympus-new", 1, std::string("OLYMPUS\0MM\3\0", 12)},
        {"built-om-system", 13, std::string("OM SYSTEM\0\0\0MM\4\0", 16)},
        {"built-pentax-aoc", 14, std::string("AOC\0MM", 6)},
        {"built-pentax-new", 14, std::string("PENTAX \0MM", 10)},
        {"built-ricoh", 15, std::string("RICOH\0MM\0", 8)},
        {"built-samsung", 16, ""},
        {"built-sigma", 17, std::string("SIGMA\0\0\0\x03\0", 10)},
        {"built-foveon", 17, std::string("FOVEON\0\0\x01\0", 10)},
        {"built-dji", 18, ""},
        {"built-leica-m8", 19, std::string("LEICA\0\0\0", 8)},
        {"built-leica-m10", 19, std::string("LEICA\0\x02\0", 8)},
        {"built-leica-s2", 19, std::string("LEICA\0\x02\xff", 8)},
        {"built-leica-x", 12, std::string("LEICA\0\x01\0", 8)},
        {"built-leica-q", 12, std::string("LEICA\0\x08\0", 8)},
        {"built-leica-dlux", 12, std::string("LEICA CAMERA AG\0II", 18)},
    };
    for (const auto &n : notes) {
        const std::string note = BuiltNote(n.Header);
        const uint8_t flags =
            n.Maker == 0 && !n.Header.empty() ? fuzz::NoteBigEndian | fuzz::NoteExifVersion : fuzz::NoteBigEndian;
        Write(out / "maker_note", n.Name, MakerNoteSeed(n.Maker, flags, tiff.size(), note.size(), tiff + note));
    }
}

std::string Dataset(unsigned record, unsigned number, const std::string &value) {
    return std::string{'\x1C', static_cast<char>(record), static_cast<char>(number)} +
           U16(static_cast<unsigned>(value.size())) + value;
}

std::string Segment(unsigned marker, const std::string &payload) {
    return std::string{'\xFF', static_cast<char>(marker)} + U16(static_cast<unsigned>(payload.size() + 2)) + payload;
}

// IPTC datasets of record 2 (repeated keywords, a custom one) and record 8,
// the last one cut short.
std::string BuiltDatasets() {
    return Dataset(2, 0, U16(4)) + Dataset(2, 5, "Built") + Dataset(2, 25, "sea") + Dataset(2, 25, "sky") +
           Dataset(2, 20, "one") + Dataset(2, 200, "custom") + Dataset(8, 10, "\1\2") + Dataset(2, 120, "cut short");
}

// A TIFF structure: main directory with Make, an EXIF pointer and a GPS
// pointer; EXIF directory with a user comment; GPS directory with a
// latitude.
std::string BuiltTiff() {
    std::string t = std::string("II*\0", 4) + U32(8, false);
    const uint32_t exifAt = 8 + 2 + 3 * 12 + 4 + 8, gpsAt = exifAt + 2 + 12 + 4 + 16;
    t += U16(3, false);
    t += U16(0x010F, false) + U16(2, false) + U32(6, false) + U32(exifAt - 8, false);
    t += U16(0x8769, false) + U16(4, false) + U32(1, false) + U32(exifAt, false);
    t += U16(0x8825, false) + U16(4, false) + U32(1, false) + U32(gpsAt, false);
    t += U32(0, false) + std::string("Canon\0\0\0", 8);
    t += U16(1, false) + U16(0x9286, false) + U16(7, false) + U32(16, false) + U32(exifAt + 18, false) + U32(0, false);
    t += std::string("ASCII\0\0\0comment!", 16);
    t += U16(1, false) + U16(2, false) + U16(5, false) + U32(3, false) + U32(gpsAt + 18, false) + U32(0, false);
    t += U32(48, false) + U32(1, false) + U32(30, false) + U32(1, false) + U32(1234, false) + U32(100, false);
    return t;
}

// A Photoshop resource block (empty name, data padded to even).
std::string Resource(unsigned id, const std::string &data, const std::string &name = "") {
    std::string pascal = static_cast<char>(name.size()) + name;
    if (pascal.size() % 2) pascal += '\0';
    return "8BIM" + U16(id) + pascal + U32(static_cast<uint32_t>(data.size())) + data +
           (data.size() % 2 ? std::string(1, '\0') : "");
}

void BuiltFiles(const fs::path &out) {
    const std::string datasets = BuiltDatasets();
    const std::string app13 = std::string("Photoshop 3.0\0", 14) + "8BIM" + std::string("\x04\x04\0\0", 4) +
                              U32(static_cast<uint32_t>(datasets.size())) + datasets;
    Write(out / "iptc_segment", "built-datasets", U16(static_cast<unsigned>(app13.size() + 2)) + app13);

    const std::string t = BuiltTiff();
    Write(out / "tiff_read", "built-directories.tif", t);

    const std::string jpeg = std::string("\xFF\xD8", 2) + Segment(0xE1, std::string("Exif\0\0", 6) + t) +
                             Segment(0xED, app13) + Segment(0xFE, "a comment") +
                             Segment(0xC0, std::string("\x08\0\x10\0\x20\x01\x01\x11\0", 9)) +
                             std::string("\xFF\xDA\0\x08\x01\x01\0\0\x3F\0\xFF\xD9", 12);
    Write(out / "jpeg_scan", "built-segments.jpg", jpeg);
    Write(out / "image_view", "built-segments.jpg", jpeg);
    Write(out / "image_view", "built-directories.tif", t);
}

// ------------------------------------------------------------ containers

const std::string ExifHeader("Exif\0\0", 6);
const std::string Xmp = "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF/></x:xmpmeta>";
// Not a real ICC profile: the readers only pass its bytes on.
const std::string Icc = std::string(16, '\0') + "mntr" + "RGB XYZ " + std::string(8, '\0');

uint32_t Crc32(std::string_view bytes) {
    uint32_t crc = 0xFFFFFFFF;
    for (const char c : bytes) {
        crc ^= static_cast<uint8_t>(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A zlib stream of one stored (uncompressed) deflate block.
std::string StoredZlib(const std::string &bytes) {
    uint32_t a = 1, b = 0;
    for (const char c : bytes) {
        a = (a + static_cast<uint8_t>(c)) % 65521;
        b = (b + a) % 65521;
    }
    const auto n = static_cast<unsigned>(bytes.size());
    return std::string("\x78\x01\x01", 3) + U16(n, false) + U16(~n & 0xFFFF, false) + bytes + U32(b << 16 | a);
}

std::string Hex(std::string_view bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += "0123456789abcdef"[static_cast<uint8_t>(bytes[i]) >> 4];
        out += "0123456789abcdef"[static_cast<uint8_t>(bytes[i]) & 0xF];
        if (i % 36 == 35) out += '\n';
    }
    return out;
}

std::string PngChunk(std::string_view type, const std::string &data) {
    const std::string typed = std::string(type) + data;
    return U32(static_cast<uint32_t>(data.size())) + typed + U32(Crc32(typed));
}

// EXIF in eXIf, a comment in tEXt, XMP in iTXt, IPTC as a compressed
// ImageMagick raw profile, a compressed ICC profile.
std::string BuiltPng(const std::string &t) {
    const std::string resources = Resource(0x0404, BuiltDatasets());
    const std::string raw = "\niptc\n" + std::to_string(resources.size()) + "\n" + Hex(resources) + "\n";
    return std::string("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", U32(1) + U32(1) + std::string("\x08\0\0\0\0", 5)) +
           PngChunk("iCCP", std::string("icc\0\0", 5) + StoredZlib(Icc)) + PngChunk("eXIf", t) +
           PngChunk("tEXt", std::string("Comment\0a comment", 17)) +
           PngChunk("iTXt", std::string("XML:com.adobe.xmp\0\0\0\0\0", 22) + Xmp) +
           PngChunk("zTXt", std::string("Raw profile type iptc\0\0", 23) + StoredZlib(raw)) +
           PngChunk("IDAT", StoredZlib(std::string(2, '\0'))) + PngChunk("IEND", "");
}

// EXIF as an uncompressed raw profile, XMP as an APP1 raw profile.
std::string BuiltPngRawProfiles(const std::string &t) {
    const std::string exif = ExifHeader + t;
    const std::string app1 = std::string("http://ns.adobe.com/xap/1.0/\0", 29) + Xmp;
    return std::string("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", U32(1) + U32(1) + std::string("\x08\0\0\0\0", 5)) +
           PngChunk("tEXt", std::string("Raw profile type exif\0", 22) + "\nexif\n" + std::to_string(exif.size()) +
                                "\n" + Hex(exif) + "\n") +
           PngChunk("zTXt", std::string("Raw profile type APP1\0\0", 23) +
                                StoredZlib("\nAPP1\n" + std::to_string(app1.size()) + "\n" + Hex(app1) + "\n")) +
           PngChunk("IEND", "");
}

std::string RiffChunk(std::string_view code, const std::string &data) {
    return std::string(code) + U32(static_cast<uint32_t>(data.size()), false) + data +
           (data.size() % 2 ? std::string(1, '\0') : "");
}

// VP8X flagging ICC, EXIF and XMP; an odd-sized ICC chunk; EXIF with the
// JPEG prefix some writers leave in.
std::string BuiltWebP(const std::string &t) {
    const std::string chunks = RiffChunk("VP8X", std::string("\x2C\0\0\0\0\0\0\0\0\0", 10)) +
                               RiffChunk("ICCP", Icc + "x") + RiffChunk("VP8L", std::string("\x2F\0\0\0\0", 5)) +
                               RiffChunk("EXIF", ExifHeader + t) + RiffChunk("XMP ", Xmp);
    return "RIFF" + U32(static_cast<uint32_t>(chunks.size() + 4), false) + "WEBP" + chunks;
}

// IPTC, ICC, EXIF and XMP resources, one with a name and one of odd size.
std::string BuiltPsd(const std::string &t) {
    const std::string header = "8BPS" + U16(1) + std::string(6, '\0') + U16(3) + U32(1) + U32(1) + U16(8) + U16(3);
    const std::string resources = Resource(0x03ED, std::string(16, '\0'), "res") + Resource(0x0404, BuiltDatasets()) +
                                  Resource(0x040F, Icc + "x") + Resource(0x0422, t) + Resource(0x0424, Xmp);
    return header + U32(0) + U32(static_cast<uint32_t>(resources.size())) + resources + U32(0) + U16(0) +
           std::string(3, '\0');
}

// The header, then the embedded JPEG: JFIF, fill bytes, the EXIF APP1 and
// the start of the image data.
std::string BuiltRaf(const std::string &t) {
    const std::string jpeg = std::string("\xFF\xD8", 2) + Segment(0xE0, std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14)) +
                             "\xFF\xFF" + Segment(0xE1, ExifHeader + t) +
                             std::string("\xFF\xDA\0\x08\x01\x01\0\0\x3F\0\xFF\xD9", 12);
    const uint32_t at = 0x64;
    std::string header = "FUJIFILMCCD-RAW 0201FF383501" + std::string("X-E1", 4) + std::string(28, '\0') + "0100" +
                         std::string(20, '\0');
    header += U32(at) + U32(static_cast<uint32_t>(jpeg.size())) + std::string(at - 0x5C, '\0');
    return header + jpeg;
}

std::string Box(std::string_view type, const std::string &payload) {
    return U32(static_cast<uint32_t>(8 + payload.size())) + std::string(type) + payload;
}
std::string FullBox(std::string_view type, uint8_t version, const std::string &payload) {
    return Box(type, std::string{static_cast<char>(version), 0, 0, 0} + payload);
}
std::string Infe(unsigned id, std::string_view type, const std::string &rest = "") {
    return FullBox("infe", 2, U16(id) + U16(0) + std::string(type) + std::string(1, '\0') + rest);
}

// HEIC: an Exif item in two extents of `idat`, an XMP item in `mdat`, an
// image item, an ICC profile among the properties.
std::string BuiltHeif(const std::string &t) {
    const std::string ftyp = Box("ftyp", "heic" + U32(0) + "mif1heic");
    const std::string exif = U32(6) + ExifHeader + t;
    const auto half = static_cast<uint32_t>(exif.size() / 2), rest = static_cast<uint32_t>(exif.size()) - half;
    const auto meta = [&](uint32_t xmpAt) {
        const std::string iinf = FullBox("iinf", 0, U16(3) + Infe(1, "hvc1") + Infe(2, "Exif") +
                                                        Infe(3, "mime", std::string("application/rdf+xml\0", 20)));
        const std::string iloc = FullBox("iloc", 1, std::string("\x44\x00", 2) + U16(2) + U16(2) + U16(1) + U16(0) +
                                                        U16(2) + U32(0) + U32(half) + U32(half) + U32(rest) + U16(3) +
                                                        U16(0) + U16(0) + U16(1) + U32(xmpAt) +
                                                        U32(static_cast<uint32_t>(Xmp.size())));
        const std::string iprp = Box("iprp", Box("ipco", Box("colr", "prof" + Icc)));
        return FullBox("meta", 0, FullBox("hdlr", 0, U32(0) + "pict" + std::string(13, '\0')) + iinf + iloc +
                                      Box("idat", exif) + iprp);
    };
    const auto xmpAt = static_cast<uint32_t>(ftyp.size() + meta(0).size() + 8);
    return ftyp + meta(xmpAt) + Box("mdat", Xmp);
}

// CR3: the four TIFF structures in Canon's box in `moov`, XMP in a
// top-level `uuid` box.
std::string BuiltCr3(const std::string &t) {
    const std::string canon("\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48", 16);
    const std::string xmpUuid("\xbe\x7a\xcf\xcb\x97\xa9\x42\xe8\x9c\x71\x99\x94\x91\xe3\xaf\xac", 16);
    const std::string small = std::string("MM\0*\0\0\0\x08\0\x01\x01\x10\0\x02\0\0\0\x04EOS\0\0\0\0\0", 26);
    const std::string cmt = Box("CMT1", t) + Box("CMT2", small) + Box("CMT3", small) + Box("CMT4", small);
    return Box("ftyp", "crx " + U32(1) + "crx isom") + Box("moov", Box("uuid", canon + Box("CMT0", "") + cmt)) +
           Box("uuid", xmpUuid + Xmp) + Box("mdat", "");
}

// JPEG XL in its container: Exif and xml boxes, a Brotli-compressed Exif
// box, the codestream.
std::string BuiltJpegXl(const std::string &t) {
    return Box("JXL ", "\r\n\x87\n") + Box("ftyp", "jxl " + U32(0) + "jxl ") + Box("Exif", U32(0) + t) +
           Box("xml ", Xmp) + Box("brob", "Exif" + std::string(8, '\x55')) +
           Box("jxlc", std::string("\xFF\x0A\x00\x00", 4));
}

void BuiltContainers(const fs::path &out) {
    const std::string t = BuiltTiff();
    const struct {
        const char *Target;
        const char *Name;
        std::string Bytes;
    } files[] = {
        {"iso_media", "built-items.heic", BuiltHeif(t)}, {"iso_media", "built-canon.cr3", BuiltCr3(t)},
        {"iso_media", "built-boxes.jxl", BuiltJpegXl(t)}, {"png", "built-chunks.png", BuiltPng(t)},
        {"png", "built-raw-profiles.png", BuiltPngRawProfiles(t)}, {"webp", "built-chunks.webp", BuiltWebP(t)},
        {"psd", "built-resources.psd", BuiltPsd(t)}, {"raf", "built-jpeg.raf", BuiltRaf(t)},
    };
    for (const auto &f : files) {
        Write(out / f.Target, f.Name, f.Bytes);
        Write(out / "image_view", f.Name, f.Bytes);
    }
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::cerr << "usage: fuzz-seeds OUT_FOLDER SAMPLE...\n";
        return 2;
    }
    const fs::path out = argv[1];
    for (int i = 2; i < argc; ++i) SeedsFromSample(out, argv[i]);
    BuiltMakerNotes(out);
    BuiltFiles(out);
    BuiltContainers(out);
    return 0;
}
