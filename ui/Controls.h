// The control hierarchy of the user-interface layer: a form and the controls
// on it, each the owner of one window of a standard class, linked to its
// parent and its children and tagged with its kind. Events are plain function
// objects that the form that builds the controls fills in. Windows are
// Unicode ones; every text taken or given here is UTF-8.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/Application.h"
#include "ui/Handles.h"

namespace ui {

enum class TControlKind { Form, PageControl, TabSheet, TextGrid, Edit, Memo, Label, Button, Link, Image };

// Sent to a form's window when a control is added to it (after the control's
// window is made) or removed from it (before its window goes): WPARAM the
// control's address, LPARAM non-zero when added. Whoever stands in front of
// the form's procedure can follow its controls.
constexpr UINT CM_CONTROLLISTCHANGE = 0xB044;

class TForm;
class TPageControl;
class TTextGrid;

// Base of every control. No virtual functions anywhere in the hierarchy, so
// that `Handle` is the first thing in every control object, forms included:
// a host that receives a form's address reads the form's window handle from
// its first four bytes (see TForm).
class TControl {
public:
    // The control's window; null before creation and after destruction.
    HWND Handle = nullptr;

    TControl(const TControl &) = delete;
    TControl &operator=(const TControl &) = delete;

    TControlKind Kind() const { return kind_; }
    TControl *Parent() const { return parent_; }
    const std::vector<TControl *> &Controls() const { return controls_; }
    // The form this control sits on (the form itself for a form).
    TForm *Form();

    std::string Text() const;
    void SetText(const std::string &text);
    bool Visible() const;
    void SetVisible(bool visible);
    void SetFocus();
    // Left, top, width and height of the window, relative to the client area
    // of the parent window (the screen for a form).
    RECT BoundsRect() const;
    // Moves and sizes the window in its parent's client area.
    void SetBounds(int left, int top, int width, int height);

    // This control or one below it whose window is `wnd`, or null.
    TControl *FindControl(HWND wnd);
    // The name a screen reader gives the control, when not the platform's
    // own (its label or its text).
    void SetAccessibleName(const std::string &name);

protected:
    TControl(TControlKind kind, TControl *parent);
    ~TControl();
    // Creates the window as a child of the parent's window, at a position in
    // the parent's client area, with the form's font, and hooks the keyboard.
    void CreateChild(const wchar_t *className, const std::string &text, DWORD style, DWORD exStyle, int left, int top,
                     int width, int height);
    void DestroyHandle();
    // Places the window among its siblings by tab order: the window manager
    // moves the focus through siblings in their z-order.
    void SetTabOrder(int tabOrder);

public:
    int TabOrder() const { return tabOrder_; }
    // A visible, enabled control with a tab order.
    bool IsTabStop() const;

private:
    friend class TForm;
    static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
    LRESULT ChildMessage(UINT msg, WPARAM wp, LPARAM lp);
    bool SwitchPageByKey(WPARAM key);

    TControlKind kind_;
    TControl *parent_;
    std::vector<TControl *> controls_;
    int previewedKey_ = 0;  // Escape or Enter already previewed at key-down
    std::wstring accessibleName_;
    int tabOrder_ = -1;  // -1: not a tab stop
};

// A top-level form: dialog border that sizes, button-face background, owned
// by the application object's main window. Closing hides it, which ends a modal
// display; the owner of the object frees it.
//
// Modal display by a host (which needs no knowledge of C++): the first four
// bytes of the object are the form's HWND. Disable the owner window, show the
// HWND, dispatch messages (GetMessage, TranslateMessage, DispatchMessage)
// while IsWindow(hwnd) && IsWindowVisible(hwnd), then re-enable the owner.
// Closing posts WM_NULL so that a loop waiting in GetMessage wakes up.
class TForm : public TControl {
public:
    // A hidden form at `left`, `top` on the screen with a client area of the
    // given size, in the given font (character height in pixels as
    // CreateFont takes it), both at 96 dots per inch. Where the system can
    // make the form's thread aware of each monitor's resolution (Windows 10
    // 1607 and later), the form is, for its life: it is scaled to its
    // monitor's resolution, and again when it moves to another monitor.
    // Elsewhere it stays at 96 dpi, in the pixels the system gives it.
    TForm(TApplication &owner, const std::string &caption, int left, int top, int clientWidth, int clientHeight,
          const char *fontName, int fontHeight);
    ~TForm();

