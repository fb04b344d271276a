// One worker thread of the downloader: its thread, the downloader it serves, the
// event that wakes it when a task is queued, and the WinINet handles of the
// request it is making, which a stopper closes to cancel a blocked call.
#pragma once

#include "app/base/Handles.h"
#include "net/ThreadHolder.h"

#include <windows.h>

#include <atomic>

class CHttpDownloader;

class CDownloadWorker {
public:
    // The handles of one attempt, closed in this order by a stopper.
    enum InternetSlot { kRequestSlot, kConnectionSlot, kInternetSlot, kInternetSlotCount };

    explicit CDownloadWorker(CHttpDownloader* owner) : m_pOwner(owner) {}
    ~CDownloadWorker();
    CDownloadWorker(const CDownloadWorker&) = delete;
    CDownloadWorker& operator=(const CDownloadWorker&) = delete;

    // The unnamed auto-reset event, created non-signalled.
    bool CreateWakeEvent();
    void Wake();
    // WaitForSingleObject on the event.
    DWORD WaitForWake(DWORD timeoutMs);

    // The worker publishes each WinINet handle it opens. Whoever takes a handle out
    // of its slot closes it (the worker when its attempt ends, or CloseInternet
    // from a stopper), so each is closed exactly once. On Windows closing a handle
    // makes a call blocked on it return at once; under Wine 8 the call goes on
    // until the server answers or closes, and the worker then sees its stop flag.
    void Publish(InternetSlot slot, void* handle) { m_hInternet[slot].store(handle); }
    void CloseInternet(InternetSlot slot);
    // Request, connection, internet: any thread.
    void CloseAllInternet();

    CThreadHolder m_thread;
    CHttpDownloader* const m_pOwner;
    ScopedHandle m_hWakeEvent;

private:
    std::atomic<void*> m_hInternet[kInternetSlotCount] = {};
};
