#include "ui/KoBaseControl.h"

CKoBaseControl::CKoBaseControl() : cursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512))) {}

CKoBaseControl::~CKoBaseControl() = default;

bool CKoBaseControl::OnLButtonDown(WPARAM, POINT) {
    SetCursor(cursor);
    return false;
}

bool CKoBaseControl::OnLButtonUp(WPARAM, POINT) {
    SetCursor(cursor);
    return false;
}

bool CKoBaseControl::OnMouseMove(WPARAM, POINT pt) {
    if (HitTest(pt))
        SetCursor(cursor);
    return false;
}

bool CKoBaseControl::OnLButtonDblClk(WPARAM, POINT) {
    return false;
}

bool CKoBaseControl::OnMouseWheel(WPARAM, POINT) {
    return false;
}

void CKoBaseControl::Paint(HDC) {}

void CKoBaseControl::SetBounds(const RECT& rc) {
    bounds = rc;
}

void CKoBaseControl::SetAnchorRect(const RECT& rc) {
    anchorRect = rc;
    Relayout();
}

RECT CKoBaseControl::GetBounds() const {
    return bounds;
}

std::wstring CKoBaseControl::GetControlClass() const {
    return className;
}

void CKoBaseControl::Relayout(const POINT* offset) {
    if (offset)
        OffsetRect(&bounds, offset->x, offset->y);
}

bool CKoBaseControl::HitTest(POINT pt) const {
    return visible && enabled && PtInRect(&bounds, pt);
}

void CKoBaseControl::SetOwner(CKoForm* form) {
    owner = form;
}

void CKoBaseControl::SetVisible(bool value, bool redraw) {
    if (visible == value)
        return;
    visible = value;
    if (redraw)
        Redraw();
}

void CKoBaseControl::SetEnabled(bool value, bool redraw) {
    if (enabled == value)
        return;
    enabled = value;
    if (redraw)
        Redraw();
}

void CKoBaseControl::Redraw() {
    // Without a host window RedrawWindow would repaint the whole desktop.
    if (hostWindow)
        RedrawWindow(hostWindow, &bounds, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_UPDATENOW);
}

int CKoBaseControl::Reserved(int, int, int, int) {
    return 0;
}
