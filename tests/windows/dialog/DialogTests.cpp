// The "EXIF / IPTC" dialog driven through the real DLL as a host drives it:
// layout, contents, drawing, the ways to close it, and the run of Execute.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "DialogFixture.h"
#include "exif/TextFormat.h"

using namespace drive;

// ---------------------------------------------------------------- layout

TEST_F(DialogTest, FormHasItsCaptionScreenPositionClientSizeBorderAndFont) {
    Show(Sample("nikon-e950.jpg"), [&](const Controls &c) {
        EXPECT_EQ(ClassOf(c.form), "ExifViewForm");
        EXPECT_EQ(TextOf(c.form), "EXIF / IPTC");
        RECT w{};
        GetWindowRect(c.form, &w);
        EXPECT_EQ(w.left, 364);
        EXPECT_EQ(w.top, 200);
        const RECT client = ClientRect(c.form);
        EXPECT_EQ(client.right, 450);
        EXPECT_EQ(client.bottom, 429);
        const LONG style = GetWindowLongA(c.form, GWL_STYLE);
        EXPECT_TRUE(style & WS_CAPTION);
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_TRUE(style & WS_THICKFRAME);  // the user may make it larger
        EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CHILD));
        EXPECT_TRUE(GetWindowLongA(c.form, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
        EXPECT_EQ(GetWindow(c.form, GW_OWNER), host->MainWindow());
        EXPECT_EQ(GetClassLongPtrA(c.form, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
        for (HWND control : {c.tab, c.exifGrid, c.memo, c.label, c.iptcGrid, c.edtName, c.memData, c.xmpGrid,
                             c.xmpName, c.xmpData, c.ok, c.exportButton}) {
            const auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
            LOGFONTA lf{};
            ASSERT_TRUE(GetObjectA(font, sizeof lf, &lf)) << ClassOf(control);
            EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif") << ClassOf(control);
            EXPECT_EQ(lf.lfHeight, -11) << ClassOf(control);
        }
    });
}

TEST_F(DialogTest, ControlsHaveTheirClassesCaptionsPositionsAndSizes) {
    Show(Sample("BlueSquare.jpg"), [&](const Controls &c) {
        struct Expected {
            HWND wnd;
            const char *className;
            RECT bounds;  // left, top, right, bottom in the parent
        };
        const Expected all[] = {
            {c.tab, "SysTabControl32", {12, 12, 12 + 426, 12 + 370}},
            {c.exifGrid, "SysListView32", {12, 12, 12 + 395, 12 + 250}},
            {c.label, "Static", {12, 272, 12 + 50, 272 + 13}},
            {c.memo, "Edit", {12, 288, 12 + 395, 288 + 41}},
            {c.iptcGrid, "SysListView32", {12, 12, 12 + 395, 12 + 231}},
            {c.edtName, "Edit", {12, 256, 12 + 395, 256 + 21}},
            {c.memData, "Edit", {12, 280, 12 + 395, 280 + 49}},
            {c.xmpGrid, "SysListView32", {12, 12, 12 + 395, 12 + 231}},
            {c.xmpName, "Edit", {12, 256, 12 + 395, 256 + 21}},
            {c.xmpData, "Edit", {12, 280, 12 + 395, 280 + 49}},
            {c.ok, "Button", {360, 392, 360 + 78, 392 + 25}},
            {c.exportButton, "Button", {12, 392, 12 + 78, 392 + 25}},
        };
        for (const Expected &e : all) {
            ASSERT_NE(e.wnd, nullptr) << e.className;
            EXPECT_EQ(ClassOf(e.wnd), e.className);
            const RECT r = BoundsInParent(e.wnd);
            EXPECT_EQ(r.left, e.bounds.left) << e.className;
            EXPECT_EQ(r.top, e.bounds.top) << e.className;
            EXPECT_EQ(r.right, e.bounds.right) << e.className;
            EXPECT_EQ(r.bottom, e.bounds.bottom) << e.className;
        }
        EXPECT_EQ(TextOf(c.label), "Comment :");
        EXPECT_EQ(TextOf(c.ok), "Ok");
        EXPECT_EQ(TextOf(c.exportButton), "Export");
        EXPECT_EQ(TextOf(c.exifPage), "EXIF");
        EXPECT_EQ(TextOf(c.iptcPage), "IPTC");
        EXPECT_EQ(GetParent(c.exifPage), c.tab);
        EXPECT_EQ(GetParent(c.iptcPage), c.tab);
        EXPECT_EQ(TextOf(c.xmpPage), "XMP");
        EXPECT_EQ(GetParent(c.xmpPage), c.tab);
        // Tabs in order (the sample has XMP), the first one active and its
        // page the one shown.
        ASSERT_EQ(SendMessageA(c.tab, TCM_GETITEMCOUNT, 0, 0), 3);
        EXPECT_EQ(TabText(c.tab, 0), "EXIF");
        EXPECT_EQ(TabText(c.tab, 1), "IPTC");
        EXPECT_EQ(TabText(c.tab, 2), "XMP");
        EXPECT_EQ(SendMessageA(c.tab, TCM_GETCURSEL, 0, 0), 0);
        EXPECT_TRUE(IsWindowVisible(c.exifPage));
        EXPECT_FALSE(IsWindowVisible(c.iptcPage));
        EXPECT_FALSE(IsWindowVisible(c.xmpPage));
        // Read-only comment box, editable IPTC boxes, single-line name.
        EXPECT_TRUE(GetWindowLongA(c.memo, GWL_STYLE) & ES_READONLY);
        EXPECT_TRUE(GetWindowLongA(c.memo, GWL_STYLE) & ES_MULTILINE);
        EXPECT_FALSE(GetWindowLongA(c.edtName, GWL_STYLE) & (ES_READONLY | ES_MULTILINE));
        EXPECT_FALSE(GetWindowLongA(c.memData, GWL_STYLE) & ES_READONLY);
        EXPECT_TRUE(GetWindowLongA(c.memData, GWL_STYLE) & ES_MULTILINE);
        // The XMP boxes show the current row and take no typing.
        EXPECT_EQ(GetWindowLongA(c.xmpName, GWL_STYLE) & (ES_READONLY | ES_MULTILINE), ES_READONLY);
        EXPECT_TRUE(GetWindowLongA(c.xmpData, GWL_STYLE) & ES_READONLY);
        EXPECT_TRUE(GetWindowLongA(c.xmpData, GWL_STYLE) & ES_MULTILINE);
        // Grids: report view, no header, owner-drawn, not editable, rows
        // selectable as ranges, whole rows, grid lines, 18-pixel rows.
        for (HWND grid : {c.exifGrid, c.iptcGrid, c.xmpGrid}) {
            const LONG style = GetWindowLongA(grid, GWL_STYLE);
            EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
            EXPECT_TRUE(style & LVS_NOCOLUMNHEADER);
            EXPECT_TRUE(style & LVS_OWNERDRAWFIXED);
            EXPECT_FALSE(style & (LVS_EDITLABELS | LVS_SINGLESEL));
            const LRESULT ex = SendMessageA(grid, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
            EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
            EXPECT_TRUE(ex & LVS_EX_GRIDLINES);
            EXPECT_EQ(SendMessageA(grid, LVM_GETCOLUMNWIDTH, 0, 0), 160);
            EXPECT_EQ(SendMessageA(grid, LVM_GETCOLUMNWIDTH, 1, 0), 212);
            EXPECT_EQ(RowHeight(grid), 18);
        }
    });
}

TEST_F(DialogTest, TabOrderRunsTabsThenOkThenExportAndOkHasTheFocusAtOpening) {
    Show(Sample("BlueSquare.jpg"), [&](const Controls &c) {
        const std::vector<HWND> top = Children(c.form);
        ASSERT_EQ(top.size(), 3u);
        EXPECT_EQ(top[0], c.tab);
        EXPECT_EQ(top[1], c.ok);
        EXPECT_EQ(top[2], c.exportButton);
        const std::vector<HWND> exifStops = Children(c.exifPage);
        const auto exifGridAt = std::find(exifStops.begin(), exifStops.end(), c.exifGrid);
        const auto memoAt = std::find(exifStops.begin(), exifStops.end(), c.memo);
        EXPECT_LT(exifGridAt, memoAt);
        const std::vector<HWND> iptcStops = Children(c.iptcPage);
        ASSERT_EQ(iptcStops.size(), 3u);
        EXPECT_EQ(iptcStops[0], c.iptcGrid);
        EXPECT_EQ(iptcStops[1], c.edtName);
        EXPECT_EQ(iptcStops[2], c.memData);
        EXPECT_EQ(Children(c.xmpPage), (std::vector<HWND>{c.xmpGrid, c.xmpName, c.xmpData}));
        EXPECT_TRUE(WaitFor([&] { return FocusOf(c.form) == c.ok; })) << ClassOf(FocusOf(c.form));
    });
}

// Presses Tab (Shift+Tab with `back`) where the focus is, and checks where
// the focus goes next, control after control.
static void ExpectTabCycle(const Controls &c, std::initializer_list<HWND> order) {
    for (HWND next : order) {
        PostMessageA(FocusIn(c.form), WM_KEYDOWN, VK_TAB, 0x000F0001);
        EXPECT_TRUE(WaitFor([&] { return FocusIn(c.form) == next; }))
            << ClassOf(next) << " wanted, " << ClassOf(FocusIn(c.form)) << " has the focus";
    }
}

TEST_F(DialogTest, TabMovesTheFocusThroughTheControlsInTabOrderTheTabControlIncluded) {
    for (int32_t styles : {0, 1}) {
        host->VisualStyles = styles;
        Show(WriteCraftedJpeg("crafted-iptc.jpg", 3, 1, "", true), [&](const Controls &c) {
            ASSERT_TRUE(WaitFor([&] { return FocusOf(c.form) == c.ok; }));
            // No dialog manager runs in a host's loop: the dialog moves the
            // focus, through the tab control and the visible page only.
            ExpectTabCycle(c, {c.exportButton, c.tab, c.exifGrid, c.memo, c.ok});
            SendMessageA(c.tab, TCM_SETCURFOCUS, 1, 0);
            ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(c.iptcPage) != FALSE; }));
            ExpectTabCycle(c, {c.exportButton, c.tab, c.iptcGrid, c.edtName, c.memData, c.ok});
            EXPECT_TRUE(IsWindowVisible(c.form));
        });
    }
}

