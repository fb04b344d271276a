// Times, in a fresh process, what loading the install record costs:
//   bench_ident_load record   LoadInstallRecord as the launcher runs it (settings,
//                             net-cafe scan, hardware id, MAC id)
//   bench_ident_load parts    the same work piece by piece
// Prints "name=milliseconds" lines.
#include "app/GlobalModule.h"
#include "net/MachineId.h"
#include "net/NetCafe.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) * 1000.0 / double(f.QuadPart);
}

template <typename F> double Time(F f) {
    const double t = Now();
    f();
    return Now() - t;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"record";
    if (mode == L"record") {
        const double ms = Time([] { g_module.InstallRecord().LoadInstallRecord(); });
        printf("load=%.3f\nnetcafe=%d\n", ms, g_module.InstallRecord().IsNetCafe() ? 1 : 0);
    } else if (mode == L"parts") {
        int code = 0;
        printf("netcafe_scan=%.3f\n", Time([&] { code = DetectNetCafe(); }));
        printf("hardware_id=%.3f\n", Time([] { MakeHardwareId(); }));
        printf("mac_id=%.3f\n", Time([] { MakeMacId(); }));
        printf("netcafe_code=%d\n", code);
    } else {
        return 2;
    }
    return 0;
}
