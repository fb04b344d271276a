#include "browser/FormLogin.h"

#include "app/GlobalModule.h"
#include "app/Messages.h"
#include "ui/FormSettings.h"

namespace {
const wchar_t kQuitQuestion[] = L"此操作将退出游戏，是否继续？";
const wchar_t kNotice[] = L"提示";

// Keeps WS_SYSMENU and WS_MINIMIZEBOX, drops the popup, caption, frame and
// maximise bits, so the taskbar offers minimise.
LONG_PTR LoginStyle(LONG_PTR style) {
    return (style & 0x7F30FF7F) | 0x000A0000;
}
} // namespace

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
    SetLayeredWindowAttributes(window, RGB(255, 128, 255), 0, LWA_COLORKEY);
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
    // From now on errors and first completions of the login page no longer move
    // or re-show the window.
    m_bReturnedFromGame = true;
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
    if (msg->message == WM_LBUTTONDOWN || msg->message == WM_RBUTTONDOWN) {
        // Bring the backdrop under this window again before anything else happens.
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        SetWindowPos(g_module.m_formBack.GetHwnd(), HWND_TOP, origin.x, origin.y, 0, 0, SWP_NOSIZE);
    }
    return FALSE;
}
