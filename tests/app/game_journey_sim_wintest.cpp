// The player's game journey through the real launcher against the simulator on the
// ports this build was configured for. Under Wine the login page never loads, so a
// stored channel code carrying the enter-game marker puts the marker into the login
// URL itself: the login window acts on its first navigation and opens the game.
// The test drives the child's windows as the mouse and the shell would.
#include "child_process.h"
#include "tests/support/SimClient.h"
#include "tests/windows/ShippedArtwork.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <set>

using namespace testing_support;

namespace {

const wchar_t kAppKey[] = L"Software\\Wine\\AppDefaults\\OrvoGantry.exe\\X11 Driver";

std::wstring ClassOf(HWND h) {
    wchar_t name[64] = L"";
    GetClassNameW(h, name, 64);
    return name;
}

BOOL CALLBACK CollectText(HWND child, LPARAM text) {
    wchar_t part[256] = L"";
    GetWindowTextW(child, part, 256);
    if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0)
        *reinterpret_cast<std::wstring*>(text) += part;
    return TRUE;
}

BOOL CALLBACK CloseLoginWindow(HWND h, LPARAM process) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == DWORD(process) && ClassOf(h) == L"OrvoGantry" && GetWindow(h, GW_OWNER))
        PostMessageW(h, WM_CLOSE, 0, 0); // the window whose end ends the launcher
    return TRUE;
}

// One step per poll of the child's visible windows, each waiting for what the
// last one caused: the game window over the work area, the close question (No),
// the tray button, a click on the icon, the close question (Yes), and a second
// game window, opened by the login window's reloaded page (it holds the marker).
struct Journey {
    int step = 0;
    HWND game = nullptr;
    RECT work = {};
    size_t titleColours = 0;
    std::vector<std::wstring> questions;

    HWND Find(const std::vector<HWND>& visible, bool box) const {
        for (HWND h : visible) {
            RECT r = {};
            GetWindowRect(h, &r);
            if (box ? ClassOf(h) == L"#32770" && GetWindow(h, GW_OWNER) == game
                    : ClassOf(h) == L"OrvoGantry" && r.left == 0 && r.top == 0 && r.right == work.right &&
                          r.bottom == work.bottom)
                return h;
        }
        return nullptr;
    }
    bool Answer(HWND box, int answer) {
        std::wstring text;
        EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&text));
        questions.push_back(text);
        return PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), LPARAM(GetDlgItem(box, answer)));
    }
    // The next step once this one has acted; the watch goes on either way.
    bool Then(bool acted) {
        step += acted;
        return false;
    }
    bool Done(const std::vector<HWND>& visible) {
        const Edges tray = ComputeGameLayout(ShippedArtwork(work.right, work.bottom))[kGameTray];
        const LPARAM trayButton = MAKELPARAM((tray.left + tray.right) / 2, 10);
        HWND box = Find(visible, true);
        switch (step) {
        case 0:
            if (!(game = Find(visible, false)))
                return false;
            Sleep(300); // painted by now: the title bar has the artwork's colours
            titleColours = TitleBarColours();
            return Then(PostMessageW(game, WM_CLOSE, 0, 0));
        case 1:
            return Then(box && Answer(box, IDNO));
        case 2: // kept: to the tray
            return Then(!box && IsWindowVisible(game) &&
                        PostMessageW(game, WM_LBUTTONDOWN, MK_LBUTTON, trayButton) &&
                        PostMessageW(game, WM_LBUTTONUP, 0, trayButton));
        case 3: // hidden: the shell reports a click on the icon
            return Then(!IsWindowVisible(game) && PostMessageW(game, WM_USER + 204, 156, WM_LBUTTONUP));
        case 4:
            return Then(IsWindowVisible(game) && PostMessageW(game, WM_CLOSE, 0, 0));
        case 5:
            return Then(box && Answer(box, IDYES));
        default: {
            HWND again = Find(visible, false);
            if (IsWindow(game) || !again || again == game)
                return false;
            DWORD pid = 0;
            GetWindowThreadProcessId(again, &pid);
            EnumWindows(CloseLoginWindow, LPARAM(pid));
            ++step;
            return true;
        }
        }
    }
    size_t TitleBarColours() const {
        HDC screen = GetDC(nullptr);
        std::set<COLORREF> colours;
        for (int x = 0; x < work.right; x += 2)
            colours.insert(GetPixel(screen, x, 13));
        ReleaseDC(nullptr, screen);
        return colours.size();
    }
    static bool OnWindows(const std::vector<HWND>& visible, void* self) {
        return static_cast<Journey*>(self)->Done(visible);
    }
};

TEST(GameJourney, FromTheLoginWindowIntoTheGameThroughTheTrayAndBack) {
    SimClient sim = SimClient::FromEnvironment();
    ASSERT_TRUE(sim.IsValid() && sim.Reset());
    RemoveTree(AppDataRootPath());
    WriteSetting(L"Common", L"Refer", L"orvoportal&wd_entergame=1&wd_server=7");
    // Without a window manager Wine waits a second for one at each show and hide.
    RegSetKeyValueW(HKEY_CURRENT_USER, kAppKey, L"Managed", REG_SZ, L"N", 2 * sizeof(wchar_t));
    Journey j;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &j.work, 0);
    const ChildResult r = RunChild(BuildPath("app/OrvoGantry.exe"), L"", 90000, Journey::OnWindows, &j);
    RegDeleteKeyW(HKEY_CURRENT_USER, kAppKey);
    RemoveTree(AppDataRootPath());

    EXPECT_EQ(j.step, 7) << "the last step reached";
    EXPECT_GT(j.titleColours, 8u) << "the title bar is drawn";
    EXPECT_EQ(j.questions, std::vector<std::wstring>(2, L"此操作将退出游戏，是否继续？"));
    EXPECT_TRUE(r.exited && r.exitCode == 0);
    // Each game window asked for the game URL: the login URL with the marker.
    const auto pages = sim.WaitForRequests(
        [](const SimRequest& q) {
            return q.host == L"web" && q.path.rfind(L"/tavro/wd/index.html?", 0) == 0 &&
                   q.path.find(L"wd_entergame=1&wd_server=7") != std::wstring::npos;
        },
        2, 5000);
    EXPECT_EQ(pages.size(), 2u);
}

} // namespace
