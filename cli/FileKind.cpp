#include "cli/FileKind.h"

#include <array>
#include <fstream>
#include <string_view>

#include "cli/Platform.h"
#include "exif/TextFormat.h"

namespace cli {

namespace {

struct KnownExtension {
    std::string_view Extension;
    ImageKind Kind;
};

constexpr std::array<KnownExtension, 6> KnownExtensions = {{
    {".JPG", ImageKind::Jpeg},
    {".JPEG", ImageKind::Jpeg},
    {".JPE", ImageKind::Jpeg},
    {".TIF", ImageKind::Tiff},
    {".TIFF", ImageKind::Tiff},
    {".NEF", ImageKind::Tiff},
}};

}  // namespace

ImageKind KindByExtension(const std::string &fileName) {
    const size_t slash = fileName.find_last_of("\\/");
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return ImageKind::Unknown;
    const std::string extension = exif::UpperAscii(std::string_view(fileName).substr(dot));
    for (const KnownExtension &known : KnownExtensions)
        if (known.Extension == extension) return known.Kind;
    return ImageKind::Unknown;
}

ImageKind KindByLeadingBytes(const std::string &leadingBytes) {
    const std::string_view bytes = leadingBytes;
    if (bytes.substr(0, 2) == "\xFF\xD8") return ImageKind::Jpeg;
    const std::string_view head = bytes.substr(0, 4);
    if (head == std::string_view("II*\0", 4) || head == std::string_view("MM\0*", 4)) return ImageKind::Tiff;
    return ImageKind::Unknown;
}

ImageKind KindOfFile(const std::string &utf8Name) {
    const ImageKind byName = KindByExtension(utf8Name);
    if (byName != ImageKind::Unknown) return byName;
    std::ifstream in(FsPath(utf8Name), std::ios::binary);
    std::string lead(4, '\0');
    in.read(lead.data(), 4);
    lead.resize(static_cast<size_t>(in.gcount()));
    return KindByLeadingBytes(lead);
}

}  // namespace cli
