// The game window with the real global module, real windows, the real browser
// control and the platform simulator: opened as the login window asks for it,
// driven by the messages a player's mouse produces, its boxes and menus answered
// by a thread hook. Page events Wine's control cannot raise (no Gecko: no title
// changes, no new windows) come through the view's own event sink.
#include "app/GlobalModule.h"
#include "app/MainFlow.h"
#include "app/Messages.h"
#include "app/RetiredForms.h"
#include "res/resource.h"
#include "tests/browser/BrowserTestSupport.h"
#include "tests/support/SimClient.h"
#include "tests/ui/gdi_counter.h"
#include "tests/windows/GameTestSupport.h"
#include "tests/windows/ShippedArtwork.h"
#include "ui/Rects.h"

#include <gtest/gtest.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <wininet.h>

#include <functional>
#include <thread>

using namespace browsertest;
using namespace gametest;
using Access = GameWindowTestAccess;

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kLeaveQuestion[] = L"此操作将退出游戏，是否继续？";
const wchar_t kGamePath[] = L"/tavro/wd/game.html";

SimClient g_sim;

// Before the other static objects: the global module counts this start.
struct Unmanaged {
    Unmanaged() { RunUnmanagedUnderWine(); }
} g_unmanaged __attribute__((init_priority(101)));

HWND Login() {
    return g_module.m_formLogin.GetHwnd();
}
HWND Back() {
    return g_module.m_formBack.GetHwnd();
}

// Requests of the web host whose target starts with the prefix, once there are
// atLeast of them or the time is up. Messages are pumped meanwhile: the browser
// control works through this thread's queue.
size_t RequestsFor(const wchar_t* pathPrefix, size_t atLeast, DWORD waitMs = 15000) {
    const std::wstring prefix = pathPrefix;
    size_t seen = 0;
    PumpUntil(
        [&] {
            seen = 0;
            for (const SimRequest& r : g_sim.Log())
                seen += r.host == L"web" && r.path.rfind(prefix, 0) == 0;
            return seen >= atLeast;
        },
        waitMs);
    return seen;
}

// The Run value as stored: its data, type and size in bytes.
std::wstring RunValue(DWORD* type = nullptr, DWORD* bytes = nullptr) {
    wchar_t data[600] = L"";
    DWORD size = sizeof data - sizeof(wchar_t);
    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS ||
        RegQueryValueExW(key.Get(), L"OrvoValdrenna", nullptr, type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS)
        return L"<none>";
    if (bytes)
        *bytes = size;
    return data;
}

// WinINet cache entries of the simulator's web host.
int CachedPagesOfTheWebHost() {
    const std::wstring host = g_sim.HostPort(L"web");
    int n = 0;
    std::vector<char> buffer(65536);
    DWORD size = DWORD(buffer.size());
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    HANDLE find = FindFirstUrlCacheEntryW(nullptr, entry, &size);
    for (BOOL more = find != nullptr; more; more = FindNextUrlCacheEntryW(find, entry, &size)) {
        n += entry->lpszSourceUrlName && wcsstr(entry->lpszSourceUrlName, host.c_str()) != nullptr;
        size = DWORD(buffer.size());
    }
    if (find)
        FindCloseUrlCache(find);
    return n;
}

// Ends the Internet Explorer processes that openings started from this process.
void EndBrowsersStartedHere() {
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W e = {};
    e.dwSize = sizeof e;
    for (BOOL more = Process32FirstW(snapshot.Get(), &e); more; more = Process32NextW(snapshot.Get(), &e)) {
        if (e.th32ParentProcessID != GetCurrentProcessId())
            continue;
        ScopedHandle child(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, e.th32ProcessID));
        if (child && TerminateProcess(child.Get(), 0))
            WaitForSingleObject(child.Get(), 5000);
    }
}

class GameWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        g_sim = SimClient::FromEnvironment();
        ASSERT_TRUE(g_sim.IsValid());
        // A work area as with a taskbar at the top and left: the game window still
        // starts at the screen origin. (Wine under Xvfb also aborts the process when
        // a window covering the whole screen is hidden, once its first X window, the
        // backdrop's before it turned layered, is gone.)
        RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        RECT work = {40, 30, screen.right, screen.bottom - 30};
        ASSERT_TRUE(SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0));
        g_module.m_hInstance = GetModuleHandleW(nullptr);
        wcscpy(g_module.m_szTitle, L"OrvoValdrenna");
        wcscpy(g_module.m_szClassName, L"OrvoGantryGameTest");
        RegisterMainWindowClass(g_module.m_hInstance);
        g_module.m_formBack.SetBounds(RECT{0, 0, 1200, 760});
        g_module.m_formBack.Init(g_module.m_hInstance, g_module.m_szClassName, g_module.m_szTitle);
        g_module.m_formBack.ShowOffscreen();
        g_module.m_formLogin.SetBounds(RECT{0, 0, 1200, 760});
        g_module.m_formLogin.Init();
        PumpUntil([] { return g_module.m_formLogin.HasShownPageResult(); }, 20000);
        CountTrayIcons();
    }
    static void TearDownTestSuite() { EndBrowsersStartedHere(); }

    void SetUp() override {
        ASSERT_TRUE(g_sim.Reset());
        Open();
    }
    void TearDown() override {
        if (CFormGame* left = g_module.m_pFormGame)
            DestroyWindow(left->GetHwnd());
        Pump(50);
    }

public:
    // What the login window does when its page asks for the game.
    void Open() {
        g_module.m_formLogin.m_strGameUrl =
            g_sim.Url(L"web", std::wstring(kGamePath) + L"?wd_entergame=1&wd_server=3");
        SendMessageW(Login(), UM_ENTER_GAME, 0, 0);
        game = g_module.m_pFormGame;
        ASSERT_NE(game, nullptr);
        hwnd = game->GetHwnd();
        // The page has been asked for: later navigations do not cut its own short.
        ASSERT_GE(RequestsFor(kGamePath, 1), 1u);
    }
    void ClickControl(GameSlot slot) { Click(hwnd, CentreOf(Access::Control(*game, slot))); }
    void TrayMouse(UINT message) { SendMessageW(hwnd, UM_TRAY_ICON, 156, message); }
    bool Ended() const {
        return !IsWindow(hwnd) && g_module.m_pFormGame == nullptr && IsWindowVisible(Login());
    }

    CFormGame* game = nullptr;
    HWND hwnd = nullptr;
};

TEST_F(GameWindow, OpensOverTheWorkAreaAndLaysOutItsControlsAndPageAtEachSize) {
    EXPECT_FALSE(IsWindowVisible(Login()));
    EXPECT_FALSE(IsWindowVisible(Back()));
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(style & (WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX), WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(Access::TitleLabel(*game).GetText(), L"OrvoValdrenna");

    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT maximized = {0, 0, work.right, work.bottom};
    const RECT restored = {(work.right - 1250) / 2, (work.bottom - 700) / 2, (work.right - 1250) / 2 + 1250,
                           (work.bottom - 700) / 2 + 700};
    for (const RECT& expected : {maximized, restored}) {
        SCOPED_TRACE(expected.right - expected.left);
        RECT r = {};
        GetWindowRect(hwnd, &r);
        EXPECT_EQ(ToEdges(r), ToEdges(expected));
        const auto slots =
            ComputeGameLayout(ShippedArtwork(expected.right - expected.left, expected.bottom - expected.top));
        for (int slot = 0; slot < kGameTitleLabel; ++slot)
            EXPECT_EQ(ToEdges(Access::Control(*game, GameSlot(slot)).GetBounds()), slots[slot]) << slot;
        // The label narrows to its text when painted, within its place.
        const Edges label = ToEdges(Access::TitleLabel(*game).GetBounds());
        EXPECT_EQ(label.left, slots[kGameTitleLabel].left);
        EXPECT_EQ(label.top, slots[kGameTitleLabel].top);
        EXPECT_LE(label.right, slots[kGameTitleLabel].right);
        const HWND view = Access::View(*game).GetHwnd();
        RECT v = {};
        GetWindowRect(view, &v);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&v), 2);
        EXPECT_EQ(ToEdges(v), slots[kGameView]);
        EXPECT_TRUE(IsWindowVisible(view));
        ClickControl(kGameMaximize);
    }
}

