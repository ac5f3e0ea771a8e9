#include "HostileFiles.h"

#include <cstdint>
#include <random>

#include "ByteBuilders.h"

namespace hostile {

namespace {

using testbytes::Dataset;
using testbytes::Entry;
using testbytes::Jpeg;
using testbytes::Tiff;

constexpr uint16_t TagMake = 0x010F, TagModel = 0x0110, TagSubIFDs = 0x014A, TagExifPointer = 0x8769,
                   TagGpsPointer = 0x8825, TagExifVersion = 0x9000, TagMakerNote = 0x927C, TagUserComment = 0x9286,
                   TagInteropPointer = 0xA005, TagXPTitle = 0x9C9B, TagFocalLength = 0x920A;

std::string Exif(const std::string &tiff) {
    return Jpeg().App0().Exif(tiff).Sof0(64, 48).Build();
}

// A main directory that names the maker, and an EXIF directory with the note.
std::string WithMakerNote(const std::string &make, const std::string &note, bool big = false) {
    Tiff t(big);
    const int exif = t.Dir({Tiff::Undefined(TagExifVersion, "0220"), Tiff::Undefined(TagMakerNote, note)});
    t.Dir({Tiff::Ascii(TagMake, make), Tiff::Ascii(TagModel, "HOSTILE D1"), Tiff::Pointer(TagExifPointer, exif)});
    return Exif(t.Build());
}

// A maker-note directory of `count` claimed entries, whose first real one
// points far outside the note and claims a huge count.
std::string WildNote(const std::string &header, unsigned count, bool big = false) {
    testbytes::ByteWriter w{big, header};
    w.U16(count);
    for (const unsigned tag : {0x0001u, 0x0004u, 0x0084u, 0x000Cu}) {
        w.U16(tag);
        w.U16(tag == 0x0084 ? 5 : 3);
        w.U32(tag == 0x000C ? 0x7FFFFFFF : 40);
        w.U32(0xFFFFFFF0u);
    }
    return w.out + std::string(64, '\x7F');
}

std::string SmallTiff() {
    Tiff t;
    t.Dir({Tiff::Ascii(TagMake, "Canon")});
    return t.Build();
}

}  // namespace

std::vector<THostileFile> JpegStructureFiles() {
    std::string manyApp1 = "\xFF\xD8";
    for (int i = 0; i < 30; ++i) manyApp1 += std::string("\xFF\xE1\x00\x06XMP\0", 8);
    return {
        {"empty.jpg", ""},
        {"only-start-marker.jpg", "\xFF\xD8"},
        {"fill-bytes-without-end.jpg", "\xFF\xD8" + std::string(200000, '\xFF')},
        {"segment-longer-than-file.jpg", std::string("\xFF\xD8\xFF\xE1\xFF\xFF"
                                                     "Exif\0\0II*\0",
                                                     16)},
        {"segment-length-one.jpg", std::string("\xFF\xD8\xFF\xE1\x00\x01\xFF\xD9", 8)},
        {"thirty-app1-segments.jpg", manyApp1},
        {"exif-header-wrong.jpg", Jpeg().Segment(0xE1, "Exit\0\0MM\0*").Build()},
        {"exif-byte-order-wrong.jpg", Jpeg().Exif(std::string("XX\0*\0\0\0\x08", 8)).Build()},
        {"exif-first-directory-far-away.jpg", Jpeg().Exif(std::string("II*\0\xF0\xFF\xFF\x7F", 8)).Build()},
        {"exif-directory-cut-short.jpg", Jpeg().Exif(std::string("II*\0\x08\0\0\0\xFF\xFF\x0F\x01\x02\0", 14)).Build()},
        {"tiff-named-jpg.jpg", SmallTiff()},
        {"text-named-jpg.jpg", "This is not an image at all.\r\n"},
    };
}

std::vector<THostileFile> TiffStructureFiles() {
    std::vector<THostileFile> files;
    {
        // Main -> EXIF -> interoperability -> back to main, and GPS -> itself.
        Tiff t;
        const int interop = t.Dir({Tiff::Pointer(TagExifPointer, 2)});
        const int gps = t.Dir({Tiff::Pointer(TagGpsPointer, 1)});
        const int exif = t.Dir({Tiff::Pointer(TagInteropPointer, interop)});
        t.Dir({Tiff::Pointer(TagExifPointer, exif), Tiff::Pointer(TagGpsPointer, gps)});
        files.push_back({"directory-cycles.jpg", Exif(t.Build())});
    }
    {
        // Sub-image directories nested 60 deep.
        Tiff t;
        int below = t.Dir({Tiff::Ascii(TagMake, "deepest")});
        for (int i = 0; i < 60; ++i) below = t.Dir({Tiff::Pointer(TagSubIFDs, below)});
        files.push_back({"directories-nested-sixty-deep.tif", t.Build(below)});
    }
    {
        Tiff t;
        t.Dir({Tiff::AtOffset(TagMake, 2, 0x7FFFFFFF, 0xFFFFFFF0), Tiff::AtOffset(TagModel, 5, 0x10000000, 8),
               Tiff::AtOffset(TagFocalLength, 12, 0xFFFFFFFF, 0), Tiff::Typed(0x0132, 99, 1000, "2026")});
        files.push_back({"counts-and-offsets-wild.tif", t.Build()});
    }
    {
        Tiff t(true);
        t.Dir({Tiff::Undefined(TagUserComment, std::string("UNICODE\0", 8) + std::string(16001, '\xD8')),
               Tiff::Bytes(TagXPTitle, {0x00, 0xD8, 0x41})});
        files.push_back({"odd-unicode-comment.nef", t.Build()});
    }
    {
        Tiff m;
        const int g = m.Dir({m.Rational(0x0002, {{1, 0}, {-1, 0}, {0, 0}}),
                             m.Rational(0x0007, {{0, 0}, {5, 0}, {7, -1}}), Tiff::Ascii(0x0001, "\x1B[2J")});
        m.Dir({Tiff::Pointer(TagGpsPointer, g)});
        files.push_back({"gps-zero-denominators.jpg", Exif(m.Build())});
    }
    files.push_back({"header-only.tiff", std::string("II*\0", 4)});
    files.push_back(
        {"directory-count-ffff.tif", std::string("MM\0*\0\0\0\x08\xFF\xFF", 10) + std::string(600, '\xAB')});
    files.push_back({"jpeg-named-tif.tif", Jpeg().App0().Build()});
    {
        // 3 MiB of overlapping directories behind 2000 pointers (the entry
        // budget), and 70 maker notes sharing one 1 MB value (the kept-bytes
        // budget): each read within the fixed budgets whatever the file's size.
        testbytes::ByteWriter w{false, std::string("II*\0", 4)};
        w.U32(8);
        w.U16(2000);
        for (uint32_t i = 0; i < 2000; ++i) {
            w.U16(TagExifPointer);
            w.U16(4);
            w.U32(1);
            w.U32(8 + 2 + 12 * 2000 + 4 + 2 * i);
        }
        w.U32(0);
        files.push_back({"budget-fanout-3mib.tif", w.out + std::string(3 * 1024 * 1024, '\x0F')});
        testbytes::ByteWriter k{false, std::string("II*\0", 4)};
        k.U32(8);
        k.U16(70);
        for (int i = 0; i < 70; ++i) {
            k.U16(TagMakerNote);
            k.U16(7);
            k.U32(1000000);
            k.U32(8 + 2 + 12 * 70 + 4);
        }
        k.U32(0);
        files.push_back({"budget-kept-8mib.tif", k.out + std::string(8 * 1024 * 1024, 'A')});
    }
    return files;
}

std::vector<THostileFile> MakerNoteFiles() {
    const std::string tiffHeader("MM\0*\0\0\0\x08", 8);
    return {
        {"nikon-tiff-header-note.jpg",
         WithMakerNote("NIKON CORPORATION", WildNote(std::string("Nikon\0\2\x10\0\0", 10) + tiffHeader, 0xFFFF, true),
                       true)},
        {"nikon-early-note.jpg", WithMakerNote("NIKON", WildNote(std::string("Nikon\0\1\0", 8), 3))},
        {"olympus-note.jpg", WithMakerNote("OLYMPUS OPTICAL CO.,LTD", WildNote(std::string("OLYMP\0\1\0", 8), 200))},
        {"casio-note.jpg", WithMakerNote("CASIO", WildNote("", 4))},
        {"fujifilm-note.jpg", WithMakerNote("FUJIFILM", WildNote(std::string("FUJIFILM\x0C\0\0\0", 12), 4), true)},
        {"canon-note.jpg", WithMakerNote("Canon", WildNote("", 4))},
        {"canon-note-of-zero-entries.jpg", WithMakerNote("Canon", std::string(2, '\0'))},
        {"seiko-note.jpg", WithMakerNote("SEIKO EPSON", WildNote(std::string("SEIKO\0\1\0", 8), 0x8000))},
        {"sanyo-note.jpg", WithMakerNote("SANYO Electric", WildNote(std::string("SANYO\0\1\0", 8), 4))},
        {"minolta-note.jpg", WithMakerNote("Minolta", WildNote("", 4), true)},
    };
}

std::vector<THostileFile> IptcFiles() {
    std::string keywords;
    for (int i = 0; i < 3000; ++i) keywords += Dataset(2, 25, "k" + std::to_string(i));
    return {
        {"iptc-dataset-past-end.jpg", Jpeg().Iptc(Dataset(2, 120, "caption") + "\x1C\x02\x05\xFF\xFFshort").Build()},
        {"iptc-three-thousand-keywords.jpg", Jpeg().Iptc(keywords).Build()},
        {"iptc-without-signature.jpg", Jpeg().Segment(0xED, std::string(12, 'x') + Dataset(2, 5, "title")).Build()},
        {"iptc-only-markers.jpg", Jpeg().Iptc(std::string(4000, '\x1C')).Build()},
        {"iptc-controls-in-values.jpg",
         Jpeg().Iptc(Dataset(2, 5, "\x1B]0;title\x07") + Dataset(2, 120, "line\r\nbreak\0zero")).Build()},
    };
}

std::vector<THostileFile> DamagedSampleFiles(const std::string &name, const std::string &bytes) {
    std::vector<THostileFile> files;
    for (const size_t cut : {size_t{3}, size_t{20}, bytes.size() / 7, bytes.size() / 3, bytes.size() - 1})
        files.push_back({"cut-" + std::to_string(cut) + "-" + name, bytes.substr(0, cut)});
    std::mt19937 random(20261207);
    for (int m = 0; m < 6; ++m) {
        std::string mutated = bytes;
        const size_t end = std::min<size_t>(mutated.size(), 4096);
        for (int k = 0; k < 12; ++k) mutated[4 + random() % (end - 4)] = static_cast<char>(random());
        files.push_back({"mutated-" + std::to_string(m) + "-" + name, mutated});
    }
    return files;
}

}  // namespace hostile
