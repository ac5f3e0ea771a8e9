#include "cli/MakerNoteRows.h"

#include "exif/ImgData.h"

namespace cli {

std::vector<bool> MakerNoteRows(const std::string &readerPath) {
    exif::TimgData img(exif::BuildAll);
    img.KindByContent = true;
    const exif::TImageInfo *info = img.OpenImageFile(readerPath) ? img.ExifInfo() : nullptr;
    if (!info) return {};
    std::vector<bool> rows(4, false);
    for (int32_t i = 0; i < info->EntryCount(); ++i) {
        const exif::TTagEntry entry = info->EntryAt(i);
        if (entry.Name != "UserComment") rows.push_back(entry.MakerNote != 0);
    }
    return rows;
}

}  // namespace cli
