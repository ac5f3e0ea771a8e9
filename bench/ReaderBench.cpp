// The reader's per-file work against two peers, interleaved in one run:
//   exifview  what the dialog and exifinfo do per file: one BuildImageView
//             (both tabs, size from the file) and the export text;
//   libexif   load the EXIF data, render every entry and every maker-note entry;
//   exiv2     readMetadata, then every Exif, IPTC and XMP datum's text;
//   bytes     each file's bytes read, 64 KiB a read, and nothing more (over
//             the corpus only): the floor.
// Over a corpus of real files (EXIFVIEW_CORPUS: folders separated by ':', the
// repository's samples by default) and over hostile files made here.
//
//   reader-bench [benchmark flags]      the comparison
//   reader-bench --pass KIND            one pass of KIND over the corpus and
//                                       the hostile files (for callgrind)
// The XML reader of the XMP tab against libexpat, on the XMP test packets
// and on a large packet made of them (xml/exifview, xml/expat).
//
//   reader-bench --bytes-read [HEIC]    how many bytes of 50 MB files the reader
//                                       reads: a TIFF with its directory at the
//                                       end, a PNG of 8 KiB image-data chunks
//                                       with its EXIF after them, and a HEIC
//                                       (a real one given, grown by 50 MB)
#include <benchmark/benchmark.h>
#include <expat.h>
#include <libexif/exif-data.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <exiv2/exiv2.hpp>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "dialog/ParamsRows.h"
#include "exif/ImgData.h"
#include "xmp/XmlReader.h"

namespace {

namespace fs = std::filesystem;

// ------------------------------------------------------------ per-file work

size_t ExifViewFile(const std::string &path) {
    params::ViewRequest request;
    request.SizeFromFile = true;
    request.Separators = params::AnyPathSeparators;
    const params::ImageView view = params::BuildImageView(path, request);
    return params::ExportText(view).size();
}

size_t LibexifFile(const std::string &path) {
    ExifData *data = exif_data_new_from_file(path.c_str());
    if (!data) return 0;
    size_t total = 0;
    char text[1024];
    for (ExifContent *content : data->ifd)
        for (unsigned i = 0; i < content->count; ++i)
            if (exif_entry_get_value(content->entries[i], text, sizeof text)) total += std::char_traits<char>::length(text);
    if (ExifMnoteData *notes = exif_data_get_mnote_data(data)) {
        const unsigned n = exif_mnote_data_count(notes);
        for (unsigned i = 0; i < n; ++i)
            if (exif_mnote_data_get_value(notes, i, text, sizeof text)) total += std::char_traits<char>::length(text);
    }
    exif_data_unref(data);
    return total;
}

size_t Exiv2File(const std::string &path) {
    size_t total = 0;
    try {
        auto image = Exiv2::ImageFactory::open(path);
        image->readMetadata();
        for (const Exiv2::Exifdatum &d : image->exifData()) total += d.toString().size();
        for (const Exiv2::Iptcdatum &d : image->iptcData()) total += d.toString().size();
        for (const Exiv2::Xmpdatum &d : image->xmpData()) total += d.toString().size();
    } catch (const std::exception &) {
        // A file exiv2 refuses costs what it took to refuse it.
    }
    return total;
}

// The file's bytes read and nothing done with them, 64 KiB a read: the floor
// a reader's pass over the same files is measured against.
size_t BytesOnlyFile(const std::string &path) {
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    std::setvbuf(f, nullptr, _IONBF, 0);
    static char buffer[64 * 1024];
    size_t total = 0;
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, f)) > 0;) total += got;
    std::fclose(f);
    return total;
}

using FileWork = size_t (*)(const std::string &);

struct Peer {
    const char *Name;
    FileWork Work;
};

const Peer Peers[] = {{"exifview", ExifViewFile}, {"libexif", LibexifFile}, {"exiv2", Exiv2File}, {"bytes", BytesOnlyFile}};

// One pass over the files; not inlined, so that callgrind can count exactly it.
__attribute__((noinline)) size_t OnePass(FileWork work, const std::vector<std::string> &files) {
    size_t total = 0;
    for (const std::string &f : files) total += work(f);
    return total;
}

// ------------------------------------------------------------------ corpus

bool IsImage(const fs::path &p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".jpg" || ext == ".jpeg" || ext == ".jpe" || ext == ".tif" || ext == ".tiff" || ext == ".nef";
}

