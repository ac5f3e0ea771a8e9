// plugin-host: a small reference host that drives the plug-in DLL the way a
// host image editor does.
//
//   plugin-host.exe [--dll PATH] [--lang CODE] [--size WxH] [--styles] [--run]
//                   [--close-after MS] [--screenshot FILE.bmp] IMAGE
//
// It loads the DLL, writes the language code, calls every registration export
// and prints what it got, fills the host record (its main window, the image
// rectangle, the visual-style switch, the three callbacks), shows a main
// window whose "Plug-ins" menu carries the plug-in's name and glyph, and calls
// Execute when that entry is chosen, or at once with --run (then it quits).
// --close-after closes the plug-in's dialog after MS milliseconds, as a user
// would; --screenshot saves the dialog's pixels just before.
//
// Output is ASCII: a carriage return prints as \r, bytes from 0x80 as \xNN.
// The exit status is 0 when every step worked (with --run: Execute gave 1).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "plugin/PlgInt.h"

namespace {

constexpr UINT IdExit = 100;
constexpr UINT IdPlugin = 200;
constexpr UINT_PTR CloseTimerId = 1;

using TIntExport = int32_t(__stdcall *)();
using TPointerExport = void *(__stdcall *)();

struct TOptions {
    std::string Dll;
    std::string Language;
    std::optional<std::pair<LONG, LONG>> Size;
    bool Styles = false;
    bool Run = false;
    UINT CloseAfter = 0;
    std::string Screenshot;
    std::string Image;
};

struct TLoadedPlugin {
    TIntExport Execute = nullptr;
    TPointerExport RegisterPluginGlyph = nullptr;
    TPointerExport RegisterPluginStruct = nullptr;
    TPointerExport RegisterPluginHeader = nullptr;
    TPointerExport RegisterPluginLanguage = nullptr;
    TIntExport RegisterCompatibility = nullptr;
};

struct TModuleDeleter {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using TModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, TModuleDeleter>;

struct TBitmapDeleter {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using TBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, TBitmapDeleter>;

// The host's state, reached from the callbacks (which get no context).
TOptions options;
TLoadedPlugin plugin;
HWND mainWindow = nullptr;
std::string imagePath;
std::string imageFolder;
HWND shownDialog = nullptr;

std::string Printable(const char *text) {
    std::string out;
    for (const char *p = text; *p != '\0'; ++p) {
        const auto byte = static_cast<unsigned char>(*p);
        char escaped[8];
        if (byte == '\r') {
            out += "\\r";
        } else if (byte == '\n') {
            out += "\\n";
        } else if (byte < 0x20 || byte >= 0x7F) {
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

// Width and height from the first frame header (SOF0-SOF15 but DHT, JPG and
// DAC) of a JPEG file; nothing for anything else.
std::optional<std::pair<LONG, LONG>> JpegFrameSize(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return std::nullopt;
    size_t pos = 2;
    while (pos + 4 <= bytes.size()) {
        if (bytes[pos] != 0xFF) return std::nullopt;
        const unsigned marker = bytes[pos + 1];
        if (marker == 0xFF) {  // fill byte
            ++pos;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
            pos += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // no frame before the scan
        const size_t length = static_cast<size_t>(bytes[pos + 2]) << 8 | bytes[pos + 3];
        if (length < 2 || pos + 2 + length > bytes.size()) return std::nullopt;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 7) return std::nullopt;
            const LONG height = bytes[pos + 5] << 8 | bytes[pos + 6];
            const LONG width = bytes[pos + 7] << 8 | bytes[pos + 8];
            return std::make_pair(width, height);
        }
        pos += 2 + length;
    }
    return std::nullopt;
}

// The file-name callback answers from the host's own storage...
const char *__stdcall HostFileName(char *buffer, int32_t capacity) {
    static_cast<void>(buffer);
    static_cast<void>(capacity);
    return imagePath.c_str();
}

// ...the directory callback fills the buffer it is lent: both ways are part
// of the contract.
const char *__stdcall HostDirectory(char *buffer, int32_t capacity) {
    if (buffer == nullptr || capacity <= 0) return nullptr;
    const size_t room = static_cast<size_t>(capacity);
    const size_t length = imageFolder.size() < room ? imageFolder.size() : room;
    std::memcpy(buffer, imageFolder.data(), length);
    buffer[length] = '\0';
    return buffer;
}

bool SaveWindowPixels(HWND window, const std::string &path) {
    RECT bounds{};
    if (!GetWindowRect(window, &bounds)) return false;
    const LONG width = bounds.right - bounds.left;
    const LONG height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const HDC screen = GetDC(nullptr);
    if (screen == nullptr) return false;
    void *bits = nullptr;
    const HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HDC memory = CreateCompatibleDC(screen);
    bool copied = false;
    if (section != nullptr && memory != nullptr) {
        const HGDIOBJ previous = SelectObject(memory, section);
        copied = BitBlt(memory, 0, 0, width, height, screen, bounds.left, bounds.top, SRCCOPY) != FALSE;
        GdiFlush();
        SelectObject(memory, previous);
    }
    bool saved = false;
    if (copied) {
        const DWORD rowSize = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
        const DWORD imageSize = rowSize * static_cast<DWORD>(height);
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info.bmiHeader;
        file.bfSize = file.bfOffBits + imageSize;
        info.bmiHeader.biSizeImage = imageSize;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char *>(&file), sizeof file);
        out.write(reinterpret_cast<const char *>(&info.bmiHeader), sizeof info.bmiHeader);
        out.write(static_cast<const char *>(bits), static_cast<std::streamsize>(imageSize));
        saved = static_cast<bool>(out);
    }
    if (memory != nullptr) DeleteDC(memory);
    if (section != nullptr) DeleteObject(section);
    ReleaseDC(nullptr, screen);
    return saved;
}

void CALLBACK CloseDialogLater(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (shownDialog == nullptr || !IsWindow(shownDialog)) return;
    if (!options.Screenshot.empty())
        std::printf("Screenshot: %s\n", SaveWindowPixels(shownDialog, options.Screenshot) ? "saved" : "failed");
    // What the title bar's close button sends.
    PostMessageA(shownDialog, WM_CLOSE, 0, 0);
}

// Shows the plug-in's dialog modally: the main window is disabled, messages
// are pumped until the dialog is hidden or destroyed, then the main window is
// enabled and active again. A WM_QUIT met on the way is passed on.
int32_t __stdcall HostShowForm(TPluginForm *dialog, int32_t mode, int32_t firstSwitch, int32_t secondSwitch) {
    std::printf("ShowFormProc: mode %d, switches %d %d\n", static_cast<int>(mode), static_cast<int>(firstSwitch),
                static_cast<int>(secondSwitch));
    std::fflush(stdout);
    if (dialog == nullptr || dialog->Handle == nullptr || !IsWindow(dialog->Handle)) return 0;
    const HWND window = dialog->Handle;
    shownDialog = window;
    UINT_PTR timer = 0;
    if (options.CloseAfter > 0) timer = SetTimer(nullptr, 0, options.CloseAfter, CloseDialogLater);
    if (mainWindow != nullptr) EnableWindow(mainWindow, FALSE);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    std::optional<WPARAM> quit;
    MSG message{};
    while (IsWindow(window) && IsWindowVisible(window)) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            quit = message.wParam;
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (timer != 0) KillTimer(nullptr, timer);
    shownDialog = nullptr;
    if (mainWindow != nullptr) {
        EnableWindow(mainWindow, TRUE);
        SetForegroundWindow(mainWindow);
    }
    if (quit) PostQuitMessage(static_cast<int>(*quit));
    std::printf("ShowFormProc: closed\n");
    std::fflush(stdout);
    return 0;
}

int executeResult = -1;

void RunPlugin() {
    const int32_t result = plugin.Execute();
    executeResult = result;
    std::printf("Execute: %d\n", static_cast<int>(result));
    std::fflush(stdout);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IdPlugin) {
                RunPlugin();
                if (options.Run) DestroyWindow(window);
                return 0;
            }
            if (LOWORD(wParam) == IdExit) {
                DestroyWindow(window);
                return 0;
            }
            break;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool ParseOptions(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--dll" && hasValue) {
            options.Dll = argv[++i];
        } else if (arg == "--lang" && hasValue) {
            options.Language = argv[++i];
        } else if (arg == "--size" && hasValue) {
            long width = 0, height = 0;
            char extra = 0;
            if (std::sscanf(argv[++i], "%ldx%ld%c", &width, &height, &extra) != 2) return false;
            options.Size = std::make_pair(static_cast<LONG>(width), static_cast<LONG>(height));
        } else if (arg == "--styles") {
            options.Styles = true;
        } else if (arg == "--run") {
            options.Run = true;
        } else if (arg == "--close-after" && hasValue) {
            options.CloseAfter = static_cast<UINT>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--screenshot" && hasValue) {
            options.Screenshot = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && options.Image.empty()) {
            options.Image = arg;
        } else {
            return false;
        }
    }
    return true;
}

std::string DefaultDllPath() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string own(path, length);
    const size_t slash = own.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : own.substr(0, slash + 1)) + "PlgExif.dll";
}

