// The window in which the game is played: a skinned window without a system
// caption, with its own title bar (title image, icon, title text, a row of
// buttons) above a browser view showing the game page. It opens filling the work
// area and switches between that and a centred window of its bounds' size. Its
// buttons open platform pages, minimise it, hide it to the tray, open the
// settings menu (refresh, clear cache, start at logon) and close it.
//
// Its owner creates one object per entry into the game; the window's messages
// reach it through its binding to the form. The window ends by its close button,
// WM_CLOSE, the tray menu's exit or a page navigating to "wd_returnlogin=1"; the
// owner then retires the object at its last message and frees it from the message
// loop, when none of its code is running.
// The tray icon goes with the window on every path.
#pragma once

#include "browser/host/BrowserView.h"
#include "browser/windows/WindowHost.h"
#include "browser/windows/TrayIcon.h"
#include "ui/KoButton.h"
#include "ui/KoForm.h"
#include "ui/KoImage.h"
#include "ui/KoLabel.h"

#include <string>

class CFormGame : public CKoForm {
public:
    explicit CFormGame(IWindowHost& host);
    ~CFormGame() override;

    bool OnLButtonDown(WPARAM flags, POINT pt) override;
    bool OnLButtonUp(WPARAM flags, POINT pt) override;
    bool OnLButtonDblClk(WPARAM flags, POINT pt) override;
    void OnActivate(WPARAM wParam, LPARAM lParam) override;
    // Asks before WM_CLOSE ends the game (one question at a time); answers the tray
    // icon and a restarted shell. The window's WM_DESTROY is its owner's (the login
    // window comes back) and never comes here; its WM_NCDESTROY does, and clears the handle.
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Every keyboard and mouse message goes to the browser first.
    BOOL PreTranslateMessage(MSG* msg) override;
    // Places the controls and the view for the current client size: after each
    // change of size (maximise, restore) and on activation, unless minimised.
    virtual bool LayoutControls();
    // Builds the window (unowned, hidden), its controls and its browser, and opens
    // the URL. False when the window or its browser cannot be made; a window made
    // on the way is destroyed again, so nothing is left behind.
    virtual bool Init(const std::wstring& url);

    // Shown over the work area from the screen origin; false without a window.
    bool MaximizeToWorkArea();
    // Shown at the bounds' size, centred in the work area; false without a window.
    bool RestoreCentered();
    // The settings menu below its button; true when a command was carried out.
    bool ShowMainMenu();
    // Shown, un-minimised and in front, its tray icon gone (a second request to
    // enter the game while this window exists).
    void BringToFront();

    // The tray icon. Hiding adds it; when the shell refuses the icon the window is
    // minimised instead, as a hidden window without an icon could not come back.
    void HideToTray();
    // False when there was no icon.
    bool DeleteTrayIcon();
    // The icon's callback: a click or double click brings the window back, the
    // right button opens the tray menu.
    void OnTrayIcon(UINT mouseMessage);
    void ShowTrayMenu();

    // Start at logon: the value "OrvoValdrenna" in the current user's Run key.
    // Any value counts as set, also one written by a copy at another path.
    static bool IsAutoRunSet();
    // Writes "\"<this program>\" /autorun" or removes the value; false on failure
    // (also when this program's path was too long to read whole).
    static bool SetAutoRun(bool on);

    std::wstring GetGameUrl() const { return m_strUrl; }
    // Nothing outside holds the browser's COM parts any more: the object may go.
    bool CanBeFreed() const { return !m_view.IsReferenced(); }

private:
    friend struct GameWindowTestAccess; // tests reach the view's sink and the controls

    void OnWebNotify(unsigned int kind, WebNotifyWParam wParam, WebNotifyLParam lParam);
    void OnTaskbarCreated();
    bool IsDragArea(const CKoBaseControl* control) const;
    // The maximise button: restored and centred when maximised, else maximised.
    void ToggleMaximized();
    // Runs a popup menu at a screen point for this window; the chosen command or 0.
    UINT TrackMenu(HMENU popup, POINT at);
    // The quit question; the window closes on Yes, and with closeUnlessNo also when
    // the box could not be shown. The last thing its caller does.
    void AskAndClose(const wchar_t* question, bool closeUnlessNo);

    CKoImage m_imgTitle;
    CKoButton m_btnClose;
    CKoButton m_btnMinimize;
    CKoButton m_btnMaximize;
    CKoButton m_btnTray;
    CKoButton m_btnSettings;
    CKoButton m_btnForum;
    CKoButton m_btnOfficialSite;
    CKoButton m_btnPay;
    CKoButton m_btnService;
    CKoImage m_imgIcon;
    CKoLabel m_lblTitle;
    IWindowHost& m_host;
    CBrowserView m_view;
    CTrayIcon m_tray; // after the view: the icon goes first
    bool m_bMaximized = false;
    bool m_bAsking = false; // a quit question is open
    std::wstring m_strUrl;
};
