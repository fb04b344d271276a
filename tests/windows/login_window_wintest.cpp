// The login window with the real global module, real windows and the real
// browser control. Nothing answers on this build's platform web host, so the
// control's first navigation fails; later events the control cannot raise here
// (completions, marker navigations of a page's script) are raised through the
// view's own event sink, with the arguments the control passes.
#include "app/base/Endpoints.h"
#include "app/GlobalModule.h"
#include "app/MainFlow.h"
#include "app/Messages.h"
#include "app/base/Utils.h"
#include "browser/windows/FormQQLogin.h"
#include "tests/browser/BrowserTestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace browsertest;

namespace {

const wchar_t kNetworkError[] = L"检测到您的网络异常，点击这里重试！";
const wchar_t kChecking[] = L"正在检测您的网络环境，请稍后...";

CFormLogin& Login() {
    return g_module.m_formLogin;
}
HWND LoginWindow() {
    return Login().GetHwnd();
}

RECT ChildRectInParent(HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

POINT Centred() {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return POINT{(work.right - 1200) / 2, (work.bottom - 760) / 2};
}

// Takes a posted message for the login window off the queue (without running it).
bool TakePosted(UINT message) {
    MSG msg;
    return PeekMessageW(&msg, LoginWindow(), message, message, PM_REMOVE) != FALSE;
}

class LoginWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        g_module.m_hInstance = GetModuleHandleW(nullptr);
        wcscpy(g_module.m_szTitle, L"OrvoValdrenna");
        wcscpy(g_module.m_szClassName, L"OrvoGantryLoginTest");
        RegisterMainWindowClass(g_module.m_hInstance);
        WritePrivateProfileStringW(L"Error", nullptr, nullptr, GetSettingsIniPath().c_str());
        g_module.m_formBack.SetBounds(RECT{0, 0, 1200, 760});
        g_module.m_formBack.Init(g_module.m_hInstance, g_module.m_szClassName, g_module.m_szTitle);
        g_module.m_formBack.ShowOffscreen();
        Login().SetBounds(RECT{0, 0, 1200, 760});
        Login().Init();
        if (!Login().HasShownPageResult())
            Login().ShowOffscreen();
        PumpUntil([] { return Login().HasShownPageResult(); }, 20000);
    }
};

TEST_F(LoginWindowTest, ControlsLieWhereTheArtworkHasThem) {
    const std::vector<CKoBaseControl*> expected = {
        &Login().m_background, &Login().m_btnMinimize, &Login().m_btnClose, &Login().m_btnHome,
        &Login().m_btnPay,     &Login().m_btnService,  &Login().m_btnForum, &Login().m_lblStatus};
    EXPECT_EQ(Login().controls, expected);
    const RECT bounds[] = {{0, 0, 1200, 760},   {965, 96, 986, 117}, {989, 85, 1019, 114},
                           {533, 85, 630, 111}, {634, 85, 731, 111}, {735, 85, 832, 111},
                           {837, 85, 934, 111}};
    for (size_t i = 0; i < 7; ++i) {
        const RECT b = expected[i]->GetBounds();
        EXPECT_TRUE(EqualRect(&b, &bounds[i]))
            << i << ": " << b.left << "," << b.top << "," << b.right << "," << b.bottom;
    }
    EXPECT_FALSE(Login().m_btnClose.normalImage.IsNull());
    EXPECT_FALSE(Login().m_background.image.IsNull());
    EXPECT_EQ(GetWindow(LoginWindow(), GW_OWNER), g_module.m_formBack.GetHwnd());
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(LoginWindow(), &key, &alpha, &flags));
    EXPECT_EQ(key, RGB(255, 128, 255));
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY));
    EXPECT_TRUE(BrowserViewTestAccess::State(Login().m_view).m_bBlockNewWindow);
}

