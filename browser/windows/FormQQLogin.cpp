#include "browser/windows/FormQQLogin.h"

#include "app/base/Utils.h"
#include "browser/host/BrowserAccelerator.h"
#include "browser/windows/ExternalLoginReturn.h"
#include "browser/windows/QQLoginLayout.h"
#include "res/resource.h"
#include "ui/FormPlacement.h"
#include "ui/PngResource.h"
#include "ui/Rects.h"
#include "browser/windows/InitialViewRect.h"
#include "ui/SkinnedWindow.h"

namespace {

const wchar_t kTitleText[] = L"账号安全登录";

void LoadImage(HINSTANCE instance, CKoImage& image, UINT id) {
    image.isAlphaPng = LoadPngResource(instance, id, image.image);
}

const AnsiCodec& SystemAnsiCodec() {
    static const AnsiCodec codec = {[](const std::wstring& text) { return ToNarrow(text); },
                                    [](const std::string& bytes) { return ToWide(bytes); }};
    return codec;
}

} // namespace

CFormQQLogin::CFormQQLogin(IWindowHost& host) : m_host(host) {}

bool CFormQQLogin::Init(const std::wstring& url) {
    if (!Create(m_host.WindowClassName(), m_host.WindowTitle(), m_host.Instance(), nullptr))
        return false;
    // No caption, frame or maximise box; the taskbar button offers minimise and close.
    SetWindowLongPtrW(window, GWL_STYLE,
                      LONG_PTR(CaptionlessWindowStyle(uint32_t(GetWindowLongPtrW(window, GWL_STYLE)))));

    const auto borders = QQLoginBorders();
    LoadImage(m_host.Instance(), m_title, IDB_QQ_TITLE);
    AddControl(&m_title);
    const std::pair<CKoImage*, QQLoginBorder> rows[] = {
        {&m_leftBorder, kQQLeftBorder}, {&m_rightBorder, kQQRightBorder}, {&m_bottomBorder, kQQBottomBorder}};
    for (const auto& [image, slot] : rows) {
        LoadImage(m_host.Instance(), *image, slot == kQQBottomBorder ? IDB_QQ_BOTTOM : IDB_QQ_BORDER);
        image->SetBounds(ToRect(borders[slot]));
        AddControl(image);
    }
    m_btnClose.sliced = true;
    AddSkinButton(*this, m_btnClose, m_host.Instance(), IDB_QQ_CLOSE, IDB_QQ_CLOSE_HOVER);
    m_lblTitle.SetText(kTitleText, false);
    m_lblTitle.SetColor(kSkinYellow, false);
    AddControl(&m_lblTitle);

    // Everything a handler touches exists before the page is asked for: the first
    // navigation of a control may report inside Navigate, and may close this window.
    if (!m_view.Create(window, kInitialViewRect))
        return true;
    Subscribe(m_view.m_event, this, &CFormQQLogin::OnWebNotify);
    m_view.SetBlockNewWindow(true);
    m_view.Navigate(url);
    return true;
}

bool CFormQQLogin::ShowCenteredInWorkArea() {
    if (!window)
        return false;
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    const FormPosition at = CenteredInPrimaryWorkArea(width, height);
    // It follows the TopMost setting as the login window does: a window that is not
    // topmost would open behind a topmost login window, out of the player's sight.
    SetWindowPos(window, TopMostInsertAfter(), at.x, at.y, width, height, SWP_SHOWWINDOW);
    LayoutControls();
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return true;
}

bool CFormQQLogin::LayoutControls() {
    if (!window)
        return false;
    RECT client = {};
    GetClientRect(window, &client);
    const auto slots = ComputeQQLoginLayout(client.right, client.bottom, m_title.GetImageHeight(),
                                            m_btnClose.GetImageWidth(), m_btnClose.GetImageHeight());
    m_title.SetBounds(ToRect(slots[kQQTitle]));
    m_btnClose.SetBounds(ToRect(slots[kQQClose]));
    m_lblTitle.SetBounds(ToRect(slots[kQQTitleText]));
    const Edges v = slots[kQQView];
    SetWindowPos(m_view.GetHwnd(), nullptr, v.left, v.top, v.right - v.left, v.bottom - v.top,
                 SWP_SHOWWINDOW);
    return true;
}

bool CFormQQLogin::OnLButtonDown(WPARAM flags, POINT pt) {
    CKoBaseControl* hit = ControlAt(pt);
    if (!hit)
        return false;
    if (hit == &m_title || hit == &m_lblTitle) {
        StartWindowDrag(window);
        return true;
    }
    return hit->OnLButtonDown(flags, pt);
}

bool CFormQQLogin::OnLButtonUp(WPARAM flags, POINT pt) {
    CKoBaseControl* hit = ControlAt(pt);
    if (!hit)
        return false;
    hit->OnLButtonUp(flags, pt);
    if (hit != &m_btnClose)
        return false;
    Close(); // the window goes, and with it its owner's pointer to this object
    return true;
}

LRESULT CFormQQLogin::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (CKoForm::HandleMessage(hwnd, msg, wParam, lParam) == 0)
        return 0;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

BOOL CFormQQLogin::PreTranslateMessage(MSG* msg) {
    if (IsBrowserAccelerator(msg->message, unsigned(msg->wParam), GetKeyState(VK_CONTROL) < 0))
        return m_view.PreTranslateMessage(msg);
    return FALSE;
}

void CFormQQLogin::OnWebNotify(unsigned int kind, WebNotifyWParam, WebNotifyLParam) {
    switch (kind) {
    case WN_BEFORE_NAVIGATE:
        OnBeforeNavigate();
        break;
    case WN_NEW_WINDOW:
        m_host.OpenUrlInBrowser(m_view.GetUrl());
        break;
    default:
        break;
    }
}

// The navigation itself is not cancelled: it ends with the window.
void CFormQQLogin::OnBeforeNavigate() {
    const ExternalLoginStep step = DecideExternalLoginStep(m_view.GetUrl(), m_view.IsTopLevelNavigation(),
                                                           ConfiguredPlatformHosts(), SystemAnsiCodec());
    if (step.continueLogin)
        m_host.ContinueExternalLogin(step.forward);
    if (step.close)
        Close();
}
