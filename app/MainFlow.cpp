#include "app/MainFlow.h"

#include "app/GlobalModule.h"
#include "app/base/Handles.h"
#include "app/base/Messages.h"
#include "app/RetiredForms.h"
#include "app/base/Utils.h"
#include "browser/windows/FormGame.h"
#include "browser/windows/FormQQLogin.h"
#include "res/resource.h"

#include <shellapi.h>
#include <shldisp.h>
#include <shlwapi.h>

#include <memory>
#include <utility>

namespace {

// The game window whose WM_DESTROY has retired it: its WM_NCDESTROY, which clears
// the object's handle, still goes to it (a question box of it may still be open
// and must not act on a dead, perhaps reused, handle).
CFormGame* g_endingGame = nullptr;

void OpenGameWindow() {
    // A second request (a page that navigates twice, another process posting the
    // message) shows the game that is already open: a second window would get no
    // messages routed to it.
    if (CFormGame* current = g_module.m_pFormGame) {
        current->BringToFront();
        return;
    }
    auto* game = new CFormGame();
    g_module.m_pFormGame = game; // its messages are routed from the first one on
    game->SetBounds(RECT{0, 0, 1250, 700});
    const bool made = game->Init(g_module.m_formLogin.GetGameUrl());
    if (g_module.m_pFormGame != game)
        return; // its page ended it at once; it is retired already
    if (!made) {
        // The login window and its backdrop stay as they are.
        g_module.m_pFormGame = nullptr;
        g_retiredForms.RetireGame(game);
        return;
    }
    g_module.PublishGameWindow(game->GetHwnd());
    game->MaximizeToWorkArea();
    ShowWindow(g_module.m_formLogin.GetHwnd(), SW_HIDE);
    ShowWindow(g_module.m_formBack.GetHwnd(), SW_HIDE);
}

void OpenExternalLoginWindow() {
    // Only the newest window is kept: an older one still open closes first, and its
    // WM_NCDESTROY (below) retires it. One that never got a window retires here.
    if (CFormQQLogin* previous = g_module.m_pFormQQLogin) {
        if (previous->GetHwnd())
            previous->Close();
        if (g_module.m_pFormQQLogin == previous) {
            g_module.m_pFormQQLogin = nullptr;
            g_retiredForms.RetireQQLogin(previous);
        }
    }
    auto* form = new CFormQQLogin();
    g_module.m_pFormQQLogin = form;
    form->SetBounds(RECT{0, 0, 880, 420});
    form->Init(g_module.m_formLogin.GetExternalLoginUrl());
    // The page may have closed the window already (a return address at once).
    form->ShowCenteredInWorkArea();
}

// The external-login window is gone: the module forgets it and the object retires.
// Its code may still be on the stack (it closed itself from a browser event), so it
// is freed later, when the next one retires or at exit.
LRESULT OnExternalLoginWindowGone(CFormQQLogin* form, HWND window, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = form->HandleMessage(window, WM_NCDESTROY, wParam, lParam);
    g_module.m_pFormQQLogin = nullptr;
    g_retiredForms.RetireQQLogin(form);
    return result;
}

// The game window is being destroyed, whichever way it ended: its tray icon goes
// with it, the object is retired (the message loop frees it), and the login
// window and its backdrop come back.
void OnGameClosed() {
    CFormGame* game = g_module.m_pFormGame;
    game->DeleteTrayIcon();
    g_module.m_pFormGame = nullptr;
    g_endingGame = game;
    g_module.PublishGameWindow(nullptr);
    g_retiredForms.RetireGame(game);
    CFormLogin& login = g_module.m_formLogin;
    const HWND back = g_module.m_formBack.GetHwnd();
    login.ReturnFromGame();
    SetWindowPos(back, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(back, SW_SHOWNA);
    ShowWindow(login.GetHwnd(), SW_SHOWNA);
    SetForegroundWindow(login.GetHwnd());
    login.RedrawControls();
    // Wakes the message loop, which frees the retired object.
    PostMessageW(login.GetHwnd(), WM_NULL, 0, 0);
}

bool Is(HWND window, HWND formWindow) {
    return formWindow && window == formWindow;
}

// Not in an elevated run: any program of the user can put a file there.
void StartIconAnimation() {
    if (g_module.IsElevatedRun())
        return;
    const std::wstring path = GetAppDataFolder() + L"iconAnimate.exe";
    if (PathFileExistsW(path.c_str()))
        ShellExecuteW(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT OnGameWindowGone(HWND window, WPARAM wParam, LPARAM lParam) {
    CFormGame* game = std::exchange(g_endingGame, nullptr);
    return game->HandleMessage(window, WM_NCDESTROY, wParam, lParam);
}

void RunNormalStart() {
    g_module.m_formBack.SetBounds(RECT{0, 0, 1200, 760});
    g_module.m_formBack.Init(g_module.m_hInstance, g_module.m_szClassName, g_module.m_szTitle);
    g_module.m_formBack.ShowOffscreen();
    g_module.m_formLogin.SetBounds(RECT{0, 0, 1200, 760});
    g_module.m_formLogin.Init();
    // The page's first result may already have placed the window (a control can
    // report its first navigation before Navigate returns); it stays where it is then.
    if (!g_module.m_formLogin.HasShownPageResult())
        g_module.m_formLogin.ShowOffscreen();
    StartIconAnimation();
}

} // namespace

StartMode SelectStartMode() {
    if (HasSwitch(L"/setupsucc"))
        return StartMode::SetupSuccess;
    if (HasSwitch(L"/uninstallsucc"))
        return StartMode::UninstallSuccess;
    if (HasSwitch(L"/ShowDeskTop"))
        return StartMode::ShowDesktop;
    return StartMode::Normal;
}

ATOM RegisterMainWindowClass(HINSTANCE instance) {
    const HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = SharedWindowProc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hIconSm = icon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = g_module.m_szClassName;
    return RegisterClassExW(&wc);
}

int RunMainFlow() {
    CFormLogin& login = g_module.m_formLogin;
    switch (SelectStartMode()) {
    case StartMode::SetupSuccess:
        // The window that the report's completion posts UM_EXIT_APP to is created
        // first: a report that fails at once (no network, a refused connection)
        // can complete on its worker before this thread would get to it, and a
        // post to a window that does not exist yet is lost. Without that window
        // nothing could ever end the loop, so the mode ends at once, as a failure.
        if (!login.CreateWindowOnly())
            return kNoWindowExitCode;
        // Only the report's completion ends this mode: a report that could not be
        // queued never completes, so the mode ends at once instead.
        if (!g_module.m_installRecord.SendInstallBeacon())
            return 0;
        return RunMessageLoop();
    case StartMode::UninstallSuccess:
        if (!login.CreateWindowOnly())
            return kNoWindowExitCode;
        if (!g_module.m_installRecord.SendUninstallBeacon())
            return 0;
        return RunMessageLoop();
    case StartMode::ShowDesktop:
        if (!login.CreateWindowOnly())
            return kNoWindowExitCode;
        ToggleDesktop();
        PostMessageW(login.GetHwnd(), UM_EXIT_APP, 0, 0);
        return RunMessageLoop();
    case StartMode::Normal:
        break;
    }
    RunNormalStart();
    const int result = RunMessageLoop();
    EndWindowsAtExit();
    return result;
}

void EndWindowsAtExit() {
    std::unique_ptr<CFormGame> game(std::exchange(g_module.m_pFormGame, nullptr));
    g_module.PublishGameWindow(nullptr);
    if (game) {
        game->DeleteTrayIcon();
        // Forgotten first, so its WM_DESTROY does not bring the login window back.
        if (const HWND window = game->GetHwnd())
            DestroyWindow(window);
    }
    // Its WM_NCDESTROY retires it; one that never got a window retires here.
    if (CFormQQLogin* qq = g_module.m_pFormQQLogin) {
        if (const HWND window = qq->GetHwnd())
            DestroyWindow(window);
        if (g_module.m_pFormQQLogin == qq) {
            g_module.m_pFormQQLogin = nullptr;
            g_retiredForms.RetireQQLogin(qq);
        }
    }
    g_retiredForms.FreeReleased();
}

int RunMessageLoop() {
    CMessageLoop loop;
    g_appModule.AddMessageLoop(&loop);
    // Asked after the global module; it frees retired windows between messages,
    // when none of their code can be running.
    loop.AddMessageFilter(&g_retiredForms);
    loop.AddMessageFilter(&g_module);
    const int result = loop.Run();
    g_appModule.RemoveMessageLoop();
    return result;
}

void ToggleDesktop() {
    if (FAILED(CoInitialize(nullptr)))
        return;
    {
        ComPtr<IShellDispatch4> shell; // released before COM is
        if (SUCCEEDED(
                CoCreateInstance(CLSID_Shell, nullptr, CLSCTX_ALL, IID_IShellDispatch4, shell.PutVoid())) &&
            shell)
            shell->ToggleDesktop();
    }
    CoUninitialize();
}

LRESULT CALLBACK SharedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == UM_ENTER_GAME) {
        OpenGameWindow();
        return 0;
    }
    if (message == UM_UPGRADE_PROMPT) {
        g_module.ShowUpgradePrompt();
        return 0;
    }
    if (message == UM_UPGRADER_READY) {
        g_module.StartDownloadedUpgrader();
        return 0;
    }
    if (message == UM_EXTERNAL_LOGIN)
        OpenExternalLoginWindow(); // and on to the target window, which passes it on

    if (CFormQQLogin* qq = g_module.m_pFormQQLogin; qq && Is(window, qq->GetHwnd())) {
        if (message == WM_NCDESTROY)
            return OnExternalLoginWindowGone(qq, window, wParam, lParam);
        return qq->HandleMessage(window, message, wParam, lParam);
    }
    if (Is(window, g_module.m_formLogin.GetHwnd()))
        return g_module.m_formLogin.HandleMessage(window, message, wParam, lParam);
    if (Is(window, g_module.m_formBack.GetHwnd()))
        return g_module.m_formBack.HandleMessage(window, message, wParam, lParam);
    if (message == WM_NCDESTROY && g_endingGame && Is(window, g_endingGame->GetHwnd()))
        return OnGameWindowGone(window, wParam, lParam);
    if (CFormGame* game = g_module.m_pFormGame; game && Is(window, game->GetHwnd())) {
        if (message == WM_DESTROY) {
            OnGameClosed();
            return 0;
        }
        return game->HandleMessage(window, message, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
