// The global module's side of downloading: the version check once per run, the
// upgrader download, check and start, the temp-folder downloads of the reports,
// and the one completion handler of every request. The handler runs on a download
// worker thread and reaches the main thread's windows only by posting: the upgrade
// box is shown by the main thread (UM_UPGRADE_PROMPT), windows are shown with
// ShowWindowAsync and the launcher ends through a posted UM_EXIT_APP.
#include "app/GlobalModule.h"

#include "app/base/Handles.h"
#include "app/Messages.h"
#include "app/UpgradeRange.h"
#include "app/UpgraderSignature.h"
#include "app/base/Utils.h"
#include "net/HttpDownloader.h"

#include <objbase.h>
#include <shellapi.h>

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
constexpr wchar_t kUpgraderSwitches[] = L"/S /KOUPGRADE";

// The upgrader started in this (elevated) process's own way: the path as the
// application, " /S /KOUPGRADE" as the whole command line, hidden.
bool CreateUpgraderProcess(const std::wstring& path) {
    wchar_t commandLine[64] = L" ";
    wcscat_s(commandLine, kUpgraderSwitches);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(path.c_str(), commandLine, nullptr, nullptr, FALSE,
                        CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                        &process))
        return false;
    ScopedHandle thread(process.hThread);
    ScopedHandle child(process.hProcess);
    return true;
}

// Not elevated: the "runas" verb asks the user for elevation; a refusal fails.
bool ShellExecuteUpgraderElevated(const std::wstring& path) {
    // The shell may hand the start to extensions, which want COM on this thread;
    // the worker thread has none of its own.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    // Returns once the process exists, so the held file is not let go before.
    info.fMask = SEE_MASK_NOASYNC;
    info.hwnd = nullptr;
    info.lpVerb = L"runas";
    info.lpFile = path.c_str();
    info.lpParameters = kUpgraderSwitches;
    info.nShow = SW_SHOWNORMAL;
    const bool started = ShellExecuteExW(&info) != FALSE;
    if (SUCCEEDED(com))
        CoUninitialize();
    return started;
}

} // namespace

bool CGlobalModule::Submit(const std::wstring& url, const std::wstring& target, int type, bool nameFromUrl) {
    DownloadTask task;
    task.url = url;
    task.target = target;
    task.retries = 0;
    task.callback = &CGlobalModule::OnDownloadEvent;
    task.userData = this;
    task.requestType = type;
    task.nameFromUrl = nameFromUrl;
    task.guidPrefix = false;
    task.deleteOnFailure = true;
    task.maxBytes = type == kRequestUpgrader      ? kUpgraderMaxBytes
                    : type == kRequestVersionFile ? kVersionFileMaxBytes
                                                  : kBeaconMaxBytes;
    // The upgrader stays held from its last byte until it has been checked and started.
    task.holdFile = type == kRequestUpgrader;
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
    auto* self = static_cast<CGlobalModule*>(userData);
    if (!self || stage != DOWNLOAD_FINISHED)
        return 0;
    auto* task = static_cast<DownloadTask*>(extra);
    switch (type) {
    case kRequestVersionFile:
        if (result == DL_OK && task)
            self->OnVersionFile(*task);
        break;
    case kRequestUpgrader:
        if (result == DL_OK && task)
            self->OnUpgraderDownloaded(*task);
        else
            self->ShowLoginWindowsAgain();
        break;
    case kRequestInstallBeacon:
    case kRequestUninstallBeacon:
        // The report modes end whether or not the report got through.
        PostMessageW(self->m_formLogin.GetHwnd(), UM_EXIT_APP, 0, 0);
        break;
    default:
        break;
    }
    return 0;
}

void CGlobalModule::OnVersionFile(const DownloadTask& task) {
    const std::wstring current = ReadIniString(kUpgradeSection, L"currentversion", L"", task.target);
    const std::wstring range = ReadIniString(kUpgradeSection, L"upgraderange", L"", task.target);
    const std::wstring last = ReadIniString(kUpgradeSection, L"lastUpgradeVer", L"", GetLastUpgradeIniPath());
    SetCurrentVersion(current);
    if (!IsUpgradeOffered(current, range, last))
        return;
    // The box belongs to the main thread; a worker only asks for it.
    PostMessageW(m_formLogin.GetHwnd(), UM_UPGRADE_PROMPT, 0, 0);
}

void CGlobalModule::ShowUpgradePrompt() {
    const std::wstring current = GetCurrentVersion();
    // A login window that is already gone means the launcher is closing.
    const HWND login = m_formLogin.GetHwnd();
    if (!login || !IsWindow(login))
        return;
    // The update is not optional: the box has only its OK button.
    const std::wstring text = L"检测到最新版本[" + current + L"]，确认更新！";
    MessageBoxW(UpgradePromptOwner(), text.c_str(), L"升级提醒", MB_OK);
    // The box's own message loop may have let the login window be closed.
    if (!IsWindow(login))
        return;
    ShowWindow(m_formLogin.GetHwnd(), SW_HIDE);
    ShowWindow(m_formBack.GetHwnd(), SW_HIDE);
    if (!StartUpgraderDownload())
        ShowLoginWindowsAgain();
}

void CGlobalModule::OnUpgraderDownloaded(DownloadTask& task) {
    // The downloader hands the file over held open, read-only and sharing reading
    // only: what is checked below is what gets started, nothing can swap it between.
    ScopedHandle held(static_cast<HANDLE>(std::exchange(task.heldFile, nullptr)));
    if (!held || !IsTrustedUpgrader(held.Get(), task.target)) {
        // Whoever served it, it is not ours: gone, silently; the next run tries again.
        held.Reset();
        DeleteFileW(task.target.c_str());
        ShowLoginWindowsAgain();
        return;
    }
    const bool started =
        IsProcessElevated() ? CreateUpgraderProcess(task.target) : ShellExecuteUpgraderElevated(task.target);
    held.Reset();
    if (!started) {
        ShowLoginWindowsAgain();
        return;
    }
    // Once started for a version, that version is never offered again.
    WriteIniString(kUpgradeSection, L"lastUpgradeVer", GetCurrentVersion(), GetLastUpgradeIniPath());
    PostMessageW(m_formLogin.GetHwnd(), UM_EXIT_APP, 0, 0);
}

// After the upgrade failed the launcher goes on as it was: without this it would
// run on with no window at all. Asynchronous, because the main thread may be busy
// (or waiting for this worker) and a worker must not block on it.
void CGlobalModule::ShowLoginWindowsAgain() {
    const HWND back = m_formBack.GetHwnd();
    const HWND login = m_formLogin.GetHwnd();
    if (back && IsWindow(back))
        ShowWindowAsync(back, SW_SHOWNA);
    if (login && IsWindow(login))
        ShowWindowAsync(login, SW_SHOWNA);
}
