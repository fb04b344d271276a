// The life of an installation, in a Wine prefix of its own with the test authority
// trusted, against the simulator on the ports this build was configured for: a silent
// install of this build; the installed launcher finding the next version, the player
// answering the box, the launcher starting the downloaded installer with
// " /S /KOUPGRADE" and the new launcher coming up; a silent uninstall. What the test
// checks is what a player, the server or Windows' list of programs sees: files, the
// uninstall entry, the start-at-logon value, the beacons, the launcher's windows.
// The test is a 64-bit program: the registry it reads is the 64-bit view.
#include "tests/app/child_process.h"
#include "tests/net/TestFiles.h"
#include "tests/support/SimClient.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <wincrypt.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OrvoGantry";
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValue[] = L"OrvoValdrenna";
const wchar_t kMissing[] = L"<missing>";

std::wstring RegText(HKEY root, const wchar_t* key, const wchar_t* value) {
    wchar_t data[1024] = L"";
    DWORD size = sizeof(data);
    const LSTATUS s = RegGetValueW(root, key, value, RRF_RT_REG_SZ, nullptr, data, &size);
    return s == ERROR_SUCCESS ? data : kMissing;
}

DWORD RegNumber(const wchar_t* value) {
    DWORD data = 0, size = sizeof(data);
    RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, value, RRF_RT_REG_DWORD, nullptr, &data, &size);
    return data;
}

std::wstring FileVersion(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<BYTE> data(size ? size : 1);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!size || !GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info)
        return kMissing;
    return std::to_wstring(HIWORD(info->dwFileVersionMS)) + L"." +
           std::to_wstring(LOWORD(info->dwFileVersionMS)) + L"." +
           std::to_wstring(HIWORD(info->dwFileVersionLS)) + L"." +
           std::to_wstring(LOWORD(info->dwFileVersionLS));
}

std::wstring Folder(int csidl, const wchar_t* below) {
    wchar_t path[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::wstring(path) + L"\\" + below;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WaitFor(const std::function<bool()>& done, DWORD limitMs) {
    for (DWORD waited = 0; waited < limitMs; waited += 250) {
        if (done())
            return true;
        Sleep(250);
    }
    return done();
}

std::wstring ImageOf(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    wchar_t path[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    if (process) {
        QueryFullProcessImageNameW(process, 0, path, &size);
        CloseHandle(process);
    }
    return path;
}

// Visible launcher windows (the one window class every launcher window has) by process.
std::set<DWORD> LauncherProcesses() {
    std::set<DWORD> pids;
    EnumWindows(
        [](HWND h, LPARAM out) -> BOOL {
            wchar_t name[64] = L"";
            GetClassNameW(h, name, 64);
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            if (IsWindowVisible(h) && wcscmp(name, L"OrvoGantry") == 0)
                reinterpret_cast<std::set<DWORD>*>(out)->insert(pid);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&pids));
    return pids;
}

// Closes the launchers' login windows (owned by their background forms), which ends them.
void CloseLaunchers() {
    EnumWindows(
        [](HWND h, LPARAM) -> BOOL {
            wchar_t name[64] = L"";
            GetClassNameW(h, name, 64);
            if (wcscmp(name, L"OrvoGantry") == 0 && GetWindow(h, GW_OWNER))
                PostMessageW(h, WM_CLOSE, 0, 0);
            return TRUE;
        },
        0);
}

// The player's answer to the upgrade box: OK, its only button.
struct UpgradeBox {
    std::wstring text;
    static bool OnWindows(const std::vector<HWND>& visible, void* context) {
        auto* box = static_cast<UpgradeBox*>(context);
        for (HWND h : visible) {
            wchar_t caption[64] = L"";
            GetWindowTextW(h, caption, 64);
            if (wcscmp(caption, L"升级提醒") != 0 || !box->text.empty())
                continue;
            EnumChildWindows(
                h,
                [](HWND child, LPARAM out) -> BOOL {
                    wchar_t part[256] = L"";
                    GetWindowTextW(child, part, 256);
                    *reinterpret_cast<std::wstring*>(out) += part;
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&box->text));
            PostMessageW(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        return false;
    }
};

bool TrustTestAuthority() {
    std::string der;
    if (!test_files::Read(BuildPath("tests/installer/signed/ca.der"), der))
        return false;
    HCERTSTORE store =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    const BOOL added = store && CertAddEncodedCertificateToStore(
                                    store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                    static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    if (store)
        CertCloseStore(store, 0);
    return added != FALSE;
}

class Installation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TrustTestAuthority()) << "run through ctest (installer.sign_next)";
        sim = SimClient::FromEnvironment();
        ASSERT_TRUE(sim.IsValid());
        ASSERT_TRUE(sim.Reset());
    }
    void TearDown() override { CloseLaunchers(); }

    // Beacons of one kind ("&at=N") for one build ("&e8=N").
    std::vector<SimRequest> Beacons(const std::wstring& at, const std::wstring& build, DWORD waitMs) const {
        return sim.WaitForRequests(
            [&](const SimRequest& q) {
                return q.host == L"beacon" && q.path.find(L"&e8=" + build + L"&") != std::wstring::npos &&
                       q.path.find(L"&at=" + at) != std::wstring::npos;
            },
            1, waitMs);
    }

    void InstallSilently();
    void UpgradeFromTheLauncher();
    void UninstallSilently();

    SimClient sim;
    const std::wstring dir = Folder(CSIDL_PROGRAM_FILES, L"OrvoValdrenna\\");
    const std::wstring launcher = dir + L"OrvoGantry.exe";
    const std::wstring desktopLink = Folder(CSIDL_COMMON_DESKTOPDIRECTORY, L"OrvoValdrenna.lnk");
    const std::wstring menuLink = Folder(CSIDL_COMMON_PROGRAMS, L"OrvoValdrenna\\OrvoValdrenna.lnk");
    const std::wstring runData = L"\"" + launcher + L"\" /autorun";
    std::wstring guid;
};

void Installation::InstallSilently() {
    const ChildResult r = RunChild(BuildPath(THIS_SETUP), L"/S", 120000);
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_FALSE(r.sawVisibleWindow);
    EXPECT_EQ(FileVersion(launcher), THIS_QUAD);
    EXPECT_TRUE(Exists(desktopLink));
    EXPECT_TRUE(Exists(menuLink));
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"), L"OrvoValdrenna");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"), THIS_VERSION);
    EXPECT_NE(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"Publisher"), kMissing);
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation") + L"\\", dir);
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"), L"\"" + dir + L"uninst.exe\"");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString"),
              L"\"" + dir + L"uninst.exe\" /S");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayIcon"), L"\"" + launcher + L"\",0");
    EXPECT_GE(RegNumber(L"EstimatedSize"), 100u); // kilobytes: the launcher alone is over a megabyte
    EXPECT_EQ(Beacons(L"2", THIS_BUILD, 10000).size(), 1u) << "the install beacon of /setupsucc";
    guid = ReadSetting(L"Install", L"GUID");
    EXPECT_EQ(guid.size(), 32u);
    // The player turns on the start at logon, as the game window's menu does.
    HKEY run = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kRunKey, &run), ERROR_SUCCESS);
    RegSetValueExW(run, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(runData.c_str()),
                   DWORD(runData.size() * sizeof(wchar_t)));
    RegCloseKey(run);
}

