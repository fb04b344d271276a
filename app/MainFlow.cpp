#include "app/MainFlow.h"

#include "app/GlobalModule.h"
#include "app/base/Handles.h"
#include "app/base/Messages.h"
#include "app/RetiredForms.h"
#include "app/base/Utils.h"
#include "browser/windows/FormGame.h"
#include "browser/windows/FormQQLogin.h"
#include "res/resource.h"
#include "ui/FormBack.h"
#include "ui/SkinPreload.h"

#include <shellapi.h>
#include <shldisp.h>
#include <shlwapi.h>

#include <utility>

namespace {

// A window object made on request is forgotten by the module and retires (the
// message loop frees it) once its window has had its last message, or at once when
// it never got a window. Its code may still be on the stack then.
template <typename Form> void Retire(Form* form, Form*& slot) {
    if (slot == form)
        slot = nullptr;
    form->SetFinalMessageHook(nullptr);
    g_retiredForms.Retire(form);
}

template <typename Form> Form* CreateOnRequest(Form*& slot) {
    auto* form = new Form(g_module);
    slot = form; // its messages reach it from its window's first one on
    form->SetFinalMessageHook([form, &slot](CKoForm&) { Retire(form, slot); });
    return form;
}

// The game window's skin, decoded once for every game window of the process: the
// first request starts decoding it on a worker while the window is being made,
// and it is kept for the windows after it (a return to the login and back).
void KeepGameSkin() {
    static const CSkinPreload skin(g_module.Instance(), [] {
        std::vector<CSkinPreload::Item> items;
        for (WORD id :
             {IDB_GAME_TITLE,          IDB_GAME_MINIMIZE, IDB_GAME_MINIMIZE_HOVER, IDB_GAME_CLOSE,
              IDB_GAME_CLOSE_HOVER,    IDB_GAME_MAXIMIZE, IDB_GAME_MAXIMIZE_HOVER, IDB_GAME_RESTORE,
              IDB_GAME_RESTORE_HOVER,  IDB_GAME_TRAY,     IDB_GAME_TRAY_HOVER,     IDB_GAME_SETTINGS,
              IDB_GAME_SETTINGS_HOVER, IDB_GAME_FORUM,    IDB_GAME_FORUM_HOVER,    IDB_GAME_HOME,
              IDB_GAME_HOME_HOVER,     IDB_GAME_PAY,      IDB_GAME_PAY_HOVER,      IDB_GAME_SERVICE,
              IDB_GAME_SERVICE_HOVER,  IDB_GAME_ICON})
            items.push_back({id, PremultiplyRule::Floor});
        return items;
    }());
}

void OpenGameWindow() {
    // A second request (a page that navigates twice, another process posting the
    // message) shows the game that is already open: a second window would get no
    // messages routed to it.
    if (CFormGame* current = g_module.GameForm()) {
        current->BringToFront();
        return;
    }
    KeepGameSkin();
    CFormGame* game = CreateOnRequest(g_module.GameFormSlot());
    game->SetBounds(RECT{0, 0, 1250, 700});
    const bool made = game->Init(g_module.LoginForm().GetGameUrl());
    if (g_module.GameForm() != game)
        return; // its page ended it at once
    if (!made) {
        // The login window and its backdrop stay as they are.
        Retire(game, g_module.GameFormSlot());
        return;
    }
    g_module.PublishGameWindow(game->GetHwnd());
    game->MaximizeToWorkArea();
    ShowWindow(g_module.LoginForm().GetHwnd(), SW_HIDE);
    ShowWindow(g_module.Backdrop().GetHwnd(), SW_HIDE);
}

// Only the newest external-login window is kept: an older one still open closes
// first (and retires at its last message); one that never got a window retires here.
void CloseExternalLoginWindow() {
    CFormQQLogin* previous = g_module.ExternalLoginForm();
    if (!previous)
        return;
    if (const HWND window = previous->GetHwnd())
        DestroyWindow(window);
    if (g_module.ExternalLoginForm() == previous)
        Retire(previous, g_module.ExternalLoginFormSlot());
}

void OpenExternalLoginWindow() {
    CloseExternalLoginWindow();
    CFormQQLogin* form = CreateOnRequest(g_module.ExternalLoginFormSlot());
    form->SetBounds(RECT{0, 0, 880, 420});
    form->Init(g_module.LoginForm().GetExternalLoginUrl());
    // The page may have closed the window already (a return address at once).
    form->ShowCenteredInWorkArea();
}

// The game window is being destroyed, whichever way it ended: its tray icon goes
// with it, the module forgets it (it retires at its last message), and the login
// window and its backdrop come back.
void OnGameClosed() {
    CFormGame* game = std::exchange(g_module.GameFormSlot(), nullptr);
    game->DeleteTrayIcon();
    g_module.PublishGameWindow(nullptr);
    CFormLogin& login = g_module.LoginForm();
    const HWND back = g_module.Backdrop().GetHwnd();
    login.ReturnFromGame();
    SetWindowPos(back, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(back, SW_SHOWNA);
    ShowWindow(login.GetHwnd(), SW_SHOWNA);
    SetForegroundWindow(login.GetHwnd());
    login.RedrawControls();
    // Wakes the message loop, which frees the retired object.
    PostMessageW(login.GetHwnd(), WM_NULL, 0, 0);
}

// Not in an elevated run: any program of the user can put a file there.
void StartIconAnimation() {
    if (g_module.IsElevatedRun())
        return;
    const std::wstring path = GetAppDataFolder() + L"iconAnimate.exe";
    if (PathFileExistsW(path.c_str()))
        ShellExecuteW(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// The backdrop's artwork, then the login window's skin, in the order the windows
// load them.
std::vector<CSkinPreload::Item> StartSkin() {
    std::vector<CSkinPreload::Item> items = {{kBackgroundImageId, PremultiplyRule::Rounded}};
    for (WORD id :
         {IDB_LOGIN_BACK, IDB_LOGIN_MINIMIZE, IDB_LOGIN_MINIMIZE_HOVER, IDB_LOGIN_CLOSE,
          IDB_LOGIN_CLOSE_HOVER, IDB_LOGIN_HOME, IDB_LOGIN_HOME_HOVER, IDB_LOGIN_PAY, IDB_LOGIN_PAY_HOVER,
          IDB_LOGIN_SERVICE, IDB_LOGIN_SERVICE_HOVER, IDB_LOGIN_FORUM, IDB_LOGIN_FORUM_HOVER})
        items.push_back({id, PremultiplyRule::Floor});
    return items;
}

void RunNormalStart() {
    // Decoded on a worker while this thread creates the windows (the first window
    // of a process takes a while); each window then takes its images ready.
    CSkinPreload skin(g_module.Instance(), StartSkin());
    g_module.Backdrop().SetBounds(RECT{0, 0, 1200, 760});
    g_module.Backdrop().Init(g_module.Instance(), g_module.WindowClassName(), g_module.WindowTitle());
    g_module.Backdrop().ShowOffscreen();
    g_module.LoginForm().SetBounds(RECT{0, 0, 1200, 760});
    g_module.LoginForm().Init();
    // The page's first result may already have placed the window (a control can
    // report its first navigation before Navigate returns); it stays where it is then.
    if (!g_module.LoginForm().HasShownPageResult())
        g_module.LoginForm().ShowOffscreen();
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
    wc.lpszClassName = g_module.WindowClassName();
    return RegisterClassExW(&wc);
}

int RunMainFlow() {
    CFormLogin& login = g_module.LoginForm();
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
        if (!g_module.InstallRecord().SendInstallBeacon())
            return 0;
        return RunMessageLoop();
    case StartMode::UninstallSuccess:
        if (!login.CreateWindowOnly())
            return kNoWindowExitCode;
        if (!g_module.InstallRecord().SendUninstallBeacon())
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
    if (CFormGame* game = g_module.GameForm()) {
        // Forgotten first, so its WM_DESTROY does not bring the login window back.
        g_module.GameFormSlot() = nullptr;
        g_module.PublishGameWindow(nullptr);
        game->DeleteTrayIcon();
        if (const HWND window = game->GetHwnd())
            DestroyWindow(window); // its last message retires it
        else
            Retire(game, g_module.GameFormSlot());
    }
    CloseExternalLoginWindow();
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
    switch (message) {
    case UM_ENTER_GAME:
        OpenGameWindow();
        return 0;
    case UM_UPGRADE_PROMPT:
        g_module.ShowUpgradePrompt();
        return 0;
    case UM_UPGRADER_READY:
        g_module.StartDownloadedUpgrader();
        return 0;
    case UM_EXTERNAL_LOGIN:
        OpenExternalLoginWindow(); // and on to the target window, which passes it on
        break;
    default:
        break;
    }
    // Each form is bound to its window from creation to the last message; messages
    // sent while a window is being created find no form.
    CKoForm* form = CKoForm::FromHwnd(window);
    if (!form)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_DESTROY && form == g_module.GameForm()) {
        OnGameClosed();
        return 0;
    }
    return form->HandleMessage(window, message, wParam, lParam);
}
