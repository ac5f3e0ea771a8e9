#include "ui/Dialogs.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "ui/Application.h"
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

namespace ui {

bool CopyTextToClipboard(HWND owner, const std::string &text) {
    const std::wstring wide = Wide(text);
    const TClipboardScope clipboard(owner);
    if (!clipboard.IsOpen() || !EmptyClipboard()) return false;
    TGlobalMemory memory(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    if (!memory.Get()) return false;
    auto *units = static_cast<wchar_t *>(GlobalLock(memory.Get()));
    if (!units) return false;
    units[wide.copy(units, wide.size())] = L'\0';
    GlobalUnlock(memory.Get());
    if (!SetClipboardData(CF_UNICODETEXT, memory.Get())) return false;
    memory.Release();  // the clipboard's now
    return true;
}

UINT ChooseFromMenu(HWND owner, POINT at, const std::vector<TMenuItem> &items) {
    const TMenuHandle menu;
    if (!menu.Get()) return 0;
    for (const TMenuItem &item : items) AppendMenuW(menu.Get(), MF_STRING, item.Id, Wide(item.Caption).c_str());
    return static_cast<UINT>(
        TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
}

namespace {

constexpr WORD TextBoxEditId = 100;
constexpr size_t LongLine = 1024;  // a longer line is not wrapped (see TMemo)

// A dialog template in memory: DLGTEMPLATE, its menu, class, title and font,
// then one DLGITEMTEMPLATE per control, each on a DWORD boundary.
class TDialogTemplate {
public:
    TDialogTemplate(DWORD style, short cx, short cy, const wchar_t *font, WORD points) {
        Dword(style | DS_SETFONT);
        Dword(0);
        countAt_ = words_.size();
        Word(0);
        for (short v : {short(0), short(0), cx, cy}) Word(static_cast<WORD>(v));
        Word(0);  // no menu
        Word(0);  // the standard dialog class
        Text(L"");
        Word(points);
        Text(font);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom, const wchar_t *text) {
        if (words_.size() % 2) Word(0);
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        for (short v : {x, y, cx, cy}) Word(static_cast<WORD>(v));
        Word(id);
        Word(0xFFFF);
        Word(classAtom);
        Text(text);
        Word(0);  // no creation data
        ++words_[countAt_];
    }
    const DLGTEMPLATE *Get() const { return reinterpret_cast<const DLGTEMPLATE *>(words_.data()); }

private:
    void Word(WORD w) { words_.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(const wchar_t *text) {
        for (; *text; ++text) Word(static_cast<WORD>(*text));
        Word(0);
    }
    std::vector<WORD> words_;
    size_t countAt_ = 0;
};

struct TTextBoxData {
    std::wstring Caption, Text;
};

INT_PTR CALLBACK TextBoxProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: {
            const auto *data = reinterpret_cast<const TTextBoxData *>(lp);
            SetWindowTextW(dlg, data->Caption.c_str());
            SetDlgItemTextW(dlg, TextBoxEditId, data->Text.c_str());
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
                EndDialog(dlg, LOWORD(wp));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

// Line breaks as an edit box shows them: CR LF.
std::wstring WithCrLf(const std::wstring &text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
        out += text[i];
    }
    return out;
}

bool HasLongLine(const std::wstring &text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        if (end - start > LongLine) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

void ShowTextBox(HWND owner, const std::string &caption, const std::string &text) {
    const TTextBoxData data{Wide(caption), WithCrLf(Wide(text))};
    // The edit box wraps words, except a text with a very long line: the
    // platform's box wraps such a line in a time that grows with its square.
    const DWORD wrap = HasLongLine(data.Text) ? ES_AUTOHSCROLL | WS_HSCROLL : 0;
    TDialogTemplate box(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 280, 150, L"MS Shell Dlg", 8);
    box.Item(WS_BORDER | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | wrap, 7, 7, 266, 116,
             TextBoxEditId, 0x0081, L"");
    box.Item(WS_TABSTOP | BS_DEFPUSHBUTTON, 223, 129, 50, 14, IDOK, 0x0080, L"Ok");
    const TActivationScope scope(Application.ActivationContext());
    DialogBoxIndirectParamW(TApplication::Instance(), box.Get(), owner, TextBoxProc, reinterpret_cast<LPARAM>(&data));
}

namespace {

constexpr const wchar_t *SettingsKey = L"Software\\ExifView";

}  // namespace

int ReadUserSetting(const char *name, int fallback) {
    TRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS)
        return fallback;
    DWORD value = 0, type = 0, size = sizeof value;
    if (RegQueryValueExW(key.Get(), Wide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE *>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return fallback;
    return static_cast<int>(value);
}

void WriteUserSetting(const char *name, int value) {
    TRegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Receive(),
                        nullptr) != ERROR_SUCCESS)
        return;
    const auto data = static_cast<DWORD>(value);
    RegSetValueExW(key.Get(), Wide(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&data), sizeof data);
}

void DeleteUserSetting(const char *name) {
    TRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_SET_VALUE, key.Receive()) != ERROR_SUCCESS) return;
    RegDeleteValueW(key.Get(), Wide(name).c_str());
}

}  // namespace ui
