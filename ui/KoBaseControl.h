// The base of every windowless control and of the forms themselves: a rectangle in
// the host window's client area with a cursor, visibility and enabled state, and
// the virtual mouse and paint operations the form calls. The order of the virtual
// operations is fixed; derived classes append theirs after these.
#pragma once

#include <windows.h>

#include <string>

class CKoForm;

class CKoBaseControl {
public:
    CKoBaseControl();
    virtual ~CKoBaseControl();
    CKoBaseControl(const CKoBaseControl&) = delete;
    CKoBaseControl& operator=(const CKoBaseControl&) = delete;

    // Points are in host-window client coordinates; flags are the message's wParam.
    virtual bool OnLButtonDown(WPARAM flags, POINT pt);
    virtual bool OnLButtonUp(WPARAM flags, POINT pt);
    virtual bool OnMouseMove(WPARAM flags, POINT pt);
    virtual bool OnLButtonDblClk(WPARAM flags, POINT pt);
    virtual bool OnMouseWheel(WPARAM flags, POINT pt);
    virtual void Paint(HDC dc);
    // No repaint.
    virtual void SetBounds(const RECT& rc);
    virtual void SetAnchorRect(const RECT& rc);
    virtual RECT GetBounds() const;
    virtual std::wstring GetControlClass() const;
    // Moves the bounds by the offset when one is given.
    virtual void Relayout(const POINT* offset = nullptr);
    // Visible, enabled and the point inside the bounds (right and bottom excluded).
    virtual bool HitTest(POINT pt) const;
    virtual void SetOwner(CKoForm* form);
    virtual void SetVisible(bool visible, bool redraw = true);
    virtual void SetEnabled(bool enabled, bool redraw = true);
    // Repaints the control's rectangle of the host window at once.
    virtual void Redraw();
    virtual int Reserved(int a, int b, int c, int d);

    RECT bounds = {0, 0, 0, 0};
    HWND hostWindow = nullptr; // set by the form's AddControl
    HCURSOR cursor = nullptr;  // the arrow unless the form assigns another
    CKoForm* owner = nullptr;
    std::wstring className = L"CKoBaseControl";
    RECT anchorRect = {0, 0, 0, 0};
    bool visible = true;
    bool enabled = true;
};
