// The login window: a colour-keyed layered window lying exactly on the background
// form. It receives the application's exit requests, and its WM_DESTROY ends the
// application. The login page, its buttons and the marker URLs come with the
// browser view.
#pragma once

#include "ui/KoForm.h"

#include <string>

class CFormLogin : public CKoForm {
public:
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    // Builds the window, owned by the background form's window.
    virtual bool Init();

    // The window alone, unowned and hidden: the message target of the report and
    // desktop start modes.
    bool CreateWindowOnly();

    std::wstring GetGameUrl() const { return m_strGameUrl; }
    std::wstring GetExternalLoginUrl() const { return m_strExternalLoginUrl; }
    // The game window has closed.
    void ReturnFromGame();

    bool m_bReturnedFromGame = false;
    std::wstring m_strGameUrl;
    std::wstring m_strExternalLoginUrl;
};
