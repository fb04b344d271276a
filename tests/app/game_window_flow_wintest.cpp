// The game window as the main flow handles it, with the real global module, real windows, the real browser
// control and the platform simulator: opened as the login window asks for it,
// driven by the messages a player's mouse produces, its boxes and menus answered
// by a thread hook. Page events Wine's control cannot raise (no Gecko: no title
// changes, no new windows) come through the view's own event sink.
#include "app/GlobalModule.h"
#include "app/MainFlow.h"
#include "app/base/Messages.h"
#include "app/RetiredForms.h"
#include "res/resource.h"
#include "tests/browser/BrowserTestSupport.h"
#include "tests/support/SimClient.h"
#include "tests/ui/gdi_counter.h"
#include "tests/windows/GameTestSupport.h"
#include "tests/windows/LoginWindowTestAccess.h"
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

// Before the other static objects: the global module counts this start.
struct Unmanaged {
    Unmanaged() { RunUnmanagedUnderWine(); }
} g_unmanaged __attribute__((init_priority(101)));

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kLeaveQuestion[] = L"此操作将退出游戏，是否继续？";
SimClient g_sim;

HWND Login() {
    return g_module.LoginForm().GetHwnd();
}

// Requests of the web host starting with the prefix, pumping messages (the browser
// control works through this thread's queue) until there are atLeast or 15 s passed.
size_t RequestsFor(const std::wstring& prefix, size_t atLeast) {
    size_t seen = 0;
    PumpUntil(
        [&] {
            seen = 0;
            for (const SimRequest& r : g_sim.Log())
                seen += r.host == L"web" && r.path.rfind(prefix, 0) == 0;
            return seen >= atLeast;
        },
        15000);
    return seen;
}

// The Run value as stored (data, type, size in bytes); "<none>" without one.
std::wstring RunValue(DWORD* type = nullptr, DWORD* bytes = nullptr) {
    wchar_t data[600] = L"";
    DWORD size = sizeof data - sizeof(wchar_t);
    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS ||
        RegQueryValueExW(key.Get(), L"OrvoValdrenna", nullptr, type, reinterpret_cast<BYTE*>(data), &size))
        return L"<none>";
    if (bytes)
        *bytes = size;
    return data;
}

// WinINet cache entries of the game page.
int CachedGamePages() {
    int n = 0;
    std::vector<char> buffer(65536);
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    DWORD size = DWORD(buffer.size());
    HANDLE find = FindFirstUrlCacheEntryW(nullptr, entry, &size);
    for (BOOL more = find != nullptr; more; more = FindNextUrlCacheEntryW(find, entry, &size)) {
        n += entry->lpszSourceUrlName &&
             wcsstr(entry->lpszSourceUrlName, g_sim.Url(L"web", L"/tavro/wd/game.html").c_str());
        size = DWORD(buffer.size());
    }
    if (find)
        FindCloseUrlCache(find);
    return n;
}

