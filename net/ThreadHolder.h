// Owner of one thread: its handle, the stop flag the thread polls, and the
// procedure it runs. A thread is never terminated: one that does not end when
// asked is waited for, or left to the process's exit with its holder.
#pragma once

#include "app/base/Handles.h"

#include <windows.h>

#include <atomic>
#include <string>

class CThreadHolder {
public:
    using ThreadProc = void (*)(void* param);

    CThreadHolder() = default;
    // Sets the stop flag and waits for a thread that is still held, without a time
    // limit, so the holder is never freed under its thread. A holder whose thread
    // did not end in Join's time must therefore be left to the process's exit.
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

    // Waits up to timeoutMs for the thread. True when there is no thread (any more):
    // the handle is then closed and forgotten. False while it still runs.
    bool Join(DWORD timeoutMs);

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
