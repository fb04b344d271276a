#include "app/Settings.h"

#include "app/LoginUrl.h"
#include "app/base/Endpoints.h"
#include "app/base/InstallTime.h"
#include "app/base/PlatformBrowser.h"
#include "app/base/Utils.h"
#include "ui/TopMostSetting.h"

void CSettings::Load(bool elevatedRun) {
    m_nRunCount = 0;
    m_strVersionFileUrl = endpoints::VersionFileUrl();
    m_strUpgraderUrl = endpoints::UpgraderUrl();
    if (!elevatedRun) {
        m_strVersionFileUrl = ReadIniString(L"Common", L"VersionCheck", m_strVersionFileUrl);
        m_strUpgraderUrl = ReadIniString(L"Common", L"VersionDownLoad", m_strUpgraderUrl);
    }
    m_strRefer = ReadIniString(L"Common", L"Refer", L"orvoportal");
    m_strUid = ReadIniString(L"Common", L"UID", L"tavro");
    // The windows read TopMost from the toolkit, which keeps the one copy.
    SetTopMostSetting(ReadIniInt(L"Common", L"TopMost", 0));
    m_strPlatformBrowserPath = ::GetPlatformBrowserPath(L"\\OrvoExplorer.exe");

    LoginQueryValues query;
    query.refer = m_strRefer;
    query.uid = m_strUid;
    query.build = endpoints::kBuildNumber;
    query.installTime = StoredInstallTime();
    query.runCount = RunCount();
    query.currentTime = FormatTime(L"%Y%m%d%H%M%S", CurrentTime());
    m_strLoginUrl = BuildLoginUrl(endpoints::LoginPageUrl(), query);
}

int CSettings::RunCount() {
    if (m_nRunCount != 0)
        return m_nRunCount;
    // The report and desktop modes are not starts of the launcher a user sees.
    if (HasSwitch(L"/setupsucc") || HasSwitch(L"/ShowDeskTop"))
        return 0;
    m_nRunCount = ReadIniInt(L"Common", L"RunCount", 0) + 1;
    WriteIniString(L"Common", L"RunCount", std::to_wstring(m_nRunCount));
    return m_nRunCount;
}

bool CSettings::IsActiveCounted() const {
    return ReadIniInt(L"Common", L"ActiveCount", 0) == 1;
}

void CSettings::SetActiveCounted() {
    WriteIniString(L"Common", L"ActiveCount", L"1");
}
