// The one process-wide application object. It is a static object, so it exists,
// with its configuration loaded, before the process entry runs, and it goes after
// the entry has returned. It owns the background form, the login window and the
// install record, points to the game and external-account login windows while
// they exist, and owns the HTTP downloader. Its parts have their own files: the
// settings (Settings.h), the session (Session.h), the external pages
// (ExternalPages.h) and the self-update (UpdateService.h); it forwards to them.
#pragma once

#include "app/CallbackGate.h"
#include "app/ExternalPages.h"
#include "app/Session.h"
#include "app/Settings.h"
#include "app/UpdateService.h"
#include "app/base/AppModule.h"
#include "app/base/Handles.h"
#include "browser/windows/FormLogin.h"
#include "browser/windows/WindowHost.h"
#include "net/InstallRecord.h"
#include "ui/FormBack.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

class CFormGame;
class CFormQQLogin;
class CHttpDownloader;
struct DownloadTask;

class CGlobalModule : public CMessageFilter, public IWindowHost, private IReportQueue, private IUpdateHost {
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
    int GetRunCount() { return m_settings.RunCount(); }

    std::wstring GetLoginUrl() const { return m_settings.LoginUrl(); }
    std::wstring GetVersionFileUrl() const { return m_update.VersionFileUrl(); }
    std::wstring GetUpgraderUrl() const { return m_update.UpgraderUrl(); }
    std::wstring GetRefer() const { return m_settings.Refer(); }
    std::wstring GetUid() const { return m_settings.Uid(); }
    std::wstring GetPlatformBrowserPath() const { return m_pages.PlatformBrowserPath(); }

    bool IsActiveCounted() { return m_settings.IsActiveCounted(); }
    void SetActiveCounted() { m_settings.SetActiveCounted(); }

    // Paths in the app-data folder; the folders are created when asked for.
    std::wstring GetAppDataFolder() const;
    std::wstring GetSettingsIniPath() const;
    std::wstring GetUpgradeFolder() const { return CUpdateService::UpgradeFolder(); }
    std::wstring GetLastUpgradeIniPath() const { return CUpdateService::LastUpgradeIniPath(); }
    std::wstring GetUpgraderPath() const { return CUpdateService::UpgraderPath(); }

    // The logged-in user and the chosen server, written by the login window.
    void SetUserName(const std::wstring& name) override { m_session.SetUserName(name); }
    std::wstring GetUserName() const { return m_session.UserName(); }
    void SetServerId(const std::wstring& id) override { m_session.SetServerId(id); }
    std::wstring GetServerId() const { return m_session.ServerId(); }

    // Shared with the download workers.
    std::wstring GetLastOpenedUrl() const { return m_session.Shared().GetLastOpenedUrl(); }
    CSharedBrowserState& Shared() { return m_session.Shared(); }
    void SetCurrentVersion(const std::wstring& version) { m_update.SetCurrentVersion(version); }
    std::wstring GetCurrentVersion() const { return m_update.GetCurrentVersion(); }

    // Started as administrator or by an elevated program: the URL overrides of the
    // settings file and the icon animation, both writable by any program of the
    // user, are ignored then, and the upgrader starts from a folder only
    // administrators can write. Read once, at start-up.
    bool IsElevatedRun() const { return m_bElevatedRun; }

    // Downloads. Each finished request goes to its owner's completion, chosen by
    // its request type (RequestTypes.h): the update's, or the report modes' end.
    void StartVersionCheck() override;
    // False when the request could not be queued (no downloader, no memory).
    bool DownloadToTemp(const std::wstring& url, int type, const std::wstring& fileName);
    // userData is the module's callback gate: after the module has closed it
    // (its destructor) a late callback touches nothing.
    static int OnDownloadEvent(void* userData, int type, int stage, int result, void* extra);
    // Main thread, on UM_UPGRADE_PROMPT and UM_UPGRADER_READY (UpdateService.h).
    void ShowUpgradePrompt() { m_update.ShowUpgradePrompt(); }
    void StartDownloadedUpgrader() { m_update.StartDownloadedUpgrader(); }

