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
const wchar_t kMissing[] = L"<missing>";

// A text or number value, as text.
std::wstring RegValue(HKEY root, const wchar_t* key, const wchar_t* value) {
    union {
        wchar_t text[1024];
        DWORD number;
    } data = {};
    DWORD type = 0, size = sizeof(data);
    if (RegGetValueW(root, key, value, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, &data, &size) !=
        ERROR_SUCCESS)
        return kMissing;
    return type == REG_DWORD ? std::to_wstring(data.number) : data.text;
}
std::wstring Entry(const wchar_t* value) {
    return RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, value);
}

std::wstring FileVersion(const std::wstring& path) {
    std::vector<BYTE> data(GetFileVersionInfoSizeW(path.c_str(), nullptr) + 1);
    VS_FIXEDFILEINFO* v = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(path.c_str(), 0, DWORD(data.size()), data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&v), &length) || !v)
        return kMissing;
    const DWORD parts[] = {HIWORD(v->dwFileVersionMS), LOWORD(v->dwFileVersionMS), HIWORD(v->dwFileVersionLS),
                           LOWORD(v->dwFileVersionLS)};
    return std::to_wstring(parts[0]) + L"." + std::to_wstring(parts[1]) + L"." + std::to_wstring(parts[2]) +
           L"." + std::to_wstring(parts[3]);
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
    for (DWORD waited = 0; waited < limitMs && !done(); waited += 250)
        Sleep(250);
    return done();
}