// Files of every corpus folder, each file name once.
std::vector<std::string> CorpusFiles() {
    const char *env = std::getenv("EXIFVIEW_CORPUS");
    std::string dirs = env && *env ? env : EXIFVIEW_SAMPLES;
    std::vector<std::string> files;
    std::set<std::string> names;
    for (size_t start = 0; start <= dirs.size();) {
        const size_t colon = std::min(dirs.find(':', start), dirs.size());
        const fs::path dir = dirs.substr(start, colon - start);
        start = colon + 1;
        std::error_code ec;
        std::vector<fs::path> found;
        for (const auto &e : fs::directory_iterator(dir, ec))
            if (e.is_regular_file() && IsImage(e.path())) found.push_back(e.path());
        std::sort(found.begin(), found.end());
        for (const fs::path &p : found)
            if (names.insert(p.filename().string()).second) files.push_back(p.string());
    }
    return files;
}

// ---------------------------------------------------------- hostile files

struct Writer {
    std::string out;
    void U8(unsigned v) { out += static_cast<char>(v & 0xFF); }
    void U16(unsigned v) {
        U8(v);
        U8(v >> 8);
    }
    void U32(uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void Entry(unsigned tag, unsigned type, uint32_t count, uint32_t value) {
        U16(tag);
        U16(type);
        U32(count);
        U32(value);
    }
};

// A little-endian TIFF structure: IFD0 at offset 8 holding `entries` (each
// given its index), then `tail` at offset 8 + 2 + 12n + 4.
template <typename EntryFn>
std::string Tiff(uint32_t entries, EntryFn entry, const std::string &tail) {
    Writer w;
    w.out = "II";
    w.U16(42);
    w.U32(8);
    w.U16(entries);
    for (uint32_t i = 0; i < entries; ++i) entry(w, i);
    w.U32(0);
    return w.out + tail;
}

uint32_t TailOffset(uint32_t entries) {
    return 8 + 2 + 12 * entries + 4;
}

std::string Segment(unsigned marker, const std::string &payload) {
    std::string s = "\xFF";
    s += static_cast<char>(marker);
    const size_t length = payload.size() + 2;
    s += static_cast<char>(length >> 8);
    s += static_cast<char>(length & 0xFF);
    return s + payload;
}

std::string ExifJpeg(const std::string &tiff, const std::string &more = {}) {
    return "\xFF\xD8" + Segment(0xE1, std::string("Exif\0\0", 6) + tiff) + more + "\xFF\xD9";
}

// A Canon maker note of `n` entries of LONG values, then its link.
std::string CanonNote(uint32_t n) {
    Writer w;
    w.U16(n);
    for (uint32_t i = 0; i < n; ++i) w.Entry(0x0008, 4, 1, i);
    w.U32(0);
    return w.out;
}

// Make "Canon" as the first entry, its text as the tail's first 6 bytes.
void CanonMake(Writer &w, uint32_t entries) {
    w.Entry(0x010F, 2, 6, TailOffset(entries));
}

std::vector<std::pair<std::string, std::string>> HostileFiles() {
    std::vector<std::pair<std::string, std::string>> files;
    // Many pointers into overlapping directories of invalid-type entries.
    const auto fanout = [](uint32_t pointers, uint32_t region) {
        return Tiff(
            pointers, [&](Writer &w, uint32_t i) { w.Entry(0x8769, 4, 1, TailOffset(pointers) + 2 * i); },
            std::string(region, '\x0F'));
    };
    files.emplace_back("fanout.jpg", ExifJpeg(fanout(1000, 50000)));
    files.emplace_back("fanout.tif", fanout(10000, 130000));
    // A directory of entries of an invalid type.
    files.emplace_back("invalid.jpg",
                       ExifJpeg(Tiff(5000, [](Writer &w, uint32_t i) { w.Entry(0x0100 + i, 0xFFFF, 1, 0); }, "")));
    // 256 MakerNote tags at one note of 2000 entries.
    const std::string note = CanonNote(2000);
    files.emplace_back("note-fanout.jpg",
                       ExifJpeg(Tiff(
                           257,
                           [&](Writer &w, uint32_t i) {
                               if (i == 0) return CanonMake(w, 257);
                               w.Entry(0x927C, 7, static_cast<uint32_t>(note.size()), TailOffset(257) + 6);
                           },
                           std::string("Canon\0", 6) + note)));
    // Maker notes chained through a TIFF file: each MakerNote tag points two
    // bytes further into one run of notes, every one of them the whole rest.
    const std::string notes = CanonNote(10000);
    files.emplace_back("chained-notes.tif", Tiff(
                                                10000,
                                                [&](Writer &w, uint32_t i) {
                                                    if (i == 0) return CanonMake(w, 10000);
                                                    w.Entry(0x927C, 7, 120000, TailOffset(10000) + 6 + 2 * i);
                                                },
                                                std::string("Canon\0", 6) + notes));
    // A 64 KiB JPEG whose MakerNote tags each take the whole segment as note.
    files.emplace_back("chained-notes.jpg", ExifJpeg(Tiff(
                                                4000,
                                                [&](Writer &w, uint32_t i) {
                                                    if (i == 0) return CanonMake(w, 4000);
                                                    w.Entry(0x927C, 7, 60000, 8 + 12 * i);
                                                },
                                                std::string("Canon\0", 6) + CanonNote(1000))));
    // A note that claims 19,400 entries in a file of about 1,250 bytes.
    std::string small = CanonNote(80);
    small[0] = static_cast<char>(19400 & 0xFF);
    small[1] = static_cast<char>(19400 >> 8);
    files.emplace_back("note-count.jpg",
                       ExifJpeg(Tiff(
                           2,
                           [&](Writer &w, uint32_t i) {
                               if (i == 0) return CanonMake(w, 2);
                               w.Entry(0x927C, 7, static_cast<uint32_t>(small.size()), TailOffset(2) + 6);
                           },
                           std::string("Canon\0", 6) + small)));
    // Entries with huge counts.
    files.emplace_back("huge-counts.jpg", ExifJpeg(Tiff(
                                              3000,
                                              [](Writer &w, uint32_t i) {
                                                  const uint32_t counts[] = {0x7FFFFFFF, 0x3FFFFFFF, 60000};
                                                  w.Entry(0x010E, 7 - 6 * (i % 2), counts[i % 3], 8);
                                              },
                                              std::string(20000, 'x'))));
    // A flood of one-letter keywords.
    std::string datasets;
    for (int i = 0; i < 12000; ++i) datasets += std::string("\x1C\x02\x19\x00\x01", 5) + static_cast<char>('a' + i % 26);
    std::string app13 = std::string("Photoshop 3.0\0" "8BIM\x04\x04\0\0", 22);
    const size_t n = datasets.size();
    for (int shift = 24; shift >= 0; shift -= 8) app13 += static_cast<char>((n >> shift) & 0xFF);
    files.emplace_back("keywords.jpg", ExifJpeg(Tiff(0, [](Writer &, uint32_t) {}, ""), Segment(0xED, app13 + datasets)));
    // Fill bytes: 16 MiB of 0xFF before any marker.
    files.emplace_back("fill.jpg", "\xFF\xD8" + std::string(16 * 1024 * 1024, '\xFF'));
    // Budgets that grew with the file: a 3 MiB fan-out reaching the entry
    // maximum, 8 MiB of maker notes sharing one value reaching the kept-bytes
    // maximum, a 32 MiB UserComment of control characters.
    files.emplace_back("fanout-3mib.tif", fanout(2000, 3 * 1024 * 1024));
    files.emplace_back("kept-8mib.tif", Tiff(
                                            70, [](Writer &w, uint32_t) { w.Entry(0x927C, 7, 1000000, TailOffset(70)); },
                                            std::string(8 * 1024 * 1024, 'A')));
    files.emplace_back("usercomment-32mib.tif",
                       Tiff(
                           1, [](Writer &w, uint32_t) { w.Entry(0x9286, 7, 32 * 1024 * 1024, TailOffset(1)); },
                           std::string("ASCII\0\0\0", 8) + [] {
                               std::string pairs;
                               for (int i = 0; i < 16 * 1024 * 1024; ++i) pairs += "A\x01";
                               return pairs;
                           }()));
    // 64 MiB of APP1 segments after the EXIF one, an APP13 at the end.
    std::string flood;
    for (int i = 0; i < 1024; ++i) flood += Segment(0xE1, std::string(65000, 'x'));
    files.emplace_back("app1-flood.jpg", ExifJpeg(Tiff(0, [](Writer &, uint32_t) {}, ""), flood + Segment(0xED, app13 + datasets)));
    return files;
}

std::vector<std::string> WriteHostileFiles() {
    const fs::path dir = fs::temp_directory_path() / "exifview-bench-hostile";
    fs::create_directories(dir);
    std::vector<std::string> paths;
    for (const auto &[name, bytes] : HostileFiles()) {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
        paths.push_back(p.string());
    }
    return paths;
}

// ------------------------------------------------------------------- XML

// Both parsers hand every event to a handler that counts it, so that each
// does the same work: names resolved to their namespaces, attributes, text.
struct TCountingHandler final : xmp::TXmlHandler {
    size_t Events = 0;
    bool StartElement(const xmp::TXmlName &, std::span<const xmp::TXmlAttribute> attributes) override {
        Events += 1 + attributes.size();
        return true;
    }
    bool EndElement(const xmp::TXmlName &) override { return ++Events != 0; }
    bool Text(std::string_view) override { return ++Events != 0; }
};

size_t OwnXml(const std::string &packet) {
    TCountingHandler h;
    xmp::ReadXml(packet, h);
    return h.Events;
}

size_t ExpatXml(const std::string &packet) {
    size_t events = 0;
    XML_Parser parser = XML_ParserCreateNS(nullptr, ' ');
    XML_SetUserData(parser, &events);
    XML_SetElementHandler(
        parser,
        [](void *data, const XML_Char *, const XML_Char **attributes) {
            size_t n = 1;
            for (const XML_Char **a = attributes; *a; a += 2) ++n;
            *static_cast<size_t *>(data) += n;
        },
        [](void *data, const XML_Char *) { ++*static_cast<size_t *>(data); });
    XML_SetCharacterDataHandler(parser, [](void *data, const XML_Char *, int) { ++*static_cast<size_t *>(data); });
    XML_Parse(parser, packet.data(), static_cast<int>(packet.size()), 1);
    XML_ParserFree(parser);
    return events;
}

std::vector<std::pair<std::string, std::string>> XmpPackets() {
    std::vector<std::pair<std::string, std::string>> packets;
    std::string all;
    for (const char *name : {"basic.xmp", "structures.xmp", "shorthand.xmp"}) {
        std::ifstream in(std::string(EXIFVIEW_XMP_PACKETS) + "/" + name, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        packets.emplace_back(name, bytes);
    }
    // A 4 MB packet: one description of 40,000 keywords, as large XMP gets.
    std::string big = "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
                      "<rdf:Description xmlns:dc='http://purl.org/dc/elements/1.1/'><dc:subject><rdf:Bag>";
    for (int i = 0; i < 40000; ++i) big += "<rdf:li>keyword number " + std::to_string(i) + " &amp; more</rdf:li>\n";
    big += "</rdf:Bag></dc:subject></rdf:Description></rdf:RDF></x:xmpmeta>";
    packets.emplace_back("keywords-4mb.xmp", big);
    return packets;
}

void RegisterXml() {
    static const std::vector<std::pair<std::string, std::string>> packets = XmpPackets();
    for (const auto &[name, bytes] : packets)
        for (const auto &[peer, parse] : {std::pair<std::string, size_t (*)(const std::string &)>{"exifview", OwnXml},
                                          std::pair<std::string, size_t (*)(const std::string &)>{"expat", ExpatXml}})
            benchmark::RegisterBenchmark(("xml/" + name + "/" + peer).c_str(),
                                         [&bytes = bytes, parse = parse](benchmark::State &state) {
                                             for (auto _ : state) benchmark::DoNotOptimize(parse(bytes));
                                         })
                ->Unit(benchmark::kMicrosecond);
}

void RegisterAll(const std::vector<std::string> &corpus, const std::vector<std::string> &hostile) {
    RegisterXml();
    for (const Peer &peer : Peers) {
        benchmark::RegisterBenchmark((std::string("corpus/") + peer.Name).c_str(),
                                     [&corpus, work = peer.Work](benchmark::State &state) {
                                         for (auto _ : state) benchmark::DoNotOptimize(OnePass(work, corpus));
                                         state.counters["files"] = static_cast<double>(corpus.size());
                                     })
            ->Unit(benchmark::kMillisecond);
        for (const std::string &file : hostile) {
            if (peer.Work == BytesOnlyFile) break;
            const std::string name = "hostile/" + fs::path(file).filename().string() + "/" + peer.Name;
            benchmark::RegisterBenchmark(name.c_str(),
                                         [file, work = peer.Work](benchmark::State &state) {
                                             for (auto _ : state) benchmark::DoNotOptimize(work(file));
                                         })
                ->Unit(benchmark::kMillisecond);
        }
    }
}

// ------------------------------------------------------------- large files

constexpr size_t LargeSize = 50 * 1000 * 1000;

std::string BigEndian32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 8) & 0xFF),
            static_cast<char>(v & 0xFF)};
}

