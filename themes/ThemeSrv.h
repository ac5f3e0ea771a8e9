// The visual-style services: whether the platform's visual styles are in
// force for this library's windows, one open theme handle per element class,
// and the few themed drawing operations the visual-style manager uses. One
// shared instance serves the library; it watches the application's main
// window for theme changes.
#pragma once

#include <windows.h>

#include <uxtheme.h>

#include <array>
#include <functional>
#include <memory>
#include <span>

#include "themes/TmSchema.h"

enum class TThemedElement {
    teButton,
    teClock,
    teComboBox,
    teEdit,
    teExplorerBar,
    teHeader,
    teListView,
    teMenu,
    tePage,
    teProgress,
    teRebar,
    teScrollBar,
    teSpin,
    teStartPanel,
    teStatus,
    teTab,
    teTaskBand,
    teTaskBar,
    teToolBar,
    teToolTip,
    teTrackBar,
    teTrayNotify,
    teTreeview,
    teWindow,
};
constexpr int ThemedElementCount = 24;

// The triple every drawing call takes.
struct TThemedElementDetails {
    TThemedElement Element;
    int Part;
    int State;
};

// An element value of a class (see TmSchema.h) as its part and state.
TThemedElementDetails ElementDetails(TThemedElement element, std::span<const tmschema::TPartRange> parts, int value);

// The platform behind the services: uxtheme.dll, loaded at run time, and the
// facts that decide whether visual styles are in force. Tests replace the
// facts by deriving from TSystemThemePlatform.
class TThemePlatform {
public:
    virtual ~TThemePlatform() = default;
    virtual bool LibraryLoaded() const = 0;
    virtual bool IsAppThemed() const = 0;
    virtual bool IsThemeActive() const = 0;
    virtual DWORD GetThemeAppProperties() const = 0;
    // Major version in the high word, minor in the low word, of the common
    // controls that this library's windows use.
    virtual DWORD CommonControlsVersion() const = 0;

    virtual HTHEME OpenThemeData(HWND wnd, LPCWSTR classList) const = 0;
    virtual void CloseThemeData(HTHEME theme) const = 0;
    virtual HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT *rect,
                                        const RECT *clip) const = 0;
    virtual HRESULT DrawThemeParentBackground(HWND wnd, HDC dc, const RECT *rect) const = 0;
    virtual HRESULT EnableThemeDialogTexture(HWND wnd, DWORD flags) const = 0;
};

// The real platform. A missing uxtheme.dll or a missing function in it
// leaves the library unloaded: every fact is then false and every drawing
// call does nothing.
class TSystemThemePlatform : public TThemePlatform {
public:
    TSystemThemePlatform();
    ~TSystemThemePlatform() override;
    TSystemThemePlatform(const TSystemThemePlatform &) = delete;
    TSystemThemePlatform &operator=(const TSystemThemePlatform &) = delete;

    bool LibraryLoaded() const override { return module_ != nullptr; }
    bool IsAppThemed() const override;
    bool IsThemeActive() const override;
    DWORD GetThemeAppProperties() const override;
    DWORD CommonControlsVersion() const override;
    HTHEME OpenThemeData(HWND wnd, LPCWSTR classList) const override;
    void CloseThemeData(HTHEME theme) const override;
    HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT *rect,
                                const RECT *clip) const override;
    HRESULT DrawThemeParentBackground(HWND wnd, HDC dc, const RECT *rect) const override;
    HRESULT EnableThemeDialogTexture(HWND wnd, DWORD flags) const override;

private:
    struct TFunctions;
    HMODULE module_ = nullptr;
    std::unique_ptr<TFunctions> fn_;
};

class TThemeServices {
public:
    // Records `window` and, when it is not null, watches it to follow theme
    // changes (see ThemeSrv.cpp); then reads the theme state from `platform`.
    TThemeServices(HWND window, std::unique_ptr<TThemePlatform> platform);
    ~TThemeServices();
    TThemeServices(const TThemeServices &) = delete;
    TThemeServices &operator=(const TThemeServices &) = delete;

    bool ThemesAvailable() const { return libraryLoaded_; }
    // Styles in use and themed controls allowed.
    bool VisualStylesActive() const { return libraryLoaded_ && stylesInUse_ && controlsAllowed_; }
    void RefreshThemeState();
    // The class's theme handle, opened on first request; null while visual
    // styles are not in use.
    HTHEME Theme(TThemedElement element);

    void DrawElement(HDC dc, const TThemedElementDetails &details, const RECT &rect, const RECT *clip = nullptr);
    HRESULT DrawParentBackground(HWND wnd, HDC dc, const RECT *rect);
    HRESULT EnableDialogTexture(HWND wnd, DWORD flags);
    // Redraws the two-pixel client edge of a control that has one with the
    // edit class's text-field element; with `eraseCorner`, also the square
    // between its two scroll bars in the button-face colour.
    void PaintThemedBorder(HWND control, bool eraseCorner);

    HWND Window() const { return window_; }
    bool WindowSubclassed() const { return subclassed_; }

    // Runs after a theme change on the watched window; unassigned here.
    std::function<void()> OnThemeChange;

private:
    // The watched window's procedure, one per character set (see
    // ThemeSrv.cpp): every instance watching a window hears its messages.
    static LRESULT CALLBACK WatchProcA(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK WatchProcW(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT WatchMessage(bool unicode, HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    void RemoveSubclass();
    void CloseThemes();

    HWND window_;
    bool subclassed_ = false;
    std::unique_ptr<TThemePlatform> platform_;
    std::array<HTHEME, ThemedElementCount> themes_{};
    bool libraryLoaded_ = false;
    bool stylesInUse_ = false;
    bool controlsAllowed_ = false;
};

// The library's instance, made on first use with the application object's
// main window.
TThemeServices &SharedThemeServices();
// Frees the shared instance, giving the watched window its procedure back;
// run at the end of each run of the plug-in and when the library unloads, so
// that no window keeps a procedure of the library between runs or after it.
void FreeSharedThemeServices();
