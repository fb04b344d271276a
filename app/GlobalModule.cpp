#include "app/GlobalModule.h"

#include "app/base/Endpoints.h"
#include "app/base/PlatformBrowser.h"
#include "app/LoginUrl.h"
#include "app/base/Utils.h"
#include "browser/windows/FormGame.h"
#include "browser/windows/FormQQLogin.h"
#include "net/HttpDownloader.h"
#include "ui/TopMostSetting.h"

#include <new>

// How a GET after a page opened in the platform browser gets its referrer and
// cookie: the flag is tested and cleared in one step, the cookie is the start
// of the MAC id.
class CGlobalModule::CRefererFeed : public IRefererSource {
public:
    explicit CRefererFeed(CGlobalModule& module) : module_(module) {}
    bool Take(std::wstring& url, std::wstring& cookieData) override {
        if (!module_.Shared().TakeRefererPending(url))
            return false;
        cookieData = module_.m_installRecord.GetMacId().substr(0, 28);
        return true;
    }
    void PutBack() override { module_.Shared().SetRefererPending(true); }

private:
    CGlobalModule& module_;
};

void CSharedBrowserState::SetLastOpenedUrl(const std::wstring& url) {
    std::lock_guard<std::mutex> lock(lock_);
    lastOpenedUrl_ = url;
}

std::wstring CSharedBrowserState::GetLastOpenedUrl() const {
    std::lock_guard<std::mutex> lock(lock_);
    return lastOpenedUrl_;
}

void CSharedBrowserState::SetRefererPending(bool pending) {
    std::lock_guard<std::mutex> lock(lock_);
    refererPending_ = pending;
}

bool CSharedBrowserState::IsRefererPending() const {
    std::lock_guard<std::mutex> lock(lock_);
    return refererPending_;
}

bool CSharedBrowserState::TakeRefererPending(std::wstring& url) {
    std::lock_guard<std::mutex> lock(lock_);
    if (!refererPending_)
        return false;
    refererPending_ = false;
    url = lastOpenedUrl_;
    return true;
}

CGlobalModule::CGlobalModule() : m_formLogin(*this) {
    // The forms, the window pointers, the install record and the strings are
    // built by their member initialisers, in that order, before this runs.
    SetLoginWindow(&m_formLogin);
    m_bElevatedRun = IsProcessElevated();
    LoadConfig();
    // Without a downloader (or its callbacks' gate) every download and report is simply skipped.
    m_gate.reset(new (std::nothrow) CCallbackGate<CGlobalModule>(this));
    if (m_gate)
        m_pDownloader = new (std::nothrow) CHttpDownloader();
    if (m_pDownloader) {
        m_refererFeed.reset(new (std::nothrow) CRefererFeed(*this));
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

void CGlobalModule::LoadConfig() {
    m_nRunCount = 0;
    m_strLoginUrl = endpoints::LoginPageUrl();
    // Any program of the user can write the settings file: an elevated run takes
    // its URLs from the build only.
    m_strVersionFileUrl = endpoints::VersionFileUrl();
    m_strUpgraderUrl = endpoints::UpgraderUrl();
    if (!m_bElevatedRun) {
        m_strVersionFileUrl = ReadIniString(L"Common", L"VersionCheck", m_strVersionFileUrl);
        m_strUpgraderUrl = ReadIniString(L"Common", L"VersionDownLoad", m_strUpgraderUrl);
    }
    m_strRefer = ReadIniString(L"Common", L"Refer", L"orvoportal");
    m_strUid = ReadIniString(L"Common", L"UID", L"tavro");
    m_nTopMost = ReadIniInt(L"Common", L"TopMost", 0);
    SetTopMostSetting(m_nTopMost);
    m_strPlatformBrowserPath = ::GetPlatformBrowserPath(L"\\OrvoExplorer.exe");
    m_installRecord.SetReporting(this, m_strRefer, m_strUid);
    m_shared.SetRefererPending(false);
    m_shared.SetLastOpenedUrl(std::wstring());

    std::wstring installTime = ReadIniString(L"Install", L"InstallTime", L"");
    if (installTime.empty()) {
        installTime = FormatTime(L"%Y-%m-%d %H:%M:%S", CurrentTime());
        WriteIniString(L"Install", L"InstallTime", installTime);
    }

    LoginQueryValues query;
    query.refer = m_strRefer;
    query.uid = m_strUid;
    query.build = endpoints::kBuildNumber;
    query.installTime = installTime;
    query.runCount = GetRunCount();
    query.currentTime = FormatTime(L"%Y%m%d%H%M%S", CurrentTime());
    m_strLoginUrl = BuildLoginUrl(m_strLoginUrl, query);
}

bool CGlobalModule::QueueReport(const std::wstring& url, int requestType, const std::wstring& fileName) {
    return DownloadToTemp(url, requestType, fileName);
}

int CGlobalModule::GetRunCount() {
    if (m_nRunCount != 0)
        return m_nRunCount;
    // The report and desktop modes are not starts of the launcher a user sees.
    if (HasSwitch(L"/setupsucc") || HasSwitch(L"/ShowDeskTop"))
        return 0;
    m_nRunCount = ReadIniInt(L"Common", L"RunCount", 0) + 1;
    WriteIniString(L"Common", L"RunCount", std::to_wstring(m_nRunCount));
    return m_nRunCount;
}

bool CGlobalModule::IsActiveCounted() {
    return ReadIniInt(L"Common", L"ActiveCount", 0) == 1;
}

void CGlobalModule::SetActiveCounted() {
    WriteIniString(L"Common", L"ActiveCount", L"1");
}

std::wstring CGlobalModule::GetAppDataFolder() const {
    return ::GetAppDataFolder();
}

std::wstring CGlobalModule::GetSettingsIniPath() const {
    return ::GetSettingsIniPath();
}

std::wstring CGlobalModule::GetUpgradeFolder() const {
    const std::wstring folder = ::GetAppDataFolder() + L"Upgrade\\";
    MakeSureDirExists(folder.c_str());
    return folder;
}

std::wstring CGlobalModule::GetLastUpgradeIniPath() const {
    return GetUpgradeFolder() + L"LastUpgrade.ini";
}

std::wstring CGlobalModule::GetUpgraderPath() const {
    return GetUpgradeFolder() + L"OrvoGantryUpgrade.exe";
}

void CGlobalModule::SetCurrentVersion(const std::wstring& version) {
    std::lock_guard<std::mutex> lock(m_versionLock);
    m_strCurrentVersion = version;
}

std::wstring CGlobalModule::GetCurrentVersion() const {
    std::lock_guard<std::mutex> lock(m_versionLock);
    return m_strCurrentVersion;
}

HWND CGlobalModule::UpgradePromptOwner() const {
    const HWND game = m_hGameWindow.load();
    return game && IsWindow(game) ? game : m_formLogin.GetHwnd();
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
    if (!IsActiveCounted())
        SetActiveCounted();
}
