#include "themes/ThemeSrv.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwchar>
#include <utility>
#include <vector>

#include "ui/Application.h"
#include "ui/Handles.h"

// ---------------------------------------------------------------- element details

TThemedElementDetails ElementDetails(TThemedElement element, std::span<const tmschema::TPartRange> parts, int value) {
    TThemedElementDetails details{element, 0, 0};
    for (const tmschema::TPartRange &range : parts) {
        if (value < range.FirstValue) break;
        details.Part = range.Part;
        details.State = value - range.FirstValue + 1;
    }
    return details;
}

// ---------------------------------------------------------------- the platform

namespace {

// clang-format off
constexpr const wchar_t *ElementClassNames[ThemedElementCount] = {
    L"button",
    L"clock",
    L"combobox",
    L"edit",
    L"explorerbar",
    L"header",
    L"listview",
    L"menu",
    L"page",
    L"progress",
    L"rebar",
    L"scrollbar",
    L"spin",
    L"startpanel",
    L"status",
    L"tab",
    L"taskband",
    L"taskbar",
    L"toolbar",
    L"tooltip",
    L"trackbar",
    L"traynotify",
    L"treeview",
    L"window",
};
// clang-format on

// The bit of GetThemeAppProperties that allows themed controls.
constexpr DWORD AllowControls = 2;
constexpr DWORD Version6 = 0x60000;

template <class F>
F Resolve(HMODULE module, const char *name) {
    return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

bool ModuleIsNamed(HMODULE module, const wchar_t *name) {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    const wchar_t *base = path;
    for (const wchar_t *p = path; *p; ++p)
        if (*p == L'\\' || *p == L'/') base = p + 1;
    return _wcsicmp(base, name) == 0;
}

// The version that DllGetVersion of a loaded comctl32 reports.
DWORD ReportedVersion(HMODULE comctl) {
    using TDllGetVersion = HRESULT(CALLBACK *)(DLLVERSIONINFO *);
    const auto getVersion = Resolve<TDllGetVersion>(comctl, "DllGetVersion");
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;
    if (!getVersion || FAILED(getVersion(&info))) return 0;
    return (info.dwMajorVersion << 16) | (info.dwMinorVersion & 0xFFFF);
}

}  // namespace

struct TSystemThemePlatform::TFunctions {
    decltype(&::IsAppThemed) IsAppThemed;
    decltype(&::IsThemeActive) IsThemeActive;
    decltype(&::GetThemeAppProperties) GetThemeAppProperties;
    decltype(&::OpenThemeData) OpenThemeData;
    decltype(&::CloseThemeData) CloseThemeData;
    decltype(&::DrawThemeBackground) DrawThemeBackground;
    decltype(&::DrawThemeParentBackground) DrawThemeParentBackground;
    decltype(&::EnableThemeDialogTexture) EnableThemeDialogTexture;
};

TSystemThemePlatform::TSystemThemePlatform() {
    wchar_t path[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(path, MAX_PATH);
    if (n == 0 || n + 13 >= MAX_PATH) return;
    wcscat(path, L"\\uxtheme.dll");
    const HMODULE module = LoadLibraryW(path);
    if (!module) return;
    auto fn = std::make_unique<TFunctions>();
    fn->IsAppThemed = Resolve<decltype(fn->IsAppThemed)>(module, "IsAppThemed");
    fn->IsThemeActive = Resolve<decltype(fn->IsThemeActive)>(module, "IsThemeActive");
    fn->GetThemeAppProperties = Resolve<decltype(fn->GetThemeAppProperties)>(module, "GetThemeAppProperties");
    fn->OpenThemeData = Resolve<decltype(fn->OpenThemeData)>(module, "OpenThemeData");
    fn->CloseThemeData = Resolve<decltype(fn->CloseThemeData)>(module, "CloseThemeData");
    fn->DrawThemeBackground = Resolve<decltype(fn->DrawThemeBackground)>(module, "DrawThemeBackground");
    fn->DrawThemeParentBackground =
        Resolve<decltype(fn->DrawThemeParentBackground)>(module, "DrawThemeParentBackground");
    fn->EnableThemeDialogTexture = Resolve<decltype(fn->EnableThemeDialogTexture)>(module, "EnableThemeDialogTexture");
    const bool complete = fn->IsAppThemed && fn->IsThemeActive && fn->GetThemeAppProperties && fn->OpenThemeData &&
                          fn->CloseThemeData && fn->DrawThemeBackground && fn->DrawThemeParentBackground &&
                          fn->EnableThemeDialogTexture;
    if (!complete) {
        FreeLibrary(module);
        return;
    }
    module_ = module;
    fn_ = std::move(fn);
}

TSystemThemePlatform::~TSystemThemePlatform() {
    if (module_) FreeLibrary(module_);
}

bool TSystemThemePlatform::IsAppThemed() const {
    return module_ && fn_->IsAppThemed();
}

bool TSystemThemePlatform::IsThemeActive() const {
    return module_ && fn_->IsThemeActive();
}

DWORD TSystemThemePlatform::GetThemeAppProperties() const {
    return module_ ? fn_->GetThemeAppProperties() : 0;
}

// Version 6 is the only one that brings its own Button class: where the
// library's windows get theirs from comctl32, they are version 6 controls.
// Neither the version resource nor DllGetVersion tells (wine's version 6 copy
// says 5.81), and the module handle does not either (a host that imports
// comctl32 has the version 5 module answer for both).
DWORD TSystemThemePlatform::CommonControlsVersion() const {
    const ui::TActivationScope scope(ui::Application.ActivationContext());
    const HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    if (!comctl) return 0;
    const ui::TScopeExit release([comctl] { FreeLibrary(comctl); });
    WNDCLASSEXW button{};
    button.cbSize = sizeof button;
    HMODULE owner = nullptr;
    const bool fromComctl =
        GetClassInfoExW(nullptr, L"Button", &button) &&
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(button.lpfnWndProc), &owner) &&
        ModuleIsNamed(owner, L"comctl32.dll");
    const DWORD reported = ReportedVersion(comctl);
    return fromComctl ? std::max(reported, Version6) : std::min(reported, Version6 - 1);
}

HTHEME TSystemThemePlatform::OpenThemeData(HWND wnd, LPCWSTR classList) const {
    return module_ ? fn_->OpenThemeData(wnd, classList) : nullptr;
}

void TSystemThemePlatform::CloseThemeData(HTHEME theme) const {
    if (module_ && theme) fn_->CloseThemeData(theme);
}

HRESULT TSystemThemePlatform::DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT *rect,
                                                  const RECT *clip) const {
    return module_ ? fn_->DrawThemeBackground(theme, dc, part, state, rect, clip) : E_FAIL;
}

