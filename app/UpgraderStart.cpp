#include "app/UpgraderStart.h"

#include <objbase.h>
#include <sddl.h>
#include <shellapi.h>

#include <vector>

namespace {

constexpr wchar_t kUpgraderSwitches[] = L"/S /KOUPGRADE";

// Full control for SYSTEM and Administrators, read and run for Users; protected,
// so nothing is inherited from the parent folder.
constexpr wchar_t kAdminFolderSddl[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// A new folder with the admin-only security, under a name no one has used yet:
// a folder that exists already (made by anyone) is never reused.
bool CreateAdminFolder(std::wstring& folder) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminFolderSddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return false;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    wchar_t windows[MAX_PATH] = L"";
    bool made = false;
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    for (int attempt = 0; attempt < 8 && !made && length > 0 && length < MAX_PATH; ++attempt) {
        GUID id = {};
        wchar_t text[40] = L"";
        if (FAILED(CoCreateGuid(&id)) || !StringFromGUID2(id, text, 40))
            break;
        folder = std::wstring(windows) + L"\\Temp\\OrvoGantryUpgrade" + text;
        made = CreateDirectoryW(folder.c_str(), &attributes) != FALSE;
    }
    LocalFree(descriptor);
    return made;
}

bool CopyBytes(HANDLE from, HANDLE to) {
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(from, start, nullptr, FILE_BEGIN))
        return false;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        DWORD read = 0, written = 0;
        if (!ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            return false;
        if (read == 0)
            return true;
        if (!WriteFile(to, buffer.data(), read, &written, nullptr) || written != read)
            return false;
    }
}

} // namespace

std::optional<DottedVersion> ReadFileVersion(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    std::vector<BYTE> info(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!GetFileVersionInfoW(path.c_str(), 0, size, info.data()) ||
        !VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed ||
        fixedSize < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != VS_FFI_SIGNATURE)
        return std::nullopt;
    DottedVersion version;
    version.parts = {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                     HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
    return version;
}

bool CopyToAdminFolder(HANDLE held, std::wstring& copyPath, ScopedHandle& copyHeld) {
    std::wstring folder;
    if (!CreateAdminFolder(folder))
        return false;
    copyPath = folder + L"\\OrvoGantryUpgrade.exe";
    bool copied = false;
    {
        ScopedHandle out(CreateFileW(copyPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        copied = out && CopyBytes(held, out.Get());
    }
    // Held as the download is: read-only, sharing reading only, until it has started.
    if (copied)
        copyHeld.Reset(CreateFileW(copyPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (copied && copyHeld)
        return true;
    DeleteFileW(copyPath.c_str());
    RemoveDirectoryW(folder.c_str());
    return false;
}

bool CreateUpgraderProcess(const std::wstring& path) {
    wchar_t commandLine[64] = L" ";
    wcscat_s(commandLine, kUpgraderSwitches);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(path.c_str(), commandLine, nullptr, nullptr, FALSE,
                        CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                        &process))
        return false;
    ScopedHandle thread(process.hThread);
    ScopedHandle child(process.hProcess);
    return true;
}

bool ShellExecuteUpgraderElevated(const std::wstring& path) {
    // The shell may hand the start to extensions, which want COM on this thread
    // (the main thread has it already; this adds a matching reference).
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC;
    info.hwnd = nullptr;
    info.lpVerb = L"runas";
    info.lpFile = path.c_str();
    info.lpParameters = kUpgraderSwitches;
    info.nShow = SW_SHOWNORMAL;
    const bool started = ShellExecuteExW(&info) != FALSE;
    if (SUCCEEDED(com))
        CoUninitialize();
    return started;
}
