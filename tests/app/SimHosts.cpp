#include "GantryHosts.h"

#include <windows.h>

std::wstring GantrySimHost(const wchar_t* variable) {
    wchar_t value[256] = {};
    const DWORD n = GetEnvironmentVariableW(variable, value, 256);
    if (n == 0 || n >= 256)
        return L"sim-host-missing.invalid";
    return std::wstring(value, n);
}
