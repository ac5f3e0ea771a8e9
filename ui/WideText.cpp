#include "ui/WideText.h"

#include <windows.h>

#include <limits>

namespace ui {

namespace {

int Length(size_t n) {
    // A text longer than an int can count is cut: no window holds that much.
    return n > static_cast<size_t>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                    : static_cast<int>(n);
}

}  // namespace

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = Length(utf8.size());
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, nullptr, 0);
    if (size <= 0) return {};
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, wide.data(), size);
    return wide;
}

std::string Utf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int n = Length(wide.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

}  // namespace ui
