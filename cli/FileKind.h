// Whether a file is one the reader can read: by the extension the plug-in
// knows, else by the first bytes (the rule the tool asks of the reader).
#pragma once

#include <string>

#include "exif/ImgData.h"

namespace cli {

using ImageKind = exif::TFileKind;

ImageKind KindByExtension(const std::string &fileName);
ImageKind KindByLeadingBytes(const std::string &leadingBytes);
// The extension first, the file's first four bytes when it does not decide.
ImageKind KindOfFile(const std::string &utf8Name);

}  // namespace cli
