// The version check and self-update of the global module, end to end under Wine:
// the probe program (the module, its two first windows and a message loop) runs
// as a child process against the simulator's version file and upgrader. The test
// watches the child's windows from here, finds the upgrade box by its caption,
// reads and closes it, and checks what the child fetched, started and wrote. The
// upgraders served are the stand-in signed at test time (sign_upgraders.sh) with
// the pinned publisher name, another name, not at all, altered after signing, as
// an older version, or by certificates that lack code signing or a CN; the test
// authority goes into the prefix's root store, as Windows requires a trusted root
// (Wine does not). The probe runs with the limited token (as an administrator's
// programs run on Windows): only then does it take the URLs from the settings.
#include "GantrySigner.h"
#include "app/UpgraderSignature.h"
#include "child_process.h"
#include "tests/net/TestFiles.h"
#include "tests/support/SimClient.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

const wchar_t kVersionPath[] = L"/ver/official/app.ini";
const wchar_t kUpgraderPath[] = L"/ver/official/Orvotavro.exe";
const wchar_t kCaption[] = L"升级提醒";

std::string Narrow(const std::wstring& w) {
    return simlog::ToUtf8(w);
}

std::wstring ClassOf(HWND h) {
    wchar_t name[64] = L"";
    GetClassNameW(h, name, 64);
    return name;
}

std::wstring TextOf(HWND h) {
    wchar_t text[512] = L"";
    GetWindowTextW(h, text, 512);
    return text;
}

BOOL CALLBACK CollectChildText(HWND child, LPARAM lParam) {
    *reinterpret_cast<std::wstring*>(lParam) += TextOf(child) + L"\n";
    return TRUE;
}

// What the test saw of the child while it ran.
struct Watch {
    bool closeBox = true;
    bool poke = false; // posts 1232 and 1233 to the forms on every look, as any program could
    int pokes = 0;
    int boxes = 0;        // upgrade boxes seen (each one is closed)
    std::wstring boxText; // texts of the box's controls
    bool formsVisibleWithBox = false;
    bool hiddenAfterBox = false; // no form visible once the box was closed
    bool visibleAgain = false;   // a form visible again after that
    HWND lastBox = nullptr;

    static bool OnWindows(const std::vector<HWND>& visible, void* context) {
        auto* w = static_cast<Watch*>(context);
        HWND box = nullptr;
        int forms = 0;
        for (HWND h : visible) {
            if (ClassOf(h) == L"#32770" && TextOf(h) == kCaption)
                box = h;
            else if (ClassOf(h) == L"OrvoGantry")
                ++forms;
        }
        for (HWND h : visible) {
            if (w->poke && ClassOf(h) == L"OrvoGantry") {
                PostMessageW(h, WM_USER + 208, 0, 0);
                PostMessageW(h, WM_USER + 209, 0, 0);
                ++w->pokes;
            }
        }
        if (box && box != w->lastBox) {
            ++w->boxes;
            w->lastBox = box;
            w->boxText.clear();
            EnumChildWindows(box, CollectChildText, reinterpret_cast<LPARAM>(&w->boxText));
            w->formsVisibleWithBox = forms == 2;
            if (w->closeBox)
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return false;
        }
        if (!box && w->boxes > 0) {
            if (forms == 0)
                w->hiddenAfterBox = true;
            else if (w->hiddenAfterBox)
                w->visibleAgain = true;
        }
        return false;
    }
};

