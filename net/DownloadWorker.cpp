#include "net/DownloadWorker.h"

#include <memory>
#include <new>

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
    ClearPendingDelete();
}

void CDownloadWorker::SetPendingDelete(const std::wstring& path) {
    auto* text = new (std::nothrow) wchar_t[path.size() + 1];
    if (text) {
        path.copy(text, path.size());
        text[path.size()] = L'\0';
    }
    delete[] m_pPendingPath.exchange(text);
}

void CDownloadWorker::ClearPendingDelete() {
    delete[] m_pPendingPath.exchange(nullptr);
}

void CDownloadWorker::CleanUpAfterTermination() {
    ScopedHandle file(TakeOpenFile());
    file.Reset(); // the delete below needs the file closed
    std::unique_ptr<wchar_t[]> path(m_pPendingPath.exchange(nullptr));
    if (path && path[0])
        DeleteFileW(path.get());
}
