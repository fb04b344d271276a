#include "app/base/PlatformBrowser.h"

#include "app/base/ExternalPageRules.h"
#include "app/base/Handles.h"
#include "app/base/Utils.h"

#include <windows.h>

#include <shellapi.h>

std::wstring GetPlatformBrowserPath(const std::wstring& suffix) {
    const RegistryLocation where = PlatformBrowserLocation(GetOsBits());
    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, where.keyPath, 0, where.access, key.Put()) != ERROR_SUCCESS)
        return std::wstring();
    // 260 bytes: at most 129 characters and the terminator. A longer value does not
    // fit and counts as missing.
    wchar_t folder[130] = {};
    DWORD type = 0, size = sizeof folder;
    if (RegQueryValueExW(key.Get(), L"Path", nullptr, &type, reinterpret_cast<BYTE*>(folder), &size) !=
            ERROR_SUCCESS ||
        size > sizeof folder)
        return std::wstring();
    const std::wstring text = RegistryFolderText(folder, size, type);
    return text.empty() ? std::wstring() : text + suffix;
}

void RunProgram(const std::wstring& file, const std::wstring& parameters) {
    ShellExecuteW(nullptr, nullptr, file.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
}