class GameWindow : public ::testing::Test {
public:
    static void SetUpTestSuite() {
        // A work area as with a taskbar at the top and left: the game window still
        // starts at the screen origin. (Wine under Xvfb also aborts a process that
        // hides a window covering the whole screen once its first X window, the
        // backdrop's before it turned layered, is gone.)
        RECT work = {40, 30, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - 30};
        ASSERT_TRUE(SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0));
        g_sim = SimClient::FromEnvironment();
        ASSERT_TRUE(g_sim.IsValid());
        g_module.SetProcessValues(GetModuleHandleW(nullptr), L"OrvoValdrenna", L"OrvoGantryGameTest");
        RegisterMainWindowClass(g_module.Instance());
        g_module.Backdrop().SetBounds(RECT{0, 0, 1200, 760});
        g_module.Backdrop().Init(g_module.Instance(), g_module.WindowClassName(), g_module.WindowTitle());
        g_module.LoginForm().SetBounds(RECT{0, 0, 1200, 760});
        g_module.LoginForm().Init();
        PumpUntil([] { return g_module.LoginForm().HasShownPageResult(); }, 20000);
    }
    // The external browser that openings started holds this program's output open.
    static void TearDownTestSuite() {
        ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W e = {};
        e.dwSize = sizeof e;
        for (BOOL more = Process32FirstW(snapshot.Get(), &e); more;
             more = Process32NextW(snapshot.Get(), &e)) {
            ScopedHandle child(OpenProcess(PROCESS_TERMINATE, FALSE, e.th32ProcessID));
            if (e.th32ParentProcessID == GetCurrentProcessId() && child)
                TerminateProcess(child.Get(), 0);
        }
    }
    void SetUp() override {
        ASSERT_TRUE(g_sim.Reset());
        Open();
    }
    void TearDown() override {
        if (CFormGame* left = g_module.GameForm())
            DestroyWindow(left->GetHwnd());
        area.refuseAdds = false;
        Pump(50);
    }

    // What the login window does when its page asks for the game.
    void Open() {
        LoginWindowTestAccess::SetGameUrl(
            g_module.LoginForm(), g_sim.Url(L"web", L"/tavro/wd/game.html?wd_entergame=1&wd_server=3"));
        SendMessageW(Login(), UM_ENTER_GAME, 0, 0);
        ASSERT_NE(game = g_module.GameForm(), nullptr);
        hwnd = game->GetHwnd();
        // Asked for: later navigations do not cut the page's own short.
        ASSERT_GE(RequestsFor(L"/tavro/wd/game.html", 1), 1u);
    }
    void ClickOn(GameSlot slot) { Click(hwnd, Access::Control(*game, slot)); }
    void TrayMouse(UINT message) { SendMessageW(hwnd, UM_TRAY_ICON, 156, message); }
    void TaskbarCreated() { SendMessageW(hwnd, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0); }
    bool Ended() const { return !IsWindow(hwnd) && !g_module.GameForm() && IsWindowVisible(Login()); }
    bool Hidden() const { return !IsWindowVisible(hwnd) && area.icons.size() == 1; }
    int Width() const {
        RECT r = {};
        GetWindowRect(hwnd, &r);
        return r.right - r.left;
    }

    CFormGame* game = nullptr;
    HWND hwnd = nullptr;
    NotificationArea& area = FakeNotificationArea();
    ModalScript script;
};

TEST_F(GameWindow, OpensOverTheWorkAreaAndLaysOutItsControlsAndPageAtEachSize) {
    EXPECT_FALSE(IsWindowVisible(Login()));
    EXPECT_FALSE(IsWindowVisible(g_module.Backdrop().GetHwnd()));
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_SYSMENU | WS_MINIMIZEBOX),
              WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX);
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = (work.right - 1250) / 2, y = (work.bottom - 700) / 2;
    for (const RECT& expected : {RECT{0, 0, work.right, work.bottom}, RECT{x, y, x + 1250, y + 700}}) {
        SCOPED_TRACE(expected.right - expected.left);
        RECT r = {}, v = {};
        GetWindowRect(hwnd, &r);
        EXPECT_EQ(ToEdges(r), ToEdges(expected));
        const auto slots = ComputeGameLayout(ShippedArtwork(r.right - r.left, r.bottom - r.top));
        for (int slot = 0; slot < kGameTitleLabel; ++slot)
            EXPECT_EQ(ToEdges(Access::Control(*game, GameSlot(slot)).GetBounds()), slots[slot]) << slot;
        // The label narrows to its text when painted, within its place.
        const Edges label = ToEdges(Access::TitleLabel(*game).GetBounds());
        EXPECT_EQ(label.left, slots[kGameTitleLabel].left);
        EXPECT_LE(label.right, slots[kGameTitleLabel].right);
        GetWindowRect(Access::View(*game).GetHwnd(), &v);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&v), 2);
        EXPECT_EQ(ToEdges(v), slots[kGameView]);
        ClickOn(kGameMaximize);
    }
}