// The programs behind the visible launcher windows (their one window class); with
// close, the login windows (owned by the background forms, shown or not) are asked
// to close, which ends their launchers.
std::set<std::wstring> LauncherWindows(bool close) {
    struct Walk {
        bool close;
        std::set<std::wstring> images;
    } walk{close, {}};
    EnumWindows(
        [](HWND h, LPARAM context) -> BOOL {
            auto* w = reinterpret_cast<Walk*>(context);
            wchar_t name[64] = L"", image[MAX_PATH] = L"";
            DWORD pid = 0, size = MAX_PATH;
            GetClassNameW(h, name, 64);
            if (wcscmp(name, L"OrvoGantry") != 0)
                return TRUE;
            if (w->close && GetWindow(h, GW_OWNER))
                PostMessageW(h, WM_CLOSE, 0, 0);
            if (!IsWindowVisible(h))
                return TRUE;
            GetWindowThreadProcessId(h, &pid);
            if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
                QueryFullProcessImageNameW(process, 0, image, &size);
                CloseHandle(process);
            }
            w->images.insert(image);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    return walk.images;
}

// The player's answer to the upgrade box: OK, its only button.
struct UpgradeBox {
    std::wstring text;
    static bool OnWindows(const std::vector<HWND>& visible, void* context) {
        auto* box = static_cast<UpgradeBox*>(context);
        for (HWND h : visible) {
            wchar_t caption[64] = L"", part[256] = L"";
            GetWindowTextW(h, caption, 64);
            if (wcscmp(caption, L"升级提醒") != 0 || !box->text.empty())
                continue;
            for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                box->text += (GetWindowTextW(c, part, 256), part);
            PostMessageW(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        return false;
    }
};

bool TrustTestAuthority() {
    std::string der;
    HCERTSTORE store =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    const BOOL added =
        store && test_files::Read(BuildPath("tests/installer/signed/ca.der"), der) &&
        CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                         DWORD(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
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
    void TearDown() override { LauncherWindows(true); }

    // Beacons of one kind ("&at=N": 2 install, 6 uninstall) from one build ("&e8=N").
    size_t Beacons(const std::wstring& at, const std::wstring& build, DWORD waitMs) const {
        return sim
            .WaitForRequests(
                [&](const SimRequest& q) {
                    return q.host == L"beacon" && q.path.find(L"&e8=" + build + L"&") != std::wstring::npos &&
                           q.path.find(L"&at=" + at) != std::wstring::npos;
                },
                1, waitMs)
            .size();
    }

    void InstallSilently();
    void UpgradeFromTheLauncher();
    void UninstallSilently();

    SimClient sim;
    const std::wstring dir = Folder(CSIDL_PROGRAM_FILES, L"OrvoValdrenna\\");
    const std::wstring launcher = dir + L"OrvoGantry.exe";
    const std::wstring links[2] = {Folder(CSIDL_COMMON_DESKTOPDIRECTORY, L"OrvoValdrenna.lnk"),
                                   Folder(CSIDL_COMMON_PROGRAMS, L"OrvoValdrenna\\OrvoValdrenna.lnk")};
    const std::wstring runData = L"\"" + launcher + L"\" /autorun";
    std::wstring guid;
};

void Installation::InstallSilently() {
    const ChildResult r = RunChild(BuildPath(THIS_SETUP), L"/S", 120000);
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_FALSE(r.sawVisibleWindow);
    EXPECT_EQ(FileVersion(launcher), THIS_QUAD);
    EXPECT_TRUE(Exists(links[0]) && Exists(links[1]));
    EXPECT_EQ(Entry(L"DisplayName"), L"OrvoValdrenna");
    EXPECT_EQ(Entry(L"DisplayVersion"), THIS_VERSION);
    EXPECT_NE(Entry(L"Publisher"), kMissing);
    EXPECT_EQ(Entry(L"InstallLocation") + L"\\", dir);
    EXPECT_EQ(Entry(L"UninstallString"), L"\"" + dir + L"uninst.exe\"");
    EXPECT_EQ(Entry(L"QuietUninstallString"), L"\"" + dir + L"uninst.exe\" /S");
    EXPECT_EQ(Entry(L"DisplayIcon"), L"\"" + launcher + L"\",0");
    EXPECT_GE(std::stoul(L"0" + Entry(L"EstimatedSize")), 1000u) << "in KiB: the launcher is over a MiB";
    EXPECT_EQ(Beacons(L"2", THIS_BUILD, 10000), 1u) << "the install beacon of /setupsucc";
    guid = ReadSetting(L"Install", L"GUID");
    EXPECT_EQ(guid.size(), 32u);
    // The player turns on the start at logon, as the game window's menu does.
    HKEY run = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kRunKey, &run), ERROR_SUCCESS);
    RegSetValueExW(run, L"OrvoValdrenna", 0, REG_SZ, reinterpret_cast<const BYTE*>(runData.c_str()),
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
    std::set<std::wstring> up;
    EXPECT_TRUE(WaitFor(
        [&] {
            up = LauncherWindows(false);
            return Entry(L"DisplayVersion") == NEXT_VERSION && !up.empty();
        },
        120000));
    EXPECT_EQ(FileVersion(launcher), NEXT_QUAD);
    for (const std::wstring& image : up)
        EXPECT_EQ(_wcsicmp(image.c_str(), launcher.c_str()), 0) << "a launcher window of another program";
    EXPECT_EQ(RegValue(HKEY_CURRENT_USER, kRunKey, L"OrvoValdrenna"), runData);
    EXPECT_EQ(ReadSetting(L"Install", L"GUID"), guid);
    LauncherWindows(true);
    EXPECT_TRUE(WaitFor([] { return LauncherWindows(false).empty(); }, 30000));
}

void Installation::UninstallSilently() {
    const ChildResult r = RunChild(dir + L"uninst.exe", L"/S", 60000);
    ASSERT_TRUE(r.exited);
    // The uninstaller goes on from a copy of itself in the temp folder.
    EXPECT_TRUE(WaitFor([&] { return !Exists(dir) && Entry(L"DisplayName") == kMissing; }, 60000));
    EXPECT_EQ(Beacons(L"6", NEXT_BUILD, 10000), 1u) << "the uninstall beacon of /uninstallsucc";
    EXPECT_EQ(Beacons(L"2", NEXT_BUILD, 0), 0u) << "the upgrade sent an install beacon";
    EXPECT_EQ(RegValue(HKEY_CURRENT_USER, kRunKey, L"OrvoValdrenna"), kMissing);
    EXPECT_FALSE(Exists(links[0]) || Exists(links[1]));
    EXPECT_FALSE(Exists(AppDataFolderPath() + L"Upgrade"));
    EXPECT_EQ(ReadSetting(L"Install", L"GUID"), guid) << "the player's settings stay";
}

TEST_F(Installation, InstallsUpgradesFromTheLauncherAndUninstalls) {
    ASSERT_NO_FATAL_FAILURE(InstallSilently());
    ASSERT_NO_FATAL_FAILURE(UpgradeFromTheLauncher());
    ASSERT_NO_FATAL_FAILURE(UninstallSilently());
}

} // namespace