    void SetClientBounds(int left, int top, int clientWidth, int clientHeight);
    // The smallest client area the user can size the form to, at 96 dpi.
    void SetMinClientSize(int clientWidth, int clientHeight);
    // Runs when the client area changes size, with its new size.
    std::function<void(int clientWidth, int clientHeight)> OnResize;
    // Sees every key pressed in a control of the form before the control
    // does (the virtual key of WM_KEYDOWN, or WM_SYSKEYDOWN with Alt held);
    // true takes the key. A key it
    // takes gives no character afterwards.
    std::function<bool(TControl &control, WPARAM key)> OnShortcut;
    // A context menu asked for on a control (right click, Shift+F10, the
    // menu key): `at` is in screen coordinates, (-1, -1) from the keyboard.
    std::function<void(TControl &control, POINT at)> OnContextMenu;
    void SetFont(const char *faceName, int height);
    HFONT Font() const { return font_.Get(); }
    // The resolution the form is laid out for.
    int Dpi() const { return dpi_; }
    int Scaled(int length) const { return MulDiv(length, dpi_, 96); }

    // The control that gets the focus whenever the form is activated.
    TControl *ActiveControl() const { return activeControl_; }
    void SetActiveControl(TControl *control);

    // With key preview on, OnKeyPress sees every character typed in any
    // control of the form before that control does (a UTF-16 unit); setting
    // it to 0 swallows it.
    bool KeyPreview = false;
    std::function<void(wchar_t &key)> OnKeyPress;

    void Close();

    // The page control whose pages Ctrl+Tab and Ctrl+Shift+Tab switch.
    TPageControl *PageControl() const;
    // The tab stop after (or before) `from` in the keyboard's cycle: the
    // form's controls in tab order, a page control followed by the tab
    // stops of its active page.
    TControl *NextTabStop(TControl *from, bool back);

protected:
    // Destroys the window and its children's windows at once, with no
    // message reaching this object meanwhile; a derived form calls it first
    // thing in its destructor, while all its controls still exist.
    void DestroyForm();

private:
    friend class TControl;
    friend class TTabSheet;
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT FormMessage(UINT msg, WPARAM wp, LPARAM lp);
    // Messages that child controls send to their parent window, whichever
    // window of the form that parent is.
    bool ControlMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT &result);
    void KeyPress(wchar_t &key);

    void DpiChanged(int dpi, const RECT &suggested);
    void EnterDpiAwareness();
    void LeaveDpiAwareness();

    TFontHandle font_;
    std::string fontName_;
    int fontHeight_ = 0;  // at 96 dpi
    TControl *activeControl_ = nullptr;
    SIZE minClient_{0, 0};
    int dpi_ = 96;
    HANDLE previousDpiContext_ = nullptr;  // the thread's before the form, when changed
};

class TTabSheet;

// A tab control whose tabs are its visible pages.
class TPageControl : public TControl {
public:
    TPageControl(TControl &parent, int left, int top, int width, int height, int tabOrder);
    TTabSheet *ActivePage() const { return activePage_; }
    void SetActivePage(TTabSheet *page);
    // The pages whose tabs are shown, in tab order.
    std::vector<TTabSheet *> VisiblePages() const;
    // Activates the next (or previous) visible page, wrapping around when
    // `wrap` is set, as clicking its tab does; false when nothing changed.
    bool SelectNextPage(bool forward, bool wrap);
    // Fits the pages to the control's display area after it changes size.
    void PlacePages();

private:
    friend class TTabSheet;
    friend class TForm;
    void UpdateTabs();
    void TabChanged();

    TTabSheet *activePage_ = nullptr;
};

class TTabSheet : public TControl {
public:
    TTabSheet(TPageControl &pageControl, const std::string &caption);
    bool TabVisible() const { return tabVisible_; }
    // Hiding a page removes its tab; the first remaining page becomes active.
    void SetTabVisible(bool visible);
    const std::string &Caption() const { return caption_; }

private:
    friend class TForm;
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    std::string caption_;
    bool tabVisible_ = true;
};

struct TGridDrawState {
    bool Selected = false;
    bool Focused = false;
    bool Odd = false;  // an odd line of those shown
};

// A grid of text cells: a report list view without a header whose rows are
// owner-drawn and whose texts live here, never in the control. Whole rows are
// selected (ranges allowed); cells are not editable. Row 0 is the current row
// after the row count is set. A filter shows some rows only: rows keep their
// numbers, the list view's items are the rows shown, in order.
class TTextGrid : public TControl {
public:
    TTextGrid(TControl &parent, int left, int top, int width, int height, int tabOrder);

