#include "app/Session.h"

void CSharedBrowserState::SetLastOpenedUrl(const std::wstring& url) {
    std::lock_guard<std::mutex> lock(lock_);
    lastOpenedUrl_ = url;
}

std::wstring CSharedBrowserState::GetLastOpenedUrl() const {
    std::lock_guard<std::mutex> lock(lock_);
    return lastOpenedUrl_;
}

void CSharedBrowserState::SetRefererPending(bool pending) {
    std::lock_guard<std::mutex> lock(lock_);
    refererPending_ = pending;
}

bool CSharedBrowserState::TakeRefererPending(std::wstring& url) {
    std::lock_guard<std::mutex> lock(lock_);
    if (!refererPending_)
        return false;
    refererPending_ = false;
    url = lastOpenedUrl_;
    return true;
}
