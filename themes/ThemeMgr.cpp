#include "themes/ThemeMgr.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "themes/ThemeSrv.h"
#include "ui/Handles.h"

// How the manager's procedure meets the user-interface layer's own
// subclassing. Every control of the layer is subclassed at creation through
// the common controls' SetWindowSubclass (keyboard handling, key preview);
// the manager comes later and replaces the window's procedure, so a message
// runs, outermost first:
//   manager's list procedure -> common-controls subclass stub -> the layer's
//   keyboard procedure -> the class's own procedure.
// The manager thus sees a key before the layer moves the focus on it, and
// detaching puts back exactly the stub it found, which the layer removes in
// its turn when the window goes.

namespace {

// Window properties of a taken-over window: the control, and the procedure
// that the manager's procedure stands in front of (for a message that comes
// while no manager holds the window any more).
constexpr const wchar_t *ControlProp = L"ExifView.ThemeControl";
constexpr const wchar_t *PreviousProcProp = L"ExifView.ThemePreviousProc";

class TLock {
public:
    TLock() { InitializeCriticalSection(&section_); }
    ~TLock() { DeleteCriticalSection(&section_); }
    TLock(const TLock &) = delete;
    TLock &operator=(const TLock &) = delete;
    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

class TLocked {
public:
    explicit TLocked(TLock &lock) : lock_(lock) { lock_.Enter(); }
    ~TLocked() { lock_.Leave(); }
    TLocked(const TLocked &) = delete;
    TLocked &operator=(const TLocked &) = delete;

private:
    TLock &lock_;
};

// Made when the module initialises, freed when it finalises.
TLock managerLock;
TThemeManager *activeManager = nullptr;

// A label draws on its parent's surface: it counts as a control without a
// window of its own, which is never taken over.
bool IsWindowed(const ui::TControl &c) {
    return c.Kind() != ui::TControlKind::Label && c.Handle != nullptr;
}

constexpr int AlwaysAllowed = -1;

// The class tests in the order RegisterControl tries them; the layer's
// kinds have no speed buttons, group boxes, panels, frames, list views
// (its grids are grids), track bars, check list boxes, status bars or
// animations, whose tests never pass.
struct TClassTest {
    TControlClass Class;
    bool (*Passes)(const ui::TControl &);
    int Option;
};

bool Never(const ui::TControl &) {
    return false;
}
bool IsButton(const ui::TControl &c) {
    return c.Kind() == ui::TControlKind::Button;
}
bool IsTabSheet(const ui::TControl &c) {
    return c.Kind() == ui::TControlKind::TabSheet;
}
bool IsForm(const ui::TControl &c) {
    return c.Kind() == ui::TControlKind::Form;
}

// clang-format off
constexpr TClassTest ClassTests[] = {
    {TControlClass::Button,       IsButton,   toSubclassButtons},
    {TControlClass::SpeedButton,  Never,      toSubclassSpeedButtons},
    {TControlClass::GroupBox,     Never,      toSubclassGroupBox},
    {TControlClass::TabSheet,     IsTabSheet, toSubclassTabSheet},
    {TControlClass::Panel,        Never,      toSubclassPanel},
    {TControlClass::Frame,        Never,      toSubclassFrame},
    {TControlClass::ListView,     Never,      toSubclassListView},
    {TControlClass::TrackBar,     Never,      toSubclassTrackBar},
    {TControlClass::CheckListBox, Never,      toSubclassCheckListbox},
    {TControlClass::StatusBar,    Never,      toSubclassStatusBar},
    {TControlClass::Animate,      Never,      toSubclassAnimate},
    {TControlClass::Form,         IsForm,     AlwaysAllowed},
    {TControlClass::WinControl,   IsWindowed, toSubclassWinControl},
};
// clang-format on

const TClassTest *ClassTestOf(const ui::TControl &c) {
    for (const TClassTest &test : ClassTests)
        if (test.Passes(c)) return &test;
    return nullptr;
}

LRESULT CallPrevious(LONG_PTR proc, bool unicode, HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    const auto previous = reinterpret_cast<WNDPROC>(proc);
    if (!previous) return unicode ? DefWindowProcW(wnd, msg, wp, lp) : DefWindowProcA(wnd, msg, wp, lp);
    return unicode ? CallWindowProcW(previous, wnd, msg, wp, lp) : CallWindowProcA(previous, wnd, msg, wp, lp);
}

LRESULT ListMessageEntry(TControlClass list, bool unicode, HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        auto *control = static_cast<ui::TControl *>(GetPropW(wnd, ControlProp));
        if (TThemeManager *manager = ActiveThemeManager(); manager && control)
            return manager->ListMessage(list, *control, wnd, msg, wp, lp);
    } catch (...) {
        // Nothing may leave a window procedure: the host would terminate.
        return 0;
    }
    return CallPrevious(reinterpret_cast<LONG_PTR>(GetPropW(wnd, PreviousProcProp)), unicode, wnd, msg, wp, lp);
}

// One procedure per list and character set: a window keeps receiving the
// texts of its own character set.
template <size_t List, bool Unicode>
LRESULT CALLBACK ListWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    return ListMessageEntry(static_cast<TControlClass>(List), Unicode, wnd, msg, wp, lp);
}

