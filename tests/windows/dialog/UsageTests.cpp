// The dialog as a user works with it beyond reading: sizing it, filtering
// the rows, copying them, reading a whole value and opening the map, each
// driven with real input through the real DLL.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include "DialogFixture.h"

using namespace drive;

namespace {

using Rows_t = std::vector<std::pair<std::string, std::string>>;

std::string ClipboardText() {
    std::string text = "<no text>";
    if (!OpenClipboard(nullptr)) return "<clipboard busy>";
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto *units = static_cast<const wchar_t *>(GlobalLock(data))) {
            text = Utf8(units);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void ClearClipboard() {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    CloseClipboard();
}

void TypeText(HWND box, const std::string &text) {
    for (wchar_t ch : Wide(text)) PostMessageW(box, WM_CHAR, ch, 1);
}

SIZE ClientSize(HWND wnd) {
    const RECT r = ClientRect(wnd);
    return SIZE{r.right, r.bottom};
}

// Sizes the form's window so that its client area gets the given size.
void SizeClientTo(HWND form, int width, int height) {
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongW(form, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(form, GWL_EXSTYLE)));
    SetWindowPos(form, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
}

void ExpectBounds(HWND wnd, LONG left, LONG top, LONG width, LONG height) {
    const RECT r = BoundsInParent(wnd);
    EXPECT_EQ(r.left, left) << ClassOf(wnd);
    EXPECT_EQ(r.top, top) << ClassOf(wnd);
    EXPECT_EQ(r.right - r.left, width) << ClassOf(wnd);
    EXPECT_EQ(r.bottom - r.top, height) << ClassOf(wnd);
}

std::string Joined(const Rows_t &rows, bool valuesOnly) {
    std::string text;
    for (const auto &r : rows) {
        if (!text.empty()) text += "\r\n";
        text += valuesOnly ? r.second : r.first + "=" + r.second;
    }
    return text;
}

// The EXIF page's thumbnail: its one picture.
HWND ThumbnailOf(HWND page) {
    for (HWND c : Children(page))
        if (ClassOf(c) == "Static" && (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) return c;
    return nullptr;
}

// The page's filter box: the dialog's one single-line box outside the pages.
HWND FindBoxOf(HWND form) {
    return Child(form, "Edit");
}

}  // namespace

class UsageTest : public DialogTest {
protected:
    void TearDown() override {
        DialogTest::TearDown();
        ForgetDialogSize();
    }
    std::string CraftedWithEveryTab() { return WriteCraftedJpeg("crafted-usage.jpg", 3, 1, "", true, XmpPacket()); }
};

// ---------------------------------------------------------------- size

TEST_F(UsageTest, GridsBoxesAndButtonsFollowTheSizeTheUserGivesAndNeverGetSmallerThanTheDefault) {
    Show(CraftedWithEveryTab(), [&](const Controls &c) {
        SizeClientTo(c.form, 450 + 200, 429 + 100);
        ASSERT_EQ(ClientSize(c.form).cx, 650);
        ExpectBounds(c.tab, 12, 12, 426 + 200, 370 + 100);
        ExpectBounds(c.exifGrid, 12, 12, 395 + 200, 250 + 100);
        ExpectBounds(c.memo, 12, 288 + 100, 395 + 200, 41);
        ExpectBounds(c.label, 12, 272 + 100, 50, 13);
        ExpectBounds(c.iptcGrid, 12, 12, 395 + 200, 231 + 100);
        ExpectBounds(c.memData, 12, 280 + 100, 395 + 200, 49);
        ExpectBounds(c.xmpName, 12, 256 + 100, 395 + 200, 21);
        ExpectBounds(c.ok, 360 + 200, 392 + 100, 78, 25);
        ExpectBounds(c.exportButton, 12, 392 + 100, 78, 25);
        EXPECT_EQ(SendMessageW(c.exifGrid, LVM_GETCOLUMNWIDTH, 1, 0), 212 + 200);
        // The page fills the tab control's display area again.
        const RECT page = ClientRect(c.exifPage);
        EXPECT_GT(page.bottom, 370 - 40 + 100);
        SizeClientTo(c.form, 300, 200);
        EXPECT_EQ(ClientSize(c.form).cx, 450);
        EXPECT_EQ(ClientSize(c.form).cy, 429);
        ExpectBounds(c.exifGrid, 12, 12, 395, 250);
        ExpectBounds(c.ok, 360, 392, 78, 25);
        SizeClientTo(c.form, 500, 480);
    });
    // The next run opens at the size the last one closed with.
    Show(Sample("BlueSquare.jpg"), [&](const Controls &c) {
        EXPECT_EQ(ClientSize(c.form).cx, 500);
        EXPECT_EQ(ClientSize(c.form).cy, 480);
        ExpectBounds(c.exifGrid, 12, 12, 395 + 50, 250 + 51);
        SizeClientTo(c.form, 450, 429);
    });
    // Closed at the default size: the default size again.
    Show(Sample("BlueSquare.jpg"), [&](const Controls &c) {
        EXPECT_EQ(ClientSize(c.form).cx, 450);
        EXPECT_EQ(ClientSize(c.form).cy, 429);
    });
}

TEST_F(UsageTest, ARememberedSizeLargerThanTheScreenIsBroughtBackInsideIt) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\ExifView", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    const DWORD huge = 9000;
    RegSetValueExW(key, L"DialogWidth", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&huge), sizeof huge);
    RegSetValueExW(key, L"DialogHeight", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&huge), sizeof huge);
    RegCloseKey(key);
    Show(Sample("BlueSquare.jpg"), [&](const Controls &c) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(c.form, MONITOR_DEFAULTTONEAREST), &monitor);
        RECT w{};
        GetWindowRect(c.form, &w);
        EXPECT_GE(w.left, monitor.rcWork.left);
        EXPECT_GE(w.top, monitor.rcWork.top);
        EXPECT_LE(w.right, monitor.rcWork.right);
        EXPECT_LE(w.bottom, monitor.rcWork.bottom);
        EXPECT_GT(ClientSize(c.form).cx, 450);
        // Ok stays in view, at its distance from the corner.
        const RECT ok = BoundsInParent(c.ok);
        EXPECT_EQ(ClientSize(c.form).cx - ok.right, 450 - 438);
        EXPECT_EQ(ClientSize(c.form).cy - ok.bottom, 429 - 417);
    });
}

