// The player's game journey through the real launcher against the simulator on the
// ports this build was configured for. Under Wine the login page never loads, so a
// stored channel code carrying the enter-game marker puts the marker into the login
// URL itself: the login window acts on its first navigation and opens the game.
// The test watches the child's windows and drives them as the mouse and the shell
// would: the close question, the tray round trip, and the way back to the login
// window (whose reloaded page, still carrying the marker, enters the game again).
#include "browser/windows/GameLayout.h"
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

std::wstring TextOf(HWND h) {
    wchar_t text[256] = L"";
    GetWindowTextW(h, text, 256);
    return text;
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM lParam) {
    if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0)
        *reinterpret_cast<std::wstring*>(lParam) += TextOf(child);
    return TRUE;
}

// Distinct colours on the screen along the middle of a window's title bar.
size_t TitleBarColours(HWND window, int width) {
    RECT r = {};
    GetWindowRect(window, &r);
    HDC screen = GetDC(nullptr);
    std::set<COLORREF> colours;
    for (int x = 0; x < width; x += 2)
        colours.insert(GetPixel(screen, r.left + x, r.top + 13));
    ReleaseDC(nullptr, screen);
    return colours.size();
}

struct Journey {
    int step = 0;
    HWND game = nullptr;
    HWND secondGame = nullptr;
    RECT gameRect = {};
    size_t titleColours = 0;
    std::vector<std::wstring> questions;
    bool hiddenToTray = false;
    bool backFromTray = false;

    static HWND Box(const std::vector<HWND>& visible, HWND owner) {
        for (HWND h : visible)
            if (ClassOf(h) == L"#32770" && GetWindow(h, GW_OWNER) == owner)
                return h;
        return nullptr;
    }
    HWND GameSized(const std::vector<HWND>& visible) const {
        RECT work = {};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        for (HWND h : visible) {
            RECT r = {};
            GetWindowRect(h, &r);
            if (ClassOf(h) == L"OrvoGantry" && r.left == 0 && r.top == 0 && r.right == work.right &&
                r.bottom == work.bottom)
                return h;
        }
        return nullptr;
    }
    void Answer(HWND box, int answer) {
        std::wstring text;
        EnumChildWindows(box, CollectStatic, reinterpret_cast<LPARAM>(&text));
        questions.push_back(TextOf(box) + L"|" + text);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), LPARAM(GetDlgItem(box, answer)));
        ++step;
    }

    static bool OnWindows(const std::vector<HWND>& visible, void* context) {
        auto* j = static_cast<Journey*>(context);
        return j->Next(visible);
    }
    bool Next(const std::vector<HWND>& visible) {
        switch (step) {
        case 0: // the game window over the work area, painted
            if (!(game = GameSized(visible)))
                return false;
            GetWindowRect(game, &gameRect);
            Sleep(500);
            titleColours = TitleBarColours(game, gameRect.right);
            PostMessageW(game, WM_CLOSE, 0, 0);
            ++step;
            return false;
        case 1:
            if (HWND box = Box(visible, game))
                Answer(box, IDNO);
            return false;
        case 2: { // kept: hide it with the tray button
            if (Box(visible, game) || !IsWindowVisible(game))
                return false;
            const auto slots = ComputeGameLayout(ShippedArtwork(gameRect.right, gameRect.bottom));
            const Edges tray = slots[kGameTray];
            const LPARAM at = MAKELPARAM((tray.left + tray.right) / 2, (tray.top + tray.bottom) / 2);
            PostMessageW(game, WM_LBUTTONDOWN, MK_LBUTTON, at);
            PostMessageW(game, WM_LBUTTONUP, 0, at);
            ++step;
            return false;
        }
        case 3: // hidden: a click on the icon, as the shell reports it
            if (IsWindowVisible(game))
                return false;
            hiddenToTray = true;
            PostMessageW(game, WM_USER + 204, 156, WM_LBUTTONUP);
            ++step;
            return false;
        case 4:
            if (!IsWindowVisible(game))
                return false;
            backFromTray = true;
            PostMessageW(game, WM_CLOSE, 0, 0);
            ++step;
            return false;
        case 5:
            if (HWND box = Box(visible, game))
                Answer(box, IDYES);
            return false;
        case 6: // gone; the login window's reloaded page enters the game again
            secondGame = GameSized(visible);
            if (IsWindow(game) || !secondGame || secondGame == game)
                return false;
            ++step;
            return true;
        default:
            return true;
        }
    }
};

// Posts WM_CLOSE to the login window (the launcher's window with an owner).
BOOL CALLBACK CloseLoginWindow(HWND h, LPARAM pid) {
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    if (owner == DWORD(pid) && ClassOf(h) == L"OrvoGantry" && GetWindow(h, GW_OWNER))
        PostMessageW(h, WM_CLOSE, 0, 0);
    return TRUE;
}

class GameJourney : public ::testing::Test {
protected:
    void SetUp() override {
        sim_ = SimClient::FromEnvironment();
        ASSERT_TRUE(sim_.IsValid());
        ASSERT_TRUE(sim_.Reset());
        RemoveTree(AppDataRootPath());
        WriteSetting(L"Common", L"Refer", L"orvoportal&wd_entergame=1&wd_server=7");
        // Without a window manager Wine waits a second for one on every show and hide
        // of a managed window.
        RegSetKeyValueW(HKEY_CURRENT_USER, kAppKey, L"Managed", REG_SZ, L"N", 2 * sizeof(wchar_t));
    }
    void TearDown() override {
        RegDeleteKeyW(HKEY_CURRENT_USER, kAppKey);
        RemoveTree(AppDataRootPath());
    }
    SimClient sim_;
};

struct Runner {
    Journey journey;
    static bool Watch(const std::vector<HWND>& visible, void* context) {
        auto* r = static_cast<Runner*>(context);
        if (!r->journey.Next(visible))
            return false;
        DWORD pid = 0;
        GetWindowThreadProcessId(r->journey.secondGame, &pid);
        EnumWindows(CloseLoginWindow, LPARAM(pid)); // the launcher ends with its login window
        return true;
    }
};

TEST_F(GameJourney, FromTheLoginWindowIntoTheGameThroughTheTrayAndBack) {
    Runner runner;
    const ChildResult r = RunChild(BuildPath("app/OrvoGantry.exe"), L"", 90000, Runner::Watch, &runner);
    const Journey& j = runner.journey;
    ASSERT_GE(j.step, 1) << "no game window over the work area";
    EXPECT_GT(j.titleColours, 8u) << "the title bar is not drawn";
    ASSERT_EQ(j.questions.size(), 2u);
    EXPECT_EQ(j.questions[0], L"提示|此操作将退出游戏，是否继续？");
    EXPECT_TRUE(j.hiddenToTray);
    EXPECT_TRUE(j.backFromTray);
    EXPECT_EQ(j.step, 7) << "no way back to the login window";
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0u);
    // Each game window asked for the game URL: the login URL with the marker.
    const auto pages = sim_.WaitForRequests(
        [](const SimRequest& q) {
            return q.host == L"web" && q.path.rfind(L"/tavro/wd/index.html?", 0) == 0 &&
                   q.path.find(L"wd_entergame=1&wd_server=7") != std::wstring::npos;
        },
        2, 5000);
    EXPECT_EQ(pages.size(), 2u);
}

} // namespace
