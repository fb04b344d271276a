#include "browser/windows/TrayIcon.h"

#include <cwchar>

namespace {

CTrayIcon::ShellCall g_shellCall = Shell_NotifyIconW;

} // namespace

CTrayIcon::CTrayIcon() : m_nid() {
    // The size of this build's structure: a fixed 956 is right for 32-bit only.
    m_nid.cbSize = sizeof(NOTIFYICONDATAW);
}

CTrayIcon::~CTrayIcon() {
    Remove();
}

bool CTrayIcon::Add(HWND window, UINT id, UINT callbackMessage, HICON icon, const wchar_t* tip) {
    if (m_bAdded)
        return true;
    m_nid.hWnd = window;
    m_nid.uID = id;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = callbackMessage;
    m_nid.hIcon = icon;
    wcsncpy(m_nid.szTip, tip ? tip : L"", sizeof m_nid.szTip / sizeof m_nid.szTip[0] - 1);
    m_bAdded = g_shellCall(NIM_ADD, &m_nid) != FALSE;
    return m_bAdded;
}

bool CTrayIcon::Remove() {
    if (!m_bAdded)
        return false;
    m_bAdded = false;
    m_nid.uFlags = 0;
    return g_shellCall(NIM_DELETE, &m_nid) != FALSE;
}

bool CTrayIcon::AddAgain() {
    if (!m_bAdded)
        return true;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    // The message also comes when nothing was lost (Windows sends it on a change of
    // display scaling): an icon the shell still has refuses the add but takes a modify.
    m_bAdded = g_shellCall(NIM_ADD, &m_nid) != FALSE || g_shellCall(NIM_MODIFY, &m_nid) != FALSE;
    return m_bAdded;
}

CTrayIcon::ShellCall CTrayIcon::SetShellCall(ShellCall call) {
    const ShellCall previous = g_shellCall;
    g_shellCall = call ? call : Shell_NotifyIconW;
    return previous;
}
