// TimgData: everything read from one image file. JPEG files are scanned
// segment by segment up to the start of the compressed data; TIFF-structured
// files (.tif, .tiff, .nef) are read as one block from their header on.
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>

#include "exif/EndInd.h"
#include "exif/ImageInfo.h"

namespace iptc {
class TIPTCdata;
}

namespace exif {

using iptc::TIPTCdata;

// One kept JPEG segment: its two length bytes then its payload, as in the file.
struct tSection {
    std::string Bytes;
    int32_t Marker = 0;
    int32_t SegmentLength = 0;
};

class TimgData : public tEndInd {
public:
    explicit TimgData(int32_t buildMode = BuildAll);
    ~TimgData();
    TimgData(const TimgData &) = delete;
    TimgData &operator=(const TimgData &) = delete;

    bool OpenImageFile(const std::string &fileName);
    void ClearContainer();

    bool HasExifSegment() const { return ExifSection != 0; }
    bool HasIptcSegment() const { return IptcSection != 0; }
    bool HasAnySegment() const { return ExifSection != 0 || CommentSection != 0 || IptcSection != 0; }

    TImageInfo *ExifInfo() const { return Exif.get(); }
    TIPTCdata *IptcInfo() const { return Iptc.get(); }
    // Kept segments are numbered 1..SectionCount; 0 means none.
    const tSection &Section(int number) const { return Sections[static_cast<size_t>(number)]; }
    const tSection *IptcSectionPtr() const {
        return IptcSection ? &Sections[static_cast<size_t>(IptcSection)] : nullptr;
    }

    std::string ErrorText;
    int32_t SectionCount = 0;
    int32_t ExifSection = 0;
    int32_t IptcSection = 0;
    int32_t CommentSection = 0;
    int32_t BuildMode;
    // When true and the file name's extension names neither JPEG nor TIFF,
    // the first bytes decide: FF D8 -> JPEG, "II*\0" or "MM\0*" -> TIFF-structured.
    // The plug-in leaves it false (the extension alone decides, as always).
    bool KindByContent = false;

    static constexpr int MaxSections = 20;
    static constexpr int64_t TiffBlockSize = 256000;

    // The readers behind OpenImageFile, for streams already positioned at the
    // start of the file.
    bool ScanJpegSegments(std::istream &in);
    bool ReadTiffStream(std::istream &in);

private:
    std::array<tSection, MaxSections + 2> Sections;  // slot 0 unused
    std::unique_ptr<TImageInfo> Exif;
    std::unique_ptr<TIPTCdata> Iptc;

    bool ReadSegment(std::istream &in, int32_t marker);
    void ClassifySegment();
    void ReadExifSegment();
};

// True when a regular file of that name exists.
bool FileExists(const std::string &fileName);

}  // namespace exif