TEST_F(DialogTest, ArrowsOnTheTabControlAndCtrlTabAnywhereSwitchPages) {
    Show(WriteCraftedJpeg("crafted-iptc.jpg", 3, 1, "", true), [&](const Controls &c) {
        auto page = [&] { return SendMessageA(c.tab, TCM_GETCURSEL, 0, 0); };
        ASSERT_TRUE(WaitFor([&] { return FocusOf(c.form) == c.ok; }));
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == c.form; }));
        PostMessageA(c.ok, WM_KEYDOWN, VK_TAB, 0x000F0001);
        PostMessageA(c.exportButton, WM_KEYDOWN, VK_TAB, 0x000F0001);
        ASSERT_TRUE(WaitFor([&] { return FocusOf(c.form) == c.tab; }));
        for (auto [key, wanted] : {std::pair{VK_RIGHT, 1}, {VK_RIGHT, 1}, {VK_LEFT, 0}, {VK_DOWN, 1}, {VK_UP, 0}}) {
            PostMessageA(c.tab, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
            EXPECT_TRUE(WaitFor([&] { return page() == wanted; })) << key;
            EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(wanted ? c.iptcPage : c.exifPage) != FALSE; }));
            EXPECT_FALSE(IsWindowVisible(wanted ? c.exifPage : c.iptcPage));
        }
        // From a control on a page: the focus follows to the new page.
        PostMessageA(c.tab, WM_KEYDOWN, VK_TAB, 0x000F0001);
        ASSERT_TRUE(WaitFor([&] { return FocusOf(c.form) == c.exifGrid; }));
        PressKeys({VK_CONTROL}, VK_TAB);
        EXPECT_TRUE(WaitFor([&] { return page() == 1 && FocusOf(c.form) == c.iptcGrid; }));
        PressKeys({VK_CONTROL}, VK_TAB);  // wraps round
        EXPECT_TRUE(WaitFor([&] { return page() == 0 && FocusOf(c.form) == c.exifGrid; }));
        PressKeys({VK_CONTROL, VK_SHIFT}, VK_TAB);
        EXPECT_TRUE(WaitFor([&] { return page() == 1 && FocusOf(c.form) == c.iptcGrid; }));
        // Outside the pages the focus stays where it is. (Tab comes as input
        // too, behind the modifiers' release: a posted key would overtake it.)
        for (HWND next : {c.edtName, c.memData, c.ok}) {
            PressKeys({}, VK_TAB);
            EXPECT_TRUE(WaitFor([&] { return FocusOf(c.form) == next; })) << ClassOf(FocusOf(c.form));
        }
        PressKeys({VK_CONTROL, VK_SHIFT}, VK_TAB);
        EXPECT_TRUE(WaitFor([&] { return page() == 0; }));
        EXPECT_EQ(FocusOf(c.form), c.ok);
        EXPECT_TRUE(IsWindowVisible(c.form));
    });
}

