// The game window: a skinned window without a system caption that shows the game
// page, filling the work area when it opens.
#pragma once

#include "ui/KoForm.h"

#include <string>

class CFormGame : public CKoForm {
public:
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    virtual bool LayoutControls();
    // Builds the window and opens the URL.
    virtual bool Init(const std::wstring& url);

    // Shows the window filling the work area from the screen origin.
    bool MaximizeToWorkArea();

    std::wstring GetGameUrl() const { return m_strUrl; }
    bool m_bMaximized = false;

private:
    std::wstring m_strUrl;
};
