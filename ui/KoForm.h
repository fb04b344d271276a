// The base of every top-level window: one borderless popup window and an ordered
// list of windowless controls that it paints and hands its mouse messages to. The
// list does not own the controls (they are members of the derived form). List
// order is paint order; hit testing runs the other way, so later controls lie on
// top. The virtual operations continue those of CKoBaseControl in a fixed order;
// each window class appends its own `Init` after PreTranslateMessage.
#pragma once

#include "ui/KoBaseControl.h"

#include <functional>
#include <vector>

class CKoForm : public CKoBaseControl {
public:
    CKoForm();
    ~CKoForm() override;

    bool OnLButtonDown(WPARAM flags, POINT pt) override;
    bool OnMouseMove(WPARAM flags, POINT pt) override;
    bool OnLButtonDblClk(WPARAM flags, POINT pt) override;
    bool OnMouseWheel(WPARAM flags, POINT pt) override;
    void Paint(HDC dc) override;
    void Relayout(const POINT* offset = nullptr) override;

    virtual bool AddControl(CKoBaseControl* control);
    virtual bool RemoveControl(CKoBaseControl* control);
    virtual bool OnMouseLeave(WPARAM flags, POINT pt);
    virtual bool OnMouseHover(WPARAM flags, POINT pt);
    virtual void OnSize(WPARAM wParam, LPARAM lParam);
    virtual void OnMove(WPARAM wParam, LPARAM lParam);
    virtual void OnActivate(WPARAM wParam, LPARAM lParam);
    // Hover and leave tracking for the window, unless a request is outstanding
    // and no hover report came since.
    virtual void TrackMouse();
    // WM_SYSCOMMAND 0xF000 + offset to `target` (null: this window) with full-window
    // dragging switched off for the call.
    virtual LRESULT SendSysCommand(UINT offset, HWND target = nullptr);
    // Creates the window once (WS_POPUP at the bounds); true when a window exists.
    virtual bool Create(const wchar_t* windowClass, const wchar_t* windowName, HINSTANCE instance,
                        HWND parent = nullptr);
    // Centres on the work area and shows; false without a window.
    virtual bool ShowCentered(int showCmd);
    virtual void Hide();
    virtual void Minimize();
    virtual void Restore();
    virtual bool Close();
    virtual void RedrawControls();
    virtual void ReservedForm();
    virtual HWND GetHwnd() const;
    // 0 when the message was handled, 1 when the caller passes it on. A click is a
    // press and a release on the same control: OnLButtonUp runs only when the
    // release is over the control that took the press (or over none, as the press
    // was). WM_NCDESTROY makes the form forget its window (passed on as well).
    virtual LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The base consumes nothing the windows care about and answers TRUE; the
    // windows that the message loop consults override it.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // The form whose window this is: bound when Create has stored the handle (so
    // messages sent while CreateWindowExW runs find no form), unbound at the
    // window's WM_NCDESTROY or when the form goes first. Null for any other window.
    static CKoForm* FromHwnd(HWND window);
    // Run as the last step of the window's WM_NCDESTROY, once the form has let go
    // of its window: the owner of a form made on request takes it back here. The
    // hook may hand the object on but must not free it (its code is on the stack).
    using FinalMessageHook = std::function<void(CKoForm& form)>;
    void SetFinalMessageHook(FinalMessageHook hook) { finalMessageHook_ = std::move(hook); }

    // The last control whose HitTest accepts the point, or null.
    CKoBaseControl* ControlAt(POINT pt) const;
    // Shown with a taskbar button, centred on the work area (or kept in place).
    void ShowAsAppWindow(bool keepPosition);
    // Shown at (-2000, -2000) without a taskbar button: alive but out of sight.
    void ShowOffscreen();
    // A plain rectangular region one pixel larger than the client area.
    void UpdateRegion();

    bool trackingMouse = false;
    bool hoverSeen = false;
    HWND window = nullptr;
    CKoBaseControl* pressedControl = nullptr; // under the last press (or double click)
    std::vector<CKoBaseControl*> controls;

private:
    void OnFinalMessage();
    void OnLeftButtonMessage(UINT msg, WPARAM wParam, POINT pt);

    FinalMessageHook finalMessageHook_;
};
