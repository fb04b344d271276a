#include "app/base/InstallTime.h"

#include "app/base/Utils.h"

std::wstring StoredInstallTime() {
    std::wstring time = ReadIniString(L"Install", L"InstallTime", L"");
    if (time.empty()) {
        time = FormatTime(L"%Y-%m-%d %H:%M:%S", CurrentTime());
        WriteIniString(L"Install", L"InstallTime", time);
    }
    return time;
}
