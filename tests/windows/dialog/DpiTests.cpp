// The dialog on a desktop of 144 dots per inch: every length and the font
// scaled by 1.5, no caption cut, and scaled again when the form hears that
// its monitor changed. The system reads its resolution once, when a
// process starts, so these tests run in a prefix set to 144 dpi before
// (scripts/test-windows.sh runs them apart, under the label dpi144).
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>

#include "DialogFixture.h"

using namespace drive;

namespace {

// The driver reads the dialog's sizes in pixels, as the dialog sets them:
// its thread is as aware of the resolution as the dialog's.
void BecomeDpiAware() {
    using TSetContext = HANDLE(WINAPI *)(HANDLE);
    const auto set = reinterpret_cast<TSetContext>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
    if (set) set(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)));
}

int TextWidthIn(HWND wnd) {
    const std::wstring text = Wide(TextOf(wnd));
    const HDC dc = GetDC(wnd);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(wnd, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(wnd, dc);
    return size.cx;
}

LONG FontHeight(HWND wnd) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf.lfHeight;
}

int Width(const RECT &r) {
    return r.right - r.left;
}

}  // namespace

class DpiTest : public DialogTest {
protected:
    void SetUp() override {
        if (!std::getenv("EXIFVIEW_DPI_144")) GTEST_SKIP() << "needs a prefix set to 144 dpi";
        DialogTest::SetUp();
    }
};

TEST_F(DpiTest, At144DpiEveryLengthAndTheFontAreOneAndAHalfTimesAndNoCaptionIsCut) {
    Show(Sample("BlueSquare.jpg"), [&](const Controls &c) {
        BecomeDpiAware();
        const RECT client = ClientRect(c.form);
        EXPECT_EQ(client.right, MulDiv(450, 144, 96));
        EXPECT_EQ(client.bottom, MulDiv(429, 144, 96));
        for (HWND control : {c.tab, c.exifGrid, c.label, c.memo, c.ok, c.exportButton})
            EXPECT_EQ(FontHeight(control), MulDiv(-11, 144, 96)) << ClassOf(control);
        const RECT grid = BoundsInParent(c.exifGrid), ok = BoundsInParent(c.ok);
        EXPECT_EQ(grid.left, 18);
        EXPECT_EQ(Width(grid), MulDiv(395, 144, 96));
        EXPECT_EQ(ok.left, 540);
        EXPECT_EQ(RowHeight(c.exifGrid), 27);
        EXPECT_EQ(SendMessageW(c.exifGrid, LVM_GETCOLUMNWIDTH, 0, 0), 240);
        // The captions' text fits their controls.
        EXPECT_GE(Width(BoundsInParent(c.label)), TextWidthIn(c.label));
        for (HWND button : {c.ok, c.exportButton}) EXPECT_LT(TextWidthIn(button), Width(BoundsInParent(button)));
        // The smallest size is the default one, scaled.
        SetWindowPos(c.form, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(ClientRect(c.form).right, MulDiv(450, 144, 96));
    });
}

TEST_F(DpiTest, MovedToAMonitorOf96DpiTheDialogTakesItsDefaultLayoutAgain) {
    Show(Sample("BlueSquare.jpg"), [&](const Controls &c) {
        BecomeDpiAware();
        // What the system sends when the window moves to a 96-dpi monitor:
        // the new resolution and the window's rectangle there.
        RECT suggested{};
        GetWindowRect(c.form, &suggested);
        RECT frame{0, 0, 450, 429};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(c.form, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongW(c.form, GWL_EXSTYLE)));
        suggested.right = suggested.left + (frame.right - frame.left);
        suggested.bottom = suggested.top + (frame.bottom - frame.top);
        SendMessageW(c.form, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(FontHeight(c.exifGrid), -11);
        EXPECT_EQ(FontHeight(c.ok), -11);
        const RECT grid = BoundsInParent(c.exifGrid), ok = BoundsInParent(c.ok);
        EXPECT_EQ(grid.left, 12);
        EXPECT_EQ(Width(grid), 395);
        EXPECT_EQ(ok.left, 360);
        EXPECT_EQ(RowHeight(c.exifGrid), 18);
        EXPECT_EQ(SendMessageW(c.exifGrid, LVM_GETCOLUMNWIDTH, 1, 0), 212);
    });
}
