// The global module's side of downloading: the version check once per run, the
// upgrader download, the temp-folder downloads of the reports, and the one
// completion handler of every request. The handler runs on a download worker
// thread, inside the module's callback gate, and reaches the main thread only by
// posting to the window published when the request was queued: the upgrade box
// (UM_UPGRADE_PROMPT), the check and start of the upgrader (UM_UPGRADER_READY)
// and the end of the report modes (UM_EXIT_APP) all happen on the main thread.
#include "app/GlobalModule.h"

#include "app/base/Messages.h"
#include "app/UpgradeRange.h"
#include "app/UpgraderSignature.h"
#include "app/UpgraderStart.h"
#include "app/base/Handles.h"
#include "app/base/Utils.h"
#include "net/HttpDownloader.h"

#include <atomic>
#include <utility>

namespace {

// Set by the first StartVersionCheck of the process: a failed check is not
// tried again in the same run.
std::atomic<bool> g_bVersionCheckStarted{false};

enum RequestType {
    kRequestVersionFile = 0,
    kRequestUpgrader = 1,
    kRequestInstallBeacon = 3,
    kRequestUninstallBeacon = 4,
};

constexpr wchar_t kUpgradeSection[] = L"version";

} // namespace

bool CGlobalModule::Submit(const std::wstring& url, const std::wstring& target, int type, bool nameFromUrl) {
    DownloadTask task;
    task.url = url;
    task.target = target;
    task.retries = 0;
    task.callback = &CGlobalModule::OnDownloadEvent;
    task.userData = m_gate.get();
    task.requestType = type;
    task.nameFromUrl = nameFromUrl;
    task.guidPrefix = false;
    task.deleteOnFailure = true;
    task.maxBytes = type == kRequestUpgrader      ? kUpgraderMaxBytes
                    : type == kRequestVersionFile ? kVersionFileMaxBytes
                                                  : kBeaconMaxBytes;
    // The upgrader stays held from its last byte until it has been checked and started.
    task.holdFile = type == kRequestUpgrader;
    // Requests are queued by the main thread; its login window gets their results.
    m_hResultWindow.store(m_formLogin.GetHwnd());
    // Without a worker a queued task would wait for ever: not queued is the truth.
    return m_pDownloader->Start() && m_pDownloader->AddTask(task);
}

void CGlobalModule::StartVersionCheck() {
    if (!m_pDownloader || g_bVersionCheckStarted.exchange(true))
        return;
    Submit(GetVersionFileUrl(), GetUpgradeFolder(), kRequestVersionFile, true);
}

bool CGlobalModule::StartUpgraderDownload() {
    return m_pDownloader && Submit(GetUpgraderUrl(), GetUpgraderPath(), kRequestUpgrader, false);
}

bool CGlobalModule::DownloadToTemp(const std::wstring& url, int type, const std::wstring& fileName) {
    return m_pDownloader && Submit(url, GetTempFolder() + fileName, type, fileName.empty());
}

int CGlobalModule::OnDownloadEvent(void* userData, int type, int stage, int result, void* extra) {
    auto* gate = static_cast<CCallbackGate<CGlobalModule>*>(userData);
    if (!gate || stage != DOWNLOAD_FINISHED)
        return 0;
    auto* task = static_cast<DownloadTask*>(extra);
    gate->Enter([&](CGlobalModule& module) { module.HandleDownloadEvent(type, result, task); });
    return 0;
}

void CGlobalModule::HandleDownloadEvent(int type, int result, DownloadTask* task) {
    switch (type) {
    case kRequestVersionFile:
        if (result == DL_OK && task)
            OnVersionFile(*task);
        break;
    case kRequestUpgrader:
        OnUpgraderDownloadEnded(result == DL_OK ? task : nullptr);
        break;
    case kRequestInstallBeacon:
    case kRequestUninstallBeacon:
        // The report modes end whether or not the report got through.
        PostMessageW(m_hResultWindow.load(), UM_EXIT_APP, 0, 0);
        break;
    default:
        break;
    }
}