template <size_t... I>
constexpr std::array<std::array<WNDPROC, 2>, sizeof...(I)> MakeListProcs(std::index_sequence<I...>) {
    return {{{ListWindowProc<I, false>, ListWindowProc<I, true>}...}};
}

constexpr auto ListProcs = MakeListProcs(std::make_index_sequence<ControlClassCount>());

WNDPROC ListProc(TControlClass list, bool unicode) {
    return ListProcs[static_cast<size_t>(list)][unicode ? 1 : 0];
}

bool IsKeyDown(UINT msg) {
    return msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
}

// Shows the focus rectangle once the keyboard moves the focus, and the
// accelerator underlines once Alt is pressed, even in a form opened with
// the mouse.
void KeyboardCues(ui::TControl &control, WPARAM key) {
    ui::TForm *form = control.Form();
    if (!form || !form->Handle) return;
    WORD flags = 0;
    if (key == VK_TAB || (key >= VK_LEFT && key <= VK_DOWN)) flags = UISF_HIDEFOCUS;
    if (key == VK_MENU) flags = UISF_HIDEACCEL;
    if (flags) SendMessageW(form->Handle, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, flags), 0);
}

}  // namespace

TThemeManager *ActiveThemeManager() {
    const TLocked locked(managerLock);
    return activeManager;
}

// ---------------------------------------------------------------- TWindowProcList

TWindowProcList::TWindowProcList(TThemeManager &owner, TControlClass controlClass)
    : owner_(owner), class_(controlClass) {}

TWindowProcList::~TWindowProcList() {
    Clear();
}

std::vector<ui::TControl *> TWindowProcList::Controls() const {
    std::vector<ui::TControl *> controls;
    for (const TEntry &e : entries_) controls.push_back(e.Control);
    return controls;
}

int TWindowProcList::Attach(ui::TControl &control) {
    const TClassTest *test = ClassTestOf(control);
    if (!test || test->Class != class_ || !control.Handle || Find(&control) >= 0) return -1;
    const HWND wnd = control.Handle;
    const bool unicode = IsWindowUnicode(wnd) != FALSE;
    const LONG_PTR previous = unicode ? GetWindowLongPtrW(wnd, GWLP_WNDPROC) : GetWindowLongPtrA(wnd, GWLP_WNDPROC);
    if (!SetPropW(wnd, ControlProp, &control)) return -1;
    SetPropW(wnd, PreviousProcProp, reinterpret_cast<HANDLE>(previous));
    const auto proc = reinterpret_cast<LONG_PTR>(ListProc(class_, unicode));
    if (unicode)
        SetWindowLongPtrW(wnd, GWLP_WNDPROC, proc);
    else
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, proc);
    entries_.push_back({&control, wnd, previous, unicode});
    sorted_ = false;
    return Count() - 1;
}

int TWindowProcList::Find(const ui::TControl *control) {
    if (control && control == cachedControl_) return cachedIndex_;
    if (!sorted_ && entries_.size() > 1) {
        std::sort(entries_.begin(), entries_.end(), [](const TEntry &a, const TEntry &b) {
            return std::less<const ui::TControl *>()(a.Control, b.Control);
        });
        cachedControl_ = nullptr;
        cachedIndex_ = -1;
    }
    sorted_ = true;
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), control, [](const TEntry &e, const auto *c) {
        return std::less<const ui::TControl *>()(e.Control, c);
    });
    if (at == entries_.end() || at->Control != control) return -1;
    cachedControl_ = control;
    cachedIndex_ = static_cast<int>(at - entries_.begin());
    return cachedIndex_;
}

