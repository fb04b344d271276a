// The reference of the login window's start-up: a window that hosts the WebBrowser
// control through the project's browser view, opens the same login page as the
// launcher and shows itself at the page's first result, as the login window does
// (a completed navigation or a navigation error; under Wine without its HTML
// engine only the error comes). Nothing else: no settings, no skin, no backdrop.
// It stays on screen until someone closes it.
#include "app/LoginUrl.h"
#include "app/base/Endpoints.h"
#include "bench/startup/ReferenceWindow.h"
#include "browser/host/BrowserView.h"

#include <windows.h>

#include <ole2.h>

namespace {

const wchar_t kClassName[] = L"BenchMinimalBrowser";

class MinimalBrowser {
public:
    bool Open(HINSTANCE instance) {
        window_ = CreateWindowExW(0, kClassName, L"bench", WS_POPUP | WS_CLIPCHILDREN, 100, 100, 1200, 760,
                                  nullptr, nullptr, instance, nullptr);
        if (!window_ || !view_.Create(window_, RECT{467, 152, 1003, 506}))
            return false;
        Subscribe(view_.m_event, this, &MinimalBrowser::OnWebNotify);
        // The query has the launcher's shape; the server answers it alike.
        LoginQueryValues query;
        query.refer = L"orvoportal";
        query.uid = L"tavro";
        query.build = endpoints::kBuildNumber;
        query.installTime = L"2026-01-01 00:00:00";
        query.runCount = 2;
        query.currentTime = L"20260101000000";
        return view_.Navigate(BuildLoginUrl(endpoints::LoginPageUrl(), query));
    }

private:
    void OnWebNotify(unsigned int kind, WebNotifyWParam, WebNotifyLParam) {
        if ((kind == WN_NAVIGATE_ERROR || kind == WN_NAVIGATE_COMPLETE) && !IsWindowVisible(window_))
            ShowWindow(window_, SW_SHOWNORMAL);
    }

    HWND window_ = nullptr;
    CBrowserView view_;
};

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    OleInitialize(nullptr);
    bench::RegisterReferenceClass(instance, kClassName);
    int result = 1;
    {
        MinimalBrowser browser; // its view goes before COM does
        if (browser.Open(instance)) {
            bench::RunMessageLoop();
            result = 0;
        }
    }
    OleUninitialize();
    return result;
}
