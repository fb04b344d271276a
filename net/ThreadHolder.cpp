#include "net/ThreadHolder.h"

CThreadHolder::~CThreadHolder() {
    m_bStop.store(true);
    if (m_hThread)
        WaitForSingleObject(m_hThread.Get(), INFINITE);
}

void CThreadHolder::SetProc(ThreadProc proc, void* param) {
    m_pfnProc = proc;
    m_pParam = param;
}

bool CThreadHolder::Create() {
    if (m_hThread || !m_pfnProc)
        return false;
    m_bStop.store(false);
    m_hThread.Reset(CreateThread(nullptr, 0, ThreadEntry, this, 0, nullptr));
    if (!m_hThread) {
        m_bStop.store(true);
        return false;
    }
    return true;
}

bool CThreadHolder::Join(DWORD timeoutMs) {
    if (!m_hThread)
        return true;
    if (WaitForSingleObject(m_hThread.Get(), timeoutMs) != WAIT_OBJECT_0)
        return false;
    m_hThread.Reset();
    return true;
}

DWORD WINAPI CThreadHolder::ThreadEntry(LPVOID holder) {
    auto* self = static_cast<CThreadHolder*>(holder);
    self->m_pfnProc(self->m_pParam);
    return 0;
}