class VersionCheck : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(TrustTestAuthority()) << "run through ctest (sign_upgraders)";
        ASSERT_TRUE(TrustSimAuthority()) << "run through ctest (with-sim --tls)";
    }

    void SetUp() override {
        sim = SimClient::FromEnvironment();
        ASSERT_TRUE(sim.IsValid()) << Narrow(sim.LastError());
        ASSERT_TRUE(sim.Reset());
        RemoveTree(AppDataRootPath());
        StartChildrenAsStandardUser(true);
        // The update host over https, as a release build reaches it.
        WriteSetting(L"Common", L"VersionCheck", sim.SecureUrl(L"update", kVersionPath));
        WriteSetting(L"Common", L"VersionDownLoad", sim.SecureUrl(L"update", kUpgraderPath));
    }
    void TearDown() override {
        StartChildrenAsStandardUser(false);
        sim.Reset();
        RemoveTree(AppDataRootPath());
    }

    static std::wstring UpgradeFolder() { return AppDataFolderPath() + L"Upgrade\\"; }
    static std::wstring LastUpgrade() {
        wchar_t buf[256] = L"";
        GetPrivateProfileStringW(L"version", L"lastUpgradeVer", L"<missing>", buf, 256,
                                 (UpgradeFolder() + L"LastUpgrade.ini").c_str());
        return buf;
    }

    void ServeVersionFile(const std::string& version, const std::string& range) {
        ASSERT_TRUE(
            sim.SetContent(L"update", kVersionPath,
                           "[version]\r\ncurrentversion=" + version + "\r\nupgraderange=" + range + "\r\n"));
    }
    // One of the upgraders of sign_upgraders.sh: pinned, other, unsigned, tampered.
    void ServeUpgrader(const std::wstring& variant = L"pinned") {
        std::string bytes;
        ASSERT_TRUE(test_files::Read(OwnFolder() + L"signed\\" + variant + L".exe", bytes));
        ASSERT_TRUE(sim.SetContent(L"update", kUpgraderPath, bytes, L"application/octet-stream"));
    }

    // Runs the probe; its results file as key=value.
    std::map<std::string, std::wstring> Probe(const std::wstring& args, int seconds, Watch& watch,
                                              ChildResult& result) {
        ProbeRun run =
            RunProbe(OwnFolder() + L"version_check_probe.exe", std::to_wstring(seconds) + L" " + args,
                     static_cast<DWORD>(seconds + 20) * 1000, &Watch::OnWindows, &watch);
        result = run.child;
        return std::move(run.values);
    }

    size_t RequestsFor(const std::wstring& path, bool pastCachesOnly = false, bool inTlsOnly = false) const {
        size_t n = 0;
        for (const SimRequest& r : sim.Log())
            n += r.path == path && (!pastCachesOnly || r.Header(L"Pragma") == L"no-cache") &&
                 (!inTlsOnly || r.secure);
        return n;
    }

    SimClient sim;
};

TEST_F(VersionCheck, ANewerVersionIsAnnouncedThenTheSignedUpgraderStartsAndTheLauncherEnds) {
    ServeVersionFile("3.0.01", "1000-2000,3000"); // shown and stored as parsed
    ServeUpgrader();
    // The upgrader arrives a second late, so the hidden windows can be seen.
    ASSERT_TRUE(sim.SetFault(L"update", kUpgraderPath, L"delay", L"ms=1000"));

    Watch watch;
    watch.poke = true; // more requests for the box change nothing: one decision, one box
    ChildResult child;
    auto v = Probe(L"check", 30, watch, child);
    ASSERT_TRUE(child.started);
    ASSERT_TRUE(child.exited);
    EXPECT_EQ(child.exitCode, 0u) << "UM_EXIT_APP did not close the login window";
    EXPECT_EQ(v["end"], L"exit");
    EXPECT_EQ(v["loginExists"], L"0");

    EXPECT_EQ(watch.boxes, 1);
    EXPECT_NE(watch.boxText.find(L"检测到最新版本[3.0.1.0]，确认更新！"), std::wstring::npos)
        << Narrow(watch.boxText);
    EXPECT_TRUE(watch.formsVisibleWithBox);
    EXPECT_TRUE(watch.hiddenAfterBox);
    EXPECT_FALSE(watch.visibleAgain);
    EXPECT_EQ(v["backVisible"], L"0");
    EXPECT_EQ(v["currentVersion"], L"3.0.1.0");

    // Two calls of StartVersionCheck, one version file.
    EXPECT_EQ(RequestsFor(kVersionPath), 1u);
    EXPECT_EQ(RequestsFor(kUpgraderPath), 1u);
    EXPECT_EQ(RequestsFor(kVersionPath, true), 1u) << "no \"Pragma: no-cache\"";
    EXPECT_EQ(RequestsFor(kUpgraderPath, true), 1u) << "no \"Pragma: no-cache\"";
    EXPECT_EQ(RequestsFor(kVersionPath, false, true), 1u) << "not over https";
    EXPECT_EQ(RequestsFor(kUpgraderPath, false, true), 1u) << "not over https";
    EXPECT_EQ(LastUpgrade(), L"3.0.1.0");

    // The upgrader ran, with its switches; how depends on this process's elevation.
    const std::wstring upgrader = UpgradeFolder() + L"OrvoGantryUpgrade.exe";
    std::map<std::string, std::wstring> started;
    for (int i = 0; i < 100 && started.empty(); ++i, Sleep(50))
        started = ReadKeyValueFile(upgrader + L".txt");
    ASSERT_FALSE(started.empty()) << "the upgrader did not run";
    const std::wstring cmdline = started["cmdline"];
    if (v["elevated"] == L"1") {
        EXPECT_EQ(cmdline, L" /S /KOUPGRADE");
        EXPECT_EQ(started["useShowWindow"], L"1");
        EXPECT_EQ(started["showWindow"], std::to_wstring(SW_HIDE));
    } else {
        const std::wstring tail = L" /S /KOUPGRADE";
        ASSERT_GE(cmdline.size(), tail.size()) << Narrow(cmdline);
        EXPECT_EQ(cmdline.substr(cmdline.size() - tail.size()), tail) << Narrow(cmdline);
        EXPECT_NE(cmdline.find(L"OrvoGantryUpgrade.exe"), std::wstring::npos) << Narrow(cmdline);
    }
}

