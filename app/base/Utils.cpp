#include "app/base/Utils.h"

#include "app/base/Handles.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wininet.h>

#include <ctime>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace {

// Filled on first use (on the main thread during start-up) and only read later;
// the lock keeps a first use from a worker thread safe as well. Built on first use:
// the global module, a static object of another library, reads the folders from its
// constructor, and a function-local static is ready then whatever the link order,
// and destroyed only after that module.
struct FolderCache {
    std::mutex lock;
    std::wstring appData;
    std::wstring temp;
};
FolderCache& Folders() {
    static FolderCache cache;
    return cache;
}

std::mutex g_guidLock; // constant-initialised, like the buffer it guards
wchar_t g_guidText[128] = L"";

std::wstring SettingsOr(const std::wstring& file) {
    return file.empty() ? GetSettingsIniPath() : file;
}

} // namespace

std::wstring GetAppDataFolder() {
    FolderCache& folders = Folders();
    std::lock_guard<std::mutex> lock(folders.lock);
    if (folders.appData.empty()) {
        wchar_t buffer[MAX_PATH] = L"";
        SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_APPDATA, FALSE);
        std::wstring path = EnsureTrailingBackslash(buffer);
        path += L"Orvo游戏\\";
        path += L"tavro";
        path += L"\\";
        MakeSureDirExists(path.c_str());
        folders.appData = path;
    }
    return folders.appData;
}

std::wstring GetSettingsIniPath() {
    return GetAppDataFolder() + L"Gantry.ini";
}

bool MakeSureDirExists(const wchar_t* path) {
    if (!path)
        return false;
    const std::wstring full(path);
    if (full.find(L'\\') == std::wstring::npos) {
        if (PathFileExistsW(path))
            return true;
        return CreateDirectoryW(path, nullptr) != FALSE;
    }
    for (size_t pos = full.find(L'\\'); pos != std::wstring::npos; pos = full.find(L'\\', pos + 1)) {
        const std::wstring prefix = full.substr(0, pos + 1);
        if (!PathFileExistsW(prefix.c_str()) && !CreateDirectoryW(prefix.c_str(), nullptr))
            return false;
    }
    if (PathFileExistsW(path))
        return true;
    return CreateDirectoryW(path, nullptr) != FALSE;
}

std::wstring GetTempFolder() {
    FolderCache& folders = Folders();
    std::lock_guard<std::mutex> lock(folders.lock);
    if (folders.temp.empty()) {
        wchar_t buffer[MAX_PATH] = L"";
        DWORD len = GetTempPathW(MAX_PATH, buffer);
        if (len > 0 && len < MAX_PATH)
            folders.temp.assign(buffer, len);
    }
    return folders.temp;
}

std::wstring ReadIniString(const std::wstring& section, const std::wstring& key, const std::wstring& def,
                           const std::wstring& file) {
    wchar_t buffer[260] = {};
    GetPrivateProfileStringW(section.c_str(), key.c_str(), def.c_str(), buffer, 260,
                             SettingsOr(file).c_str());
    buffer[259] = L'\0';
    return buffer;
}

int ReadIniInt(const std::wstring& section, const std::wstring& key, int def, const std::wstring& file) {
    return static_cast<int>(
        GetPrivateProfileIntW(section.c_str(), key.c_str(), def, SettingsOr(file).c_str()));
}

void WriteIniString(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                    const std::wstring& file) {
    const std::wstring path = SettingsOr(file);
    // A file that the profile functions create themselves is written in the ANSI
    // code page, which loses every character outside it. One that starts with a
    // UTF-16 byte-order mark is kept in UTF-16, so a new file starts that way.
    if (!PathFileExistsW(path.c_str())) {
        ScopedHandle created(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        if (created) {
            const unsigned char bom[2] = {0xFF, 0xFE};
            DWORD written = 0;
            WriteFile(created.Get(), bom, sizeof bom, &written, nullptr);
        }
    }
    WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path.c_str());
}

std::wstring FormatTime(const wchar_t* pattern, int64_t time) {
    if (!pattern)
        return std::wstring();
    struct tm local = {};
    const __time64_t t = time;
    if (_localtime64_s(&local, &t) != 0)
        return std::wstring();
    wchar_t buffer[128] = L"";
    // A text that does not fit gives 0 by the standard; some runtimes return the
    // full buffer size instead, unterminated, so both count as "does not fit".
    const size_t len = wcsftime(buffer, 128, pattern, &local);
    if (len == 0 || len >= 128)
        return std::wstring();
    return std::wstring(buffer, len);
}

int64_t CurrentTime() {
    return _time64(nullptr);
}

