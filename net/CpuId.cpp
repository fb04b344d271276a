#include "net/CpuId.h"

#include "net/SerialDecoding.h"

#include <windows.h>

#include <cpuid.h>

#include <mutex>
#include <string>

namespace {

std::mutex g_cpuLock;
std::wstring g_cpuCache;

void CopyOut(const std::wstring& s, wchar_t (&text)[36]) {
    size_t n = s.size() < 35 ? s.size() : 35;
    s.copy(text, n);
    text[n] = L'\0';
}

} // namespace

bool GetCpuIdString(wchar_t (&text)[36]) {
    std::lock_guard<std::mutex> guard(g_cpuLock);
    if (!g_cpuCache.empty()) {
        CopyOut(g_cpuCache, text);
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

    g_cpuCache = FormatCpuIdString(eax, ebx, ecx, edx);
    CopyOut(g_cpuCache, text);
    return true;
}