    int ColCount() const { return colCount_; }
    void SetColCount(int count);
    int RowCount() const { return static_cast<int>(cells_.size()); }
    // Fewer than one row gives one empty row.
    void SetRowCount(int count);
    const std::string &Cell(int col, int row) const;
    void SetCell(int col, int row, const std::string &text);
    // The cell's text as the grid shows it (to the eye, and to whoever asks
    // the list view): each control character, a line break included, as ".".
    std::wstring ShownCell(int col, int row) const;
    int ColWidth(int col) const;
    void SetColWidth(int col, int width);
    // The current row: the one last selected (0 after a change of row count).
    int Row() const { return row_; }
    void SelectRow(int row);
    // The DC to paint on, while OnDrawCell runs.
    HDC Canvas() const { return canvas_; }

    // Shows only the rows for which `keep` holds; an empty function shows
    // every row again.
    void SetFilter(const std::function<bool(int row)> &keep);
    int ShownCount() const { return static_cast<int>(shown_.size()); }
    // The rows selected, among those shown, in order.
    std::vector<int> SelectedRows() const;
    void SelectAll();
    // The row shown at a list view item, and the item that shows a row (-1
    // when the filter hides it).
    int RowAt(int item) const;
    int ItemOf(int row) const;

    static constexpr int DefaultColWidth = 150;
    static constexpr int DefaultRowHeight = 18;

    // Paints one cell; without it cells stay blank.
    std::function<void(TTextGrid &grid, int col, int row, const RECT &rect, TGridDrawState state)> OnDrawCell;
    // Runs when a row becomes current.
    std::function<void(TTextGrid &grid, int col, int row, bool &canSelect)> OnSelectCell;
    // A double click on a row.
    std::function<void(TTextGrid &grid, int row)> OnOpenRow;
    // The text of the tooltip of a row the mouse rests on; empty: none.
    std::function<std::string(TTextGrid &grid, int row)> OnRowTip;

private:
    friend class TForm;
    bool Notify(NMHDR *hdr, LRESULT &result);
    void DrawItem(const DRAWITEMSTRUCT &item);

    void ShowAllRows();

    int colCount_ = 0;
    int row_ = 0;
    HDC canvas_ = nullptr;
    std::vector<std::vector<std::string>> cells_;
    std::vector<int> shown_;  // the row of each list view item
};

class TEdit : public TControl {
public:
    TEdit(TControl &parent, int left, int top, int width, int height, int tabOrder, bool readOnly = false);
    // The grey text an empty box shows (common controls version 6 only).
    void SetCueText(const std::string &text);
    // Runs after the text changed.
    std::function<void()> OnChange;
};

// A multi-line text box, word-wrapped, without scroll bars. A text with a
// paragraph longer than LongParagraph characters (UTF-16 units, what the
// control measures) is shown unwrapped instead (its lines
// scroll sideways with the caret): the platform's edit control wraps a
// paragraph by measuring all of the rest of it once per wrapped line, which
// makes a long one cost time in the square of its length (a quarter of a
// megabyte took minutes).
class TMemo : public TControl {
public:
    TMemo(TControl &parent, int left, int top, int width, int height, bool readOnly, int tabOrder);
    bool ReadOnly() const { return readOnly_; }
    bool WordWrap() const { return wordWrap_; }
    // Sets the whole text in one call, unwrapping the box first when the
    // text needs it (and wrapping it again for a text that does not).
    void SetText(const std::string &text);

    static constexpr size_t LongParagraph = 1024;

private:
    void CreateBox(int left, int top, int width, int height);

    bool readOnly_;
    bool wordWrap_ = true;
};

class TLabel : public TControl {
public:
    TLabel(TControl &parent, int left, int top, int width, int height, const std::string &caption);
    // A transparent label draws only its text, over its parent's surface.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);

private:
    bool transparent_ = false;
};

class TButton : public TControl {
public:
    TButton(TControl &parent, int left, int top, int width, int height, const std::string &caption, int tabOrder);
    std::function<void()> OnClick;
};

// A link (SysLink, common controls version 6 only): a text with one link
// to an address, which OnClick opens.
class TLink : public TControl {
public:
    TLink(TControl &parent, int left, int top, int width, int height, const std::string &caption,
          const std::string &url, int tabOrder);
    const std::string &Url() const { return url_; }
    std::function<void()> OnClick;

private:
    std::string url_;
};

// A picture, centred in the control's rectangle; the control keeps the
// bitmap it is given for as long as it shows it.
class TImage : public TControl {
public:
    TImage(TControl &parent, int left, int top, int width, int height);
    void SetPicture(TBitmapHandle picture);
    HBITMAP Picture() const { return picture_.Get(); }

private:
    TBitmapHandle picture_;
};

}  // namespace ui
