// A host for the windows' tests: what the application would give them, with a
// record of what the windows asked of it. Its window class routes each message
// to the form bound to the window, as the application's does; the requests the
// application answers (entering the game, the external login) are only counted.
#pragma once

#include "browser/windows/WindowHost.h"
#include "ui/FormBack.h"

#include <functional>
#include <string>
#include <vector>

class FakeWindowHost : public IWindowHost {
public:
    explicit FakeWindowHost(std::wstring loginUrl);

    HINSTANCE Instance() const override { return GetModuleHandleW(nullptr); }
    const wchar_t* WindowClassName() const override { return kClassName; }
    const wchar_t* WindowTitle() const override { return L"OrvoValdrenna"; }
    std::wstring LoginUrl() const override { return loginUrl; }
    void OpenPlatformPage(PlatformPage page) override { pages.push_back(page); }
    void OpenUrlInBrowser(const std::wstring& url) override { openedUrls.push_back(url); }
    void SetUserName(const std::wstring& name) override { userName = name; }
    void SetServerId(const std::wstring& id) override { serverId = id; }
    void OnLoginPageComplete() override { ++pageCompletions; }
    void StartVersionCheck() override { ++versionChecks; }
    CFormBack& Backdrop() override { return backdrop; }
    void ContinueExternalLogin(const std::wstring& url) override;

    static constexpr const wchar_t* kClassName = L"OrvoGantryWindowsTest";

    std::wstring loginUrl;
    std::wstring userName;
    std::wstring serverId;
    std::vector<PlatformPage> pages;
    std::vector<std::wstring> openedUrls;
    std::vector<std::wstring> continuations;
    int pageCompletions = 0;
    int versionChecks = 0;
    // Posted requests the application would answer, by message.
    static int Requests(UINT message);
    // Called with each continuation (the login window's, in the application).
    std::function<void(const std::wstring&)> onContinue;
    CFormBack backdrop;
};
