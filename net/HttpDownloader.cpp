#include "net/HttpDownloader.h"

#include "app/base/Handles.h"
#include "app/base/Utils.h"
#include "net/AttemptLoop.h"
#include "net/DownloadWorker.h"
#include "net/RefererHeader.h"
#include "net/TargetPath.h"
#include "net/TransferProgress.h"
#include "net/UrlParts.h"

#include <wininet.h>

#include <cstdint>
#include <new>

// A queued task: the private copy and whether its final path has been derived
// (that happens once per task, so a GUID name stays the same across attempts).
struct CHttpDownloader::QueuedTask {
    DownloadTask task;
    bool targetResolved = false;
};

namespace {

constexpr wchar_t kAgent[] = L"HTTPDownloader";
constexpr wchar_t kFormContentType[] = L"Content-Type: application/x-www-form-urlencoded; charset=UTF-8;\r\n";
constexpr DWORD kHeaderModifiers = HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE;

class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~CriticalSectionLock() { LeaveCriticalSection(&cs_); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CRITICAL_SECTION& cs_;
};

void Report(DownloadTask& task, int stage, int result, void* extra) {
    if (task.callback)
        task.callback(task.userData, task.requestType, stage, result, extra);
}

bool HasNameFlag(const DownloadTask& task) {
    return task.nameFromUrl || task.guidPrefix;
}

// Splits the URL into host, port, user name, password and path with query (scheme
// and extra information are not asked for, so the query stays in the path).
// WinINet only points into the URL here; whether each part fits its buffer is
// checked before it is copied, so an overlong part fails instead of overflowing.
bool SplitUrl(const std::wstring& url, UrlPartBuffers& parts, INTERNET_PORT& port) {
    URL_COMPONENTSW c = {};
    c.dwStructSize = sizeof c;
    c.dwHostNameLength = 1;
    c.dwUserNameLength = 1;
    c.dwPasswordLength = 1;
    c.dwUrlPathLength = 1;
    if (url.empty() || !InternetCrackUrlW(url.c_str(), 0, 0, &c))
        return false;
    CrackedUrlView view;
    view.hostName = {c.lpszHostName, c.dwHostNameLength};
    view.userName = {c.lpszUserName, c.dwUserNameLength};
    view.password = {c.lpszPassword, c.dwPasswordLength};
    view.urlPath = {c.lpszUrlPath, c.dwUrlPathLength};
    port = c.nPort;
    return FillUrlParts(view, parts);
}

const wchar_t* NullWhenEmpty(const wchar_t* text) {
    return text[0] ? text : nullptr;
}

// Forgets the published file handle before the owner closes it, so a stopper that
// terminates the thread never closes the same handle a second time.
class FilePublication {
public:
    FilePublication(CDownloadWorker& worker, HANDLE file) : worker_(worker) { worker_.PublishOpenFile(file); }
    ~FilePublication() { worker_.TakeOpenFile(); }
    FilePublication(const FilePublication&) = delete;
    FilePublication& operator=(const FilePublication&) = delete;

private:
    CDownloadWorker& worker_;
};

} // namespace

CHttpDownloader::CHttpDownloader() {
    InitializeCriticalSection(&m_lock);
    m_workers.reserve(kWorkerCount);
}

CHttpDownloader::~CHttpDownloader() {
    StopAll();
    m_queue.clear();
    DeleteCriticalSection(&m_lock);
}

bool CHttpDownloader::Start() {
    if (m_bStarted.load())
        return true;
    for (int i = 0; i < kWorkerCount; ++i) {
        std::unique_ptr<CDownloadWorker> worker(new (std::nothrow) CDownloadWorker(this));
        if (!worker || !worker->CreateWakeEvent())
            continue;
        worker->m_thread.SetProc(RunWorker, worker.get());
        if (!worker->m_thread.Create()) {
            StopWorker(*worker);
            continue; // the event closes and the worker goes with the unique_ptr
        }
        CriticalSectionLock lock(m_lock);
        m_workers.push_back(std::move(worker)); // room was reserved: cannot throw
    }
    CriticalSectionLock lock(m_lock);
    m_bStarted.store(!m_workers.empty());
    return m_bStarted.load();
}

