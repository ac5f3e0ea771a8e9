// A rectangle of the screen as the tests and the screenshot tool see it: the
// pixels as they are shown, 32 bits each (0x00RRGGBB), top row first.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ui/Handles.h"

namespace drive {

inline std::vector<uint32_t> ScreenPixels(const RECT &onScreen) {
    const int width = onScreen.right - onScreen.left, height = onScreen.bottom - onScreen.top;
    if (width <= 0 || height <= 0) return {};
    const ui::TWindowDC screen(nullptr);
    const ui::TMemoryDC memory(screen.Get());
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    const ui::TBitmapHandle bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return {};
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    {
        const ui::TSelectObject select(memory.Get(), bitmap.Get());
        BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), onScreen.left, onScreen.top, SRCCOPY);
        GdiFlush();
        std::copy_n(static_cast<const uint32_t *>(bits), pixels.size(), pixels.begin());
    }
    return pixels;
}

}  // namespace drive
