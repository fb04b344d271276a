#include "net/HttpDownloader.h"

#include "app/base/Handles.h"
#include "app/base/Utils.h"
#include "net/AttemptLoop.h"
#include "net/DownloadWorker.h"
#include "net/RefererHeader.h"
#include "net/ResponseRules.h"
#include "net/TargetPath.h"
#include "net/TransferProgress.h"
#include "net/UrlFileName.h"
#include "net/UrlParts.h"

#include <wininet.h>

#include <cstdint>
#include <new>
#include <optional>

// A queued task: the private copy, whether its final path has been derived (that
// happens once per task, so a GUID name stays the same across attempts), and what
// its worker needs of the downloader, taken when the task leaves the queue.
struct CHttpDownloader::QueuedTask {
    DownloadTask task;
    bool targetResolved = false;
    IRefererSource* refererSource = nullptr;
    DWORD receiveTimeoutMs = 0;
    ScopedHandle held; // a holdFile task's file after its last byte
};

namespace {

constexpr wchar_t kAgent[] = L"HTTPDownloader";
constexpr wchar_t kFormContentType[] = L"Content-Type: application/x-www-form-urlencoded; charset=UTF-8;\r\n";
constexpr DWORD kHeaderModifiers = HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE;
// Every request goes to the server and its answer is kept out of the cache: a
// cached version file would hide an update, a cached old upgrader would be started
// for a new version, a cached beacon would never be counted. The last flag also
// asks proxies on the way to step aside ("Pragma: no-cache").
constexpr DWORD kNoCacheFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;
// Redirects are followed here, not by WinINet, so that RedirectTarget decides
// where one may lead. No flag that ignores a certificate error is ever set: an
// https request whose certificate does not hold fails, and is never retried in
// clear.
constexpr DWORD kRequestFlags = kNoCacheFlags | INTERNET_FLAG_NO_AUTO_REDIRECT;
constexpr DWORD kLocationChars = 2048;

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

// A WinINet handle of the current attempt, published on its worker so that a
// stopper can close it; closed here unless the stopper took it first.
class PublishedInternet {
public:
    PublishedInternet(CDownloadWorker& worker, CDownloadWorker::InternetSlot slot, void* handle)
        : worker_(worker), slot_(slot), handle_(handle) {
        worker_.Publish(slot_, handle_);
    }
    ~PublishedInternet() { worker_.CloseInternet(slot_); }
    PublishedInternet(const PublishedInternet&) = delete;
    PublishedInternet& operator=(const PublishedInternet&) = delete;

