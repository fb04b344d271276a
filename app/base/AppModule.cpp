#include "app/base/AppModule.h"

void CMessageLoop::AddMessageFilter(CMessageFilter* filter) {
    if (filter)
        filters_.push_back(filter);
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
