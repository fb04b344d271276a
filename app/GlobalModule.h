// The one process-wide application object. It is a static object, so it exists,
// with its configuration loaded, before the process entry runs, and it goes after
// the entry has returned. It owns the background form, the login window and the
// install record, points to the game and external-account login windows while
// they exist, and owns the HTTP downloader.
#pragma once

#include "app/CallbackGate.h"
#include "app/DottedVersion.h"
#include "app/base/AppModule.h"
#include "app/base/Handles.h"
#include "browser/windows/FormLogin.h"
#include "browser/windows/WindowHost.h"
#include "net/InstallRecord.h"
#include "ui/FormBack.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

class CFormGame;
class CFormQQLogin;
class CHttpDownloader;
struct DownloadTask;

// Values written by the main thread and read by the download workers.
class CSharedBrowserState {
public:
    void SetLastOpenedUrl(const std::wstring& url);
    std::wstring GetLastOpenedUrl() const;
    void SetRefererPending(bool pending);
    bool IsRefererPending() const;
    // Test and clear in one step: true (and the URL) when a referrer was pending.
    bool TakeRefererPending(std::wstring& url);

private:
    mutable std::mutex lock_;
    bool refererPending_ = false;
    std::wstring lastOpenedUrl_;
};

class CGlobalModule : public CMessageFilter, public IWindowHost, private IReportQueue {
public:
    CGlobalModule();
    virtual ~CGlobalModule();
    CGlobalModule(const CGlobalModule&) = delete;
    CGlobalModule& operator=(const CGlobalModule&) = delete;

    // The main loop's only filter: offers keyboard and mouse messages to the
    // foreground window's pre-translation (external login, login, game window).
    BOOL PreTranslateMessage(MSG* msg) override;

    // Settings and the values built from them; run once by the constructor.
    void LoadConfig();
    // This start's run counter: read, incremented and written back on first call
    // (0, file untouched, in the "/setupsucc" and "/ShowDeskTop" modes).
    int GetRunCount();

    std::wstring GetLoginUrl() const { return m_strLoginUrl; }
    std::wstring GetVersionFileUrl() const { return m_strVersionFileUrl; }
    std::wstring GetUpgraderUrl() const { return m_strUpgraderUrl; }
    std::wstring GetRefer() const { return m_strRefer; }
    std::wstring GetUid() const { return m_strUid; }
    int GetTopMost() const { return m_nTopMost; }
    std::wstring GetPlatformBrowserPath() const { return m_strPlatformBrowserPath; }

    bool IsActiveCounted();
    void SetActiveCounted();

    // Paths in the app-data folder; the folders are created when asked for.
    std::wstring GetAppDataFolder() const;
    std::wstring GetSettingsIniPath() const;
    std::wstring GetUpgradeFolder() const;
    std::wstring GetLastUpgradeIniPath() const;
    std::wstring GetUpgraderPath() const;

    // The logged-in user and the chosen server, written by the login window.
    void SetUserName(const std::wstring& name) override { m_strUserName = name; }
    std::wstring GetUserName() const { return m_strUserName; }
    void SetServerId(const std::wstring& id) override { m_strServerId = id; }
    std::wstring GetServerId() const { return m_strServerId; }

    // Shared with the download workers.
    std::wstring GetLastOpenedUrl() const { return m_shared.GetLastOpenedUrl(); }
    CSharedBrowserState& Shared() { return m_shared; }
    void SetCurrentVersion(const std::wstring& version);
    std::wstring GetCurrentVersion() const;

    // Started as administrator or by an elevated program: the URL overrides of the
    // settings file and the icon animation, both writable by any program of the
    // user, are ignored then, and the upgrader starts from a folder only
    // administrators can write. Read once, at start-up.
    bool IsElevatedRun() const { return m_bElevatedRun; }

    // Version check and self-update; the one completion handler of every request.
    // Main thread (the login window's): the workers post their results to it.
    void StartVersionCheck() override;
    // False when the request could not be queued (no downloader, no memory).
    bool DownloadToTemp(const std::wstring& url, int type, const std::wstring& fileName);
    // userData is the module's callback gate: after the module has closed it
    // (its destructor) a late callback touches nothing.
    static int OnDownloadEvent(void* userData, int type, int stage, int result, void* extra);
    // Main thread, on UM_UPGRADE_PROMPT: the upgrade box, then the windows hidden
    // and the upgrader requested. Acted on once, and only when this process's
    // version decision asked for it; any other 1232 does nothing.
    void ShowUpgradePrompt();
    // Main thread, on UM_UPGRADER_READY: the held upgrader is checked (signature,
    // signer, version) and started, or deleted; the windows come back on failure.
    void StartDownloadedUpgrader();

