// What the login, game and external-login windows need from the application, in
// one small interface, so the windows build and test without it. Main thread only;
// the host outlives every window it is given to.
#pragma once

#include <windows.h>

#include <string>

class CFormBack;

// The platform pages the windows' link buttons open.
enum class PlatformPage { Home, Pay, Service, Forum };

class IWindowHost {
public:
    // The module holding the resources, and the class and title every top-level
    // window of the launcher is created with.
    virtual HINSTANCE Instance() const = 0;
    virtual const wchar_t* WindowClassName() const = 0;
    virtual const wchar_t* WindowTitle() const = 0;

    // The settings the windows read: the login page's address.
    virtual std::wstring LoginUrl() const = 0;

    // Opens a platform page, or any address a page hands over, in the player's
    // browser (only web addresses leave the launcher).
    virtual void OpenPlatformPage(PlatformPage page) = 0;
    virtual void OpenUrlInBrowser(const std::wstring& url) = 0;

    // What the login page's markers said: the user name, and the server chosen for
    // the game (empty: none).
    virtual void SetUserName(const std::wstring& name) = 0;
    virtual void SetServerId(const std::wstring& id) = 0;
    // The login page's first document has completed: the activity report.
    virtual void OnLoginPageComplete() = 0;
    // The version check (once per process; later calls do nothing).
    virtual void StartVersionCheck() = 0;

    // The backdrop the login window lies on and is owned by.
    virtual CFormBack& Backdrop() = 0;
    // An external-account login has finished: the login window's page continues at url.
    virtual void ContinueExternalLogin(const std::wstring& url) = 0;

protected:
    ~IWindowHost() = default;
};