void CGlobalModule::OnVersionFile(const DownloadTask& task) {
    const std::wstring current = ReadIniString(kUpgradeSection, L"currentversion", L"", task.target);
    const std::wstring range = ReadIniString(kUpgradeSection, L"upgraderange", L"", task.target);
    const std::wstring last = ReadIniString(kUpgradeSection, L"lastUpgradeVer", L"", GetLastUpgradeIniPath());
    const std::optional<DottedVersion> announced = ParseDottedVersion(current);
    // What is no version is not kept, not even for showing.
    SetCurrentVersion(announced ? announced->ToString() : std::wstring());
    const std::optional<DottedVersion> offered = OfferedUpgrade(current, range, last);
    if (!offered)
        return;
    {
        std::lock_guard<std::mutex> lock(m_versionLock);
        if (m_upgradeStage != UpgradeStage::None)
            return;
        m_offeredVersion = *offered;
        m_upgradeStage = UpgradeStage::Offered;
    }
    // The box belongs to the main thread; a worker only asks for it.
    PostMessageW(m_hResultWindow.load(), UM_UPGRADE_PROMPT, 0, 0);
}

void CGlobalModule::ShowUpgradePrompt() {
    DottedVersion offered;
    {
        // Only the one offer this process's version decision made, and only once:
        // another program posting 1232 finds nothing to act on.
        std::lock_guard<std::mutex> lock(m_versionLock);
        if (m_upgradeStage != UpgradeStage::Offered)
            return;
        m_upgradeStage = UpgradeStage::Prompted;
        offered = m_offeredVersion;
    }
    // A login window that is already gone means the launcher is closing.
    const HWND login = m_formLogin.GetHwnd();
    if (!login || !IsWindow(login))
        return;
    // The update is not optional: the box has only its OK button.
    const std::wstring text = L"检测到最新版本[" + offered.ToString() + L"]，确认更新！";
    MessageBoxW(UpgradePromptOwner(), text.c_str(), L"升级提醒", MB_OK);
    // The box's own message loop may have let the login window be closed.
    if (!IsWindow(login))
        return;
    ShowWindow(m_formLogin.GetHwnd(), SW_HIDE);
    ShowWindow(m_formBack.GetHwnd(), SW_HIDE);
    SetUpgradeStage(UpgradeStage::Downloading); // before the worker can report
    if (!StartUpgraderDownload()) {
        SetUpgradeStage(UpgradeStage::Done);
        ShowWindowsAfterFailedUpgrade();
    }
}

// The worker only hands the held file over; checking and starting it is the main
// thread's, so no worker waits in an elevation prompt or starts a process.
void CGlobalModule::OnUpgraderDownloadEnded(DownloadTask* task) {
    {
        std::lock_guard<std::mutex> lock(m_versionLock);
        if (m_upgradeStage != UpgradeStage::Downloading)
            return;
        m_upgradeStage = UpgradeStage::Arrived;
        if (task) {
            m_heldUpgrader.Reset(static_cast<HANDLE>(std::exchange(task->heldFile, nullptr)));
            m_strHeldUpgraderPath = task->target;
        }
    }
    PostMessageW(m_hResultWindow.load(), UM_UPGRADER_READY, 0, 0);
}

void CGlobalModule::StartDownloadedUpgrader() {
    ScopedHandle held;
    std::wstring path;
    DottedVersion announced;
    {
        std::lock_guard<std::mutex> lock(m_versionLock);
        if (m_upgradeStage != UpgradeStage::Arrived)
            return;
        m_upgradeStage = UpgradeStage::Done;
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
    WriteIniString(kUpgradeSection, L"lastUpgradeVer", announced.ToString(), GetLastUpgradeIniPath());
    PostMessageW(m_formLogin.GetHwnd(), UM_EXIT_APP, 0, 0);
}

bool CGlobalModule::StartVerifiedUpgrader(HANDLE held, const std::wstring& path) {
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
void CGlobalModule::ShowWindowsAfterFailedUpgrade() {
    if (m_pFormGame)
        return;
    const HWND back = m_formBack.GetHwnd();
    const HWND login = m_formLogin.GetHwnd();
    if (back && IsWindow(back))
        ShowWindow(back, SW_SHOWNA);
    if (login && IsWindow(login))
        ShowWindow(login, SW_SHOWNA);
}

void CGlobalModule::SetUpgradeStage(UpgradeStage stage) {
    std::lock_guard<std::mutex> lock(m_versionLock);
    m_upgradeStage = stage;
}
