#include "app/GlobalModule.h"

#include "app/base/Utils.h"
#include "browser/windows/FormGame.h"
#include "browser/windows/FormQQLogin.h"
#include "net/HttpDownloader.h"

#include <new>

CGlobalModule::CGlobalModule() : m_formLogin(*this) {
    // The forms, the window pointers, the install record and the parts are built
    // by their member initialisers, in that order, before this runs.
    SetLoginWindow(&m_formLogin);
    m_bElevatedRun = IsProcessElevated();
    LoadConfig();
    // Without a downloader (or its callbacks' gate) every download and report is simply skipped.
    m_gate.reset(new (std::nothrow) CCallbackGate<CGlobalModule>(this));
    if (m_gate)
        m_pDownloader = new (std::nothrow) CHttpDownloader();
    if (m_pDownloader) {
        m_refererFeed.reset(new (std::nothrow) CRefererFeed(m_session, m_installRecord));
        m_pDownloader->SetRefererSource(m_refererFeed.get());
    }
}

CGlobalModule::~CGlobalModule() {
    // The workers call back into this object, so they stop before anything else goes.
    // The gate closes first: a callback still running is waited for, none touches
    // this object afterwards. A worker still inside a request keeps the downloader,
    // the gate and the referrer source it may use: they are left to the process's
    // exit, which follows at once.
    if (m_gate)
        m_gate->Close();
    if (m_pDownloader) {
        if (m_pDownloader->StopAll()) {
            delete m_pDownloader;
        } else {
            m_refererFeed.release();
            m_gate.release();
        }
        m_pDownloader = nullptr;
    }
}

void CGlobalModule::SetProcessValues(HINSTANCE instance, const wchar_t* title, const wchar_t* className) {
    m_hInstance = instance;
    lstrcpynW(m_szTitle, title, ARRAYSIZE(m_szTitle));
    lstrcpynW(m_szClassName, className, ARRAYSIZE(m_szClassName));
}

void CGlobalModule::ReplaceIdleDownloader(CHttpDownloader* downloader) {
    delete m_pDownloader; // never started: no worker uses it
    m_pDownloader = downloader;
}

void CGlobalModule::LoadConfig() {
    m_settings.Load(m_bElevatedRun);
    m_update.Configure(m_settings.VersionFileUrl(), m_settings.UpgraderUrl(), m_bElevatedRun);
    m_pages.SetPlatformBrowserPath(m_settings.PlatformBrowserPath());
    m_installRecord.SetReporting(this, m_settings.Refer(), m_settings.Uid());
    m_session.Shared().SetRefererPending(false);
    m_session.Shared().SetLastOpenedUrl(std::wstring());
}

std::wstring CGlobalModule::GetAppDataFolder() const {
    return ::GetAppDataFolder();
}

std::wstring CGlobalModule::GetSettingsIniPath() const {
    return ::GetSettingsIniPath();
}

BOOL CGlobalModule::PreTranslateMessage(MSG* msg) {
    const HWND foreground = GetForegroundWindow();
    if (m_pFormQQLogin && m_pFormQQLogin->GetHwnd() && m_pFormQQLogin->GetHwnd() == foreground &&
        m_pFormQQLogin->PreTranslateMessage(msg))
        return TRUE;
    const HWND login = m_formLogin.GetHwnd();
    if (login && IsWindowVisible(login) && login == foreground && m_formLogin.PreTranslateMessage(msg))
        return TRUE;
    if (m_pFormGame && m_pFormGame->GetHwnd() && m_pFormGame->GetHwnd() == foreground &&
        m_pFormGame->PreTranslateMessage(msg))
        return TRUE;
    return FALSE;
}

void CGlobalModule::OnLoginPageComplete() {
    m_installRecord.SendActiveBeacon();
    if (!m_settings.IsActiveCounted())
        m_settings.SetActiveCounted();
}
