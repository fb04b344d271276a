#include "net/MacAddress.h"

#include "app/base/Handles.h"
#include "app/base/Utils.h"
#include "net/SerialDecoding.h"

#include <cstdio>
#include <cstring>
#include <cwctype>
#include <memory>
#include <new>

namespace {

constexpr ULONG kFirstBufferBytes = 648;
// More than any real adapter list; a larger request is treated as a failure
// rather than an allocation that may not be satisfiable.
constexpr ULONG kMaxBufferBytes = 16 * 1024 * 1024;

DWORD SystemAdaptersInfo(IP_ADAPTER_INFO* buffer, ULONG* size) {
    return GetAdaptersInfo(buffer, size);
}

bool Windows6OrLater() {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExW(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           version.dwMajorVersion >= 6;
}

void CopyMac(const IP_ADAPTER_INFO& adapter, wchar_t (&mac)[16]) {
    unsigned char bytes[6];
    std::memcpy(bytes, adapter.Address, sizeof bytes);
    const std::wstring text = FormatMacText(bytes);
    text.copy(mac, text.size());
    mac[text.size()] = L'\0';
}

// A registry value read into a buffer of the given size; false when it is
// missing or does not fit.
bool QueryValue(HKEY key, const wchar_t* name, BYTE* buffer, DWORD capacity, DWORD& size) {
    size = capacity;
    return RegQueryValueExW(key, name, nullptr, nullptr, buffer, &size) == ERROR_SUCCESS;
}

} // namespace

bool GetMacAddressWith(AdaptersInfoFn adaptersInfo, AdapterFilterFn isPhysical, wchar_t (&mac)[16]) {
    // ULONGLONG storage keeps the records aligned.
    ULONG size = kFirstBufferBytes;
    std::unique_ptr<ULONGLONG[]> buffer(new (std::nothrow) ULONGLONG[(size + 7) / 8]);
    if (!buffer)
        return false;
    DWORD status = adaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()), &size);
    if (status == ERROR_BUFFER_OVERFLOW) {
        if (size == 0 || size > kMaxBufferBytes)
            return false;
        buffer.reset(new (std::nothrow) ULONGLONG[(size + 7) / 8]);
        if (!buffer)
            return false;
        // The list may have grown in between; a second overflow gives no MAC.
        status = adaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()), &size);
    }
    if (status != ERROR_SUCCESS)
        return false;

    // The records lie in the buffer, so there can be no more of them than fit.
    const IP_ADAPTER_INFO* first = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.get());
    size_t steps = size / sizeof(IP_ADAPTER_INFO) + 1;
    for (const IP_ADAPTER_INFO* a = first; a && steps; a = a->Next, --steps) {
        if (isPhysical && isPhysical(*a)) {
            CopyMac(*a, mac);
            return true;
        }
    }
    CopyMac(*first, mac);
    return true;
}

bool GetMacAddress(wchar_t (&mac)[16]) {
    return GetMacAddressWith(SystemAdaptersInfo, IsPhysicalPciAdapter, mac);
}

bool IsPhysicalPciAdapterOn(const IP_ADAPTER_INFO& adapter, bool windows6OrLater) {
    // The adapter name is its GUID text; it need not be terminated within its field.
    const std::string name(adapter.AdapterName, strnlen(adapter.AdapterName, sizeof adapter.AdapterName));
    wchar_t path[512];
    const int written = swprintf(path, 512,
                                 L"System\\CurrentControlSet\\Control\\Network\\"
                                 L"{4D36E972-E325-11CE-BFC1-08002BE10318}\\%ls\\Connection",
                                 ToWide(name).c_str());
    if (written < 0)
        return false;

    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return false;

    wchar_t pnp[512 + 1] = {}; // 1024 bytes for the value, one unit more keeps it terminated
    DWORD size;
    if (!QueryValue(key.Get(), L"PnpInstanceID", reinterpret_cast<BYTE*>(pnp), 1024, size))
        return false;
    if (size < 3 * sizeof(wchar_t) || towupper(pnp[0]) != L'P' || towupper(pnp[1]) != L'C' ||
        towupper(pnp[2]) != L'I')
        return false;

    if (windows6OrLater)
        return adapter.Type == MIB_IF_TYPE_ETHERNET;

    BYTE media[1024] = {};
    if (!QueryValue(key.Get(), L"MediaSubType", media, sizeof media, size) || size < 4)
        return false;
    DWORD subType;
    std::memcpy(&subType, media, sizeof subType);
    return subType == 1;
}

bool IsPhysicalPciAdapter(const IP_ADAPTER_INFO& adapter) {
    return IsPhysicalPciAdapterOn(adapter, Windows6OrLater());
}