    // The game window's handle for the download workers, set by the main flow
    // while a game window exists (null otherwise).
    void PublishGameWindow(HWND window) { m_update.PublishGameWindow(window); }
    HWND UpgradePromptOwner() const { return m_update.UpgradePromptOwner(); }

    // External pages.
    std::wstring GetPayUrl() const { return m_pages.GetPayUrl(); }
    void OpenUrlInBrowser(const std::wstring& url) override { m_pages.OpenUrlInBrowser(url); }

    // What the windows get from the application (see WindowHost.h).
    HINSTANCE Instance() const override { return m_hInstance; }
    const wchar_t* WindowClassName() const override { return m_szClassName; }
    const wchar_t* WindowTitle() const override { return m_szTitle; }
    std::wstring LoginUrl() const override { return m_settings.LoginUrl(); }
    void OpenPlatformPage(PlatformPage page) override { m_pages.OpenPlatformPage(page); }
    void OnLoginPageComplete() override;
    CFormBack& Backdrop() override { return m_formBack; }
    void ContinueExternalLogin(const std::wstring& url) override { m_formLogin.ContinueExternalLogin(url); }

    // Stored by the process entry before any window exists: the instance, the
    // window title and the one window class name (each cut to 99 characters).
    void SetProcessValues(HINSTANCE instance, const wchar_t* title, const wchar_t* className);

    // Swaps the downloader (owned from then on; null for none) before any request
    // has started it. The report modes' checks run with one without workers, or none.
    void ReplaceIdleDownloader(CHttpDownloader* downloader);

    CFormLogin& LoginForm() { return m_formLogin; }
    CInstallRecord& InstallRecord() { return m_installRecord; }
    // The windows made on request, null while none exists. The main flow alone
    // creates and forgets them, through their slots.
    CFormGame* GameForm() const { return m_pFormGame; }
    CFormQQLogin* ExternalLoginForm() const { return m_pFormQQLogin; }
    CFormGame*& GameFormSlot() { return m_pFormGame; }
    CFormQQLogin*& ExternalLoginFormSlot() { return m_pFormQQLogin; }

private:
    HINSTANCE m_hInstance = nullptr;
    wchar_t m_szTitle[100] = {};
    wchar_t m_szClassName[100] = {};

    CFormBack m_formBack;
    CFormLogin m_formLogin;
    CFormQQLogin* m_pFormQQLogin = nullptr;
    CFormGame* m_pFormGame = nullptr;
    CHttpDownloader* m_pDownloader = nullptr;
    CInstallRecord m_installRecord;

    // The install record's reports go out as temp-folder downloads.
    bool QueueReport(const std::wstring& url, int requestType, const std::wstring& fileName) override;
    // What the update asks of the application.
    bool SubmitDownload(const std::wstring& url, const std::wstring& target, int type,
                        bool nameFromUrl) override;
    HWND ResultWindow() const override { return m_hResultWindow.load(); }
    HWND LoginWindow() const override { return m_formLogin.GetHwnd(); }
    HWND BackWindow() const override { return m_formBack.GetHwnd(); }
    bool IsGameOpen() const override { return m_pFormGame != nullptr; }
    // Worker threads, under the callback gate.
    void HandleDownloadEvent(int type, int result, DownloadTask* task);

    CSettings m_settings;
    CSession m_session;
    CExternalPages m_pages{m_session, m_installRecord};
    CUpdateService m_update{*this};
    std::unique_ptr<CRefererFeed> m_refererFeed;
    std::unique_ptr<CCallbackGate<CGlobalModule>> m_gate;
    // The window the workers post their results to (the login window).
    std::atomic<HWND> m_hResultWindow{nullptr};
    bool m_bElevatedRun = false;
};

// The application object (defined with the other process-wide statics, in the
// order they must be built).
extern CGlobalModule g_module;
// The application module of the message loop.
extern CAppModule g_appModule;
