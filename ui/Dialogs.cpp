#include "ui/Dialogs.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "ui/Handles.h"
#include "ui/WideText.h"

namespace ui {

namespace {

constexpr const char *CreateErrorText = "Impossible de créer le fichier %s.";
constexpr const char *ErrorCaption = "Erreur";

std::string FormatText(const char *pattern, const std::string &argument) {
    std::string text = pattern;
    if (const size_t at = text.find("%s"); at != std::string::npos) text.replace(at, 2, argument);
    return text;
}

std::string DirectoryPart(const std::string &fileName) {
    const size_t at = fileName.find_last_of("\\/:");
    if (at == std::string::npos) return ".";
    if (fileName[at] == ':') return fileName.substr(0, at + 1) + ".";
    return at == 0 ? fileName.substr(0, 1) : fileName.substr(0, at);
}

}  // namespace

EFCreateError::EFCreateError(const std::string &fileName) : EUiError(FormatText(CreateErrorText, fileName)) {}

void ShowErrorBox(HWND owner, const std::string &text) {
    MessageBoxW(owner, Wide(text).c_str(), Wide(ErrorCaption).c_str(), MB_OK | MB_ICONERROR);
}

bool TSaveDialog::Execute(HWND owner) {
    std::wstring filter = Wide(Filter);
    for (wchar_t &c : filter)
        if (c == L'|') c = L'\0';
    filter.append(2, L'\0');
    const std::wstring initialDir = Wide(InitialDir), title = Wide(Title), defaultExt = Wide(DefaultExt);
    std::vector<wchar_t> file(32768, L'\0');
    Wide(FileName).copy(file.data(), file.size() - 1);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
    ofn.Flags = Options | OFN_EXPLORER;
    if (!GetSaveFileNameW(&ofn)) return false;
    FileName = Utf8(file.data());
    return true;
}

void SaveBytesToFile(const std::string &fileName, const std::string &bytes) {
    const std::wstring target = Wide(fileName);
    wchar_t temp[MAX_PATH + 16] = {};
    if (!GetTempFileNameW(Wide(DirectoryPart(fileName)).c_str(), L"exv", 0, temp)) throw EFCreateError(fileName);
    bool done = false;
    TScopeExit removeTemp([&] {
        if (!done) DeleteFileW(temp);
    });
    {
        const HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) throw EFCreateError(fileName);
        TScopeExit closeFile([file] { CloseHandle(file); });
        size_t at = 0;
        while (at < bytes.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1u << 20));
            DWORD written = 0;
            if (!WriteFile(file, bytes.data() + at, chunk, &written, nullptr) || written == 0)
                throw EFCreateError(fileName);
            at += written;
        }
        if (!FlushFileBuffers(file)) throw EFCreateError(fileName);
    }
    if (!MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw EFCreateError(fileName);
    done = true;
}

}  // namespace ui