// ---------------------------------------------------------------- find

TEST_F(UsageTest, CtrlFFiltersEveryTabByNameOrValueAndEscapeClearsThenCloses) {
    const std::string file = CraftedWithEveryTab();
    Show(file, [&](const Controls &c) {
        const Rows_t exifRows = Rows(c.exifGrid), xmpRows = Rows(c.xmpGrid);
        EXPECT_EQ(FindBoxOf(c.form), nullptr);  // none until asked for
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == c.form; }));
        PressKeys({VK_CONTROL}, 'F');
        ASSERT_TRUE(WaitFor([&] { return FindBoxOf(c.form) && FocusIn(c.form) == FindBoxOf(c.form); }));
        const HWND box = FindBoxOf(c.form);
        wchar_t cue[64] = {};
        SendMessageW(box, EM_GETCUEBANNER, reinterpret_cast<WPARAM>(cue), 64);
        EXPECT_EQ(Utf8(cue), "Find a tag or value");
        TypeText(box, "SEA");
        ASSERT_TRUE(WaitFor([&] { return RowCount(c.iptcGrid) == 1; }));
        EXPECT_EQ(Rows(c.iptcGrid), (Rows_t{Row("Keywords", "sea,sky")}));
        EXPECT_EQ(Rows(c.xmpGrid), (Rows_t{Row("dc:subject", "sea, sky")}));
        EXPECT_EQ(RowCount(c.exifGrid), 0);
        // The IPTC boxes follow the row the filter leaves current.
        EXPECT_EQ(TextOf(c.edtName), "Keywords");
        // By name too.
        SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"scenet"));
        EXPECT_EQ(Rows(c.exifGrid), (Rows_t{Row("SceneType", "Directly Photographed")}));
        PressKeys({}, VK_ESCAPE);
        EXPECT_TRUE(WaitFor([&] { return TextOf(box).empty(); }));
        EXPECT_TRUE(IsWindowVisible(c.form));
        EXPECT_EQ(Rows(c.exifGrid), exifRows);
        EXPECT_EQ(Rows(c.xmpGrid), xmpRows);
        EXPECT_EQ(RowCount(c.iptcGrid), 2);
        PressKeys({}, VK_ESCAPE);
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(c.form); }));
    });
}

