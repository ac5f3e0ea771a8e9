// The dialog on a desktop without visual styles: asking for them changes not
// one pixel. uxtheme reads whether a theme is active once, when a process
// starts, so these tests run in a prefix whose theme was switched off before
// (scripts/test-windows.sh runs them apart, under the label theme_off).
#include <gtest/gtest.h>

#include <windows.h>

#include <uxtheme.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "DialogFixture.h"
#include "ScreenPixels.h"

using namespace drive;

namespace {

// The dialog's client area as shown on the screen, 32 bits a pixel.
std::vector<uint32_t> ClientPixels(HWND form) {
    RECT r = ClientRect(form);
    MapWindowPoints(form, nullptr, reinterpret_cast<POINT *>(&r), 2);
    return ScreenPixels(r);
}

// The picture once painted anew from scratch and settled.
std::vector<uint32_t> SettledPixels(HWND form) {
    RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Settled: the same pixels in five snapshots in a row, 20 ms apart, so
    // that a paint a busy machine delays is not taken for the last one.
    std::vector<uint32_t> last = ClientPixels(form);
    int same = 0;
    WaitFor([&] {
        std::vector<uint32_t> now = ClientPixels(form);
        same = now == last ? same + 1 : 0;
        last = std::move(now);
        return same >= 5;
    });
    return last;
}

}  // namespace

TEST_F(DialogTest, WithTheThemeOffAskingForVisualStylesChangesNoPixelOfAnyPage) {
    if (IsThemeActive()) {
        // The test script switches the theme off for this test: then a
        // theme still on is a failure, not a reason to skip.
        if (std::getenv("EXIFVIEW_THEME_OFF")) FAIL() << "the prefix's theme is still on";
        GTEST_SKIP() << "runs only in a prefix whose theme is off";
    }
    const std::string file = WriteCraftedJpeg("crafted-iptc-xmp.jpg", 3, 1, "Hello", true, XmpPacket());
    SetCursorPos(0, 0);                 // nothing hot under the mouse
    std::vector<uint32_t> pages[2][3];  // [visual styles][page]
    for (int styles : {0, 1}) {
        host->VisualStyles = styles;
        Show(file, [&](const Controls &c) {
            ASSERT_TRUE(WaitFor([&] { return FocusIn(c.form) == c.ok; }));
            pages[styles][0] = SettledPixels(c.form);
            SendMessageA(c.tab, TCM_SETCURFOCUS, 1, 0);
            ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(c.iptcPage) != FALSE; }));
            pages[styles][1] = SettledPixels(c.form);
            SendMessageA(c.tab, TCM_SETCURFOCUS, 2, 0);
            ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(c.xmpPage) != FALSE; }));
            pages[styles][2] = SettledPixels(c.form);
            // Taken over all the same: the procedures pass everything on.
            EXPECT_EQ(host->WindowsWithLibraryProc(c.form).empty(), styles == 0);
        });
        EXPECT_EQ(host->ManagerFreedMessages, styles);
    }
    for (int page : {0, 1, 2}) {
        ASSERT_FALSE(pages[0][page].empty());
        EXPECT_TRUE(pages[0][page] == pages[1][page]) << "page " << page;
    }
}
