// The global module with the launcher's own install record and external pages,
// started as a child process by the tests (the module and the record are built
// once per process). The endpoints come from the simulator's environment.
//   ident_module_probe <out> load           LoadInstallRecord and its fields
//   ident_module_probe <out> active         SendActiveBeacon twice, wait for it
//   ident_module_probe <out> open <url>     load, OpenUrlInBrowser, wait for its report
//   ident_module_probe <out> refuse <url>... <marker>
//                                           OpenUrlInBrowser for each url, then for
//                                           the marker, waiting for its report
//   ident_module_probe <out> pay            GetPayUrl before and after a login
// Results go to <out> as "key=value" lines, UTF-8.
#include "app/GlobalModule.h"
#include "app/base/Handles.h"
#include "app/base/Utils.h"

#include "tests/support/Utf8Text.h"

#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <string>

namespace {
using testing_support::Utf8;

class Output {
public:
    explicit Output(const wchar_t* path) : file_(_wfopen(path, L"wb")) {}
    ~Output() {
        if (file_)
            fclose(file_);
    }
    bool Ok() const { return file_ != nullptr; }
    void Put(const char* key, const std::wstring& value) {
        fprintf(file_, "%s=%s\n", key, Utf8(value).c_str());
    }
    void Put(const char* key, bool value) { Put(key, std::wstring(value ? L"1" : L"0")); }

private:
    FILE* file_;
};

// The reports save their answer in the temp folder; a failed one deletes it. Waits
// (bounded) for the file of a finished report under either name: 1 for the first
// name, 2 for the second, 0 when none came.
int WaitForReport(const std::wstring& file, const std::wstring& other = std::wstring()) {
    const std::wstring path = GetTempFolder() + file;
    const std::wstring otherPath = other.empty() ? std::wstring() : GetTempFolder() + other;
    for (int i = 0; i < 200; ++i) {
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return 1;
        if (!otherPath.empty() && GetFileAttributesW(otherPath.c_str()) != INVALID_FILE_ATTRIBUTES)
            return 2;
        Sleep(50);
    }
    return 0;
}

void DeleteReport(const std::wstring& file) {
    DeleteFileW((GetTempFolder() + file).c_str());
}

// Ends the Internet Explorer that an opening started from this process, by its id.
bool EndOwnBrowserChildren() {
    bool found = false;
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W e = {};
    e.dwSize = sizeof e;
    for (BOOL more = Process32FirstW(snapshot.Get(), &e); more; more = Process32NextW(snapshot.Get(), &e)) {
        if (e.th32ParentProcessID != GetCurrentProcessId() || _wcsicmp(e.szExeFile, L"iexplore.exe") != 0)
            continue;
        found = true;
        ScopedHandle child(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, e.th32ProcessID));
        if (child) {
            TerminateProcess(child.Get(), 0);
            WaitForSingleObject(child.Get(), 5000);
        }
    }
    return found;
}

void PutRecord(Output& out) {
    const CInstallRecord& r = g_module.InstallRecord();
    out.Put("loaded", r.IsLoaded());
    out.Put("guid", r.GetGuid());
    out.Put("installTime", r.GetInstallTime());
    out.Put("installType", std::to_wstring(r.GetInstallType()));
    out.Put("autorun", r.IsAutorunStart());
    out.Put("netCafe", r.IsNetCafe());
    out.Put("hardwareId", r.GetHardwareId());
    out.Put("macId", r.GetMacId());
    out.Put("channel", r.GetChannel());
    out.Put("activeSent", r.IsActiveSent());
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3)
        return 2;
    Output out(argv[1]);
    if (!out.Ok())
        return 3;
    const std::wstring command = argv[2];
    if (command == L"load") {
        out.Put("macIdBefore", g_module.InstallRecord().GetMacId());
        g_module.InstallRecord().LoadInstallRecord();
        PutRecord(out);
    } else if (command == L"active") {
        DeleteReport(L"ActiveStat.tmp");
        g_module.InstallRecord().SendActiveBeacon();
        g_module.InstallRecord().SendActiveBeacon();
        out.Put("reported", WaitForReport(L"ActiveStat.tmp") == 1);
        PutRecord(out);
    } else if (command == L"open" && argc > 3) {
        DeleteReport(L"OrvoBrowser.tmp");
        DeleteReport(L"ElseBrowser.tmp");
        // As in the launcher, where the login page's activity report loaded the
        // record before any link can be followed: the cookie carries the MAC id.
        g_module.InstallRecord().LoadInstallRecord();
        out.Put("platformBrowserPath", g_module.GetPlatformBrowserPath());
        g_module.OpenUrlInBrowser(argv[3]);
        out.Put("lastOpenedUrl", g_module.GetLastOpenedUrl());
        const int report = WaitForReport(L"OrvoBrowser.tmp", L"ElseBrowser.tmp");
        out.Put("platformReport", report == 1);
        out.Put("otherReport", report == 2);
        std::wstring pendingUrl;
        out.Put("refererPendingAfter", g_module.Shared().TakeRefererPending(pendingUrl));
        out.Put("macId", g_module.InstallRecord().GetMacId());
        out.Put("iexploreStarted", EndOwnBrowserChildren());
    } else if (command == L"refuse" && argc > 4) {
        DeleteReport(L"ElseBrowser.tmp");
        for (int i = 3; i < argc - 1; ++i)
            g_module.OpenUrlInBrowser(argv[i]);
        out.Put("startedByRefused", EndOwnBrowserChildren());
        out.Put("lastOpenedUrl", g_module.GetLastOpenedUrl());
        g_module.OpenUrlInBrowser(argv[argc - 1]);
        out.Put("markerReport", WaitForReport(L"ElseBrowser.tmp") == 1);
        EndOwnBrowserChildren();
    } else if (command == L"pay") {
        out.Put("before", g_module.GetPayUrl());
        g_module.SetServerId(L"27");
        g_module.SetUserName(L"bob");
        out.Put("after", g_module.GetPayUrl());
    } else {
        return 4;
    }
    return 0;
}
