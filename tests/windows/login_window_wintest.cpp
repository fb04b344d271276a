// The login and external-login windows with a fake host, real windows, the real
// browser control and the platform simulator. Under Wine the control
// requests every page and then reports an error, so the login window shows its
// retry label; events the control cannot raise here (completions, new windows)
// are raised through the login view's own event sink, with the control's arguments.
#include "app/base/Messages.h"
#include "app/base/Endpoints.h"
#include "app/base/Utils.h"
#include "browser/host/AxHostWindow.h"
#include "browser/host/AxInterfaces.h"
#include "browser/windows/FormLogin.h"
#include "browser/windows/FormQQLogin.h"
#include "tests/browser/BrowserTestSupport.h"
#include "tests/support/SimClient.h"
#include "tests/windows/FakeWindowHost.h"
#include "tests/windows/LoginWindowTestAccess.h"
#include "ui/TopMostSetting.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

using namespace browsertest;

namespace {

const wchar_t kNetworkError[] = L"检测到您的网络异常，点击这里重试！";
const wchar_t kChecking[] = L"正在检测您的网络环境，请稍后...";
const POINT kOnStatusLabel = {580, 320};

FakeWindowHost& Host() {
    static FakeWindowHost host(endpoints::LoginPageUrl() + L"?refer=windows-test");
    return host;
}
CFormLogin& Login() {
    static CFormLogin login(Host());
    return login;
}
HWND LoginWindow() {
    return Login().GetHwnd();
}
CBrowserView& LoginView() {
    return LoginWindowTestAccess::View(Login());
}

RECT ChildRectInParent(HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

POINT TopLeft(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return POINT{r.left, r.top};
}

POINT Centred() {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return POINT{(work.right - 1200) / 2, (work.bottom - 760) / 2};
}

// A press and a release at a client point, as the mouse delivers them.
void Click(HWND window, POINT pt) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
}

// Takes a posted message for the login window off the queue (without running it).
bool TakePosted(UINT message) {
    MSG msg;
    return PeekMessageW(&msg, LoginWindow(), message, message, PM_REMOVE) != FALSE;
}

HWND ViewWindowOf(HWND form) {
    return FindWindowExW(form, nullptr, CBrowserView::kClassName, nullptr);
}

// The control inside a view window, reached as its page would be.
ComPtr<IWebBrowser2> ControlOf(HWND viewWindow) {
    ComPtr<IWebBrowser2> browser;
    auto* unknown = reinterpret_cast<IUnknown*>(SendMessageW(viewWindow, AxGetControlMessage(), 0, 0));
    if (unknown)
        unknown->QueryInterface(IID_IWebBrowser2, browser.PutVoid());
    return browser;
}

class LoginWindowTest : public ::testing::Test {
protected:
    // Once for the program: every fixture below shares the one login window.
    static void SetUpTestSuite() {
        static bool done = false;
        if (done)
            return;
        done = true;
        sim = SimClient::FromEnvironment();
        ASSERT_TRUE(sim.IsValid());
        WritePrivateProfileStringW(L"Error", nullptr, nullptr, GetSettingsIniPath().c_str());
        SetLoginWindow(&Login());
        // An external login's continuation goes back to the login window, as in the launcher.
        Host().onContinue = [](const std::wstring& url) { Login().ContinueExternalLogin(url); };
        CFormBack& back = Host().Backdrop();
        back.SetBounds(RECT{0, 0, 1200, 760});
        back.Init(Host().Instance(), Host().WindowClassName(), Host().WindowTitle());
        back.ShowOffscreen();
        Login().SetBounds(RECT{0, 0, 1200, 760});
        Login().Init();
        if (!Login().HasShownPageResult())
            Login().ShowOffscreen();
        PumpUntil([] { return Login().HasShownPageResult(); }, 20000);
    }

