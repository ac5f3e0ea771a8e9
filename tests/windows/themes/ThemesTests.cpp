// The visual-style services and manager linked in: the platform's answers
// replaced through the seam, the manager's class lists on the real dialog,
// the procedures it gives back, and the themed border drawn on a window that
// has a classic client edge.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <map>
#include <vector>

#include "dialog/ParamsForm.h"
#include "themes/ThemeMgr.h"
#include "themes/ThemeSrv.h"

namespace {

int managerFreedMessages = 0;

LRESULT CALLBACK MainProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == CM_THEMEMANAGERFREED) ++managerFreedMessages;
    return DefWindowProcA(wnd, msg, wp, lp);
}

HWND MakeWindow(const char *className, DWORD style, DWORD exStyle, int left, int top, int width, int height) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    return CreateWindowExA(exStyle, className, "", style, left, top, width, height, nullptr, nullptr, wc.hInstance,
                           nullptr);
}

LONG_PTR ProcOf(HWND wnd) {
    return IsWindowUnicode(wnd) ? GetWindowLongPtrW(wnd, GWLP_WNDPROC) : GetWindowLongPtrA(wnd, GWLP_WNDPROC);
}

// The platform with some answers replaced; the rest, and the drawing, real.
class TFakePlatform : public TSystemThemePlatform {
public:
    DWORD Version = 0;
    bool AppThemed = true;
    DWORD AppProperties = 3;
    mutable int Opened = 0, Closed = 0;

    bool IsAppThemed() const override { return AppThemed && TSystemThemePlatform::IsAppThemed(); }
    DWORD GetThemeAppProperties() const override { return AppProperties; }
    DWORD CommonControlsVersion() const override {
        return Version ? Version : TSystemThemePlatform::CommonControlsVersion();
    }
    HTHEME OpenThemeData(HWND wnd, LPCWSTR classList) const override {
        ++Opened;
        return TSystemThemePlatform::OpenThemeData(wnd, classList);
    }
    void CloseThemeData(HTHEME theme) const override {
        ++Closed;
        TSystemThemePlatform::CloseThemeData(theme);
    }
};

class ThemesTest : public ::testing::Test {
protected:
    void SetUp() override {
        managerFreedMessages = 0;
        main = MakeWindow("ThemesTestMain", WS_OVERLAPPEDWINDOW, 0, 0, 0, 200, 100);
        ui::Application.Handle = main;
    }
    void TearDown() override {
        FreeSharedThemeServices();
        ui::Application.Handle = nullptr;
        DestroyWindow(main);
    }
    static bool Themed() { return IsThemeActive() && IsAppThemed(); }

    HWND main = nullptr;
};

}  // namespace

TEST_F(ThemesTest, VisualStylesNeedAThemedApplicationCommonControls6AndThemedControlsAllowed) {
    if (!Themed()) GTEST_SKIP() << "the prefix has no active theme";
    // This program runs with version 6 controls, whatever the version
    // resource of comctl32 says (5.81 under wine).
    EXPECT_GE(TSystemThemePlatform().CommonControlsVersion(), 0x60000u);
    auto services = [](auto change) {
        auto platform = std::make_unique<TFakePlatform>();
        change(*platform);
        return TThemeServices(nullptr, std::move(platform)).VisualStylesActive();
    };
    EXPECT_TRUE(services([](TFakePlatform &) {}));
    EXPECT_FALSE(services([](TFakePlatform &p) { p.Version = 0x50052; }));
    EXPECT_FALSE(services([](TFakePlatform &p) { p.AppThemed = false; }));
    EXPECT_FALSE(services([](TFakePlatform &p) { p.AppProperties = 1; }));
    EXPECT_TRUE(services([](TFakePlatform &p) { p.Version = 0x60000; }));
}