void TWindowProcList::Restore(const TEntry &entry) {
    const HWND wnd = entry.Window;
    if (!IsWindow(wnd)) return;
    // Whoever stands in front of the manager's procedure now, the window
    // must not keep a procedure of this library.
    if (entry.Unicode)
        SetWindowLongPtrW(wnd, GWLP_WNDPROC, entry.PreviousProc);
    else
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, entry.PreviousProc);
    RemovePropW(wnd, ControlProp);
    RemovePropW(wnd, PreviousProcProp);
}

void TWindowProcList::Detach(ui::TControl &control) {
    const int index = Find(&control);
    if (index < 0) return;
    const TEntry entry = entries_[static_cast<size_t>(index)];
    entries_.erase(entries_.begin() + index);
    if (cachedIndex_ >= index) {
        cachedControl_ = nullptr;
        cachedIndex_ = -1;
    }
    Restore(entry);
    if (!IsWindowed(control)) return;
    for (ui::TControl *child : control.Controls()) owner_.RegisterControl(*child, false);
}

LRESULT TWindowProcList::Dispatch(ui::TControl &control, HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    const int index = Find(&control);
    if (index < 0) {
        // Not (or no longer) held: the window still reaches the procedure it
        // had, never a dropped message that it waits for (WM_NCDESTROY).
        const bool unicode = IsWindowUnicode(wnd) != FALSE;
        return CallPrevious(reinterpret_cast<LONG_PTR>(GetPropW(wnd, PreviousProcProp)), unicode, wnd, msg, wp, lp);
    }
    const TEntry entry = entries_[static_cast<size_t>(index)];
    const LRESULT result = CallPrevious(entry.PreviousProc, entry.Unicode, wnd, msg, wp, lp);
    if (msg == WM_DESTROY) Detach(control);
    return result;
}

void TWindowProcList::Clear() {
    while (!entries_.empty()) Detach(*entries_.front().Control);
}

// ---------------------------------------------------------------- TThemeManager

TThemeManager::TThemeManager(ui::TApplication &owner) : owner_(owner) {
    for (size_t i = 0; i < ControlClassCount; ++i)
        lists_[i] = std::make_unique<TWindowProcList>(*this, static_cast<TControlClass>(i));
    const TLocked locked(managerLock);
    if (!activeManager) {
        activeManager = this;
    } else {
        subclassingDisabled_ = true;
        Options = activeManager->Options;
    }
}

TThemeManager::~TThemeManager() {
    // Every list is emptied while all of them exist: detaching a control
    // detaches its descendants from their own lists.
    for (auto &list : lists_) list->Clear();
    for (auto &list : lists_) list.reset();
    bool wasActive = false;
    {
        const TLocked locked(managerLock);
        wasActive = activeManager == this;
        if (wasActive) activeManager = nullptr;
    }
    if (wasActive && owner_.Handle) SendMessageW(owner_.Handle, CM_THEMEMANAGERFREED, 0, 0);
}

void TThemeManager::TakeOverForm(ui::TForm &form) {
    if (subclassingDisabled_) return;
    ListOf(TControlClass::Form).Attach(form);
    TakeOverChildren(&form);
    if (HasOption(toResetMouseCapture) || HasOption(toSetTransparency)) AdjustChildControls(form);
}

void TThemeManager::TakeOverChildren(ui::TControl *parent) {
    if (subclassingDisabled_) return;
    if (!parent) throw std::invalid_argument("Parent of controls to be collected must be valid.");
    // A copy: taking over may change nothing of the list, but a control
    // freed meanwhile must not invalidate the walk.
    const std::vector<ui::TControl *> children = parent->Controls();
    for (ui::TControl *child : children) {
        RegisterControl(*child, true);
        if (IsWindowed(*child) && !child->Controls().empty()) TakeOverChildren(child);
    }
}

void TThemeManager::RegisterControl(ui::TControl &control, bool attach) {
    // Without the visual-style library only list views are handled.
    if (!SharedThemeServices().ThemesAvailable()) return;
    const TClassTest *test = ClassTestOf(control);
    if (!test) return;
    if (attach && test->Option != AlwaysAllowed && !HasOption(static_cast<TThemeOption>(test->Option))) return;
    TWindowProcList &list = ListOf(test->Class);
    bool allow = attach;
    if (allow && OnAllowSubclassing) OnAllowSubclassing(*this, control, allow);
    if (allow && control.Handle && SendMessageW(control.Handle, CM_DENYSUBCLASSING, 0, 0) == 0) {
        list.Attach(control);
        if (test->Class == TControlClass::Form || test->Class == TControlClass::Frame) TakeOverChildren(&control);
    } else {
        list.Detach(control);
    }
}

