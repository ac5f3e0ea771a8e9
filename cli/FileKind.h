// Whether a file is one the reader can read: by the extension the plug-in
// knows, else by the first bytes (the same rule the tool asks of the reader).
#pragma once

#include <string>

namespace cli {

enum class ImageKind { Jpeg, Tiff, Unknown };

ImageKind KindByExtension(const std::string &fileName);
// FF D8 is a JPEG start of image; "II*\0" and "MM\0*" a TIFF header.
ImageKind KindByLeadingBytes(const std::string &leadingBytes);
// The extension first, the file's first four bytes when it does not decide.
ImageKind KindOfFile(const std::string &utf8Name);

}  // namespace cli
