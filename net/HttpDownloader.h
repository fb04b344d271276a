// The launcher's only HTTP client: a first-in-first-out queue of download tasks
// served by two worker threads over WinINet.
#pragma once

#include "net/DownloadTask.h"

#include <windows.h>

#include <atomic>
#include <deque>
#include <memory>
#include <string>
#include <vector>

class CDownloadWorker;

// Where a GET finds the referrer it must carry after a page was opened in the
// platform browser. Take() tests and clears the pending flag in one step and hands
// out the page URL and the cookie data; when the header cannot be added the worker
// calls PutBack() so the flag stays set. Called on the worker threads.
class IRefererSource {
public:
    virtual bool Take(std::wstring& url, std::wstring& cookieData) = 0;
    virtual void PutBack() = 0;

protected:
    ~IRefererSource() = default;
};

class CHttpDownloader {
public:
    static constexpr int kWorkerCount = 2;
    static constexpr DWORD kStopWaitMs = 5000;  // per worker, then it is terminated
    static constexpr DWORD kIdleWaitMs = 10000; // a missed wake-up delays a task at most this long
    static constexpr DWORD kReadChunk = 10240;  // bytes per read, through one stack buffer
    static constexpr DWORD kDefaultReceiveTimeoutMs = 30000;

    CHttpDownloader();
    // Stops the workers; queued tasks are discarded without a report.
    ~CHttpDownloader();
    CHttpDownloader(const CHttpDownloader&) = delete;
    CHttpDownloader& operator=(const CHttpDownloader&) = delete;

    // Starts the workers (true at once when already started); true when at least
    // one runs. Call from the owner's thread.
    bool Start();
    bool IsStarted() const { return m_bStarted.load(); }
    // Queues a private copy of the task and wakes the workers. False only when the
    // copy cannot be made. Any thread, also a worker inside its callback.
    bool AddTask(const DownloadTask& task);
    // Asks every worker to stop, then waits for each in turn up to 5000 ms and
    // terminates it when it does not end; the file of a task it was writing is
    // closed and deleted. Tasks still queued are discarded without a report.
    // Call from the owner's thread.
    void StopAll();

    // Set before the first task; the source must outlive the workers.
    void SetRefererSource(IRefererSource* source) { m_pRefererSource.store(source); }
    // How long a request waits for the server's next bytes (the status line or the
    // body) before its attempt fails, so a silent server cannot hold a worker for
    // ever. Applies to requests that start afterwards.
    void SetReceiveTimeout(DWORD ms) { m_nReceiveTimeoutMs.store(ms); }

private:
    struct QueuedTask;

    std::unique_ptr<QueuedTask> PopTask();
    void StopWorker(CDownloadWorker& worker);
    static void RunWorker(void* param);
    void RunTask(CDownloadWorker& worker, QueuedTask& queued);
    int PerformRequest(CDownloadWorker& worker, QueuedTask& queued);
    bool AddPendingReferer(void* request);
    int ReadBody(CDownloadWorker& worker, void* request, DownloadTask& task, DWORD length);

    // Guards the queue and the list of workers (AddTask may run on a worker thread
    // inside a callback, so the list is not the owner's alone).
    CRITICAL_SECTION m_lock;
    std::deque<std::unique_ptr<QueuedTask>> m_queue;
    std::vector<std::unique_ptr<CDownloadWorker>> m_workers;
    std::atomic<bool> m_bStarted{false};
    std::atomic<IRefererSource*> m_pRefererSource{nullptr};
    std::atomic<DWORD> m_nReceiveTimeoutMs{kDefaultReceiveTimeoutMs};
};
