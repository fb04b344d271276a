// The real launcher executable, started as a user (or the system) would start it.
#include "child_process.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace testing_support;

namespace {

std::wstring Launcher() {
    return BuildPath("app/OrvoGantry.exe");
}

std::wstring Settings() {
    return AppDataFolderPath() + L"Gantry.ini";
}

std::wstring RootFolder() {
    std::wstring f = AppDataFolderPath();
    f.pop_back();
    return f.substr(0, f.find_last_of(L'\\'));
}

class LauncherStart : public ::testing::Test {
protected:
    void SetUp() override { RemoveTree(RootFolder()); }
    void TearDown() override { RemoveTree(RootFolder()); }
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
    wchar_t buf[32] = L"";
    GetPrivateProfileStringW(L"Common", L"RunCount", L"<none>", buf, 32, Settings().c_str());
    EXPECT_STREQ(buf, L"<none>");
}

TEST_F(LauncherStart, OtherLetterCaseIsANormalStartThatEndsWhenTheLoginWindowCloses) {
    NormalStartWatch watch;
    const ChildResult r = RunChild(Launcher(), L"/showdesktop", 60000, NormalStartWatch::OnWindows, &watch);
    ASSERT_TRUE(r.started);
    EXPECT_TRUE(watch.closed);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_FALSE(watch.anyTopMost);
    // Both windows wait off screen until the login page is ready.
    EXPECT_EQ(watch.loginRect.left, -2000);
    EXPECT_EQ(watch.loginRect.top, -2000);
    wchar_t buf[64] = L"";
    GetPrivateProfileStringW(L"Common", L"RunCount", L"", buf, 64, Settings().c_str());
    EXPECT_STREQ(buf, L"1");
    GetPrivateProfileStringW(L"Install", L"InstallTime", L"", buf, 64, Settings().c_str());
    EXPECT_EQ(wcslen(buf), 19u);
}

TEST_F(LauncherStart, TopMostSettingPutsBothFirstWindowsOnTop) {
    CreateDirectoryW(RootFolder().c_str(), nullptr);
    CreateDirectoryW(AppDataFolderPath().c_str(), nullptr);
    WritePrivateProfileStringW(L"Common", L"TopMost", L"1", Settings().c_str());
    NormalStartWatch watch;
    const ChildResult r = RunChild(Launcher(), L"", 60000, NormalStartWatch::OnWindows, &watch);
    EXPECT_TRUE(watch.closed);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(watch.allTopMost);

    WritePrivateProfileStringW(L"Common", L"TopMost", L"2", Settings().c_str());
    NormalStartWatch other;
    RunChild(Launcher(), L"", 60000, NormalStartWatch::OnWindows, &other);
    EXPECT_TRUE(other.closed);
    EXPECT_FALSE(other.anyTopMost);
}

} // namespace
