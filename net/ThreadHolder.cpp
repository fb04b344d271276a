#include "net/ThreadHolder.h"

namespace {
// After TerminateThread, how long to wait for the thread to be gone. Termination
// is asynchronous, and what the thread left behind may only be touched after it.
constexpr DWORD kTerminateConfirmMs = 5000;
} // namespace

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

CThreadHolder::EndKind CThreadHolder::JoinOrTerminate(DWORD timeoutMs) {
    if (!m_hThread)
        return EndKind::NoThread;
    EndKind end = EndKind::Ended;
    if (WaitForSingleObject(m_hThread.Get(), timeoutMs) == WAIT_TIMEOUT) {
        TerminateThread(m_hThread.Get(), 0);
        end = WaitForSingleObject(m_hThread.Get(), kTerminateConfirmMs) == WAIT_OBJECT_0 ? EndKind::Terminated
                                                                                         : EndKind::Lost;
    }
    m_hThread.Reset();
    return end;
}

DWORD WINAPI CThreadHolder::ThreadEntry(LPVOID holder) {
    auto* self = static_cast<CThreadHolder*>(holder);
    self->m_pfnProc(self->m_pParam);
    return 0;
}
