#include "app/ExternalPages.h"

#include "app/base/Endpoints.h"
#include "app/base/ExternalPageRules.h"
#include "app/base/PlatformBrowser.h"
#include "net/InstallRecord.h"

#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>

std::wstring CExternalPages::GetPayUrl() const {
    return endpoints::PayPageUrl(m_session.ServerId(), m_session.UserName());
}

void CExternalPages::OpenUrlInBrowser(const std::wstring& url) {
    // Pages hand over what they like; only web addresses leave the launcher, never
    // a file, a share or a program behind a protocol.
    if (!IsWebAddress(url))
        return;
    const std::wstring browser = m_strPlatformBrowserPath;
    // Checked for each opening: the browser may have been removed meanwhile.
    const bool platformBrowser = !browser.empty() && PathFileExistsW(browser.c_str());
    // The URL is stored before the flag is raised, so a worker that takes the
    // flag always finds this URL with it.
    m_session.Shared().SetLastOpenedUrl(url);
    m_session.Shared().SetRefererPending(platformBrowser);
    if (platformBrowser) {
        RunProgram(browser, UrlAsSingleArgument(url));
    } else {
        const std::wstring ie = GetInternetExplorerPath();
        const INT_PTR started =
            ie.empty()
                ? 0
                : reinterpret_cast<INT_PTR>(ShellExecuteW(
                      nullptr, L"open", ie.c_str(), UrlAsSingleArgument(url).c_str(), nullptr, SW_SHOW));
        if (started <= 32)
            ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOW);
    }
    m_record.SendUnionStats(platformBrowser, url);
}

void CExternalPages::OpenPlatformPage(PlatformPage page) {
    switch (page) {
    case PlatformPage::Home:
        OpenUrlInBrowser(endpoints::HomePageUrl());
        break;
    case PlatformPage::Pay:
        OpenUrlInBrowser(GetPayUrl());
        break;
    case PlatformPage::Service:
        OpenUrlInBrowser(endpoints::ServicePageUrl());
        break;
    case PlatformPage::Forum:
        OpenUrlInBrowser(endpoints::ForumPageUrl());
        break;
    }
}

bool CRefererFeed::Take(std::wstring& url, std::wstring& cookieData) {
    if (!m_session.Shared().TakeRefererPending(url))
        return false;
    cookieData = m_record.GetMacId().substr(0, 28);
    return true;
}