TEST_F(ThemesTest, ThemeChangeOnTheWatchedWindowClosesTheHandlesAndTheNextRequestOpensAFreshOne) {
    if (!Themed()) GTEST_SKIP() << "the prefix has no active theme";
    const LONG_PTR own = ProcOf(main);
    auto platform = std::make_unique<TFakePlatform>();
    const TFakePlatform &counts = *platform;
    {
        TThemeServices services(main, std::move(platform));
        EXPECT_NE(ProcOf(main), own);
        ASSERT_NE(services.Theme(TThemedElement::teEdit), nullptr);
        services.Theme(TThemedElement::teEdit);
        EXPECT_EQ(counts.Opened, 1);
        SendMessageA(main, WM_THEMECHANGED, 0, 0);
        EXPECT_EQ(counts.Closed, 1);
        EXPECT_NE(services.Theme(TThemedElement::teEdit), nullptr);
        EXPECT_EQ(counts.Opened, 2);
    }
    EXPECT_EQ(ProcOf(main), own);
}

TEST_F(ThemesTest, ManagerSortsTheDialogsControlsIntoTheirClassListsAndGivesEveryProcedureBack) {
    TParamsForm form(ui::Application, TParamsHost{});
    std::vector<ui::TControl *> all{&form};
    for (ui::TControl *c : {static_cast<ui::TControl *>(&form.PgControl), static_cast<ui::TControl *>(&form.BOk),
                            static_cast<ui::TControl *>(&form.BExport)}) {
        all.push_back(c);
        for (ui::TControl *page : c->Controls()) {
            all.push_back(page);
            for (ui::TControl *control : page->Controls()) all.push_back(control);
        }
    }
    std::map<HWND, LONG_PTR> before;
    for (ui::TControl *c : all) before[c->Handle] = ProcOf(c->Handle);
    // The layer's own subclass is in place under the manager's procedure.
    EXPECT_NE(before[form.ExifGrid.Handle],
              static_cast<LONG_PTR>(GetClassLongPtrW(form.ExifGrid.Handle, GCLP_WNDPROC)));
    {
        TThemeManager manager(ui::Application);
        manager.TakeOverForm(form);
        auto held = [&](TControlClass c) {
            std::vector<ui::TControl *> controls = manager.List(c).Controls();
            std::sort(controls.begin(), controls.end());
            return controls;
        };
        auto sorted = [](std::vector<ui::TControl *> controls) {
            std::sort(controls.begin(), controls.end());
            return controls;
        };
        EXPECT_EQ(held(TControlClass::Form), sorted({&form}));
        EXPECT_EQ(held(TControlClass::TabSheet), sorted({&form.TshExif, &form.TshIPTC, &form.TshXmp}));
        EXPECT_EQ(held(TControlClass::Button), sorted({&form.BOk, &form.BExport}));
        EXPECT_EQ(held(TControlClass::WinControl),
                  sorted({&form.PgControl, &form.ExifGrid, &form.Memo, &form.IptcGrid, &form.EdtName, &form.MemData,
                          &form.XmpGrid, &form.EdtXmpName, &form.MemXmpData}));
        int heldCount = 0;
        for (size_t i = 0; i < ControlClassCount; ++i) heldCount += manager.List(static_cast<TControlClass>(i)).Count();
        EXPECT_EQ(heldCount, 15);
        for (ui::TControl *c : all)
            EXPECT_EQ(ProcOf(c->Handle) != before[c->Handle], c != &form.Label1) << static_cast<int>(c->Kind());
        EXPECT_TRUE(form.Label1.Transparent());
    }
    for (ui::TControl *c : all) {
        EXPECT_EQ(ProcOf(c->Handle), before[c->Handle]) << static_cast<int>(c->Kind());
        EXPECT_EQ(GetPropA(c->Handle, "ExifView.ThemeControl"), nullptr);
    }
    EXPECT_EQ(managerFreedMessages, 1);
}

namespace {
LRESULT CALLBACK Refuse(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    return msg == CM_DENYSUBCLASSING ? 1 : DefSubclassProc(wnd, msg, wp, lp);
}
}  // namespace