TEST_F(GameWindow, MaximiseRestoreAndDragFollowTheWindowsSize) {
    const CKoButton& maximize = Access::MaximizeButton(*game);
    const int full = Width();
    // Checked (the restore symbol) while restored, once clicked.
    ClickOn(kGameMaximize);
    EXPECT_EQ(Width(), 1250);
    EXPECT_TRUE(maximize.checked);
    ClickOn(kGameMaximize);
    EXPECT_EQ(Width(), full);
    EXPECT_FALSE(maximize.checked);
    // A double click on the title bar toggles too and leaves the button's look alone;
    // a press there starts the system's move loop only while restored (a posted
    // Escape ends the loop at once).
    const LPARAM title = MAKELPARAM(500, 13); // left of every button at both sizes
    for (int restored : {1, 0}) {
        SendMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, title);
        EXPECT_EQ(Width(), restored ? 1250 : full);
        EXPECT_FALSE(maximize.checked);
        script.sysCommands.clear();
        PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, title);
        SendMessageW(hwnd, WM_LBUTTONUP, 0, title);
        Pump(50);
        EXPECT_EQ(script.sysCommands, std::vector<WPARAM>(restored, 0xF011)) << restored;
    }
}

TEST_F(GameWindow, TheQuitQuestionKeepsTheGameOnNoAndReturnsToTheLoginPageOnYes) {
    for (const wchar_t* question : {L"正在游戏中，确认退出？", kLeaveQuestion}) {
        SCOPED_TRACE(question == kLeaveQuestion ? "WM_CLOSE" : "close button");
        if (!g_module.GameForm())
            Open();
        script.boxes.clear();
        for (int answer : {IDNO, IDYES}) {
            ASSERT_TRUE(g_sim.Reset());
            script.boxAnswers = {answer};
            if (question == kLeaveQuestion)
                SendMessageW(hwnd, WM_CLOSE, 0, 0);
            else
                ClickOn(kGameClose);
            EXPECT_EQ(Ended(), answer == IDYES);
            // The login window loads its page again.
            EXPECT_EQ(RequestsFor(L"/tavro/wd/index.html?", answer == IDYES), answer == IDYES ? 1u : 0u);
        }
        ASSERT_EQ(script.boxes.size(), 2u);
        EXPECT_EQ(script.boxes[0].caption + L"|" + script.boxes[0].text, std::wstring(L"提示|") + question);
        EXPECT_EQ(script.boxes[0].owner, hwnd);
        EXPECT_EQ(GetForegroundWindow(), Login());
    }
}

// Runs a function when the message posted to it is dispatched: inside whatever
// message loop is running then (a question box's).
class PostedCall {
public:
    explicit PostedCall(std::function<void()> call) : call_(std::move(call)) {
        static const ATOM cls = [] {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = WindowProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"GantryPostedCall";
            return RegisterClassW(&wc);
        }();
        window_ = CreateWindowW(MAKEINTATOM(cls), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    }
    ~PostedCall() { DestroyWindow(window_); }
    void Post() { PostMessageW(window_, WM_APP, 0, reinterpret_cast<LPARAM>(this)); }

private:
    // A named function: a lambda has no stdcall conversion for the x86 window procedure.
    static LRESULT CALLBACK WindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_APP)
            reinterpret_cast<PostedCall*>(lp)->call_();
        return m == WM_APP ? 0 : DefWindowProcW(w, m, wp, lp);
    }

    std::function<void()> call_;
    HWND window_ = nullptr;
};

// The quit question runs its own message loop. A second close request there is
// not asked again; a window that ends under an open question (its page returns to
// login) is not closed again by it, and the object lets go of the dead handle.
TEST_F(GameWindow, OneQuitQuestionAtATimeAndNoneActsOnAnEndedWindow) {
    script.boxAnswers = {IDNO, IDNO};
    PostMessageW(hwnd, WM_CLOSE, 0, 0); // arrives while the first box is open
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    Pump(50);
    EXPECT_EQ(script.boxes.size(), 1u);
    ASSERT_FALSE(Ended());

    CFormGame* ending = game; // retired, not freed, while no main loop runs
    PostedCall returnToLogin(
        [&] { RaiseBeforeNavigate(Access::View(*ending), g_sim.Url(L"web", L"/x?wd_returnlogin=1")); });
    script.boxAnswers = {IDYES};
    returnToLogin.Post();
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(ending->GetHwnd(), nullptr);
}

