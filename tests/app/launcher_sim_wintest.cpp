// The real launcher executable against the simulator on the ports this build was
// configured for: the code paths that load their DLLs on first use (WinINet and IP
// Helper for a report, MSIMG32 and COMCTL32 for painting and mouse tracking) work
// in the shipped program too, and the self-update runs end to end. The copy built
// with its six hosts on https (OrvoGantryHttps) does the same in TLS only.
#include "child_process.h"
#include "tests/net/TestFiles.h"
#include "tests/support/SimClient.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace testing_support;

namespace {

// The launcher as shipped to the test hosts, and its copy whose hosts are on https.
struct LauncherBuild {
    const char* exe;
    bool secure;
};
const LauncherBuild kBuilds[] = {{"app/OrvoGantry.exe", false}, {"tests/app/OrvoGantryHttps.exe", true}};

class LauncherWithPlatform : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(TrustSimAuthority()) << "run through ctest (with-sim --tls)"; }
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
    for (const LauncherBuild& build : kBuilds) {
        SCOPED_TRACE(build.exe);
        ASSERT_TRUE(sim_.Reset());
        RemoveTree(AppDataRootPath()); // each build's first run
        const ChildResult r = RunChild(BuildPath(build.exe), L"/setupsucc", 60000);
        ASSERT_TRUE(r.started);
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_FALSE(r.sawVisibleWindow);
        // (A TLS connection that carried no request is logged with an empty path.)
        const auto beacons = sim_.WaitForRequests(
            [](const SimRequest& q) { return q.host == L"beacon" && q.path.rfind(L"/ps.gif?", 0) == 0; }, 1,
            10000);
        ASSERT_EQ(beacons.size(), 1u);
        EXPECT_EQ(beacons[0].path.rfind(L"/ps.gif?id=2&gid=1036&e1=wd&e2=orvoportal&e3=tavro&e4=", 0), 0u);
        EXPECT_EQ(beacons[0].secure, build.secure);
    }
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
    for (const LauncherBuild& build : kBuilds) {
        SCOPED_TRACE(build.exe);
        ASSERT_TRUE(sim_.Reset());
        RemoveTree(AppDataRootPath()); // each build's first run
        HoverAndClose watch;
        const ChildResult r = RunChild(BuildPath(build.exe), L"", 60000, HoverAndClose::OnWindows, &watch);
        EXPECT_TRUE(watch.done);
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.exitCode, 0u);
        const auto pages = sim_.WaitForRequests(
            [](const SimRequest& q) {
                return q.host == L"web" && q.path.rfind(L"/tavro/wd/index.html?", 0) == 0;
            },
            1, 5000);
        ASSERT_GE(pages.size(), 1u);
        EXPECT_NE(pages[0].path.find(L"&runcount=1&"), std::wstring::npos);
        for (const SimRequest& page : pages)
            EXPECT_EQ(page.secure, build.secure);
    }
}

// Closes the upgrade box when it shows; with closeWhenBack, closes the launcher
// once its windows are back after the box (the upgrade failed).
struct UpgradeWatch {
    bool closeWhenBack = false;
    int boxes = 0;
    bool hidden = false; // no window at all after a box
    bool back = false;   // the login window visible again after that
    HWND lastBox = nullptr;
    static bool OnWindows(const std::vector<HWND>& visible, void* context) {
        auto* w = static_cast<UpgradeWatch*>(context);
        HWND login = nullptr;
        for (HWND h : visible) {
            wchar_t name[16] = L"", text[16] = L"";
            GetClassNameW(h, name, 16);
            GetWindowTextW(h, text, 16);
            if (std::wstring(name) == L"#32770" && std::wstring(text) == L"升级提醒") {
                if (h != w->lastBox)
                    ++w->boxes;
                w->lastBox = h;
                PostMessageW(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                return false;
            }
            if (GetWindow(h, GW_OWNER))
                login = h;
        }
        w->hidden = w->hidden || (w->boxes > 0 && visible.empty());
        if (w->hidden && login && w->closeWhenBack) {
            w->back = true;
            PostMessageW(login, WM_CLOSE, 0, 0);
            return true;
        }
        return false;
    }
};

// The folders the elevated launcher starts upgraders from.
std::vector<std::wstring> AdminUpgradeFolders() {
    wchar_t windows[MAX_PATH] = L"";
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring temp = std::wstring(windows) + L"\\Temp\\";
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((temp + L"OrvoGantryUpgrade{*").c_str(), &data);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data))
        found.push_back(temp + data.cFileName);
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
    return found;
}

