// Times what a player feels of a program: from starting it to its window on screen,
// and from closing it to the end of the process.
//   bench_window_timer [--owned] [--settle MS] [--close window|owner|all] CLASS EXE [ARGS...]
// Starts EXE, polls its top-level windows until a visible one of window class CLASS
// lies on the screen (with --owned, one that has an owner: the launcher's login
// window, which its backdrop owns), waits MS milliseconds (default 1000), then posts
// WM_CLOSE to that window (window, the default), to its owner (owner: what the
// taskbar button's Close does to the launcher's backdrop) or to every visible
// top-level window of the process (all: how a system asks a program to end), and
// waits for the process to end. Prints one line
// "shown_ms=N exit_ms=N exit_code=N closed=N"; exits 1 when the window never showed
// or the process did not end within 30 s (it is then killed).
#include "bench/BenchClock.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using bench::NowMs;

struct Search {
    DWORD processId = 0;
    const wchar_t* className = nullptr;
    bool owned = false;
    HWND found = nullptr;
    std::vector<HWND> visible; // every visible top-level window of the process
};

bool OnScreen(HWND window) {
    RECT r = {}, overlap = {};
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return GetWindowRect(window, &r) && IntersectRect(&overlap, &r, &screen);
}

BOOL CALLBACK Visit(HWND window, LPARAM context) {
    auto* s = reinterpret_cast<Search*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != s->processId || !IsWindowVisible(window))
        return TRUE;
    s->visible.push_back(window);
    wchar_t name[128] = {};
    if (!s->found && GetClassNameW(window, name, 128) && wcscmp(name, s->className) == 0 &&
        (!s->owned || GetWindow(window, GW_OWNER)) && OnScreen(window)) // not parked off screen
        s->found = window;
    return TRUE;
}

std::wstring Quoted(const wchar_t* arg) {
    return std::wstring(L"\"") + arg + L"\"";
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int i = 1;
    bool owned = false;
    DWORD settleMs = 1000;
    std::wstring close = L"window";
    for (; i < argc && argv[i][0] == L'-'; ++i) {
        if (wcscmp(argv[i], L"--owned") == 0)
            owned = true;
        else if (wcscmp(argv[i], L"--settle") == 0 && i + 1 < argc)
            settleMs = DWORD(_wtoi(argv[++i]));
        else if (wcscmp(argv[i], L"--close") == 0 && i + 1 < argc)
            close = argv[++i];
    }
    if (argc - i < 2 || (close != L"window" && close != L"owner" && close != L"all")) {
        std::fprintf(stderr, "usage: bench_window_timer [--owned] [--settle MS] [--close window|owner|all] "
                             "CLASS EXE [ARGS...]\n");
        return 2;
    }
    const wchar_t* className = argv[i];
    std::wstring commandLine = Quoted(argv[i + 1]);
    for (int k = i + 2; k < argc; ++k)
        commandLine += L" " + Quoted(argv[k]);

    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    const double start = NowMs();
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "bench_window_timer: cannot start the program (%lu)\n", GetLastError());
        return 1;
    }
    Search search{pi.dwProcessId, className, owned, nullptr, {}};
    while (!search.found && WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT && NowMs() - start < 30000) {
        search.visible.clear();
        EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    }
    const double shown = NowMs();
    double exitMs = -1;
    DWORD code = DWORD(-1);
    size_t closed = 0;
    if (search.found) {
        Sleep(settleMs);
        search.visible.clear();
        EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
        std::vector<HWND> targets{search.found};
        if (close == L"owner" && GetWindow(search.found, GW_OWNER))
            targets = {GetWindow(search.found, GW_OWNER)};
        else if (close == L"all")
            targets = search.visible;
        const double first = NowMs();
        for (HWND target : targets)
            closed += PostMessageW(target, WM_CLOSE, 0, 0) ? 1 : 0;
        if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) {
            exitMs = NowMs() - first;
            GetExitCodeProcess(pi.hProcess, &code);
        }
    }
    if (exitMs < 0)
        TerminateProcess(pi.hProcess, 1);
    std::printf("shown_ms=%.1f exit_ms=%.1f exit_code=%ld closed=%u\n", search.found ? shown - start : -1.0,
                exitMs, long(code), unsigned(closed));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return exitMs < 0 ? 1 : 0;
}