// ---------------------------------------------------------------- contents

TEST_F(DialogTest, ExifGridShowsTheFileRowsTheHostsSizeAndEveryEntry) {
    host->ImageRect = RECT{10, 20, 810, 620};  // 800 x 600, not the file's size
    const std::string file = Sample("nikon-e950.jpg");
    Show(file, [&](const Controls &c) {
        const auto rows = Rows(c.exifGrid);
        ASSERT_GT(rows.size(), 4u);
        EXPECT_EQ(rows[0], Row("FileName", "nikon-e950.jpg"));
        EXPECT_EQ(rows[1].first, "FileSize");
        EXPECT_EQ(rows[1].second, params::KilobytesText(FileBytes(file).size()));
        EXPECT_EQ(rows[2], Row("ImageWidth", "800"));
        EXPECT_EQ(rows[3], Row("ImageHeight", "600"));
        EXPECT_EQ(rows[5], Row("Make", "NIKON"));
        EXPECT_EQ(rows, ViewRows(params::BuildExifView(file, 800, 600).Rows));
        EXPECT_EQ(TextOf(c.memo), "");
    });
}

TEST_F(DialogTest, UserCommentGoesToTheCommentBoxAndFileSourceAndSceneTypeAreNamed) {
    const std::string file = WriteCraftedJpeg("crafted-comment.jpg", 2, 0, "Hello", false);
    const std::string file2 = WriteCraftedJpeg("crafted-camera.jpg", 3, 1, "", false);
    Show(file, [&](const Controls &c) {
        const auto rows = Rows(c.exifGrid);
        EXPECT_EQ(TextOf(c.memo), "Hello");
        for (const auto &row : rows) EXPECT_NE(row.first, "UserComment");
        EXPECT_EQ(Value(rows, "FileSource"), "Unknown");
        EXPECT_EQ(Value(rows, "SceneType"), "Unknown");
        EXPECT_EQ(Value(rows, "Make"), "Canon");  // trimmed, quotes removed
        // The four file rows, then Make, ExifOffset, FileSource, SceneType:
        // the comment entry took no row.
        EXPECT_EQ(rows.size(), 4u + 4u);
        EXPECT_EQ(rows, ViewRows(params::BuildExifView(file, 800, 600).Rows));
        EXPECT_FALSE(IsTabShown(c, "IPTC"));
    });
    Show(file2, [&](const Controls &c) {
        const auto rows = Rows(c.exifGrid);
        EXPECT_EQ(Value(rows, "FileSource"), "Digital Still Camera");
        EXPECT_EQ(Value(rows, "SceneType"), "Directly Photographed");
    });
}

