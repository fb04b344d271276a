// The install record end to end: the launcher (built with the simulator's hosts)
// in its "/setupsucc" and "/uninstallsucc" modes, and the global module probe for
// the activity beacon, against the simulator's request log and this prefix's
// settings file.
#include "IdentTestSupport.h"

#include "net/MachineId.h"
#include "tests/app/child_process.h"
#include "tests/support/SimClient.h"
#include "tests/support/Utf8Text.h"

#include <gtest/gtest.h>

#include <string>

using namespace testing_support;

namespace {

class InstallRecordRun : public ::testing::Test {
protected:
    void SetUp() override {
        sim_ = SimClient::FromEnvironment();
        ASSERT_TRUE(sim_.IsValid()) << std::string(sim_.LastError().begin(), sim_.LastError().end());
        ASSERT_TRUE(sim_.Reset());
        RemoveTree(AppDataRootPath());
    }
    void TearDown() override { RemoveTree(AppDataRootPath()); }

    // A run of the launcher in a report mode: it must end by itself, with code 0,
    // without ever showing a window.
    void RunLauncher(const std::wstring& args) {
        const ChildResult r = RunChild(OwnFolder() + L"ident_launcher_sim.exe", args, 60000);
        ASSERT_TRUE(r.started);
        EXPECT_TRUE(r.exited) << "the report mode did not end";
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_FALSE(r.sawVisibleWindow);
    }

    std::map<std::string, std::wstring> Probe(const std::wstring& args) {
        const ProbeRun run = RunProbe(OwnFolder() + L"ident_module_probe.exe", args, 60000);
        EXPECT_TRUE(run.child.started && run.child.exited);
        EXPECT_EQ(run.child.exitCode, 0u);
        return run.values;
    }

    // The beacon requests logged so far (waiting up to the time for count of them).
    std::vector<SimRequest> Beacons(size_t count, DWORD waitMs = 10000) {
        return sim_.WaitForRequests([](const SimRequest& r) { return r.host == L"beacon"; }, count, waitMs);
    }

    // The path the beacon arrives with: the space of the install time goes over
    // the wire as %20 (the launcher hands it on unencoded).
    // The hardware id expected is the one the beacon carries when it is this
    // machine's (see IsThisMachinesHardwareId), otherwise this process's own.
    static std::wstring Expected(const std::wstring& guid, const std::wstring& installTime,
                                 const std::wstring& tail, const std::wstring& actualPath) {
        std::wstring time = installTime;
        const size_t space = time.find(L' ');
        if (space != std::wstring::npos)
            time.replace(space, 1, L"%20");
        std::wstring hardwareId = MakeHardwareId();
        const size_t e5 = actualPath.find(L"&e5=");
        if (e5 != std::wstring::npos && identtest::IsThisMachinesHardwareId(actualPath.substr(e5 + 4, 32)))
            hardwareId = actualPath.substr(e5 + 4, 32);
        return L"/ps.gif?id=2&gid=1036&e1=wd&e2=orvoportal&e3=tavro&e4=" + guid + L"&e5=" + hardwareId +
               tail.substr(0, tail.find(L"|")) + L"&e9=" + time + tail.substr(tail.find(L"|") + 1);
    }