TEST_F(UsageTest, F3FromAGridOpensTheFilterWhichTabReachesAfterExport) {
    Show(CraftedWithEveryTab(), [&](const Controls &c) {
        ASSERT_TRUE(WaitFor([&] { return FocusIn(c.form) == c.ok; }));
        PostMessageW(c.exifGrid, WM_KEYDOWN, VK_F3, 1);
        ASSERT_TRUE(WaitFor([&] { return FindBoxOf(c.form) && FocusIn(c.form) == FindBoxOf(c.form); }));
        const HWND box = FindBoxOf(c.form);
        // Between Export and Ok, taking no place of theirs.
        const RECT r = BoundsInParent(box), ok = BoundsInParent(c.ok), exp = BoundsInParent(c.exportButton);
        EXPECT_GT(r.left, exp.right);
        EXPECT_LT(r.right, ok.left);
        EXPECT_GE(r.top, ok.top);
        EXPECT_LE(r.bottom, ok.bottom);
        // Its label names it and gives it its access key.
        const HWND label = Child(c.form, "Static");
        EXPECT_EQ(TextOf(label), "&Find:");
        EXPECT_EQ(GetWindow(label, GW_HWNDNEXT), box);
        PostMessageW(c.ok, WM_KEYDOWN, VK_TAB, 0x000F0001);
        EXPECT_TRUE(WaitFor([&] { return FocusIn(c.form) == c.exportButton; }));
        PostMessageW(c.exportButton, WM_KEYDOWN, VK_TAB, 0x000F0001);
        EXPECT_TRUE(WaitFor([&] { return FocusIn(c.form) == box; }));
    });
}

// ---------------------------------------------------------------- copy

TEST_F(UsageTest, CtrlACtrlCCopiesEveryRowShownAsNameValueLinesInUtf16) {
    using testbytes::Tiff;
    Tiff t;
    const int root = t.Dir({Tiff::Ascii(0x010E, "Grüße aus 東京"), Tiff::Ascii(0x010F, "Canon")});
    testbytes::Jpeg jpeg;
    jpeg.Exif(t.Build(root));
    jpeg.Sof0(64, 48);
    const std::string file = WindowsPath(testbytes::WriteTempFile("copy.jpg", jpeg.Build()));
    ClearClipboard();
    Show(file, [&](const Controls &c) {
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == c.form && FocusIn(c.form) == c.ok; }));
        for (HWND next : {c.exportButton, c.tab, c.exifGrid}) {
            PressKeys({}, VK_TAB);
            ASSERT_TRUE(WaitFor([&] { return FocusIn(c.form) == next; }));
        }
        PressKeys({VK_CONTROL}, 'A');
        PressKeys({VK_CONTROL}, 'C');
        const std::string wanted = Joined(Rows(c.exifGrid), false);
        EXPECT_NE(wanted.find("ImageDescription=Grüße aus 東京\r\nMake=Canon"), std::string::npos);
        EXPECT_TRUE(WaitFor([&] { return ClipboardText() == wanted; })) << ClipboardText();
        // The filter narrows what is there to copy.
        PressKeys({VK_CONTROL}, 'F');
        ASSERT_TRUE(WaitFor([&] { return FindBoxOf(c.form) != nullptr; }));
        SendMessageW(FindBoxOf(c.form), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"東京"));
        ASSERT_EQ(RowCount(c.exifGrid), 1);
        SelectRow(c.exifGrid, 0);
        PostMessageW(c.exifGrid, WM_KEYDOWN, 'C', 1);  // without Ctrl: nothing
        PressKeys({}, VK_TAB);                         // from the filter round to the tab control, then the grid
        PressKeys({}, VK_TAB);
        ASSERT_TRUE(WaitFor([&] { return FocusIn(c.form) == c.exifGrid; })) << ClassOf(FocusIn(c.form));
        PressKeys({VK_CONTROL}, 'C');
        EXPECT_TRUE(WaitFor([&] { return ClipboardText() == "ImageDescription=Grüße aus 東京"; })) << ClipboardText();
    });
}

