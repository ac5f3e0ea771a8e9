// The standard dialogs and messages of the user-interface layer, and its
// errors. The layer's own texts are French. Every text here is UTF-8, file
// names included; the system is called with their UTF-16.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace ui {

// A failure of the user-interface layer whose text is meant for the user:
// a window procedure that catches it shows it in an error box.
class EUiError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that cannot be created or written.
class EFCreateError : public EUiError {
public:
    explicit EFCreateError(const std::string &fileName);
};

// A message box with the error icon and a single OK button.
void ShowErrorBox(HWND owner, const std::string &text);

// The file-save dialog of the platform.
class TSaveDialog {
public:
    std::string DefaultExt;  // without the dot
    // Pairs of description and pattern separated by "|": "Text (*.txt)|*.txt".
    std::string Filter;
    std::string InitialDir;
    std::string FileName;  // proposed name in, chosen path out
    std::string Title;     // empty: the platform's own title
    DWORD Options = OFN_HIDEREADONLY | OFN_ENABLESIZING;

    // Shows the dialog owned by `owner`; false when the user cancels.
    bool Execute(HWND owner);
};

// Replaces the whole contents of `fileName` with `bytes`. The bytes go into a
// new file beside it first, which then takes the file's place, so that a
// failure part-way leaves any earlier file as it was. Throws EFCreateError.
void SaveBytesToFile(const std::string &fileName, const std::string &bytes);

// Puts a text on the clipboard as UTF-16 (CF_UNICODETEXT); false when the
// clipboard is held by another program.
bool CopyTextToClipboard(HWND owner, const std::string &text);

// A popup menu at a screen point; the chosen item's id, 0 when none is
// chosen. Items are (id, caption) pairs; "&" marks an item's access key.
struct TMenuItem {
    UINT Id;
    std::string Caption;
};
UINT ChooseFromMenu(HWND owner, POINT at, const std::vector<TMenuItem> &items);

// A small modal box with `caption` as its title and `text` whole in a
// read-only, multi-line, scrolling edit box (selectable, copyable), closed
// by Escape, Enter or its button.
void ShowTextBox(HWND owner, const std::string &caption, const std::string &text);

// A setting of the current user, a number under HKCU\Software\ExifView;
// `fallback` when it is not there.
int ReadUserSetting(const char *name, int fallback);
void WriteUserSetting(const char *name, int value);
void DeleteUserSetting(const char *name);

}  // namespace ui
