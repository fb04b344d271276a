#include "net/NetCafe.h"

#include "app/base/Handles.h"
#include "net/NetCafeTable.h"

#include <windows.h>

#include <tlhelp32.h>

#include <cwchar>

namespace {

bool KeyProbe(const wchar_t* keyPath, void*) {
    return RegistryKeyExists(keyPath);
}

bool ProcessProbe(const wchar_t* exeName, void*) {
    return IsProcessRunning(exeName);
}

} // namespace

bool RegistryKeyExists(const wchar_t* keyPath) {
    if (!keyPath)
        return false;
    ScopedRegKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, key.Put()) == ERROR_SUCCESS;
}

bool IsProcessRunning(const wchar_t* exeName) {
    if (!exeName)
        return false;
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        if (std::wcscmp(entry.szExeFile, exeName) == 0)
            return true;
    }
    return false;
}

int DetectNetCafe() {
    return ScanNetCafeRows(KeyProbe, ProcessProbe, nullptr);
}
