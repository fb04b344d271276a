// The global module at start-up, as the launcher builds it: the settings file in
// this prefix's app-data folder, the run counter, the login URL and the defaults.
// Each case starts the probe program (the module and nothing else) as a child
// process, because the module is built once per process, before main.
#include "app/base/Endpoints.h"
#include "child_process.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cwctype>

using namespace testing_support;

namespace {

class ModuleStart : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveTree(AppDataRootPath());
        ASSERT_FALSE(GetFileAttributesW(AppDataRootPath().c_str()) != INVALID_FILE_ATTRIBUTES);
    }
    void TearDown() override { RemoveTree(AppDataRootPath()); }

    std::map<std::string, std::wstring> Probe(const std::wstring& switches = L"") {
        const ProbeRun run = RunProbe(OwnFolder() + L"module_probe.exe", switches, 30000);
        EXPECT_TRUE(run.child.started && run.child.exited);
        EXPECT_EQ(run.child.exitCode, 0u);
        return run.values;
    }
};

bool IsDigits(const std::wstring& s) {
    for (wchar_t c : s)
        if (!iswdigit(c))
            return false;
    return !s.empty();
}

TEST_F(ModuleStart, FirstStartWritesTheInstallTimeAndCountsOne) {
    auto v = Probe();
    const std::wstring installTime = ReadSetting(L"Install", L"InstallTime");
    ASSERT_EQ(installTime.size(), 19u) << installTime; // "%Y-%m-%d %H:%M:%S"
    EXPECT_EQ(installTime[4], L'-');
    EXPECT_EQ(installTime[10], L' ');
    EXPECT_EQ(ReadSetting(L"Common", L"RunCount"), L"1");
    EXPECT_EQ(v["runCount"], L"1");

    const std::wstring url = v["loginUrl"];
    const std::wstring date = installTime.substr(0, 4) + installTime.substr(5, 2) + installTime.substr(8, 2);
    const std::wstring expectedStart = endpoints::LoginPageUrl() +
                                       L"?referer=orvoportal&frm=tavro&version=3000&installtime=" + date +
                                       L"&runcount=1&curtime=";
    ASSERT_EQ(url.compare(0, expectedStart.size(), expectedStart), 0) << url;
    const std::wstring rest = url.substr(expectedStart.size());
    ASSERT_EQ(rest.size(), 14u + std::wstring(L"&showlogintype=3&regtimes=1").size()) << url;
    EXPECT_TRUE(IsDigits(rest.substr(0, 14))) << url;
    EXPECT_EQ(rest.substr(14), L"&showlogintype=3&regtimes=1");
}

TEST_F(ModuleStart, LaterStartsCountOnAndKeepTheInstallTime) {
    Probe();
    const std::wstring installTime = ReadSetting(L"Install", L"InstallTime");
    auto v = Probe();
    EXPECT_EQ(v["runCount"], L"2");
    EXPECT_EQ(ReadSetting(L"Common", L"RunCount"), L"2");
    EXPECT_EQ(ReadSetting(L"Install", L"InstallTime"), installTime);
    EXPECT_EQ(v["loginUrl"].find(L"regtimes"), std::wstring::npos);
    EXPECT_NE(v["loginUrl"].find(L"&runcount=2&"), std::wstring::npos);
    // The report of an uninstallation is a start that counts, too.
    v = Probe(L"/uninstallsucc");
    EXPECT_EQ(v["runCount"], L"3");
}

TEST_F(ModuleStart, ReportAndDesktopModesLeaveTheCounterAlone) {
    WriteSetting(L"Common", L"RunCount", L"5");
    for (const wchar_t* sw : {L"/setupsucc", L"/ShowDeskTop", L"x/setupsuccy"}) {
        auto v = Probe(sw);
        EXPECT_EQ(v["runCount"], L"0") << sw;
        EXPECT_NE(v["loginUrl"].find(L"&runcount=0&"), std::wstring::npos) << sw;
        EXPECT_EQ(ReadSetting(L"Common", L"RunCount"), L"5") << sw;
    }
    // Another letter case is no switch: that start counts.
    auto v = Probe(L"/showdesktop");
    EXPECT_EQ(v["runCount"], L"6");
}

