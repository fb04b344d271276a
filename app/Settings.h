// What the launcher takes from the settings file and the build, read once at
// start-up, and the few counters it writes back. Each key has one writer here.
#pragma once

#include <string>

class CSettings {
public:
    // Reads every value. An elevated run ignores the settings file's URL
    // overrides: any program of the user can write that file.
    void Load(bool elevatedRun);

    const std::wstring& VersionFileUrl() const { return m_strVersionFileUrl; }
    const std::wstring& UpgraderUrl() const { return m_strUpgraderUrl; }
    const std::wstring& Refer() const { return m_strRefer; }
    const std::wstring& Uid() const { return m_strUid; }
    const std::wstring& PlatformBrowserPath() const { return m_strPlatformBrowserPath; }
    // The login page with the query that tells the platform who is starting.
    const std::wstring& LoginUrl() const { return m_strLoginUrl; }

    // This start's run counter: read, incremented and written back on first call
    // (0, file untouched, in the "/setupsucc" and "/ShowDeskTop" modes).
    int RunCount();
    // [Common] "ActiveCount": set once the first login page has completed.
    bool IsActiveCounted() const;
    void SetActiveCounted();

private:
    std::wstring m_strLoginUrl;
    std::wstring m_strVersionFileUrl;
    std::wstring m_strUpgraderUrl;
    std::wstring m_strRefer;
    std::wstring m_strUid;
    std::wstring m_strPlatformBrowserPath;
    int m_nRunCount = 0;
};