TEST_F(DialogTest, LargeUserCommentAndLongCaptionAreShownToTheBoundAndTheDialogClosesWhenAsked) {
    // 240 KB of words: only a TIFF file has room for it (a JPEG segment
    // ends at 64 KB). It is shown up to the bound of a value, the cut marked.
    std::string comment;
    while (comment.size() < 240 * 1024) comment += "word" + std::to_string(comment.size() % 97) + ' ';
    using testbytes::Tiff;
    Tiff t;
    const int exif = t.Dir({Tiff::Undefined(0x9286, std::string("ASCII\0\0\0", 8) + comment)});
    const int root = t.Dir({Tiff::Ascii(0x010F, "Canon"), Tiff::Pointer(0x8769, exif)});
    const std::string tiff = WindowsPath(testbytes::WriteTempFile("long-comment.tif", t.Build(root)));
    Show(tiff, [&](const Controls &c) {
        const std::string shown = TextOf(c.memo);
        EXPECT_EQ(shown, Utf8(Wide(params::BuildExifView(tiff, 800, 600).Comment)));
        EXPECT_LE(shown.size(), exif::MaxShownValue + 3);  // the cut marked by "…"
        EXPECT_EQ(shown.substr(0, 1000), comment.substr(0, 1000));
        PostMessageA(c.ok, BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(c.form); }));
    });
    EXPECT_FALSE(host->TimedOut);
    EXPECT_EQ(result, 1);

    const std::string caption = comment.substr(0, 30000);
    testbytes::Jpeg jpeg;
    jpeg.Iptc(testbytes::Dataset(2, 120, caption));
    jpeg.Sof0(64, 48);
    // With visual styles, the box made anew for the long text is taken
    // over like the one it replaces.
    host->VisualStyles = 1;
    Show(WindowsPath(testbytes::WriteTempFile("long-caption.jpg", jpeg.Build())), [&](const Controls &c) {
        SendMessageA(c.tab, TCM_SETCURFOCUS, 1, 0);
        EXPECT_EQ(TextOf(c.memData).size(), caption.size());
        const std::vector<HWND> held = host->WindowsWithLibraryProc(c.form);
        EXPECT_NE(std::find(held.begin(), held.end(), c.memData), held.end());
        PostMessageA(c.ok, BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(c.form); }));
    });
    EXPECT_FALSE(host->TimedOut);
}

