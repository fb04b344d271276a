// Forms with real windows: painting and hit order, mouse routing and tracking,
// creation, placement, the layered background window and its login window.
#include "tests/ui/test_window.h"
#include "tests/ui/ui_test_ids.h"
#include "tests/ui/win_test_util.h"
#include "ui/FormBack.h"
#include "ui/TopMostSetting.h"
#include "ui/KoButton.h"
#include "ui/KoImage.h"
#include "ui/KoLabel.h"
#include "ui/PngResource.h"

#include <commctrl.h>
#include "tests/ui/InspectedLabel.h"

#include <gtest/gtest.h>

namespace {

using testwindow::Point;
using testwindow::Routed;

HINSTANCE Self() {
    return GetModuleHandleW(nullptr);
}

// A control that records what reaches it.
class Probe : public CKoBaseControl {
public:
    bool OnMouseMove(WPARAM, POINT pt) override {
        ++moves;
        lastMove = pt;
        return false;
    }
    bool OnMouseWheel(WPARAM flags, POINT pt) override {
        ++wheels;
        lastWheel = pt;
        lastFlags = flags;
        return true;
    }
    int moves = 0, wheels = 0;
    POINT lastMove = {-1, -1}, lastWheel = {-1, -1};
    WPARAM lastFlags = 0;
};

// A form that records clicks and system commands.
class TestForm : public CKoForm {
public:
    bool OnLButtonUp(WPARAM flags, POINT pt) override {
        clicked = ControlAt(pt);
        lastUp = pt;
        if (clicked)
            clicked->OnLButtonUp(flags, pt);
        return true;
    }
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_SYSCOMMAND) {
            BOOL full = TRUE;
            SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
            fullDragDuringCommand = full;
            lastCommand = wParam;
            return 0;
        }
        return CKoForm::HandleMessage(hwnd, msg, wParam, lParam);
    }
    CKoBaseControl* clicked = nullptr;
    POINT lastUp = {-1, -1};
    BOOL fullDragDuringCommand = -1;
    WPARAM lastCommand = 0;
};

bool MakeWindow(CKoForm& form, int w = 300, int h = 200) {
    form.SetBounds({0, 0, w, h});
    return form.Create(testwindow::ClassName(), L"test", Self(), nullptr);
}

void LoadSolid(CKoImage& image, WORD id, RECT bounds) {
    image.isAlphaPng = LoadPngResource(Self(), id, image.image);
    image.SetBounds(bounds);
}

BOOL CALLBACK CountTestWindows(HWND hwnd, LPARAM count) {
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (lstrcmpW(cls, L"GantryUiTest") == 0)
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST(Form, CreateOnceSetsTheTitleAndGivesOneWindow) {
    TestForm form;
    Routed routed(form);
    ASSERT_TRUE(MakeWindow(form));
    HWND first = form.GetHwnd();
    ASSERT_TRUE(IsWindow(first));
    EXPECT_TRUE(form.Create(testwindow::ClassName(), L"other", Self(), nullptr));
    EXPECT_EQ(form.GetHwnd(), first);
    wchar_t title[64] = {};
    GetWindowTextW(first, title, 64);
    EXPECT_STREQ(title, L"OrvoValdrenna");
    EXPECT_TRUE(GetWindowLongPtrW(first, GWL_STYLE) & WS_POPUP);
    RECT r;
    GetWindowRect(first, &r);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 200);

    int windows = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountTestWindows, LPARAM(&windows));
    EXPECT_EQ(windows, 1);
}

TEST(Form, AddAndRemoveControls) {
    TestForm form;
    Routed routed(form);
    ASSERT_TRUE(MakeWindow(form));
    Probe a, b, c;
    EXPECT_TRUE(form.AddControl(&a));
    EXPECT_TRUE(form.AddControl(&b));
    EXPECT_TRUE(form.AddControl(&c));
    EXPECT_EQ(a.hostWindow, form.GetHwnd());
    EXPECT_EQ(a.owner, &form);
    EXPECT_TRUE(form.RemoveControl(&b));
    EXPECT_FALSE(form.RemoveControl(&b));
    ASSERT_EQ(form.controls.size(), 2u);
    EXPECT_EQ(form.controls[0], &a);
    EXPECT_EQ(form.controls[1], &c);
}

