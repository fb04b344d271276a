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
    static constexpr DWORD kStopWaitMs = 5000;  // StopAll's bound, for all workers together
    static constexpr DWORD kIdleWaitMs = 10000; // a missed wake-up delays a task at most this long
    static constexpr DWORD kReadChunk = 10240;  // bytes per read, through one stack buffer
    static constexpr DWORD kDefaultReceiveTimeoutMs = 30000;

    // workerCount threads serve the queue once started (none: Start fails).
    explicit CHttpDownloader(int workerCount = kWorkerCount);
    // Stops the workers; queued tasks are discarded without a report. Destroy it
    // only when StopAll has returned true (see there).
    ~CHttpDownloader();
    CHttpDownloader(const CHttpDownloader&) = delete;
    CHttpDownloader& operator=(const CHttpDownloader&) = delete;

    // Starts the workers (true at once when already started); true when at least
    // one runs, false while StopAll is under way. Any thread, also a worker inside
    // its callback: the whole check and start holds the lock.
    bool Start();
    bool IsStarted() const { return m_bStarted.load(); }
    // Queues a private copy of the task and wakes the workers. False only when the
    // copy cannot be made. Any thread, also a worker inside its callback.
    bool AddTask(const DownloadTask& task);
    // Asks every worker to stop and closes the WinINet handles of its request (on
    // Windows that ends a blocked call at once), then waits for them, together at
    // most kStopWaitMs. A stopped task is not reported; its file is deleted by its
    // worker. Tasks still queued are discarded without a report. A worker still
    // running then is left to the process's exit: never terminated (it could die
    // holding the heap's, WinINet's or the loader's lock) and its object never
    // freed. True when every worker has ended; on false the owner must leave this
    // object, the referrer source and whatever a callback still running uses to
    // the process's exit as well. Call from the owner's thread.
    bool StopAll();

    // Set before the first task; the source must outlive the workers.
    void SetRefererSource(IRefererSource* source) { m_pRefererSource.store(source); }
    // How long a request waits for the server's next bytes (the status line or the
    // body) before its attempt fails, so a silent server cannot hold a worker for
    // ever. Applies to tasks taken from the queue afterwards.
    void SetReceiveTimeout(DWORD ms) { m_nReceiveTimeoutMs.store(ms); }

private:
    struct QueuedTask;
    struct Exchange;

    std::unique_ptr<QueuedTask> PopTask();
    static void RunWorker(void* param);
    // A worker's part. Past its stop flag a worker may outlive this object, so what
    // it needs of the downloader travels with the task.
    static void RunTask(CDownloadWorker& worker, QueuedTask& queued);
    // One attempt: the request, the redirects it may follow, the body.
    static int PerformRequest(CDownloadWorker& worker, QueuedTask& queued);
    // Opens the handles for url into the exchange and sends the request.
    static int SendRequest(CDownloadWorker& worker, QueuedTask& queued, const std::wstring& url,
                           Exchange& exchange);
    // Names the target and checks the announced length against the task's limit.
    static int ReceiveBody(CDownloadWorker& worker, QueuedTask& queued, void* request);
    static int ReadBody(CDownloadWorker& worker, void* request, QueuedTask& queued, DWORD length);

    const int m_nWorkerCount;
    // Guards the queue, the list of workers and the stopping flag (Start and
    // AddTask may run on a worker thread inside a callback).
    CRITICAL_SECTION m_lock;
    std::deque<std::unique_ptr<QueuedTask>> m_queue;
    std::vector<std::unique_ptr<CDownloadWorker>> m_workers;
    bool m_bStopping = false;
    std::atomic<bool> m_bStarted{false};
    std::atomic<IRefererSource*> m_pRefererSource{nullptr};
    std::atomic<DWORD> m_nReceiveTimeoutMs{kDefaultReceiveTimeoutMs};
};
