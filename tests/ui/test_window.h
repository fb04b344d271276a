// A window class for the toolkit's tests that routes each message to the form whose
// window it is, as the application's shared window procedure does, and to
// DefWindowProcW when the form leaves it (or for windows of no form).
#pragma once

#include "ui/KoForm.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace testwindow {

inline std::vector<CKoForm*>& Forms() {
    static std::vector<CKoForm*> forms;
    return forms;
}

inline LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    for (CKoForm* form : Forms()) {
        if (form->GetHwnd() == hwnd) {
            if (form->HandleMessage(hwnd, msg, wParam, lParam) == 0)
                return 0;
            break;
        }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

inline const wchar_t* ClassName() {
    static const wchar_t* name = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        // Global, so that forms created with another module's instance find it too.
        wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_GLOBALCLASS;
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = L"GantryUiTest";
        RegisterClassExW(&wc);
        return L"GantryUiTest";
    }();
    return name;
}

// Registers a form for routing for the lifetime of this object; destroys its
// window at the end if it still exists.
class Routed {
public:
    explicit Routed(CKoForm& form) : form_(form) { Forms().push_back(&form); }
    ~Routed() {
        if (IsWindow(form_.GetHwnd()))
            DestroyWindow(form_.GetHwnd());
        auto& f = Forms();
        f.erase(std::remove(f.begin(), f.end(), &form_), f.end());
    }
    Routed(const Routed&) = delete;
    Routed& operator=(const Routed&) = delete;

private:
    CKoForm& form_;
};

inline void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

inline LPARAM Point(int x, int y) {
    return MAKELPARAM(x, y);
}

} // namespace testwindow