TEST_F(VersionCheck, NoPromptWithoutANewerVersionOrWhenAlreadyStartedForIt) {
    struct Row {
        const char* name;
        const char* version;
        const char* range;
        const wchar_t* lastUpgrade; // null: no LastUpgrade.ini
    };
    const Row rows[] = {
        {"this very version", "3.0.0.0", "", nullptr},
        {"already started for it", "3.0.1.0", "", L"3.0.1.0"},
        {"not in the range", "3.0.1.0", "2000-2999", nullptr},
        {"not a number", "next", "", nullptr},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(sim.Reset());
        ServeVersionFile(row.version, row.range);
        ServeUpgrader();
        RemoveTree(UpgradeFolder().substr(0, UpgradeFolder().size() - 1));
        if (row.lastUpgrade) {
            CreateDirectoryW(UpgradeFolder().c_str(), nullptr);
            WritePrivateProfileStringW(L"version", L"lastUpgradeVer", row.lastUpgrade,
                                       (UpgradeFolder() + L"LastUpgrade.ini").c_str());
        }
        Watch watch;
        ChildResult child;
        auto v = Probe(L"check", 4, watch, child);
        ASSERT_TRUE(child.exited) << row.name;
        EXPECT_EQ(v["end"], L"timeout") << row.name;
        EXPECT_EQ(watch.boxes, 0) << row.name;
        EXPECT_EQ(v["loginVisible"], L"1") << row.name;
        EXPECT_EQ(v["backVisible"], L"1") << row.name;
        EXPECT_EQ(RequestsFor(kVersionPath), 1u) << row.name;
        EXPECT_EQ(RequestsFor(kUpgraderPath), 0u) << row.name;
        EXPECT_EQ(LastUpgrade(), row.lastUpgrade ? row.lastUpgrade : L"<missing>") << row.name;
    }
}

TEST_F(VersionCheck, AFailedOrOversizedVersionFileChangesNothing) {
    // A newer version, announced in a file one byte over its 64 KiB limit.
    std::string oversized = "[version]\r\ncurrentversion=3.0.1.0\r\nupgraderange=\r\n;";
    oversized += std::string(65536 + 1 - oversized.size(), 'x');
    for (const bool tooLong : {false, true}) {
        ASSERT_TRUE(sim.Reset());
        if (tooLong) {
            ASSERT_TRUE(sim.SetContent(L"update", kVersionPath, oversized));
            ServeUpgrader();
        } else {
            ASSERT_TRUE(sim.SetFault(L"update", kVersionPath, L"status", L"code=404"));
        }
        Watch watch;
        ChildResult child;
        auto v = Probe(L"check", 4, watch, child);
        ASSERT_TRUE(child.exited) << tooLong;
        EXPECT_EQ(v["end"], L"timeout") << tooLong;
        EXPECT_EQ(watch.boxes, 0) << tooLong;
        EXPECT_EQ(v["loginVisible"], L"1") << tooLong;
        EXPECT_EQ(v["currentVersion"], L"") << tooLong;
        // Not tried again within the run.
        EXPECT_EQ(RequestsFor(kVersionPath), 1u) << tooLong;
        EXPECT_EQ(RequestsFor(kUpgraderPath), 0u) << tooLong;
    }
}

