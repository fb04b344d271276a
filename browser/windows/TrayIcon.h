// One notification-area icon of a window, owned like a handle: added on request,
// removed on request and, at the latest, when the owner goes, so no icon outlives
// the window it calls back. UI thread only.
#pragma once

#include <windows.h>

#include <shellapi.h>

class CTrayIcon {
public:
    // How the icon reaches the shell; Shell_NotifyIconW unless a test replaced it.
    using ShellCall = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAW data);

    CTrayIcon();
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Adds the icon (message, icon and tip) calling `window` back with
    // `callbackMessage`. True when it is in the notification area afterwards; an
    // icon already there stays as it is.
    bool Add(HWND window, UINT id, UINT callbackMessage, HICON icon, const wchar_t* tip);
    // Takes the icon away; false when there was none or the shell refused.
    bool Remove();
    // The shell has (probably) restarted and forgotten every icon: adds this one
    // again when it was there. False when it was there and is gone now.
    bool AddAgain();

    // Replaces the shell call for every icon (null restores Shell_NotifyIconW);
    // returns the one before.
    static ShellCall SetShellCall(ShellCall call);

private:
    NOTIFYICONDATAW m_nid;
    bool m_bAdded = false;
};