    // The game window's handle for the download workers, set by the main flow
    // while a game window exists (null otherwise).
    void PublishGameWindow(HWND window) { m_hGameWindow.store(window); }
    // The owner of the upgrade prompt: the game window while one exists, so the
    // player sees the box in front of the game, else the login window. Any thread.
    HWND UpgradePromptOwner() const;

    // External pages.
    std::wstring GetPayUrl() const;
    void OpenUrlInBrowser(const std::wstring& url) override;

    // What the windows get from the application (see WindowHost.h).
    HINSTANCE Instance() const override { return m_hInstance; }
    const wchar_t* WindowClassName() const override { return m_szClassName; }
    const wchar_t* WindowTitle() const override { return m_szTitle; }
    std::wstring LoginUrl() const override { return m_strLoginUrl; }
    void OpenPlatformPage(PlatformPage page) override;
    void OnLoginPageComplete() override;
    CFormBack& Backdrop() override { return m_formBack; }
    void ContinueExternalLogin(const std::wstring& url) override { m_formLogin.ContinueExternalLogin(url); }

    // Values stored by the process entry.
    HINSTANCE m_hInstance = nullptr;
    int m_nShowCmd = 0;
    wchar_t m_szTitle[100] = {};
    wchar_t m_szClassName[100] = {};

    CFormBack m_formBack;
    CFormLogin m_formLogin;
    CFormQQLogin* m_pFormQQLogin = nullptr;
    CFormGame* m_pFormGame = nullptr;
    CHttpDownloader* m_pDownloader = nullptr;
    CInstallRecord m_installRecord;

private:
    // The install record's reports go out as temp-folder downloads.
    bool QueueReport(const std::wstring& url, int requestType, const std::wstring& fileName) override;
    bool Submit(const std::wstring& url, const std::wstring& target, int type, bool nameFromUrl);
    bool StartUpgraderDownload();
    // Worker threads, under the callback gate.
    void HandleDownloadEvent(int type, int result, DownloadTask* task);
    void OnVersionFile(const DownloadTask& task);
    void OnUpgraderDownloadEnded(DownloadTask* task);
    // Main thread: the verified upgrader started (false: it could not be).
    bool StartVerifiedUpgrader(HANDLE held, const std::wstring& path);
    void ShowWindowsAfterFailedUpgrade();

    class CRefererFeed;
    std::unique_ptr<CRefererFeed> m_refererFeed;
    std::unique_ptr<CCallbackGate<CGlobalModule>> m_gate;

    // Where the self-update stands; each step is taken once, under m_versionLock.
    enum class UpgradeStage { None, Offered, Prompted, Downloading, Arrived, Done };
    void SetUpgradeStage(UpgradeStage stage);
    mutable std::mutex m_versionLock;
    std::wstring m_strCurrentVersion;
    UpgradeStage m_upgradeStage = UpgradeStage::None;
    DottedVersion m_offeredVersion;
    ScopedHandle m_heldUpgrader; // handed over by the worker, checked by the main thread
    std::wstring m_strHeldUpgraderPath;
    // The window the workers post their results to (the login window).
    std::atomic<HWND> m_hResultWindow{nullptr};
    bool m_bElevatedRun = false;
    std::wstring m_strLoginUrl;
    std::wstring m_strVersionFileUrl;
    std::wstring m_strUpgraderUrl;
    std::wstring m_strRefer;
    std::wstring m_strUid;
    int m_nTopMost = 0;
    std::wstring m_strUserName;
    std::wstring m_strServerId;
    int m_nRunCount = 0;
    std::wstring m_strPlatformBrowserPath;
    CSharedBrowserState m_shared;
    std::atomic<HWND> m_hGameWindow{nullptr};
};

// The application object (defined with the other process-wide statics, in the
// order they must be built).
extern CGlobalModule g_module;
// The application module of the message loop.
extern CAppModule g_appModule;