    void* Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    CDownloadWorker& worker_;
    const CDownloadWorker::InternetSlot slot_;
    void* const handle_;
};

// The status of an answer; 0 when none was read (a server that closed silently).
DWORD StatusOf(void* request) {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return 0;
    return status;
}

// The Location header; empty when there is none or it does not fit.
std::wstring LocationOf(void* request) {
    wchar_t location[kLocationChars] = L"";
    DWORD size = sizeof location;
    if (!HttpQueryInfoW(request, HTTP_QUERY_LOCATION, location, &size, nullptr))
        return std::wstring();
    return location;
}

bool HasNameFlag(const DownloadTask& task) {
    return task.nameFromUrl || task.guidPrefix;
}

// Splits the URL into host, port, user name, password and path with query (extra
// information is not asked for, so the query stays in the path), and tells an
// https URL. WinINet only points into the URL here; whether each part fits its
// buffer is checked before it is copied, so an overlong part fails instead of
// overflowing.
bool SplitUrl(const std::wstring& url, UrlPartBuffers& parts, INTERNET_PORT& port, bool& secure) {
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
    secure = c.nScheme == INTERNET_SCHEME_HTTPS;
    return FillUrlParts(view, parts);
}

const wchar_t* NullWhenEmpty(const wchar_t* text) {
    return text[0] ? text : nullptr;
}

// The referrer of the first GET after a page was opened in the platform browser.
// False only when the header could not be added (the referrer stays pending).
bool AddPendingReferer(IRefererSource* source, void* request) {
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

// Reads a response body. A plain synchronous read waits until its whole buffer is
// filled: quick while the data streams, but for a slow body many seconds in which
// the stop flag goes unseen and no progress is reported. Asking first how much has
// arrived and reading only that avoids the wait, but before every read it cost a
// fast download a fifth of its speed under Wine (each question is a call into the
// server, and Wine answers at most 8 KB, its own buffer). So whole chunks are read
// while they come quickly; at the start, and once a whole chunk was slow to come,
// only what has arrived, until a question finds plenty again.
class BodyReader {
public:
    explicit BodyReader(void* request) : request_(request) {}

    // Up to want bytes; got 0: the body has ended.
    bool Read(char* buffer, DWORD want, DWORD& got) {
        got = 0;
        if (!streaming_) {
            DWORD available = 0; // the question waits for the first bytes
            if (!InternetQueryDataAvailable(request_, &available, 0, 0))
                return false;
            if (available == 0)
                return true;
            streaming_ = available >= kPlentyBytes;
            if (available < want)
                want = available;
        }
        const DWORD start = GetTickCount();
        if (!InternetReadFile(request_, buffer, want, &got))
            return false;
        if (streaming_ && GetTickCount() - start > kSlowReadMs)
            streaming_ = false;
        return true;
    }

private:
    static constexpr DWORD kPlentyBytes = 4096; // arrived at once: the data streams
    static constexpr DWORD kSlowReadMs = 100;   // a whole chunk took longer: it does not
    void* const request_;
    bool streaming_ = false;
};

// Turns the writer of a finished file into a read-only hold that shares reading
// only: nothing can then write, delete or rename the file, yet a program can be
// started from it (starting opens it for reading and executing, sharing reading
// and deleting, which only a handle without write access allows). The writer and
// the hold cannot share the file, so a pin that allows writing but not deleting
// bridges them: the file itself is never free to be replaced, and a writer that
// slipped in between makes the hold fail. Null on failure.
ScopedHandle HoldWrittenFile(ScopedHandle writer, const std::wstring& path) {
    ScopedHandle pin(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    writer.Reset();
    if (!pin)
        return ScopedHandle();
    return ScopedHandle(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
}

} // namespace

// The handles of one request to one URL; they close as request, connection,
// internet.
struct CHttpDownloader::Exchange {
    std::optional<PublishedInternet> internet, connection, request;
    void* Request() const { return request->Get(); }
};

CHttpDownloader::CHttpDownloader(int workerCount) : m_nWorkerCount(workerCount > 0 ? workerCount : 0) {
    InitializeCriticalSection(&m_lock);
    m_workers.reserve(static_cast<size_t>(m_nWorkerCount));
}

CHttpDownloader::~CHttpDownloader() {
    StopAll();
    m_queue.clear();
    DeleteCriticalSection(&m_lock);
}

bool CHttpDownloader::Start() {
    CriticalSectionLock lock(m_lock);
    if (m_bStopping)
        return false;
    if (m_bStarted.load())
        return true;
    for (int i = 0; i < m_nWorkerCount; ++i) {
        std::unique_ptr<CDownloadWorker> worker(new (std::nothrow) CDownloadWorker(this));
        if (!worker || !worker->CreateWakeEvent())
            continue;
        worker->m_thread.SetProc(RunWorker, worker.get());
        // A thread that was not created leaves nothing running: the worker goes.
        if (!worker->m_thread.Create())
            continue;
        m_workers.push_back(std::move(worker)); // room was reserved: cannot throw
    }
    m_bStarted.store(!m_workers.empty());
    return m_bStarted.load();
}

bool CHttpDownloader::AddTask(const DownloadTask& task) {
    std::unique_ptr<QueuedTask> copy;
    try {
        copy.reset(new QueuedTask());
        copy->task = task;
        copy->task.heldFile = nullptr;
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
    task->refererSource = m_pRefererSource.load();
    task->receiveTimeoutMs = m_nReceiveTimeoutMs.load();
    return task;
}

bool CHttpDownloader::StopAll() {
    std::vector<std::unique_ptr<CDownloadWorker>> workers;
    std::deque<std::unique_ptr<QueuedTask>> discarded;
    {
        CriticalSectionLock lock(m_lock);
        m_bStopping = true;
        workers.swap(m_workers);
        discarded.swap(m_queue);
        m_workers.reserve(static_cast<size_t>(m_nWorkerCount));
    }
    // Every worker is asked before the first is waited for, so none starts another
    // task while an earlier one is still being stopped. The flag is set before the
    // handles close: a worker whose call fails because of the close finds it set.
    for (auto& worker : workers) {
        worker->m_thread.RequestStop();
        worker->CloseAllInternet();
        worker->Wake();
    }
    const DWORD start = GetTickCount();
    bool allEnded = true;
    for (auto& worker : workers) {
        const DWORD spent = GetTickCount() - start;
        if (!worker->m_thread.Join(spent < kStopWaitMs ? kStopWaitMs - spent : 0)) {
            // Still inside a call: its object stays for it until the process ends.
            allEnded = false;
            worker.release();
            continue;
        }
        worker.reset();
    }
    // Only now, with every worker stopped: a callback still running on one of them
    // may submit a task, and Start must then not create workers behind this loop.
    CriticalSectionLock lock(m_lock);
    m_bStarted.store(false);
    m_bStopping = false;
    return allEnded;
}

void CHttpDownloader::RunWorker(void* param) {
    CDownloadWorker& worker = *static_cast<CDownloadWorker*>(param);
    while (!worker.m_thread.IsStopRequested()) {
        std::unique_ptr<QueuedTask> queued = worker.m_pOwner->PopTask();
        if (!queued) {
            // An abandoned or failed wait would return at once for ever: end instead.
            const DWORD wait = worker.WaitForWake(kIdleWaitMs);
            if (wait != WAIT_OBJECT_0 && wait != WAIT_TIMEOUT)
                return;
            continue;
        }
        RunTask(worker, *queued);
    }
}

void CHttpDownloader::RunTask(CDownloadWorker& worker, QueuedTask& queued) {
    DownloadTask& task = queued.task;
    const CThreadHolder& thread = worker.m_thread;
    Report(task, DOWNLOAD_STARTED, 0, nullptr);

    // Without a name flag the target is the file itself; with one it is a folder
    // until the first answer arrives (ReceiveBody then names the file). A name the
    // URL cannot give fails the task before anything is asked or written.
    if (!HasNameFlag(task))
        queued.targetResolved = true;
    else if (!IsAcceptedFileName(UrlFileName(task.url))) {
        Report(task, DOWNLOAD_FINISHED, DL_FILE_NAME_REFUSED, &task);
        return;
    }

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
    if (thread.IsStopRequested())
        return;
    task.heldFile = queued.held.Get();
    Report(task, DOWNLOAD_FINISHED, result, &task);
    // A callback that took the held file closes it itself.
    if (task.heldFile != queued.held.Get())
        queued.held.Release();
    task.heldFile = nullptr;
}

int CHttpDownloader::PerformRequest(CDownloadWorker& worker, QueuedTask& queued) {
    std::wstring url = queued.task.url;
    for (int redirects = 0;; ++redirects) {
        Exchange exchange;
        const int sent = SendRequest(worker, queued, url, exchange);
        if (sent != DL_OK)
            return sent;
        const DWORD status = StatusOf(exchange.Request());
        if (IsRedirectStatus(status)) {
            // Only where the rule allows, and not in circles for ever.
            const std::wstring next = RedirectTarget(url, LocationOf(exchange.Request()));
            if (next.empty() || redirects >= kMaxRedirects)
                return DL_HTTP_ERROR;
            url = next;
            continue;
        }
        if (!IsSuccessStatus(status))
            return DL_HTTP_ERROR;
        return ReceiveBody(worker, queued, exchange.Request());
    }
}

int CHttpDownloader::SendRequest(CDownloadWorker& worker, QueuedTask& queued, const std::wstring& url,
                                 Exchange& exchange) {
    DownloadTask& task = queued.task;
    const CThreadHolder& thread = worker.m_thread;

    UrlPartBuffers parts;
    INTERNET_PORT port = 0;
    bool secure = false;
    if (!SplitUrl(url, parts, port, secure))
        return DL_CONNECT_FAILED;

    void* internet = exchange.internet
                         .emplace(worker, CDownloadWorker::kInternetSlot,
                                  InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0))
                         .Get();
    if (!internet)
        return DL_CONNECT_FAILED;
    if (thread.IsStopRequested())
        return DL_CANCELLED;

    void* connection =
        exchange.connection
            .emplace(worker, CDownloadWorker::kConnectionSlot,
                     InternetConnectW(internet, parts.hostName, port, NullWhenEmpty(parts.userName),
                                      NullWhenEmpty(parts.password), INTERNET_SERVICE_HTTP, 0, 0))
            .Get();
    if (!connection)
        return DL_CONNECT_FAILED;
    if (thread.IsStopRequested())
        return DL_CANCELLED;

    const bool post = !task.postBody.empty();
    if (post && task.postBody.size() > MAXDWORD)
        return DL_REQUEST_FAILED;
    const DWORD flags = kRequestFlags | (secure ? INTERNET_FLAG_SECURE : 0);
    void* request = exchange.request
                        .emplace(worker, CDownloadWorker::kRequestSlot,
                                 HttpOpenRequestW(connection, post ? L"POST" : L"GET", parts.urlPath, nullptr,
                                                  nullptr, nullptr, flags, 0))
                        .Get();
    if (!request)
        return DL_REQUEST_FAILED;
    if (post) {
        if (!HttpAddRequestHeadersW(request, kFormContentType, static_cast<DWORD>(-1), kHeaderModifiers))
            return DL_REQUEST_FAILED;
    } else if (!thread.IsStopRequested() && !AddPendingReferer(queued.refererSource, request)) {
        return DL_REQUEST_FAILED;
    }
    if (thread.IsStopRequested())
        return DL_CANCELLED;

    DWORD timeout = queued.receiveTimeoutMs;
    InternetSetOptionW(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
    if (!HttpSendRequestW(request, nullptr, 0, post ? task.postBody.data() : nullptr,
                          post ? static_cast<DWORD>(task.postBody.size()) : 0))
        return thread.IsStopRequested() ? DL_CANCELLED : DL_REQUEST_FAILED;
    return thread.IsStopRequested() ? DL_CANCELLED : DL_OK;
}

int CHttpDownloader::ReceiveBody(CDownloadWorker& worker, QueuedTask& queued, void* request) {
    DownloadTask& task = queued.task;
    if (task.target.empty())
        return DL_OK;
    if (!queued.targetResolved) {
        const std::wstring path = ResolveTargetPath(task.target, task.url, task.nameFromUrl, task.guidPrefix,
                                                    [] { return NewGuidString(); });
        if (path.empty())
            return DL_FILE_NAME_REFUSED;
        task.target = path;
        queued.targetResolved = true;
    }

    // Without a Content-Length (or with one beyond 32 bits) the query fails.
    DWORD length = 0;
    DWORD size = sizeof length;
    if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr))
        return DL_HTTP_ERROR;
    if (!AnnouncedLengthAccepted(true, length, task.maxBytes))
        return DL_BODY_TOO_LONG;
    if (worker.m_thread.IsStopRequested())
        return DL_CANCELLED;
    return ReadBody(worker, request, queued, length);
}

int CHttpDownloader::ReadBody(CDownloadWorker& worker, void* request, QueuedTask& queued, DWORD length) {
    DownloadTask& task = queued.task;
    // No one else may write or delete the file while it is being written.
    ScopedHandle file(
        CreateFileW(task.target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file)
        return DL_FILE_CREATE_FAILED;

    const CThreadHolder& thread = worker.m_thread;
    char buffer[kReadChunk];
    BodyReader reader(request);
    uint64_t received = 0;
    for (;;) {
        if (thread.IsStopRequested())
            return DL_CANCELLED;
        // Past the announced length one more read must find the end: a byte more
        // fails the body as too long.
        const uint64_t left = length - received;
        const DWORD want = left == 0 ? 1 : (left < kReadChunk ? static_cast<DWORD>(left) : kReadChunk);
        DWORD got = 0;
        if (!reader.Read(buffer, want, got))
            return thread.IsStopRequested() ? DL_CANCELLED : DL_READ_FAILED;
        if (got == 0) {
            // A body that ends before its Content-Length shows as 0 bytes, not as an error.
            if (received < length)
                return DL_READ_FAILED;
            break;
        }
        received += got;
        if (!ReceivedWithinBounds(received, length, task.maxBytes))
            return DL_BODY_TOO_LONG;
        DWORD written = 0;
        if (!WriteFile(file.Get(), buffer, got, &written, nullptr) || written != got)
            return DL_WRITE_FAILED;
        if (thread.IsStopRequested())
            return DL_CANCELLED;
        const int percent = ProgressPercent(received, length);
        Report(task, DOWNLOAD_PROGRESS, 0, reinterpret_cast<void*>(static_cast<intptr_t>(percent)));
    }
    if (task.holdFile) {
        queued.held = HoldWrittenFile(std::move(file), task.target);
        if (!queued.held)
            return DL_FILE_CREATE_FAILED;
    }
    return DL_OK;
}
