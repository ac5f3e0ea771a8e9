// Small builders for test files made from bytes: TIFF structures with
// directories and sub-directories, JPEG segment lists, IPTC datasets.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "exif/ImageInfo.h"

namespace testbytes {

// Appends numbers in a chosen byte order.
struct ByteWriter {
    bool big = false;
    std::string out;

    void U8(unsigned v) { out += static_cast<char>(v & 0xFF); }
    void U16(unsigned v) {
        if (big) {
            U8(v >> 8);
            U8(v);
        } else {
            U8(v);
            U8(v >> 8);
        }
    }
    void U32(uint32_t v) {
        if (big) {
            U16(v >> 16);
            U16(v & 0xFFFF);
        } else {
            U16(v & 0xFFFF);
            U16(v >> 16);
        }
    }
    void Str(const std::string &s) { out += s; }
};

inline std::string U16Bytes(bool big, std::initializer_list<unsigned> values) {
    ByteWriter w{big, {}};
    for (unsigned v : values) w.U16(v);
    return w.out;
}
inline std::string U32Bytes(bool big, std::initializer_list<uint32_t> values) {
    ByteWriter w{big, {}};
    for (uint32_t v : values) w.U32(v);
    return w.out;
}
inline std::string RationalBytes(bool big, std::initializer_list<std::pair<int32_t, int32_t>> values) {
    ByteWriter w{big, {}};
    for (auto [n, d] : values) {
        w.U32(static_cast<uint32_t>(n));
        w.U32(static_cast<uint32_t>(d));
    }
    return w.out;
}

// One directory entry. `value` holds the value's bytes in the file's order;
// when `pointsTo` is set the value is the offset of that directory; when
// `offset` is set it is written as the value offset without any data.
struct Entry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    std::string value;
    int pointsTo = -1;
    int64_t offset = -1;
};

// A TIFF structure (header at offset 0) built from directories; directories
// are laid out in the order they were added, each followed by its values.
class Tiff {
public:
    explicit Tiff(bool bigEndian = false) : big_(bigEndian) {}

    int Dir(std::vector<Entry> entries, uint32_t nextOffset = 0) {
        dirs_.push_back({std::move(entries), nextOffset});
        return static_cast<int>(dirs_.size()) - 1;
    }

    Entry Short(uint16_t tag, std::initializer_list<unsigned> v) const {
        return {tag, 3, static_cast<uint32_t>(v.size()), U16Bytes(big_, v)};
    }
    Entry Long(uint16_t tag, std::initializer_list<uint32_t> v) const {
        return {tag, 4, static_cast<uint32_t>(v.size()), U32Bytes(big_, v)};
    }
    Entry Rational(uint16_t tag, std::initializer_list<std::pair<int32_t, int32_t>> v, uint16_t type = 5) const {
        return {tag, type, static_cast<uint32_t>(v.size()), RationalBytes(big_, v)};
    }
    static Entry Ascii(uint16_t tag, const std::string &text) {
        return {tag, 2, static_cast<uint32_t>(text.size() + 1), text + std::string(1, '\0')};
    }
    static Entry Typed(uint16_t tag, uint16_t type, uint32_t count, const std::string &bytes) {
        return {tag, type, count, bytes};
    }
    static Entry Undefined(uint16_t tag, const std::string &bytes) {
        return {tag, 7, static_cast<uint32_t>(bytes.size()), bytes};
    }
    static Entry Bytes(uint16_t tag, std::initializer_list<unsigned> v) {
        std::string s;
        for (unsigned b : v) s += static_cast<char>(b);
        return {tag, 1, static_cast<uint32_t>(v.size()), s};
    }
    static Entry Pointer(uint16_t tag, int dir) { return {tag, 4, 1, {}, dir}; }
    static Entry AtOffset(uint16_t tag, uint16_t type, uint32_t count, int64_t offset) {
        return {tag, type, count, {}, -1, offset};
    }

    // The whole structure with `root` as the first directory.
    std::string Build(int root = -1) const {
        if (root < 0) root = static_cast<int>(dirs_.size()) - 1;
        std::vector<uint32_t> at(dirs_.size());
        uint32_t pos = 8;
        for (size_t i = 0; i < dirs_.size(); ++i) {
            at[i] = pos;
            pos += DirSize(dirs_[i].entries);
        }
        ByteWriter w{big_, {}};
        w.Str(big_ ? "MM" : "II");
        w.U16(42);
        w.U32(at[static_cast<size_t>(root)]);
        for (size_t i = 0; i < dirs_.size(); ++i) Emit(w, dirs_[i], at[i], at);
        return w.out;
    }

    bool big() const { return big_; }

    // Where a directory lies in the built structure; it depends only on the
    // directories added before it.
    uint32_t OffsetOf(int dir) const {
        uint32_t pos = 8;
        for (int i = 0; i < dir; ++i) pos += DirSize(dirs_[static_cast<size_t>(i)].entries);
        return pos;
    }

private:
    struct Directory {
        std::vector<Entry> entries;
        uint32_t next;
    };
    bool big_;
    std::vector<Directory> dirs_;

