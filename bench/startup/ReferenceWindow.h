// What the start-up benchmark's reference programs share: a window class whose
// window ends the program when destroyed, and the message loop.
#pragma once

#include <windows.h>

namespace bench {

inline LRESULT CALLBACK QuitOnDestroyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

inline void RegisterReferenceClass(HINSTANCE instance, const wchar_t* className) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = QuitOnDestroyProc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
}

inline void RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace bench