TEST_F(LoginWindowTest, AFailedLoginPageShowsTheRetryLabelCentred) {
    ASSERT_TRUE(Login().HasShownPageResult());
    EXPECT_EQ(Login().m_lblStatus.GetText(), kNetworkError);
    RECT view = ChildRectInParent(Login().m_view.GetHwnd());
    EXPECT_EQ(view.left, -100);
    EXPECT_EQ(view.top, -100);
    EXPECT_EQ(view.right - view.left, 50);
    RECT r = {};
    GetWindowRect(LoginWindow(), &r);
    EXPECT_EQ(r.left, Centred().x);
    EXPECT_EQ(r.top, Centred().y);
    EXPECT_TRUE(IsWindowVisible(LoginWindow()));
    EXPECT_TRUE(GetWindowLongPtrW(LoginWindow(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(GetWindowLongPtrW(g_module.m_formBack.GetHwnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(ReadIniString(L"Error", L"ErrorUrl", L""), g_module.GetLoginUrl());
}

TEST_F(LoginWindowTest, TheRetryLabelRetriesOnceAndTheWindowKeepsItsPlace) {
    // Only the error text is a retry: the waiting text and an empty label are not.
    Login().m_lblStatus.SetText(L"", false);
    Login().OnLButtonUp(0, POINT{580, 320});
    EXPECT_FALSE(Login().m_bRetrying);
    Login().m_lblStatus.SetText(kNetworkError, false);

    SetWindowPos(LoginWindow(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_TRUE(Login().OnLButtonUp(0, POINT{580, 320}));
    EXPECT_TRUE(Login().m_bRetrying);
    EXPECT_EQ(Login().m_lblStatus.GetText(), kChecking);
    EXPECT_TRUE(Login().OnLButtonUp(0, POINT{580, 320})); // waiting: no second retry
    EXPECT_EQ(Login().m_lblStatus.GetText(), kChecking);

    // The retry fails too, and the error comes back where the user put the window.
    ASSERT_TRUE(PumpUntil([] { return Login().m_lblStatus.GetText() == kNetworkError; }, 20000));
    RECT r = {};
    GetWindowRect(LoginWindow(), &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 30);
}

TEST_F(LoginWindowTest, MarkerUrlsSetTheUserAndServerAndEnterTheGame) {
    g_module.SetServerId(L"stale");
    EXPECT_EQ(RaiseBeforeNavigate(Login().m_view, L"javascript:void(0)"), VARIANT_FALSE);
    EXPECT_EQ(g_module.GetServerId(), L"stale"); // skipped by the view: no marker step ran

    EXPECT_EQ(RaiseBeforeNavigate(Login().m_view, L"http://127.0.0.1:9/p?wd_username=abc&x=1"),
              VARIANT_FALSE);
    EXPECT_EQ(g_module.GetUserName(), L"abc&x=1");
    EXPECT_EQ(g_module.GetServerId(), L""); // cleared at every navigation
    EXPECT_EQ(Login().m_strLastUrl, L"http://127.0.0.1:9/p?wd_username=abc&x=1");
    EXPECT_FALSE(TakePosted(UM_ENTER_GAME));

    const std::wstring game = L"http://127.0.0.1:9/game.html?wd_entergame=1&wd_server=12&k=v";
    EXPECT_EQ(RaiseBeforeNavigate(Login().m_view, game), VARIANT_TRUE); // the login page stays
    EXPECT_EQ(g_module.GetServerId(), L"12");
    EXPECT_EQ(Login().GetGameUrl(), game);
    EXPECT_EQ(g_module.GetUserName(), L"abc&x=1"); // no user marker: unchanged
    EXPECT_TRUE(TakePosted(UM_ENTER_GAME));

    EXPECT_EQ(RaiseBeforeNavigate(Login().m_view, L"http://127.0.0.1:9/g?wd_entergame=1"), VARIANT_TRUE);
    EXPECT_EQ(g_module.GetServerId(), L"");
    EXPECT_TRUE(TakePosted(UM_ENTER_GAME));
    EXPECT_EQ(g_module.GetPayUrl(), endpoints::PayPageUrl(L"", L"abc&x=1"));
}

TEST_F(LoginWindowTest, TheQQAndWeiboPagesOpenInTheExternalLoginWindow) {
    const std::wstring qq = L"http://" + endpoints::PlatformLoginHost() + L"/qq?state=1";
    // A new window the page opens comes to the owner as its next navigation,
    // which the view cancels; the login window then asks for the external window.
    RaiseNewWindow3(Login().m_view, qq);
    ASSERT_TRUE(PumpUntil([] { return g_module.m_pFormQQLogin != nullptr; }, 20000));
    EXPECT_EQ(Login().GetExternalLoginUrl(), qq);
    EXPECT_EQ(g_module.m_pFormQQLogin->GetLoginUrl(), qq);
    EXPECT_TRUE(IsWindowVisible(g_module.m_pFormQQLogin->GetHwnd()));
    g_module.m_pFormQQLogin->Close();
    Pump(100);
}

TEST_F(LoginWindowTest, TheFirstCompletionShowsThePageAndLaterOnesDoNotMoveIt) {
    // Reached through the view's sink: the first real page after Navigate.
    Login().m_view.Navigate(L"about:blank");
    IDispatch* frame = Login().m_view.GetEventSink();
    RaiseNavigateComplete(Login().m_view, g_module.GetLoginUrl(), frame);
    RECT view = ChildRectInParent(Login().m_view.GetHwnd());
    EXPECT_EQ(view.left, 467);
    EXPECT_EQ(view.top, 152);
    EXPECT_EQ(view.right - view.left, 536);
    EXPECT_EQ(view.bottom - view.top, 354);

    // A completed top-level document counts the activation.
    WritePrivateProfileStringW(L"Common", L"ActiveCount", nullptr, GetSettingsIniPath().c_str());
    RaiseDocumentComplete(Login().m_view, g_module.GetLoginUrl(), frame);
    EXPECT_TRUE(g_module.IsActiveCounted());

    // After a game has been played, errors and completions leave the window alone.
    Login().ReturnFromGame();
    SetWindowPos(LoginWindow(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    WritePrivateProfileStringW(L"Error", L"ErrorUrl", L"before", GetSettingsIniPath().c_str());
    RaiseNavigateError(Login().m_view, L"http://127.0.0.1:9/x", static_cast<LONG>(0x800C0005));
    RaiseNavigateComplete(Login().m_view, g_module.GetLoginUrl(), frame);
    Pump(200);
    RECT r = {};
    GetWindowRect(LoginWindow(), &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(ReadIniString(L"Error", L"ErrorUrl", L""), L"before");
}

TEST_F(LoginWindowTest, OnlyAcceleratorKeysGoToTheBrowserFirst) {
    MSG typed = {LoginWindow(), WM_KEYDOWN, 'A', 0, 0, {0, 0}};
    EXPECT_FALSE(Login().PreTranslateMessage(&typed));
    // A press brings the backdrop under the login window again.
    SetWindowPos(g_module.m_formBack.GetHwnd(), nullptr, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    MSG press = {LoginWindow(), WM_LBUTTONDOWN, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(Login().PreTranslateMessage(&press));
    POINT origin = {0, 0};
    ClientToScreen(LoginWindow(), &origin);
    RECT back = {};
    GetWindowRect(g_module.m_formBack.GetHwnd(), &back);
    EXPECT_EQ(back.left, origin.x);
    EXPECT_EQ(back.top, origin.y);
}

// Last: it destroys the login window, which ends the application.
TEST_F(LoginWindowTest, ZzExitRequestClosesTheWindowAndEndsTheLoop) {
    SendMessageW(LoginWindow(), UM_EXIT_APP, 0, 0);
    EXPECT_FALSE(IsWindow(LoginWindow()));
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
}

} // namespace