TEST_F(VersionCheck, AFailedUpgraderDownloadShowsTheWindowsAgain) {
    ServeVersionFile("3.0.2.0", "");
    // No answer for a second and a half, then the connection closes: a failure.
    ASSERT_TRUE(sim.SetFault(L"update", kUpgraderPath, L"hang", L"ms=1500"));
    {
        // Not while a game window is open: the game keeps the screen.
        Watch watch;
        ChildResult child;
        auto v = Probe(L"check game", 8, watch, child);
        ASSERT_TRUE(child.exited);
        EXPECT_EQ(watch.boxes, 1);
        EXPECT_TRUE(watch.hiddenAfterBox);
        EXPECT_FALSE(watch.visibleAgain);
        EXPECT_EQ(v["loginVisible"], L"0");
        EXPECT_EQ(v["backVisible"], L"0");
        ASSERT_TRUE(sim.Reset());
        ASSERT_TRUE(sim.SetFault(L"update", kUpgraderPath, L"hang", L"ms=1500"));
        ServeVersionFile("3.0.2.0", "");
    }
    Watch watch;
    watch.poke = true; // the one box, however often it is asked for
    ChildResult child;
    auto v = Probe(L"check", 8, watch, child);
    ASSERT_TRUE(child.exited);
    EXPECT_EQ(v["end"], L"timeout"); // the launcher goes on
    EXPECT_EQ(watch.boxes, 1);
    EXPECT_TRUE(watch.hiddenAfterBox);
    EXPECT_TRUE(watch.visibleAgain);
    EXPECT_EQ(v["loginVisible"], L"1");
    EXPECT_EQ(v["backVisible"], L"1");
    EXPECT_GE(RequestsFor(kUpgraderPath), 1u);
    EXPECT_EQ(LastUpgrade(), L"<missing>");
    EXPECT_EQ(GetFileAttributesW((UpgradeFolder() + L"OrvoGantryUpgrade.exe").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST_F(VersionCheck, AnUpgradeAskedForByAnyoneButTheVersionCheckIsIgnored) {
    ServeVersionFile("3.0.0.0", ""); // nothing newer
    ServeUpgrader();
    Watch watch;
    watch.poke = true;
    ChildResult child;
    auto v = Probe(L"check", 4, watch, child);
    ASSERT_TRUE(child.exited);
    EXPECT_EQ(v["end"], L"timeout");
    EXPECT_GT(watch.pokes, 0);
    EXPECT_EQ(watch.boxes, 0);
    EXPECT_EQ(RequestsFor(kVersionPath), 1u);
    EXPECT_EQ(RequestsFor(kUpgraderPath), 0u);
}

// The stand-in says 3.0.1.0 ("pinned" and its altered or otherwise signed copies)
// or 3.0.0.9 ("old"): each row fails one check only, the signature or the version.
TEST_F(VersionCheck, AnUpgraderNotSignedByThePinnedPublisherOrNotTheAnnouncedVersionIsNeverStarted) {
    struct Row {
        const wchar_t* variant;
        const char* announced;
    };
    const Row rows[] = {
        {L"unsigned", "3.0.1.0"}, {L"tampered", "3.0.1.0"},
        {L"other", "3.0.1.0"},    {L"old", "3.0.1.0"}, // the pinned publisher's older upgrader
        {L"pinned", "3.0.2.0"},                        // the pinned publisher's, not the announced one
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.variant));
        ASSERT_TRUE(sim.Reset());
        ServeVersionFile(row.announced, "");
        ServeUpgrader(row.variant);
        // A second late, as above: a rejected file is found at once, and the
        // windows would be shown again before the watcher could see them hidden.
        ASSERT_TRUE(sim.SetFault(L"update", kUpgraderPath, L"delay", L"ms=1000"));
        RemoveTree(UpgradeFolder().substr(0, UpgradeFolder().size() - 1));
        CreateDirectoryW(UpgradeFolder().c_str(), nullptr);
        WritePrivateProfileStringW(L"version", L"lastUpgradeVer", L"3.0.0.5",
                                   (UpgradeFolder() + L"LastUpgrade.ini").c_str());
        Watch watch;
        ChildResult child;
        auto v = Probe(L"check", 8, watch, child);
        ASSERT_TRUE(child.exited);
        EXPECT_EQ(v["end"], L"timeout"); // the launcher goes on
        EXPECT_EQ(watch.boxes, 1);       // and asks nothing more
        EXPECT_TRUE(watch.hiddenAfterBox);
        EXPECT_TRUE(watch.visibleAgain);
        EXPECT_EQ(v["loginVisible"], L"1");
        EXPECT_EQ(v["backVisible"], L"1");
        EXPECT_EQ(RequestsFor(kUpgraderPath), 1u);
        const std::wstring upgrader = UpgradeFolder() + L"OrvoGantryUpgrade.exe";
        EXPECT_EQ(GetFileAttributesW(upgrader.c_str()), INVALID_FILE_ATTRIBUTES) << "the file was kept";
        EXPECT_EQ(GetFileAttributesW((upgrader + L".txt").c_str()), INVALID_FILE_ATTRIBUTES) << "it ran";
        EXPECT_EQ(LastUpgrade(), L"3.0.0.5");
    }
}

TEST_F(VersionCheck, OnlyACodeSigningCertificateWithThePinnedCnAndAPinnedKeyPasses) {
    std::string pinnedKey, otherKey;
    ASSERT_TRUE(test_files::Read(OwnFolder() + L"signed\\pinned.key", pinnedKey));
    ASSERT_TRUE(test_files::Read(OwnFolder() + L"signed\\other.key", otherKey));
    const std::wstring pinned(pinnedKey.begin(), pinnedKey.end()), other(otherKey.begin(), otherKey.end());
    struct Row {
        const char* name;
        const wchar_t* file;
        std::wstring keys;
        bool trusted;
    };
    const Row rows[] = {
        {"no key pinned", L"pinned", L"", true},
        {"its key pinned", L"pinned", pinned, true},
        {"its key among two", L"pinned", other + L";" + pinned, true},
        {"only another key pinned", L"pinned", other, false},
        {"the other publisher's key, not its name", L"other", other, false},
        {"the pinned name, no code-signing usage", L"noeku", L"", false},
        {"the pinned name as O, no CN", L"nocn", L"", false},
    };
    for (const Row& row : rows) {
        const std::wstring path = OwnFolder() + L"signed\\" + row.file + L".exe";
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << row.name;
        EXPECT_EQ(IsTrustedUpgrader(file, path, GANTRY_UPGRADER_SIGNER, row.keys), row.trusted) << row.name;
        CloseHandle(file);
    }
}

TEST_F(VersionCheck, TheInstallAndUninstallReportsEndTheLauncherWhateverTheirResult) {
    struct Row {
        int type;
        const wchar_t* path;
        bool fails;
        bool ends;
    };
    const Row rows[] = {
        {3, L"/ps.gif?at=2", true, true},
        {4, L"/ps.gif?at=6", false, true},
        {5, L"/ps.gif?at=5", false, false}, // the activity report ends nothing
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(sim.Reset());
        if (row.fails)
            ASSERT_TRUE(sim.SetFault(L"beacon", L"/ps.gif", L"status", L"code=500"));
        else
            ASSERT_TRUE(sim.SetContent(L"beacon", L"/ps.gif", "GIF89a"));
        Watch watch;
        ChildResult child;
        auto v = Probe(L"temp " + std::to_wstring(row.type) + L" " + sim.Url(L"beacon", row.path), 5, watch,
                       child);
        ASSERT_TRUE(child.exited) << row.type;
        EXPECT_EQ(v["end"], row.ends ? L"exit" : L"timeout") << row.type;
        EXPECT_EQ(child.exitCode, row.ends ? 0u : 1u) << row.type;
        EXPECT_EQ(RequestsFor(row.path, true), 1u) << row.type;
    }
}

TEST_F(VersionCheck, AReportModeWhoseReportCannotBeQueuedEndsAtOnce) {
    // Without a downloader, or with one that gets no worker thread, nothing would
    // ever complete the report; the limit is far above "at once".
    for (const wchar_t* how : {L"nodownloader", L"noworker"}) {
        Watch watch;
        ChildResult child;
        Probe(std::wstring(L"report ") + how + L" /setupsucc", 20, watch, child);
        ASSERT_TRUE(child.exited) << Narrow(how);
        EXPECT_EQ(child.exitCode, 0u) << Narrow(how); // 1: the time limit ended it
        EXPECT_FALSE(child.sawVisibleWindow) << Narrow(how);
    }
}

TEST_F(VersionCheck, ClosingWhileAReportIsStuckInARequestEndsTheProcessNormally) {
    // The server sends the head and a few bytes, then nothing: the worker is inside
    // a read when the login window closes, and under Wine closing its handles does
    // not end that read. The process must still end, with the loop's exit code.
    ASSERT_TRUE(sim.SetContent(L"beacon", L"/stall.gif", std::string(4000, 'g')));
    ASSERT_TRUE(sim.SetFault(L"beacon", L"/stall.gif", L"trickle", L"bytes=100&ms=60000"));
    Watch watch;
    ChildResult child;
    Probe(L"temp 5 " + sim.Url(L"beacon", L"/stall.gif") + L" close", 1, watch, child);
    ASSERT_TRUE(child.exited);
    EXPECT_EQ(child.exitCode, 0u); // the loop's own: the close ended it
    EXPECT_EQ(RequestsFor(L"/stall.gif"), 1u);
}

} // namespace
