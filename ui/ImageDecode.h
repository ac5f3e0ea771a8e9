// Pictures in the bytes of a file (a JPEG thumbnail) made into bitmaps
// with the platform's own decoders (the Windows Imaging Component): no
// decoder of ours reads them.
#pragma once

#include <windows.h>

#include <string_view>

#include "ui/Handles.h"

namespace ui {

// The largest encoded picture and the longest side of one that is decoded:
// a thumbnail is far smaller; anything larger is not shown.
inline constexpr size_t MaxPictureBytes = 4u << 20;
inline constexpr unsigned MaxPictureSide = 8192;

// The picture scaled to fit `maxWidth` x `maxHeight` (never enlarged),
// keeping its aspect ratio, as a 24-bit top-down bitmap (no alpha, which
// a static control of common controls 6 would blend); empty when the
// bytes are no picture the platform decodes, or a too large one.
TBitmapHandle DecodePictureToFit(std::string_view bytes, int maxWidth, int maxHeight);

}  // namespace ui
