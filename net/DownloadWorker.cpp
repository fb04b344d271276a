#include "net/DownloadWorker.h"

#include <wininet.h>

bool CDownloadWorker::CreateWakeEvent() {
    m_hWakeEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    return static_cast<bool>(m_hWakeEvent);
}

void CDownloadWorker::Wake() {
    if (m_hWakeEvent)
        SetEvent(m_hWakeEvent.Get());
}

DWORD CDownloadWorker::WaitForWake(DWORD timeoutMs) {
    return WaitForSingleObject(m_hWakeEvent.Get(), timeoutMs);
}

CDownloadWorker::~CDownloadWorker() {
    CloseAllInternet();
}

void CDownloadWorker::CloseInternet(InternetSlot slot) {
    if (void* handle = m_hInternet[slot].exchange(nullptr))
        InternetCloseHandle(handle);
}

void CDownloadWorker::CloseAllInternet() {
    for (int slot = 0; slot < kInternetSlotCount; ++slot)
        CloseInternet(static_cast<InternetSlot>(slot));
}
