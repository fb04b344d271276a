// The window in which the user logs in: a colour-keyed layered window of 1200 x 760
// lying exactly on the background form, holding the embedded browser with the
// platform's login page, a row of link buttons, minimise and close buttons and a
// network-error label with a retry action. The login happens in the page; the
// window learns its outcome from the URLs the page navigates to. Its WM_DESTROY
// ends the application.
#pragma once

#include "browser/host/BrowserView.h"
#include "browser/windows/LoginLayout.h"
#include "browser/windows/WindowHost.h"
#include "browser/windows/LoginState.h"
#include "ui/KoButton.h"
#include "ui/KoForm.h"
#include "ui/KoImage.h"
#include "ui/KoLabel.h"

#include <string>

class CFormLogin : public CKoForm {
public:
    explicit CFormLogin(IWindowHost& host);

    bool OnLButtonDown(WPARAM flags, POINT pt) override;
    bool OnLButtonUp(WPARAM flags, POINT pt) override;
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Tab, Enter, Delete, the clipboard and undo shortcuts and key releases go to
    // the browser first; a press brings the backdrop under this window again.
    BOOL PreTranslateMessage(MSG* msg) override;
    // Builds the window (owned by the background form's window), its controls and
    // its browser, and opens the login page. A browser that cannot be created or
    // asked for the page shows the network-error state with its retry instead.
    // False only when the window itself cannot be created.
    virtual bool Init();

    // The window alone, unowned and hidden, without controls or browser: the
    // message target of the report and desktop start modes.
    bool CreateWindowOnly();

    std::wstring GetGameUrl() const { return m_strGameUrl; }
    std::wstring GetExternalLoginUrl() const { return m_strExternalLoginUrl; }
    // The game window has closed: the page starts a new login, and from now on
    // errors and first completions no longer move or re-show the window.
    void ReturnFromGame();
    // An external-account login has finished: the login page continues at url.
    void ContinueExternalLogin(const std::wstring& url);

    // What the status label says (empty while loading; seen only while the
    // browser is moved away).
    std::wstring GetStatusText() const { return m_lblStatus.GetText(); }
    // True once the page has arrived or failed and the window was placed for it;
    // parking it off screen after that would hide it for good.
    bool HasShownPageResult() const { return m_state.HasShownPageResult(); }

private:
    friend struct LoginWindowTestAccess; // tests raise the browser's events through the view

    // Subscribed to the view's notifier.
    void OnWebNotify(unsigned int kind, WebNotifyWParam wParam, WebNotifyLParam lParam);
    void OnBeforeNavigate();
    void OnNewWindow();
    void OnStatusLabelClicked();
    // The page or the browser failed: the retry label, the window placed as the state says.
    void ShowNetworkError();
    // Centres the window on the work area (or keeps it in place after a retry) with
    // the browser shown, or moved away with the retry label when the page failed.
    void ShowLoginState(bool error, bool keepPosition);
    // Creates the view when it does not exist yet and asks it for the login page;
    // false when there is no browser or it refused at once.
    bool OpenLoginPage();
    void AddButton(CKoButton& button, UINT normal, UINT hover, LoginSlot slot);
    // The quit question; true on Yes.
    bool ConfirmQuit();

    CKoImage m_background;
    CKoButton m_btnClose;
    CKoButton m_btnMinimize;
    CKoButton m_btnHome;
    CKoButton m_btnService;
    CKoButton m_btnPay;
    CKoButton m_btnForum;
    IWindowHost& m_host;
    CBrowserView m_view;
    CKoLabel m_lblStatus;
    CLoginState m_state;
    bool m_subscribed = false; // OnWebNotify is subscribed to the view's notifier
    std::wstring m_strGameUrl;
    std::wstring m_strExternalLoginUrl;
};
