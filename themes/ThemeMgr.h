// The visual-style manager: when the host asks for visual styles, it takes
// over one form and its controls, putting its own window procedure, chosen by
// control class, in front of each control's. That procedure draws page
// backgrounds and client edges with the visual-style services and passes
// everything else on; while visual styles are not in force it passes
// everything on unchanged. Freeing the manager gives every control its
// previous procedure back.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ui/Application.h"
#include "ui/Controls.h"

enum TThemeOption {
    toAllowNonClientArea,
    toAllowControls,
    toAllowWebContent,
    toSubclassAnimate,
    toSubclassButtons,
    toSubclassCheckListbox,
    toSubclassDBLookup,
    toSubclassFrame,
    toSubclassGroupBox,
    toSubclassListView,
    toSubclassPanel,
    toSubclassTabSheet,
    toSubclassSpeedButtons,
    toSubclassStatusBar,
    toSubclassTrackBar,
    toSubclassWinControl,
    toResetMouseCapture,
    toSetTransparency,
    toAlternateTabSheetDraw,
};
// Bit n for member n.
using TThemeOptions = uint32_t;
constexpr TThemeOptions ThemeOption(TThemeOption o) {
    return TThemeOptions{1} << o;
}
// Every member up to toSetTransparency except toSubclassAnimate.
constexpr TThemeOptions DefaultThemeOptions = 0x3FFF7;

// Asked of a control before it is taken over: a non-zero answer refuses.
constexpr UINT CM_DENYSUBCLASSING = 47056;
// Sent to the application's main window when the active manager goes.
constexpr UINT CM_THEMEMANAGERFREED = 48306;

// The control classes, one window-procedure list each, in the order in
// which a manager creates its lists.
enum class TControlClass {
    ListView,
    TabSheet,
    GroupBox,
    Button,
    SpeedButton,
    TrackBar,
    Animate,
    StatusBar,
    CheckListBox,
    Form,
    Frame,
    Panel,
    WinControl,
};
constexpr size_t ControlClassCount = 13;

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

class TThemeManager;

// The controls of one class that a manager has taken over, each with the
// window procedure it had before.
class TWindowProcList {
public:
    TWindowProcList(TThemeManager &owner, TControlClass controlClass);
    ~TWindowProcList();
    TWindowProcList(const TWindowProcList &) = delete;
    TWindowProcList &operator=(const TWindowProcList &) = delete;

    TControlClass ControlClass() const { return class_; }
    int Count() const { return static_cast<int>(entries_.size()); }
    // The controls held, in the list's present order.
    std::vector<ui::TControl *> Controls() const;

    // Installs the list's procedure on a control of its class that it does
    // not hold yet; the new index, or -1.
    int Attach(ui::TControl &control);
    int Find(const ui::TControl *control);
    // Gives the control its previous procedure back, and detaches its
    // windowed descendants from their lists.
    void Detach(ui::TControl &control);
    // Passes a message on to the control's previous procedure; a control
    // whose window goes is detached.
    LRESULT Dispatch(ui::TControl &control, HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    void Clear();

private:
    struct TEntry {
        ui::TControl *Control;
        HWND Window;
        LONG_PTR PreviousProc;
        bool Unicode;
    };
    void Restore(const TEntry &entry);

    TThemeManager &owner_;
    TControlClass class_;
    std::vector<TEntry> entries_;
    bool sorted_ = true;
    const ui::TControl *cachedControl_ = nullptr;
    int cachedIndex_ = -1;
};

class TThemeManager {
public:
    explicit TThemeManager(ui::TApplication &owner);
    ~TThemeManager();
    TThemeManager(const TThemeManager &) = delete;
    TThemeManager &operator=(const TThemeManager &) = delete;

    TThemeOptions Options = DefaultThemeOptions;
    bool HasOption(TThemeOption o) const { return (Options & ThemeOption(o)) != 0; }
    bool SubclassingDisabled() const { return subclassingDisabled_; }

    // Unassigned in this library: everything allowed, nothing handled.
    std::function<void(TThemeManager &, ui::TControl &, bool &allow)> OnAllowSubclassing;
    std::function<void(TThemeManager &, ui::TControl &, TMessage &, bool &handled)> OnControlMessage;
    std::function<void(TThemeManager &)> OnThemeChange;

    void TakeOverForm(ui::TForm &form);
    void TakeOverChildren(ui::TControl *parent);
    void RegisterControl(ui::TControl &control, bool attach);
    void AdjustChildControls(ui::TControl &parent);

    const TWindowProcList &List(TControlClass c) const { return *lists_[static_cast<size_t>(c)]; }
    // A message for a control of a list, from the procedure installed on it.
    LRESULT ListMessage(TControlClass list, ui::TControl &control, HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

private:
    TWindowProcList &ListOf(TControlClass c) { return *lists_[static_cast<size_t>(c)]; }
    bool TabSheetMessage(HWND wnd, TMessage &m);
    bool WinControlMessage(TControlClass list, ui::TControl &control, HWND wnd, TMessage &m);
    bool ButtonMessage(ui::TControl &control, TMessage &m);

    ui::TApplication &owner_;
    bool subclassingDisabled_ = false;
    std::array<std::unique_ptr<TWindowProcList>, ControlClassCount> lists_;
};

// The manager that taken-over controls dispatch to; null when none.
TThemeManager *ActiveThemeManager();
