// Who is playing and what was last opened outside: written by the main thread
// during a run, the opened page also read by the download workers.
#pragma once

#include <mutex>
#include <string>

// Values written by the main thread and read by the download workers.
class CSharedBrowserState {
public:
    void SetLastOpenedUrl(const std::wstring& url);
    std::wstring GetLastOpenedUrl() const;
    void SetRefererPending(bool pending);
    // Test and clear in one step: true (and the URL) when a referrer was pending.
    bool TakeRefererPending(std::wstring& url);

private:
    mutable std::mutex lock_;
    bool refererPending_ = false;
    std::wstring lastOpenedUrl_;
};

class CSession {
public:
    // The logged-in user and the chosen server, written by the login window.
    void SetUserName(const std::wstring& name) { m_strUserName = name; }
    const std::wstring& UserName() const { return m_strUserName; }
    void SetServerId(const std::wstring& id) { m_strServerId = id; }
    const std::wstring& ServerId() const { return m_strServerId; }

    // The page last opened in a browser, and whether the platform browser's
    // referrer for it is still to be sent; shared with the download workers.
    CSharedBrowserState& Shared() { return m_shared; }
    const CSharedBrowserState& Shared() const { return m_shared; }

private:
    std::wstring m_strUserName;
    std::wstring m_strServerId;
    CSharedBrowserState m_shared;
};
