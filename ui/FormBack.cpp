#include "ui/FormBack.h"

#include "app/base/Handles.h"
#include "ui/Blit.h"
#include "ui/FormPlacement.h"
#include "ui/TopMostSetting.h"
#include "ui/PngResource.h"

#include <windowsx.h>

namespace {
CKoForm* g_loginWindow = nullptr;
}

void SetLoginWindow(CKoForm* login) {
    g_loginWindow = login;
}

CKoForm* LoginWindow() {
    return g_loginWindow;
}

CFormBack::CFormBack() = default;

CFormBack::~CFormBack() = default;

bool CFormBack::Init(HINSTANCE instance, const wchar_t* windowClass, const wchar_t* title) {
    instance_ = instance;
    if (!Create(windowClass, title, instance, nullptr))
        return false;
    const auto style = uint32_t(GetWindowLongPtrW(window, GWL_STYLE));
    SetWindowLongPtrW(window, GWL_STYLE, LONG_PTR(SkinnedWindowStyle(style)));
    const auto exStyle = uint32_t(GetWindowLongPtrW(window, GWL_EXSTYLE));
    SetWindowLongPtrW(window, GWL_EXSTYLE, LONG_PTR(BackFormExStyle(exStyle, TopMostSetting() == 1)));
    PaintLayeredBackground();
    return true;
}

void CFormBack::PaintLayeredBackground() {
    if (!window)
        return;
    const RECT b = GetBounds();
    const int width = int(b.right - b.left), height = int(b.bottom - b.top);
    if (width <= 0 || height <= 0)
        return;

    ScopedWindowDc windowDc(window);
    ScopedMemoryDc memoryDc(CreateCompatibleDC(windowDc.Get()));
    if (!memoryDc)
        return;
    // Shared with a decode started ahead (SkinPreload.h); empty when missing.
    CImage art;
    art.AttachShared(SharedPngResource(instance_, kBackgroundImageId, PremultiplyRule::Rounded));
    // Artwork with alpha that fills the window is pushed as it is: blending it over
    // a transparent canvas would give the same pixels. Anything else is drawn into
    // a 32-bit DIB section (per-pixel alpha needs the alpha byte whatever the
    // display depth) that starts transparent black.
    CImage canvas;
    const bool direct =
        art.GetBPP() == 32 && art.HasAlphaChannel() && art.GetWidth() == width && art.GetHeight() == height;
    if (!direct && !canvas.Create(width, height, 32, true))
        return;
    ScopedSelect select(memoryDc.Get(), direct ? art.GetHandle() : canvas.GetHandle());
    if (!direct && !art.IsNull())
        DrawImage(memoryDc.Get(), art, 0, 0, art.GetWidth(), art.GetHeight(), 0, 0, art.GetWidth(),
                  art.GetHeight());

    POINT origin = {0, 0};
    SIZE size = {width, height};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(window, windowDc.Get(), &origin, &size, memoryDc.Get(), &origin, 0, &blend,
                        ULW_ALPHA);
}

bool CFormBack::OnLButtonDown(WPARAM, POINT) {
    SendMessageW(window, WM_SYSCOMMAND, 0xF012, 0);
    return true;
}

void CFormBack::OnMove(WPARAM, LPARAM) {
    CKoForm* login = LoginWindow();
    if (!login || !login->GetHwnd())
        return;
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    SetWindowPos(login->GetHwnd(), nullptr, origin.x, origin.y, 0, 0, SWP_NOACTIVATE | SWP_NOSIZE);
}

void CFormBack::PassClicksTo(CKoBaseControl* control) {
    passThrough_ = control;
}

bool CFormBack::IsOnPassThroughControl(POINT pt, POINT& loginPoint) const {
    const CKoForm* login = LoginWindow();
    const HWND loginWindow = login ? login->GetHwnd() : nullptr;
    if (!passThrough_ || !loginWindow || !IsWindowVisible(loginWindow))
        return false;
    loginPoint = pt;
    ClientToScreen(window, &loginPoint);
    ScreenToClient(loginWindow, &loginPoint);
    return passThrough_->HitTest(loginPoint);
}

void CFormBack::OnClose() {
    CKoForm* login = LoginWindow();
    if (!login) {
        Close();
        return;
    }
    // The login window's end ends the process, which takes this window with it.
    // Destroying it here as well would hide a second window on the way out, and
    // Wine waits for the window manager to acknowledge each hidden window (2 s
    // when there is none).
    if (login->GetHwnd())
        login->Close();
}

// The login window above is colour-keyed: Windows (and Wine) hit-test such a
// window by its pixels, so a click between the strokes of a text on it lands here.
// Handing those clicks back keeps the look while the whole control takes them; it
// happens before this window's own press handling, which starts a drag.
LRESULT CFormBack::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        OnClose();
        return 0;
    }
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP || msg == WM_LBUTTONDBLCLK || msg == WM_SETCURSOR) {
        POINT pt = {};
        if (msg == WM_SETCURSOR) {
            const DWORD pos = GetMessagePos();
            pt = POINT{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
            ScreenToClient(window, &pt);
        } else {
            const MessagePoint p = PointFromMessageParam(uint64_t(lParam));
            pt = POINT{p.x, p.y};
        }
        POINT loginPoint = {};
        if (IsOnPassThroughControl(pt, loginPoint)) {
            if (msg == WM_SETCURSOR) {
                SetCursor(passThrough_->cursor ? passThrough_->cursor : LoadCursorW(nullptr, IDC_ARROW));
                return TRUE;
            }
            return SendMessageW(LoginWindow()->GetHwnd(), msg, wParam,
                                MAKELPARAM(loginPoint.x, loginPoint.y));
        }
    }
    if (CKoForm::HandleMessage(hwnd, msg, wParam, lParam) == 0)
        return 0;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
