// Where the install record sends its reports. The owner (the application) queues
// the request as a download into the temp folder; the record knows nothing more of it.
#pragma once

#include <string>

class IReportQueue {
public:
    // Queues one report: its URL, its request type (the completion handler tells the
    // reports apart by it) and the file name its answer is saved under in the temp
    // folder. False when it could not be queued. Main thread.
    virtual bool QueueReport(const std::wstring& url, int requestType, const std::wstring& fileName) = 0;

protected:
    ~IReportQueue() = default;
};
