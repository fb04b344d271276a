#include "browser/windows/FormLogin.h"

#include "app/base/Endpoints.h"
#include "app/base/Messages.h"
#include "app/base/Utils.h"
#include "browser/host/BrowserAccelerator.h"
#include "browser/windows/LoginMarkers.h"
#include "res/resource.h"
#include "ui/FormBack.h"
#include "ui/FormPlacement.h"
#include "ui/PngResource.h"
#include "ui/TopMostSetting.h"

namespace {

const wchar_t kQuitQuestion[] = L"此操作将退出游戏，是否继续？";
const wchar_t kNotice[] = L"提示";
const wchar_t kNetworkError[] = L"检测到您的网络异常，点击这里重试！";
const wchar_t kChecking[] = L"正在检测您的网络环境，请稍后...";
const COLORREF kKeyColour = RGB(255, 128, 255);
const COLORREF kYellow = 0x0000FFFF;

// The skinned style: the taskbar button offers minimise.
LONG_PTR LoginStyle(LONG_PTR style) {
    return LONG_PTR(SkinnedWindowStyle(uint32_t(style)));
}

HWND InsertAfter() {
    return TopMostSetting() == 1 ? HWND_TOPMOST : HWND_TOP;
}

} // namespace

CFormLogin::CFormLogin(IWindowHost& host) : m_host(host) {}

void CFormLogin::AddButton(CKoButton& button, UINT normal, UINT hover, const RECT& rc) {
    button.SetImages(normal, m_host.Instance(), hover, hover);
    button.SetBounds(rc);
    button.cursor = LoadCursorW(nullptr, IDC_HAND);
    button.sliced = true;
    AddControl(&button);
}

bool CFormLogin::Init() {
    if (!Create(m_host.WindowClassName(), m_host.WindowTitle(), m_host.Instance(),
                m_host.Backdrop().GetHwnd()))
        return false;
    SetWindowLongPtrW(window, GWL_STYLE, LoginStyle(GetWindowLongPtrW(window, GWL_STYLE)));
    // Layered like the backdrop it lies on, without frame or tool-window bits.
    SetWindowLongPtrW(
        window, GWL_EXSTYLE,
        LONG_PTR(BackFormExStyle(uint32_t(GetWindowLongPtrW(window, GWL_EXSTYLE)), TopMostSetting() == 1)));
    // Every pixel of the key colour is see-through: the artwork below shows.
    SetLayeredWindowAttributes(window, kKeyColour, 0, LWA_COLORKEY);

    const HINSTANCE instance = m_host.Instance();
    m_background.isAlphaPng = LoadPngResource(instance, IDB_LOGIN_BACK, m_background.image);
    m_background.blendMode = false;
    m_background.imageInsets = RECT{5, 5, 5, 5};
    m_background.SetBounds(RECT{0, 0, 1200, 760});
    AddControl(&m_background);
    AddButton(m_btnMinimize, IDB_LOGIN_MINIMIZE, IDB_LOGIN_MINIMIZE_HOVER, RECT{965, 96, 986, 117});
    AddButton(m_btnClose, IDB_LOGIN_CLOSE, IDB_LOGIN_CLOSE_HOVER, RECT{989, 85, 1019, 114});
    AddButton(m_btnHome, IDB_LOGIN_HOME, IDB_LOGIN_HOME_HOVER, RECT{533, 85, 630, 111});
    AddButton(m_btnPay, IDB_LOGIN_PAY, IDB_LOGIN_PAY_HOVER, RECT{634, 85, 731, 111});
    AddButton(m_btnService, IDB_LOGIN_SERVICE, IDB_LOGIN_SERVICE_HOVER, RECT{735, 85, 832, 111});
    AddButton(m_btnForum, IDB_LOGIN_FORUM, IDB_LOGIN_FORUM_HOVER, RECT{837, 85, 934, 111});

    // The status label, seen only while the browser is moved away, is the last
    // control. It is ready before the page is asked for: a control's first
    // navigation may report its result before Navigate returns.
    m_lblStatus.SetBounds(RECT{575, 316, 895, 342});
    m_lblStatus.SetColor(kYellow);
    m_lblStatus.SetUnderline(1);
    m_lblStatus.SetFontSize(26, 0);
    m_lblStatus.SetText(L"");
    m_lblStatus.cursor = LoadCursorW(nullptr, IDC_HAND);
    AddControl(&m_lblStatus);
    // The label's text leaves see-through pixels between its strokes; the backdrop
    // below hands clicks there back, so the whole rectangle is the link.
    m_host.Backdrop().PassClicksTo(&m_lblStatus);

    // The browser waits off screen until its page has arrived or failed.
    if (!OpenLoginPage()) {
        ShowNetworkError();
        return true;
    }
    m_view.FocusDocument();
    return true;
}

