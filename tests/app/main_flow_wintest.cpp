// The shared window procedure with the real global module and real windows: the
// game window opens on request and hides the login window and its backdrop;
// closing it brings both back.
#include "app/GlobalModule.h"
#include "app/MainFlow.h"
#include "app/base/Utils.h"
#include "app/base/Messages.h"
#include "app/RetiredForms.h"
#include "browser/host/AxHostWindow.h"
#include "browser/windows/FormGame.h"
#include "browser/windows/FormQQLogin.h"
#include "tests/app/child_process.h"
#include "tests/windows/LoginWindowTestAccess.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

void Pump() {
    MSG msg;
    for (int i = 0; i < 50 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class MainFlow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        g_module.SetProcessValues(GetModuleHandleW(nullptr), L"OrvoValdrenna", L"OrvoGantryFlowTest");
        ASSERT_NE(RegisterMainWindowClass(g_module.Instance()), 0);
        g_module.Backdrop().SetBounds(RECT{0, 0, 1200, 760});
        ASSERT_TRUE(g_module.Backdrop().Init(g_module.Instance(), g_module.WindowClassName(),
                                             g_module.WindowTitle()));
        g_module.Backdrop().ShowOffscreen();
        g_module.LoginForm().SetBounds(RECT{0, 0, 1200, 760});
        ASSERT_TRUE(g_module.LoginForm().Init());
        g_module.LoginForm().ShowOffscreen();
        Pump();
    }
    static HWND Login() { return g_module.LoginForm().GetHwnd(); }
    static HWND Back() { return g_module.Backdrop().GetHwnd(); }
};

