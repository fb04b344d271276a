// A referrer source for the downloader tests: a pending flag with the page URL and
// the cookie data, tested and cleared in one step like the launcher's own.
#pragma once

#include "net/HttpDownloader.h"

#include <mutex>
#include <string>

class FakeRefererSource : public IRefererSource {
public:
    void SetPending(const std::wstring& url, const std::wstring& cookieData) {
        std::lock_guard<std::mutex> lock(lock_);
        pending_ = true;
        url_ = url;
        cookieData_ = cookieData;
    }
    bool Take(std::wstring& url, std::wstring& cookieData) override {
        std::lock_guard<std::mutex> lock(lock_);
        ++takes_;
        if (!pending_)
            return false;
        pending_ = false;
        url = url_;
        cookieData = cookieData_;
        return true;
    }
    void PutBack() override {
        std::lock_guard<std::mutex> lock(lock_);
        pending_ = true;
        ++putBacks_;
    }
    bool IsPending() const {
        std::lock_guard<std::mutex> lock(lock_);
        return pending_;
    }
    int Takes() const {
        std::lock_guard<std::mutex> lock(lock_);
        return takes_;
    }
    int PutBacks() const {
        std::lock_guard<std::mutex> lock(lock_);
        return putBacks_;
    }

private:
    mutable std::mutex lock_;
    bool pending_ = false;
    std::wstring url_;
    std::wstring cookieData_;
    int takes_ = 0;
    int putBacks_ = 0;
};
