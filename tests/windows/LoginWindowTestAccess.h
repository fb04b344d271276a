// The login window's private parts, for tests that stand in for its page: they
// raise the browser's events through the view, or set what a page's marker URL
// would have left behind.
#pragma once

#include "browser/windows/FormLogin.h"

#include <string>

struct LoginWindowTestAccess {
    static CBrowserView& View(CFormLogin& login) { return login.m_view; }
    static void SetGameUrl(CFormLogin& login, const std::wstring& url) { login.m_strGameUrl = url; }
    static void SetExternalLoginUrl(CFormLogin& login, const std::wstring& url) {
        login.m_strExternalLoginUrl = url;
    }
    // A copy of the window's state, to ask what it would decide next.
    static CLoginState State(const CFormLogin& login) { return login.m_state; }
};
