// Creates one window, lets it process its first messages, and exits. With "/stay"
// it shows the window and keeps it on screen until someone closes it (the
// reference of the window timer in bench/startup.sh); with "/hold" it keeps the
// window hidden and runs until it is killed (it keeps the prefix's desktop up
// between the timed runs, as a user's session has it).
#include "bench/startup/ReferenceWindow.h"

#include <cwchar>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const wchar_t className[] = L"BenchMinimalWindow";
    bench::RegisterReferenceClass(instance, className);
    HWND hwnd = CreateWindowExW(0, className, L"bench", WS_POPUP, 100, 100, 200, 100, nullptr, nullptr,
                                instance, nullptr);
    if (wcsstr(commandLine, L"/stay"))
        ShowWindow(hwnd, SW_SHOWNORMAL);
    else if (!wcsstr(commandLine, L"/hold"))
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    bench::RunMessageLoop();
    return 0;
}
