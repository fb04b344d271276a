// One worker thread of the downloader: its thread, the downloader it serves and
// the event that wakes it when a task is queued.
#pragma once

#include "app/base/Handles.h"
#include "net/ThreadHolder.h"

#include <windows.h>

#include <atomic>
#include <string>

class CHttpDownloader;

class CDownloadWorker {
public:
    explicit CDownloadWorker(CHttpDownloader* owner) : m_pOwner(owner) {}
    ~CDownloadWorker();
    CDownloadWorker(const CDownloadWorker&) = delete;
    CDownloadWorker& operator=(const CDownloadWorker&) = delete;

    // The unnamed auto-reset event, created non-signalled.
    bool CreateWakeEvent();
    void Wake();
    // WaitForSingleObject on the event.
    DWORD WaitForWake(DWORD timeoutMs);

    // What the worker thread leaves behind if it has to be terminated in the middle
    // of a task. The thread publishes the file it has open and, while the task has
    // not succeeded, the path that a failure deletes; the stopper reads both only
    // after the thread is gone (CleanUpAfterTermination).
    void PublishOpenFile(HANDLE file) { m_hOpenFile.store(file); }
    // Takes the published handle back, so the caller closes it (exactly once).
    HANDLE TakeOpenFile() { return m_hOpenFile.exchange(nullptr); }
    void SetPendingDelete(const std::wstring& path);
    void ClearPendingDelete();
    // Closes the file a terminated thread had open and deletes the file of its
    // unfinished task. Only valid once the thread has ended.
    void CleanUpAfterTermination();

    CThreadHolder m_thread;
    CHttpDownloader* const m_pOwner;
    ScopedHandle m_hWakeEvent;

private:
    std::atomic<HANDLE> m_hOpenFile{nullptr};
    // A terminated copy is complete or absent: the thread builds the new text first
    // and swaps the pointer in, never editing a text that is published.
    std::atomic<wchar_t*> m_pPendingPath{nullptr};
};
