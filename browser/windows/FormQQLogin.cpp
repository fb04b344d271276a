#include "browser/windows/FormQQLogin.h"

#include "app/GlobalModule.h"

bool CFormQQLogin::Init(const std::wstring& url) {
    if (!Create(g_module.m_szClassName, g_module.m_szTitle, g_module.m_hInstance, nullptr))
        return false;
    LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    SetWindowLongPtrW(window, GWL_STYLE, (style & 0xFF3AFFFF) | 0x000A0000);
    m_strUrl = url;
    return true;
}

bool CFormQQLogin::ShowCenteredInWorkArea() {
    if (!window)
        return false;
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    SetWindowPos(window, nullptr, (work.right - width) / 2, (work.bottom - height) / 2, width, height,
                 SWP_SHOWWINDOW);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return true;
}

LRESULT CFormQQLogin::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (CKoForm::HandleMessage(hwnd, msg, wParam, lParam) == 0)
        return 0;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

BOOL CFormQQLogin::PreTranslateMessage(MSG*) {
    return FALSE;
}
