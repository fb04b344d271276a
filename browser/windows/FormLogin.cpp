#include "browser/windows/FormLogin.h"

#include "app/base/Endpoints.h"
#include "app/GlobalModule.h"
#include "app/Messages.h"
#include "app/base/Utils.h"
#include "browser/windows/LoginMarkers.h"
#include "res/resource.h"
#include "ui/TopMostSetting.h"
#include "ui/PngResource.h"

namespace {

const wchar_t kQuitQuestion[] = L"此操作将退出游戏，是否继续？";
const wchar_t kNotice[] = L"提示";
const wchar_t kNetworkError[] = L"检测到您的网络异常，点击这里重试！";
const wchar_t kChecking[] = L"正在检测您的网络环境，请稍后...";
const wchar_t kErrorMark[] = L"异常";
const COLORREF kKeyColour = RGB(255, 128, 255);
const COLORREF kYellow = 0x0000FFFF;

// Keeps WS_SYSMENU and WS_MINIMIZEBOX, drops the popup, caption, frame and
// maximise bits, so the taskbar offers minimise.
LONG_PTR LoginStyle(LONG_PTR style) {
    return (style & 0x7F30FF7F) | 0x000A0000;
}

HWND InsertAfter() {
    return TopMostSetting() == 1 ? HWND_TOPMOST : HWND_TOP;
}

} // namespace

void CFormLogin::AddButton(CKoButton& button, UINT normal, UINT hover, const RECT& rc) {
    button.SetImages(normal, g_module.m_hInstance, hover, hover);
    button.SetBounds(rc);
    button.cursor = LoadCursorW(nullptr, IDC_HAND);
    button.sliced = true;
    AddControl(&button);
}

bool CFormLogin::Init() {
    if (!Create(g_module.m_szClassName, g_module.m_szTitle, g_module.m_hInstance,
                g_module.m_formBack.GetHwnd()))
        return false;
    SetWindowLongPtrW(window, GWL_STYLE, LoginStyle(GetWindowLongPtrW(window, GWL_STYLE)));
    LONG_PTR ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
    ex = (ex & ~static_cast<LONG_PTR>(0x181)) | WS_EX_LAYERED;
    if (TopMostSetting() == 1)
        ex |= WS_EX_TOPMOST;
    SetWindowLongPtrW(window, GWL_EXSTYLE, ex);
    // Every pixel of the key colour is see-through: the artwork below shows.
    SetLayeredWindowAttributes(window, kKeyColour, 0, LWA_COLORKEY);

    const HINSTANCE instance = g_module.m_hInstance;
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

    // The browser waits off screen until its page has arrived or failed.
    m_view.Create(window, RECT{-100, -100, -50, -50});
    Subscribe(m_view.m_event, this, &CFormLogin::OnWebNotify);
    m_view.SetBlockNewWindow(true);
    m_view.Navigate(g_module.GetLoginUrl());
    m_view.FocusDocument();
    return true;
}

bool CFormLogin::CreateWindowOnly() {
    if (!Create(g_module.m_szClassName, g_module.m_szTitle, g_module.m_hInstance, nullptr))
        return false;
    SetWindowLongPtrW(window, GWL_STYLE, LoginStyle(GetWindowLongPtrW(window, GWL_STYLE)));
    LONG_PTR ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
    ex = (ex & ~static_cast<LONG_PTR>(0x40101)) | WS_EX_TOOLWINDOW;
    SetWindowLongPtrW(window, GWL_EXSTYLE, ex);
    return true;
}

void CFormLogin::ReturnFromGame() {
    m_bReturnedFromGame = true;
    m_view.Navigate(g_module.GetLoginUrl());
}