// A closed game's object stays while anything still holds its browser's handler
// (a document would call into it), and goes once that is let go.
TEST_F(GameWindow, ARetiredGameIsFreedOnlyOnceItsBrowserIsLetGo) {
    MSG none = {};
    g_retiredForms.PreTranslateMessage(&none);
    const size_t before = g_retiredForms.Count();
    IDocHostUIHandler* held = Access::View(*game).GetUIHandler();
    held->AddRef(); // as a document given the handler holds it
    script.boxAnswers = {IDYES};
    ClickOn(kGameClose);
    ASSERT_TRUE(Ended());
    g_retiredForms.PreTranslateMessage(&none);
    EXPECT_EQ(g_retiredForms.Count(), before + 1);
    held->Release();
    g_retiredForms.PreTranslateMessage(&none);
    EXPECT_EQ(g_retiredForms.Count(), before);
}

// Activation while minimised leaves the layout alone; a later one lays it out anew.
TEST_F(GameWindow, AMinimisedActivationKeepsTheLayout) {
    const HWND view = Access::View(*game).GetHwnd();
    auto viewWidth = [view] {
        RECT r = {};
        GetWindowRect(view, &r);
        return int(r.right - r.left);
    };
    const int before = viewWidth();
    SetWindowPos(hwnd, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, TRUE), 0);
    EXPECT_EQ(viewWidth(), before);
    SendMessageW(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, FALSE), 0);
    RECT client = {};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(viewWidth(), client.right);
}

TEST_F(GameWindow, PageEventsSetTheTitleOpenOtherWindowsOutsideAndReturnToLogin) {
    CBrowserView& view = Access::View(*game);
    RaiseTitleChange(view, L"OrvoValdrenna - 三区");
    EXPECT_EQ(Access::TitleLabel(*game).GetText(), L"OrvoValdrenna - 三区");
    // A new window and a link to a program open in the external browser; the game stays.
    const std::wstring pay = g_sim.Url(L"web", L"/pay.html?gid=1036&sid=3");
    RaiseNewWindow3(view, pay);
    EXPECT_TRUE(PumpUntil([&] { return g_module.GetLastOpenedUrl() == pay; }, 15000));
    const std::wstring program = g_sim.Url(L"web", L"/client.exe");
    EXPECT_EQ(RaiseBeforeNavigate(view, program), VARIANT_TRUE);
    EXPECT_EQ(g_module.GetLastOpenedUrl(), program);
    EXPECT_EQ(g_module.GameForm(), game);
    // The return marker ends the game at once, without a question.
    RaiseBeforeNavigate(view, g_sim.Url(L"web", L"/tavro/wd/index.html?wd_returnlogin=1"));
    EXPECT_TRUE(Ended());
    EXPECT_TRUE(script.boxes.empty());
}

