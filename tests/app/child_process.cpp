#include "child_process.h"

#include "tests/net/TestFiles.h"
#include "tests/support/SimClient.h"
#include "tests/support/Utf8Text.h"

#include <shlobj.h>

#include <cstdio>

namespace testing_support {

std::wstring BuildPath(const char* relativeUnixPath) {
    std::string unix = std::string(GANTRY_BINARY_DIR) + "/" + relativeUnixPath;
    std::wstring path = L"Z:";
    for (char c : unix)
        path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

namespace {
struct Collect {
    DWORD pid;
    std::vector<HWND>* out;
};
BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
    auto* c = reinterpret_cast<Collect*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == c->pid && IsWindowVisible(hwnd))
        c->out->push_back(hwnd);
    return TRUE;
}
} // namespace

std::vector<HWND> VisibleTopLevelWindows(DWORD processId) {
    std::vector<HWND> out;
    Collect c{processId, &out};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&c));
    return out;
}

namespace {
bool g_standardUserChildren = false;

// The limited token linked to this process's elevated one (what an administrator's
// programs get on Windows unless started elevated); null when this process is not
// elevated with a linked token.
HANDLE LimitedToken() {
    HANDLE own = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own))
        return nullptr;
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    TOKEN_LINKED_TOKEN linked = {};
    DWORD size = 0;
    const bool full = GetTokenInformation(own, TokenElevationType, &type, sizeof type, &size) &&
                      type == TokenElevationTypeFull;
    if (!full || !GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size))
        linked.LinkedToken = nullptr;
    CloseHandle(own);
    return linked.LinkedToken;
}
} // namespace

void StartChildrenAsStandardUser(bool standardUser) {
    g_standardUserChildren = standardUser;
}

bool StartsChildrenAsStandardUser() {
    return g_standardUserChildren;
}

ChildResult RunChild(const std::wstring& exe, const std::wstring& args, DWORD limitMs, WindowProbe onWindows,
                     void* context) {
    ChildResult result;
    std::wstring commandLine = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    // A start that fails is tried once more: under a loaded Wine the restricted
    // token's start has been seen to fail once. The reason is printed, so a
    // failure that stays shows why.
    BOOL created = FALSE;
    for (int attempt = 0; attempt < 2 && !created; ++attempt) {
        HANDLE limited = g_standardUserChildren ? LimitedToken() : nullptr;
        created = limited ? CreateProcessAsUserW(limited, exe.c_str(), &commandLine[0], nullptr, nullptr,
                                                 FALSE, 0, nullptr, nullptr, &si, &pi)
                          : CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                           nullptr, &si, &pi);
        const DWORD error = created ? 0 : GetLastError();
        if (limited)
            CloseHandle(limited);
        if (!created) {
            fprintf(stderr, "RunChild: could not start %ls%s (error %lu)\n", exe.c_str(),
                    limited ? " as a standard user" : "", static_cast<unsigned long>(error));
            Sleep(200);
        }
    }
    if (!created)
        return result;
    result.started = true;
    const DWORD start = GetTickCount();
    bool watching = true;
    for (;;) {
        if (watching) {
            const std::vector<HWND> visible = VisibleTopLevelWindows(pi.dwProcessId);
            if (!visible.empty())
                result.sawVisibleWindow = true;
            if (onWindows && onWindows(visible, context))
                watching = false;
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= limitMs)
            break;
        if (WaitForSingleObject(pi.hProcess, watching ? 10 : limitMs - elapsed) == WAIT_OBJECT_0) {
            result.exited = true;
            break;
        }
    }
    if (!result.exited) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return result;
}

std::map<std::string, std::wstring> ReadKeyValueFile(const std::wstring& path) {
    std::map<std::string, std::wstring> values;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f)
        return values;
    char line[8192];
    while (fgets(line, sizeof line, f)) {
        std::string s = line;
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
            s.pop_back();
        const size_t eq = s.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string value = s.substr(eq + 1);
        values[s.substr(0, eq)] = FromUtf8(value);
    }
    fclose(f);
    return values;
}

ProbeRun RunProbe(const std::wstring& exe, const std::wstring& args, DWORD limitMs, WindowProbe onWindows,
                  void* context) {
    const std::wstring name = exe.substr(exe.find_last_of(L"\\/") + 1);
    const std::wstring out =
        OwnFolder() + L"results-" + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(out.c_str());
    ProbeRun run;
    run.child = RunChild(exe, L"\"" + out + L"\" " + args, limitMs, onWindows, context);
    run.values = ReadKeyValueFile(out);
    DeleteFileW(out.c_str());
    return run;
}

void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = dir + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
    DeleteFileW(dir.c_str()); // in case a file stood there
}

std::wstring AppDataFolderPath() {
    wchar_t roaming[MAX_PATH] = L"";
    SHGetSpecialFolderPathW(nullptr, roaming, CSIDL_APPDATA, FALSE);
    std::wstring p = roaming;
    if (!p.empty() && p.back() != L'\\')
        p += L'\\';
    return p + L"Orvo游戏\\tavro\\";
}

std::wstring AppDataRootPath() {
    std::wstring folder = AppDataFolderPath();
    folder.pop_back();
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring SettingsPath() {
    return AppDataFolderPath() + L"Gantry.ini";
}

std::wstring ReadSetting(const wchar_t* section, const wchar_t* key) {
    wchar_t buf[1024] = L"";
    GetPrivateProfileStringW(section, key, L"<missing>", buf, 1024, SettingsPath().c_str());
    return buf;
}

void WriteSetting(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    CreateDirectoryW(AppDataRootPath().c_str(), nullptr);
    CreateDirectoryW(AppDataFolderPath().c_str(), nullptr);
    WritePrivateProfileStringW(section, key, value.c_str(), SettingsPath().c_str());
}

bool TrustTestAuthority() {
    std::string der;
    return test_files::Read(OwnFolder() + L"signed\\ca.der", der) && TrustRootCertificate(der);
}

} // namespace testing_support
