#include "app/base/AppModule.h"

#include <algorithm>

void CMessageLoop::AddMessageFilter(CMessageFilter* filter) {
    if (filter)
        filters_.push_back(filter);
}

void CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) {
    auto it = std::find(filters_.begin(), filters_.end(), filter);
    if (it != filters_.end())
        filters_.erase(it);
}

BOOL CMessageLoop::PreTranslateMessage(MSG* msg) {
    // The filter added last is asked first. A filter may remove itself while it
    // runs, so walk by index over the current size.
    for (size_t i = filters_.size(); i-- > 0;) {
        if (i < filters_.size() && filters_[i]->PreTranslateMessage(msg))
            return TRUE;
    }
    return FALSE;
}

int CMessageLoop::Run() {
    MSG msg = {};
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1)
            continue; // an invalid window or similar: nothing to handle
        if (!got)
            break; // WM_QUIT
        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

void CAppModule::Init(HINSTANCE instance) {
    std::lock_guard<std::mutex> lock(lock_);
    instance_ = instance;
    mainThreadId_ = GetCurrentThreadId();
    loops_.clear();
}

void CAppModule::Term() {
    std::lock_guard<std::mutex> lock(lock_);
    loops_.clear();
}

bool CAppModule::AddMessageLoop(CMessageLoop* loop) {
    if (!loop)
        return false;
    std::lock_guard<std::mutex> lock(lock_);
    return loops_.emplace(GetCurrentThreadId(), loop).second;
}

bool CAppModule::RemoveMessageLoop() {
    std::lock_guard<std::mutex> lock(lock_);
    return loops_.erase(GetCurrentThreadId()) > 0;
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD threadId) {
    std::lock_guard<std::mutex> lock(lock_);
    auto it = loops_.find(threadId);
    return it == loops_.end() ? nullptr : it->second;
}
