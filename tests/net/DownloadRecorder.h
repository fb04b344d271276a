// Records what a download task reports through its callback, on whichever worker
// thread it runs, so a test can wait for the end and look at every stage.
#pragma once

#include "app/base/Handles.h"
#include "net/DownloadTask.h"

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

struct RecordedReport {
    int stage = 0;
    int result = 0;
    int percent = -1; // DOWNLOAD_PROGRESS only
    DWORD threadId = 0;
    DWORD tick = 0;
};

class DownloadRecorder {
public:
    DownloadRecorder();
    DownloadRecorder(const DownloadRecorder&) = delete;
    DownloadRecorder& operator=(const DownloadRecorder&) = delete;

    // A task reporting to this recorder.
    DownloadTask Task(const std::wstring& url, const std::wstring& target, int requestType = 0);

    // True once the finished report arrived within the time.
    bool WaitFinished(DWORD timeoutMs) const;
    bool WaitStarted(DWORD timeoutMs) const;
    // True once a progress report arrived within the time.
    bool WaitProgress(DWORD timeoutMs) const;

    std::vector<RecordedReport> Reports() const;
    bool Finished() const;
    int Result() const;               // of the finished report
    std::wstring FinalTarget() const; // the task's target as the finished report showed it
    DWORD FinishedTick() const;
    int Count(int stage) const;

    // Empty when the reports form one sane sequence: one start first, progress
    // between 0 and 100 and never decreasing, at most one finish and that last;
    // otherwise what is wrong.
    std::string CheckSequence() const;

    static int Callback(void* userData, int requestType, int stage, int result, void* extra);

private:
    mutable std::mutex lock_;
    std::vector<RecordedReport> reports_;
    std::wstring finalTarget_;
    ScopedHandle started_;
    ScopedHandle progress_;
    ScopedHandle finished_;
};
