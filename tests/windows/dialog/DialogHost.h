// A host for the tests: loads the real plug-in DLL, fills its host record as
// an image editor does, and runs Execute. Its ShowFormProc follows the host
// contract (disable the owner, show the window found at offset 0 of the
// dialog object, dispatch messages until the window is hidden or destroyed,
// re-enable the owner) and meanwhile runs a test's driver on a second thread,
// which inspects and operates the dialog through window messages only.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "plugin/PlgInt.h"

class TDialogHost {
public:
    TDialogHost();
    ~TDialogHost();
    TDialogHost(const TDialogHost &) = delete;
    TDialogHost &operator=(const TDialogHost &) = delete;

    // What the host answers.
    std::string FileName;
    std::string Directory;
    RECT ImageRect{0, 0, 800, 600};
    int32_t VisualStyles = 0;
    bool LeaveShowProcZero = false;
    bool LeaveFileNameProcZero = false;

    // Runs Execute; `driver` runs on its own thread while the dialog shows.
    int32_t Run(std::function<void(HWND dialog)> driver);

    // What the last run showed.
    int ShowCalls = 0;
    int32_t Mode = -99, FirstSwitch = 0, SecondSwitch = 0;
    HWND DialogWindow = nullptr;
    HWND OwnerAtShow = nullptr;
    bool OwnerWasEnabledAfter = false;
    bool TimedOut = false;
    int FileNameCalls = 0;
    int DirectoryCalls = 0;

    // Message 48306 as the host's main window received it, and the dialog's
    // windows that still ran a procedure of the library (other than their
    // class's own) at the first of them.
    int ManagerFreedMessages = 0;
    std::vector<HWND> LibraryProcsAtManagerFreed;
    // The windows of the dialog whose procedure lies in the library and is
    // not their class's own: those a visual-style manager holds.
    std::vector<HWND> WindowsWithLibraryProc(HWND dialog) const;
    // Frees the library while the main window stays.
    void Unload();
    // Whether the main window's procedure is the host's own, unsubclassed.
    bool MainWindowHasItsOwnProc() const;

    HWND MainWindow() const { return main_; }
    DWORD UiThread() const { return GetCurrentThreadId(); }
    HMODULE Module() const { return dll_; }

private:
    static int32_t __stdcall ShowForm(TPluginForm *dialog, int32_t mode, int32_t first, int32_t second);
    static const char *__stdcall GiveFileName(char *buffer, int32_t capacity);
    static const char *__stdcall GiveDirectory(char *buffer, int32_t capacity);

    HMODULE dll_ = nullptr;
    HWND main_ = nullptr;
    TPluginStruct *record_ = nullptr;
    int32_t(__stdcall *execute_)() = nullptr;
    std::function<void(HWND)> driver_;
};

// Helpers for drivers (any thread). The dialog's windows are Unicode ones:
// texts are read through the W messages and given as UTF-8.
namespace drive {

std::wstring Wide(const std::string &utf8);
std::string Utf8(const std::wstring &wide);

std::string ClassOf(HWND wnd);
std::string TextOf(HWND wnd);
// The direct children of `parent`, in z-order (the order of tab stops).
std::vector<HWND> Children(HWND parent);
// The first direct child of the class (and text, when given).
HWND Child(HWND parent, const std::string &className, const char *text = nullptr);
// Window rectangle relative to the parent's client area.
RECT BoundsInParent(HWND wnd);
RECT ClientRect(HWND wnd);

int RowCount(HWND grid);
// The cell's text as the list view gives it (LVM_GETITEMTEXTW).
std::string Cell(HWND grid, int row, int col);
// What a grid shows for a text of the view model: each control character
// as ".".
std::string Shown(const std::string &text);
// The grid's rows as name=value pairs.
std::vector<std::pair<std::string, std::string>> Rows(HWND grid);
void SelectRow(HWND grid, int row);
// Screen rectangle of a grid row.
RECT RowOnScreen(HWND grid, int row);

// Polls until `done` holds or the time runs out; returns the last result.
bool WaitFor(const std::function<bool()> &done, DWORD timeoutMs = 5000);
// A visible top-level window of the UI thread of `relative` with the class,
// owned by `owner`.
HWND FindOwned(HWND owner, const std::string &className, DWORD timeoutMs = 5000);
// Screen pixel (COLORREF).
COLORREF ScreenPixel(int x, int y);

}  // namespace drive
