// The external-account (QQ, Weibo) login window: a small window of its own (own
// taskbar button, no owner, topmost when the TopMost setting is 1, like the login
// window) showing the provider's page. When the
// provider sends its browser to the platform's return address, the login window's
// browser continues at the address it carries and this window closes; the marker
// "wd_returnlogin=1" closes it too. Its owner creates one per request, closes
// an older one first and frees the object once its window is gone.
#pragma once

#include "browser/host/BrowserView.h"
#include "browser/windows/WindowHost.h"
#include "ui/KoButton.h"
#include "ui/KoForm.h"
#include "ui/KoImage.h"
#include "ui/KoLabel.h"

#include <string>

class CFormQQLogin : public CKoForm {
public:
    explicit CFormQQLogin(IWindowHost& host);

    // A press on the title bar or its text drags the window.
    bool OnLButtonDown(WPARAM flags, POINT pt) override;
    // The close button closes without a question.
    bool OnLButtonUp(WPARAM flags, POINT pt) override;
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The login window's key filter: key releases, Tab, Enter, Delete and the
    // clipboard and undo shortcuts go to the browser first.
    BOOL PreTranslateMessage(MSG* msg) override;
    // Builds the window, its controls and its browser, and opens url. False when
    // the window cannot be created; a browser that cannot be made leaves the
    // window empty, for the player to close.
    virtual bool Init(const std::wstring& url);
    // Places the browser and the controls for the client size.
    virtual bool LayoutControls();

    // Shows the window at its bounds' size, centred in the work area (topmost when
    // the TopMost setting is 1); false when
    // there is no window (also when it closed itself while opening its page).
    bool ShowCenteredInWorkArea();

    // Nothing outside holds the browser's COM parts any more: the object may go.
    bool CanBeFreed() const { return !m_view.IsReferenced(); }

private:
    // Subscribed to the view's notifier.
    void OnWebNotify(unsigned int kind, WebNotifyWParam wParam, WebNotifyLParam lParam);
    void OnBeforeNavigate();

    CKoImage m_title;
    CKoImage m_leftBorder;
    CKoImage m_rightBorder;
    CKoImage m_bottomBorder;
    CKoButton m_btnClose;
    CKoLabel m_lblTitle;
    IWindowHost& m_host;
    CBrowserView m_view;
};