TEST_F(MainFlow, TheLoginWindowIsOwnedByTheBackdropAndWaitsOffScreen) {
    EXPECT_EQ(GetWindow(Login(), GW_OWNER), Back());
    RECT r = {};
    GetWindowRect(Login(), &r);
    EXPECT_EQ(r.left, -2000);
    EXPECT_EQ(r.top, -2000);
    EXPECT_TRUE(IsWindowVisible(Login()));
    EXPECT_TRUE(GetWindowLongPtrW(Login(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    wchar_t cls[64] = L"";
    GetClassNameW(Login(), cls, 64);
    EXPECT_STREQ(cls, L"OrvoGantryFlowTest");
}

TEST_F(MainFlow, EnterGameOpensAGameWindowAndClosingItReturnsToLogin) {
    const std::wstring gameUrl = L"http://127.0.0.1:9/game.html?wd_entergame=1&wd_server=3";
    LoginWindowTestAccess::SetGameUrl(g_module.LoginForm(), gameUrl);
    for (int round = 0; round < 2; ++round) {
        SendMessageW(Login(), UM_ENTER_GAME, 0, 0);
        CFormGame* game = g_module.GameForm();
        ASSERT_NE(game, nullptr);
        const HWND gameWindow = game->GetHwnd();
        ASSERT_TRUE(IsWindow(gameWindow));
        EXPECT_TRUE(IsWindowVisible(gameWindow));
        EXPECT_EQ(game->GetGameUrl(), gameUrl);
        RECT work = {}, r = {};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        GetWindowRect(gameWindow, &r);
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.right, work.right);
        EXPECT_EQ(r.bottom, work.bottom);
        EXPECT_FALSE(IsWindowVisible(Login()));
        EXPECT_FALSE(IsWindowVisible(Back()));

        // The game window's own close path destroys its window.
        game->Close();
        Pump();
        EXPECT_FALSE(IsWindow(gameWindow));
        EXPECT_EQ(g_module.GameForm(), nullptr);
        EXPECT_TRUE(IsWindowVisible(Login()));
        EXPECT_TRUE(IsWindowVisible(Back()));
        // From now on a failing page leaves the login window where it is.
        EXPECT_FALSE(LoginWindowTestAccess::State(g_module.LoginForm()).DecideNavigateError().apply);
        EXPECT_EQ(GetForegroundWindow(), Login());
    }
}

TEST_F(MainFlow, ExternalLoginKeepsOnlyTheNewestWindow) {
    LoginWindowTestAccess::SetExternalLoginUrl(g_module.LoginForm(), L"http://127.0.0.1:9/qq?x=1");
    const long hostsBefore = CAxHostWindow::LiveObjects();
    SendMessageW(Login(), UM_EXTERNAL_LOGIN, 0, 0);
    CFormQQLogin* first = g_module.ExternalLoginForm();
    ASSERT_NE(first, nullptr);
    const HWND firstWindow = first->GetHwnd();
    EXPECT_TRUE(IsWindowVisible(firstWindow));
    RECT r = {};
    GetWindowRect(firstWindow, &r);
    EXPECT_EQ(r.right - r.left, 880);
    EXPECT_EQ(r.bottom - r.top, 420);

    SendMessageW(Login(), UM_EXTERNAL_LOGIN, 0, 0);
    EXPECT_NE(g_module.ExternalLoginForm(), nullptr);
    EXPECT_FALSE(IsWindow(firstWindow));
    EXPECT_TRUE(IsWindowVisible(g_module.ExternalLoginForm()->GetHwnd()));
    Pump();
    EXPECT_EQ(CAxHostWindow::LiveObjects(), hostsBefore + 1); // the older browser is gone
    g_module.ExternalLoginForm()->Close();
    Pump();
    EXPECT_EQ(g_module.ExternalLoginForm(), nullptr);
    EXPECT_EQ(CAxHostWindow::LiveObjects(), hostsBefore);
    // The login window itself is untouched by all this.
    EXPECT_TRUE(IsWindow(Login()));
}

// At exit an external-login window still open goes, with its browser, while COM
// and OLE are still up; nothing retired is left for the static destructors.
TEST_F(MainFlow, AtExitTheExternalLoginWindowEndsBeforeCom) {
    LoginWindowTestAccess::SetExternalLoginUrl(g_module.LoginForm(), L"http://127.0.0.1:9/qq?x=1");
    SendMessageW(Login(), UM_EXTERNAL_LOGIN, 0, 0);
    ASSERT_NE(g_module.ExternalLoginForm(), nullptr);
    const HWND window = g_module.ExternalLoginForm()->GetHwnd();
    ASSERT_TRUE(IsWindow(window));
    EndWindowsAtExit();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(g_module.ExternalLoginForm(), nullptr);
    EXPECT_EQ(g_retiredForms.Count(), 0u);
    EXPECT_TRUE(IsWindow(Login()));
}

TEST_F(MainFlow, MessagesForWindowsOfNoFormGoToTheDefaultProcedure) {
    HWND stray = CreateWindowExW(0, g_module.WindowClassName(), L"stray", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, g_module.Instance(), nullptr);
    ASSERT_TRUE(stray);
    // DefWindowProc answers WM_GETTEXTLENGTH with the text length.
    EXPECT_EQ(SendMessageW(stray, WM_GETTEXTLENGTH, 0, 0), 5);
    EXPECT_EQ(SharedWindowProc(stray, WM_GETTEXTLENGTH, 0, 0), 5);
    DestroyWindow(stray);
}

TEST_F(MainFlow, StartModeFollowsTheFirstSwitchPresent) {
    // This process has none of the switches on its command line.
    EXPECT_EQ(SelectStartMode(), StartMode::Normal);
    EXPECT_FALSE(HasSwitch(L"/setupsucc"));
    EXPECT_TRUE(HasSwitch(L"app_main_flow_wintest")); // the program path counts too
}

// The desktop mode (the report modes alike) without the message window that would
// end its loop: it ends at once with an error. This program runs itself with the
// switch; the child makes no window class, so no window can be made.
TEST(StartModes, WithoutItsWindowAModeEndsAtOnceWithAnError) {
    if (HasSwitch(L"/ShowDeskTop")) {
        g_module.SetProcessValues(GetModuleHandleW(nullptr), L"OrvoValdrenna", L"NoSuchWindowClass");
        EXPECT_EQ(RunMainFlow(), kNoWindowExitCode);
        return;
    }
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const testing_support::ChildResult r =
        testing_support::RunChild(self, L"--gtest_filter=StartModes.* /ShowDeskTop", 30000);
    ASSERT_TRUE(r.started);
    EXPECT_TRUE(r.exited) << "the mode never ended";
    EXPECT_EQ(r.exitCode, 0u) << "the child's check failed";
}

} // namespace