TEST_F(DialogTest, IptcAndXmpTabsAreHiddenWithoutAnIptcSegmentOrAnXmpPacket) {
    Show(Sample("Canon_40D.jpg"), [&](const Controls &c) {
        EXPECT_EQ(SendMessageA(c.tab, TCM_GETITEMCOUNT, 0, 0), 1);
        EXPECT_EQ(TabText(c.tab, 0), "EXIF");
        EXPECT_FALSE(IsWindowVisible(c.iptcPage));
        EXPECT_FALSE(IsWindowVisible(c.xmpPage));
        EXPECT_TRUE(IsWindowVisible(c.exifPage));
    });
}

TEST_F(DialogTest, IptcRowsShowDescriptionsAndTheSelectedRowFillsTheEditBoxes) {
    const std::string file = WriteCraftedJpeg("crafted-iptc.jpg", 3, 1, "", true);
    Show(file, [&](const Controls &c) {
        ASSERT_TRUE(IsTabShown(c, "IPTC"));
        const auto rows = Rows(c.iptcGrid);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0], Row("Object name", "Sunset"));
        EXPECT_EQ(rows[1], Row("Keywords", "sea,sky"));
        EXPECT_EQ(TextOf(c.edtName), "Object name");
        EXPECT_EQ(TextOf(c.memData), "Sunset");
        SelectRow(c.iptcGrid, 1);
        EXPECT_EQ(TextOf(c.edtName), "Keywords");
        EXPECT_EQ(TextOf(c.memData), "sea,sky");
        // The keyboard moves the current row too.
        PostMessageA(c.iptcGrid, WM_KEYDOWN, VK_UP, 0x01480001);
        EXPECT_TRUE(WaitFor([&] { return TextOf(c.edtName) == "Object name"; }));
        EXPECT_EQ(TextOf(c.memData), "Sunset");
    });
}

TEST_F(DialogTest, IptcSegmentWithoutDatasetsShowsOneEmptyRow) {
    Show(Sample("nikon-e950.jpg"), [&](const Controls &c) {
        ASSERT_TRUE(IsTabShown(c, "IPTC"));
        EXPECT_EQ(Rows(c.iptcGrid), (std::vector<std::pair<std::string, std::string>>{Row("", "")}));
        EXPECT_EQ(TextOf(c.edtName), "");
        EXPECT_EQ(TextOf(c.memData), "");
    });
}

TEST_F(DialogTest, XmpRowsShowThePropertiesAndTheSelectedRowFillsTheBoxes) {
    const std::string file = WriteCraftedJpeg("crafted-xmp.jpg", 3, 1, "", true, XmpPacket());
    Show(file, [&](const Controls &c) {
        ASSERT_EQ(SendMessageA(c.tab, TCM_GETITEMCOUNT, 0, 0), 3);
        EXPECT_EQ(TabText(c.tab, 2), "XMP");
        EXPECT_FALSE(IsWindowVisible(c.xmpPage));
        const auto rows = Rows(c.xmpGrid);
        params::ViewRequest request;
        request.ImageWidth = 800;
        request.ImageHeight = 600;
        EXPECT_EQ(rows, ViewRows(params::BuildImageView(file, request).Xmp.Rows));
        ASSERT_EQ(rows.size(), 5u);
        EXPECT_EQ(rows[0], Row("xmp:Rating", "4"));
        EXPECT_EQ(rows[1], Row("dc:subject", "sea, sky"));
        EXPECT_EQ(rows[2].first, "dc:title");
        EXPECT_EQ(rows[3], Row("dc:title[de]", "Kaffee"));
        EXPECT_EQ(rows[4].first, "dc:description");
        EXPECT_EQ(rows[4].second.substr(0, 4), "one.");  // the line break, as the grid shows it
        EXPECT_EQ(TextOf(c.xmpName), "xmp:Rating");
        EXPECT_EQ(TextOf(c.xmpData), "4");
        SendMessageA(c.tab, TCM_SETCURFOCUS, 2, 0);
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(c.xmpPage) != FALSE; }));
        SelectRow(c.xmpGrid, 4);
        EXPECT_EQ(TextOf(c.xmpName), "dc:description");
        // The value's line break as the box shows one.
        EXPECT_EQ(TextOf(c.xmpData), "one\r\n" + rows[4].second.substr(4));
        PostMessageA(c.xmpGrid, WM_KEYDOWN, VK_UP, 0x01480001);
        EXPECT_TRUE(WaitFor([&] { return TextOf(c.xmpName) == "dc:title[de]"; }));
        EXPECT_EQ(TextOf(c.xmpData), "Kaffee");
        // The IPTC tab keeps its own rows and boxes.
        EXPECT_EQ(TextOf(c.edtName), "Object name");
    });
}

