#include <algorithm>
#include <array>

#include "containers/Container.h"

namespace containers {

namespace {

struct TTypeName {
    TFileType Type;
    std::string_view Name;
};

constexpr std::array<TTypeName, 13> TypeNames = {{
    {TFileType::Unknown, "Unknown"},
    {TFileType::Jpeg, "JPEG"},
    {TFileType::Tiff, "TIFF"},
    {TFileType::Heif, "HEIC"},
    {TFileType::Avif, "AVIF"},
    {TFileType::Cr3, "CR3"},
    {TFileType::JpegXl, "JXL"},
    {TFileType::Png, "PNG"},
    {TFileType::WebP, "WEBP"},
    {TFileType::Psd, "PSD"},
    {TFileType::Raf, "RAF"},
    {TFileType::Orf, "ORF"},
    {TFileType::Rw2, "RW2"},
}};

bool IsHeifBrand(std::string_view b) {
    for (std::string_view h : {"heic", "heix", "hevc", "hevx", "heim", "heis", "hevm", "hevs", "mif1", "msf1", "mif2"})
        if (b == h) return true;
    return false;
}

// Brands any HEIF-family file may carry, AVIF as well as HEIC.
bool IsGeneralBrand(std::string_view b) {
    return b == "mif1" || b == "msf1" || b == "mif2";
}

// An ISO base media file names what it is in its ftyp box: a major brand,
// a minor version, then compatible brands. The major brand decides when it
// is known; a general one ("mif1") leaves it to the compatible brands.
TFileType TypeOfBrand(std::string_view brand) {
    if (brand == "crx ") return TFileType::Cr3;
    if (brand == "avif" || brand == "avis") return TFileType::Avif;
    if (brand == "jxl ") return TFileType::JpegXl;
    if (IsHeifBrand(brand)) return TFileType::Heif;
    return TFileType::Unknown;
}

TFileType TypeOfFtyp(std::string_view first) {
    if (first.size() < 16 || first.substr(4, 4) != "ftyp") return TFileType::Unknown;
    const auto size = static_cast<size_t>(static_cast<uint8_t>(first[0])) << 24 |
                      static_cast<size_t>(static_cast<uint8_t>(first[1])) << 16 |
                      static_cast<size_t>(static_cast<uint8_t>(first[2])) << 8 | static_cast<uint8_t>(first[3]);
    const TFileType major = TypeOfBrand(first.substr(8, 4));
    if (major != TFileType::Unknown && !IsGeneralBrand(first.substr(8, 4))) return major;
    // Compatible brands: AVIF before the general HEIF brands.
    TFileType found = major;
    for (size_t at = 16; at + 4 <= std::min(size, first.size()); at += 4) {
        const TFileType t = TypeOfBrand(first.substr(at, 4));
        if (t == TFileType::Avif || t == TFileType::Cr3) return t;
        if (found == TFileType::Unknown) found = t;
    }
    return found;
}

}  // namespace

TFileType FileTypeOfContent(std::string_view first) {
    using namespace std::string_view_literals;
    first = first.substr(0, ContentTypeBytes);
    if (first.starts_with("\xFF\xD8"sv)) return TFileType::Jpeg;
    if (first.starts_with("II*\0"sv) || first.starts_with("MM\0*"sv)) return TFileType::Tiff;
    if (first.starts_with("IIRO"sv) || first.starts_with("IIRS"sv) || first.starts_with("MMOR"sv))
        return TFileType::Orf;
    if (first.starts_with("IIU\0"sv)) return TFileType::Rw2;
    if (first.starts_with("\x89PNG\r\n\x1A\n"sv)) return TFileType::Png;
    if (first.starts_with("RIFF"sv) && first.size() >= 12 && first.substr(8, 4) == "WEBP") return TFileType::WebP;
    if (first.starts_with("8BPS"sv)) return TFileType::Psd;
    if (first.starts_with("FUJIFILMCCD-RAW "sv)) return TFileType::Raf;
    // JPEG XL: the container's signature box, or a bare codestream (which
    // holds no metadata but is still a JPEG XL file).
    if (first.starts_with("\0\0\0\x0CJXL \r\n\x87\n"sv) || first.starts_with("\xFF\x0A"sv)) return TFileType::JpegXl;
    return TypeOfFtyp(first);
}

TContainerRead ReadContainer(TFileType type, const TByteReader &file) {
    switch (type) {
        case TFileType::Heif:
        case TFileType::Avif:
        case TFileType::Cr3:
        case TFileType::JpegXl:
            return ReadIsoMedia(file);
        case TFileType::Png:
            return ReadPng(file);
        case TFileType::WebP:
            return ReadWebP(file);
        case TFileType::Psd:
            return ReadPsd(file);
        case TFileType::Raf:
            return ReadRaf(file);
        default:
            return {};
    }
}

std::string_view FileTypeName(TFileType type) {
    for (const TTypeName &t : TypeNames)
        if (t.Type == type) return t.Name;
    return "Unknown";
}

}  // namespace containers