void CFormLogin::ShowLoginState(bool error) {
    m_bPageResultShown = true;
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
    if (m_bRetrying)
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

void CFormLogin::OnWebNotify(unsigned int kind, WebNotifyWParam, WebNotifyLParam) {
    switch (kind) {
    case WN_DOCUMENT_COMPLETE:
        g_module.m_installRecord.SendActiveBeacon();
        if (!g_module.IsActiveCounted())
            g_module.SetActiveCounted();
        break;
    case WN_NAVIGATE_ERROR:
        if (m_bReturnedFromGame)
            break;
        WriteIniString(L"Error", L"ErrorUrl", m_view.GetUrl());
        ShowLoginState(true);
        g_module.m_formBack.ShowAsAppWindow(m_bRetrying);
        break;
    case WN_BEFORE_NAVIGATE:
        OnBeforeNavigate();
        break;
    case WN_NAVIGATE_COMPLETE:
        if (m_bReturnedFromGame)
            break;
        ShowLoginState(false);
        g_module.m_formBack.ShowAsAppWindow(m_bRetrying);
        g_module.StartVersionCheck();
        break;
    case WN_NEW_WINDOW:
        OnNewWindow();
        break;
    default:
        break;
    }
}

void CFormLogin::OnBeforeNavigate() {
    m_strLastUrl = m_view.GetUrl();
    const LoginMarkers markers = ReadLoginMarkers(m_strLastUrl);
    if (markers.hasUserName)
        g_module.SetUserName(markers.userName);
    g_module.SetServerId(std::wstring());
    if (!markers.enterGame)
        return;
    if (!markers.serverId.empty())
        g_module.SetServerId(markers.serverId);
    m_strGameUrl = m_strLastUrl;
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
    g_module.OpenUrlInBrowser(url);
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

void CFormLogin::OnStatusLabelClicked() {
    if (!Contains(m_lblStatus.GetText(), kErrorMark))
        return;
    m_bRetrying = true;
    m_view.Navigate(g_module.GetLoginUrl());
    m_lblStatus.SetText(kChecking, true);
    m_lblStatus.cursor = LoadCursorW(nullptr, IDC_ARROW);
}

bool CFormLogin::OnLButtonUp(WPARAM flags, POINT pt) {
    CKoBaseControl* hit = ControlAt(pt);
    if (!hit)
        return false;
    hit->OnLButtonUp(flags, pt);
    // Actions may show a modal box or destroy this window: nothing of this object
    // is touched after them.
    if (hit == &m_btnMinimize) {
        ShowWindow(g_module.m_formBack.GetHwnd(), SW_MINIMIZE); // this window, owned by it, goes along
    } else if (hit == &m_btnClose) {
        if (MessageBoxW(window, kQuitQuestion, kNotice, MB_YESNO | MB_DEFBUTTON2) == IDYES)
            Close();
    } else if (hit == &m_btnHome) {
        g_module.OpenUrlInBrowser(endpoints::HomePageUrl());
    } else if (hit == &m_btnPay) {
        g_module.OpenUrlInBrowser(g_module.GetPayUrl());
    } else if (hit == &m_btnService) {
        g_module.OpenUrlInBrowser(endpoints::ServicePageUrl());
    } else if (hit == &m_btnForum) {
        g_module.OpenUrlInBrowser(endpoints::ForumPageUrl());
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
    if (m >= 0x0100 && m <= 0x0109) { // keyboard messages
        // Typing reaches the page by ordinary dispatching; only the keys the
        // browser handles as accelerators (Tab, Enter, Delete, the clipboard and
        // undo shortcuts) go to it first.
        if (m == WM_KEYUP)
            return m_view.PreTranslateMessage(msg);
        const WPARAM key = msg->wParam;
        const bool ctrl = GetKeyState(VK_CONTROL) < 0;
        const bool accelerator = (ctrl && (key == 'C' || key == 'V' || key == 'X' || key == 'Z')) ||
                                 key == VK_TAB || key == VK_RETURN || key == VK_DELETE;
        return accelerator ? m_view.PreTranslateMessage(msg) : FALSE;
    }
    if (m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN) {
        // Bring the backdrop under this window again before anything else happens.
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        SetWindowPos(g_module.m_formBack.GetHwnd(), HWND_TOP, origin.x, origin.y, 0, 0, SWP_NOSIZE);
    }
    return FALSE;
}
