// The background window: a per-pixel-alpha layered window showing the 1200 x 760
// artwork (PNG resource 170). The login window sits on top of it as a separate
// colour-keyed window owned by it; moving this window moves the login window to
// its client origin, and a press anywhere on the artwork drags both. Closing it
// (its taskbar button, or the system asking every window to close) closes the
// login window instead, which ends the application; without a login window set it
// closes itself.
#pragma once

#include "ui/KoForm.h"

class CFormBack : public CKoForm {
public:
    CFormBack();
    ~CFormBack() override;

    bool OnLButtonDown(WPARAM flags, POINT pt) override;
    void OnMove(WPARAM wParam, LPARAM lParam) override;
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Creates the window with the application's class and title, makes it a
    // layered window with a minimisable taskbar button and pushes the artwork of
    // resource 170 from `instance`. True once the window exists.
    virtual bool Init(HINSTANCE instance, const wchar_t* windowClass, const wchar_t* title);

    // Draws the artwork into a bitmap of the bounds' size and pushes it with
    // UpdateLayeredWindow; fully transparent when the resource is missing.
    void PaintLayeredBackground();

    // A control of the login window (see SetLoginWindow) whose whole rectangle takes
    // clicks: presses and releases that fall through its see-through pixels to this
    // window are handed to the login window, and the pointer there shows the
    // control's cursor. Null: none. The control must outlive this form's use of it.
    void PassClicksTo(CKoBaseControl* control);

private:
    void OnClose();
    // The point (client coordinates of this window) in the login window's client
    // coordinates, when it lies on the pass-through control.
    bool IsOnPassThroughControl(POINT pt, POINT& loginPoint) const;

    HINSTANCE instance_ = nullptr;
    CKoBaseControl* passThrough_ = nullptr;
};

// The login window that follows the background window; null until the global
// module sets it (OnMove then does nothing).
void SetLoginWindow(CKoForm* login);
CKoForm* LoginWindow();

// The artwork resource of the background window.
constexpr WORD kBackgroundImageId = 170;
