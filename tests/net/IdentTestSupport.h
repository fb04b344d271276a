// Helpers for the Windows tests of identification and net-café detection:
// throw-away HKLM keys, copies of the helper program running under a chosen
// name, and runs of the helper with a chosen affinity mask.
#pragma once

#include "app/base/Handles.h"
#include "net/CpuId.h"
#include "net/DiskSerial.h"
#include "net/MacAddress.h"
#include "net/MachineId.h"

#include <windows.h>

#include <tlhelp32.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace identtest {

// The processor signature with its APIC id (the top byte of EBX, text positions 9
// and 10) blanked. On a real machine the first processor always reports the same
// id; a virtual machine may pass the id of whichever host core ran the instruction
// through, and that moves from one process to the next.
inline std::wstring WithoutApicId(std::wstring cpuText) {
    if (cpuText.size() == 35)
        cpuText.replace(9, 2, L"..");
    return cpuText;
}

// Whether id is the hardware id another process of this machine computes: the MD5
// of this process's processor signature (with any APIC id), disk serial and MAC.
inline bool IsThisMachinesHardwareId(const std::wstring& id) {
    wchar_t cpu[36] = {}, disk[64] = {}, mac[16] = {};
    const bool haveCpu = GetCpuIdString(cpu);
    std::wstring rest;
    if (GetDiskSerial(disk))
        rest += disk;
    if (GetMacAddress(mac))
        rest += mac;
    std::wstring text = haveCpu ? cpu : L"";
    if (text.size() != 35)
        return id == Md5HexOfAnsi(text + rest);
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    for (int apic = 0; apic < 256; ++apic) {
        text[9] = kHex[apic >> 4];
        text[10] = kHex[apic & 15];
        if (Md5HexOfAnsi(text + rest) == id)
            return true;
    }
    return false;
}

// The folder of the running test program, with a trailing backslash.
inline std::wstring ProgramDir() {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self, n);
    return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

inline std::wstring HelperPath() {
    return ProgramDir() + L"ident_helper.exe";
}

// A fresh folder under the temp folder; removed with what the test put in it.
class ScratchDir {
public:
    ScratchDir() {
        static int serial = 0;
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"ident-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++serial) + L"\\";
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchDir() {
        WIN32_FIND_DATAW fd;
        HANDLE find = FindFirstFileW((path_ + L"*").c_str(), &fd);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileW((path_ + fd.cFileName).c_str());
            } while (FindNextFileW(find, &fd));
            FindClose(find);
        }
        RemoveDirectoryW(path_.c_str());
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

// True when a process of exactly this name shows up within the time.
inline bool WaitForProcessName(const std::wstring& name, DWORD processId, int tries = 100) {
    for (int i = 0; i < tries; ++i) {
        ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W e = {};
        e.dwSize = sizeof e;
        for (BOOL more = Process32FirstW(snapshot.Get(), &e); more; more = Process32NextW(snapshot.Get(), &e))
            if (e.th32ProcessID == processId && name == e.szExeFile)
                return true;
        Sleep(50);
    }
    return false;
}

// The helper copied under another name and running until this object goes; it is
// ended by its own process handle.
class RunningCopy {
public:
    RunningCopy(const ScratchDir& dir, const std::wstring& exeName) : exe_(dir.Path() + exeName) {
        if (!CopyFileW(HelperPath().c_str(), exe_.c_str(), FALSE))
            return;
        std::wstring cmd = L"\"" + exe_ + L"\" wait 60000";
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessW(exe_.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return;
        process_.Reset(pi.hProcess);
        CloseHandle(pi.hThread);
        visible_ = WaitForProcessName(exeName, pi.dwProcessId);
    }
    ~RunningCopy() {
        if (process_) {
            TerminateProcess(process_.Get(), 0);
            WaitForSingleObject(process_.Get(), 5000);
            process_.Reset();
        }
        DeleteFileW(exe_.c_str());
    }
    RunningCopy(const RunningCopy&) = delete;
    RunningCopy& operator=(const RunningCopy&) = delete;
    // Started and seen in a process snapshot under its name.
    bool Running() const { return process_ && visible_; }

private:
    std::wstring exe_;
    ScopedHandle process_;
    bool visible_ = false;
};

// Runs the helper with the arguments, started suspended so that an affinity mask
// (0: leave it) applies from its first instruction on. Returns its exit code, or
// -1 when it could not be run to its end.
inline int RunHelper(const std::wstring& args, DWORD_PTR affinity = 0) {
    std::wstring cmd = L"\"" + HelperPath() + L"\" " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(HelperPath().c_str(), &cmd[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &si, &pi))
        return -1;
    ScopedHandle process(pi.hProcess), thread(pi.hThread);
    if (affinity && !SetProcessAffinityMask(process.Get(), affinity)) {
        TerminateProcess(process.Get(), 1);
        return -1;
    }
    ResumeThread(thread.Get());
    if (WaitForSingleObject(process.Get(), 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process.Get(), 1);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    return int(code);
}

// "key=value" lines of a UTF-8 (here: ASCII) file.
inline std::string ValueOf(const std::wstring& file, const std::string& key) {
    std::ifstream in(file.c_str(), std::ios::binary);
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, key.size() + 1, key + "=") == 0)
            return line.substr(key.size() + 1);
    return std::string();
}

inline std::string ReadAll(const std::wstring& file) {
    std::ifstream in(file.c_str(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// An HKLM key created for one test (in the given registry view) and deleted,
// with everything under it, afterwards. Parents that did not exist before are
// deleted too.
class TempHklmKey {
public:
    explicit TempHklmKey(const std::wstring& path, REGSAM view = 0) : view_(view) {
        // Remember the first missing level: that is what has to go again.
        size_t pos = 0;
        while (true) {
            size_t next = path.find(L'\\', pos);
            std::wstring prefix = path.substr(0, next);
            ScopedRegKey probe;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, prefix.c_str(), 0, KEY_READ | view_, probe.Put()) !=
                ERROR_SUCCESS) {
                created_ = prefix;
                break;
            }
            if (next == std::wstring::npos)
                break;
            pos = next + 1;
        }
        ScopedRegKey key;
        ok_ = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_,
                              nullptr, key.Put(), nullptr) == ERROR_SUCCESS;
        if (ok_)
            key_ = std::move(key);
    }
    ~TempHklmKey() {
        key_.Reset();
        if (created_.empty())
            return;
        const size_t cut = created_.find_last_of(L'\\');
        ScopedRegKey parent;
        std::wstring parentPath = cut == std::wstring::npos ? L"" : created_.substr(0, cut);
        std::wstring leaf = cut == std::wstring::npos ? created_ : created_.substr(cut + 1);
        if (parentPath.empty()) {
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, leaf.c_str());
        } else if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, parentPath.c_str(), 0, KEY_ALL_ACCESS | view_,
                                 parent.Put()) == ERROR_SUCCESS) {
            RegDeleteTreeW(parent.Get(), leaf.c_str());
        }
    }
    TempHklmKey(const TempHklmKey&) = delete;
    TempHklmKey& operator=(const TempHklmKey&) = delete;
    bool Ok() const { return ok_; }
    HKEY Get() const { return key_.Get(); }

    bool SetString(const wchar_t* name, const std::wstring& value) {
        return RegSetValueExW(key_.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    bool SetDword(const wchar_t* name, DWORD value) {
        return RegSetValueExW(key_.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                              sizeof value) == ERROR_SUCCESS;
    }

private:
    REGSAM view_;
    bool ok_ = false;
    std::wstring created_;
    ScopedRegKey key_;
};

} // namespace identtest