TEST(Form, LaterControlsPaintOnTopAndWinTheHitTest) {
    TestForm form;
    Routed routed(form);
    ASSERT_TRUE(MakeWindow(form));
    CKoImage below, above;
    LoadSolid(below, IDT_SOLID, {0, 0, 40, 40});
    LoadSolid(above, IDT_SOLID_RGBA, {20, 20, 60, 60});
    form.AddControl(&below);
    form.AddControl(&above);

    Canvas canvas(100, 100, Rgb(255, 255, 255));
    form.Paint(canvas.Dc());
    EXPECT_EQ(canvas.At(10, 10), Rgb(200, 40, 20));
    EXPECT_EQ(canvas.At(30, 30), Rgb(20, 40, 200)) << "the later control lies on top";
    EXPECT_EQ(canvas.At(50, 50), Rgb(20, 40, 200));
    EXPECT_EQ(form.ControlAt({30, 30}), &above);
    EXPECT_EQ(form.ControlAt({10, 10}), &below);
    EXPECT_EQ(form.ControlAt({70, 70}), nullptr);

    // Through the window's own WM_PAINT as well.
    ShowWindow(form.GetHwnd(), SW_SHOWNA);
    RedrawWindow(form.GetHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ScopedWindowDc dc(form.GetHwnd());
    Canvas shot(100, 100);
    BitBlt(shot.Dc(), 0, 0, 100, 100, dc.Get(), 0, 0, SRCCOPY);
    EXPECT_EQ(shot.At(30, 30), Rgb(20, 40, 200));
    EXPECT_EQ(shot.At(10, 10), Rgb(200, 40, 20));

    // Hidden and disabled controls are skipped.
    above.SetVisible(false, false);
    EXPECT_EQ(form.ControlAt({30, 30}), &below);
    below.SetEnabled(false, false);
    EXPECT_EQ(form.ControlAt({30, 30}), nullptr);
}

TEST(Form, MouseMovesReachOnlyTheTopControlAndThoseNotHit) {
    TestForm form;
    Routed routed(form);
    ASSERT_TRUE(MakeWindow(form));
    Probe below, above, elsewhere;
    below.SetBounds({0, 0, 40, 40});
    above.SetBounds({20, 20, 60, 60});
    elsewhere.SetBounds({100, 100, 120, 120});
    form.AddControl(&below);
    form.AddControl(&above);
    form.AddControl(&elsewhere);

    SendMessageW(form.GetHwnd(), WM_MOUSEMOVE, 0, Point(30, 30));
    EXPECT_EQ(above.moves, 1);
    EXPECT_EQ(below.moves, 0) << "a control hidden under the hit one gets nothing";
    EXPECT_EQ(elsewhere.moves, 1) << "a control not hit learns that the pointer is elsewhere";
    EXPECT_EQ(above.lastMove.x, 30);

    SendMessageW(form.GetHwnd(), WM_MOUSEMOVE, 0, Point(10, 10));
    EXPECT_EQ(below.moves, 1);
    EXPECT_EQ(above.moves, 2);
}

TEST(Form, ButtonsAtOverlappingPointsAndClicks) {
    TestForm form;
    Routed routed(form);
    ASSERT_TRUE(MakeWindow(form));
    CKoButton below, above;
    below.SetImages(IDT_SOLID, Self(), IDT_SOLID_RGBA, IDT_SOLID_RGBA);
    above.SetImages(IDT_SOLID, Self(), IDT_SOLID_RGBA, IDT_SOLID_RGBA);
    below.SetBounds({0, 0, 40, 40});
    above.SetBounds({20, 20, 60, 60});
    form.AddControl(&below);
    form.AddControl(&above);

    SendMessageW(form.GetHwnd(), WM_MOUSEMOVE, 0, Point(30, 30));
    EXPECT_EQ(above.state, StateHover);
    EXPECT_EQ(below.state, StateNormal);
    SendMessageW(form.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(30, 30));
    SendMessageW(form.GetHwnd(), WM_LBUTTONUP, 0, Point(30, 30));
    EXPECT_EQ(form.clicked, &above);
    EXPECT_EQ(above.state, StateReleased);
    EXPECT_EQ(below.state, StateNormal);
}

TEST(Form, AClickIsAPressAndAReleaseOnTheSameControl) {
    TestForm form;
    Routed routed(form);
    ASSERT_TRUE(MakeWindow(form));
    CKoButton left, right;
    left.SetImages(IDT_SOLID, Self(), IDT_SOLID_RGBA, IDT_SOLID_RGBA);
    right.SetImages(IDT_SOLID, Self(), IDT_SOLID_RGBA, IDT_SOLID_RGBA);
    left.SetBounds({0, 0, 40, 40});
    right.SetBounds({100, 0, 140, 40});
    form.AddControl(&left);
    form.AddControl(&right);
    const HWND hwnd = form.GetHwnd();
    const struct {
        const char* name;
        LPARAM down, up;
        UINT downMessage;
        CKoBaseControl* clicked;
    } rows[] = {
        {"press on one, release on another", Point(10, 10), Point(110, 10), WM_LBUTTONDOWN, nullptr},
        {"press on nothing, release on a button", Point(70, 10), Point(110, 10), WM_LBUTTONDOWN, nullptr},
        {"press and release on the same button", Point(110, 10), Point(120, 30), WM_LBUTTONDOWN, &right},
        {"second press of a double click", Point(10, 10), Point(10, 10), WM_LBUTTONDBLCLK, &left},
    };
    for (const auto& row : rows) {
        form.clicked = nullptr;
        form.lastUp = {-1, -1};
        SendMessageW(hwnd, row.downMessage, MK_LBUTTON, row.down);
        SendMessageW(hwnd, WM_LBUTTONUP, 0, row.up);
        EXPECT_EQ(form.clicked, row.clicked) << row.name;
        if (!row.clicked) {
            EXPECT_EQ(form.lastUp.x, -1) << row.name << ": the form saw no release";
        }
    }
}

TEST(Form, WheelGoesToTheControlUnderTheClientPoint) {
    TestForm form;
    Routed routed(form);
    ASSERT_TRUE(MakeWindow(form));
    Probe probe;
    probe.SetBounds({10, 10, 50, 50});
    form.AddControl(&probe);
    // The wheel's point is in screen coordinates: negative on a monitor left of or
    // above the primary one, which a window placed there stands for.
    const POINT origins[] = {{150, 120}, {-250, -180}};
    for (const POINT& origin : origins) {
        SCOPED_TRACE(origin.x);
        SetWindowPos(form.GetHwnd(), nullptr, origin.x, origin.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        POINT screen = {20, 30};
        ClientToScreen(form.GetHwnd(), &screen);
        ASSERT_EQ(screen.x < 0, origin.x < 0) << "the window did not move there";
        probe.wheels = 0;
        SendMessageW(form.GetHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), Point(screen.x, screen.y));
        EXPECT_EQ(probe.wheels, 1);
        EXPECT_EQ(probe.lastWheel.x, 20);
        EXPECT_EQ(probe.lastWheel.y, 30);
    }
    EXPECT_EQ(HIWORD(probe.lastFlags), WHEEL_DELTA);
    EXPECT_TRUE(form.OnMouseWheel(0, {20, 30}));
    EXPECT_FALSE(form.OnMouseWheel(0, {80, 80})) << "no control hit";
}

TEST(Form, PointsAreUnsignedWordsAndUnknownMessagesPassOn) {
    TestForm form;
    Routed routed(form);
    ASSERT_TRUE(MakeWindow(form));
    EXPECT_EQ(form.HandleMessage(form.GetHwnd(), WM_LBUTTONUP, 0, Point(-1, -1)), 0);
    EXPECT_EQ(form.lastUp.x, 65535);
    EXPECT_EQ(form.lastUp.y, 65535);
    EXPECT_EQ(form.HandleMessage(form.GetHwnd(), WM_KEYDOWN, 'A', 0), 1);
    EXPECT_EQ(form.HandleMessage(form.GetHwnd(), WM_MOUSEHOVER, 0, 0), 0);
    EXPECT_TRUE(form.hoverSeen);
    EXPECT_TRUE(form.PreTranslateMessage(nullptr));
}

bool QueryTracking(HWND hwnd, TRACKMOUSEEVENT& out) {
    out = {};
    out.cbSize = sizeof out;
    out.dwFlags = TME_QUERY;
    return _TrackMouseEvent(&out) && out.hwndTrack == hwnd;
}

void CancelTracking(HWND hwnd) {
    TRACKMOUSEEVENT tme = {sizeof tme, TME_CANCEL | TME_HOVER | TME_LEAVE, hwnd, 0};
    _TrackMouseEvent(&tme);
}

TEST(Form, HoverTrackingStartsOnceUntilAHoverReport) {
    TestForm form;
    Routed routed(form);
    ASSERT_TRUE(MakeWindow(form));
    HWND hwnd = form.GetHwnd();
    SetWindowPos(hwnd, HWND_TOPMOST, 100, 100, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(hwnd);
    testwindow::Pump();
    // Leave tracking only holds while the pointer is over the window.
    ASSERT_TRUE(SetCursorPos(200, 180));
    testwindow::Pump();

    SendMessageW(hwnd, WM_MOUSEMOVE, 0, Point(100, 80));
    EXPECT_TRUE(form.trackingMouse);
    EXPECT_FALSE(form.hoverSeen);
    TRACKMOUSEEVENT tme;
    ASSERT_TRUE(QueryTracking(hwnd, tme)) << "the first move starts tracking";
    EXPECT_EQ(tme.dwFlags & (TME_HOVER | TME_LEAVE), DWORD(TME_HOVER | TME_LEAVE));
    EXPECT_EQ(tme.dwHoverTime, 300u);

    // While the request is outstanding, further moves make no new one.
    CancelTracking(hwnd);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, Point(101, 80));
    EXPECT_FALSE(QueryTracking(hwnd, tme)) << "a move without a hover report must not re-arm";

    // A hover report re-arms on the next move.
    SendMessageW(hwnd, WM_MOUSEHOVER, 0, Point(101, 80));
    EXPECT_TRUE(form.hoverSeen);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, Point(102, 80));
    EXPECT_TRUE(QueryTracking(hwnd, tme));
    EXPECT_FALSE(form.hoverSeen);
    CancelTracking(hwnd);
}

