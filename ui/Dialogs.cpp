#include "ui/Dialogs.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "ui/Handles.h"

namespace ui {

namespace {

// The layer's French texts, as Windows-1252 bytes ("\xE9" is "é").
constexpr const char *CreateErrorText =
    "Impossible de cr\xE9"
    "er le fichier %s.";
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
    MessageBoxA(owner, text.c_str(), ErrorCaption, MB_OK | MB_ICONERROR);
}

bool TSaveDialog::Execute(HWND owner) {
    std::string filter = Filter;
    for (char &c : filter)
        if (c == '|') c = '\0';
    filter.append(2, '\0');
    std::vector<char> file(32768, '\0');
    FileName.copy(file.data(), file.size() - 1);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    ofn.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
    ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
    ofn.Flags = Options | OFN_EXPLORER;
    if (!GetSaveFileNameA(&ofn)) return false;
    FileName = file.data();
    return true;
}

void SaveBytesToFile(const std::string &fileName, const std::string &bytes) {
    char temp[MAX_PATH + 16] = {};
    if (!GetTempFileNameA(DirectoryPart(fileName).c_str(), "exv", 0, temp)) throw EFCreateError(fileName);
    bool done = false;
    TScopeExit removeTemp([&] {
        if (!done) DeleteFileA(temp);
    });
    {
        const HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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
    if (!MoveFileExA(temp, fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw EFCreateError(fileName);
    done = true;
}

}  // namespace ui
