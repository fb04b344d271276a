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
#include "ui/SkinnedWindow.h"
#include "ui/TopMostSetting.h"

namespace {

const wchar_t kQuitQuestion[] = L"此操作将退出游戏，是否继续？";
const wchar_t kNotice[] = L"提示";
const wchar_t kNetworkError[] = L"检测到您的网络异常，点击这里重试！";
const wchar_t kChecking[] = L"正在检测您的网络环境，请稍后...";
const COLORREF kKeyColour = RGB(255, 128, 255);

// The skinned style: the taskbar button offers minimise.
LONG_PTR LoginStyle(LONG_PTR style) {
    return LONG_PTR(SkinnedWindowStyle(uint32_t(style)));
}

RECT ToRect(const Edges& e) {
    return RECT{e.left, e.top, e.right, e.bottom};
}

} // namespace

CFormLogin::CFormLogin(IWindowHost& host) : m_host(host) {}

void CFormLogin::AddButton(CKoButton& button, UINT normal, UINT hover, LoginSlot slot) {
    button.SetBounds(ToRect(LoginLayout()[slot]));
    button.sliced = true;
    AddSkinButton(*this, button, m_host.Instance(), normal, hover);
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
    m_background.SetBounds(RECT{0, 0, kLoginWidth, kLoginHeight});
    AddControl(&m_background);
    AddButton(m_btnMinimize, IDB_LOGIN_MINIMIZE, IDB_LOGIN_MINIMIZE_HOVER, kLoginMinimize);
    AddButton(m_btnClose, IDB_LOGIN_CLOSE, IDB_LOGIN_CLOSE_HOVER, kLoginClose);
    AddButton(m_btnHome, IDB_LOGIN_HOME, IDB_LOGIN_HOME_HOVER, kLoginHome);
    AddButton(m_btnPay, IDB_LOGIN_PAY, IDB_LOGIN_PAY_HOVER, kLoginPay);
    AddButton(m_btnService, IDB_LOGIN_SERVICE, IDB_LOGIN_SERVICE_HOVER, kLoginService);
    AddButton(m_btnForum, IDB_LOGIN_FORUM, IDB_LOGIN_FORUM_HOVER, kLoginForum);

    // The status label, seen only while the browser is moved away, is the last
    // control. It is ready before the page is asked for: a control's first
    // navigation may report its result before Navigate returns.
    m_lblStatus.SetBounds(ToRect(LoginLayout()[kLoginStatus]));
    m_lblStatus.SetColor(kSkinYellow);
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

    RECT client = {};
    GetClientRect(window, &client);
    const Edges view = LoginViewRect(error);
    MoveWindow(m_view.GetHwnd(), view.left, view.top, view.right - view.left, view.bottom - view.top, FALSE);
    if (error) {
        m_lblStatus.SetText(kNetworkError, true);
        m_lblStatus.cursor = LoadCursorW(nullptr, IDC_HAND);
    }
    UINT flags = SWP_SHOWWINDOW | SWP_NOREDRAW | SWP_NOSIZE;
    if (keepPosition)
        flags |= SWP_NOMOVE; // a retry keeps the window where the user has it
    else
        ShowWindow(window, SW_HIDE);
    const FormPosition at = CenteredInPrimaryWorkArea(client.right, client.bottom);
    SetWindowPos(window, TopMostInsertAfter(), at.x, at.y, 0, 0, flags);
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

bool CFormLogin::ConfirmQuit() {
    return MessageBoxW(window, kQuitQuestion, kNotice, MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

bool CFormLogin::OnLButtonDown(WPARAM flags, POINT pt) {
    CKoBaseControl* hit = ControlAt(pt);
    if (!hit)
        return false;
    if (hit == &m_background) {
        StartWindowDrag(window);
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
    using Action = void (*)(CFormLogin&);
    const struct {
        const CKoBaseControl* control;
        Action act;
    } clicks[] = {
        // The backdrop owns this window, which goes along.
        {&m_btnMinimize, [](CFormLogin& f) { ShowWindow(f.m_host.Backdrop().GetHwnd(), SW_MINIMIZE); }},
        {&m_btnClose,
         [](CFormLogin& f) {
             if (f.ConfirmQuit())
                 f.Close();
         }},
        {&m_btnHome, [](CFormLogin& f) { f.m_host.OpenPlatformPage(PlatformPage::Home); }},
        {&m_btnPay, [](CFormLogin& f) { f.m_host.OpenPlatformPage(PlatformPage::Pay); }},
        {&m_btnService, [](CFormLogin& f) { f.m_host.OpenPlatformPage(PlatformPage::Service); }},
        {&m_btnForum, [](CFormLogin& f) { f.m_host.OpenPlatformPage(PlatformPage::Forum); }},
        {&m_lblStatus, [](CFormLogin& f) { f.OnStatusLabelClicked(); }},
    };
    for (const auto& click : clicks) {
        if (click.control == hit) {
            click.act(*this);
            break;
        }
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
        if (!ConfirmQuit())
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