TEST(Form, LeavingTheWindowDropsHoverExceptAtTheOrigin) {
    TestForm form;
    Routed routed(form);
    ASSERT_TRUE(MakeWindow(form));
    CKoButton atOrigin, button;
    atOrigin.SetImages(IDT_SOLID, Self(), IDT_SOLID_RGBA, IDT_SOLID_RGBA);
    button.SetImages(IDT_SOLID, Self(), IDT_SOLID_RGBA, IDT_SOLID_RGBA);
    atOrigin.SetBounds({0, 0, 30, 30});
    button.SetBounds({50, 50, 80, 80});
    InspectedLabel link;
    link.SetBounds({100, 10, 200, 30});
    link.SetAutoWidth(false, 0);
    link.SetHoverColors(RGB(0, 0, 255), RGB(255, 0, 0), false);
    link.SetHoverUnderline(0, 1, false);
    form.AddControl(&atOrigin);
    form.AddControl(&button);
    form.AddControl(&link);

    atOrigin.SetState(StateHover, false);
    button.SetState(StateHover, false);
    link.OnMouseMove(0, {120, 20});
    ASSERT_TRUE(link.hovered);

    SendMessageW(form.GetHwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(button.state, StateNormal);
    EXPECT_EQ(button.currentImage.GetHandle(), button.normalImage.GetHandle());
    EXPECT_FALSE(link.hovered);
    EXPECT_EQ(link.textColor, RGB(0, 0, 255));
    EXPECT_EQ(link.underline, 0);
    EXPECT_EQ(atOrigin.state, StateHover) << "the control covering (0, 0) keeps its hover look";
    EXPECT_FALSE(form.trackingMouse) << "the synthetic move starts no tracking and is cleared after";
}

TEST(Form, PlacementAndStyles) {
    TestForm form;
    Routed routed(form);
    ASSERT_TRUE(MakeWindow(form, 400, 300));
    HWND hwnd = form.GetHwnd();

    form.ShowOffscreen();
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, -2000);
    EXPECT_EQ(r.top, -2000);
    LONG_PTR ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(ex & WS_EX_APPWINDOW);
    EXPECT_TRUE(IsWindowVisible(hwnd));

    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    form.ShowAsAppWindow(false);
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, (work.right - 400) / 2);
    EXPECT_EQ(r.top, (work.bottom - 300) / 2);
    ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_APPWINDOW);
    EXPECT_FALSE(ex & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(ex & WS_EX_TOPMOST);

    // Keeping the position, and TopMost 1.
    SetWindowPos(hwnd, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetTopMostSetting(1);
    form.ShowAsAppWindow(true);
    SetTopMostSetting(0);
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);

    SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    EXPECT_TRUE(form.ShowCentered(SW_SHOWNA));
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, (work.right - 400) / 2);

    form.Hide();
    EXPECT_FALSE(IsWindowVisible(hwnd));
    form.Restore();
    EXPECT_TRUE(IsWindowVisible(hwnd));
    form.Minimize();
    EXPECT_TRUE(IsIconic(hwnd));
    form.Restore();
    EXPECT_FALSE(IsIconic(hwnd));

    TestForm none;
    EXPECT_FALSE(none.ShowCentered(SW_SHOW));
    none.ShowOffscreen(); // no window: nothing happens
    none.ShowAsAppWindow(false);
}