bool CFormLogin::OpenLoginPage() {
    if (!m_view.GetHwnd()) {
        if (!m_view.Create(window, RECT{-100, -100, -50, -50}))
            return false;
        // Once per view: the notifier lives as long as the view object.
        if (!m_subscribed) {
            Subscribe(m_view.m_event, this, &CFormLogin::OnWebNotify);
            m_subscribed = true;
        }
        m_view.SetBlockNewWindow(true);
    }
    return m_view.Navigate(m_host.LoginUrl());
}

bool CFormLogin::CreateWindowOnly() {
    if (!Create(m_host.WindowClassName(), m_host.WindowTitle(), m_host.Instance(), nullptr))
        return false;
    SetWindowLongPtrW(window, GWL_STYLE, LoginStyle(GetWindowLongPtrW(window, GWL_STYLE)));
    LONG_PTR ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
    ex = (ex & ~static_cast<LONG_PTR>(0x40101)) | WS_EX_TOOLWINDOW;
    SetWindowLongPtrW(window, GWL_EXSTYLE, ex);
    return true;
}

void CFormLogin::ReturnFromGame() {
    m_state.ReturnFromGame();
    m_view.Navigate(m_host.LoginUrl());
}

void CFormLogin::ContinueExternalLogin(const std::wstring& url) {
    m_view.Navigate(url);
}

void CFormLogin::ShowLoginState(bool error, bool keepPosition) {
    // The background form carries the taskbar button.
    LONG_PTR ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
    ex = (ex & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW)) | WS_EX_TOOLWINDOW;
    if (TopMostSetting() == 1)
        ex |= WS_EX_TOPMOST;
    SetWindowLongPtrW(window, GWL_EXSTYLE, ex);

    RECT work = {}, client = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetClientRect(window, &client);
    if (error) {
        MoveWindow(m_view.GetHwnd(), -100, -100, 50, 50, FALSE);
        m_lblStatus.SetText(kNetworkError, true);
        m_lblStatus.cursor = LoadCursorW(nullptr, IDC_HAND);
    } else {
        MoveWindow(m_view.GetHwnd(), 467, 152, 536, 354, FALSE);
    }
    UINT flags = SWP_SHOWWINDOW | SWP_NOREDRAW | SWP_NOSIZE;
    if (keepPosition)
        flags |= SWP_NOMOVE; // a retry keeps the window where the user has it
    else
        ShowWindow(window, SW_HIDE);
    SetWindowPos(window, InsertAfter(), (work.right - client.right) / 2, (work.bottom - client.bottom) / 2, 0,
                 0, flags);
    ShowWindow(window, SW_SHOWNORMAL);
    // The placement above repaints nothing; a window system that drops the content
    // of a hidden window (Wine does) would show it blank until something else
    // repaints it, so repaint it once now.
    InvalidateRect(window, nullptr, FALSE);
}

void CFormLogin::ShowNetworkError() {
    const LoginPlacement placement = m_state.DecideNavigateError();
    if (!placement.apply)
        return;
    const std::wstring failed = m_view.GetUrl(); // empty when no browser could be made
    WriteIniString(L"Error", L"ErrorUrl", failed.empty() ? m_host.LoginUrl() : failed);
    ShowLoginState(true, placement.keepPosition);
    m_host.Backdrop().ShowAsAppWindow(placement.keepPosition);
    // A login page that cannot load (moved, its host down) must not keep an update
    // that would repair the launcher from arriving: the check starts here too.
    // Once per process; after a game no result is placed, so none starts then.
    m_host.StartVersionCheck();
}

void CFormLogin::OnWebNotify(unsigned int kind, WebNotifyWParam, WebNotifyLParam) {
    switch (kind) {
    case WN_DOCUMENT_COMPLETE:
        m_host.OnLoginPageComplete();
        break;
    case WN_NAVIGATE_ERROR:
        ShowNetworkError();
        break;
    case WN_BEFORE_NAVIGATE:
        OnBeforeNavigate();
        break;
    case WN_NAVIGATE_COMPLETE: {
        const LoginPlacement placement = m_state.DecidePageShown();
        if (!placement.apply)
            break;
        ShowLoginState(false, placement.keepPosition);
        m_host.Backdrop().ShowAsAppWindow(placement.keepPosition);
        m_host.StartVersionCheck();
        break;
    }
    case WN_NEW_WINDOW:
        OnNewWindow();
        break;
    default:
        break;
    }
}

