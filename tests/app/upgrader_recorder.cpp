// Stands in for the downloaded upgrader in the version-check tests: it records how
// it was started (its whole command line and the show state it was given) in
// "<its own path>.txt", "key=value" lines in UTF-8, and exits.
#include "tests/support/Utf8Text.h"

#include <windows.h>

#include <cstdio>
#include <string>

using testing_support::Utf8;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    FILE* out = _wfopen((std::wstring(self) + L".txt").c_str(), L"wb");
    if (!out)
        return 1;
    fprintf(out, "cmdline=%s\n", Utf8(GetCommandLineW()).c_str());
    fprintf(out, "useShowWindow=%d\n", (startup.dwFlags & STARTF_USESHOWWINDOW) ? 1 : 0);
    fprintf(out, "showWindow=%d\n", static_cast<int>(startup.wShowWindow));
    fclose(out);
    return 0;
}