TEST_F(DialogTest, TabAndCtrlTabReachTheXmpPageLikeTheOthers) {
    Show(WriteCraftedJpeg("crafted-iptc-xmp.jpg", 3, 1, "", true, XmpPacket()), [&](const Controls &c) {
        auto page = [&] { return SendMessageA(c.tab, TCM_GETCURSEL, 0, 0); };
        ASSERT_TRUE(WaitFor([&] { return FocusOf(c.form) == c.ok; }));
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == c.form; }));
        ExpectTabCycle(c, {c.exportButton, c.tab, c.exifGrid});
        PressKeys({VK_CONTROL}, VK_TAB);
        EXPECT_TRUE(WaitFor([&] { return page() == 1 && FocusOf(c.form) == c.iptcGrid; }));
        PressKeys({VK_CONTROL}, VK_TAB);
        EXPECT_TRUE(WaitFor([&] { return page() == 2 && FocusOf(c.form) == c.xmpGrid; }));
        EXPECT_TRUE(IsWindowVisible(c.xmpPage));
        EXPECT_FALSE(IsWindowVisible(c.iptcPage));
        PressKeys({VK_CONTROL}, VK_TAB);  // wraps round
        EXPECT_TRUE(WaitFor([&] { return page() == 0 && FocusOf(c.form) == c.exifGrid; }));
        PressKeys({VK_CONTROL, VK_SHIFT}, VK_TAB);
        EXPECT_TRUE(WaitFor([&] { return page() == 2 && FocusOf(c.form) == c.xmpGrid; }));
        // Tab runs through the XMP page's grid and both boxes, then Ok.
        for (HWND next : {c.xmpName, c.xmpData, c.ok, c.exportButton, c.tab, c.xmpGrid}) {
            PressKeys({}, VK_TAB);
            EXPECT_TRUE(WaitFor([&] { return FocusOf(c.form) == next; })) << ClassOf(FocusOf(c.form));
        }
        EXPECT_TRUE(IsWindowVisible(c.form));
    });
}

TEST_F(DialogTest, AFileNamedInOtherScriptsShowsItsLongNameSizeAndEntriesFromTheShortNameAHostGives) {
    using testbytes::Tiff;
    Tiff t;
    const int root = t.Dir({Tiff::Ascii(0x010E, "Grüße aus 東京"), Tiff::Ascii(0x010F, "Canon")});
    testbytes::Jpeg jpeg;
    jpeg.Exif(t.Build(root));
    jpeg.Sof0(64, 48);
    const std::string bytes = jpeg.Build();
    const UnicodeFile file = WriteUnicodeNamedFile("東京 Ünïcødé", "Ünïcødé 東京.jpg", bytes);
    Show(file.AnsiPath, [&](const Controls &c) {
        // Read back as the list view gives it in UTF-16.
        EXPECT_EQ(Cell(c.exifGrid, 0, 0), "FileName");
        EXPECT_EQ(Cell(c.exifGrid, 0, 1), "Ünïcødé 東京.jpg");
        EXPECT_EQ(Cell(c.exifGrid, 1, 1), params::KilobytesText(bytes.size()));
        const auto rows = Rows(c.exifGrid);
        EXPECT_EQ(Value(rows, "Make"), "Canon");
        EXPECT_EQ(Value(rows, "ImageDescription"), "Grüße aus 東京");
    });
    EXPECT_EQ(params::FileSizeText(file.Path), params::KilobytesText(bytes.size()));
}

TEST_F(DialogTest, MissingFileGivesOneEmptyExifRowNoCommentAndNoIptcTab) {
    Show(Sample("no-such-file.jpg"), [&](const Controls &c) {
        EXPECT_EQ(Rows(c.exifGrid), (std::vector<std::pair<std::string, std::string>>{Row("", "")}));
        EXPECT_EQ(TextOf(c.memo), "");
        EXPECT_FALSE(IsTabShown(c, "IPTC"));
    });
    EXPECT_EQ(result, 1);
}