void CFormLogin::OnBeforeNavigate() {
    const std::wstring url = m_view.GetUrl();
    // Frames of the web host count as its page does; any other server's do not.
    const LoginMarkers markers = ReadLoginMarkers(url, endpoints::PlatformWebHost());
    if (markers.hasUserName)
        m_host.SetUserName(markers.userName);
    m_host.SetServerId(std::wstring());
    if (!markers.enterGame)
        return;
    if (!markers.serverId.empty())
        m_host.SetServerId(markers.serverId);
    m_strGameUrl = url;
    // The login page stays; the game opens once this event has finished.
    m_view.CancelThisNavigation();
    PostMessageW(window, UM_ENTER_GAME, 0, 0);
}

void CFormLogin::OnNewWindow() {
    const std::wstring url = m_view.GetUrl();
    if (IsExternalLoginUrl(url, endpoints::PlatformLoginHost())) {
        m_view.CancelThisNavigation();
        m_strExternalLoginUrl = url;
        PostMessageW(window, UM_EXTERNAL_LOGIN, 0, 0);
        return;
    }
    m_host.OpenUrlInBrowser(url);
}

bool CFormLogin::OnLButtonDown(WPARAM flags, POINT pt) {
    CKoBaseControl* hit = ControlAt(pt);
    if (!hit)
        return false;
    if (hit == &m_background) {
        SendMessageW(window, WM_SYSCOMMAND, 0xF011, 0); // the system's move loop
        return true;
    }
    return hit->OnLButtonDown(flags, pt);
}

// The waiting text comes first: the navigation may report its error before it
// returns, and that error's label must be what stays.
void CFormLogin::OnStatusLabelClicked() {
    if (!m_state.DecideRetryClick())
        return;
    m_lblStatus.SetText(kChecking, true);
    m_lblStatus.cursor = LoadCursorW(nullptr, IDC_ARROW);
    if (OpenLoginPage())
        return;
    m_state.RetryNotStarted();
    m_lblStatus.SetText(kNetworkError, true);
    m_lblStatus.cursor = LoadCursorW(nullptr, IDC_HAND);
}

bool CFormLogin::OnLButtonUp(WPARAM flags, POINT pt) {
    CKoBaseControl* hit = ControlAt(pt);
    if (!hit)
        return false;
    hit->OnLButtonUp(flags, pt);
    // Actions may show a modal box or destroy this window: nothing of this object
    // is touched after them.
    if (hit == &m_btnMinimize) {
        ShowWindow(m_host.Backdrop().GetHwnd(), SW_MINIMIZE); // this window, owned by it, goes along
    } else if (hit == &m_btnClose) {
        if (MessageBoxW(window, kQuitQuestion, kNotice, MB_YESNO | MB_DEFBUTTON2) == IDYES)
            Close();
    } else if (hit == &m_btnHome) {
        m_host.OpenPlatformPage(PlatformPage::Home);
    } else if (hit == &m_btnPay) {
        m_host.OpenPlatformPage(PlatformPage::Pay);
    } else if (hit == &m_btnService) {
        m_host.OpenPlatformPage(PlatformPage::Service);
    } else if (hit == &m_btnForum) {
        m_host.OpenPlatformPage(PlatformPage::Forum);
    } else if (hit == &m_lblStatus) {
        OnStatusLabelClicked();
    }
    return true;
}

LRESULT CFormLogin::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (CKoForm::HandleMessage(hwnd, msg, wParam, lParam) == 0)
        return 0;
    switch (msg) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case UM_EXIT_APP:
        Close();
        return 0;
    case UM_CONFIRM_EXIT:
        if (MessageBoxW(hwnd, kQuitQuestion, kNotice, MB_YESNO | MB_DEFBUTTON2) == IDNO)
            return 0;
        PostQuitMessage(0);
        Close();
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

BOOL CFormLogin::PreTranslateMessage(MSG* msg) {
    const UINT m = msg->message;
    if (IsBrowserAccelerator(m, unsigned(msg->wParam), GetKeyState(VK_CONTROL) < 0))
        return m_view.PreTranslateMessage(msg);
    if (m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN) {
        // Bring the backdrop under this window again before anything else happens.
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        SetWindowPos(m_host.Backdrop().GetHwnd(), HWND_TOP, origin.x, origin.y, 0, 0, SWP_NOSIZE);
    }
    return FALSE;
}
