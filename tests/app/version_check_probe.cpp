// The global module with its two first windows and a message loop, driven by the
// version-check tests as a child process (the module reads its settings once, at
// start-up, so each case prepares them and starts a fresh process):
//   version_check_probe RESULTS SECONDS check [game]
//       shows the background form and the login window, calls StartVersionCheck
//       twice, and runs the loop; with "game" the module has a game window object
//       (no window of its own), as while a game is played;
//   version_check_probe RESULTS SECONDS temp TYPE URL [close]
//       the same windows, then DownloadToTemp(URL, TYPE, "Probe.tmp"); with
//       "close", after SECONDS the login window closes as by the user.
//   version_check_probe RESULTS SECONDS report nodownloader|noworker /setupsucc
//       the main flow in its install-report mode (its exit code, no RESULTS),
//       with no downloader or with one that cannot start a worker.
// The loop ends when UM_EXIT_APP has closed the login window (exit code 0) or
// after SECONDS (exit code 1). RESULTS then gets "key=value" lines in UTF-8: how it
// ended, whether each window was still visible, the module's current version and
// whether this process is elevated.
#include "app/GlobalModule.h"
#include "app/MainFlow.h"
#include "app/base/Messages.h"
#include "app/base/Utils.h"
#include "browser/windows/FormGame.h"
#include "net/HttpDownloader.h"

#include "tests/support/Utf8Text.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {
using testing_support::Utf8;

constexpr UINT_PTR kTimeLimitTimer = 1;
bool g_closeAtTimeLimit = false;

VOID CALLBACK OnTimeLimit(HWND, UINT, UINT_PTR, DWORD) {
    if (g_closeAtTimeLimit)
        PostMessageW(g_module.LoginForm().GetHwnd(), UM_EXIT_APP, 0, 0);
    else
        PostQuitMessage(1);
}

bool Visible(HWND window) {
    return window && IsWindow(window) && IsWindowVisible(window);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4)
        return 2;
    const std::wstring results = argv[1];
    const int seconds = _wtoi(argv[2]);
    const std::wstring mode = argv[3];

    g_module.SetProcessValues(GetModuleHandleW(nullptr), L"OrvoValdrenna", L"OrvoGantry");
    RegisterMainWindowClass(g_module.Instance());
    if (mode == L"report" && argc >= 5) {
        g_module.ReplaceIdleDownloader(std::wstring(argv[4]) == L"noworker" ? new CHttpDownloader(0)
                                                                            : nullptr);
        SetTimer(nullptr, kTimeLimitTimer, static_cast<UINT>(seconds) * 1000, OnTimeLimit);
        return RunMainFlow();
    }
    g_module.Backdrop().SetBounds(RECT{100, 100, 700, 500});
    g_module.Backdrop().Init(g_module.Instance(), g_module.WindowClassName(), g_module.WindowTitle());
    g_module.LoginForm().SetBounds(RECT{150, 150, 650, 450});
    g_module.LoginForm().CreateWindowOnly();
    const HWND back = g_module.Backdrop().GetHwnd();
    const HWND login = g_module.LoginForm().GetHwnd();
    SetWindowPos(back, nullptr, 100, 100, 600, 400, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(login, nullptr, 150, 150, 500, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(back, SW_SHOWNA);
    ShowWindow(login, SW_SHOWNA);

    std::unique_ptr<CFormGame> game;
    if (mode == L"check") {
        if (argc >= 5 && std::wstring(argv[4]) == L"game") {
            game = std::make_unique<CFormGame>(g_module);
            g_module.GameFormSlot() = game.get();
        }
        g_module.StartVersionCheck();
        g_module.StartVersionCheck(); // a second login-page navigation
    } else if (mode == L"temp" && argc >= 6) {
        g_module.DownloadToTemp(argv[5], _wtoi(argv[4]), L"Probe.tmp");
        g_closeAtTimeLimit = argc >= 7 && std::wstring(argv[6]) == L"close";
    } else {
        return 2;
    }

    SetTimer(nullptr, kTimeLimitTimer, static_cast<UINT>(seconds) * 1000, OnTimeLimit);
    MSG msg;
    int exitCode = 1;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (msg.message == WM_QUIT)
        exitCode = static_cast<int>(msg.wParam);
    g_module.GameFormSlot() = nullptr;
    game.reset();

    FILE* out = _wfopen(results.c_str(), L"wb");
    if (out) {
        fprintf(out, "end=%s\n", exitCode == 0 ? "exit" : "timeout");
        fprintf(out, "loginExists=%d\n", IsWindow(login) ? 1 : 0);
        fprintf(out, "loginVisible=%d\n", Visible(login) ? 1 : 0);
        fprintf(out, "backVisible=%d\n", Visible(back) ? 1 : 0);
        fprintf(out, "currentVersion=%s\n", Utf8(g_module.GetCurrentVersion()).c_str());
        fprintf(out, "elevated=%d\n", IsProcessElevated() ? 1 : 0);
        fclose(out);
    }
    return exitCode;
}
