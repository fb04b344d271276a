// A small stand-in program for the identification tests, started by them:
//   ident_helper ids <file>    writes "cpu=<0|1>:<text>", "hwid=..." and "macid=..."
//   ident_helper wait <ms>     stays alive (as a process of some product's name)
//   <anything else>            records its command line ("cmdline=...", "argc=N",
//                              "argv1=...", ...; UTF-8) to "args.txt" next to the
//                              executable and exits, the way a browser started
//                              with a URL would take it.
#include "net/CpuId.h"
#include "net/MachineId.h"

#include "tests/support/Utf8Text.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {
using testing_support::Utf8;

bool WriteFileText(const std::wstring& path, const std::string& text) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f)
        return false;
    const bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    return fclose(f) == 0 && ok;
}

int WriteIds(const std::wstring& path) {
    wchar_t cpu[36] = {};
    const bool cpuOk = GetCpuIdString(cpu);
    std::string out = "cpu=" + std::string(cpuOk ? "1:" : "0:") + Utf8(cpu) + "\n";
    out += "hwid=" + Utf8(MakeHardwareId()) + "\n";
    out += "macid=" + Utf8(MakeMacId()) + "\n";
    return WriteFileText(path, out) ? 0 : 2;
}

int RecordCommandLine(int argc, LPWSTR* argv) {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self, n);
    dir.erase(dir.find_last_of(L'\\') + 1);
    std::string out = "cmdline=" + Utf8(GetCommandLineW()) + "\nargc=" + std::to_string(argc) + "\n";
    for (int i = 1; i < argc; ++i)
        out += "argv" + std::to_string(i) + "=" + Utf8(argv[i]) + "\n";
    // Written under another name first, so a reader never sees half a file.
    const std::wstring part = dir + L"args.part", done = dir + L"args.txt";
    if (!WriteFileText(part, out))
        return 2;
    return MoveFileExW(part.c_str(), done.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 2;
}

} // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv)
        return 3;
    int rc;
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"ids" && argc > 2)
        rc = WriteIds(argv[2]);
    else if (mode == L"wait" && argc > 2) {
        Sleep(DWORD(_wtoi(argv[2])));
        rc = 0;
    } else
        rc = RecordCommandLine(argc, argv);
    LocalFree(argv);
    return rc;
}
