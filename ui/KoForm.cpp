#include "ui/KoForm.h"

#include "ui/FormPlacement.h"
#include "ui/SkinnedWindow.h"
#include "ui/TopMostSetting.h"

#include <commctrl.h>

#include <algorithm>

namespace {

constexpr DWORD kHoverTimeMs = 300;

POINT MessagePointOf(LPARAM lParam) {
    const MessagePoint p = PointFromMessageParam(uint64_t(lParam));
    return POINT{p.x, p.y};
}

} // namespace

CKoForm::CKoForm() = default;

CKoForm::~CKoForm() {
    // A window that outlives its form must not lead its messages to freed memory.
    if (window && FromHwnd(window) == this)
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    controls.clear();
}

CKoForm* CKoForm::FromHwnd(HWND hwnd) {
    auto* form = hwnd ? reinterpret_cast<CKoForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) : nullptr;
    // A form that has already let go of the window (dropped it before destroying
    // it) gets none of its last messages.
    return form && form->window == hwnd ? form : nullptr;
}

bool CKoForm::OnLButtonDown(WPARAM, POINT) {
    SetFocus(window);
    return true;
}

bool CKoForm::OnMouseMove(WPARAM flags, POINT pt) {
    TrackMouse();
    // Controls the pointer is not over learn that it left them.
    for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
        if (!(*it)->HitTest(pt))
            (*it)->OnMouseMove(flags, pt);
    }
    if (CKoBaseControl* hit = ControlAt(pt))
        hit->OnMouseMove(flags, pt);
    return false;
}

bool CKoForm::OnLButtonDblClk(WPARAM, POINT) {
    return false;
}

bool CKoForm::OnMouseWheel(WPARAM flags, POINT pt) {
    CKoBaseControl* hit = ControlAt(pt);
    return hit ? hit->OnMouseWheel(flags, pt) : false;
}

void CKoForm::Paint(HDC dc) {
    for (CKoBaseControl* control : controls)
        control->Paint(dc);
}

void CKoForm::Relayout(const POINT* offset) {
    for (auto it = controls.rbegin(); it != controls.rend(); ++it)
        (*it)->Relayout(offset);
}

bool CKoForm::AddControl(CKoBaseControl* control) {
    if (!control)
        return false;
    control->hostWindow = window;
    control->SetOwner(this);
    controls.push_back(control);
    return true;
}

bool CKoForm::RemoveControl(CKoBaseControl* control) {
    auto it = std::find(controls.begin(), controls.end(), control);
    if (it == controls.end())
        return false;
    controls.erase(it);
    if (pressedControl == control)
        pressedControl = nullptr;
    return true;
}

bool CKoForm::OnMouseLeave(WPARAM flags, POINT pt) {
    // Set while routing, so that this synthetic move starts no new tracking.
    trackingMouse = true;
    OnMouseMove(flags, pt);
    trackingMouse = false;
    return true;
}

bool CKoForm::OnMouseHover(WPARAM, POINT) {
    hoverSeen = true;
    return true;
}

void CKoForm::OnSize(WPARAM, LPARAM) {
    Relayout();
    UpdateRegion();
}

void CKoForm::OnMove(WPARAM, LPARAM) {}

void CKoForm::OnActivate(WPARAM, LPARAM) {}

void CKoForm::TrackMouse() {
    if (trackingMouse && !hoverSeen)
        return;
    TRACKMOUSEEVENT tme = {};
    tme.cbSize = sizeof tme;
    tme.dwFlags = TME_HOVER | TME_LEAVE;
    tme.hwndTrack = window;
    tme.dwHoverTime = kHoverTimeMs;
    _TrackMouseEvent(&tme);
    trackingMouse = true;
    hoverSeen = false;
}

LRESULT CKoForm::SendSysCommand(UINT offset, HWND target) {
    BOOL fullDrag = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &fullDrag, 0);
    if (fullDrag)
        SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, 0, nullptr, 0);
    const LRESULT result = SendMessageW(target ? target : window, WM_SYSCOMMAND, 0xF000 + offset, 0);
    if (fullDrag)
        return SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, 1, nullptr, 0);
    return result;
}

bool CKoForm::Create(const wchar_t* windowClass, const wchar_t* windowName, HINSTANCE instance, HWND parent) {
    if (window)
        return true;
    window = CreateWindowExW(0, windowClass, windowName, WS_POPUP, bounds.left, bounds.top, bounds.right,
                             bounds.bottom, parent, nullptr, instance, nullptr);
    if (!window)
        return false;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowTextW(window, L"OrvoValdrenna");
    return true;
}

bool CKoForm::ShowCentered(int showCmd) {
    if (!window)
        return false;
    RECT client = {};
    GetClientRect(window, &client);
    const FormPosition p = CenteredInPrimaryWorkArea(client.right, client.bottom);
    SetWindowPos(window, nullptr, p.x, p.y, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE);
    ShowWindow(window, showCmd);
    UpdateWindow(window);
    return true;
}