// ---------------------------------------------------------------- drawing

TEST_F(DialogTest, OddRowsArePaleBlueEvenRowsPlainAndTheSelectedRowHighlighted) {
    Show(Sample("nikon-e950.jpg"), [&](const Controls &c) {
        const COLORREF window = GetSysColor(COLOR_WINDOW);
        const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
        ASSERT_NE(window, 0xFFEEEEu);
        // A point in the empty right part of column 1 of each row.
        auto pixel = [&](int row) {
            const RECT r = RowOnScreen(c.exifGrid, row);
            return ScreenPixel(r.left + 160 + 200, r.top + 8);
        };
        // Row 0 is the current row at opening.
        EXPECT_TRUE(WaitFor([&] { return pixel(1) == 0xFFEEEE; })) << std::hex << pixel(1);
        EXPECT_EQ(pixel(0), highlight);
        EXPECT_EQ(pixel(2), window);
        EXPECT_EQ(pixel(3), 0xFFEEEEu);
        EXPECT_EQ(pixel(4), window);
        EXPECT_EQ(pixel(5), 0xFFEEEEu);
        SelectRow(c.exifGrid, 3);
        EXPECT_TRUE(WaitFor([&] { return pixel(3) == highlight; })) << std::hex << pixel(3);
        EXPECT_EQ(pixel(0), window);
        EXPECT_EQ(pixel(1), 0xFFEEEEu);
        // Column 1 of row 3 ("600"): its text starts 2 pixels right of the
        // column's edge, over the cell's background.
        const RECT r = RowOnScreen(c.exifGrid, 3);
        const int column1 = r.left + 160;
        for (int y = r.top + 1; y < r.bottom - 2; ++y) {
            EXPECT_EQ(ScreenPixel(column1 + 1, y), highlight) << y - r.top;
        }
        bool textDrawn = false;
        for (int x = column1 + 2; x < column1 + 30 && !textDrawn; ++x)
            for (int y = r.top + 2; y < r.bottom - 1 && !textDrawn; ++y)
                textDrawn = ScreenPixel(x, y) == GetSysColor(COLOR_HIGHLIGHTTEXT);
        EXPECT_TRUE(textDrawn);
        // Nothing of the text lies above the cell's top + 2.
        for (int x = column1 + 2; x < column1 + 30; ++x) EXPECT_EQ(ScreenPixel(x, r.top + 1), highlight) << x - column1;
    });
}

// ---------------------------------------------------------------- closing

TEST_F(DialogTest, EscapeClosesTheDialogAndExecuteReturns1) {
    Show(Sample("BlueSquare.jpg"), [&](const Controls &c) {
        ASSERT_TRUE(WaitFor([&] { return FocusOf(c.form) == c.ok; }));
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == c.form; }));
        INPUT keys[2]{};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(c.form); }));
    });
    EXPECT_FALSE(host->TimedOut);
    EXPECT_EQ(result, 1);
}

TEST_F(DialogTest, EnterWhileTypingInMemDataClosesTheDialog) {
    Show(Sample("BlueSquare.jpg"), [&](const Controls &c) {
        // Show the IPTC page as a click on its tab does.
        SendMessageA(c.tab, TCM_SETCURFOCUS, 1, 0);
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(c.memData) != FALSE; }));
        for (char ch : std::string("abc")) PostMessageA(c.memData, WM_CHAR, static_cast<WPARAM>(ch), 1);
        ASSERT_TRUE(WaitFor([&] { return TextOf(c.memData).find("abc") != std::string::npos; }));
        EXPECT_TRUE(IsWindowVisible(c.form));
        PostMessageA(c.memData, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(c.form); }));
    });
    EXPECT_FALSE(host->TimedOut);
    EXPECT_EQ(result, 1);
}

TEST_F(DialogTest, EnterOrEscapeAsCharactersCloseWhicheverControlHasThem) {
    for (HWND Controls::*target : {&Controls::exifGrid, &Controls::memo, &Controls::exportButton}) {
        for (char key : {'\r', '\x1b'}) {
            Show(Sample("Canon_40D.jpg"), [&](const Controls &c) {
                PostMessageA(c.*target, WM_CHAR, static_cast<WPARAM>(key), 1);
                EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(c.form); })) << ClassOf(c.*target);
            });
            EXPECT_FALSE(host->TimedOut);
            EXPECT_EQ(result, 1);
        }
    }
}