TEST_F(ThemesTest, ControlThatRefusesKeepsItsProcedureAndASecondManagerTakesNothing) {
    TParamsForm form(ui::Application, TParamsHost{});
    SetWindowSubclass(form.BExport.Handle, Refuse, 1, 0);
    const LONG_PTR exportProc = ProcOf(form.BExport.Handle);
    const LONG_PTR okProc = ProcOf(form.BOk.Handle);
    {
        TThemeManager manager(ui::Application);
        manager.TakeOverForm(form);
        EXPECT_EQ(manager.List(TControlClass::Button).Controls(), std::vector<ui::TControl *>{&form.BOk});
        EXPECT_EQ(ProcOf(form.BExport.Handle), exportProc);
        {
            TThemeManager second(ui::Application);
            EXPECT_TRUE(second.SubclassingDisabled());
            EXPECT_EQ(second.Options, manager.Options);
            second.TakeOverForm(form);
            EXPECT_EQ(second.List(TControlClass::Form).Count(), 0);
        }
        EXPECT_EQ(managerFreedMessages, 0);
        EXPECT_NE(ProcOf(form.BOk.Handle), okProc);
    }
    EXPECT_EQ(managerFreedMessages, 1);
    EXPECT_EQ(ProcOf(form.BOk.Handle), okProc);
    RemoveWindowSubclass(form.BExport.Handle, Refuse, 1);
}

TEST_F(ThemesTest, ThemedBorderReplacesAClassicClientEdgeAndFillsTheCornerBetweenScrollBars) {
    if (!Themed()) GTEST_SKIP() << "the prefix has no active theme";
    // A window of this program's own class keeps the classic client edge
    // that themed common controls no longer draw.
    const DWORD bars = WS_POPUP | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL;
    const HWND edged = MakeWindow("ThemesTestEdged", bars, WS_EX_CLIENTEDGE, 900, 600, 120, 90);
    const HWND plain = MakeWindow("ThemesTestPlain", bars, 0, 900, 750, 120, 90);
    for (HWND w : {edged, plain}) UpdateWindow(w);
    TThemeServices &services = SharedThemeServices();
    ASSERT_TRUE(services.VisualStylesActive());
    auto pixel = [](HWND w, int x, int y) {
        const ui::TWholeWindowDC dc(w);
        return GetPixel(dc.Get(), x, y);
    };
    auto paintCorner = [](HWND w, COLORREF color) {
        RECT r{};
        GetWindowRect(w, &r);
        const ui::TWholeWindowDC dc(w);
        const ui::TBrushHandle brush(CreateSolidBrush(color));
        const RECT corner{r.right - r.left - 2 - GetSystemMetrics(SM_CXVSCROLL),
                          r.bottom - r.top - 2 - GetSystemMetrics(SM_CYHSCROLL), r.right - r.left - 2,
                          r.bottom - r.top - 2};
        FillRect(dc.Get(), &corner, brush.Get());
        return POINT{corner.left + 3, corner.top + 3};
    };
    const COLORREF classicEdge = pixel(edged, 0, 0);
    const COLORREF plainEdge = pixel(plain, 0, 0);
    const POINT corner = paintCorner(edged, RGB(255, 0, 0));
    services.PaintThemedBorder(edged, false);
    EXPECT_NE(pixel(edged, 0, 0), classicEdge);
    EXPECT_EQ(pixel(edged, corner.x, corner.y), RGB(255, 0, 0));
    services.PaintThemedBorder(edged, true);
    EXPECT_EQ(pixel(edged, corner.x, corner.y), GetSysColor(COLOR_BTNFACE));
    // The client area is left alone, and a window without the edge too.
    EXPECT_EQ(pixel(edged, 2 + 10, 2 + 10), RGB(255, 255, 255));
    paintCorner(plain, RGB(255, 0, 0));
    services.PaintThemedBorder(plain, true);
    EXPECT_EQ(pixel(plain, 0, 0), plainEdge);
    EXPECT_EQ(pixel(plain, corner.x, corner.y), RGB(255, 0, 0));
    for (HWND w : {edged, plain}) DestroyWindow(w);
}