TEST_F(UsageTest, TheContextMenusCopyValueCopiesTheSelectedRowsValuesOnly) {
    ClearClipboard();
    Show(CraftedWithEveryTab(), [&](const Controls &c) {
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == c.form; }));
        SendMessageW(c.tab, TCM_SETCURFOCUS, 1, 0);
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(c.iptcGrid) != FALSE; }));
        SelectRow(c.iptcGrid, 1);
        // Shift+F10, the menu key and a right click all come as this.
        PostMessageW(c.iptcGrid, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(c.iptcGrid), MAKELPARAM(-1, -1));
        ASSERT_TRUE(WaitFor([&] {
            return FindWindowW(L"#32768", nullptr) != nullptr && IsWindowVisible(FindWindowW(L"#32768", nullptr));
        }));
        PressKeys({}, 'V');  // Copy &value
        EXPECT_TRUE(WaitFor([&] { return ClipboardText() == "sea,sky"; })) << ClipboardText();
        EXPECT_TRUE(IsWindowVisible(c.form));
        // Shift+F10 in the grid with the focus; Escape leaves the menu only.
        ASSERT_TRUE(WaitFor([&] { return FocusIn(c.form) == c.ok; }));
        for (HWND next : {c.exportButton, c.tab, c.iptcGrid}) {
            PressKeys({}, VK_TAB);
            ASSERT_TRUE(WaitFor([&] { return FocusIn(c.form) == next; })) << ClassOf(FocusIn(c.form));
        }
        PressKeys({VK_SHIFT}, VK_F10);
        ASSERT_TRUE(WaitFor([&] {
            return FindWindowW(L"#32768", nullptr) != nullptr && IsWindowVisible(FindWindowW(L"#32768", nullptr));
        }));
        PressKeys({}, VK_ESCAPE);
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(FindWindowW(L"#32768", nullptr)); }));
        EXPECT_TRUE(IsWindowVisible(c.form));
    });
}

// ---------------------------------------------------------------- the whole value

TEST_F(UsageTest, EnterOnARowShowsItsWholeValueInABoxThatEscapeCloses) {
    Show(CraftedWithEveryTab(), [&](const Controls &c) {
        SendMessageW(c.tab, TCM_SETCURFOCUS, 2, 0);
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(c.xmpGrid) != FALSE; }));
        SelectRow(c.xmpGrid, 4);
        PostMessageW(c.xmpGrid, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        const HWND box = FindOwned(c.form, "#32770");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(TextOf(box), "dc:description");
        const HWND edit = Child(box, "Edit");
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(TextOf(edit), "one\r\n\xE6\x97\xA5 two");
        const LONG style = GetWindowLongW(edit, GWL_STYLE);
        EXPECT_EQ(style & (ES_READONLY | ES_MULTILINE | WS_VSCROLL), ES_READONLY | ES_MULTILINE | WS_VSCROLL);
        EXPECT_FALSE(IsWindowEnabled(c.form));  // modal
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == box; }));
        PressKeys({}, VK_ESCAPE);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
        // The dialog stays, and the Enter that opened the box closed nothing.
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(c.form) != FALSE; }));
        EXPECT_TRUE(IsWindowVisible(c.form));
        // A double click opens it too; Enter closes it.
        const RECT r = RowOnScreen(c.xmpGrid, 1);
        POINT p{r.left + 20, r.top + 5};
        ScreenToClient(c.xmpGrid, &p);
        PostMessageW(c.xmpGrid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        PostMessageW(c.xmpGrid, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        PostMessageW(c.xmpGrid, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        PostMessageW(c.xmpGrid, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        const HWND second = FindOwned(c.form, "#32770");
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(TextOf(second), "dc:subject");
        EXPECT_EQ(TextOf(Child(second, "Edit")), "sea, sky");
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == second; }));
        PressKeys({}, VK_RETURN);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(second); }));
        EXPECT_TRUE(IsWindowVisible(c.form));
    });
}

