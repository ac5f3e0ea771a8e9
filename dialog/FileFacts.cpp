#include "dialog/FileFacts.h"

#include <string>
#include <string_view>

#include "exif/EndInd.h"
#include "exif/TextFormat.h"
#include "exif/Unicode.h"

namespace params {

namespace {

// clang-format off
// The frame header's marker less 0xC0 and the coding it names.
struct TCodingName {
    int32_t Process;
    std::string_view Name;
};

constexpr TCodingName EncodingProcesses[] = {
    {0x0, "Baseline DCT, Huffman coding"},
    {0x1, "Extended sequential DCT, Huffman coding"},
    {0x2, "Progressive DCT, Huffman coding"},
    {0x3, "Lossless, Huffman coding"},
    {0x5, "Sequential DCT, differential Huffman coding"},
    {0x6, "Progressive DCT, differential Huffman coding"},
    {0x7, "Lossless, Differential Huffman coding"},
    {0x9, "Extended sequential DCT, arithmetic coding"},
    {0xA, "Progressive DCT, arithmetic coding"},
    {0xB, "Lossless, arithmetic coding"},
    {0xD, "Sequential DCT, differential arithmetic coding"},
    {0xE, "Progressive DCT, differential arithmetic coding"},
    {0xF, "Lossless, differential arithmetic coding"},
};

// The chroma subsampling (the largest sampling factor over the smallest,
// horizontally and vertically) and its usual name.
struct TSubsamplingName {
    int32_t Horizontal;
    int32_t Vertical;
    std::string_view Name;
};

constexpr TSubsamplingName Subsamplings[] = {
    {1, 1, "YCbCr4:4:4 (1 1)"},
    {2, 1, "YCbCr4:2:2 (2 1)"},
    {2, 2, "YCbCr4:2:0 (2 2)"},
    {4, 1, "YCbCr4:1:1 (4 1)"},
    {4, 2, "YCbCr4:1:0 (4 2)"},
    {1, 2, "YCbCr4:4:0 (1 2)"},
    {1, 4, "YCbCr4:4:1 (1 4)"},
    {2, 4, "YCbCr4:2:1 (2 4)"},
};

constexpr std::string_view JfifUnits[] = {"None", "inches", "cm"};
// clang-format on

constexpr int32_t MarkerSof0 = 0xC0;
constexpr int32_t MarkerApp0 = 0xE0;
constexpr std::string_view JfifHeader{"JFIF\0", 5};

// A segment's byte at 0-based payload offset `at` (after the two length bytes).
int32_t PayloadByte(const exif::tSection &s, size_t at) {
    return exif::tEndInd::ByteOf(s.Bytes, static_cast<exif::Pos>(at + 3));
}

int32_t PayloadWord(const exif::tSection &s, size_t at) {
    return PayloadByte(s, at) * 256 + PayloadByte(s, at + 1);
}

size_t PayloadSize(const exif::tSection &s) {
    return s.Bytes.size() >= 2 ? s.Bytes.size() - 2 : 0;
}

void AddRow(std::vector<GridRow> &rows, std::string_view group, std::string_view name, std::string value,
            std::vector<exif::TComponent> numbers, bool withNumbers) {
    GridRow &row = rows.emplace_back(GridRow{std::string(name), std::move(value)});
    row.Group = group;
    if (withNumbers) row.Numbers = std::move(numbers);
}

void AddNumberRow(std::vector<GridRow> &rows, std::string_view group, std::string_view name, int32_t n,
                  bool withNumbers) {
    AddRow(rows, group, name, exif::IntText(n), {int64_t{n}}, withNumbers);
}

std::string CodingName(int32_t process) {
    for (const TCodingName &row : EncodingProcesses)
        if (row.Process == process) return std::string(row.Name);
    return "Unknown (" + exif::IntText(process) + ")";
}

std::string SubsamplingName(int32_t h, int32_t v) {
    for (const TSubsamplingName &row : Subsamplings)
        if (row.Horizontal == h && row.Vertical == v) return std::string(row.Name);
    return exif::IntText(h) + " " + exif::IntText(v);
}

// Precision, height, width, component count, then three bytes a component:
// its number, its sampling factors (horizontal in the high nibble), its table.
void AddFrameFacts(std::vector<GridRow> &rows, const exif::tSection &s, bool withNumbers) {
    if (PayloadSize(s) < 6) return;
    const int32_t process = s.Marker - MarkerSof0;
    AddRow(rows, "File", "EncodingProcess", CodingName(process), {int64_t{process}}, withNumbers);
    AddNumberRow(rows, "File", "BitsPerSample", PayloadByte(s, 0), withNumbers);
    const int32_t components = PayloadByte(s, 5);
    AddNumberRow(rows, "File", "ColorComponents", components, withNumbers);
    if (components != 3 || PayloadSize(s) < 15) return;
    int32_t hMin = 16, hMax = 0, vMin = 16, vMax = 0;
    for (size_t i = 0; i < 3; ++i) {
        const int32_t factors = PayloadByte(s, 7 + 3 * i);
        hMin = std::min(hMin, factors >> 4);
        hMax = std::max(hMax, factors >> 4);
        vMin = std::min(vMin, factors & 0x0F);
        vMax = std::max(vMax, factors & 0x0F);
    }
    if (hMin == 0 || vMin == 0 || hMax % hMin != 0 || vMax % vMin != 0) return;
    const int32_t h = hMax / hMin;
    const int32_t v = vMax / vMin;
    AddRow(rows, "File", "YCbCrSubSampling", SubsamplingName(h, v), {int64_t{h}, int64_t{v}}, withNumbers);
}

// "JFIF\0", the version's two bytes, the density unit, the two densities.
void AddJfifFacts(std::vector<GridRow> &rows, const exif::tSection &s, bool withNumbers) {
    if (PayloadSize(s) < 12 || exif::tEndInd::RegionOf(s.Bytes, 3, 5) != JfifHeader) return;
    const int32_t major = PayloadByte(s, 5);
    const int32_t minor = PayloadByte(s, 6);
    std::string version = exif::IntText(major) + "." + (minor < 10 ? "0" : "") + exif::IntText(minor);
    AddRow(rows, "JFIF", "JFIFVersion", std::move(version), {int64_t{major}, int64_t{minor}}, withNumbers);
    const int32_t unit = PayloadByte(s, 7);
    const std::string unitName = unit < 3 ? std::string(JfifUnits[unit]) : exif::IntText(unit);
    AddRow(rows, "JFIF", "ResolutionUnit", unitName, {int64_t{unit}}, withNumbers);
    AddNumberRow(rows, "JFIF", "XResolution", PayloadWord(s, 8), withNumbers);
    AddNumberRow(rows, "JFIF", "YResolution", PayloadWord(s, 10), withNumbers);
}

const exif::tSection *FirstSection(const exif::TimgData &img, int32_t marker) {
    for (int32_t i = 1; i <= img.SectionCount; ++i)
        if (img.Section(i).Marker == marker) return &img.Section(i);
    return nullptr;
}

std::string CommentText(const exif::tSection &s) {
    return exif::TextOfBytes(exif::tEndInd::RegionOf(s.Bytes, 3, static_cast<int64_t>(PayloadSize(s))));
}

}  // namespace

std::vector<GridRow> FileFacts(const exif::TimgData &img, bool withNumbers) {
    std::vector<GridRow> rows;
    if (const exif::TImageInfo *info = img.ExifInfo(); info && img.HasExifSegment())
        AddRow(rows, "File", "ExifByteOrder", info->BigEndian ? "MM" : "II", {}, withNumbers);
    if (img.Kind != exif::TFileKind::Jpeg) return rows;
    if (img.CommentSection != 0)
        AddRow(rows, "File", "Comment", CommentText(img.Section(img.CommentSection)), {}, withNumbers);
    if (img.HasFrameHeader()) AddFrameFacts(rows, img.Section(img.FrameSection), withNumbers);
    if (const exif::tSection *app0 = FirstSection(img, MarkerApp0)) AddJfifFacts(rows, *app0, withNumbers);
    return rows;
}

std::optional<GridRow> CommentRow(const exif::TimgData &img) {
    if (img.Kind != exif::TFileKind::Jpeg || img.CommentSection == 0) return std::nullopt;
    return GridRow{"Comment", CommentText(img.Section(img.CommentSection))};
}

}  // namespace params