void TThemeManager::AdjustChildControls(ui::TControl &parent) {
    TThemeServices &services = SharedThemeServices();
    for (ui::TControl *child : parent.Controls()) {
        if (child->Kind() == ui::TControlKind::Label) {
            if (HasOption(toSetTransparency)) static_cast<ui::TLabel *>(child)->SetTransparent(true);
            continue;
        }
        if (!IsWindowed(*child)) continue;
        if (services.VisualStylesActive())
            services.EnableDialogTexture(child->Handle, tmschema::DialogTextureEnableTab);
        if (!child->Controls().empty()) AdjustChildControls(*child);
    }
}

LRESULT TThemeManager::ListMessage(TControlClass list, ui::TControl &control, HWND wnd, UINT msg, WPARAM wp,
                                   LPARAM lp) {
    if (list == TControlClass::Form && msg == ui::CM_CONTROLLISTCHANGE && wp)
        RegisterControl(*reinterpret_cast<ui::TControl *>(wp), lp != 0);
    TMessage m{msg, wp, lp, 0};
    bool handled = false;
    if (OnControlMessage) OnControlMessage(*this, control, m, handled);
    if (handled) return m.Result;
    if (SharedThemeServices().VisualStylesActive()) {
        bool done = false;
        switch (list) {
            case TControlClass::TabSheet:
                done = TabSheetMessage(wnd, m);
                break;
            case TControlClass::WinControl:
                done = WinControlMessage(list, control, wnd, m);
                break;
            case TControlClass::Button:
                done = ButtonMessage(control, m);
                break;
            default:
                break;
        }
        if (done) return m.Result;
    }
    return ListOf(list).Dispatch(control, wnd, msg, wp, lp);
}

// A page shows its parent's themed surface: the tab control's body.
bool TThemeManager::TabSheetMessage(HWND wnd, TMessage &m) {
    TThemeServices &services = SharedThemeServices();
    switch (m.Msg) {
        case WM_ERASEBKGND:
        case WM_PRINTCLIENT: {
            const auto dc = reinterpret_cast<HDC>(m.WParam);
            if (HasOption(toAlternateTabSheetDraw)) {
                RECT client{};
                GetClientRect(wnd, &client);
                services.DrawElement(dc, ElementDetails(TThemedElement::teTab, tmschema::TabParts, tmschema::TabBody),
                                     client);
            } else {
                services.DrawParentBackground(wnd, dc, nullptr);
            }
            m.Result = 1;
            return true;
        }
        case WM_NCPAINT: {
            // Only the border: the client area is excluded, and the origin
            // moved so that the parent's surface lines up with the client's.
            RECT window{}, client{};
            GetWindowRect(wnd, &window);
            GetClientRect(wnd, &client);
            MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT *>(&client), 2);
            OffsetRect(&client, -window.left, -window.top);
            const ui::TWholeWindowDC dc(wnd);
            if (dc.Get()) {
                ExcludeClipRect(dc.Get(), client.left, client.top, client.right, client.bottom);
                SetViewportOrgEx(dc.Get(), client.left, client.top, nullptr);
                services.DrawParentBackground(wnd, dc.Get(), nullptr);
            }
            m.Result = 0;
            return true;
        }
        default:
            return false;
    }
}

bool TThemeManager::WinControlMessage(TControlClass list, ui::TControl &control, HWND wnd, TMessage &m) {
    if (m.Msg == WM_NCPAINT) {
        m.Result = ListOf(list).Dispatch(control, wnd, m.Msg, m.WParam, m.LParam);
        if (IsWindow(wnd)) SharedThemeServices().PaintThemedBorder(wnd, control.Kind() == ui::TControlKind::TextGrid);
        return true;
    }
    if (IsKeyDown(m.Msg)) KeyboardCues(control, m.WParam);
    return false;
}

bool TThemeManager::ButtonMessage(ui::TControl &control, TMessage &m) {
    if (m.Msg == WM_ERASEBKGND) {
        // The button paints all of itself; erasing first would flicker.
        m.Result = 1;
        return true;
    }
    if (IsKeyDown(m.Msg)) KeyboardCues(control, m.WParam);
    return false;
}
