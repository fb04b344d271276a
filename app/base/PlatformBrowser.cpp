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

std::wstring GetInternetExplorerPath() {
    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE", 0,
                      KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS)
        return std::wstring();
    wchar_t data[MAX_PATH + 2] = {};
    DWORD type = 0, size = sizeof data;
    if (RegQueryValueExW(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS ||
        size > sizeof data)
        return std::wstring();
    std::wstring path = UnquotedPath(RegistryFolderText(data, size, type));
    if (type == REG_EXPAND_SZ && !path.empty()) {
        wchar_t expanded[MAX_PATH] = {};
        const DWORD n = ExpandEnvironmentStringsW(path.c_str(), expanded, MAX_PATH);
        path = n > 0 && n <= MAX_PATH ? std::wstring(expanded) : std::wstring();
    }
    if (path.empty() || !PathIsAbsolute(path) || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return std::wstring();
    return path;
}

void RunProgram(const std::wstring& file, const std::wstring& parameters) {
    ShellExecuteW(nullptr, nullptr, file.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
}
