// The external-account (QQ, Weibo) login window: a small window showing the
// provider's page, which hands the continuation address back to the login window.
#pragma once

#include "ui/KoForm.h"

#include <string>

class CFormQQLogin : public CKoForm {
public:
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    // Builds the window and opens the provider's page.
    virtual bool Init(const std::wstring& url);

    // Shows the window at its own size, centred in the work area.
    bool ShowCenteredInWorkArea();

    std::wstring GetLoginUrl() const { return m_strUrl; }

private:
    std::wstring m_strUrl;
};