std::wstring NewGuidString() {
    GUID guid = {};
    const bool made = SUCCEEDED(CoCreateGuid(&guid));
    std::lock_guard<std::mutex> lock(g_guidLock);
    if (made) {
        const std::wstring text = FormatGuidText(guid.Data1, guid.Data2, guid.Data3, guid.Data4);
        wcsncpy(g_guidText, text.c_str(), 127);
        g_guidText[127] = L'\0';
    }
    return g_guidText;
}

namespace {

// WC_NO_BEST_FIT_CHARS and MB_PRECOMPOSED are invalid when the ANSI code page is
// UTF-8 (65001): Windows refuses the call with ERROR_INVALID_FLAGS, which would
// leave every converted text empty. The call is then made again without them, and
// `flags` keeps what worked for the second call that fills the buffer.
template <typename Convert> int ConvertTryingFlags(DWORD& flags, Convert convert) {
    int result = convert(flags);
    if (result <= 0 && flags != 0 && GetLastError() == ERROR_INVALID_FLAGS) {
        flags = 0;
        result = convert(flags);
    }
    return result;
}

} // namespace

bool ToNarrow(const wchar_t* text, std::string& out) {
    if (!text)
        return false;
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    const int needed = ConvertTryingFlags(flags, [text](DWORD f) {
        return WideCharToMultiByte(CP_ACP, f, text, -1, nullptr, 0, nullptr, nullptr);
    });
    if (needed <= 0) {
        out.clear();
        return true;
    }
    std::vector<char> buffer(static_cast<size_t>(needed));
    WideCharToMultiByte(CP_ACP, flags, text, -1, buffer.data(), needed, nullptr, nullptr);
    out.assign(buffer.data());
    return true;
}

bool ToWide(const char* text, std::wstring& out) {
    if (!text)
        return false;
    DWORD flags = MB_PRECOMPOSED;
    const int needed = ConvertTryingFlags(
        flags, [text](DWORD f) { return MultiByteToWideChar(CP_ACP, f, text, -1, nullptr, 0); });
    if (needed <= 0) {
        out.clear();
        return true;
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(needed));
    MultiByteToWideChar(CP_ACP, flags, text, -1, buffer.data(), needed);
    out.assign(buffer.data());
    return true;
}

std::string ToNarrow(const std::wstring& text) {
    std::string out;
    ToNarrow(text.c_str(), out);
    return out;
}

std::wstring ToWide(const std::string& text) {
    std::wstring out;
    ToWide(text.c_str(), out);
    return out;
}

namespace {

// The source URLs of every entry of the URL cache.
std::vector<std::wstring> CachedUrls() {
    std::vector<std::wstring> urls;
    DWORD size = 4096;
    HANDLE find = nullptr;
    for (;;) {
        // The entry structure is followed by its strings, so the buffer is raw bytes.
        std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[size]);
        if (!buffer)
            break;
        auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.get());
        entry->dwStructSize = size;
        DWORD got = size;
        BOOL ok;
        if (!find) {
            find = FindFirstUrlCacheEntryW(nullptr, entry, &got);
            ok = find != nullptr;
        } else {
            ok = FindNextUrlCacheEntryW(find, entry, &got);
        }
        while (ok) {
            if (entry->lpszSourceUrlName)
                urls.emplace_back(entry->lpszSourceUrlName);
            got = size;
            entry->dwStructSize = size;
            ok = FindNextUrlCacheEntryW(find, entry, &got);
        }
        if (GetLastError() == ERROR_INSUFFICIENT_BUFFER && got > size) {
            size = got; // the call stored what it needs; go on with the same enumeration
            continue;
        }
        break;
    }
    if (find)
        FindCloseUrlCache(find);
    return urls;
}

} // namespace

// The entries are listed first and deleted after: deleting while enumerating
// may let the enumeration skip entries, which would then stay cached.
void ClearUrlCache() {
    for (const std::wstring& url : CachedUrls())
        DeleteUrlCacheEntryW(url.c_str());
}

bool HasSwitch(const wchar_t* sw) {
    const wchar_t* commandLine = GetCommandLineW();
    return sw && commandLine && wcsstr(commandLine, sw) != nullptr;
}

bool IsProcessElevated() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        return false;
    ScopedHandle token(raw);
    TOKEN_ELEVATION elevation = {};
    DWORD size = sizeof elevation;
    if (!GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size))
        return false;
    return elevation.TokenIsElevated != 0;
}

int GetOsBits() {
    using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
    SYSTEM_INFO info = {};
    auto native = reinterpret_cast<GetNativeSystemInfoFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "GetNativeSystemInfo")));
    if (native)
        native(&info);
    else
        GetSystemInfo(&info);
    const WORD arch = info.wProcessorArchitecture;
    return (arch == PROCESSOR_ARCHITECTURE_AMD64 || arch == PROCESSOR_ARCHITECTURE_IA64) ? 64 : 32;
}
