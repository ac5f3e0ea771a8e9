// Photoshop's PSD (version 1) and PSB (version 2, "large document"):
//   header              26 bytes: "8BPS", version, 6 reserved, channels,
//                       height, width, depth, colour mode
//   colour mode data    32-bit big-endian length, then the data
//   image resources     32-bit big-endian length, then resource blocks
//   layers, image data  never read
// Both lengths are 32 bits in PSB too. The metadata is in the resources
// (see Photoshop.h for their layout).
#include <algorithm>
#include <array>
#include <string>

#include "containers/Container.h"
#include "containers/ExifPrefix.h"
#include "containers/Photoshop.h"

namespace containers {

namespace {

constexpr uint64_t HeaderSize = 26;

struct TResourceBlock {
    uint16_t Id;
    TBlockKind Kind;
};

constexpr std::array<TResourceBlock, 4> ResourceBlocks = {{
    {PhotoshopExifId, TBlockKind::Exif},
    {PhotoshopIptcId, TBlockKind::Iptc},
    {PhotoshopXmpId, TBlockKind::Xmp},
    {PhotoshopIccId, TBlockKind::Icc},
}};

struct TSection {
    uint64_t Start = 0;
    uint64_t End = 0;
};

// The section whose 32-bit length is at `at`; its end is cut to the file's.
TSection SectionAt(const TByteReader &file, uint64_t at, TContainerRead &result, std::string_view name) {
    const TSection section{at + 4, at + 4 + file.U32BE(at)};
    if (section.End > file.Size())
        result.Notes.push_back("the " + std::string(name) + " section runs past the end of the file");
    return {section.Start, std::min(section.End, file.Size())};
}

void AddResource(const TByteReader &file, const TPhotoshopResource &resource, TContainerRead &result) {
    for (const TResourceBlock &b : ResourceBlocks) {
        if (b.Id != resource.Id || resource.Size == 0) continue;
        const uint64_t skip = b.Kind == TBlockKind::Exif ? ExifPrefixLength(file, resource.Offset, resource.Size) : 0;
        result.AddFromFile(file, b.Kind, resource.Offset + skip, resource.Size - skip,
                           "image resource " + std::to_string(resource.Id));
    }
}

}  // namespace

TContainerRead ReadPsd(const TByteReader &file) {
    TContainerRead result;
    result.Type = TFileType::Psd;
    const uint16_t version = file.U16BE(4);
    if (file.Bytes(0, 4) != "8BPS" || (version != 1 && version != 2)) {
        result.Notes.push_back("no PSD or PSB header");
        return result;
    }
    if (!file.Has(0, HeaderSize + 4)) {
        result.Notes.push_back("the header is cut short by the end of the file");
        return result;
    }
    const TSection colourMode = SectionAt(file, HeaderSize, result, "colour mode data");
    if (colourMode.End + 4 > file.Size()) {
        result.Notes.push_back("the file ends before the image resources section");
        return result;
    }
    const TSection resources = SectionAt(file, colourMode.End, result, "image resources");
    const TPhotoshopResources found = FindPhotoshopResources(file, resources.Start, resources.End);
    if (!found.Stopped.empty()) result.Notes.push_back("image resources: " + found.Stopped);
    for (const TPhotoshopResource &r : found.Found) AddResource(file, r, result);
    return result;
}

}  // namespace containers