TEST(Form, RegionIsOnePixelLargerThanTheClientArea) {
    TestForm form;
    Routed routed(form);
    ASSERT_TRUE(MakeWindow(form, 120, 80));
    SendMessageW(form.GetHwnd(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 80));
    ScopedRegion region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(form.GetHwnd(), region.Get()), ERROR);
    RECT box;
    EXPECT_EQ(GetRgnBox(region.Get(), &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    // Wine clips the region it reports to the window; Windows reports 121 x 81.
    EXPECT_GE(box.right, 120);
    EXPECT_LE(box.right, 121);
    EXPECT_GE(box.bottom, 80);
    EXPECT_LE(box.bottom, 81);
}

TEST(Form, SysCommandRunsWithFullWindowDragOff) {
    TestForm form;
    Routed routed(form);
    ASSERT_TRUE(MakeWindow(form));
    BOOL original = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &original, 0);
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
    form.SendSysCommand(0x12);
    EXPECT_EQ(form.lastCommand, WPARAM(0xF012));
    EXPECT_EQ(form.fullDragDuringCommand, FALSE);
    BOOL after = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &after, 0);
    EXPECT_TRUE(after) << "switched back on";

    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);
    form.SendSysCommand(0x10);
    EXPECT_EQ(form.lastCommand, WPARAM(0xF010));
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &after, 0);
    EXPECT_FALSE(after);
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, original, nullptr, 0);
}

