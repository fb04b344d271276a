#include "DownloadRecorder.h"

#include <cstdint>

DownloadRecorder::DownloadRecorder()
    : started_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      progress_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      finished_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

DownloadTask DownloadRecorder::Task(const std::wstring& url, const std::wstring& target, int requestType) {
    DownloadTask task;
    task.url = url;
    task.target = target;
    task.callback = &DownloadRecorder::Callback;
    task.userData = this;
    task.requestType = requestType;
    task.maxBytes = kUpgraderMaxBytes; // the largest: tests of a limit set their own
    return task;
}

int DownloadRecorder::Callback(void* userData, int, int stage, int result, void* extra) {
    auto* self = static_cast<DownloadRecorder*>(userData);
    RecordedReport report;
    report.stage = stage;
    report.result = result;
    report.threadId = GetCurrentThreadId();
    report.tick = GetTickCount();
    if (stage == DOWNLOAD_PROGRESS)
        report.percent = static_cast<int>(reinterpret_cast<intptr_t>(extra));
    {
        std::lock_guard<std::mutex> lock(self->lock_);
        self->reports_.push_back(report);
        if (stage == DOWNLOAD_FINISHED && extra)
            self->finalTarget_ = static_cast<const DownloadTask*>(extra)->target;
    }
    if (stage == DOWNLOAD_STARTED)
        SetEvent(self->started_.Get());
    if (stage == DOWNLOAD_PROGRESS)
        SetEvent(self->progress_.Get());
    if (stage == DOWNLOAD_FINISHED)
        SetEvent(self->finished_.Get());
    return 0;
}

bool DownloadRecorder::WaitFinished(DWORD timeoutMs) const {
    return WaitForSingleObject(finished_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

bool DownloadRecorder::WaitStarted(DWORD timeoutMs) const {
    return WaitForSingleObject(started_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

bool DownloadRecorder::WaitProgress(DWORD timeoutMs) const {
    return WaitForSingleObject(progress_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

std::vector<RecordedReport> DownloadRecorder::Reports() const {
    std::lock_guard<std::mutex> lock(lock_);
    return reports_;
}

bool DownloadRecorder::Finished() const {
    return Count(DOWNLOAD_FINISHED) > 0;
}

int DownloadRecorder::Result() const {
    std::lock_guard<std::mutex> lock(lock_);
    for (const RecordedReport& r : reports_)
        if (r.stage == DOWNLOAD_FINISHED)
            return r.result;
    return 1; // no finished report: not a result code
}

std::wstring DownloadRecorder::FinalTarget() const {
    std::lock_guard<std::mutex> lock(lock_);
    return finalTarget_;
}

DWORD DownloadRecorder::FinishedTick() const {
    std::lock_guard<std::mutex> lock(lock_);
    for (const RecordedReport& r : reports_)
        if (r.stage == DOWNLOAD_FINISHED)
            return r.tick;
    return 0;
}

int DownloadRecorder::Count(int stage) const {
    std::lock_guard<std::mutex> lock(lock_);
    int n = 0;
    for (const RecordedReport& r : reports_)
        n += r.stage == stage;
    return n;
}

std::string DownloadRecorder::CheckSequence() const {
    const std::vector<RecordedReport> reports = Reports();
    if (reports.empty())
        return "no reports";
    if (reports.front().stage != DOWNLOAD_STARTED || reports.front().result != 0)
        return "the first report is not DOWNLOAD_STARTED with result 0";
    int last = 0;
    for (size_t i = 1; i < reports.size(); ++i) {
        const RecordedReport& r = reports[i];
        if (r.threadId != reports.front().threadId)
            return "reports came from more than one thread";
        if (r.stage == DOWNLOAD_STARTED)
            return "a second DOWNLOAD_STARTED";
        if (r.stage == DOWNLOAD_FINISHED && i + 1 != reports.size())
            return "reports after DOWNLOAD_FINISHED";
        if (r.stage == DOWNLOAD_PROGRESS) {
            if (r.result != 0)
                return "a progress report with a result";
            if (r.percent < 0 || r.percent > 100)
                return "progress " + std::to_string(r.percent) + " out of 0..100";
            if (r.percent < last)
                return "progress went down from " + std::to_string(last) + " to " + std::to_string(r.percent);
            last = r.percent;
        }
    }
    return std::string();
}
