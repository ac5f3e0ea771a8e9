// Renders the dialog for one image to a PNG, as a host shows it: loads the
// real PlgExif.dll, runs Execute, and while the dialog is up copies its
// rectangle from the screen (the window manager-free X server under wine
// gives nothing through PrintWindow).
// Usage: dialog_screenshot IMAGE OUT.png [WIDTH HEIGHT [styles|plain [FILTER]]]
// With "styles" the host asks for visual styles. With a FILTER the dialog
// is made wider and taller, as a user sizes it, and the text is typed in its
// filter box.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "ScreenPixels.h"
#include "plugin/PlgInt.h"

namespace {

std::string g_image;
std::string g_out;
bool g_written = false;
std::wstring g_filter;

BOOL CALLBACK FindChildOfClass(HWND wnd, LPARAM lp) {
    auto *want = reinterpret_cast<std::pair<const char *, HWND> *>(lp);
    char name[64] = {};
    GetClassNameA(wnd, name, sizeof name);
    if (std::string(name) != want->first) return TRUE;
    want->second = wnd;
    return FALSE;
}

HWND Descendant(HWND parent, const char *className) {
    std::pair<const char *, HWND> want{className, nullptr};
    EnumChildWindows(parent, FindChildOfClass, reinterpret_cast<LPARAM>(&want));
    return want.second;
}

// What a user does before the picture: the dialog sized larger, F3 in the
// grid, the text in the filter box.
void WidenAndFilter(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    SetWindowPos(wnd, nullptr, 0, 0, r.right - r.left + 240, r.bottom - r.top + 40, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(Descendant(wnd, "SysListView32"), WM_KEYDOWN, VK_F3, 1);
    // The filter box: the form's own edit box (the others are on pages).
    for (HWND c = GetWindow(wnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char name[16] = {};
        GetClassNameA(c, name, sizeof name);
        if (std::string(name) == "Edit") SetWindowTextW(c, g_filter.c_str());
    }
}

uint32_t Crc(const std::string &bytes) {
    static uint32_t table[256];
    if (!table[1])
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void Be32(std::string &out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out += static_cast<char>((v >> s) & 0xFF);
}

void Chunk(std::string &png, const char *type, const std::string &data) {
    Be32(png, static_cast<uint32_t>(data.size()));
    const std::string body = type + data;
    png += body;
    Be32(png, Crc(body));
}

// zlib stream of stored (uncompressed) deflate blocks.
std::string Zlib(const std::string &raw) {
    std::string z = "\x78\x01";
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    size_t at = 0;
    do {
        const size_t n = std::min<size_t>(raw.size() - at, 65535);
        z += static_cast<char>(at + n == raw.size() ? 1 : 0);
        z += static_cast<char>(n & 0xFF);
        z += static_cast<char>(n >> 8);
        z += static_cast<char>(~n & 0xFF);
        z += static_cast<char>((~n >> 8) & 0xFF);
        z.append(raw, at, n);
        at += n;
    } while (at < raw.size());
    Be32(z, (b << 16) | a);
    return z;
}

// An 8-bit palette image when it has at most 256 colours (a dialog of
// standard controls has a few dozen), else 24-bit RGB.
std::string Png(int width, int height, const std::vector<COLORREF> &pixels) {
    std::map<COLORREF, int> palette;
    for (COLORREF c : pixels) {
        if (palette.size() > 256) break;
        palette.emplace(c, 0);
    }
    const bool indexed = palette.size() <= 256;
    int next = 0;
    std::string plte;
    for (auto &[c, index] : palette) {
        index = next++;
        plte += static_cast<char>(GetRValue(c));
        plte += static_cast<char>(GetGValue(c));
        plte += static_cast<char>(GetBValue(c));
    }
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        for (int x = 0; x < width; ++x) {
            const COLORREF c = pixels[static_cast<size_t>(y * width + x)];
            if (indexed) {
                raw += static_cast<char>(palette[c]);
            } else {
                raw += static_cast<char>(GetRValue(c));
                raw += static_cast<char>(GetGValue(c));
                raw += static_cast<char>(GetBValue(c));
            }
        }
    }
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    Be32(header, static_cast<uint32_t>(width));
    Be32(header, static_cast<uint32_t>(height));
    header += std::string(1, 8) + std::string(1, indexed ? 3 : 2) + std::string(3, '\0');
    Chunk(png, "IHDR", header);
    if (indexed) Chunk(png, "PLTE", plte);
    Chunk(png, "IDAT", Zlib(raw));
    Chunk(png, "IEND", "");
    return png;
}

bool Capture(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    const std::vector<uint32_t> shown = drive::ScreenPixels(r);
    if (shown.empty()) return false;
    std::vector<COLORREF> pixels(shown.size());
    std::transform(shown.begin(), shown.end(), pixels.begin(),
                   [](uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); });
    std::ofstream(g_out, std::ios::binary) << Png(r.right - r.left, r.bottom - r.top, pixels);
    return true;
}

int32_t __stdcall ShowForm(TPluginForm *dialog, int32_t, int32_t, int32_t) {
    const HWND wnd = dialog ? dialog->Handle : nullptr;
    if (!wnd) return 0;
    const HWND owner = GetWindow(wnd, GW_OWNER);
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(wnd, SW_SHOW);
    if (!g_filter.empty()) WidenAndFilter(wnd);
    // Let every control paint, then take the picture and close.
    const DWORD start = GetTickCount();
    MSG msg;
    while (IsWindow(wnd) && IsWindowVisible(wnd)) {
        if (GetTickCount() - start > 1500) {
            g_written = Capture(wnd);
            PostMessageA(wnd, WM_CLOSE, 0, 0);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (owner) EnableWindow(owner, TRUE);
    return 0;
}

const char *__stdcall GiveFileName(char *, int32_t) {
    return g_image.c_str();
}
const char *__stdcall GiveDirectory(char *, int32_t) {
    return "";
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: dialog_screenshot IMAGE OUT.png [WIDTH HEIGHT [styles]]\n");
        return 2;
    }
    // A host gives Windows paths.
    g_image = argv[1];
    for (char &c : g_image)
        if (c == '/') c = '\\';
    g_out = argv[2];
    const HMODULE dll = LoadLibraryA("PlgExif.dll");
    if (!dll) return 1;
    auto execute = reinterpret_cast<int32_t(__stdcall *)()>(reinterpret_cast<void *>(GetProcAddress(dll, "Execute")));
    auto record = reinterpret_cast<TPluginStruct *(__stdcall *)()>(
        reinterpret_cast<void *>(GetProcAddress(dll, "RegisterPluginStruct")))();
    const HWND main = CreateWindowExA(0, "Static", "host", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
    record->HostWindow = main;
    record->ImageRect = RECT{0, 0, argc > 4 ? std::atoi(argv[3]) : 800, argc > 4 ? std::atoi(argv[4]) : 600};
    record->VisualStyles = argc > 5 && std::string(argv[5]) == "styles" ? 1 : 0;
    if (argc > 6) {
        const std::string filter = argv[6];
        g_filter.assign(filter.begin(), filter.end());  // ASCII
    }
    record->ShowFormProc = ShowForm;
    record->FileNameProc = GiveFileName;
    record->DirectoryProc = GiveDirectory;
    const int32_t result = execute();
    DestroyWindow(main);
    FreeLibrary(dll);
    return result == 1 && g_written ? 0 : 1;
}
