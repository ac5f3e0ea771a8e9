#include "plugin/PlgInt.h"

#include <cstring>
#include <utility>

#include "ui/WideText.h"

namespace {

// Static storage: the host keeps these addresses for the library's lifetime.
TLanguageBuffer languageBuffer;
TPluginHeader pluginHeader;
TPluginStruct pluginStruct;
HINSTANCE pluginModule = nullptr;

// Size of the buffer lent to the text callbacks and the capacity announced
// with it (one byte stays for the NUL).
constexpr size_t CallbackBufferSize = 256;
constexpr int32_t CallbackCapacity = 255;

template <size_t N>
void CopyField(char (&field)[N], std::string_view text) {
    static_assert(N >= 1);
    size_t length = text.find('\0');
    if (length == std::string_view::npos) length = text.size();
    if (length > N - 1) length = N - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

std::string CallTextCallback(const char *(__stdcall *callback)(char *, int32_t), const char *name) {
    if (callback == nullptr) throw EHostContract(std::string("host callback missing: ") + name);
    char buffer[CallbackBufferSize] = {};
    const char *text = callback(buffer, CallbackCapacity);
    if (text == nullptr) return {};
    // Text left in the lent buffer cannot run past its end, even when the host
    // filled all of it without a terminating NUL.
    const auto address = reinterpret_cast<uintptr_t>(text);
    const auto first = reinterpret_cast<uintptr_t>(buffer);
    if (address >= first && address < first + CallbackBufferSize) {
        const size_t room = first + CallbackBufferSize - address;
        const size_t limit =
            room < static_cast<size_t>(CallbackCapacity) ? room : static_cast<size_t>(CallbackCapacity);
        return std::string(text, strnlen(text, limit));
    }
    return std::string(text);
}

// A path as the host gives it, in the ANSI code page, as UTF-8: through
// UTF-16, where an 8.3 name is lengthened (a name that does not exist, or
// cannot be lengthened, stays as it came).
std::string HostPathUtf8(const std::string &ansi) {
    if (ansi.empty()) return {};
    const int n = static_cast<int>(ansi.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), n, nullptr, 0);
    if (size <= 0) return {};
    std::wstring path(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), n, path.data(), size);
    if (const DWORD need = GetLongPathNameW(path.c_str(), nullptr, 0); need > 0) {
        std::wstring longPath(need, L'\0');
        const DWORD got = GetLongPathNameW(path.c_str(), longPath.data(), need);
        if (got > 0 && got < need) {
            longPath.resize(got);
            path = std::move(longPath);
        }
    }
    return ui::Utf8(path);
}

}  // namespace

TLanguageBuffer &LanguageBuffer() {
    return languageBuffer;
}
TPluginHeader &PluginHeader() {
    return pluginHeader;
}
TPluginStruct &PluginStruct() {
    return pluginStruct;
}

void InitializePlgInt(HINSTANCE module) {
    pluginModule = module;
    std::memset(&languageBuffer, 0, sizeof languageBuffer);
    std::memset(&pluginHeader, 0, sizeof pluginHeader);
    std::memset(&pluginStruct, 0, sizeof pluginStruct);
}

HINSTANCE PluginModule() {
    return pluginModule;
}

std::string GetLanguageCode() {
    return std::string(languageBuffer.data(), 2);
}

bool IsFrenchLanguage() {
    return GetLanguageCode() == std::string_view("FR", 2);
}

void SetPluginName(std::string_view text) {
    CopyField(pluginHeader.Name, text);
}
void SetPluginVersion(std::string_view text) {
    CopyField(pluginHeader.Version, text);
}
void SetPluginCopyright(std::string_view text) {
    CopyField(pluginHeader.Copyright, text);
}
void SetPluginDescription(std::string_view text) {
    CopyField(pluginHeader.Description, text);
}

void SetPluginKind(TPluginKind kind) {
    pluginHeader.Kind = PluginKindCodes.at(static_cast<size_t>(kind));
}

void SetPluginFlags(TPluginFlags set) {
    pluginHeader.Flags |= TranslatePluginFlags(set);
}

HWND GetHostWindow() {
    return pluginStruct.HostWindow;
}

int32_t GetImageWidth() {
    // Wrapping arithmetic: the host's rectangle is taken as it is.
    return static_cast<int32_t>(static_cast<uint32_t>(pluginStruct.ImageRect.right) -
                                static_cast<uint32_t>(pluginStruct.ImageRect.left));
}

int32_t GetImageHeight() {
    return static_cast<int32_t>(static_cast<uint32_t>(pluginStruct.ImageRect.bottom) -
                                static_cast<uint32_t>(pluginStruct.ImageRect.top));
}

bool UseVisualStyles() {
    return pluginStruct.VisualStyles != 0;
}

void ShowFormModal(TPluginForm *dialog, TShowMode mode, bool firstSwitch, bool secondSwitch) {
    const TShowFormProc show = pluginStruct.ShowFormProc;
    if (show == nullptr) throw EHostContract("host callback missing: ShowFormProc");
    if (dialog == nullptr) throw EHostContract("no dialog to show");
    const int32_t code = ShowModeCodes.at(static_cast<size_t>(mode));
    static_cast<void>(show(dialog, code, firstSwitch ? HostTrue : HostFalse, secondSwitch ? HostTrue : HostFalse));
}

std::string GetImageFileName() {
    return HostPathUtf8(CallTextCallback(pluginStruct.FileNameProc, "FileNameProc"));
}

std::string GetInitialDirectory() {
    return HostPathUtf8(CallTextCallback(pluginStruct.DirectoryProc, "DirectoryProc"));
}
