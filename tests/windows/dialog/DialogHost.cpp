#include "DialogHost.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace {

TDialogHost *g_host = nullptr;

constexpr UINT ManagerFreedMessage = 48306;

LRESULT CALLBACK MainProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == ManagerFreedMessage && g_host) {
        if (g_host->ManagerFreedMessages++ == 0)
            g_host->LibraryProcsAtManagerFreed = g_host->WindowsWithLibraryProc(g_host->DialogWindow);
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

BOOL CALLBACK CollectWindow(HWND wnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND> *>(lp)->push_back(wnd);
    return TRUE;
}

// The procedure's own address, read in the window's character set (read in
// the other, it is a handle that stands for it).
LONG_PTR WindowProcOf(HWND wnd) {
    return IsWindowUnicode(wnd) ? GetWindowLongPtrW(wnd, GWLP_WNDPROC) : GetWindowLongPtrA(wnd, GWLP_WNDPROC);
}

LONG_PTR ClassProcOf(HWND wnd) {
    return IsWindowUnicode(wnd) ? GetClassLongPtrW(wnd, GCLP_WNDPROC) : GetClassLongPtrA(wnd, GCLP_WNDPROC);
}

// Dispatches messages until `until` holds or the time runs out.
bool Pump(const std::function<bool()> &until, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!until()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

}  // namespace

TDialogHost::TDialogHost() {
    dll_ = LoadLibraryA("PlgExif.dll");
    if (!dll_) throw std::runtime_error("PlgExif.dll not found");
    execute_ = reinterpret_cast<int32_t(__stdcall *)()>(reinterpret_cast<void *>(GetProcAddress(dll_, "Execute")));
    auto registerStruct = reinterpret_cast<TPluginStruct *(__stdcall *)()>(
        reinterpret_cast<void *>(GetProcAddress(dll_, "RegisterPluginStruct")));
    if (!execute_ || !registerStruct) throw std::runtime_error("exports missing");
    record_ = registerStruct();

    WNDCLASSA wc{};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "DialogTestHost";
    RegisterClassA(&wc);
    main_ = CreateWindowExA(0, "DialogTestHost", "Test host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                            wc.hInstance, nullptr);
    g_host = this;
}

TDialogHost::~TDialogHost() {
    g_host = nullptr;
    if (main_) DestroyWindow(main_);
    if (dll_) FreeLibrary(dll_);
}

std::vector<HWND> TDialogHost::WindowsWithLibraryProc(HWND dialog) const {
    std::vector<HWND> all, held;
    if (!dialog || !IsWindow(dialog)) return held;
    all.push_back(dialog);
    EnumChildWindows(dialog, CollectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND wnd : all) {
        const LONG_PTR proc = WindowProcOf(wnd);
        HMODULE module = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(proc), &module);
        if (module == dll_ && proc != ClassProcOf(wnd)) held.push_back(wnd);
    }
    return held;
}

bool TDialogHost::MainWindowHasItsOwnProc() const {
    return GetWindowLongPtrA(main_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(MainProc);
}

void TDialogHost::Unload() {
    if (dll_) FreeLibrary(dll_);
    dll_ = nullptr;
}

int32_t TDialogHost::Run(std::function<void(HWND)> driver) {
    driver_ = std::move(driver);
    ShowCalls = 0;
    DialogWindow = nullptr;
    ManagerFreedMessages = 0;
    LibraryProcsAtManagerFreed.clear();
    TimedOut = false;
    *record_ = TPluginStruct{};
    record_->HostWindow = main_;
    record_->ImageRect = ImageRect;
    record_->VisualStyles = VisualStyles;
    record_->ShowFormProc = LeaveShowProcZero ? nullptr : ShowForm;
    record_->FileNameProc = LeaveFileNameProcZero ? nullptr : GiveFileName;
    record_->DirectoryProc = GiveDirectory;
    return execute_();
}

int32_t __stdcall TDialogHost::ShowForm(TPluginForm *dialog, int32_t mode, int32_t first, int32_t second) {
    TDialogHost &host = *g_host;
    ++host.ShowCalls;
    host.Mode = mode;
    host.FirstSwitch = first;
    host.SecondSwitch = second;
    // The host knows nothing of the object but its first four bytes.
    const HWND wnd = dialog ? *reinterpret_cast<HWND *>(dialog) : nullptr;
    host.DialogWindow = wnd;
    if (!wnd || !IsWindow(wnd)) return 0;
    const HWND owner = GetWindow(wnd, GW_OWNER);
    host.OwnerAtShow = owner;
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(wnd, SW_SHOW);

    std::atomic<bool> driverDone{false};
    std::thread thread([&] {
        try {
            if (host.driver_) host.driver_(wnd);
        } catch (...) {
        }
        driverDone = true;
    });
    // The contract: dispatch until the dialog is hidden or destroyed.
    if (!Pump([&] { return !IsWindow(wnd) || !IsWindowVisible(wnd); }, 30000)) {
        host.TimedOut = true;
        ShowWindow(wnd, SW_HIDE);
    }
    // Test scaffolding only: a driver may still be waiting on this thread.
    Pump([&] { return driverDone.load(); }, 30000);
    thread.join();
    if (owner) {
        EnableWindow(owner, TRUE);
        host.OwnerWasEnabledAfter = IsWindowEnabled(owner) != FALSE;
    }
    return 0;
}

const char *__stdcall TDialogHost::GiveFileName(char *buffer, int32_t capacity) {
    ++g_host->FileNameCalls;
    lstrcpynA(buffer, g_host->FileName.c_str(), capacity + 1);
    return buffer;
}

const char *__stdcall TDialogHost::GiveDirectory(char *, int32_t) {
    ++g_host->DirectoryCalls;
    return g_host->Directory.c_str();
}

namespace drive {

std::wstring Wide(const std::string &utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(n, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

std::string Utf8(const std::wstring &wide) {
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(std::max(n, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr, nullptr);
    return utf8;
}

std::string ClassOf(HWND wnd) {
    wchar_t name[256] = {};
    GetClassNameW(wnd, name, 256);
    return Utf8(name);
}

std::string TextOf(HWND wnd) {
    const LRESULT n = SendMessageW(wnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const LRESULT got =
        SendMessageW(wnd, WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got));
    return Utf8(text);
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> list;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) list.push_back(c);
    return list;
}

HWND Child(HWND parent, const std::string &className, const char *text) {
    for (HWND c : Children(parent))
        if (ClassOf(c) == className && (!text || TextOf(c) == text)) return c;
    return nullptr;
}

RECT BoundsInParent(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    MapWindowPoints(nullptr, GetParent(wnd), reinterpret_cast<POINT *>(&r), 2);
    return r;
}

RECT ClientRect(HWND wnd) {
    RECT r{};
    GetClientRect(wnd, &r);
    return r;
}

int RowCount(HWND grid) {
    return static_cast<int>(SendMessageA(grid, LVM_GETITEMCOUNT, 0, 0));
}

std::string Cell(HWND grid, int row, int col) {
    std::wstring text(4096, L'\0');
    LVITEMW item{};
    item.iSubItem = col;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const LRESULT n = SendMessageW(grid, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    text.resize(static_cast<size_t>(n));
    return Utf8(text);
}

std::string Shown(const std::string &text) {
    std::wstring wide = Wide(text);
    for (wchar_t &c : wide)
        if (c < L' ') c = L'.';
    return Utf8(wide);
}

std::vector<std::pair<std::string, std::string>> Rows(HWND grid) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (int r = 0; r < RowCount(grid); ++r) rows.emplace_back(Cell(grid, r, 0), Cell(grid, r, 1));
    return rows;
}

void SelectRow(HWND grid, int row) {
    LVITEMW clear{};
    clear.stateMask = LVIS_SELECTED;
    SendMessageW(grid, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(grid, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

RECT RowOnScreen(HWND grid, int row) {
    RECT r{};
    r.left = LVIR_BOUNDS;
    SendMessageA(grid, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    MapWindowPoints(grid, nullptr, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

bool WaitFor(const std::function<bool()> &done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return done();
        Sleep(20);
    }
    return true;
}

namespace {
struct FindData {
    HWND owner;
    std::string className;
    HWND found;
};
BOOL CALLBACK FindOwnedProc(HWND wnd, LPARAM lp) {
    auto *d = reinterpret_cast<FindData *>(lp);
    if (IsWindowVisible(wnd) && GetWindow(wnd, GW_OWNER) == d->owner && ClassOf(wnd) == d->className) {
        d->found = wnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND FindOwned(HWND owner, const std::string &className, DWORD timeoutMs) {
    FindData data{owner, className, nullptr};
    const DWORD thread = GetWindowThreadProcessId(owner, nullptr);
    WaitFor(
        [&] {
            EnumThreadWindows(thread, FindOwnedProc, reinterpret_cast<LPARAM>(&data));
            return data.found != nullptr;
        },
        timeoutMs);
    return data.found;
}

COLORREF ScreenPixel(int x, int y) {
    const HDC dc = GetDC(nullptr);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(nullptr, dc);
    return c;
}

}  // namespace drive