    static uint32_t DataSize(const Entry &e) {
        return e.pointsTo < 0 && e.offset < 0 && e.value.size() > 4 ? static_cast<uint32_t>(e.value.size()) : 0;
    }
    static uint32_t DirSize(const std::vector<Entry> &entries) {
        uint32_t size = 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
        for (const Entry &e : entries) size += DataSize(e);
        return size;
    }
    void Emit(ByteWriter &w, const Directory &d, uint32_t start, const std::vector<uint32_t> &at) const {
        w.U16(static_cast<unsigned>(d.entries.size()));
        uint32_t data = start + 2 + 12 * static_cast<uint32_t>(d.entries.size()) + 4;
        std::string values;
        for (const Entry &e : d.entries) {
            w.U16(e.tag);
            w.U16(e.type);
            w.U32(e.count);
            if (e.pointsTo >= 0) {
                w.U32(at[static_cast<size_t>(e.pointsTo)]);
            } else if (e.offset >= 0) {
                w.U32(static_cast<uint32_t>(e.offset));
            } else if (e.value.size() > 4) {
                w.U32(data);
                data += static_cast<uint32_t>(e.value.size());
                values += e.value;
            } else {
                w.Str(e.value + std::string(4 - e.value.size(), '\0'));
            }
        }
        w.U32(d.next);
        w.Str(values);
    }
};

// A JPEG file: SOI, segments in order, then (optionally) SOS and EOI.
class Jpeg {
public:
    Jpeg &Segment(unsigned marker, const std::string &payload) {
        const size_t length = payload.size() + 2;
        out_ += '\xFF';
        out_ += static_cast<char>(marker);
        out_ += static_cast<char>((length >> 8) & 0xFF);
        out_ += static_cast<char>(length & 0xFF);
        out_ += payload;
        return *this;
    }
    Jpeg &App0() { return Segment(0xE0, std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14)); }
    Jpeg &Exif(const std::string &tiff) { return Segment(0xE1, std::string("Exif\0\0", 6) + tiff); }
    Jpeg &Comment(const std::string &text) { return Segment(0xFE, text); }
    Jpeg &Dqt() { return Segment(0xDB, std::string(65, '\1')); }
    // Frame header: precision, height, width, one component.
    Jpeg &Sof0(unsigned width, unsigned height) {
        std::string p;
        p += '\x08';
        p += static_cast<char>(height >> 8);
        p += static_cast<char>(height & 0xFF);
        p += static_cast<char>(width >> 8);
        p += static_cast<char>(width & 0xFF);
        p += std::string("\x01\x01\x11\x00", 4);
        return Segment(0xC0, p);
    }
    Jpeg &Iptc(const std::string &datasets) {
        // Photoshop image resource block 0x0404 holding the IPTC datasets.
        std::string p = std::string("Photoshop 3.0\0", 14) + "8BIM" + std::string("\x04\x04\0\0", 4);
        const size_t n = datasets.size();
        p += static_cast<char>((n >> 24) & 0xFF);
        p += static_cast<char>((n >> 16) & 0xFF);
        p += static_cast<char>((n >> 8) & 0xFF);
        p += static_cast<char>(n & 0xFF);
        p += datasets;
        if (n % 2) p += '\0';
        return Segment(0xED, p);
    }
    Jpeg &Raw(const std::string &bytes) {
        out_ += bytes;
        return *this;
    }
    std::string Build(bool withScan = true) const {
        std::string f = "\xFF\xD8" + out_;
        if (withScan) f += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00\x12\x34\xFF\xD9", 14);
        return f;
    }

private:
    std::string out_;
};

// One IPTC dataset: 0x1C, record, dataset number, 16-bit length, value.
inline std::string Dataset(unsigned record, unsigned number, const std::string &value) {
    std::string d;
    d += '\x1C';
    d += static_cast<char>(record);
    d += static_cast<char>(number);
    d += static_cast<char>((value.size() >> 8) & 0xFF);
    d += static_cast<char>(value.size() & 0xFF);
    return d + value;
}

// Writes bytes to a fresh file in the test's temporary folder.
inline std::string WriteTempFile(const std::string &name, const std::string &bytes) {
    const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "exifview-tests";
    std::filesystem::create_directories(dir);
    const std::filesystem::path path = dir / name;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path.string();
}

// A directory listing without each line's account of where its entry
// stands ("[IFD0] 0x010F ASCII x6 @0x00000032  "): descriptions and values.
inline std::string WithoutPlaces(const std::string &listing) {
    static const std::regex place(R"(\r\n\[[^\]]*\] 0x[0-9A-F]{4} \S+ x\d+ @0x[0-9A-F]{8}  )");
    return std::regex_replace(listing, place, "\r\n");
}

// Value text of the first stored entry of that name, "<missing>" when none.
inline std::string ValueOf(const exif::TImageInfo &info, const std::string &name) {
    const int32_t i = info.EntryIndexOf(name);
    return i < 0 ? std::string("<missing>") : info.EntryAt(i).Value;
}

inline std::string SamplePath(const std::string &name) {
    return std::string(EXIFVIEW_TEST_DATA) + "/samples/" + name;
}

}  // namespace testbytes
