// The real launcher built with its six hosts on https (OrvoGantryHttps), against a
// simulator on this build's ports that speaks https with an authority trusted in
// the prefix: the login page and a beacon are asked for in TLS, and nothing of
// theirs goes out in clear.
#include "child_process.h"
#include "tests/support/SimClient.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace testing_support;

namespace {

class LauncherOverHttps : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(TrustSimAuthority()) << "run through ctest (with-sim --tls)"; }
    void SetUp() override {
        sim_ = SimClient::FromEnvironment();
        ASSERT_TRUE(sim_.IsValid());
        ASSERT_TRUE(sim_.Reset());
        RemoveTree(AppDataRootPath());
    }
    void TearDown() override { RemoveTree(AppDataRootPath()); }

    // Requests of the host whose target starts with prefix, and how many of them
    // came in clear.
    std::vector<SimRequest> Requests(const std::wstring& host, const std::wstring& prefix, size_t& inClear) {
        std::vector<SimRequest> out;
        inClear = 0;
        for (const SimRequest& r : sim_.WaitForRequests(
                 [&](const SimRequest& q) { return q.host == host && q.path.rfind(prefix, 0) == 0; }, 1,
                 10000)) {
            out.push_back(r);
            inClear += r.secure ? 0 : 1;
        }
        return out;
    }
    SimClient sim_;
};

// Closes the login window once it has come on screen (the page has answered).
bool CloseWhenShown(const std::vector<HWND>& visible, void* context) {
    for (HWND h : visible) {
        RECT r = {};
        GetWindowRect(h, &r);
        if (!GetWindow(h, GW_OWNER) || r.left < 0)
            continue;
        PostMessageW(h, WM_CLOSE, 0, 0);
        *static_cast<bool*>(context) = true;
        return true;
    }
    return false;
}

TEST_F(LauncherOverHttps, TheLoginPageIsAskedForInTlsOnly) {
    bool shown = false;
    const ChildResult r =
        RunChild(BuildPath("tests/app/OrvoGantryHttps.exe"), L"", 60000, CloseWhenShown, &shown);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(r.exited);
    size_t inClear = 0;
    const auto pages = Requests(L"web", L"/tavro/wd/index.html?", inClear);
    ASSERT_GE(pages.size(), 1u);
    EXPECT_EQ(inClear, 0u);
    EXPECT_NE(pages[0].path.find(L"&runcount=1&"), std::wstring::npos);
}

TEST_F(LauncherOverHttps, TheInstallReportGoesInTls) {
    const ChildResult r = RunChild(BuildPath("tests/app/OrvoGantryHttps.exe"), L"/setupsucc", 60000);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0u);
    size_t inClear = 0;
    const auto beacons = Requests(L"beacon", L"/ps.gif?id=2&", inClear);
    ASSERT_EQ(beacons.size(), 1u);
    EXPECT_EQ(inClear, 0u);
}

} // namespace
