// Reports the visible message boxes of the session for a test that drives the
// launcher with a real mouse from outside Wine: one UTF-8 line per box,
//   caption<TAB>text<TAB>yesX,yesY<TAB>noX,noY
// with the screen centres of its Yes and No buttons (-1,-1 when it has none).
#include "tests/support/Utf8Text.h"

#include <windows.h>

#include <string>

namespace {

using testing_support::Utf8;

std::wstring TextOf(HWND window) {
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    return buffer;
}

std::wstring ButtonCentre(HWND box, int id) {
    const HWND button = GetDlgItem(box, id);
    RECT r = {};
    if (!button || !GetWindowRect(button, &r))
        return L"-1,-1";
    return std::to_wstring((r.left + r.right) / 2) + L"," + std::to_wstring((r.top + r.bottom) / 2);
}

BOOL CALLBACK Report(HWND window, LPARAM) {
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    if (!IsWindowVisible(window) || lstrcmpW(cls, L"#32770") != 0)
        return TRUE;
    // A message box's text is its static control 0xFFFF.
    const std::wstring line = TextOf(window) + L"\t" + TextOf(GetDlgItem(window, 0xFFFF)) + L"\t" +
                              ButtonCentre(window, IDYES) + L"\t" + ButtonCentre(window, IDNO) + L"\n";
    const std::string bytes = Utf8(line);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), DWORD(bytes.size()), &written, nullptr);
    return TRUE;
}

} // namespace

int wmain() {
    EnumWindows(Report, 0);
    return 0;
}
