// The real launcher executable, started as a user (or the system) would start it.
#include "child_process.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace testing_support;

namespace {

std::wstring Launcher() {
    return BuildPath("app/OrvoGantry.exe");
}

class LauncherStart : public ::testing::Test {
protected:
    void SetUp() override { RemoveTree(AppDataRootPath()); }
    void TearDown() override { RemoveTree(AppDataRootPath()); }
};

// Watches the normal start: once the backdrop and the login window (owned by it)
// are up, records their placement and asks the login window to close.
struct NormalStartWatch {
    bool closed = false;
    int windows = 0;
    bool allTopMost = true;
    bool anyTopMost = false;
    RECT loginRect = {};
    static bool OnWindows(const std::vector<HWND>& visible, void* context) {
        auto* w = static_cast<NormalStartWatch*>(context);
        HWND login = nullptr;
        HWND back = nullptr;
        for (HWND h : visible) {
            if (GetWindow(h, GW_OWNER))
                login = h;
            else
                back = h;
        }
        if (!login || !back)
            return false;
        w->windows = static_cast<int>(visible.size());
        for (HWND h : {login, back}) {
            const bool top = (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            w->allTopMost = w->allTopMost && top;
            w->anyTopMost = w->anyTopMost || top;
        }
        GetWindowRect(login, &w->loginRect);
        PostMessageW(login, WM_CLOSE, 0, 0);
        w->closed = true;
        return true;
    }
};

TEST_F(LauncherStart, ShowDesktopModeEndsWithZeroAndShowsNoWindow) {
    const ChildResult r = RunChild(Launcher(), L"/ShowDeskTop", 30000);
    ASSERT_TRUE(r.started);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_FALSE(r.sawVisibleWindow);
    // That start is no run: nothing counted.
    EXPECT_EQ(ReadSetting(L"Common", L"RunCount"), L"<missing>");
}

TEST_F(LauncherStart, OtherLetterCaseIsANormalStartThatEndsWhenTheLoginWindowCloses) {
    NormalStartWatch watch;
    const ChildResult r = RunChild(Launcher(), L"/showdesktop", 60000, NormalStartWatch::OnWindows, &watch);
    ASSERT_TRUE(r.started);
    EXPECT_TRUE(watch.closed);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_FALSE(watch.anyTopMost);
    EXPECT_EQ(ReadSetting(L"Common", L"RunCount"), L"1");
    EXPECT_EQ(ReadSetting(L"Install", L"InstallTime").size(), 19u);
}

TEST_F(LauncherStart, TopMostSettingPutsBothFirstWindowsOnTop) {
    WriteSetting(L"Common", L"TopMost", L"1");
    NormalStartWatch watch;
    const ChildResult r = RunChild(Launcher(), L"", 60000, NormalStartWatch::OnWindows, &watch);
    EXPECT_TRUE(watch.closed);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(watch.allTopMost);

    WriteSetting(L"Common", L"TopMost", L"2");
    NormalStartWatch other;
    RunChild(Launcher(), L"", 60000, NormalStartWatch::OnWindows, &other);
    EXPECT_TRUE(other.closed);
    EXPECT_FALSE(other.anyTopMost);
}

// Waits for the login window to be placed for its page's result, then closes it.
struct ErrorStateWatch {
    bool placed = false;
    RECT loginRect = {};
    bool backIsAppWindow = false;
    int pollsWithoutButton = 0;
    static bool OnWindows(const std::vector<HWND>& visible, void* context) {
        auto* w = static_cast<ErrorStateWatch*>(context);
        RECT work = {};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        for (HWND h : visible) {
            HWND back = GetWindow(h, GW_OWNER);
            if (!back)
                continue;
            RECT r = {};
            GetWindowRect(h, &r);
            if (r.left != (work.right - 1200) / 2 || r.top != (work.bottom - 760) / 2)
                return false;
            // The backdrop takes the taskbar button right after the login window is placed.
            w->backIsAppWindow = (GetWindowLongPtrW(back, GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0;
            if (!w->backIsAppWindow && ++w->pollsWithoutButton < 100)
                return false;
            w->placed = true;
            w->loginRect = r;
            PostMessageW(h, WM_CLOSE, 0, 0);
            return true;
        }
        return false;
    }
};

TEST_F(LauncherStart, AnUnreachableLoginPageShowsTheNetworkErrorState) {
    // Nothing answers on this build's platform web host, so the page fails: the
    // login window comes on screen, centred, with its retry label, and the
    // failing URL is recorded.
    ErrorStateWatch watch;
    const ChildResult r = RunChild(Launcher(), L"", 90000, ErrorStateWatch::OnWindows, &watch);
    EXPECT_TRUE(watch.placed);
    EXPECT_TRUE(watch.backIsAppWindow);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0u);
    wchar_t url[2048] = L"";
    GetPrivateProfileStringW(L"Error", L"ErrorUrl", L"", url, 2048, SettingsPath().c_str());
    EXPECT_EQ(std::wstring(url).rfind(L"http://", 0), 0u) << url;
    EXPECT_NE(std::wstring(url).find(L"/tavro/wd/index.html?referer=orvoportal&frm=tavro&version=3000&"),
              std::wstring::npos)
        << url;
}

bool WaitForFile(const std::wstring& path, DWORD limitMs) {
    for (DWORD waited = 0; waited < limitMs; waited += 50) {
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
        Sleep(50);
    }
    return false;
}

TEST_F(LauncherStart, ANormalStartRunsTheIconAnimationWhenItIsThere) {
    CreateDirectoryW(AppDataRootPath().c_str(), nullptr);
    CreateDirectoryW(AppDataFolderPath().c_str(), nullptr);
    const std::wstring animation = AppDataFolderPath() + L"iconAnimate.exe";
    ASSERT_TRUE(CopyFileW((OwnFolder() + L"start_marker.exe").c_str(), animation.c_str(), FALSE));
    StartChildrenAsStandardUser(true); // an elevated launcher never runs it
    NormalStartWatch watch;
    const ChildResult r = RunChild(Launcher(), L"", 60000, NormalStartWatch::OnWindows, &watch);
    StartChildrenAsStandardUser(false);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(WaitForFile(animation + L".started", 10000));

    // Not in the report and desktop modes, and a missing program is no error.
    DeleteFileW((animation + L".started").c_str());
    EXPECT_EQ(RunChild(Launcher(), L"/ShowDeskTop", 30000).exitCode, 0u);
    Sleep(500);
    EXPECT_EQ(GetFileAttributesW((animation + L".started").c_str()), INVALID_FILE_ATTRIBUTES);
    // Nor in an elevated run: any program of the user could have put it there.
    NormalStartWatch elevated;
    EXPECT_EQ(RunChild(Launcher(), L"", 60000, NormalStartWatch::OnWindows, &elevated).exitCode, 0u);
    EXPECT_TRUE(elevated.closed);
    Sleep(500);
    EXPECT_EQ(GetFileAttributesW((animation + L".started").c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(animation.c_str());
    NormalStartWatch again;
    EXPECT_EQ(RunChild(Launcher(), L"", 60000, NormalStartWatch::OnWindows, &again).exitCode, 0u);
    EXPECT_TRUE(again.closed);
}

} // namespace
