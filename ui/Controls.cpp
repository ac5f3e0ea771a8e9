#include "ui/Controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/Accessible.h"
#include "ui/Dialogs.h"
#include "ui/WideText.h"

namespace ui {

namespace {

constexpr const wchar_t *FormClassName = L"ExifViewForm";
constexpr const wchar_t *PageClassName = L"ExifViewPage";
constexpr UINT_PTR KeyboardSubclassId = 1;

// Registers a window class of this module, replacing one left behind by an
// earlier load of the module at another address (classes of a DLL outlive
// the DLL unless they are unregistered).
void EnsureClass(const wchar_t *name, WNDPROC proc) {
    const HINSTANCE instance = TApplication::Instance();
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, name, &existing)) {
        if (existing.lpfnWndProc == proc) return;
        UnregisterClassW(name, instance);
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

// The thread's resolution awareness, where the system has it: user32's
// functions of Windows 10 1607, looked up at run time.
using TDpiContext = HANDLE;
const TDpiContext PerMonitorAwareV2 = reinterpret_cast<TDpiContext>(static_cast<INT_PTR>(-4));
const TDpiContext PerMonitorAware = reinterpret_cast<TDpiContext>(static_cast<INT_PTR>(-3));
constexpr UINT DpiChangedMessage = 0x02E0;  // WM_DPICHANGED

template <class F>
F User32Function(const char *name) {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(user32, name))) : nullptr;
}

using TSetThreadDpiContext = TDpiContext(WINAPI *)(TDpiContext);
using TGetDpiForWindow = UINT(WINAPI *)(HWND);

void SetFontOfTree(TControl &control, HFONT font) {
    for (TControl *c : control.Controls()) {
        if (c->Handle) SendMessageW(c->Handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        SetFontOfTree(*c, font);
    }
}

int ChildId() {
    static int next = 100;
    next = next >= 30000 ? 100 : next + 1;
    return next;
}

}  // namespace

// ---------------------------------------------------------------- TControl

TControl::TControl(TControlKind kind, TControl *parent) : kind_(kind), parent_(parent) {
    if (parent_) parent_->controls_.push_back(this);
}