    SimClient sim_;
};

bool IsUpperHex32(const std::wstring& s) {
    if (s.size() != 32)
        return false;
    for (wchar_t c : s)
        if (!((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F')))
            return false;
    return true;
}

TEST_F(InstallRecordRun, SetupOnFreshSettingsSendsTheInstallBeacon) {
    RunLauncher(L"/setupsucc");
    const std::wstring guid = ReadSetting(L"Install", L"GUID");
    const std::wstring installTime = ReadSetting(L"Install", L"InstallTime");
    EXPECT_TRUE(IsUpperHex32(guid)) << std::string(guid.begin(), guid.end());
    ASSERT_EQ(installTime.size(), 19u);
    const auto beacons = Beacons(1);
    ASSERT_EQ(beacons.size(), 1u);
    EXPECT_EQ(beacons[0].method, L"GET");
    EXPECT_EQ(beacons[0].path, Expected(guid, installTime, L"&e6=2&e8=3000|&at=2", beacons[0].path));
    EXPECT_FALSE(beacons[0].HasHeader(L"Referer"));

    // The next process reuses both values; the record's ids are this machine's.
    auto v = Probe(L"load");
    EXPECT_EQ(v["macIdBefore"], L"");
    EXPECT_EQ(v["loaded"], L"1");
    EXPECT_EQ(v["guid"], guid);
    EXPECT_EQ(v["installTime"], installTime);
    EXPECT_TRUE(identtest::IsThisMachinesHardwareId(v["hardwareId"]))
        << testing_support::Utf8(v["hardwareId"]);
    EXPECT_EQ(v["macId"], MakeMacId());
    EXPECT_EQ(v["channel"], L"wd");
    EXPECT_EQ(v["installType"], L"0");
    EXPECT_EQ(v["netCafe"], L"0");
    EXPECT_EQ(v["autorun"], L"0");
    EXPECT_EQ(ReadSetting(L"Install", L"GUID"), guid);
    EXPECT_EQ(ReadSetting(L"Install", L"InstallTime"), installTime);
}

TEST_F(InstallRecordRun, InstallTypeOneGivesAtThree) {
    WriteSetting(L"Install", L"InstallType", L"1");
    WriteSetting(L"Install", L"GUID", L"00112233445566778899AABBCCDDEEFF");
    WriteSetting(L"Install", L"InstallTime", L"2020-01-02 03:04:05");
    RunLauncher(L"/setupsucc");
    const auto beacons = Beacons(1);
    ASSERT_EQ(beacons.size(), 1u);
    EXPECT_EQ(beacons[0].path, Expected(L"00112233445566778899AABBCCDDEEFF", L"2020-01-02 03:04:05",
                                        L"&e6=2&e8=3000|&at=3", beacons[0].path));
}

TEST_F(InstallRecordRun, UninstallOnTheInstallDaySendsE7One) {
    RunLauncher(L"/uninstallsucc");
    const std::wstring guid = ReadSetting(L"Install", L"GUID");
    const std::wstring installTime = ReadSetting(L"Install", L"InstallTime");
    const auto beacons = Beacons(1);
    ASSERT_EQ(beacons.size(), 1u);
    EXPECT_EQ(beacons[0].path, Expected(guid, installTime, L"&e6=2&e7=1&e8=3000|&at=6", beacons[0].path));
}

TEST_F(InstallRecordRun, UninstallOnALaterDaySendsE7Two) {
    WriteSetting(L"Install", L"GUID", L"0F8FAD5BD9CB469FA16570867728950E");
    WriteSetting(L"Install", L"InstallTime", L"2001-02-03 04:05:06");
    RunLauncher(L"/uninstallsucc");
    const auto beacons = Beacons(1);
    ASSERT_EQ(beacons.size(), 1u);
    EXPECT_EQ(beacons[0].path, Expected(L"0F8FAD5BD9CB469FA16570867728950E", L"2001-02-03 04:05:06",
                                        L"&e6=2&e7=2&e8=3000|&at=6", beacons[0].path));
    EXPECT_EQ(ReadSetting(L"Install", L"InstallTime"), L"2001-02-03 04:05:06"); // kept
}

TEST_F(InstallRecordRun, SetupTakesPrecedenceOverUninstall) {
    RunLauncher(L"/uninstallsucc /setupsucc");
    const auto beacons = Beacons(1);
    ASSERT_EQ(beacons.size(), 1u);
    EXPECT_NE(beacons[0].path.find(L"&at=2"), std::wstring::npos);
    EXPECT_EQ(beacons[0].path.find(L"&e7="), std::wstring::npos);
}

TEST_F(InstallRecordRun, StoredValuesAreKeptHoweverTheyLook) {
    // What the installer or an earlier run stored is the installation's identity:
    // it is reported as it stands, never replaced (an over-long value comes back
    // cut to 259 characters by the settings read).
    WriteSetting(L"Install", L"GUID", L"not-a-guid");
    WriteSetting(L"Install", L"InstallTime", L"2020-1-2");
    RunLauncher(L"/setupsucc");
    EXPECT_EQ(ReadSetting(L"Install", L"GUID"), L"not-a-guid");
    EXPECT_EQ(ReadSetting(L"Install", L"InstallTime"), L"2020-1-2");
    auto beacons = Beacons(1);
    ASSERT_EQ(beacons.size(), 1u);
    EXPECT_EQ(beacons[0].path, Expected(L"not-a-guid", L"2020-1-2", L"&e6=2&e8=3000|&at=2", beacons[0].path));

    ASSERT_TRUE(sim_.Reset());
    WriteSetting(L"Install", L"GUID", std::wstring(300, L'A'));
    RunLauncher(L"/setupsucc");
    beacons = Beacons(1);
    ASSERT_EQ(beacons.size(), 1u);
    EXPECT_NE(beacons[0].path.find(L"&e4=" + std::wstring(259, L'A') + L"&e5="), std::wstring::npos);
}

TEST_F(InstallRecordRun, ReportModesEndAlsoWhenTheBeaconHostIsDown) {
    // Nothing listens on port 1 of the loopback address.
    wchar_t saved[256] = L"";
    ASSERT_GT(GetEnvironmentVariableW(L"GANTRY_SIM_BEACON", saved, 256), 0u);
    SetEnvironmentVariableW(L"GANTRY_SIM_BEACON", L"127.0.0.1:1");
    RunLauncher(L"/uninstallsucc");
    RunLauncher(L"/setupsucc");
    SetEnvironmentVariableW(L"GANTRY_SIM_BEACON", saved);
    EXPECT_TRUE(Beacons(1, 500).empty());
    // The failed reports leave no answer file behind.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    EXPECT_EQ(GetFileAttributesW((std::wstring(temp) + L"UninstallStat.tmp").c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW((std::wstring(temp) + L"InstallStat.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(InstallRecordRun, ActiveBeaconOnceWithAtFive) {
    auto v = Probe(L"active");
    EXPECT_EQ(v["reported"], L"1");
    EXPECT_EQ(v["activeSent"], L"1");
    const auto beacons = Beacons(2, 1500); // a second one must not come
    ASSERT_EQ(beacons.size(), 1u);
    EXPECT_EQ(beacons[0].path,
              Expected(v["guid"], v["installTime"], L"&e6=2&e8=3000|&at=5", beacons[0].path));
}

TEST_F(InstallRecordRun, ActiveBeaconAfterAutorunStartHasAtFour) {
    auto v = Probe(L"active /autorun");
    EXPECT_EQ(v["autorun"], L"1");
    const auto beacons = Beacons(1);
    ASSERT_EQ(beacons.size(), 1u);
    EXPECT_EQ(beacons[0].path,
              Expected(v["guid"], v["installTime"], L"&e6=2&e8=3000|&at=4", beacons[0].path));
}

TEST_F(InstallRecordRun, NetCafeMachineSendsE6One) {
    identtest::TempHklmKey icafe(L"SOFTWARE\\iCafe8");
    ASSERT_TRUE(icafe.Ok());
    auto v = Probe(L"active");
    EXPECT_EQ(v["netCafe"], L"1");
    const auto beacons = Beacons(1);
    ASSERT_EQ(beacons.size(), 1u);
    EXPECT_EQ(beacons[0].path,
              Expected(v["guid"], v["installTime"], L"&e6=1&e8=3000|&at=5", beacons[0].path));
}

} // namespace