TEST_F(GameWindow, SettingsMenuClearsTheCacheAndSwitchesStartAtLogon) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"OrvoValdrenna");
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring expected = L"\"" + std::wstring(self) + L"\" /autorun";
    const wchar_t other[] = L"\"C:\\Games\\Old\\OrvoGantry.exe\" /autorun"; // a copy at another path
    // Rows: the Run value before, the check the menu shows, the value after choosing the item.
    const struct {
        const wchar_t* before;
        bool checked;
        std::wstring after;
    } rows[] = {{nullptr, false, expected}, {expected.c_str(), true, L"<none>"}, {other, true, L"<none>"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.after);
        if (row.before)
            RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"OrvoValdrenna", REG_SZ, row.before,
                            DWORD((wcslen(row.before) + 1) * sizeof(wchar_t)));
        script.menuChoices = {ID_MENU_AUTORUN};
        ClickOn(kGameSettings);
        EXPECT_EQ(script.menus.back().items,
                  (std::vector<UINT>{ID_MENU_REFRESH, ID_MENU_CLEAR_CACHE, ID_MENU_AUTORUN}));
        EXPECT_EQ(script.menus.back().checked.count(ID_MENU_AUTORUN), row.checked ? 1u : 0u);
        DWORD type = 0, bytes = 0;
        EXPECT_EQ(RunValue(&type, &bytes), row.after);
        if (!row.checked) { // written: a string counted with its terminating NUL
            EXPECT_EQ(type, DWORD(REG_SZ));
            EXPECT_EQ(bytes, (expected.size() + 1) * sizeof(wchar_t));
        }
    }
    // Clearing the cache empties it, then says so.
    ASSERT_GT(CachedGamePages(), 0);
    script.menuChoices = {ID_MENU_CLEAR_CACHE};
    script.boxAnswers = {IDOK};
    ClickOn(kGameSettings);
    EXPECT_EQ(CachedGamePages(), 0);
    ASSERT_EQ(script.boxes.size(), 1u);
    EXPECT_EQ(script.boxes[0].text, L"缓存清理完毕！");
}

TEST_F(GameWindow, TheTrayIconTakesTheWindowAwayAndBringsItBack) {
    ClickOn(kGameTray);
    ASSERT_TRUE(Hidden());
    const NOTIFYICONDATAW& added = area.calls.back().data;
    EXPECT_EQ(added.cbSize, DWORD(sizeof(NOTIFYICONDATAW)));
    EXPECT_EQ(added.hWnd, hwnd);
    EXPECT_EQ(added.uCallbackMessage, 1228u);
    EXPECT_STREQ(added.szTip, L"OrvoValdrenna");
    // Back by a click, a double click and the menu's "open"; each takes the icon away.
    for (UINT way : {UINT(WM_LBUTTONUP), UINT(WM_LBUTTONDBLCLK), UINT(ID_TRAY_OPEN)}) {
        if (!Hidden())
            ClickOn(kGameTray);
        script.menuChoices = {way};
        TrayMouse(way == ID_TRAY_OPEN ? WM_RBUTTONUP : way);
        EXPECT_TRUE(IsWindowVisible(hwnd) && area.icons.empty()) << way;
    }
    EXPECT_EQ(script.menus.back().items, (std::vector<UINT>{ID_TRAY_OPEN, ID_TRAY_EXIT}));
    const size_t calls = area.calls.size();
    TrayMouse(WM_LBUTTONUP); // no icon any more: nothing to take away
    EXPECT_EQ(area.calls.size(), calls);

    // The shell announces a restart: the hidden window's icon is there afterwards,
    // whether the shell had lost it or not (Windows also announces scaling changes).
    ClickOn(kGameTray);
    for (bool lost : {true, false}) {
        if (lost)
            area.icons.clear();
        TaskbarCreated();
        EXPECT_TRUE(Hidden()) << lost;
    }
    // Leaving from the tray menu asks first.
    script.menuChoices = {ID_TRAY_EXIT, ID_TRAY_EXIT};
    script.boxAnswers = {IDNO, IDYES};
    TrayMouse(WM_RBUTTONUP);
    EXPECT_EQ(script.boxes.back().text, kLeaveQuestion);
    EXPECT_TRUE(Hidden());
    TrayMouse(WM_RBUTTONUP);
    EXPECT_TRUE(Ended());
    EXPECT_TRUE(area.icons.empty());
}

TEST_F(GameWindow, WithoutATrayIconTheWindowIsMinimisedInsteadOfHidden) {
    area.refuseAdds = true;
    ClickOn(kGameTray);
    EXPECT_TRUE(IsWindowVisible(hwnd) && IsIconic(hwnd));
    ShowWindow(hwnd, SW_RESTORE);
    area.refuseAdds = false;
    ClickOn(kGameTray);
    area.icons.clear(); // the shell restarts and refuses the icon
    area.refuseAdds = true;
    TaskbarCreated();
    EXPECT_TRUE(IsWindowVisible(hwnd) && IsIconic(hwnd));
}