void CKoForm::ShowAsAppWindow(bool keepPosition) {
    if (!window)
        return;
    const bool topMost = TopMostSetting() == 1;
    SetWindowLongPtrW(window, GWL_EXSTYLE,
                      LONG_PTR(AppWindowExStyle(uint32_t(GetWindowLongPtrW(window, GWL_EXSTYLE)), topMost)));
    RECT client = {};
    GetClientRect(window, &client);
    const FormPosition p = CenteredInPrimaryWorkArea(client.right, client.bottom);
    SetWindowPos(window, TopMostInsertAfter(), p.x, p.y, 0, 0, AppWindowPosFlags(keepPosition));
    ShowWindow(window, SW_SHOWNORMAL);
}

void CKoForm::ShowOffscreen() {
    if (!window)
        return;
    SetWindowLongPtrW(window, GWL_EXSTYLE,
                      LONG_PTR(OffscreenExStyle(uint32_t(GetWindowLongPtrW(window, GWL_EXSTYLE)))));
    SetWindowPos(window, TopMostInsertAfter(), -2000, -2000, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
}

void CKoForm::UpdateRegion() {
    if (!window)
        return;
    RECT client = {};
    GetClientRect(window, &client);
    HRGN region = CreateRoundRectRgn(0, 0, client.right + 1, client.bottom + 1, 0, 0);
    // The window owns the region once it is set; only a refused one is ours to delete.
    if (region && !SetWindowRgn(window, region, TRUE))
        DeleteObject(region);
}

void CKoForm::Hide() {
    ShowWindow(window, SW_HIDE);
}

void CKoForm::Minimize() {
    ShowWindow(window, SW_MINIMIZE);
}

void CKoForm::Restore() {
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    ShowWindow(window, SW_SHOW);
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(window);
}

bool CKoForm::Close() {
    if (hostWindow)
        SetFocus(hostWindow);
    // WM_DESTROY may reach code that deletes this form: nothing is touched after.
    HWND closing = window;
    DestroyWindow(closing);
    return true;
}

void CKoForm::RedrawControls() {
    for (auto it = controls.rbegin(); it != controls.rend(); ++it)
        (*it)->Redraw();
}

void CKoForm::ReservedForm() {}

HWND CKoForm::GetHwnd() const {
    return window;
}

CKoBaseControl* CKoForm::ControlAt(POINT pt) const {
    for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
        if ((*it)->HitTest(pt))
            return *it;
    }
    return nullptr;
}

LRESULT CKoForm::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOVE:
        OnMove(wParam, lParam);
        return 0;
    case WM_SIZE:
        OnSize(wParam, lParam);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != 0)
            OnActivate(wParam, lParam);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps = {};
        HDC dc = BeginPaint(hwnd, &ps);
        Paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_CLOSE:
        Close();
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, MessagePointOf(lParam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        OnLeftButtonMessage(msg, wParam, MessagePointOf(lParam));
        return 0;
    case WM_NCDESTROY:
        OnFinalMessage();
        return 1;
    case WM_MOUSEWHEEL: {
        const MessagePoint screen = ScreenPointFromMessageParam(uint64_t(lParam));
        POINT pt = {screen.x, screen.y};
        ScreenToClient(hwnd, &pt);
        OnMouseWheel(wParam, pt);
        return 0;
    }
    case WM_MOUSEHOVER:
        OnMouseHover(wParam, MessagePointOf(lParam));
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave(wParam, MessagePointOf(lParam));
        return 0;
    default:
        return 1;
    }
}

// A click is a press and a release over the same control.
void CKoForm::OnLeftButtonMessage(UINT msg, WPARAM wParam, POINT pt) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        pressedControl = ControlAt(pt);
        OnLButtonDown(wParam, pt);
        break;
    case WM_LBUTTONUP: {
        CKoBaseControl* const pressed = pressedControl;
        pressedControl = nullptr;
        // Pressed on one control and released over another: no click at all.
        if (ControlAt(pt) == pressed)
            OnLButtonUp(wParam, pt);
        break;
    }
    default:
        // The second press of a double click arrives as WM_LBUTTONDBLCLK, not as a press.
        pressedControl = ControlAt(pt);
        OnLButtonDblClk(wParam, pt);
        break;
    }
}

void CKoForm::OnFinalMessage() {
    // The handle may be reused for another window from now on.
    if (window && FromHwnd(window) == this)
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    window = nullptr;
    pressedControl = nullptr;
    trackingMouse = false;
    // Taken out first: the hook may hand this object to a new owner.
    if (FinalMessageHook hook = std::move(finalMessageHook_))
        hook(*this);
}

BOOL CKoForm::PreTranslateMessage(MSG*) {
    return TRUE;
}