TEST_F(DialogTest, OkAndTheCloseBoxCloseTheDialog) {
    Show(Sample("BlueSquare.jpg"), [&](const Controls &c) {
        PostMessageA(c.ok, BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(c.form); }));
    });
    EXPECT_FALSE(host->TimedOut);
    EXPECT_EQ(result, 1);
    Show(Sample("BlueSquare.jpg"), [&](const Controls &c) {
        PostMessageA(c.form, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(c.form); }));
    });
    EXPECT_FALSE(host->TimedOut);
    EXPECT_EQ(result, 1);
}

// ---------------------------------------------------------------- the run

TEST_F(DialogTest, ShowFormProcGetsTheDialogWithMode0AndTwoTrueSwitches) {
    Show(Sample("BlueSquare.jpg"), [&](const Controls &c) { PostMessageA(c.ok, BM_CLICK, 0, 0); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(host->ShowCalls, 1);
    EXPECT_EQ(host->Mode, 0);
    EXPECT_EQ(host->FirstSwitch, -1);
    EXPECT_EQ(host->SecondSwitch, -1);
    EXPECT_EQ(host->OwnerAtShow, host->MainWindow());
    EXPECT_TRUE(host->OwnerWasEnabledAfter);
    // The dialog was freed when Execute returned.
    EXPECT_FALSE(IsWindow(host->DialogWindow));
    EXPECT_EQ(FormsLeft(), 0);
}

TEST_F(DialogTest, ZeroShowCallbackGives0AndLeavesNoWindow) {
    host->LeaveShowProcZero = true;
    host->FileName = Sample("BlueSquare.jpg");
    EXPECT_EQ(host->Run(nullptr), 0);
    EXPECT_EQ(FormsLeft(), 0);
}

TEST_F(DialogTest, ZeroFileNameCallbackGives0WithoutShowingAnything) {
    host->LeaveFileNameProcZero = true;
    EXPECT_EQ(host->Run([](HWND) {}), 0);
    EXPECT_EQ(host->ShowCalls, 0);
    EXPECT_EQ(FormsLeft(), 0);
}

TEST_F(DialogTest, EmptyFileNameStillShowsTheDialog) {
    Show("", [&](const Controls &c) {
        EXPECT_EQ(Rows(c.exifGrid), (std::vector<std::pair<std::string, std::string>>{Row("", "")}));
        EXPECT_FALSE(IsTabShown(c, "IPTC"));
    });
    EXPECT_EQ(result, 1);
}

TEST_F(DialogTest, TwoRunsInARowShowFreshDialogsWithOrWithoutVisualStyles) {
    const std::string withIptc = WriteCraftedJpeg("crafted-iptc.jpg", 3, 1, "Hello", true);
    HWND first = nullptr;
    Show(withIptc, [&](const Controls &c) {
        first = c.form;
        SelectRow(c.iptcGrid, 1);
        EXPECT_EQ(TextOf(c.memo), "Hello");
    });
    EXPECT_EQ(result, 1);
    host->VisualStyles = 1;
    Show(Sample("Canon_40D.jpg"), [&](const Controls &c) {
        EXPECT_FALSE(IsWindow(first));
        EXPECT_EQ(TextOf(c.memo), "");
        EXPECT_FALSE(IsTabShown(c, "IPTC"));
        EXPECT_EQ(Rows(c.exifGrid)[0], Row("FileName", "Canon_40D.jpg"));
    });
    EXPECT_EQ(result, 1);
    Show(withIptc, [&](const Controls &c) {
        EXPECT_EQ(TextOf(c.edtName), "Object name");
        EXPECT_EQ(SendMessageA(c.tab, TCM_GETCURSEL, 0, 0), 0);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(FormsLeft(), 0);
}

TEST_F(DialogTest, APhonesHeicShowsItsExifRowsWhateverItsName) {
    const std::string heic = std::string(EXIFVIEW_TEST_DATA) + "/samples-modern/IMG_5195.HEIC";
    std::ifstream in(heic, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(bytes.empty());
    for (const std::string &path : {WindowsPath(heic), WindowsPath(testbytes::WriteTempFile("phone.jpg", bytes))}) {
        Show(path, [&](const Controls &c) {
            const auto rows = Rows(c.exifGrid);
            EXPECT_EQ(Value(rows, "Make"), "Apple") << path;
            EXPECT_EQ(Value(rows, "Model"), "iPhone 11 Pro Max") << path;
            EXPECT_EQ(Value(rows, "DateTimeOriginal"), "2021:04:11 15:47:53") << path;
            EXPECT_EQ(Value(rows, "GPSLatitudeRef"), "N") << path;
        });
    }
}
