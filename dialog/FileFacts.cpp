#include "dialog/FileFacts.h"

#include <string>
#include <string_view>

#include "bytes/EndInd.h"
#include "exif/TextFormat.h"
#include "bytes/Unicode.h"

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

// An ICC profile's class, by its signature.
struct TProfileClass {
    std::string_view Signature;
    std::string_view Name;
};

constexpr TProfileClass ProfileClasses[] = {
    {"scnr", "Input Device Profile"},
    {"mntr", "Display Device Profile"},
    {"prtr", "Output Device Profile"},
    {"link", "DeviceLink Profile"},
    {"spac", "ColorSpace Conversion Profile"},
    {"abst", "Abstract Profile"},
    {"nmcl", "NamedColor Profile"},
    {"nkpf", "Nikon Input Device Profile (NON-STANDARD!)"},
    {"cenc", "ColorEncodingSpace Profile"},
    {"mid ", "MultiplexIdentification Profile"},
    {"mlnk", "MultiplexLink Profile"},
    {"mvis", "MultiplexVisualization Profile"},
};

constexpr std::string_view RenderingIntents[] = {
    "Perceptual", "Media-Relative Colorimetric", "Saturation", "ICC-Absolute Colorimetric"};

// The ICC header's fields (big-endian), at their offsets in the profile.
constexpr size_t IccCmmType = 4, IccVersion = 8, IccClass = 12, IccColorSpace = 16, IccConnectionSpace = 20,
                 IccManufacturer = 48, IccModel = 52, IccIntent = 64, IccHeaderBytes = 128;
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

// The profile's bytes, 0-based, through the checked reader (0 past the end).
uint32_t IccByte(std::string_view icc, size_t at) {
    return exif::tEndInd::ByteOf(icc, static_cast<exif::Pos>(at + 1));
}

uint32_t IccLong(std::string_view icc, size_t at) {
    return IccByte(icc, at) << 24 | IccByte(icc, at + 1) << 16 | IccByte(icc, at + 2) << 8 | IccByte(icc, at + 3);
}

std::string_view IccBytes(std::string_view icc, size_t at, size_t size) {
    return exif::tEndInd::RegionOf(icc, static_cast<exif::Pos>(at + 1), static_cast<int64_t>(size));
}

void AddSignatureRow(std::vector<GridRow> &rows, std::string_view name, std::string_view icc, size_t at,
                     bool withNumbers) {
    // A signature of zero bytes is none.
    std::string_view signature = IccBytes(icc, at, 4);
    while (!signature.empty() && signature.back() == '\0') signature.remove_suffix(1);
    AddRow(rows, "ICC-header", name, exif::TextOfBytes(signature), {}, withNumbers);
}

// A text description ('desc', ICC 2: a count, then ASCII up to a zero) or a
// multi-localised one ('mluc', ICC 4: records of language, country, length
// and offset of UTF-16 text; the en-US record, else the first).
std::string DescriptionText(std::string_view tag) {
    const std::string_view type = IccBytes(tag, 0, 4);
    if (type == "desc") {
        std::string_view text = IccBytes(tag, 12, IccLong(tag, 8));
        return exif::TextOfBytes(text.substr(0, text.find('\0')));
    }
    if (type != "mluc") return {};
    const uint32_t count = IccLong(tag, 8);
    const uint32_t recordSize = IccLong(tag, 12);
    if (recordSize < 12) return {};
    size_t chosen = 16;
    for (uint32_t i = 0; i < count && 16 + (i + 1) * size_t{recordSize} <= tag.size(); ++i)
        if (IccBytes(tag, 16 + i * size_t{recordSize}, 4) == "enUS") chosen = 16 + i * size_t{recordSize};
    const std::string_view text = IccBytes(tag, IccLong(tag, chosen + 8), IccLong(tag, chosen + 4));
    return exif::TextOfUtf16(text, true);
}

// The tag table after the header: a count, then signature, offset and size
// of each tag; the description is the 'desc' tag's.
std::string ProfileDescription(std::string_view icc) {
    const uint32_t count = IccLong(icc, IccHeaderBytes);
    for (uint32_t i = 0; i < count && IccHeaderBytes + 4 + (i + 1) * size_t{12} <= icc.size(); ++i) {
        const size_t entry = IccHeaderBytes + 4 + i * size_t{12};
        if (IccBytes(icc, entry, 4) != "desc") continue;
        return DescriptionText(IccBytes(icc, IccLong(icc, entry + 4), IccLong(icc, entry + 8)));
    }
    return {};
}

void AddIccFacts(std::vector<GridRow> &rows, std::string_view icc, bool withNumbers) {
    if (icc.size() < IccHeaderBytes || IccBytes(icc, 36, 4) != "acsp") return;
    AddSignatureRow(rows, "ProfileCMMType", icc, IccCmmType, withNumbers);
    const uint32_t version = IccLong(icc, IccVersion) >> 16;
    AddRow(rows, "ICC-header", "ProfileVersion",
           exif::IntText(version >> 8) + "." + exif::IntText((version >> 4) & 0xF) + "." + exif::IntText(version & 0xF),
           {int64_t{version}}, withNumbers);
    const std::string_view signature = IccBytes(icc, IccClass, 4);
    std::string className = exif::TextOfBytes(signature);
    for (const TProfileClass &row : ProfileClasses)
        if (row.Signature == signature) className = row.Name;
    AddRow(rows, "ICC-header", "ProfileClass", withNumbers ? exif::TextOfBytes(signature) : className, {}, withNumbers);
    AddSignatureRow(rows, "ColorSpaceData", icc, IccColorSpace, withNumbers);
    AddSignatureRow(rows, "ProfileConnectionSpace", icc, IccConnectionSpace, withNumbers);
    AddSignatureRow(rows, "DeviceManufacturer", icc, IccManufacturer, withNumbers);
    AddSignatureRow(rows, "DeviceModel", icc, IccModel, withNumbers);
    const uint32_t intent = IccLong(icc, IccIntent);
    AddRow(rows, "ICC-header", "RenderingIntent",
           intent < 4 ? std::string(RenderingIntents[intent]) : exif::IntText(intent), {int64_t{intent}}, withNumbers);
    std::string description = ProfileDescription(icc);
    if (!description.empty())
        AddRow(rows, "ICC_Profile", "ProfileDescription", std::move(description), {}, withNumbers);
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
    AddIccFacts(rows, img.IccBlock, withNumbers);
    if (img.Kind != exif::TFileKind::Jpeg) return rows;
    // With EXIF data the comment is a row of the EXIF tab (CommentRow) already.
    if (img.CommentSection != 0 && !img.HasExifSegment())
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
