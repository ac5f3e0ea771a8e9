// The fuzz targets, one per parser entry of the reader. Each takes arbitrary
// bytes, runs its parser, and checks what it got (see FuzzChecks.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace fuzz {

using TargetFn = void (*)(const uint8_t *data, size_t size);

struct TTarget {
    std::string_view Name;
    TargetFn Run;
};

// The JPEG segment scan, with the EXIF walk and IPTC parse behind it.
void JpegScan(const uint8_t *data, size_t size);
// A TIFF-structured file's bytes (.tif, .tiff, .nef).
void TiffRead(const uint8_t *data, size_t size);
// A maker note of a chosen maker and byte order (layout in MakerNoteInput.h).
void MakerNote(const uint8_t *data, size_t size);
// One APP13 segment's bytes.
void IptcSegment(const uint8_t *data, size_t size);
// XMP: the XML reader alone, and a packet with its Extended XMP parts (each
// from a signature on) through to the XMP tab's rows.
void XmlReader(const uint8_t *data, size_t size), XmpPacket(const uint8_t *data, size_t size);
// A whole file through the view both the dialog and exifinfo show: the EXIF
// and IPTC rows, the export text and the listings.
void ImageView(const uint8_t *data, size_t size);
// A file's bytes through one container reader (containers/Container.h):
// the ISO base media box walk (HEIF/HEIC, AVIF, CR3, JPEG XL), PNG, WebP,
// PSD and RAF.
void IsoMedia(const uint8_t *data, size_t size);
void Png(const uint8_t *data, size_t size);
void WebP(const uint8_t *data, size_t size);
void Psd(const uint8_t *data, size_t size);
void Raf(const uint8_t *data, size_t size);

// clang-format off
inline constexpr std::array<TTarget, 12> Targets = {{
    {"jpeg_scan", JpegScan},
    {"tiff_read", TiffRead},
    {"maker_note", MakerNote},
    {"iptc_segment", IptcSegment},
    {"xml_reader", XmlReader},
    {"xmp_packet", XmpPacket},
    {"image_view", ImageView},
    {"iso_media", IsoMedia},
    {"png", Png},
    {"webp", WebP},
    {"psd", Psd},
    {"raf", Raf},
}};
// clang-format on

inline const TTarget *FindTarget(std::string_view name) {
    for (const TTarget &t : Targets)
        if (t.Name == name) return &t;
    return nullptr;
}

}  // namespace fuzz