class SelfUpdate : public LauncherWithPlatform {
protected:
    void SetUp() override {
        LauncherWithPlatform::SetUp();
        ASSERT_TRUE(TrustTestAuthority()) << "run through ctest (sign_upgraders)";
        for (const std::wstring& folder : AdminUpgradeFolders())
            RemoveTree(folder);
    }
    void Serve(const wchar_t* upgrader) {
        std::string bytes;
        ASSERT_TRUE(test_files::Read(OwnFolder() + L"signed\\" + upgrader + L".exe", bytes));
        ASSERT_TRUE(sim_.SetContent(L"update", kUpgraderPath, bytes, L"application/octet-stream"));
    }
    // Requests of the update host for path; inClear counts those not in TLS.
    size_t Requests(const std::wstring& path, size_t* inClear = nullptr) {
        size_t n = 0;
        for (const SimRequest& r : sim_.Log()) {
            const bool match = r.host == L"update" && r.path == path;
            n += match;
            if (inClear)
                *inClear += match && !r.secure;
        }
        return n;
    }
    // The stand-in upgrader ran silently from one fresh folder, which is then removed.
    // Its admin-only security cannot be seen here: Wine 8 keeps no DACL set on a
    // folder (it reports one made from the Unix permissions).
    void ExpectUpgraderStartedFromOneAdminFolder() {
        const std::vector<std::wstring> folders = AdminUpgradeFolders();
        ASSERT_EQ(folders.size(), 1u);
        std::map<std::string, std::wstring> run;
        for (int i = 0; i < 100 && run.empty(); ++i, Sleep(50))
            run = ReadKeyValueFile(folders[0] + L"\\OrvoGantryUpgrade.exe.txt");
        EXPECT_EQ(run["cmdline"], L" /S /KOUPGRADE");
        RemoveTree(folders[0]);
    }
    static constexpr const wchar_t* kVersionPath = L"/Orvo/tavro/official/app.ini";
    static constexpr const wchar_t* kUpgraderPath = L"/Orvo/tavro/official/Orvotavro.exe";
};

// Under Wine no login page ever completes: the error state starts the check. The
// launcher runs elevated (every Wine program does), so the settings' URL override
// is ignored and the upgrader starts from a folder only administrators can write.
TEST_F(SelfUpdate, ACorrectlySignedUpgraderOfTheWrongVersionIsRefusedAndTheRightOneStarts) {
    ASSERT_TRUE(sim_.SetContent(L"update", kVersionPath, "[version]\r\ncurrentversion=3.0.1.0\r\n"));
    WriteSetting(L"Common", L"VersionCheck", sim_.Url(L"update", L"/elsewhere/app.ini"));
    const std::wstring upgrade = AppDataFolderPath() + L"Upgrade\\";

    Serve(L"old"); // the pinned publisher's, but 3.0.0.9
    UpgradeWatch refused;
    refused.closeWhenBack = true;
    ChildResult r = RunChild(BuildPath("app/OrvoGantry.exe"), L"", 90000, UpgradeWatch::OnWindows, &refused);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(refused.boxes, 1);
    EXPECT_TRUE(refused.back) << "the windows did not come back";
    EXPECT_EQ(Requests(kUpgraderPath), 1u);
    EXPECT_EQ(Requests(L"/elsewhere/app.ini"), 0u);
    EXPECT_EQ(GetFileAttributesW((upgrade + L"OrvoGantryUpgrade.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadKeyValueFile(upgrade + L"LastUpgrade.ini").size(), 0u);
    EXPECT_TRUE(AdminUpgradeFolders().empty());

    Serve(L"pinned"); // 3.0.1.0
    UpgradeWatch started;
    r = RunChild(BuildPath("app/OrvoGantry.exe"), L"", 90000, UpgradeWatch::OnWindows, &started);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0u); // it ended itself once the upgrader ran
    EXPECT_EQ(started.boxes, 1);
    ExpectUpgraderStartedFromOneAdminFolder();
    wchar_t last[32] = L"";
    GetPrivateProfileStringW(L"version", L"lastUpgradeVer", L"", last, 32,
                             (upgrade + L"LastUpgrade.ini").c_str());
    EXPECT_STREQ(last, L"3.0.1.0");
}

// The launcher built with https hosts fetches the version file and the upgrader in
// TLS only, and starts the verified upgrader as over http.
TEST_F(SelfUpdate, OverHttpsTheVersionFileAndTheUpgraderGoInTlsOnly) {
    ASSERT_TRUE(TrustSimAuthority()) << "run through ctest (with-sim --tls)";
    ASSERT_TRUE(sim_.SetContent(L"update", kVersionPath, "[version]\r\ncurrentversion=3.0.1.0\r\n"));
    Serve(L"pinned");
    UpgradeWatch started;
    const ChildResult r =
        RunChild(BuildPath("tests/app/OrvoGantryHttps.exe"), L"", 90000, UpgradeWatch::OnWindows, &started);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(started.boxes, 1);
    size_t inClear = 0;
    EXPECT_EQ(Requests(kVersionPath, &inClear), 1u);
    EXPECT_EQ(Requests(kUpgraderPath, &inClear), 1u);
    EXPECT_EQ(inClear, 0u);
    ExpectUpgraderStartedFromOneAdminFolder();
}

} // namespace
