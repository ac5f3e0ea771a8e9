// The dialog with and without visual styles, through the real DLL's Execute
// on wine's default theme (a fresh prefix is themed): which windows the
// manager holds and that it gives them back, the host's main window after
// the library goes, the themed pages, and the keyboard cues.
#include <gtest/gtest.h>

#include <windows.h>

#include <uxtheme.h>

#include <algorithm>
#include <atomic>

#include "DialogFixture.h"

using namespace drive;

namespace {

std::vector<HWND> Sorted(std::vector<HWND> windows) {
    std::sort(windows.begin(), windows.end());
    return windows;
}

// A point of the EXIF page between the label and the right edge, where
// nothing but the page's own surface shows.
COLORREF EmptyPagePixel(const Controls &c) {
    POINT p{200, 278};
    ClientToScreen(c.exifPage, &p);
    return ScreenPixel(p.x, p.y);
}

}  // namespace

class VisualStylesTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        file = WriteCraftedJpeg("crafted-iptc.jpg", 3, 1, "Hello", true);
    }
    std::string file;
};

TEST_F(VisualStylesTest, ManagerHoldsEveryWindowButTheLabelOnlyWhenAskedAndGivesThemBackBeforeItsMessage) {
    std::vector<HWND> held, expected;
    host->VisualStyles = 0;
    Show(file, [&](const Controls &c) { held = host->WindowsWithLibraryProc(c.form); });
    EXPECT_TRUE(held.empty());
    EXPECT_EQ(host->ManagerFreedMessages, 0);

    host->VisualStyles = 1;
    Show(file, [&](const Controls &c) {
        held = host->WindowsWithLibraryProc(c.form);
        expected = {c.form,    c.tab,     c.exifPage, c.iptcPage, c.xmpPage, c.exifGrid,
                    c.memo,    c.iptcGrid, c.edtName, c.memData, c.xmpGrid, c.xmpName,
                    c.xmpData, c.ok,       c.exportButton};
    });
    EXPECT_EQ(Sorted(held), Sorted(expected));
    // Sent once, to the host's main window, when every window had its own
    // procedure back and the dialog was still there.
    EXPECT_EQ(host->ManagerFreedMessages, 1);
    EXPECT_TRUE(host->LibraryProcsAtManagerFreed.empty());
    EXPECT_EQ(result, 1);
}

TEST_F(VisualStylesTest, HostWindowKeepsNoProcedureOfTheLibraryOnceItUnloads) {
    EXPECT_TRUE(host->MainWindowHasItsOwnProc());
    host->VisualStyles = 1;
    // The services watch the host's window for theme changes while a run
    // lasts, with a procedure of the window's own character set: the ANSI
    // window stays ANSI, and its own procedure comes back exactly (read
    // with GetWindowLongPtrA, not a handle standing for it).
    bool watched = false, ansi = false;
    Show(file, [&](const Controls &) {
        watched = !host->MainWindowHasItsOwnProc();
        ansi = !IsWindowUnicode(host->MainWindow());
    });
    EXPECT_TRUE(watched);
    EXPECT_TRUE(ansi);
    EXPECT_TRUE(host->MainWindowHasItsOwnProc());
    EXPECT_FALSE(IsWindowUnicode(host->MainWindow()));
    host->Unload();
    EXPECT_TRUE(host->MainWindowHasItsOwnProc());
    // A procedure of the unloaded library would crash here.
    SendMessageA(host->MainWindow(), WM_THEMECHANGED, 0, 0);
    SendMessageA(host->MainWindow(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("still here"));
    EXPECT_EQ(TextOf(host->MainWindow()), "still here");
}

TEST_F(VisualStylesTest, ThemedPagesShowTheTabControlsSurfaceInsteadOfTheButtonFace) {
    if (!IsThemeActive()) GTEST_SKIP() << "the prefix has no active theme";
    COLORREF plain = CLR_INVALID, themed = CLR_INVALID;
    Show(file, [&](const Controls &c) {
        EXPECT_TRUE(WaitFor([&] { return EmptyPagePixel(c) == GetSysColor(COLOR_BTNFACE); }));
        plain = EmptyPagePixel(c);
    });
    host->VisualStyles = 1;
    Show(file, [&](const Controls &c) {
        EXPECT_TRUE(WaitFor([&] { return EmptyPagePixel(c) != plain; }));
        themed = EmptyPagePixel(c);
        // The label shows the page's surface around its text.
        const RECT label = BoundsInParent(c.label);
        POINT p{label.right - 1, label.top};
        ClientToScreen(c.exifPage, &p);
        EXPECT_EQ(ScreenPixel(p.x, p.y), themed);
    });
    EXPECT_EQ(plain, GetSysColor(COLOR_BTNFACE));
    EXPECT_NE(themed, plain);
}

namespace {

// The cues that reach the dialog: WM_UPDATEUISTATE clearing the hidden
// focus rectangle, seen by a hook on the dialog's thread.
std::atomic<int> focusCuesSeen{0};
HWND cueTarget = nullptr;

LRESULT CALLBACK WatchCues(int code, WPARAM wp, LPARAM lp) {
    const auto *m = reinterpret_cast<const CWPSTRUCT *>(lp);
    if (code == HC_ACTION && m->hwnd == cueTarget && m->message == WM_UPDATEUISTATE && LOWORD(m->wParam) == UIS_CLEAR &&
        (HIWORD(m->wParam) & UISF_HIDEFOCUS))
        ++focusCuesSeen;
    return CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace

TEST_F(VisualStylesTest, TabShowsTheFocusRectangleAlsoInADialogOpenedWithTheMouse) {
    if (!IsThemeActive()) GTEST_SKIP() << "the prefix has no active theme";
    for (int32_t styles : {0, 1}) {
        host->VisualStyles = styles;
        focusCuesSeen = 0;
        Show(file, [&](const Controls &c) {
            ASSERT_TRUE(WaitFor([&] { return FocusIn(c.form) == c.ok; }));
            // What a window opened with the mouse starts with.
            SendMessageA(c.form, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
            cueTarget = c.form;
            const HHOOK hook =
                SetWindowsHookExA(WH_CALLWNDPROC, WatchCues, nullptr, GetWindowThreadProcessId(c.form, nullptr));
            ASSERT_NE(hook, nullptr);
            PostMessageA(c.ok, WM_KEYDOWN, VK_TAB, 0x000F0001);
            EXPECT_TRUE(WaitFor([&] { return FocusIn(c.form) == c.exportButton; }));
            UnhookWindowsHookEx(hook);
        });
        EXPECT_EQ(focusCuesSeen > 0, styles != 0) << "visual styles " << styles;
    }
}
