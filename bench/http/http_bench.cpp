// Measurements of the downloader, printed for the bench scripts:
//   bench_http throughput BASEURL FOLDER RUNS [AUTHORITY.der]
//       BASEURL http:// or https:// (then AUTHORITY.der, the server's authority,
//       is trusted in the prefix first). RUNS times, interleaved: saves BASEURL "big-<run>-d.bin" with
//       CHttpDownloader and "big-<run>-b.bin" with a bare WinINet loop using the
//       same 10,240-byte buffer and the same request flags, then "big-<run>-c.bin"
//       with the bare loop and request flags 0 (WinINet's cache on), for
//       reference; every name is fetched once, so no answer can come from a
//       cache. Prints the rates and the CPU time each used.
//   bench_http idle SECONDS
//       starts the downloader with nothing to do and prints the CPU time its two
//       worker threads used over that many seconds.
#include "app/base/Handles.h"
#include "net/HttpDownloader.h"
#include "tests/support/SimClient.h"

#include <windows.h>
#include <tlhelp32.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(to.QuadPart - from.QuadPart) / double(f.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

struct Finish {
    HANDLE done;
    int result;
};

int OnEvent(void* user, int, int stage, int result, void*) {
    auto* f = static_cast<Finish*>(user);
    if (stage == DOWNLOAD_FINISHED) {
        f->result = result;
        SetEvent(f->done);
    }
    return 0;
}

