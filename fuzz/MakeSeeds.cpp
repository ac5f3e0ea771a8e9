// fuzz-seeds OUT_FOLDER SAMPLE...: writes the seed corpus kept in
// fuzz/corpus: the maker notes and IPTC segments of the real samples in the
// targets' input layouts, plus small built notes for the makers no sample
// has, and small built files and segments for the other targets.
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

void BuiltFiles(const fs::path &out) {
    const std::string datasets = Dataset(2, 0, U16(4)) + Dataset(2, 5, "Built") + Dataset(2, 25, "sea") +
                                 Dataset(2, 25, "sky") + Dataset(2, 20, "one") + Dataset(2, 200, "custom") +
                                 Dataset(8, 10, "\1\2") + Dataset(2, 120, "cut short");
    const std::string app13 = std::string("Photoshop 3.0\0", 14) + "8BIM" + std::string("\x04\x04\0\0", 4) +
                              U32(static_cast<uint32_t>(datasets.size())) + datasets;
    Write(out / "iptc_segment", "built-datasets", U16(static_cast<unsigned>(app13.size() + 2)) + app13);

    // A TIFF structure: main directory with Make, an EXIF pointer and a GPS
    // pointer; EXIF directory with a user comment; GPS directory with a
    // latitude.
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
    Write(out / "tiff_read", "built-directories.tif", t);

    const std::string jpeg = std::string("\xFF\xD8", 2) + Segment(0xE1, std::string("Exif\0\0", 6) + t) +
                             Segment(0xED, app13) + Segment(0xFE, "a comment") +
                             Segment(0xC0, std::string("\x08\0\x10\0\x20\x01\x01\x11\0", 9)) +
                             std::string("\xFF\xDA\0\x08\x01\x01\0\0\x3F\0\xFF\xD9", 12);
    Write(out / "jpeg_scan", "built-segments.jpg", jpeg);
    Write(out / "image_view", "built-segments.jpg", jpeg);
    Write(out / "image_view", "built-directories.tif", t);
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
    return 0;
}
