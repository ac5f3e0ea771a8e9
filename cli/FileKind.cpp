#include "cli/FileKind.h"

#include <fstream>

#include "cli/Platform.h"

namespace cli {

ImageKind KindByExtension(const std::string &fileName) { return exif::FileKindOfName(fileName); }

ImageKind KindByLeadingBytes(const std::string &leadingBytes) { return exif::FileKindOfContent(leadingBytes); }

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