TEST_F(ModuleStart, MissingKeysGiveTheDefaults) {
    auto v = Probe();
    EXPECT_EQ(v["refer"], L"orvoportal");
    EXPECT_EQ(v["uid"], L"tavro");
    EXPECT_EQ(v["topMost"], L"0");
    EXPECT_EQ(v["versionFileUrl"], endpoints::VersionFileUrl());
    EXPECT_EQ(v["upgraderUrl"], endpoints::UpgraderUrl());
    EXPECT_EQ(v["activeCounted"], L"0");
    EXPECT_EQ(v["appData"], AppDataFolderPath());
    EXPECT_EQ(v["settings"], SettingsPath());
    EXPECT_EQ(v["upgradeFolder"], AppDataFolderPath() + L"Upgrade\\");
    EXPECT_EQ(v["upgrader"], AppDataFolderPath() + L"Upgrade\\OrvoGantryUpgrade.exe");
    EXPECT_EQ(v["lastUpgradeIni"], AppDataFolderPath() + L"Upgrade\\LastUpgrade.ini");
    EXPECT_NE(GetFileAttributesW((AppDataFolderPath() + L"Upgrade").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ModuleStart, SettingsAreReadAsTheyStand) {
    WriteSetting(L"Common", L"Refer", L"my code&x=1");
    WriteSetting(L"Common", L"UID", L"u/7");
    WriteSetting(L"Common", L"TopMost", L"1");
    WriteSetting(L"Common", L"VersionCheck", L"http://127.0.0.1:9/v.ini");
    WriteSetting(L"Common", L"VersionDownLoad", L"http://127.0.0.1:9/u.exe");
    WriteSetting(L"Common", L"ActiveCount", L"1");
    WriteSetting(L"Install", L"InstallTime", L"2026-1-8");
    StartChildrenAsStandardUser(true); // the overrides count only when not elevated
    auto v = Probe();
    StartChildrenAsStandardUser(false);
    EXPECT_EQ(v["topMost"], L"1");
    EXPECT_EQ(v["versionFileUrl"], L"http://127.0.0.1:9/v.ini");
    EXPECT_EQ(v["upgraderUrl"], L"http://127.0.0.1:9/u.exe");
    EXPECT_EQ(v["activeCounted"], L"1");
    EXPECT_NE(v["loginUrl"].find(L"?referer=my code&x=1&frm=u/7&version=3000&installtime=202618&runcount=1&"),
              std::wstring::npos)
        << v["loginUrl"];
    EXPECT_EQ(ReadSetting(L"Install", L"InstallTime"), L"2026-1-8"); // not rewritten
    // Elevated (every Wine program is, unless started with the limited token),
    // the URLs come from the build, whatever the file says.
    v = Probe();
    EXPECT_EQ(v["versionFileUrl"], endpoints::VersionFileUrl());
    EXPECT_EQ(v["upgraderUrl"], endpoints::UpgraderUrl());
}

TEST_F(ModuleStart, UnusableValuesFallBackWithoutHarm) {
    WriteSetting(L"Common", L"TopMost", L"yes");
    WriteSetting(L"Common", L"RunCount", L"many");
    WriteSetting(L"Common", L"Refer", std::wstring(400, L'r'));
    auto v = Probe();
    EXPECT_EQ(v["topMost"], L"0");
    EXPECT_EQ(v["runCount"], L"1"); // a counter that is no number starts again
    EXPECT_EQ(v["refer"], std::wstring(259, L'r'));
}

TEST_F(ModuleStart, ASettingsFileOfGarbageStillStarts) {
    CreateDirectoryW(AppDataRootPath().c_str(), nullptr);
    CreateDirectoryW(AppDataFolderPath().c_str(), nullptr);
    HANDLE h = CreateFileW(SettingsPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::string junk;
    for (int i = 0; i < 5000; ++i)
        junk += static_cast<char>((i * 7919) % 251 + 1);
    DWORD written = 0;
    WriteFile(h, junk.data(), static_cast<DWORD>(junk.size()), &written, nullptr);
    CloseHandle(h);
    auto v = Probe();
    EXPECT_EQ(v["uid"], L"tavro");
    EXPECT_EQ(v["runCount"], L"1");
    EXPECT_EQ(ReadSetting(L"Common", L"RunCount"), L"1");
}

TEST_F(ModuleStart, AnAppDataFolderThatCannotBeCreatedLosesWritesOnly) {
    // A file stands where the launcher's folder should be.
    HANDLE h = CreateFileW(AppDataRootPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    for (int run = 0; run < 2; ++run) {
        auto v = Probe();
        EXPECT_EQ(v["refer"], L"orvoportal");
        EXPECT_EQ(v["runCount"], L"1"); // the count was never stored
        EXPECT_NE(v["loginUrl"].find(L"&regtimes=1"), std::wstring::npos);
    }
    EXPECT_EQ(GetFileAttributesW(SettingsPath().c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