    // Requests the simulator has seen for the login page.
    static size_t LoginPageRequests() {
        size_t n = 0;
        for (const auto& r : sim.Log())
            n += r.host == L"web" && r.path.rfind(L"/tavro/wd/index.html?", 0) == 0;
        return n;
    }
    static bool Requested(const std::wstring& host, const std::wstring& path) {
        for (const auto& r : sim.Log())
            if (r.host == host && r.path == path)
                return true;
        return false;
    }
    static bool WaitForRequest(const std::wstring& host, const std::wstring& path) {
        return PumpUntil([&] { return Requested(host, path); }, 15000);
    }

    static SimClient sim;
};

SimClient LoginWindowTest::sim;

TEST_F(LoginWindowTest, TheWindowLiesOnItsBackdropColourKeyed) {
    EXPECT_EQ(GetWindow(LoginWindow(), GW_OWNER), Host().Backdrop().GetHwnd());
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(LoginWindow(), &key, &alpha, &flags));
    EXPECT_EQ(key, RGB(255, 128, 255));
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY));
    EXPECT_EQ(RaiseNewWindow2(LoginView()), VARIANT_TRUE); // the page opens no window of its own
}

TEST_F(LoginWindowTest, AFailedLoginPageShowsTheRetryLabelCentred) {
    ASSERT_TRUE(Login().HasShownPageResult());
    EXPECT_GE(LoginPageRequests(), 1u);
    EXPECT_EQ(Login().GetStatusText(), kNetworkError);
    RECT view = ChildRectInParent(ViewWindowOf(LoginWindow()));
    EXPECT_EQ(view.left, -100);
    EXPECT_EQ(view.top, -100);
    EXPECT_EQ(view.right - view.left, 50);
    EXPECT_EQ(TopLeft(LoginWindow()).x, Centred().x);
    EXPECT_EQ(TopLeft(LoginWindow()).y, Centred().y);
    EXPECT_TRUE(IsWindowVisible(LoginWindow()));
    EXPECT_TRUE(GetWindowLongPtrW(LoginWindow(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(GetWindowLongPtrW(Host().Backdrop().GetHwnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(ReadIniString(L"Error", L"ErrorUrl", L""), Host().LoginUrl());
    // The error state starts the version check (no page ever completes here).
    EXPECT_GE(Host().versionChecks, 1);
}

TEST_F(LoginWindowTest, EveryClickOnTheErrorRetriesAndTheWindowKeepsItsPlace) {
    ASSERT_EQ(Login().GetStatusText(), kNetworkError);
    SetWindowPos(LoginWindow(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const int checks = Host().versionChecks;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const size_t before = LoginPageRequests();
        Click(LoginWindow(), kOnStatusLabel);
        EXPECT_EQ(Login().GetStatusText(), kChecking);
        Click(LoginWindow(), kOnStatusLabel); // while checking: no second request
        ASSERT_TRUE(PumpUntil([] { return Login().GetStatusText() == kNetworkError; }, 20000));
        EXPECT_EQ(LoginPageRequests(), before + 1);
        EXPECT_EQ(TopLeft(LoginWindow()).x, 40);
        EXPECT_EQ(TopLeft(LoginWindow()).y, 30);
    }
    // Every error asks for the version check; the host makes it once per process.
    EXPECT_EQ(Host().versionChecks, checks + 2);
}

// The label's text leaves see-through pixels between its strokes, where the
// system hands a click to the backdrop below: the backdrop passes it on. A press
// the backdrop keeps starts a modal drag, so the release is queued first for such
// a loop to find.
TEST_F(LoginWindowTest, AClickThatFallsToTheBackdropOverTheLabelRetriesToo) {
    ASSERT_EQ(Login().GetStatusText(), kNetworkError);
    POINT onLabel = kOnStatusLabel;
    ClientToScreen(LoginWindow(), &onLabel);
    const HWND back = Host().Backdrop().GetHwnd();
    ScreenToClient(back, &onLabel);
    const size_t before = LoginPageRequests();
    PostMessageW(back, WM_LBUTTONUP, 0, MAKELPARAM(onLabel.x, onLabel.y));
    SendMessageW(back, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(onLabel.x, onLabel.y));
    EXPECT_TRUE(PumpUntil([&] { return LoginPageRequests() == before + 1; }, 15000));
    EXPECT_TRUE(PumpUntil([] { return Login().GetStatusText() == kNetworkError; }, 20000));
}

TEST_F(LoginWindowTest, MarkerUrlsSetTheUserAndServerAndEnterTheGame) {
    Host().serverId = L"stale";
    EXPECT_EQ(RaiseBeforeNavigate(LoginView(), L"javascript:void(0)"), VARIANT_FALSE);
    EXPECT_EQ(Host().serverId, L"stale"); // skipped by the view: no marker step ran

    EXPECT_EQ(RaiseBeforeNavigate(LoginView(), sim.Url(L"web", L"/p?wd_username=abc&x=1")), VARIANT_FALSE);
    EXPECT_EQ(Host().userName, L"abc&x=1");
    EXPECT_EQ(Host().serverId, L""); // cleared at every navigation
    EXPECT_FALSE(TakePosted(UM_ENTER_GAME));

    // The same markers from any other server mean nothing.
    EXPECT_EQ(RaiseBeforeNavigate(LoginView(), L"http://127.0.0.1:9/g?wd_entergame=1&wd_username=x"),
              VARIANT_FALSE);
    EXPECT_EQ(Host().userName, L"abc&x=1");
    EXPECT_FALSE(TakePosted(UM_ENTER_GAME));

    const std::wstring game = sim.Url(L"web", L"/game.html?wd_entergame=1&wd_server=12&k=v");
    EXPECT_EQ(RaiseBeforeNavigate(LoginView(), game), VARIANT_TRUE); // the login page stays
    EXPECT_EQ(Host().serverId, L"12");
    EXPECT_EQ(Login().GetGameUrl(), game);
    EXPECT_EQ(Host().userName, L"abc&x=1"); // no user marker: unchanged
    EXPECT_TRUE(TakePosted(UM_ENTER_GAME));

    EXPECT_EQ(RaiseBeforeNavigate(LoginView(), sim.Url(L"web", L"/g?wd_entergame=1")), VARIANT_TRUE);
    EXPECT_EQ(Host().serverId, L"");
    EXPECT_TRUE(TakePosted(UM_ENTER_GAME));
}

// Which keys reach the browser first, seen where they arrive: the view's window
// gets them as WM_FORWARDMSG. Both windows use the one filter.
void ExpectOnlyAcceleratorsForwarded(CKoForm& form) {
    const HWND view = ViewWindowOf(form.GetHwnd());
    ASSERT_TRUE(view);
    const HWND inner = GetWindow(view, GW_CHILD); // the control's own window, where keys go
    ASSERT_TRUE(inner);
    ForwardedMessages forwarded(view);
    const struct {
        const char* name;
        UINT message;
        WPARAM key;
        bool ctrl, forwarded;
    } rows[] = {
        {"typing", WM_KEYDOWN, 'A', false, false}, {"Tab", WM_KEYDOWN, VK_TAB, false, true},
        {"Ctrl+C", WM_KEYDOWN, 'C', true, true},   {"C alone", WM_KEYDOWN, 'C', false, false},
        {"a release", WM_KEYUP, 'A', false, true},
    };
    for (const auto& row : rows) {
        BYTE keys[256] = {};
        keys[VK_CONTROL] = row.ctrl ? 0x80 : 0;
        SetKeyboardState(keys);
        forwarded.messages.clear();
        MSG msg = {inner, row.message, row.key, 0, 0, {0, 0}};
        form.PreTranslateMessage(&msg);
        EXPECT_EQ(forwarded.messages.size(), row.forwarded ? 1u : 0u) << row.name;
    }
    BYTE keys[256] = {};
    SetKeyboardState(keys);
}

TEST_F(LoginWindowTest, OnlyAcceleratorKeysGoToTheBrowserFirst) {
    ExpectOnlyAcceleratorsForwarded(Login());
    // A press brings the backdrop under the login window again.
    SetWindowPos(Host().Backdrop().GetHwnd(), nullptr, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    MSG press = {LoginWindow(), WM_LBUTTONDOWN, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(Login().PreTranslateMessage(&press));
    POINT origin = {0, 0};
    ClientToScreen(LoginWindow(), &origin);
    EXPECT_EQ(TopLeft(Host().Backdrop().GetHwnd()).x, origin.x);
    EXPECT_EQ(TopLeft(Host().Backdrop().GetHwnd()).y, origin.y);
}

TEST_F(LoginWindowTest, TheFirstCompletionShowsThePageAndLaterOnesDoNotMoveIt) {
    // Reached through the view's sink: the first real page after Navigate.
    LoginView().Navigate(L"about:blank");
    IDispatch* frame = LoginView().GetEventSink();
    RaiseNavigateComplete(LoginView(), Host().LoginUrl(), frame);
    RECT view = ChildRectInParent(ViewWindowOf(LoginWindow()));
    EXPECT_EQ(view.left, 467);
    EXPECT_EQ(view.top, 152);
    EXPECT_EQ(view.right - view.left, 536);
    EXPECT_EQ(view.bottom - view.top, 354);

    // A completed top-level document is reported to the host (the activity report).
    const int completions = Host().pageCompletions;
    RaiseDocumentComplete(LoginView(), Host().LoginUrl(), frame);
    EXPECT_EQ(Host().pageCompletions, completions + 1);

    // After a game has been played, the page starts anew, and errors and
    // completions leave the window alone.
    const size_t before = LoginPageRequests();
    Login().ReturnFromGame();
    EXPECT_TRUE(PumpUntil([&] { return LoginPageRequests() == before + 1; }, 15000));
    SetWindowPos(LoginWindow(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    WritePrivateProfileStringW(L"Error", L"ErrorUrl", L"before", GetSettingsIniPath().c_str());
    RaiseNavigateError(LoginView(), L"http://127.0.0.1:9/x", static_cast<LONG>(0x800C0005));
    RaiseNavigateComplete(LoginView(), Host().LoginUrl(), frame);
    Pump(200);
    EXPECT_EQ(TopLeft(LoginWindow()).x, 10);
    EXPECT_EQ(TopLeft(LoginWindow()).y, 20);
    EXPECT_EQ(ReadIniString(L"Error", L"ErrorUrl", L""), L"before");
}

// --- The external-account login window --------------------------------------------

class ExternalLoginTest : public LoginWindowTest {
protected:
    // The login page opens the provider's page as a new window, as its QQ link does:
    // the login window asks the host for the window, made here as the launcher makes it.
    static CFormQQLogin* OpenFromTheLoginPage(const std::wstring& path) {
        const int before = FakeWindowHost::Requests(UM_EXTERNAL_LOGIN);
        RaiseNewWindow3(LoginView(), sim.Url(L"login", path));
        if (!PumpUntil([&] { return FakeWindowHost::Requests(UM_EXTERNAL_LOGIN) == before + 1; }, 15000))
            return nullptr;
        form = std::make_unique<CFormQQLogin>(Host());
        form->SetBounds(RECT{0, 0, 880, 420});
        form->Init(Login().GetExternalLoginUrl());
        form->ShowCenteredInWorkArea();
        return form.get();
    }
    void TearDown() override {
        if (form && form->GetHwnd())
            DestroyWindow(form->GetHwnd());
        form.reset();
    }
    static std::unique_ptr<CFormQQLogin> form;
};

std::unique_ptr<CFormQQLogin> ExternalLoginTest::form;

TEST_F(ExternalLoginTest, TheProviderPageOpensInItsOwnWindowInsideItsBorders) {
    CFormQQLogin* form = OpenFromTheLoginPage(L"/qq?appid=1036&from=test");
    ASSERT_TRUE(form);
    const HWND window = form->GetHwnd();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(WaitForRequest(L"login", L"/qq?appid=1036&from=test"));
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT client = {};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 880);
    EXPECT_EQ(client.bottom, 420);
    // The artwork: title bar 221 is 27 high, border 222 is 3 wide, bottom 223 is 4 high.
    const RECT view = ChildRectInParent(ViewWindowOf(window));
    EXPECT_EQ(view.left, 3);
    EXPECT_EQ(view.top, 27);
    EXPECT_EQ(view.right, client.right - 3);
    EXPECT_EQ(view.bottom, client.bottom - 4);
    ExpectOnlyAcceleratorsForwarded(*form);

    // Its close button, in the top right corner, closes it without a question and
    // leaves the login window as it was.
    const POINT loginAt = TopLeft(LoginWindow());
    const size_t pages = LoginPageRequests();
    Click(window, POINT{client.right - 5, 5});
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(form->GetHwnd(), nullptr);
    Pump(300);
    EXPECT_EQ(LoginPageRequests(), pages);
    EXPECT_TRUE(Host().continuations.empty());
    EXPECT_EQ(Login().GetStatusText(), kNetworkError);
    EXPECT_EQ(TopLeft(LoginWindow()).x, loginAt.x);
    EXPECT_EQ(TopLeft(LoginWindow()).y, loginAt.y);
}

// With the login window topmost, the external login must not open behind it.
TEST_F(ExternalLoginTest, WithTopMostSetTheWindowOpensOnTop) {
    SetTopMostSetting(1);
    CFormQQLogin* form = OpenFromTheLoginPage(L"/qq?n=2");
    SetTopMostSetting(0);
    ASSERT_TRUE(form);
    EXPECT_TRUE(IsWindowVisible(form->GetHwnd()));
    EXPECT_TRUE(GetWindowLongPtrW(form->GetHwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    const long hosts = CAxHostWindow::LiveObjects();
    SendMessageW(form->GetHwnd(), WM_CLOSE, 0, 0);
    Pump(200);
    EXPECT_EQ(form->GetHwnd(), nullptr);
    EXPECT_EQ(CAxHostWindow::LiveObjects(), hosts - 1); // its browser went with it
}

TEST_F(ExternalLoginTest, TheReturnAddressSendsTheLoginBrowserOnAndCloses) {
    CFormQQLogin* form = OpenFromTheLoginPage(L"/weibo?appid=1036");
    ASSERT_TRUE(form);
    const HWND window = form->GetHwnd();
    // The provider's page goes on to the return address, as its authorise link does.
    const std::wstring back = sim.Url(L"game", L"/server/wan/?from=weibo&forward=") + L"http%3A%2F%2F" +
                              sim.HostPort(L"web") + L"%2Ftavro%2Fwd%2Findex.html%3Fwd_username%3Dweibo_a+b";
    auto control = ControlOf(ViewWindowOf(window));
    ASSERT_TRUE(control);
    VARIANT url;
    VariantInit(&url);
    V_VT(&url) = VT_BSTR;
    V_BSTR(&url) = SysAllocString(back.c_str());
    control->Navigate2(&url, nullptr, nullptr, nullptr, nullptr);
    VariantClear(&url);
    control = ComPtr<IWebBrowser2>();
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(window); }, 15000));
    EXPECT_EQ(form->GetHwnd(), nullptr);
    ASSERT_EQ(Host().continuations.size(), 1u);
    EXPECT_TRUE(WaitForRequest(L"web", L"/tavro/wd/index.html?wd_username=weibo_a%20b"));
}

// Its own fixture, registered last, so it runs last: it destroys the login window,
// which ends the application.
class LoginWindowEnd : public LoginWindowTest {};

TEST_F(LoginWindowEnd, ExitRequestClosesTheWindowAndEndsTheLoop) {
    SendMessageW(LoginWindow(), UM_EXIT_APP, 0, 0);
    EXPECT_FALSE(IsWindow(LoginWindow()));
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
}

} // namespace
