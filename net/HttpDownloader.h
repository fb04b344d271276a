// The launcher's only HTTP client: a first-in-first-out queue of download tasks
// served by two worker threads over WinINet.
#pragma once

#include "net/DownloadTask.h"

#include <string>

// Where a GET finds the referrer it must carry after a page was opened in the
// platform browser. Take() tests and clears the pending flag in one step; when
// the header cannot be added the worker calls PutBack() so the flag stays set.
class IRefererSource {
public:
    virtual bool Take(std::wstring& url, std::wstring& cookieData) = 0;
    virtual void PutBack() = 0;

protected:
    ~IRefererSource() = default;
};

class CHttpDownloader {
public:
    CHttpDownloader();
    ~CHttpDownloader();
    CHttpDownloader(const CHttpDownloader&) = delete;
    CHttpDownloader& operator=(const CHttpDownloader&) = delete;

    // Starts the two workers (true at once when already started).
    bool Start();
    bool IsStarted() const;
    // Queues a private copy of the task and wakes the workers.
    bool AddTask(const DownloadTask& task);
    // Stops every worker (up to 5000 ms each, then terminates it); queued tasks
    // are discarded without a report.
    void StopAll();

    void SetRefererSource(IRefererSource* source);

    // (the helper that owns net/ fills in the rest: workers, queue, PopTask, ...)
};