bool CHttpDownloader::AddTask(const DownloadTask& task) {
    std::unique_ptr<QueuedTask> copy;
    try {
        copy.reset(new QueuedTask{task, false});
        CriticalSectionLock lock(m_lock);
        m_queue.push_back(std::move(copy));
        for (auto& worker : m_workers)
            worker->Wake();
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

std::unique_ptr<CHttpDownloader::QueuedTask> CHttpDownloader::PopTask() {
    CriticalSectionLock lock(m_lock);
    if (m_queue.empty())
        return nullptr;
    std::unique_ptr<QueuedTask> task = std::move(m_queue.front());
    m_queue.pop_front();
    return task;
}

void CHttpDownloader::StopAll() {
    std::vector<std::unique_ptr<CDownloadWorker>> workers;
    std::deque<std::unique_ptr<QueuedTask>> discarded;
    {
        CriticalSectionLock lock(m_lock);
        workers.swap(m_workers);
        discarded.swap(m_queue);
        m_workers.reserve(kWorkerCount);
    }
    // Every worker is asked before the first is waited for, so none starts another
    // task while an earlier one is still being stopped.
    for (auto& worker : workers) {
        worker->m_thread.RequestStop();
        worker->Wake();
    }
    for (auto& worker : workers) {
        StopWorker(*worker);
        worker->m_hWakeEvent.Reset();
        worker.reset();
    }
    // Only now, with every worker gone: a callback still running on one of them may
    // submit a task, and Start must then not create workers behind this loop's back.
    m_bStarted.store(false);
}

void CHttpDownloader::StopWorker(CDownloadWorker& worker) {
    worker.m_thread.RequestStop();
    worker.Wake();
    if (worker.m_thread.JoinOrTerminate(kStopWaitMs) == CThreadHolder::EndKind::Terminated)
        worker.CleanUpAfterTermination();
}

void CHttpDownloader::RunWorker(void* param) {
    CDownloadWorker& worker = *static_cast<CDownloadWorker*>(param);
    CHttpDownloader& self = *worker.m_pOwner;
    while (!worker.m_thread.IsStopRequested()) {
        std::unique_ptr<QueuedTask> queued = self.PopTask();
        if (!queued) {
            // An abandoned or failed wait would return at once for ever: end instead.
            const DWORD wait = worker.WaitForWake(kIdleWaitMs);
            if (wait != WAIT_OBJECT_0 && wait != WAIT_TIMEOUT)
                return;
            continue;
        }
        self.RunTask(worker, *queued);
    }
}

void CHttpDownloader::RunTask(CDownloadWorker& worker, QueuedTask& queued) {
    DownloadTask& task = queued.task;
    const CThreadHolder& thread = worker.m_thread;
    Report(task, DOWNLOAD_STARTED, 0, nullptr);

    // Without a name flag the target is the file itself; with one it is a folder
    // until the first answer arrives (PerformRequest then names the file).
    if (!HasNameFlag(task))
        queued.targetResolved = true;
    if (queued.targetResolved && task.deleteOnFailure && !task.target.empty())
        worker.SetPendingDelete(task.target);

    AttemptHooks hooks;
    hooks.attempt = [&] { return PerformRequest(worker, queued); };
    hooks.stopRequested = [&] { return thread.IsStopRequested(); };
    hooks.sleep = [](unsigned ms) { Sleep(ms); };
    const int result = RunAttempts(task.retries, hooks);

    // The file of a failed task goes before the report, so the submitter never sees
    // it, and a download that its callback queues for the same path is not deleted
    // afterwards. A folder target whose file was never named is left alone.
    if (result != DL_OK && task.deleteOnFailure && queued.targetResolved && !task.target.empty())
        DeleteFileW(task.target.c_str());
    worker.ClearPendingDelete();
    if (!thread.IsStopRequested())
        Report(task, DOWNLOAD_FINISHED, result, &task);
}

int CHttpDownloader::PerformRequest(CDownloadWorker& worker, QueuedTask& queued) {
    DownloadTask& task = queued.task;
    const CThreadHolder& thread = worker.m_thread;

    UrlPartBuffers parts;
    INTERNET_PORT port = 0;
    if (!SplitUrl(task.url, parts, port))
        return DL_CONNECT_FAILED;

    // Declared in this order, the handles close as request, connection, internet.
    ScopedInternet internet(InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!internet)
        return DL_CONNECT_FAILED;
    if (thread.IsStopRequested())
        return DL_CANCELLED;

    ScopedInternet connection(InternetConnectW(internet.Get(), parts.hostName, port,
                                               NullWhenEmpty(parts.userName), NullWhenEmpty(parts.password),
                                               INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection)
        return DL_CONNECT_FAILED;
    if (thread.IsStopRequested())
        return DL_CANCELLED;

    const bool post = !task.postBody.empty();
    if (post && task.postBody.size() > MAXDWORD)
        return DL_REQUEST_FAILED;
    ScopedInternet request(HttpOpenRequestW(connection.Get(), post ? L"POST" : L"GET", parts.urlPath, nullptr,
                                            nullptr, nullptr, 0, 0));
    if (!request)
        return DL_REQUEST_FAILED;
    if (post) {
        if (!HttpAddRequestHeadersW(request.Get(), kFormContentType, static_cast<DWORD>(-1),
                                    kHeaderModifiers))
            return DL_REQUEST_FAILED;
    } else if (!AddPendingReferer(request.Get())) {
        return DL_REQUEST_FAILED;
    }
    if (thread.IsStopRequested())
        return DL_CANCELLED;

    DWORD timeout = m_nReceiveTimeoutMs.load();
    InternetSetOptionW(request.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
    if (!HttpSendRequestW(request.Get(), nullptr, 0, post ? task.postBody.data() : nullptr,
                          post ? static_cast<DWORD>(task.postBody.size()) : 0))
        return DL_REQUEST_FAILED;
    if (thread.IsStopRequested())
        return DL_CANCELLED;

    // A server that closes without answering leaves status 0: no status was read.
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoW(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr) ||
        status < 100 || status >= 400)
        return DL_HTTP_ERROR;
    if (task.target.empty())
        return DL_OK;

    if (!queued.targetResolved) {
        task.target = ResolveTargetPath(task.target, task.url, task.nameFromUrl, task.guidPrefix,
                                        [] { return NewGuidString(); });
        queued.targetResolved = true;
        if (task.deleteOnFailure)
            worker.SetPendingDelete(task.target);
    }

    DWORD length = 0;
    size = sizeof length;
    if (!HttpQueryInfoW(request.Get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size,
                        nullptr))
        return DL_HTTP_ERROR;
    if (thread.IsStopRequested())
        return DL_CANCELLED;
    return ReadBody(worker, request.Get(), task, length);
}

bool CHttpDownloader::AddPendingReferer(void* request) {
    IRefererSource* source = m_pRefererSource.load();
    std::wstring url;
    std::wstring cookieData;
    if (!source || !source->Take(url, cookieData))
        return true;
    // An address that cannot be a header value is dropped rather than kept pending,
    // which would fail every later GET.
    const std::wstring header = RefererHeader(url);
    if (header.empty())
        return true;
    if (!HttpAddRequestHeadersW(request, header.c_str(), static_cast<DWORD>(-1), kHeaderModifiers)) {
        source->PutBack();
        return false;
    }
    InternetSetCookieW(url.c_str(), nullptr, cookieData.c_str());
    return true;
}

int CHttpDownloader::ReadBody(CDownloadWorker& worker, void* request, DownloadTask& task, DWORD length) {
    ScopedHandle file(CreateFileW(task.target.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                  CREATE_ALWAYS, 0, nullptr));
    if (!file)
        return DL_FILE_CREATE_FAILED;
    FilePublication published(worker, file.Get());

    const CThreadHolder& thread = worker.m_thread;
    char buffer[kReadChunk];
    DWORD remaining = length;
    while (remaining > 0) {
        if (thread.IsStopRequested())
            return DL_CANCELLED;
        // A synchronous read waits until its whole buffer is filled, which for a slow
        // body means many seconds in which the stop flag goes unseen and no progress
        // is reported. Asking what has arrived first (this waits only for the first
        // bytes) keeps each read to what is there.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0))
            return DL_READ_FAILED;
        // A body that ends before its Content-Length shows as 0 bytes, not as an error.
        if (available == 0)
            return DL_READ_FAILED;
        if (thread.IsStopRequested())
            return DL_CANCELLED;
        DWORD want = remaining < kReadChunk ? remaining : kReadChunk;
        if (available < want)
            want = available;
        DWORD got = 0;
        if (!InternetReadFile(request, buffer, want, &got) || got == 0)
            return DL_READ_FAILED;
        if (got > remaining)
            return DL_READ_FAILED;
        remaining -= got;
        const int percent = ProgressPercent(static_cast<uint64_t>(length) - remaining, length);
        Report(task, DOWNLOAD_PROGRESS, 0, reinterpret_cast<void*>(static_cast<intptr_t>(percent)));
        DWORD written = 0;
        if (!WriteFile(file.Get(), buffer, got, &written, nullptr) || written != got)
            return DL_WRITE_FAILED;
    }
    return DL_OK;
}