HRESULT TSystemThemePlatform::DrawThemeParentBackground(HWND wnd, HDC dc, const RECT *rect) const {
    return module_ ? fn_->DrawThemeParentBackground(wnd, dc, const_cast<RECT *>(rect)) : E_FAIL;
}

HRESULT TSystemThemePlatform::EnableThemeDialogTexture(HWND wnd, DWORD flags) const {
    return module_ ? fn_->EnableThemeDialogTexture(wnd, flags) : E_FAIL;
}

// ---------------------------------------------------------------- the watch of a window
//
// The services follow theme changes on the host's main window, a window of
// the host that outlives every run and may outlive the library. Its
// procedure is replaced by one of this library in the window's own
// character set, and put back exactly when the watch ends:
//   - an ANSI window gets an ANSI procedure through SetWindowLongPtrA: it
//     stays ANSI, and GetWindowLongPtrA gives the host's own procedure back
//     afterwards, not a handle standing for it, as it would once a Unicode
//     procedure had been set on the window;
//   - the common controls' SetWindowSubclass is not used: its stub stays in
//     the window when another procedure was set in front of it, or when its
//     last callback goes while a message is inside it; it works on the
//     window's own thread only, while the library may be freed from another;
//     and the module of the stub may be unloaded with the library.
// The procedure is put back even when another one was set in front of it
// since: a procedure of this library anywhere in the chain would run after
// the library is gone.

namespace {

struct TWatch {
    HWND Window;
    bool Unicode;
    LONG_PTR Previous;  // as read in the window's character set
    std::vector<TThemeServices *> Services;
};

// The windows watched now: one procedure per window, whatever the number of
// instances watching it.
std::vector<TWatch> watches;

std::vector<TWatch>::iterator WatchOf(HWND wnd) {
    return std::find_if(watches.begin(), watches.end(), [wnd](const TWatch &w) { return w.Window == wnd; });
}

void PutBackProcedure(const TWatch &watch) {
    if (!IsWindow(watch.Window)) return;
    if (watch.Unicode)
        SetWindowLongPtrW(watch.Window, GWLP_WNDPROC, watch.Previous);
    else
        SetWindowLongPtrA(watch.Window, GWLP_WNDPROC, watch.Previous);
}

}  // namespace

LRESULT CALLBACK TThemeServices::WatchProcA(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    return WatchMessage(false, wnd, msg, wp, lp);
}

LRESULT CALLBACK TThemeServices::WatchProcW(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    return WatchMessage(true, wnd, msg, wp, lp);
}

LRESULT TThemeServices::WatchMessage(bool unicode, HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto at = WatchOf(wnd);
    if (at == watches.end()) return unicode ? DefWindowProcW(wnd, msg, wp, lp) : DefWindowProcA(wnd, msg, wp, lp);
    const auto previous = reinterpret_cast<WNDPROC>(at->Previous);
    if (msg == WM_THEMECHANGED) {
        // A copy: a handler may end a watch.
        const std::vector<TThemeServices *> services = at->Services;
        for (TThemeServices *s : services) {
            try {
                s->RefreshThemeState();
                if (s->OnThemeChange) s->OnThemeChange();
            } catch (...) {
                // Nothing may leave a window procedure, least of all the host's.
            }
        }
    }
    const LRESULT result =
        unicode ? CallWindowProcW(previous, wnd, msg, wp, lp) : CallWindowProcA(previous, wnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        // The window goes: it gets its procedure back and nobody watches it.
        at = WatchOf(wnd);
        if (at != watches.end()) {
            for (TThemeServices *s : at->Services) s->subclassed_ = false;
            const TWatch gone = *at;
            watches.erase(at);
            PutBackProcedure(gone);
        }
    }
    return result;
}

