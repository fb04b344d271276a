#include "browser/windows/FormGame.h"

#include "app/GlobalModule.h"

bool CFormGame::Init(const std::wstring& url) {
    if (!Create(g_module.m_szClassName, g_module.m_szTitle, g_module.m_hInstance, nullptr))
        return false;
    // No caption, frame or maximise box; the taskbar button offers minimise and close.
    LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    SetWindowLongPtrW(window, GWL_STYLE, (style & 0xFF3AFFFF) | 0x000A0000);
    m_strUrl = url;
    return true;
}

bool CFormGame::LayoutControls() {
    UpdateWindow(window);
    return true;
}

bool CFormGame::MaximizeToWorkArea() {
    if (!window)
        return false;
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(window, nullptr, 0, 0, work.right, work.bottom, SWP_SHOWWINDOW);
    LayoutControls();
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    m_bMaximized = true;
    return true;
}

LRESULT CFormGame::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (CKoForm::HandleMessage(hwnd, msg, wParam, lParam) == 0)
        return 0;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

BOOL CFormGame::PreTranslateMessage(MSG*) {
    return FALSE;
}