TEST_F(UsageTest, ARowWhoseValueTheColumnCutsHasItsWholeValueAsTooltip) {
    const std::string longText(300, 'x');
    using testbytes::Tiff;
    Tiff t;
    const int root = t.Dir({Tiff::Ascii(0x010E, longText), Tiff::Ascii(0x010F, "Canon")});
    testbytes::Jpeg jpeg;
    jpeg.Exif(t.Build(root));
    jpeg.Sof0(64, 48);
    Show(WindowsPath(testbytes::WriteTempFile("long-value.jpg", jpeg.Build())), [&](const Controls &c) {
        auto tip = [&](int row) {
            wchar_t text[1024] = L"unchanged";
            NMLVGETINFOTIPW info{};
            info.hdr.hwndFrom = c.exifGrid;
            info.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(c.exifGrid));
            info.hdr.code = LVN_GETINFOTIPW;
            info.pszText = text;
            info.cchTextMax = 1024;
            info.iItem = row;
            SendMessageW(c.exifPage, WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
            return Utf8(text);
        };
        const Rows_t rows = Rows(c.exifGrid);
        ASSERT_EQ(rows[4].first, "ImageDescription");
        EXPECT_EQ(tip(4), longText);
        EXPECT_EQ(tip(5), "");  // "Canon" fits
    });
}

// ---------------------------------------------------------------- map

TEST_F(UsageTest, AFileWithAGpsPositionHasAMapLinkToItsSignedDecimalDegrees) {
    const std::string heic = WindowsPath(std::string(EXIFVIEW_TEST_DATA) + "/samples-modern/IMG_5195.HEIC");
    Show(heic, [&](const Controls &c) {
        const HWND link = Child(c.exifPage, "SysLink");
        ASSERT_NE(link, nullptr);
        LITEM item{};
        item.mask = LIF_ITEMINDEX | LIF_URL;
        item.iLink = 0;
        ASSERT_TRUE(SendMessageW(link, LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item)));
        // exiftool -n: 39.0513444444444, -94.2887722222222.
        EXPECT_EQ(Utf8(item.szUrl),
                  "https://www.openstreetmap.org/?mlat=39.051344&mlon=-94.288772#map=15/39.051344/-94.288772");
        // Under the grid, beside the comment's label, over none of them.
        const RECT r = BoundsInParent(link), grid = BoundsInParent(c.exifGrid), memo = BoundsInParent(c.memo);
        EXPECT_GE(r.top, grid.bottom);
        EXPECT_LE(r.bottom, memo.top);
        EXPECT_GT(r.left, BoundsInParent(c.label).right);
        EXPECT_TRUE(IsWindowVisible(link));
    });
    Show(Sample("BlueSquare.jpg"), [&](const Controls &c) { EXPECT_EQ(Child(c.exifPage, "SysLink"), nullptr); });
}

// ---------------------------------------------------------------- screen readers

namespace {

// The name a screen reader reads for a window, through the platform's
// accessibility interface.
std::string AccessibleName(HWND wnd) {
    IAccessible *object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(wnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void **>(&object))) ||
        !object)
        return "<no object>";
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::string text = "<no name>";
    if (SUCCEEDED(object->get_accName(self, &name)) && name) text = Utf8(name);
    SysFreeString(name);
    object->Release();
    return text;
}

}  // namespace