TEST_F(GameWindow, AnotherEntryShowsTheOpenGameAndAFailedOneKeepsTheLoginWindow) {
    ClickOn(kGameTray);
    SendMessageW(Login(), UM_ENTER_GAME, 0, 0);
    EXPECT_EQ(g_module.GameForm(), game);
    EXPECT_TRUE(IsWindowVisible(hwnd) && area.icons.empty());
    // The upgrade prompt, shown from a download worker, belongs to the game window.
    HWND owner = nullptr;
    std::thread([&] { owner = g_module.UpgradePromptOwner(); }).join();
    EXPECT_EQ(owner, hwnd);

    // The process ends with the game in the tray: icon and window go, the login
    // window is not brought back.
    ClickOn(kGameTray);
    EndWindowsAtExit();
    EXPECT_FALSE(IsWindow(hwnd) || IsWindowVisible(Login()));
    EXPECT_TRUE(area.icons.empty());
    std::thread([&] { owner = g_module.UpgradePromptOwner(); }).join();
    EXPECT_EQ(owner, Login());

    // No window can be made: the login window and its backdrop stay on screen.
    ShowWindow(Login(), SW_SHOWNA);
    ShowWindow(g_module.Backdrop().GetHwnd(), SW_SHOWNA);
    g_module.SetProcessValues(g_module.Instance(), L"OrvoValdrenna", L"NoSuchWindowClass");
    SendMessageW(Login(), UM_ENTER_GAME, 0, 0);
    g_module.SetProcessValues(g_module.Instance(), L"OrvoValdrenna", L"OrvoGantryGameTest");
    EXPECT_EQ(g_module.GameForm(), nullptr);
    EXPECT_TRUE(IsWindowVisible(Login()) && IsWindowVisible(g_module.Backdrop().GetHwnd()));
}

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    if (!(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) // the children of a top-level one, all levels
        EnumChildWindows(window, CountWindow, count);
    return TRUE;
}

// GDI objects (counted by hooks: Wine answers 0 to GetGuiResources, and to
// GetProcessHandleCount), windows of this thread as the USER objects, private bytes.
std::vector<SIZE_T> Usage() {
    MSG none = {};
    g_retiredForms.PreTranslateMessage(&none); // what the main loop does between messages
    int windows = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&windows));
    PROCESS_MEMORY_COUNTERS pmc = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return {SIZE_T(gdicount::Live()), SIZE_T(windows), pmc.PagefileUsage};
}

TEST_F(GameWindow, FiftyGamesLeaveNothingBehind) {
    gdicount::Install();
    // Each ends another way: close button, return marker, exit from the tray.
    auto cycle = [&](int i) {
        if (!g_module.GameForm())
            Open();
        script.boxAnswers = {IDYES};
        script.menuChoices = {ID_TRAY_EXIT};
        if (i % 3 == 0) {
            ClickOn(kGameClose);
        } else if (i % 3 == 1) {
            RaiseBeforeNavigate(Access::View(*game), g_sim.Url(L"web", L"/x?wd_returnlogin=1"));
        } else {
            ClickOn(kGameTray);
            TrayMouse(WM_RBUTTONUP);
        }
        ASSERT_TRUE(Ended()) << i;
        Pump(20);
    };
    for (int i = 0; i < 3; ++i)
        cycle(i);
    const std::vector<SIZE_T> before = Usage();
    for (int i = 0; i < 50; ++i)
        cycle(i);
    const std::vector<SIZE_T> after = Usage();
    EXPECT_EQ(after[0], before[0]) << "GDI objects";
    EXPECT_EQ(after[1], before[1]) << "windows";
    EXPECT_LT(after[2], before[2] + 4 * 1024 * 1024) << before[2] << " -> " << after[2] << " private bytes";
    EXPECT_TRUE(area.icons.empty());
}

} // namespace
