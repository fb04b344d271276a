// The real launcher executable against the simulator on the ports this build was
// configured for: the code paths that load their DLLs on first use (WinINet and IP
// Helper for a report, MSIMG32 and COMCTL32 for painting and mouse tracking) work
// in the shipped program too.
#include "child_process.h"
#include "tests/support/SimClient.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace testing_support;

namespace {

class LauncherWithPlatform : public ::testing::Test {
protected:
    void SetUp() override {
        sim_ = SimClient::FromEnvironment();
        ASSERT_TRUE(sim_.IsValid());
        ASSERT_TRUE(sim_.Reset());
        RemoveTree(AppDataRootPath());
    }
    void TearDown() override { RemoveTree(AppDataRootPath()); }
    SimClient sim_;
};

TEST_F(LauncherWithPlatform, TheInstallReportReachesTheBeaconHostAndTheLauncherEnds) {
    const ChildResult r = RunChild(BuildPath("app/OrvoGantry.exe"), L"/setupsucc", 60000);
    ASSERT_TRUE(r.started);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_FALSE(r.sawVisibleWindow);
    const auto beacons =
        sim_.WaitForRequests([](const SimRequest& q) { return q.host == L"beacon"; }, 1, 10000);
    ASSERT_EQ(beacons.size(), 1u);
    EXPECT_EQ(beacons[0].path.rfind(L"/ps.gif?id=2&gid=1036&e1=wd&e2=orvoportal&e3=tavro&e4=", 0), 0u);
}

// Moves the pointer over the login window's buttons, then closes it.
struct HoverAndClose {
    bool done = false;
    static bool OnWindows(const std::vector<HWND>& visible, void* context) {
        auto* w = static_cast<HoverAndClose*>(context);
        for (HWND h : visible) {
            if (!GetWindow(h, GW_OWNER))
                continue;
            RECT r = {};
            GetWindowRect(h, &r);
            if (r.left < 0)
                return false; // still parked: the page has not answered yet
            for (int x = 540; x < 1020; x += 40)
                SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(x, 95));
            SendMessageW(h, WM_MOUSELEAVE, 0, 0);
            PostMessageW(h, WM_CLOSE, 0, 0);
            w->done = true;
            return true;
        }
        return false;
    }
};

TEST_F(LauncherWithPlatform, TheLoginPageIsRequestedAndTheWindowPaintsAndTracksTheMouse) {
    HoverAndClose watch;
    const ChildResult r =
        RunChild(BuildPath("app/OrvoGantry.exe"), L"", 60000, HoverAndClose::OnWindows, &watch);
    EXPECT_TRUE(watch.done);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0u);
    const auto pages = sim_.WaitForRequests(
        [](const SimRequest& q) {
            return q.host == L"web" && q.path.rfind(L"/tavro/wd/index.html?", 0) == 0;
        },
        1, 5000);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].path.find(L"&runcount=1&"), std::wstring::npos);
}

} // namespace