// ---------------------------------------------------------------- the services

TThemeServices::TThemeServices(HWND window, std::unique_ptr<TThemePlatform> platform)
    : window_(window), platform_(std::move(platform)) {
    if (window_ && IsWindow(window_)) {
        auto at = WatchOf(window_);
        if (at == watches.end()) {
            const bool unicode = IsWindowUnicode(window_) != FALSE;
            const LONG_PTR previous =
                unicode ? SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchProcW))
                        : SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchProcA));
            // Zero: refused (a window of another process).
            if (previous) at = watches.insert(watches.end(), TWatch{window_, unicode, previous, {}});
        }
        if (at != watches.end()) {
            at->Services.push_back(this);
            subclassed_ = true;
        }
    }
    libraryLoaded_ = platform_->LibraryLoaded();
    RefreshThemeState();
}

TThemeServices::~TThemeServices() {
    RemoveSubclass();
    // Theme handles belong to the window they were opened for; once it is
    // gone the platform has closed them.
    if (!window_ || IsWindow(window_)) CloseThemes();
}

void TThemeServices::RemoveSubclass() {
    if (!subclassed_) return;
    subclassed_ = false;
    const auto at = WatchOf(window_);
    if (at == watches.end()) return;
    std::erase(at->Services, this);
    if (!at->Services.empty()) return;
    const TWatch gone = *at;
    watches.erase(at);
    PutBackProcedure(gone);
}

void TThemeServices::CloseThemes() {
    for (HTHEME &theme : themes_) {
        if (theme) platform_->CloseThemeData(theme);
        theme = nullptr;
    }
}

void TThemeServices::RefreshThemeState() {
    if (stylesInUse_) CloseThemes();
    stylesInUse_ = libraryLoaded_ && platform_->IsAppThemed() && platform_->IsThemeActive() &&
                   platform_->CommonControlsVersion() >= Version6;
    controlsAllowed_ = stylesInUse_ && (platform_->GetThemeAppProperties() & AllowControls) != 0;
}

HTHEME TThemeServices::Theme(TThemedElement element) {
    const auto i = static_cast<size_t>(element);
    if (i >= themes_.size()) return nullptr;
    if (stylesInUse_ && !themes_[i]) themes_[i] = platform_->OpenThemeData(window_, ElementClassNames[i]);
    return themes_[i];
}

void TThemeServices::DrawElement(HDC dc, const TThemedElementDetails &details, const RECT &rect, const RECT *clip) {
    if (const HTHEME theme = Theme(details.Element))
        platform_->DrawThemeBackground(theme, dc, details.Part, details.State, &rect, clip);
}

HRESULT TThemeServices::DrawParentBackground(HWND wnd, HDC dc, const RECT *rect) {
    return platform_->DrawThemeParentBackground(wnd, dc, rect);
}

HRESULT TThemeServices::EnableDialogTexture(HWND wnd, DWORD flags) {
    return platform_->EnableThemeDialogTexture(wnd, flags);
}

void TThemeServices::PaintThemedBorder(HWND control, bool eraseCorner) {
    const auto exStyle = static_cast<DWORD>(GetWindowLongW(control, GWL_EXSTYLE));
    if (!(exStyle & WS_EX_CLIENTEDGE)) return;
    RECT bounds{};
    GetWindowRect(control, &bounds);
    OffsetRect(&bounds, -bounds.left, -bounds.top);
    const ui::TWholeWindowDC dc(control);
    if (!dc.Get()) return;
    RECT inner = bounds;
    InflateRect(&inner, -2, -2);
    const auto style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
    if (eraseCorner && (style & WS_VSCROLL) && (style & WS_HSCROLL)) {
        const RECT corner{inner.right - GetSystemMetrics(SM_CXVSCROLL), inner.bottom - GetSystemMetrics(SM_CYHSCROLL),
                          inner.right, inner.bottom};
        FillRect(dc.Get(), &corner, GetSysColorBrush(COLOR_BTNFACE));
    }
    ExcludeClipRect(dc.Get(), inner.left, inner.top, inner.right, inner.bottom);
    DrawElement(dc.Get(), ElementDetails(TThemedElement::teEdit, tmschema::EditParts, tmschema::EditTextNormal),
                bounds);
}

// ---------------------------------------------------------------- the shared instance

namespace {
// Freed explicitly when the library unloads, not at process exit, when the
// windows it would unhook are going anyway.
TThemeServices *sharedServices = nullptr;
}  // namespace

TThemeServices &SharedThemeServices() {
    if (!sharedServices)
        sharedServices = new TThemeServices(ui::Application.Handle, std::make_unique<TSystemThemePlatform>());
    return *sharedServices;
}

void FreeSharedThemeServices() {
    delete std::exchange(sharedServices, nullptr);
}