TControl::~TControl() {
    DestroyHandle();
    if (parent_) {
        auto &list = parent_->controls_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

TForm *TControl::Form() {
    TControl *c = this;
    while (c->parent_) c = c->parent_;
    return c->kind_ == TControlKind::Form ? static_cast<TForm *>(c) : nullptr;
}

std::string TControl::Text() const {
    if (!Handle) return {};
    const int length = GetWindowTextLengthW(Handle);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(Handle, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return Utf8(text);
}

void TControl::SetText(const std::string &text) {
    if (Handle) SetWindowTextW(Handle, Wide(text).c_str());
}

bool TControl::Visible() const {
    return Handle && (GetWindowLongW(Handle, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TControl::SetVisible(bool visible) {
    if (Handle) ShowWindow(Handle, visible ? SW_SHOW : SW_HIDE);
}

void TControl::SetFocus() {
    if (Handle) ::SetFocus(Handle);
}

RECT TControl::BoundsRect() const {
    RECT r{};
    if (!Handle) return r;
    GetWindowRect(Handle, &r);
    const HWND parent = (GetWindowLongW(Handle, GWL_STYLE) & WS_CHILD) ? GetParent(Handle) : nullptr;
    if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

void TControl::SetAccessibleName(const std::string &name) {
    accessibleName_ = Wide(name);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (Handle) SetWindowPos(Handle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

TControl *TControl::FindControl(HWND wnd) {
    if (!wnd) return nullptr;
    if (Handle == wnd) return this;
    for (TControl *c : controls_)
        if (TControl *found = c->FindControl(wnd)) return found;
    return nullptr;
}

void TControl::CreateChild(const wchar_t *className, const std::string &text, DWORD style, DWORD exStyle, int left,
                           int top, int width, int height) {
    Handle = CreateWindowExW(exStyle, className, Wide(text).c_str(), style | WS_CHILD, left, top, width, height,
                             parent_->Handle, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ChildId())),
                             TApplication::Instance(), this);
    if (!Handle) throw EUiError("CreateWindowEx " + Utf8(className));
    if (TForm *form = Form(); form && form->Font())
        SendMessageW(Handle, WM_SETFONT, reinterpret_cast<WPARAM>(form->Font()), FALSE);
    if (kind_ != TControlKind::TabSheet)
        SetWindowSubclass(Handle, SubclassProc, KeyboardSubclassId, reinterpret_cast<DWORD_PTR>(this));
    if (TForm *form = Form(); form && form->Handle)
        SendMessageW(form->Handle, CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(this), TRUE);
}

void TControl::DestroyHandle() {
    if (!Handle) return;
    const HWND wnd = Handle;
    // Whoever took the window over after this layer hears first, and steps
    // back before the layer's own subclass goes.
    if (kind_ != TControlKind::Form) {
        if (TForm *form = Form(); form && form->Handle)
            SendMessageW(form->Handle, CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(this), FALSE);
    }
    if (kind_ != TControlKind::TabSheet) RemoveWindowSubclass(wnd, SubclassProc, KeyboardSubclassId);
    Handle = nullptr;
    DestroyWindow(wnd);
}

void TControl::SetTabOrder(int tabOrder) {
    tabOrder_ = tabOrder;
    if (!parent_) return;
    std::vector<TControl *> stops;
    for (TControl *c : parent_->controls_)
        if (c->tabOrder_ >= 0 && c->Handle) stops.push_back(c);
    std::stable_sort(stops.begin(), stops.end(),
                     [](const TControl *a, const TControl *b) { return a->tabOrder_ < b->tabOrder_; });
    HWND after = HWND_TOP;
    for (TControl *c : stops) {
        SetWindowPos(c->Handle, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = c->Handle;
    }
}

bool TControl::IsTabStop() const {
    return tabOrder_ >= 0 && Handle && IsWindowVisible(Handle) && IsWindowEnabled(Handle);
}

namespace {

// The tab stops below `parent` in the keyboard's order: children by tab
// order, and after a page control the tab stops of its active page.
void CollectTabStops(const TControl &parent, std::vector<TControl *> &cycle) {
    std::vector<TControl *> children = parent.Controls();
    std::stable_sort(children.begin(), children.end(),
                     [](const TControl *a, const TControl *b) { return a->TabOrder() < b->TabOrder(); });
    for (TControl *c : children) {
        if (!c->IsTabStop()) continue;
        cycle.push_back(c);
        if (c->Kind() != TControlKind::PageControl) continue;
        if (const TTabSheet *page = static_cast<TPageControl *>(c)->ActivePage()) CollectTabStops(*page, cycle);
    }
}

bool IsInside(const TControl *c, const TControl *ancestor) {
    for (; c; c = c->Parent())
        if (c == ancestor) return true;
    return false;
}

}  // namespace

TPageControl *TForm::PageControl() const {
    for (TControl *c : Controls())
        if (c->Kind() == TControlKind::PageControl) return static_cast<TPageControl *>(c);
    return nullptr;
}

TControl *TForm::NextTabStop(TControl *from, bool back) {
    std::vector<TControl *> cycle;
    CollectTabStops(*this, cycle);
    if (cycle.empty()) return nullptr;
    const auto n = static_cast<std::ptrdiff_t>(cycle.size());
    const auto at = std::find(cycle.begin(), cycle.end(), from);
    if (at == cycle.end()) return back ? cycle.back() : cycle.front();
    const std::ptrdiff_t i = at - cycle.begin();
    return cycle[static_cast<size_t>((i + (back ? n - 1 : 1)) % n)];
}

// Ctrl+Tab and Ctrl+Shift+Tab switch pages from anywhere in the form, the
// arrow keys from the tab control; a focus left on a page that goes out of
// view moves to the new page's first tab stop.
bool TControl::SwitchPageByKey(WPARAM key) {
    TForm *form = Form();
    TPageControl *pages = form ? form->PageControl() : nullptr;
    if (!pages) return false;
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (key == VK_TAB && control) {
        TTabSheet *before = pages->ActivePage();
        const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        if (!pages->SelectNextPage(!back, true)) return true;
        if (before && IsInside(this, before)) {
            TControl *next = form->NextTabStop(pages, false);
            (next && IsInside(next, pages->ActivePage()) ? next : pages)->SetFocus();
        }
        return true;
    }
    if (this != pages || key < VK_LEFT || key > VK_DOWN) return false;
    pages->SelectNextPage(key == VK_RIGHT || key == VK_DOWN, false);
    return true;
}

LRESULT CALLBACK TControl::SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    try {
        auto *control = reinterpret_cast<TControl *>(data);
        if (msg == WM_NCDESTROY) {
            RemoveWindowSubclass(wnd, SubclassProc, KeyboardSubclassId);
            if (control && control->Handle == wnd) control->Handle = nullptr;
            return DefSubclassProc(wnd, msg, wp, lp);
        }
        if (control && control->Handle == wnd) return control->ChildMessage(msg, wp, lp);
    } catch (...) {
        // Nothing may leave a window procedure: the host would terminate.
        return 0;
    }
    return DefSubclassProc(wnd, msg, wp, lp);
}

LRESULT TControl::ChildMessage(UINT msg, WPARAM wp, LPARAM lp) {
    const HWND wnd = Handle;
    TForm *form = Form();
    if (!form) return DefSubclassProc(wnd, msg, wp, lp);
    switch (msg) {
        case WM_SETFOCUS:
            form->activeControl_ = this;
            break;
        case WM_KEYDOWN:
            // The character Escape or Enter makes is the key-down's, whoever
            // takes it; it may come while a shortcut still runs (a modal box).
            if (wp == VK_ESCAPE || wp == VK_RETURN) previewedKey_ = wp == VK_ESCAPE ? L'\x1b' : L'\r';
            if (form->OnShortcut && form->OnShortcut(*this, wp)) return 0;
            // Escape and Enter are previewed at key-down as well as per
            // character, so that they work even when the host's message loop
            // does not translate keys into characters.
            if (wp == VK_ESCAPE || wp == VK_RETURN) {
                wchar_t key = wp == VK_ESCAPE ? L'\x1b' : L'\r';
                previewedKey_ = key;
                form->KeyPress(key);
                if (!form->Visible() || key == 0) return 0;
            } else if (SwitchPageByKey(wp)) {
                return 0;
            } else if (wp == VK_TAB) {
                // No dialog manager runs in a host's loop: move the focus here.
                const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
                if (TControl *next = form->NextTabStop(this, back)) next->SetFocus();
                return 0;
            }
            break;
        case WM_CHAR: {
            // A Unicode window's characters are UTF-16 units.
            if (wp == L'\t') return 0;
            wchar_t key = static_cast<wchar_t>(wp);
            if (key != 0 && key == previewedKey_) {
                previewedKey_ = 0;
                if (!form->Visible()) return 0;
                break;
            }
            previewedKey_ = 0;
            form->KeyPress(key);
            if (key == 0 || !form->Visible()) return 0;
            wp = key;
            break;
        }
        case WM_GETOBJECT:
            if (static_cast<LONG>(lp) == OBJID_CLIENT && !accessibleName_.empty())
                if (const LRESULT named = NamedAccessibleObject(wnd, wp, accessibleName_)) return named;
            break;
        case WM_SYSKEYDOWN:
            if (form->OnShortcut && form->OnShortcut(*this, wp)) return 0;
            break;
        case WM_GETDLGCODE:
            return DefSubclassProc(wnd, msg, wp, lp) | DLGC_WANTTAB;
        case WM_CONTEXTMENU:
            if (form->OnContextMenu && reinterpret_cast<HWND>(wp) == wnd) {
                form->OnContextMenu(*this, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
                return 0;
            }
            break;
        default:
            break;
    }
    return DefSubclassProc(wnd, msg, wp, lp);
}

// ---------------------------------------------------------------- TForm

TForm::TForm(TApplication &owner, const std::string &caption, int left, int top, int clientWidth, int clientHeight,
             const char *fontName, int fontHeight)
    : TControl(TControlKind::Form, nullptr) {
    EnsureClass(FormClassName, WindowProc);
    EnsureClass(PageClassName, TTabSheet::WindowProc);
    EnterDpiAwareness();
    CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT, FormClassName, Wide(caption).c_str(),
                    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, left, top,
                    100, 100, owner.Handle, nullptr, TApplication::Instance(), this);
    if (!Handle) {
        LeaveDpiAwareness();
        throw EUiError("CreateWindowEx form");
    }
    if (previousDpiContext_)
        if (const auto dpiOf = User32Function<TGetDpiForWindow>("GetDpiForWindow"))
            if (const UINT dpi = dpiOf(Handle); dpi >= 48) dpi_ = static_cast<int>(dpi);
    SetClientBounds(left, top, Scaled(clientWidth), Scaled(clientHeight));
    SetFont(fontName, fontHeight);
}

TForm::~TForm() {
    DestroyForm();
    LeaveDpiAwareness();
    UnregisterClassW(PageClassName, TApplication::Instance());
    UnregisterClassW(FormClassName, TApplication::Instance());
}

void TForm::DestroyForm() {
    if (!Handle) return;
    SetWindowLongPtrW(Handle, GWLP_USERDATA, 0);
    DestroyHandle();
}

void TForm::SetClientBounds(int left, int top, int clientWidth, int clientHeight) {
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongW(Handle, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(Handle, GWL_EXSTYLE)));
    SetWindowPos(Handle, nullptr, left, top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::EnterDpiAwareness() {
    const auto setContext = User32Function<TSetThreadDpiContext>("SetThreadDpiAwarenessContext");
    if (!setContext) return;
    TDpiContext previous = setContext(PerMonitorAwareV2);
    if (!previous) previous = setContext(PerMonitorAware);
    previousDpiContext_ = previous;
}

void TForm::LeaveDpiAwareness() {
    if (!previousDpiContext_) return;
    if (const auto setContext = User32Function<TSetThreadDpiContext>("SetThreadDpiAwarenessContext"))
        setContext(previousDpiContext_);
    previousDpiContext_ = nullptr;
}

void TForm::DpiChanged(int dpi, const RECT &suggested) {
    dpi_ = dpi;
    SetFont(fontName_.c_str(), fontHeight_);
    // The grids measure their rows again when their font is set anew.
    SetFontOfTree(*this, font_.Get());
    SetWindowPos(Handle, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (OnResize) {
        RECT client{};
        GetClientRect(Handle, &client);
        OnResize(client.right, client.bottom);
    }
}

void TForm::SetMinClientSize(int clientWidth, int clientHeight) {
    minClient_ = SIZE{clientWidth, clientHeight};
}

void TForm::SetFont(const char *faceName, int height) {
    fontName_ = faceName;
    fontHeight_ = height;
    HFONT font =
        CreateFontW(Scaled(height), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Wide(faceName).c_str());
    if (!font) throw EUiError("CreateFont");
    TFontHandle old = std::move(font_);
    font_.Reset(font);
    SendMessageW(Handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void TForm::SetActiveControl(TControl *control) {
    activeControl_ = control;
    if (control && GetActiveWindow() == Handle) control->SetFocus();
}

void TForm::Close() {
    if (!Handle || !IsWindowVisible(Handle)) return;
    ShowWindow(Handle, SW_HIDE);
    PostMessageW(Handle, WM_NULL, 0, 0);
}

void TForm::KeyPress(wchar_t &key) {
    if (KeyPreview && OnKeyPress) OnKeyPress(key);
}

LRESULT CALLBACK TForm::WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto *form = static_cast<TForm *>(reinterpret_cast<CREATESTRUCTW *>(lp)->lpCreateParams);
        SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        form->Handle = wnd;
    }
    auto *form = reinterpret_cast<TForm *>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(wnd, msg, wp, lp);
    try {
        return form->FormMessage(msg, wp, lp);
    } catch (const EUiError &e) {
        ShowErrorBox(wnd, e.what());
    } catch (...) {
        // Nothing may leave a window procedure: the host would terminate.
    }
    return 0;
}

LRESULT TForm::FormMessage(UINT msg, WPARAM wp, LPARAM lp) {
    const HWND wnd = Handle;
    LRESULT result = 0;
    if (ControlMessage(msg, wp, lp, result)) return result;
    switch (msg) {
        case WM_CLOSE:
            Close();
            return 0;
        case WM_GETMINMAXINFO:
            if (minClient_.cx > 0) {
                RECT r{0, 0, Scaled(minClient_.cx), Scaled(minClient_.cy)};
                AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongW(wnd, GWL_STYLE)), FALSE,
                                   static_cast<DWORD>(GetWindowLongW(wnd, GWL_EXSTYLE)));
                auto *info = reinterpret_cast<MINMAXINFO *>(lp);
                info->ptMinTrackSize = POINT{r.right - r.left, r.bottom - r.top};
                return 0;
            }
            break;
        case WM_SIZE:
            if (OnResize && wp != SIZE_MINIMIZED) OnResize(LOWORD(lp), HIWORD(lp));
            break;
        case DpiChangedMessage:
            if (previousDpiContext_ && LOWORD(wp) >= 48) {
                DpiChanged(LOWORD(wp), *reinterpret_cast<const RECT *>(lp));
                return 0;
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wp) != WA_INACTIVE && activeControl_ && activeControl_->Handle &&
                IsWindowVisible(activeControl_->Handle)) {
                ::SetFocus(activeControl_->Handle);
                return 0;
            }
            break;
        case WM_KEYDOWN:
            if (wp == VK_ESCAPE || wp == VK_RETURN) {
                wchar_t key = wp == VK_ESCAPE ? L'\x1b' : L'\r';
                KeyPress(key);
                return 0;
            }
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
            Handle = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

bool TForm::ControlMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT &result) {
    switch (msg) {
        case WM_COMMAND:
            if (HIWORD(wp) == EN_CHANGE && lp) {
                TControl *c = FindControl(reinterpret_cast<HWND>(lp));
                if (c && c->Kind() == TControlKind::Edit) {
                    auto *edit = static_cast<TEdit *>(c);
                    if (edit->OnChange) edit->OnChange();
                    result = 0;
                    return true;
                }
            }
            if (HIWORD(wp) == BN_CLICKED && lp) {
                TControl *c = FindControl(reinterpret_cast<HWND>(lp));
                if (c && c->Kind() == TControlKind::Button) {
                    auto *button = static_cast<TButton *>(c);
                    if (button->OnClick) button->OnClick();
                    result = 0;
                    return true;
                }
            }
            return false;
        case WM_NOTIFY: {
            auto *hdr = reinterpret_cast<NMHDR *>(lp);
            TControl *c = FindControl(hdr->hwndFrom);
            if (c && c->Kind() == TControlKind::TextGrid) return static_cast<TTextGrid *>(c)->Notify(hdr, result);
            if (c && c->Kind() == TControlKind::Link && (hdr->code == NM_CLICK || hdr->code == NM_RETURN)) {
                auto *link = static_cast<TLink *>(c);
                if (link->OnClick) link->OnClick();
                result = 0;
                return true;
            }
            if (c && c->Kind() == TControlKind::PageControl && hdr->code == TCN_SELCHANGE) {
                static_cast<TPageControl *>(c)->TabChanged();
                result = 0;
                return true;
            }
            return false;
        }
        case WM_MEASUREITEM: {
            auto *mi = reinterpret_cast<MEASUREITEMSTRUCT *>(lp);
            if (mi->CtlType != ODT_LISTVIEW) return false;
            mi->itemHeight = static_cast<UINT>(Scaled(TTextGrid::DefaultRowHeight));
            result = TRUE;
            return true;
        }
        case WM_DRAWITEM: {
            auto *di = reinterpret_cast<DRAWITEMSTRUCT *>(lp);
            TControl *c = di->CtlType == ODT_LISTVIEW ? FindControl(di->hwndItem) : nullptr;
            if (!c || c->Kind() != TControlKind::TextGrid) return false;
            static_cast<TTextGrid *>(c)->DrawItem(*di);
            result = TRUE;
            return true;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN: {
            const HDC dc = reinterpret_cast<HDC>(wp);
            TControl *c = FindControl(reinterpret_cast<HWND>(lp));
            if (c && c->Kind() == TControlKind::Label && static_cast<TLabel *>(c)->Transparent()) {
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
                return true;
            }
            // Text boxes, read-only ones included, are on the window colour;
            // labels and buttons on the form's button face.
            const bool box = c && (c->Kind() == TControlKind::Edit || c->Kind() == TControlKind::Memo);
            const int back = box ? COLOR_WINDOW : COLOR_BTNFACE;
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(back));
            result = reinterpret_cast<LRESULT>(GetSysColorBrush(back));
            return true;
        }
        case WM_NOTIFYFORMAT:
            // The controls' notifications come with UTF-16 texts.
            result = NFR_UNICODE;
            return true;
        default:
            return false;
    }
}

// ---------------------------------------------------------------- TPageControl

TPageControl::TPageControl(TControl &parent, int left, int top, int width, int height, int tabOrder)
    : TControl(TControlKind::PageControl, &parent) {
    CreateChild(WC_TABCONTROLW, "", WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT,
                left, top, width, height);
    SetTabOrder(tabOrder);
}

std::vector<TTabSheet *> TPageControl::VisiblePages() const {
    std::vector<TTabSheet *> pages;
    for (TControl *c : Controls())
        if (c->Kind() == TControlKind::TabSheet && static_cast<TTabSheet *>(c)->TabVisible())
            pages.push_back(static_cast<TTabSheet *>(c));
    return pages;
}

void TPageControl::SetActivePage(TTabSheet *page) {
    activePage_ = page;
    UpdateTabs();
}

bool TPageControl::SelectNextPage(bool forward, bool wrap) {
    const std::vector<TTabSheet *> pages = VisiblePages();
    const auto count = static_cast<std::ptrdiff_t>(pages.size());
    const auto at = std::find(pages.begin(), pages.end(), activePage_);
    if (count < 2 || at == pages.end()) return false;
    std::ptrdiff_t next = (at - pages.begin()) + (forward ? 1 : -1);
    if (next < 0 || next >= count) {
        if (!wrap) return false;
        next = (next + count) % count;
    }
    SetActivePage(pages[static_cast<size_t>(next)]);
    return true;
}

void TPageControl::UpdateTabs() {
    if (!Handle) return;
    const std::vector<TTabSheet *> pages = VisiblePages();
    if (std::find(pages.begin(), pages.end(), activePage_) == pages.end())
        activePage_ = pages.empty() ? nullptr : pages.front();
    SendMessageW(Handle, TCM_DELETEALLITEMS, 0, 0);
    int selected = -1;
    for (size_t i = 0; i < pages.size(); ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        std::wstring caption = Wide(pages[i]->Caption());
        item.pszText = caption.data();
        SendMessageW(Handle, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
        if (pages[i] == activePage_) selected = static_cast<int>(i);
    }
    SendMessageW(Handle, TCM_SETCURSEL, static_cast<WPARAM>(selected), 0);
    PlacePages();
}

void TPageControl::PlacePages() {
    if (!Handle) return;
    RECT display{};
    GetClientRect(Handle, &display);
    SendMessageW(Handle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    for (TControl *c : Controls()) {
        if (c->Kind() != TControlKind::TabSheet || !c->Handle) continue;
        SetWindowPos(c->Handle, nullptr, display.left, display.top, display.right - display.left,
                     display.bottom - display.top, SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(c->Handle, c == activePage_ ? SW_SHOW : SW_HIDE);
    }
}

void TPageControl::TabChanged() {
    const int index = static_cast<int>(SendMessageW(Handle, TCM_GETCURSEL, 0, 0));
    const std::vector<TTabSheet *> pages = VisiblePages();
    if (index >= 0 && index < static_cast<int>(pages.size())) SetActivePage(pages[static_cast<size_t>(index)]);
}

// ---------------------------------------------------------------- TTabSheet

TTabSheet::TTabSheet(TPageControl &pageControl, const std::string &caption)
    : TControl(TControlKind::TabSheet, &pageControl), caption_(caption) {
    CreateChild(PageClassName, caption, WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, 0, 0, 0, 0);
    pageControl.UpdateTabs();
}

void TTabSheet::SetTabVisible(bool visible) {
    tabVisible_ = visible;
    static_cast<TPageControl *>(Parent())->UpdateTabs();
}

LRESULT CALLBACK TTabSheet::WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        if (msg == WM_NCCREATE) {
            auto *page = static_cast<TTabSheet *>(reinterpret_cast<CREATESTRUCTW *>(lp)->lpCreateParams);
            SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
        }
        auto *page = reinterpret_cast<TTabSheet *>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
            if (page && page->Handle == wnd) page->Handle = nullptr;
        } else if (page) {
            // The notifications of the controls on a page are the form's.
            TForm *form = page->Form();
            LRESULT result = 0;
            if (form && form->Handle && form->ControlMessage(msg, wp, lp, result)) return result;
        }
    } catch (const EUiError &e) {
        ShowErrorBox(wnd, e.what());
        return 0;
    } catch (...) {
        return 0;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

// ---------------------------------------------------------------- TTextGrid

TTextGrid::TTextGrid(TControl &parent, int left, int top, int width, int height, int tabOrder)
    : TControl(TControlKind::TextGrid, &parent) {
    CreateChild(WC_LISTVIEWW, "",
                WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER |
                    LVS_SHOWSELALWAYS,
                WS_EX_CLIENTEDGE, left, top, width, height);
    const DWORD exStyle = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP;
    SendMessageW(Handle, LVM_SETEXTENDEDLISTVIEWSTYLE, exStyle, exStyle);
    SetTabOrder(tabOrder);
    SetColCount(2);
    SetRowCount(1);
}

void TTextGrid::SetColCount(int count) {
    count = std::max(count, 1);
    while (colCount_ < count) {
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH;
        column.cx = DefaultColWidth;
        SendMessageW(Handle, LVM_INSERTCOLUMNW, static_cast<WPARAM>(colCount_), reinterpret_cast<LPARAM>(&column));
        ++colCount_;
    }
    while (colCount_ > count) SendMessageW(Handle, LVM_DELETECOLUMN, static_cast<WPARAM>(--colCount_), 0);
    for (auto &row : cells_) row.resize(static_cast<size_t>(colCount_));
    InvalidateRect(Handle, nullptr, TRUE);
}

void TTextGrid::SetRowCount(int count) {
    count = std::max(count, 1);
    cells_.resize(static_cast<size_t>(count));
    for (auto &row : cells_) row.resize(static_cast<size_t>(colCount_));
    ShowAllRows();
    SendMessageW(Handle, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0);
    SelectRow(0);
    InvalidateRect(Handle, nullptr, TRUE);
}

void TTextGrid::ShowAllRows() {
    shown_.resize(cells_.size());
    for (size_t i = 0; i < shown_.size(); ++i) shown_[i] = static_cast<int>(i);
}

void TTextGrid::SetFilter(const std::function<bool(int row)> &keep) {
    ShowAllRows();
    if (keep)
        shown_.erase(std::remove_if(shown_.begin(), shown_.end(), [&](int row) { return !keep(row); }), shown_.end());
    const int current = row_;
    SendMessageW(Handle, LVM_SETITEMCOUNT, shown_.size(), 0);
    // The current row stays current while it is shown; else the first row
    // shown becomes current, as if selected.
    if (ItemOf(current) >= 0) {
        SelectRow(current);
    } else if (!shown_.empty()) {
        SelectRow(shown_.front());
        bool canSelect = true;
        if (OnSelectCell) OnSelectCell(*this, 0, row_, canSelect);
    }
    InvalidateRect(Handle, nullptr, TRUE);
}

int TTextGrid::RowAt(int item) const {
    return item >= 0 && item < ShownCount() ? shown_[static_cast<size_t>(item)] : -1;
}

int TTextGrid::ItemOf(int row) const {
    const auto at = std::lower_bound(shown_.begin(), shown_.end(), row);
    return at != shown_.end() && *at == row ? static_cast<int>(at - shown_.begin()) : -1;
}

std::vector<int> TTextGrid::SelectedRows() const {
    std::vector<int> rows;
    int item = -1;
    while ((item = static_cast<int>(SendMessageW(Handle, LVM_GETNEXTITEM, static_cast<WPARAM>(item), LVNI_SELECTED))) >=
           0) {
        const int row = RowAt(item);
        if (row < 0) break;
        rows.push_back(row);
    }
    return rows;
}

void TTextGrid::SelectAll() {
    LVITEMW all{};
    all.stateMask = LVIS_SELECTED;
    all.state = LVIS_SELECTED;
    SendMessageW(Handle, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
}

const std::string &TTextGrid::Cell(int col, int row) const {
    static const std::string empty;
    if (row < 0 || row >= RowCount() || col < 0 || col >= colCount_) return empty;
    return cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

void TTextGrid::SetCell(int col, int row, const std::string &text) {
    if (row < 0 || row >= RowCount() || col < 0 || col >= colCount_) throw EUiError("grid index out of range");
    cells_[static_cast<size_t>(row)][static_cast<size_t>(col)] = text;
    if (const int item = ItemOf(row); item >= 0) SendMessageW(Handle, LVM_REDRAWITEMS, static_cast<WPARAM>(item), item);
}

std::wstring TTextGrid::ShownCell(int col, int row) const {
    std::wstring text = Wide(Cell(col, row));
    for (wchar_t &c : text)
        if (c < L' ') c = L'.';
    return text;
}

int TTextGrid::ColWidth(int col) const {
    return static_cast<int>(SendMessageW(Handle, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(col), 0));
}

void TTextGrid::SetColWidth(int col, int width) {
    if (col < 0 || col >= colCount_) throw EUiError("grid column out of range");
    SendMessageW(Handle, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(col), MAKELPARAM(width, 0));
}

void TTextGrid::SelectRow(int row) {
    const int shownAt = ItemOf(row);
    if (row < 0 || row >= RowCount() || shownAt < 0) return;
    LVITEMW clear{};
    clear.stateMask = LVIS_SELECTED;
    SendMessageW(Handle, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(Handle, LVM_SETITEMSTATE, static_cast<WPARAM>(shownAt), reinterpret_cast<LPARAM>(&item));
    SendMessageW(Handle, LVM_SETSELECTIONMARK, 0, shownAt);
    SendMessageW(Handle, LVM_ENSUREVISIBLE, static_cast<WPARAM>(shownAt), FALSE);
    row_ = row;
}

bool TTextGrid::Notify(NMHDR *hdr, LRESULT &result) {
    switch (hdr->code) {
        case LVN_GETDISPINFOW: {
            // The list view asks in UTF-16 (the form answers WM_NOTIFYFORMAT
            // so); a reader of LVM_GETITEMTEXTA gets this converted by it.
            LVITEMW &item = reinterpret_cast<NMLVDISPINFOW *>(hdr)->item;
            if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
                const std::wstring text = ShownCell(item.iSubItem, RowAt(item.iItem));
                const size_t n = text.copy(item.pszText, static_cast<size_t>(item.cchTextMax - 1));
                item.pszText[n] = L'\0';
            }
            result = 0;
            return true;
        }
        case LVN_ODFINDITEMA:
        case LVN_ODFINDITEMW:
            result = -1;
            return true;
        case LVN_ITEMCHANGED: {
            const auto *change = reinterpret_cast<NMLISTVIEW *>(hdr);
            if ((change->uChanged & LVIF_STATE) && RowAt(change->iItem) >= 0 && (change->uNewState & LVIS_FOCUSED) &&
                !(change->uOldState & LVIS_FOCUSED)) {
                row_ = RowAt(change->iItem);
                bool canSelect = true;
                if (OnSelectCell) OnSelectCell(*this, 0, row_, canSelect);
            }
            result = 0;
            return true;
        }
        case NM_DBLCLK: {
            const int row = RowAt(reinterpret_cast<NMITEMACTIVATE *>(hdr)->iItem);
            if (row >= 0 && OnOpenRow) OnOpenRow(*this, row);
            result = 0;
            return true;
        }
        case LVN_GETINFOTIPW: {
            auto *tip = reinterpret_cast<NMLVGETINFOTIPW *>(hdr);
            const int row = RowAt(tip->iItem);
            if (row >= 0 && OnRowTip && tip->pszText && tip->cchTextMax > 0) {
                // The list view may have put the item's own text there.
                const std::wstring text = Wide(OnRowTip(*this, row));
                const size_t n = text.copy(tip->pszText, static_cast<size_t>(tip->cchTextMax - 1));
                tip->pszText[n] = L'\0';
            }
            result = 0;
            return true;
        }
        default:
            return false;
    }
}

void TTextGrid::DrawItem(const DRAWITEMSTRUCT &item) {
    const int shownAt = static_cast<int>(item.itemID);
    const int row = RowAt(shownAt);
    if (row < 0) return;
    TGridDrawState state;
    state.Selected = (item.itemState & ODS_SELECTED) != 0;
    state.Focused = (item.itemState & ODS_FOCUS) != 0;
    state.Odd = shownAt % 2 != 0;
    canvas_ = item.hDC;
    TScopeExit done([this] { canvas_ = nullptr; });
    // Cells follow the list view's columns (and so its grid lines). The
    // rectangle given for the item may start a margin right of the first
    // column's edge (wine's does); nothing is painted outside it.
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    SendMessageW(Handle, LVM_GETITEMRECT, static_cast<WPARAM>(shownAt), reinterpret_cast<LPARAM>(&bounds));
    LONG x = bounds.left;
    for (int col = 0; col < colCount_; ++col) {
        const int width = ColWidth(col);
        const RECT cell{std::max(x, item.rcItem.left), item.rcItem.top, x + width, item.rcItem.bottom};
        if (OnDrawCell && cell.left < cell.right) OnDrawCell(*this, col, row, cell, state);
        x += width;
    }
    if (x < item.rcItem.right) {
        const RECT rest{x, item.rcItem.top, item.rcItem.right, item.rcItem.bottom};
        FillRect(item.hDC, &rest, GetSysColorBrush(COLOR_WINDOW));
    }
}

// ---------------------------------------------------------------- simple controls

TEdit::TEdit(TControl &parent, int left, int top, int width, int height, int tabOrder, bool readOnly)
    : TControl(TControlKind::Edit, &parent) {
    CreateChild(L"Edit", "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | (readOnly ? ES_READONLY : 0), WS_EX_CLIENTEDGE,
                left, top, width, height);
    SetTabOrder(tabOrder);
}

void TEdit::SetCueText(const std::string &text) {
    if (Handle) SendMessageW(Handle, EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

TMemo::TMemo(TControl &parent, int left, int top, int width, int height, bool readOnly, int tabOrder)
    : TControl(TControlKind::Memo, &parent), readOnly_(readOnly) {
    CreateBox(left, top, width, height);
    SetTabOrder(tabOrder);
}

void TMemo::CreateBox(int left, int top, int width, int height) {
    const DWORD wrap = wordWrap_ ? 0 : ES_AUTOHSCROLL;
    CreateChild(
        L"Edit", "",
        WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | wrap | (readOnly_ ? ES_READONLY : 0),
        WS_EX_CLIENTEDGE, left, top, width, height);
}

namespace {

bool HasLongParagraph(const std::wstring &text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        if (end - start > TMemo::LongParagraph) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

void TMemo::SetText(const std::string &text) {
    const std::wstring wide = Wide(text);
    const bool wrap = !HasLongParagraph(wide);
    if (Handle && wrap != wordWrap_) {
        // The edit control takes its wrapping at creation only: a new window
        // in the same place, tab order and state. Whoever had taken over the
        // old one hears of its end and of the new one.
        const RECT bounds = BoundsRect();
        const bool visible = (GetWindowLongW(Handle, GWL_STYLE) & WS_VISIBLE) != 0;
        DestroyHandle();
        wordWrap_ = wrap;
        CreateBox(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
        SetVisible(visible);
        SetTabOrder(TabOrder());
    }
    if (Handle) SetWindowTextW(Handle, wide.c_str());
}

TLabel::TLabel(TControl &parent, int left, int top, int width, int height, const std::string &caption)
    : TControl(TControlKind::Label, &parent) {
    CreateChild(L"Static", caption, WS_VISIBLE | SS_LEFT, 0, left, top, width, height);
}

void TLabel::SetTransparent(bool transparent) {
    transparent_ = transparent;
    if (Handle) InvalidateRect(Handle, nullptr, TRUE);
}

TButton::TButton(TControl &parent, int left, int top, int width, int height, const std::string &caption, int tabOrder)
    : TControl(TControlKind::Button, &parent) {
    CreateChild(L"Button", caption, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, left, top, width, height);
    SetTabOrder(tabOrder);
}

TLink::TLink(TControl &parent, int left, int top, int width, int height, const std::string &caption,
             const std::string &url, int tabOrder)
    : TControl(TControlKind::Link, &parent), url_(url) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LINK_CLASS};
    InitCommonControlsEx(&icc);
    // The markup names the address; the caption is what shows. The address
    // is ours, made of digits, signs and a fixed text: no quote to escape.
    CreateChild(WC_LINK, "<a href=\"" + url + "\">" + caption + "</a>", WS_VISIBLE | WS_TABSTOP | LWS_TRANSPARENT, 0,
                left, top, width, height);
    SetTabOrder(tabOrder);
}

TImage::TImage(TControl &parent, int left, int top, int width, int height) : TControl(TControlKind::Image, &parent) {
    CreateChild(L"Static", "", SS_BITMAP | SS_CENTERIMAGE, 0, left, top, width, height);
}

void TImage::SetPicture(TBitmapHandle picture) {
    // The control gives back the bitmap it showed; it is ours, as is the new one.
    SendMessageW(Handle, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.Get()));
    picture_ = std::move(picture);
}

}  // namespace ui
