// Pages the launcher opens outside itself: the platform's pages in the platform
// browser when it is installed, else in Internet Explorer or the default
// browser, each opening reported to the union statistics.
#pragma once

#include "app/Session.h"
#include "browser/windows/WindowHost.h"
#include "net/HttpDownloader.h"

#include <string>

class CInstallRecord;

class CExternalPages {
public:
    CExternalPages(CSession& session, CInstallRecord& record) : m_session(session), m_record(record) {}

    // Found once at start-up; checked again for each opening.
    void SetPlatformBrowserPath(const std::wstring& path) { m_strPlatformBrowserPath = path; }
    const std::wstring& PlatformBrowserPath() const { return m_strPlatformBrowserPath; }

    // The pay page for the logged-in user and server.
    std::wstring GetPayUrl() const;
    // Only web addresses leave the launcher; anything else is dropped.
    void OpenUrlInBrowser(const std::wstring& url);
    void OpenPlatformPage(PlatformPage page);

private:
    CSession& m_session;
    CInstallRecord& m_record;
    std::wstring m_strPlatformBrowserPath;
};

// How a GET after a page opened in the platform browser gets its referrer and
// cookie: the flag is tested and cleared in one step, the cookie is the start
// of the MAC id. Runs on the download workers.
class CRefererFeed : public IRefererSource {
public:
    CRefererFeed(CSession& session, const CInstallRecord& record) : m_session(session), m_record(record) {}
    bool Take(std::wstring& url, std::wstring& cookieData) override;
    void PutBack() override { m_session.Shared().SetRefererPending(true); }

private:
    CSession& m_session;
    const CInstallRecord& m_record;
};