TEST_F(UsageTest, GridsTheCommentBoxTheFilterAndTheThumbnailHaveNamesForScreenReaders) {
    Show(Sample("BlueSquare.jpg"), [&](const Controls &c) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        EXPECT_EQ(AccessibleName(c.exifGrid), "EXIF");
        EXPECT_EQ(AccessibleName(c.iptcGrid), "IPTC");
        EXPECT_EQ(AccessibleName(c.xmpGrid), "XMP");
        EXPECT_EQ(AccessibleName(c.memo), "Comment");
        PostMessageW(c.exifGrid, WM_KEYDOWN, VK_F3, 1);
        ASSERT_TRUE(WaitFor([&] { return FindBoxOf(c.form) != nullptr; }));
        EXPECT_EQ(AccessibleName(FindBoxOf(c.form)), "Find");
        SizeClientTo(c.form, 450 + 200, 429);
        EXPECT_EQ(AccessibleName(ThumbnailOf(c.exifPage)), "Thumbnail");
        // A control left to the platform keeps its own name.
        EXPECT_EQ(AccessibleName(c.ok), "Ok");
        CoUninitialize();
    });
}

// ---------------------------------------------------------------- thumbnail

TEST_F(UsageTest, TheThumbnailShowsBesideTheExifGridOnlyOnceTheDialogIsWiderAndOnlyForAFileWithOne) {
    // The IFD1 thumbnail of this sample is 160 x 96 (exiftool -b -ThumbnailImage).
    Show(Sample("BlueSquare.jpg"), [&](const Controls &c) {
        const HWND thumbnail = ThumbnailOf(c.exifPage);
        ASSERT_NE(thumbnail, nullptr);
        EXPECT_FALSE(IsWindowVisible(thumbnail));  // the default layout has no room
        ExpectBounds(c.exifGrid, 12, 12, 395, 250);
        SizeClientTo(c.form, 450 + 200, 429 + 50);
        EXPECT_TRUE(IsWindowVisible(thumbnail));
        const RECT grid = BoundsInParent(c.exifGrid), box = BoundsInParent(thumbnail);
        EXPECT_EQ(grid.right - grid.left, 395 + 200 - 172);
        EXPECT_GE(box.left, grid.right);
        EXPECT_EQ(box.top, 12);
        EXPECT_EQ(box.right, 12 + 395 + 200);  // under it, the comment box's right edge
        BITMAP bitmap{};
        const auto picture = reinterpret_cast<HBITMAP>(SendMessageW(thumbnail, STM_GETIMAGE, IMAGE_BITMAP, 0));
        ASSERT_TRUE(GetObjectW(picture, sizeof bitmap, &bitmap));
        EXPECT_EQ(bitmap.bmWidth, 160);  // fits the box as it is, never enlarged
        EXPECT_EQ(bitmap.bmHeight, 96);
        // Drawn: the middle of the box is not the page's own surface.
        POINT middle{(box.left + box.right) / 2, (box.top + box.bottom) / 2}, empty{box.left - 4, box.bottom + 40};
        ClientToScreen(c.exifPage, &middle);
        ClientToScreen(c.exifPage, &empty);
        EXPECT_TRUE(WaitFor([&] { return ScreenPixel(middle.x, middle.y) != ScreenPixel(empty.x, empty.y); }));
        // Narrow again: the grid has its place back.
        SizeClientTo(c.form, 450 + 100, 429);
        EXPECT_FALSE(IsWindowVisible(thumbnail));
        EXPECT_EQ(BoundsInParent(c.exifGrid).right, 12 + 395 + 100);
    });
    Show(WriteCraftedJpeg("crafted-no-thumbnail.jpg", 3, 1, "", false), [&](const Controls &c) {
        SizeClientTo(c.form, 450 + 200, 429);
        EXPECT_EQ(ThumbnailOf(c.exifPage), nullptr);
        EXPECT_EQ(BoundsInParent(c.exifGrid).right, 12 + 395 + 200);
    });
}
