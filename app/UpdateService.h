// The self-update: the version check once per run, the upgrade box, and the
// upgrader's download, checks and start. The download workers report the two
// requests here; the box and the start happen on the main thread, which the
// workers reach only by posting to the host's result window.
#pragma once

#include "app/DottedVersion.h"
#include "app/base/Handles.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

struct DownloadTask;

// What the update needs of the application.
class IUpdateHost {
public:
    // Queues a download whose completion comes back with its request type.
    virtual bool SubmitDownload(const std::wstring& url, const std::wstring& target, int type,
                                bool nameFromUrl) = 0;
    // The window the workers post their results to.
    virtual HWND ResultWindow() const = 0;
    // The windows hidden while the upgrader comes, and shown again when it fails.
    virtual HWND LoginWindow() const = 0;
    virtual HWND BackWindow() const = 0;
    virtual bool IsGameOpen() const = 0;

protected:
    ~IUpdateHost() = default;
};

class CUpdateService {
public:
    explicit CUpdateService(IUpdateHost& host) : m_host(host) {}
    CUpdateService(const CUpdateService&) = delete;
    CUpdateService& operator=(const CUpdateService&) = delete;

    void Configure(const std::wstring& versionFileUrl, const std::wstring& upgraderUrl, bool elevatedRun);
    const std::wstring& VersionFileUrl() const { return m_strVersionFileUrl; }
    const std::wstring& UpgraderUrl() const { return m_strUpgraderUrl; }

    // Paths in the app-data folder; the folder is created when asked for.
    static std::wstring UpgradeFolder();
    static std::wstring LastUpgradeIniPath();
    static std::wstring UpgraderPath();

    // Once per process: a failed check is not tried again in the same run.
    void StartVersionCheck();
    // Worker threads: the finished version file and upgrader requests.
    void OnVersionFileDone(int result, const DownloadTask* task);
    void OnUpgraderDone(int result, DownloadTask* task);
    // Main thread, on UM_UPGRADE_PROMPT: the upgrade box, then the windows hidden
    // and the upgrader requested. Acted on once, and only when this process's
    // version decision asked for it; any other 1232 does nothing.
    void ShowUpgradePrompt();
    // Main thread, on UM_UPGRADER_READY: the held upgrader is checked (signature,
    // signer, version) and started, or deleted; the windows come back on failure.
    // Once started, the launcher is asked to end.
    void StartDownloadedUpgrader();

    // The announced version, as parsed (empty before the check, or when none).
    void SetCurrentVersion(const std::wstring& version);
    std::wstring GetCurrentVersion() const;

    // The game window's handle for the download workers (null while none).
    void PublishGameWindow(HWND window) { m_hGameWindow.store(window); }
    // The owner of the upgrade prompt: the game window while one exists, so the
    // player sees the box in front of the game, else the login window. Any thread.
    HWND UpgradePromptOwner() const;

private:
    enum class UpgradeStage { None, Offered, Prompted, Downloading, Arrived, Done };
    void SetUpgradeStage(UpgradeStage stage);
    bool StartVerifiedUpgrader(HANDLE held, const std::wstring& path);
    void ShowWindowsAfterFailedUpgrade();

    IUpdateHost& m_host;
    std::wstring m_strVersionFileUrl;
    std::wstring m_strUpgraderUrl;
    bool m_bElevatedRun = false;
    // Where the self-update stands; each step is taken once, under m_lock.
    mutable std::mutex m_lock;
    std::wstring m_strCurrentVersion;
    UpgradeStage m_stage = UpgradeStage::None;
    DottedVersion m_offeredVersion;
    ScopedHandle m_heldUpgrader; // handed over by the worker, checked by the main thread
    std::wstring m_strHeldUpgraderPath;
    std::atomic<HWND> m_hGameWindow{nullptr};
};
