// One request for the downloader: a GET (or a POST when it carries a body) of a
// URL, optionally saving the body to a file, reported through a callback that
// runs on the worker thread. Only a 2xx answer succeeds; redirects are followed
// only to the same scheme or to https (ResponseRules.h).
#pragma once

#include "net/ResponseRules.h"

#include <cstdint>
#include <string>
#include <vector>

// Stages reported to the callback.
enum DownloadStage {
    DOWNLOAD_STARTED = 1,
    DOWNLOAD_PROGRESS = 2, // extra: percentage of the body received, 0..100
    DOWNLOAD_FINISHED = 3, // result: code of the last attempt; extra: the task (valid during the call)
};

// Result of one attempt.
enum DownloadResult {
    DL_OK = 0,
    DL_CANCELLED = -1,
    DL_CONNECT_FAILED = -2,
    DL_REQUEST_FAILED = -3,
    DL_HTTP_ERROR = -4,
    DL_FILE_CREATE_FAILED = -5,
    DL_READ_FAILED = -6,
    DL_WRITE_FAILED = -7,
    DL_BODY_TOO_LONG = -8,     // over the task's limit, or past its Content-Length
    DL_FILE_NAME_REFUSED = -9, // the name taken from the URL is not accepted: nothing was asked or written
};

// (user data, request type, stage, result, extra); the return value is ignored.
using DownloadCallback = int (*)(void* userData, int requestType, int stage, int result, void* extra);

struct DownloadTask {
    std::wstring url;              // absolute, query included
    std::wstring target;           // file, or folder when nameFromUrl/guidPrefix; empty: body not read
    std::vector<uint8_t> postBody; // non-empty: the request is a POST
    int retries = 0;               // further attempts after a failed one
    // Largest body accepted: a longer announced or received body fails the attempt
    // and leaves no file. Each kind of request sets its own (ResponseRules.h).
    uint64_t maxBytes = kBeaconMaxBytes;
    DownloadCallback callback = nullptr;
    void* userData = nullptr;
    int requestType = 0;
    bool nameFromUrl = false;    // file name = UrlFileName(url)
    bool guidPrefix = false;     // file name = new GUID + "_" + UrlFileName(url)
    bool deleteOnFailure = true; // delete the file at target when the task does not succeed
    // Keeps the saved file from others until the finished report has been handled:
    // while it is written no one else may write or delete it, and after the last
    // byte it is held open read-only, sharing reading only, so nothing can change,
    // delete or replace it while the callback checks it and starts it.
    bool holdFile = false;
    // In the successful finished report of a holdFile task: the held file (a
    // HANDLE). The callback may take it (setting this to null) and close it when
    // done; otherwise the downloader closes it after the report.
    void* heldFile = nullptr;
};