// Seconds for one download through the downloader, or a negative value.
double WithDownloader(CHttpDownloader& downloader, const std::wstring& url, const std::wstring& file) {
    ScopedHandle done(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    Finish finish{done.Get(), 1};
    DownloadTask task;
    task.url = url;
    task.target = file;
    task.callback = OnEvent;
    task.userData = &finish;
    task.maxBytes = kUpgraderMaxBytes;
    const LARGE_INTEGER start = Now();
    downloader.AddTask(task);
    WaitForSingleObject(done.Get(), INFINITE);
    const LARGE_INTEGER end = Now();
    return finish.result == DL_OK ? Seconds(start, end) : -1;
}

// What the downloader asks of every request (no cache, straight to the server,
// redirects its own; INTERNET_FLAG_SECURE is added for https).
constexpr DWORD kDownloaderFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                   INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_AUTO_REDIRECT;

// The same transfer as a plain loop: no queue, no threads, no progress reports.
double BareLoop(const std::wstring& url, const std::wstring& file, DWORD flags) {
    const LARGE_INTEGER start = Now();
    URL_COMPONENTSW c = {};
    wchar_t host[1024], path[1024];
    c.dwStructSize = sizeof c;
    c.lpszHostName = host;
    c.dwHostNameLength = 1024;
    c.lpszUrlPath = path;
    c.dwUrlPathLength = 1024;
    if (!InternetCrackUrlW(url.c_str(), 0, 0, &c))
        return -1;
    if (c.nScheme == INTERNET_SCHEME_HTTPS)
        flags |= INTERNET_FLAG_SECURE;
    ScopedInternet internet(
        InternetOpenW(L"HTTPDownloader", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    ScopedInternet connection(
        InternetConnectW(internet.Get(), host, c.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    ScopedInternet request(
        HttpOpenRequestW(connection.Get(), L"GET", path, nullptr, nullptr, nullptr, flags, 0));
    if (!request || !HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0))
        return -1;
    ScopedHandle out(
        CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!out)
        return -1;
    char buffer[10240];
    DWORD got = 0;
    while (InternetReadFile(request.Get(), buffer, sizeof buffer, &got) && got > 0) {
        DWORD written = 0;
        WriteFile(out.Get(), buffer, got, &written, nullptr);
    }
    return Seconds(start, Now());
}

// CPU seconds the whole process has used so far (both variants run in it, one
// at a time, so the difference over a run is that run's cost, whatever else the
// machine is doing).
double ProcessCpu() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](FILETIME f) {
        return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
    };
    return double(ticks(kernel) + ticks(user)) / 1e7;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

int Throughput(const std::wstring& base, const std::wstring& folder, int runs) {
    CHttpDownloader downloader;
    downloader.Start();
    const std::wstring a = folder + L"\\downloader.bin";
    const std::wstring b = folder + L"\\bare.bin";
    const std::wstring c = folder + L"\\cached.bin";
    std::vector<double> mine, bare, cached, mineCpu, bareCpu;
    long long size = 0;
    for (int i = 0; i < runs; ++i) {
        const std::wstring name = base + L"big-" + std::to_wstring(i + 1);
        // Alternating which goes first, so drift favours neither.
        for (int k = 0; k < 2; ++k) {
            const bool downloaderTurn = (i + k) % 2 == 0;
            const double cpu = ProcessCpu();
            const double t = downloaderTurn ? WithDownloader(downloader, name + L"-d.bin", a)
                                            : BareLoop(name + L"-b.bin", b, kDownloaderFlags);
            const double used = ProcessCpu() - cpu;
            if (t < 0) {
                std::printf("download failed (run %d)\n", i + 1);
                return 1;
            }
            (downloaderTurn ? mine : bare).push_back(t);
            (downloaderTurn ? mineCpu : bareCpu).push_back(used);
        }
        const double t = BareLoop(name + L"-c.bin", c, 0);
        if (t < 0) {
            std::printf("download failed (run %d)\n", i + 1);
            return 1;
        }
        cached.push_back(t);
        size = FileSize(a);
        if (size != FileSize(b) || size != FileSize(c)) {
            std::printf("sizes differ: %lld, %lld and %lld\n", size, FileSize(b), FileSize(c));
            return 1;
        }
    }
    DeleteFileW(a.c_str());
    DeleteFileW(b.c_str());
    DeleteFileW(c.c_str());
    const double mb = double(size) / 1e6;
    std::printf("%ls: file %.1f MB, %d runs each, interleaved, a fresh name for every download\n",
                base.compare(0, 6, L"https:") == 0 ? L"https" : L"http", mb, runs);
    std::printf("CHttpDownloader : median %.2f s = %.1f MB/s, CPU %.2f s\n", Median(mine), mb / Median(mine),
                Median(mineCpu));
    std::printf("bare WinINet    : median %.2f s = %.1f MB/s, CPU %.2f s (same request flags)\n",
                Median(bare), mb / Median(bare), Median(bareCpu));
    std::printf("bare, flags 0   : median %.2f s = %.1f MB/s (cache written; reference)\n", Median(cached),
                mb / Median(cached));
    std::printf("ratio           : %.2f (throughput, target >= 0.95); CPU ratio %.2f\n",
                Median(bare) / Median(mine), Median(bareCpu) / Median(mineCpu));
    std::fflush(stdout);
    return 0;
}

std::set<DWORD> OwnThreads() {
    std::set<DWORD> ids;
    ScopedHandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 e = {};
    e.dwSize = sizeof e;
    if (snap && Thread32First(snap.Get(), &e)) {
        do {
            if (e.th32OwnerProcessID == GetCurrentProcessId())
                ids.insert(e.th32ThreadID);
        } while (Thread32Next(snap.Get(), &e));
    }
    return ids;
}

double CpuMs(HANDLE thread) {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(thread, &created, &exited, &kernel, &user))
        return -1;
    auto ticks = [](FILETIME f) {
        return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
    };
    return double(ticks(kernel) + ticks(user)) / 10000.0;
}

// Spins for 300 ms, then waits (alive) until the event is set.
DWORD WINAPI Spin(LPVOID release) {
    const DWORD start = GetTickCount();
    volatile unsigned x = 0;
    while (GetTickCount() - start < 300)
        x = x + 1;
    WaitForSingleObject(static_cast<HANDLE>(release), INFINITE);
    return 0;
}

int Idle(int seconds) {
    // A control thread that spins for 300 ms shows what each measurement sees.
    {
        ScopedHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        const double processBefore = ProcessCpu();
        ScopedHandle spinner(CreateThread(nullptr, 0, Spin, release.Get(), 0, nullptr));
        Sleep(600);
        std::printf("control, a thread spinning 300 ms: thread times %.1f ms, process times %.1f ms\n",
                    CpuMs(spinner.Get()), (ProcessCpu() - processBefore) * 1000);
        SetEvent(release.Get());
        WaitForSingleObject(spinner.Get(), INFINITE);
    }
    const std::set<DWORD> before = OwnThreads();
    CHttpDownloader downloader;
    if (!downloader.Start())
        return 1;
    Sleep(200);
    std::vector<ScopedHandle> workers;
    for (DWORD id : OwnThreads())
        if (!before.count(id))
            workers.emplace_back(OpenThread(THREAD_QUERY_INFORMATION, FALSE, id));
    std::printf("new threads: %u (the downloader starts %d)\n", unsigned(workers.size()),
                CHttpDownloader::kWorkerCount);
    std::vector<double> start;
    for (auto& w : workers) {
        start.push_back(CpuMs(w.Get()));
        if (start.back() < 0) {
            std::printf("cannot read a worker's CPU time\n");
            return 1;
        }
    }
    const double processStart = ProcessCpu();
    Sleep(seconds * 1000);
    const double processUsed = (ProcessCpu() - processStart) * 1000;
    double total = 0;
    for (size_t i = 0; i < workers.size(); ++i) {
        const double used = CpuMs(workers[i].Get()) - start[i];
        std::printf("worker %u: %.1f ms CPU over %d s\n", unsigned(i + 1), used, seconds);
        total += used;
    }
    std::printf("workers total: %.1f ms by thread times\n", total);
    std::printf(
        "whole process (main thread asleep, so the workers and Wine's own threads): %.1f ms over %d s "
        "(target for the workers < 50 ms)\n",
        processUsed, seconds);
    std::fflush(stdout);
    downloader.StopAll();
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"throughput" && (argc == 5 || argc == 6)) {
        if (argc == 6) {
            ScopedHandle file(
                CreateFileW(argv[5], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
            std::string der(16384, '\0');
            DWORD got = 0;
            if (!file || !ReadFile(file.Get(), &der[0], DWORD(der.size()), &got, nullptr) || got == 0 ||
                !TrustRootCertificate(der.substr(0, got))) {
                std::printf("cannot trust the authority\n");
                return 1;
            }
        }
        return Throughput(argv[2], argv[3], _wtoi(argv[4]));
    }
    if (mode == L"idle" && argc == 3)
        return Idle(_wtoi(argv[2]));
    std::printf("usage: bench_http throughput BASEURL FOLDER RUNS [AUTHORITY.der] | idle SECONDS\n");
    return 2;
}
