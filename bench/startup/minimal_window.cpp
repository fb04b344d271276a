// Creates one window, lets it process its first messages, and exits. With "/stay"
// it shows the window and keeps it on screen until someone closes it (the
// reference of the window timer in bench/startup.sh); with "/hold" it keeps the
// window hidden and runs until it is killed (it keeps the prefix's desktop up
// between the timed runs, as a user's session has it).
#include <windows.h>

#include <cwchar>

namespace {
LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"BenchMinimalWindow";
    RegisterClassExW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"bench", WS_POPUP, 100, 100, 200, 100, nullptr, nullptr,
                                instance, nullptr);
    if (wcsstr(commandLine, L"/stay"))
        ShowWindow(hwnd, SW_SHOWNORMAL);
    else if (!wcsstr(commandLine, L"/hold"))
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