TEST_F(GameWindow, MaximiseRestoreAndDragFollowTheWindowsSize) {
    ModalScript script;
    const CKoButton& maximize = Access::MaximizeButton(*game);
    auto width = [&] {
        RECT r = {};
        GetWindowRect(hwnd, &r);
        return r.right - r.left;
    };
    const int full = width();
    // The button: checked (restore symbol) while restored, once clicked.
    ClickControl(kGameMaximize);
    EXPECT_EQ(width(), 1250);
    EXPECT_TRUE(maximize.checked);
    ClickControl(kGameMaximize);
    EXPECT_EQ(width(), full);
    EXPECT_FALSE(maximize.checked);

    // A double click on the title bar toggles too, and leaves the button's look alone.
    const POINT title = {500, 13}; // on the title image, left of every button at both sizes
    SendMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(title.x, title.y));
    EXPECT_EQ(width(), 1250);
    EXPECT_FALSE(maximize.checked);

    // A press on the title bar starts the system's move loop only while restored
    // (a posted Escape ends the loop at once).
    for (bool restoredNow : {true, false}) {
        script.sysCommands.clear();
        PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(title.x, title.y));
        SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(title.x, title.y));
        Pump(50);
        EXPECT_EQ(script.sysCommands.size(), restoredNow ? 1u : 0u) << restoredNow;
        if (!script.sysCommands.empty()) {
            EXPECT_EQ(script.sysCommands[0].second, 0xF011u);
        }
        SendMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(title.x, title.y));
    }
    EXPECT_EQ(width(), 1250);
}

TEST_F(GameWindow, TheQuitQuestionKeepsTheGameOnNoAndReturnsToTheLoginPageOnYes) {
    ModalScript script;
    const struct {
        const char* name;
        std::function<void(GameWindow&)> ask;
        const wchar_t* question;
    } rows[] = {
        {"close button", [](GameWindow& t) { t.ClickControl(kGameClose); }, L"正在游戏中，确认退出？"},
        {"WM_CLOSE", [](GameWindow& t) { SendMessageW(t.hwnd, WM_CLOSE, 0, 0); }, kLeaveQuestion},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (!g_module.m_pFormGame)
            Open();
        script.boxes.clear();
        script.boxAnswers = {IDNO};
        row.ask(*this);
        ASSERT_EQ(script.boxes.size(), 1u);
        EXPECT_EQ(script.boxes[0].caption, L"提示");
        EXPECT_EQ(script.boxes[0].text, row.question);
        EXPECT_EQ(script.boxes[0].owner, hwnd);
        EXPECT_TRUE(IsWindowVisible(hwnd));
        EXPECT_EQ(g_module.m_pFormGame, game);

        ASSERT_TRUE(g_sim.Reset());
        script.boxAnswers = {IDYES};
        row.ask(*this);
        EXPECT_TRUE(Ended());
        EXPECT_EQ(GetForegroundWindow(), Login());
        EXPECT_EQ(RequestsFor(L"/tavro/wd/index.html?", 1), 1u); // the login page again
    }
}

TEST_F(GameWindow, PageEventsSetTheTitleOpenOtherWindowsOutsideAndReturnToLogin) {
    ModalScript script;
    CBrowserView& view = Access::View(*game);
    RaiseTitleChange(view, L"OrvoValdrenna - 三区");
    EXPECT_EQ(Access::TitleLabel(*game).GetText(), L"OrvoValdrenna - 三区");

    // A new window and a link to a program open in the external browser; the game page stays.
    const std::wstring pay = g_sim.Url(L"web", L"/pay.html?gid=1036&sid=3");
    RaiseNewWindow3(view, pay);
    EXPECT_TRUE(PumpUntil([&] { return g_module.GetLastOpenedUrl() == pay; }, 15000));
    const std::wstring program = g_sim.Url(L"web", L"/client.exe");
    EXPECT_EQ(RaiseBeforeNavigate(view, program), VARIANT_TRUE);
    EXPECT_EQ(g_module.GetLastOpenedUrl(), program);
    EXPECT_EQ(g_module.m_pFormGame, game);

    // Keys and mouse messages of the page go to the browser before dispatching.
    script.forwarded.clear();
    for (UINT message : {UINT(WM_KEYDOWN), UINT(WM_CHAR), UINT(WM_MOUSEMOVE), UINT(WM_TIMER)}) {
        MSG msg = {view.GetHwnd(), message, 'A', 0, 0, {0, 0}};
        game->PreTranslateMessage(&msg);
    }
    EXPECT_EQ(script.forwarded, std::vector<HWND>(3, view.GetHwnd()));

    // The return marker ends the game at once, without a question.
    RaiseBeforeNavigate(view, g_sim.Url(L"web", L"/tavro/wd/index.html?wd_returnlogin=1"));
    EXPECT_TRUE(Ended());
    EXPECT_TRUE(script.boxes.empty());
}