std::string PngChunk(const std::string &type, const std::string &data) {
    return BigEndian32(static_cast<uint32_t>(data.size())) + type + data + std::string(4, '\0');
}

std::vector<std::pair<std::string, std::string>> LargeFiles(const char *heic) {
    std::vector<std::pair<std::string, std::string>> files;
    // IFD0 after 50 MB of image data.
    const uint32_t at = LargeSize;
    std::string tiff = std::string("II*\0", 4) + std::string{static_cast<char>(at & 0xFF), static_cast<char>((at >> 8) & 0xFF),
                                                             static_cast<char>((at >> 16) & 0xFF), static_cast<char>(at >> 24)};
    tiff.resize(at, '\x55');
    Writer ifd;
    ifd.U16(1);
    ifd.Entry(0x010F, 2, 4, 0x004B494E);  // Make "NIK"
    ifd.U32(0);
    files.emplace_back("large.tif", tiff + ifd.out);
    // A PNG as libpng writes one: image data in 8 KiB chunks, EXIF after it.
    std::string png = "\x89PNG\r\n\x1A\n" + PngChunk("IHDR", std::string(13, '\0'));
    const std::string idat = PngChunk("IDAT", std::string(8192, '\x33'));
    while (png.size() < LargeSize) png += idat;
    png += PngChunk("eXIf", Tiff(1, [](Writer &w, uint32_t) { w.Entry(0x010F, 2, 4, 0x004B494E); }, ""));
    files.emplace_back("large.png", png + PngChunk("IEND", ""));
    if (heic) {
        std::ifstream in(heic, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // A free box of 50 MB after the file's own boxes.
        bytes += BigEndian32(static_cast<uint32_t>(LargeSize + 8)) + "free" + std::string(LargeSize, '\0');
        files.emplace_back("large.heic", bytes);
    }
    return files;
}

int BytesRead(const char *heic) {
    const fs::path dir = fs::temp_directory_path() / "exifview-bench-large";
    fs::create_directories(dir);
    for (const auto &[name, bytes] : LargeFiles(heic)) {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
        exif::TimgData img(exif::BuildEntries, params::ReaderParts());
        const auto start = std::chrono::steady_clock::now();
        img.OpenImageFile(p.string());
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        const exif::TImageInfo *info = img.ExifInfo();
        std::printf("%-11s %6.1f MB  %8.1f KiB read  %6.2f ms  Make=%s\n", name.c_str(),
                    static_cast<double>(bytes.size()) / 1e6, static_cast<double>(img.FileBytesRead()) / 1024, ms,
                    info ? info->CameraMake.c_str() : "");
        fs::remove(p);
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc >= 2 && std::string(argv[1]) == "--bytes-read") return BytesRead(argc >= 3 ? argv[2] : nullptr);
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    const std::vector<std::string> corpus = CorpusFiles();
    const std::vector<std::string> hostile = WriteHostileFiles();
    if (argc == 3 && std::string(argv[1]) == "--pass") {
        for (const Peer &peer : Peers) {
            if (std::string(argv[2]) != peer.Name) continue;
            std::vector<std::string> all = corpus;
            if (std::getenv("EXIFVIEW_PASS_HOSTILE")) all.insert(all.end(), hostile.begin(), hostile.end());
            std::cout << peer.Name << ": " << all.size() << " files, " << OnePass(peer.Work, all) << " bytes of text\n";
            return 0;
        }
        std::cerr << "reader-bench: --pass wants exifview, libexif, exiv2 or bytes\n";
        return 2;
    }
    RegisterAll(corpus, hostile);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