template <typename T>
bool Resolve(HMODULE module, const char *name, T &target) {
    target = reinterpret_cast<T>(reinterpret_cast<void *>(GetProcAddress(module, name)));
    if (target == nullptr) std::printf("Missing export: %s\n", name);
    return target != nullptr;
}

int HostMain(int argc, char **argv) {
    if (!ParseOptions(argc, argv)) {
        std::printf(
            "usage: plugin-host [--dll PATH] [--lang CODE] [--size WxH] [--styles] [--run]\n"
            "                   [--close-after MS] [--screenshot FILE.bmp] [IMAGE]\n");
        return 2;
    }
    if (!options.Image.empty()) {
        char full[MAX_PATH] = {};
        const DWORD length = GetFullPathNameA(options.Image.c_str(), MAX_PATH, full, nullptr);
        imagePath = length > 0 && length < MAX_PATH ? std::string(full, length) : options.Image;
        const size_t slash = imagePath.find_last_of("\\/");
        imageFolder = slash == std::string::npos ? std::string() : imagePath.substr(0, slash);
    }

    const std::string dllPath = options.Dll.empty() ? DefaultDllPath() : options.Dll;
    const TModule module(LoadLibraryA(dllPath.c_str()));
    if (!module) {
        std::printf("Cannot load %s (error %lu)\n", dllPath.c_str(), GetLastError());
        return 1;
    }
    HMODULE dll = module.get();
    if (!Resolve(dll, "Execute", plugin.Execute) || !Resolve(dll, "RegisterPluginGlyph", plugin.RegisterPluginGlyph) ||
        !Resolve(dll, "RegisterPluginStruct", plugin.RegisterPluginStruct) ||
        !Resolve(dll, "RegisterPluginHeader", plugin.RegisterPluginHeader) ||
        !Resolve(dll, "RegisterPluginLanguage", plugin.RegisterPluginLanguage) ||
        !Resolve(dll, "RegisterCompatibility", plugin.RegisterCompatibility))
        return 1;

    std::printf("Compatibility: %d\n", static_cast<int>(plugin.RegisterCompatibility()));
    auto *language = static_cast<char *>(plugin.RegisterPluginLanguage());
    if (!options.Language.empty()) {
        const size_t length =
            options.Language.size() < LanguageBufferSize - 1 ? options.Language.size() : LanguageBufferSize - 1;
        std::memcpy(language, options.Language.data(), length);
        language[length] = '\0';
    }
    auto *record = static_cast<TPluginStruct *>(plugin.RegisterPluginStruct());
    const auto *header = static_cast<const TPluginHeader *>(plugin.RegisterPluginHeader());
    std::printf("Name: %s\n", Printable(header->Name).c_str());
    std::printf("Version: %s\n", Printable(header->Version).c_str());
    std::printf("Kind: %d\n", static_cast<int>(header->Kind));
    std::printf("Copyright: %s\n", Printable(header->Copyright).c_str());
    std::printf("Description: %s\n", Printable(header->Description).c_str());
    std::printf("Flags: %lu\n", static_cast<unsigned long>(header->Flags));
    const TBitmap glyph(static_cast<HBITMAP>(plugin.RegisterPluginGlyph()));
    BITMAP glyphInfo{};
    if (glyph && GetObjectA(glyph.get(), sizeof glyphInfo, &glyphInfo) == sizeof glyphInfo)
        std::printf("Glyph: %ldx%ld\n", glyphInfo.bmWidth, glyphInfo.bmHeight);
    else
        std::printf("Glyph: none\n");
    std::fflush(stdout);

    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    windowClass.lpszClassName = "ExifViewPluginHost";
    if (RegisterClassA(&windowClass) == 0) return 1;

    const HMENU menuBar = CreateMenu();
    const HMENU fileMenu = CreatePopupMenu();
    const HMENU pluginMenu = CreatePopupMenu();
    AppendMenuA(fileMenu, MF_STRING, IdExit, "E&xit");
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP;
    item.wID = IdPlugin;
    item.dwTypeData = const_cast<char *>(header->Name);
    item.hbmpItem = glyph.get();
    InsertMenuItemA(pluginMenu, 0, TRUE, &item);
    AppendMenuA(menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(fileMenu), "&File");
    AppendMenuA(menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(pluginMenu), "&Plug-ins");

    const std::string title = "plugin-host - " + (imagePath.empty() ? std::string("(no image)") : imagePath);
    mainWindow = CreateWindowExA(0, windowClass.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 800, 600,
                                 nullptr, menuBar, instance, nullptr);
    if (mainWindow == nullptr) return 1;

    // The host record, filled before Execute.
    record->HostWindow = mainWindow;
    const auto size = options.Size ? options.Size : JpegFrameSize(imagePath);
    record->ImageRect = RECT{0, 0, size ? size->first : 0, size ? size->second : 0};
    record->VisualStyles = options.Styles ? 1 : 0;
    record->ShowFormProc = HostShowForm;
    record->FileNameProc = HostFileName;
    record->DirectoryProc = HostDirectory;
    std::printf("ImageRect: %ld %ld %ld %ld\n", record->ImageRect.left, record->ImageRect.top, record->ImageRect.right,
                record->ImageRect.bottom);
    std::fflush(stdout);

    ShowWindow(mainWindow, SW_SHOW);
    UpdateWindow(mainWindow);
    if (options.Run) PostMessageA(mainWindow, WM_COMMAND, IdPlugin, 0);

    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    mainWindow = nullptr;
    if (options.Run) return executeResult == 1 ? 0 : 1;
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    try {
        return HostMain(argc, argv);
    } catch (...) {
        std::printf("plugin-host: unexpected failure\n");
        return 1;
    }
}
