// One entry point that drives every parser of the reader with arbitrary
// bytes: the JPEG segment scan (with the EXIF walk, maker notes and the IPTC
// parse behind it), the TIFF-structured block, and a bare IPTC segment.
#include "fuzz/FuzzTarget.h"

#include <string>

#include "dialog/ParamsRows.h"
#include "exif/ImgData.h"
#include "iptc/IptcData.h"

namespace {

// Touches everything a viewer reads, so that sanitizers see every byte used.
size_t Consume(const exif::TimgData &img) {
    size_t total = img.ErrorText.size();
    if (const exif::TImageInfo *info = img.ExifInfo()) {
        total += info->DumpText.size() + info->MakerDumpText.size() + info->UserCommentText.size();
        for (int32_t i = 0; i < info->EntryCount(); ++i) {
            const exif::TTagEntry e = info->EntryAt(i);
            total += e.Name.size() + e.Value.size() + e.Raw.size();
        }
    }
    if (exif::TIPTCdata *iptcData = img.IptcInfo()) {
        iptcData->ParseOwnerSegment();
        for (int32_t i = 0; i < iptcData->EntryCount(); ++i) total += iptcData->EntryAt(i).Value.size();
    }
    return total;
}

}  // namespace

size_t FuzzOneInput(const uint8_t *data, size_t size) {
    static const bool hooked = (params::InstallReaderHooks(), true);
    (void)hooked;
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    size_t total = 0;
    {
        exif::TimgData img;
        exif::TInput in(bytes);
        try {
            img.ScanJpegSegments(in);
        } catch (const std::exception &) {
        }
        total += Consume(img);
    }
    {
        exif::TimgData img;
        try {
            img.ReadTiffBytes(bytes);
        } catch (const std::exception &) {
        }
        total += Consume(img);
    }
    {
        iptc::TIPTCdata iptcData(nullptr);
        iptcData.ParseSegment(bytes);
        total += static_cast<size_t>(iptcData.EntryCount());
    }
    return total;
}
