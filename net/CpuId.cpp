#include "net/CpuId.h"

#include "net/SerialDecoding.h"

#include <windows.h>

#include <cpuid.h>

#include <mutex>
#include <string>

namespace {

// Built on first use, so the global module's constructor (another library's static)
// may load the install record whatever the link order.
struct CpuCache {
    std::mutex lock;
    std::wstring text;
};
CpuCache& Cache() {
    static CpuCache cache;
    return cache;
}

void CopyOut(const std::wstring& s, wchar_t (&text)[36]) {
    size_t n = s.size() < 35 ? s.size() : 35;
    s.copy(text, n);
    text[n] = L'\0';
}

} // namespace

bool GetCpuIdString(wchar_t (&text)[36]) {
    CpuCache& cache = Cache();
    std::lock_guard<std::mutex> guard(cache.lock);
    if (!cache.text.empty()) {
        CopyOut(cache.text, text);
        return true;
    }

    HANDLE process = GetCurrentProcess();
    DWORD_PTR processMask = 0, systemMask = 0;
    if (!GetProcessAffinityMask(process, &processMask, &systemMask))
        processMask = systemMask = 0;
    if (processMask != systemMask)
        return false;
    if (processMask == 0) {
        // Nothing known about the processors: succeed without a value, and try
        // again next time rather than caching an empty text.
        text[0] = L'\0';
        return true;
    }

    // The whole process (the download workers too) is held to the first
    // processor for one instruction; Sleep(0) lets the scheduler move this thread.
    const DWORD_PTR first = 1;
    const bool pinned = (processMask & first) && SetProcessAffinityMask(process, first);
    if (pinned)
        Sleep(0);
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    __cpuid(1, eax, ebx, ecx, edx);
    if (pinned)
        SetProcessAffinityMask(process, processMask);

    cache.text = FormatCpuIdString(eax, ebx, ecx, edx);
    CopyOut(cache.text, text);
    return true;
}
