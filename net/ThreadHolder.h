// Owner of one thread: its handle, the stop flag the thread polls, and the
// procedure it runs.
#pragma once

#include "app/base/Handles.h"

#include <windows.h>

#include <atomic>
#include <string>

class CThreadHolder {
public:
    using ThreadProc = void (*)(void* param);

    // How JoinOrTerminate saw the thread end.
    enum class EndKind {
        NoThread,   // there was no thread
        Ended,      // it returned by itself within the time limit
        Terminated, // it was terminated and is gone
        Lost,       // it was terminated but did not confirm its end in time
    };

    CThreadHolder() = default;
    // Sets the stop flag and waits for a thread that is still held, without a time
    // limit: stop it with JoinOrTerminate first when it may hang.
    virtual ~CThreadHolder();
    CThreadHolder(const CThreadHolder&) = delete;
    CThreadHolder& operator=(const CThreadHolder&) = delete;

    void SetProc(ThreadProc proc, void* param);
    // Clears the stop flag and starts the thread (default security and stack size,
    // running at once). On failure the stop flag is set again and false returned.
    bool Create();

    void RequestStop() { m_bStop.store(true); }
    bool IsStopRequested() const { return m_bStop.load(); }
    bool HasThread() const { return static_cast<bool>(m_hThread); }

    // Waits up to timeoutMs for the thread; terminates it when it is still running
    // then. Closes and forgets the handle either way.
    EndKind JoinOrTerminate(DWORD timeoutMs);

private:
    static DWORD WINAPI ThreadEntry(LPVOID holder);

    ScopedHandle m_hThread;
    // True until the thread is started; set by the owner to ask the thread to end,
    // polled by the thread between steps.
    std::atomic<bool> m_bStop{true};
    ThreadProc m_pfnProc = nullptr;
    void* m_pParam = nullptr;
    std::wstring m_strName;
};
