#include "app/UpdateService.h"

#include "app/UpgradeRange.h"
#include "app/UpgraderSignature.h"
#include "app/UpgraderStart.h"
#include "app/base/Messages.h"
#include "app/base/Utils.h"
#include "net/DownloadTask.h"
#include "net/RequestTypes.h"

#include <utility>

namespace {

// Set by the first StartVersionCheck of the process.
std::atomic<bool> g_bVersionCheckStarted{false};

constexpr wchar_t kUpgradeSection[] = L"version";

} // namespace

void CUpdateService::Configure(const std::wstring& versionFileUrl, const std::wstring& upgraderUrl,
                               bool elevatedRun) {
    m_strVersionFileUrl = versionFileUrl;
    m_strUpgraderUrl = upgraderUrl;
    m_bElevatedRun = elevatedRun;
}

std::wstring CUpdateService::UpgradeFolder() {
    const std::wstring folder = GetAppDataFolder() + L"Upgrade\\";
    MakeSureDirExists(folder.c_str());
    return folder;
}

std::wstring CUpdateService::LastUpgradeIniPath() {
    return UpgradeFolder() + L"LastUpgrade.ini";
}

std::wstring CUpdateService::UpgraderPath() {
    return UpgradeFolder() + L"OrvoGantryUpgrade.exe";
}

void CUpdateService::StartVersionCheck() {
    if (g_bVersionCheckStarted.exchange(true))
        return;
    m_host.SubmitDownload(m_strVersionFileUrl, UpgradeFolder(), kRequestVersionFile, true);
}

void CUpdateService::OnVersionFileDone(int result, const DownloadTask* task) {
    if (result != DL_OK || !task)
        return;
    const std::wstring current = ReadIniString(kUpgradeSection, L"currentversion", L"", task->target);
    const std::wstring range = ReadIniString(kUpgradeSection, L"upgraderange", L"", task->target);
    const std::wstring last = ReadIniString(kUpgradeSection, L"lastUpgradeVer", L"", LastUpgradeIniPath());
    const std::optional<DottedVersion> announced = ParseDottedVersion(current);
    // What is no version is not kept, not even for showing.
    SetCurrentVersion(announced ? announced->ToString() : std::wstring());
    const std::optional<DottedVersion> offered = OfferedUpgrade(current, range, last);
    if (!offered)
        return;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_stage != UpgradeStage::None)
            return;
        m_offeredVersion = *offered;
        m_stage = UpgradeStage::Offered;
    }
    // The box belongs to the main thread; a worker only asks for it.
    PostMessageW(m_host.ResultWindow(), UM_UPGRADE_PROMPT, 0, 0);
}

void CUpdateService::ShowUpgradePrompt() {
    DottedVersion offered;
    {
        // Only the one offer this process's version decision made, and only once:
        // another program posting 1232 finds nothing to act on.
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_stage != UpgradeStage::Offered)
            return;
        m_stage = UpgradeStage::Prompted;
        offered = m_offeredVersion;
    }
    // A login window that is already gone means the launcher is closing.
    const HWND login = m_host.LoginWindow();
    if (!login || !IsWindow(login))
        return;
    // The update is not optional: the box has only its OK button.
    const std::wstring text = L"检测到最新版本[" + offered.ToString() + L"]，确认更新！";
    MessageBoxW(UpgradePromptOwner(), text.c_str(), L"升级提醒", MB_OK);
    // The box's own message loop may have let the login window be closed.
    if (!IsWindow(login))
        return;
    ShowWindow(login, SW_HIDE);
    ShowWindow(m_host.BackWindow(), SW_HIDE);
    SetUpgradeStage(UpgradeStage::Downloading); // before the worker can report
    if (!m_host.SubmitDownload(m_strUpgraderUrl, UpgraderPath(), kRequestUpgrader, false)) {
        SetUpgradeStage(UpgradeStage::Done);
        ShowWindowsAfterFailedUpgrade();
    }
}

// The worker only hands the held file over; checking and starting it is the main
// thread's, so no worker waits in an elevation prompt or starts a process.
void CUpdateService::OnUpgraderDone(int result, DownloadTask* task) {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_stage != UpgradeStage::Downloading)
            return;
        m_stage = UpgradeStage::Arrived;
        if (result == DL_OK && task) {
            m_heldUpgrader.Reset(static_cast<HANDLE>(std::exchange(task->heldFile, nullptr)));
            m_strHeldUpgraderPath = task->target;
        }
    }
    PostMessageW(m_host.ResultWindow(), UM_UPGRADER_READY, 0, 0);
}

void CUpdateService::StartDownloadedUpgrader() {
    ScopedHandle held;
    std::wstring path;
    DottedVersion announced;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_stage != UpgradeStage::Arrived)
            return;
        m_stage = UpgradeStage::Done;
        held = std::move(m_heldUpgrader);
        path = std::move(m_strHeldUpgraderPath);
        announced = m_offeredVersion;
    }
    if (!held) { // the download failed
        ShowWindowsAfterFailedUpgrade();
        return;
    }
    // The held file is read-only and shared for reading only: what is checked is
    // what gets started. Signed by a pinned publisher and exactly the announced
    // version, or it is not ours: gone, silently; the next run tries again.
    if (!IsTrustedUpgrader(held.Get(), path) || !IsAnnouncedUpgrader(ReadFileVersion(path), announced)) {
        held.Reset();
        DeleteFileW(path.c_str());
        ShowWindowsAfterFailedUpgrade();
        return;
    }
    const bool started = StartVerifiedUpgrader(held.Get(), path);
    held.Reset();
    if (!started) {
        ShowWindowsAfterFailedUpgrade();
        return;
    }
    // Once started for a version, that version is never offered again; what is
    // written is the file's own, verified version.
    WriteIniString(kUpgradeSection, L"lastUpgradeVer", announced.ToString(), LastUpgradeIniPath());
    PostMessageW(m_host.LoginWindow(), UM_EXIT_APP, 0, 0);
}

bool CUpdateService::StartVerifiedUpgrader(HANDLE held, const std::wstring& path) {
    if (!m_bElevatedRun)
        return ShellExecuteUpgraderElevated(path);
    // The user's own folder is writable by any program of the user: an elevated
    // run starts a copy of the held bytes from a folder only administrators can write.
    std::wstring copy;
    ScopedHandle copyHeld;
    return CopyToAdminFolder(held, copy, copyHeld) && CreateUpgraderProcess(copy);
}

// After the upgrade failed the launcher goes on as it was: without this it would
// run on with no window at all. A game that is running keeps the screen; the
// login window comes back when it closes.
void CUpdateService::ShowWindowsAfterFailedUpgrade() {
    if (m_host.IsGameOpen())
        return;
    const HWND back = m_host.BackWindow();
    const HWND login = m_host.LoginWindow();
    if (back && IsWindow(back))
        ShowWindow(back, SW_SHOWNA);
    if (login && IsWindow(login))
        ShowWindow(login, SW_SHOWNA);
}

void CUpdateService::SetUpgradeStage(UpgradeStage stage) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_stage = stage;
}

void CUpdateService::SetCurrentVersion(const std::wstring& version) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_strCurrentVersion = version;
}

std::wstring CUpdateService::GetCurrentVersion() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_strCurrentVersion;
}

HWND CUpdateService::UpgradePromptOwner() const {
    const HWND game = m_hGameWindow.load();
    return game && IsWindow(game) ? game : m_host.LoginWindow();
}
