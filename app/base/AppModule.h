// The small part of an application-module / message-loop framework the launcher
// uses: a message filter interface, a message loop that offers every message to
// its filters before dispatching it, and a module that keeps one loop per thread.
#pragma once

#include <windows.h>

#include <map>
#include <mutex>
#include <vector>

class CMessageFilter {
public:
    // True when the message was consumed and must not be dispatched.
    virtual BOOL PreTranslateMessage(MSG* msg) = 0;

protected:
    ~CMessageFilter() = default;
};

class CMessageLoop {
public:
    void AddMessageFilter(CMessageFilter* filter);

    // GetMessageW until WM_QUIT; -1 is skipped; filters are asked last-added first.
    // Returns the wParam of WM_QUIT.
    int Run();

    // Offers the message to the filters; true when one consumed it.
    BOOL PreTranslateMessage(MSG* msg);

private:
    std::vector<CMessageFilter*> filters_;
};

class CAppModule {
public:
    // Remembers the instance; COM itself is initialised by the process entry, so
    // this only prepares the loop registry.
    void Init(HINSTANCE instance);
    void Term();

    bool AddMessageLoop(CMessageLoop* loop);
    bool RemoveMessageLoop();

    HINSTANCE GetInstance() const { return instance_; }

private:
    std::mutex lock_;
    std::map<DWORD, CMessageLoop*> loops_;
    HINSTANCE instance_ = nullptr;
};