void Installation::UpgradeFromTheLauncher() {
    std::string appIni, setup;
    ASSERT_TRUE(test_files::Read(BuildPath("tests/installer/next/app.ini"), appIni));
    ASSERT_TRUE(test_files::Read(BuildPath("tests/installer/signed/pinned.exe"), setup));
    ASSERT_TRUE(sim.SetContent(L"update", L"/Orvo/tavro/official/app.ini", appIni, L"text/plain"));
    ASSERT_TRUE(
        sim.SetContent(L"update", L"/Orvo/tavro/official/Orvotavro.exe", setup, L"application/octet-stream"));
    UpgradeBox box;
    const ChildResult r = RunChild(launcher, L"", 120000, UpgradeBox::OnWindows, &box);
    EXPECT_NE(box.text.find(NEXT_VERSION), std::wstring::npos) << "no upgrade box with the new version";
    ASSERT_TRUE(r.exited) << "the launcher ends once it has started the upgrader";
    // The upgrader replaces the launcher and starts the new one.
    std::set<DWORD> up;
    EXPECT_TRUE(WaitFor(
        [&] {
            up = LauncherProcesses();
            return RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion") == NEXT_VERSION &&
                   !up.empty();
        },
        120000));
    EXPECT_EQ(FileVersion(launcher), NEXT_QUAD);
    for (DWORD pid : up)
        EXPECT_EQ(_wcsicmp(ImageOf(pid).c_str(), launcher.c_str()), 0)
            << "a launcher window of another program";
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kRunKey, kRunValue), runData);
    EXPECT_EQ(ReadSetting(L"Install", L"GUID"), guid);
    EXPECT_TRUE(Beacons(L"2", NEXT_BUILD, 0).empty()) << "an upgrade is no new installation";
    CloseLaunchers();
    EXPECT_TRUE(WaitFor([] { return LauncherProcesses().empty(); }, 30000));
}

void Installation::UninstallSilently() {
    const ChildResult r = RunChild(dir + L"uninst.exe", L"/S", 60000);
    ASSERT_TRUE(r.exited);
    // The uninstaller goes on from a copy of itself in the temp folder.
    EXPECT_TRUE(WaitFor(
        [&] {
            return !Exists(dir) && RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName") == kMissing;
        },
        60000));
    EXPECT_EQ(Beacons(L"6", NEXT_BUILD, 10000).size(), 1u) << "the uninstall beacon of /uninstallsucc";
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kRunKey, kRunValue), kMissing);
    EXPECT_FALSE(Exists(desktopLink));
    EXPECT_FALSE(Exists(menuLink));
    EXPECT_FALSE(Exists(AppDataFolderPath() + L"Upgrade"));
    EXPECT_EQ(ReadSetting(L"Install", L"GUID"), guid) << "the player's settings stay";
}

TEST_F(Installation, InstallsUpgradesFromTheLauncherAndUninstalls) {
    ASSERT_NO_FATAL_FAILURE(InstallSilently());
    ASSERT_NO_FATAL_FAILURE(UpgradeFromTheLauncher());
    ASSERT_NO_FATAL_FAILURE(UninstallSilently());
}

} // namespace