TEST_F(GameWindow, SettingsMenuClearsTheCacheAndSwitchesStartAtLogon) {
    ModalScript script;
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"OrvoValdrenna");
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring expected = L"\"" + std::wstring(self) + L"\" /autorun";

    script.menuChoices = {ID_MENU_AUTORUN};
    ClickControl(kGameSettings);
    ASSERT_EQ(script.menus.size(), 1u);
    EXPECT_EQ(script.menus[0].items,
              (std::vector<UINT>{ID_MENU_REFRESH, ID_MENU_CLEAR_CACHE, ID_MENU_AUTORUN}));
    EXPECT_TRUE(script.menus[0].checkedItems.empty());
    DWORD type = 0, bytes = 0;
    EXPECT_EQ(RunValue(&type, &bytes), expected);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(bytes, (expected.size() + 1) * sizeof(wchar_t)); // with its terminating NUL

    script.menuChoices = {ID_MENU_AUTORUN};
    ClickControl(kGameSettings);
    EXPECT_EQ(script.menus.back().checkedItems, std::set<UINT>{ID_MENU_AUTORUN});
    EXPECT_EQ(RunValue(), L"<none>");

    // A value left by a copy at another path counts as set.
    const wchar_t other[] = L"\"C:\\Games\\Old\\OrvoGantry.exe\" /autorun";
    RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"OrvoValdrenna", REG_SZ, other, sizeof other);
    script.menuChoices = {0};
    ClickControl(kGameSettings);
    EXPECT_EQ(script.menus.back().checkedItems, std::set<UINT>{ID_MENU_AUTORUN});
    EXPECT_EQ(RunValue(), other);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"OrvoValdrenna");

    // Clearing the cache empties it, then says so.
    ASSERT_GT(CachedPagesOfTheWebHost(), 0);
    script.menuChoices = {ID_MENU_CLEAR_CACHE};
    script.boxAnswers = {IDOK};
    ClickControl(kGameSettings);
    EXPECT_EQ(CachedPagesOfTheWebHost(), 0);
    ASSERT_EQ(script.boxes.size(), 1u);
    EXPECT_EQ(script.boxes[0].text, L"缓存清理完毕！");
}

