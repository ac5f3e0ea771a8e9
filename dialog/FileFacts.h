// What a JPEG holds besides its metadata blocks, as exiftool's File and JFIF
// groups name it: the comment (COM), the frame header's coding (SOFn), the
// JFIF header (APP0), and the EXIF block's byte order. The command-line
// tool's JSON and CSV show these rows; the dialog shows the comment alone
// (see CommentRow).
#pragma once

#include <optional>
#include <vector>

#include "dialog/ParamsRows.h"
#include "exif/ImgData.h"

namespace params {

// The rows, each named as exiftool names it and with its group ("File",
// "JFIF", "ICC-header", "ICC_Profile") in GridRow::Group; numbers only
// `withNumbers`. The comment is among them only for a file without EXIF
// data, whose EXIF tab has no file rows.
std::vector<GridRow> FileFacts(const exif::TimgData &img, bool withNumbers);

// The JPEG comment (the first COM segment) as the dialog's "Comment" row;
// none when the file has no COM segment.
std::optional<GridRow> CommentRow(const exif::TimgData &img);

}  // namespace params