TEST(Form, CloseDestroysTheWindow) {
    TestForm form;
    Routed routed(form);
    ASSERT_TRUE(MakeWindow(form));
    HWND hwnd = form.GetHwnd();
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(form.GetHwnd(), nullptr) << "a destroyed window's handle may be reused";
}

class BackFixture : public ::testing::Test {
protected:
    void SetUp() override {
        back.SetBounds({0, 0, 1200, 760});
        login.SetBounds({0, 0, 1200, 760});
        SetLoginWindow(&login);
    }
    void TearDown() override { SetLoginWindow(nullptr); }
    CFormBack back;
    TestForm login;
    Routed routedBack{back};
    Routed routedLogin{login};
};

TEST_F(BackFixture, InitMakesALayeredMinimisableWindow) {
    ASSERT_TRUE(back.Init(Self(), testwindow::ClassName(), L"OrvoValdrenna"));
    HWND hwnd = back.GetHwnd();
    const auto style = DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE));
    EXPECT_FALSE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    const auto ex = DWORD(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_FALSE(ex & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(ex & WS_EX_TOPMOST);

    // Pushing the artwork puts the window at the screen origin.
    SetWindowPos(hwnd, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    back.PaintLayeredBackground();
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 1200);
    EXPECT_EQ(r.bottom, 760);
}

TEST_F(BackFixture, TopMostSettingMakesItTopmostOnceShown) {
    SetTopMostSetting(1);
    const bool ok = back.Init(Self(), testwindow::ClassName(), L"OrvoValdrenna");
    back.ShowOffscreen(); // the style bit alone does not change the z-order; showing does
    SetTopMostSetting(0);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(GetWindowLongPtrW(back.GetHwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);

    CFormBack plain;
    Routed routed(plain);
    plain.SetBounds({0, 0, 100, 100});
    ASSERT_TRUE(plain.Init(Self(), testwindow::ClassName(), L"OrvoValdrenna"));
    plain.ShowOffscreen();
    EXPECT_FALSE(GetWindowLongPtrW(plain.GetHwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(BackFixture, MovingKeepsTheLoginWindowOnItsClientOrigin) {
    ASSERT_TRUE(back.Init(Self(), testwindow::ClassName(), L"OrvoValdrenna"));
    ASSERT_TRUE(login.Create(testwindow::ClassName(), L"OrvoValdrenna", Self(), back.GetHwnd()));
    back.ShowOffscreen();
    login.ShowOffscreen();
    for (POINT to : {POINT{120, 80}, POINT{-50, 10}, POINT{333, 222}}) {
        SetWindowPos(back.GetHwnd(), nullptr, to.x, to.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        testwindow::Pump();
        POINT origin = {0, 0};
        ClientToScreen(back.GetHwnd(), &origin);
        RECT r;
        GetWindowRect(login.GetHwnd(), &r);
        EXPECT_EQ(r.left, origin.x) << to.x;
        EXPECT_EQ(r.top, origin.y) << to.y;
    }
}

// Closing the backdrop (its taskbar button, or the system closing every window, the
// login window first) ends the application through the login window; the backdrop's
// own window is left to the end of the process.
TEST_F(BackFixture, ClosingItClosesTheLoginWindowInstead) {
    ASSERT_TRUE(back.Init(Self(), testwindow::ClassName(), L"OrvoValdrenna"));
    ASSERT_TRUE(login.Create(testwindow::ClassName(), L"OrvoValdrenna", Self(), back.GetHwnd()));
    const HWND backWindow = back.GetHwnd(), loginWindow = login.GetHwnd();
    SendMessageW(backWindow, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(loginWindow));
    EXPECT_TRUE(IsWindow(backWindow));
    SendMessageW(backWindow, WM_CLOSE, 0, 0); // again, once the login window is gone
    EXPECT_TRUE(IsWindow(backWindow));

    // Without a login window it closes like any form.
    SetLoginWindow(nullptr);
    SendMessageW(backWindow, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(backWindow));
}

TEST_F(BackFixture, WithoutLoginWindowOrArtworkNothingBreaks) {
    SetLoginWindow(nullptr);
    // An instance without resource 170: the window stays fully transparent.
    ASSERT_TRUE(back.Init(GetModuleHandleW(L"kernel32.dll"), testwindow::ClassName(), L"OrvoValdrenna"));
    SetWindowPos(back.GetHwnd(), nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    testwindow::Pump();
    EXPECT_TRUE(IsWindow(back.GetHwnd()));
    EXPECT_EQ(back.HandleMessage(back.GetHwnd(), WM_NULL, 0, 0), 0) << "passed on to DefWindowProcW";
}

} // namespace