TEST_F(GameWindow, TheTrayIconTakesTheWindowAwayAndBringsItBack) {
    ModalScript script;
    auto hide = [&] {
        ClickControl(kGameTray);
        EXPECT_FALSE(IsWindowVisible(hwnd));
        EXPECT_EQ(LiveTrayIcons(), 1u);
    };
    hide();
    const ShellCallRecord& add = ShellCalls().back();
    EXPECT_EQ(add.message, DWORD(NIM_ADD));
    EXPECT_EQ(add.cbSize, DWORD(sizeof(NOTIFYICONDATAW)));
    EXPECT_EQ(add.window, hwnd);
    EXPECT_EQ(add.id, 156u);
    EXPECT_EQ(add.callback, 1228u);

    const struct {
        const char* name;
        std::function<void(GameWindow&, ModalScript&)> back;
    } ways[] = {
        {"click", [](GameWindow& t, ModalScript&) { t.TrayMouse(WM_LBUTTONUP); }},
        {"double click", [](GameWindow& t, ModalScript&) { t.TrayMouse(WM_LBUTTONDBLCLK); }},
        {"menu: open",
         [](GameWindow& t, ModalScript& s) {
             s.menuChoices = {ID_TRAY_OPEN};
             t.TrayMouse(WM_RBUTTONUP);
         }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        if (IsWindowVisible(hwnd))
            hide();
        way.back(*this, script);
        EXPECT_TRUE(IsWindowVisible(hwnd));
        EXPECT_EQ(LiveTrayIcons(), 0u);
    }
    EXPECT_EQ(script.menus.back().items, (std::vector<UINT>{ID_TRAY_OPEN, ID_TRAY_EXIT}));
    const size_t calls = ShellCalls().size();
    TrayMouse(WM_LBUTTONUP); // the icon is gone: nothing to remove
    EXPECT_EQ(ShellCalls().size(), calls);

    // The shell announces a restart: a hidden window's icon is there afterwards,
    // whether the shell had lost it or not (Windows also announces scaling changes).
    hide();
    for (bool lost : {true, false}) {
        if (lost)
            ForgetTrayIcons();
        SendMessageW(hwnd, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
        EXPECT_EQ(LiveTrayIcons(), 1u) << lost;
        EXPECT_FALSE(IsWindowVisible(hwnd)) << lost;
    }

    // Leaving from the tray menu asks first.
    script.menuChoices = {ID_TRAY_EXIT, ID_TRAY_EXIT};
    script.boxAnswers = {IDNO, IDYES};
    TrayMouse(WM_RBUTTONUP);
    EXPECT_EQ(script.boxes.back().text, kLeaveQuestion);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(LiveTrayIcons(), 1u);
    TrayMouse(WM_RBUTTONUP);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(LiveTrayIcons(), 0u);
}

TEST_F(GameWindow, WithoutATrayIconTheWindowIsMinimisedInsteadOfHidden) {
    RefuseTrayAdds(true);
    ClickControl(kGameTray);
    EXPECT_TRUE(IsWindowVisible(hwnd) && IsIconic(hwnd));
    ShowWindow(hwnd, SW_RESTORE);

    RefuseTrayAdds(false);
    ClickControl(kGameTray);
    ForgetTrayIcons();
    RefuseTrayAdds(true); // the restarted shell refuses the icon
    SendMessageW(hwnd, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    RefuseTrayAdds(false);
    EXPECT_TRUE(IsWindowVisible(hwnd) && IsIconic(hwnd));
    EXPECT_EQ(LiveTrayIcons(), 0u);
}

TEST_F(GameWindow, AnotherEntryShowsTheOpenGameAndAFailedOneKeepsTheLoginWindow) {
    ClickControl(kGameTray);
    SendMessageW(Login(), UM_ENTER_GAME, 0, 0);
    EXPECT_EQ(g_module.m_pFormGame, game);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(LiveTrayIcons(), 0u);

    // The upgrade prompt, asked for on a download worker, belongs to the game window.
    HWND owner = nullptr;
    std::thread([&] { owner = g_module.UpgradePromptOwner(); }).join();
    EXPECT_EQ(owner, hwnd);

    // The process ends with the game in the tray: icon and window go, the login
    // window is not brought back.
    ClickControl(kGameTray);
    EndGameWindowAtExit();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(LiveTrayIcons(), 0u);
    EXPECT_FALSE(IsWindowVisible(Login()));
    std::thread([&] { owner = g_module.UpgradePromptOwner(); }).join();
    EXPECT_EQ(owner, Login());

    // No window can be made: the login window and its backdrop stay on screen.
    ShowWindow(Login(), SW_SHOWNA);
    ShowWindow(Back(), SW_SHOWNA);
    wcscpy(g_module.m_szClassName, L"NoSuchWindowClass");
    SendMessageW(Login(), UM_ENTER_GAME, 0, 0);
    wcscpy(g_module.m_szClassName, L"OrvoGantryGameTest");
    EXPECT_EQ(g_module.m_pFormGame, nullptr);
    EXPECT_TRUE(IsWindowVisible(Login()));
    EXPECT_TRUE(IsWindowVisible(Back()));
}

// Windows of this thread, children included (Wine counts no USER objects itself).
int CountWindows() {
    int n = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND top, LPARAM p) {
            ++*reinterpret_cast<int*>(p);
            EnumChildWindows(
                top, [](HWND, LPARAM q) { return ++*reinterpret_cast<int*>(q), TRUE; }, p);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&n));
    return n;
}

struct Usage {
    int gdi = 0, windows = 0;
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
};

Usage Measure() {
    MSG none = {};
    g_retiredForms.PreTranslateMessage(&none); // what the main loop does between messages
    Usage u;
    u.gdi = gdicount::Live();
    u.windows = CountWindows();
    GetProcessHandleCount(GetCurrentProcess(), &u.handles);
    PROCESS_MEMORY_COUNTERS pmc = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    u.privateBytes = pmc.PagefileUsage;
    return u;
}

TEST_F(GameWindow, FiftyGamesLeaveNothingBehind) {
    ModalScript script;
    gdicount::Install();
    // Each ends another way: close button, return marker, exit from the tray.
    auto cycle = [&](int i) {
        if (!g_module.m_pFormGame)
            Open();
        Pump(20);
        if (i % 3 == 0) {
            script.boxAnswers = {IDYES};
            ClickControl(kGameClose);
        } else if (i % 3 == 1) {
            RaiseBeforeNavigate(Access::View(*game), g_sim.Url(L"web", L"/x?wd_returnlogin=1"));
        } else {
            ClickControl(kGameTray);
            script.menuChoices = {ID_TRAY_EXIT};
            script.boxAnswers = {IDYES};
            TrayMouse(WM_RBUTTONUP);
        }
        ASSERT_TRUE(Ended()) << i;
        Pump(20);
    };
    for (int i = 0; i < 3; ++i)
        cycle(i);
    const Usage before = Measure();
    for (int i = 0; i < 50; ++i)
        cycle(i);
    const Usage after = Measure();
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_LE(after.handles, before.handles);
    EXPECT_LT(after.privateBytes, before.privateBytes + 4 * 1024 * 1024)
        << before.privateBytes << " -> " << after.privateBytes;
    EXPECT_EQ(LiveTrayIcons(), 0u);
}

} // namespace
