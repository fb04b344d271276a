// The browser view with the real WebBrowser control under Wine (which has no HTML
// engine: it raises BeforeNavigate2 and NavigateError for every navigation, and the
// first navigation of a control runs inside Navigate2).
#include "tests/browser/BrowserTestSupport.h"

#include "browser/host/AxHostWindow.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <cstdio>

#include <string>

using namespace browsertest;

namespace {

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent = MakeParentWindow();
        ASSERT_TRUE(parent);
        RECT rc = {308, 170, 910, 547};
        hwnd = view.Create(parent, rc);
        ASSERT_TRUE(hwnd);
        view.SetBlockNewWindow(true);
        port = UnusedPort();
        ASSERT_NE(port, 0);
    }
    void TearDown() override {
        if (parent)
            DestroyWindow(parent);
    }
    std::wstring Url(const std::wstring& path) { return L"http://127.0.0.1:" + std::to_wstring(port) + path; }
    bool WaitForErrors(size_t n) {
        return PumpUntil([&] { return recorder.Count(WN_NAVIGATE_ERROR) >= n; }, 15000);
    }

    HWND parent = nullptr;
    HWND hwnd = nullptr;
    CBrowserView view;
    Recorder recorder{view};
    int port = 0;
};

ULONG RefCount(IUnknown* p) {
    p->AddRef();
    return p->Release();
}

TEST_F(ViewTest, CreateMakesAChildWindowWithTheControlAdvisedAndDropTargetOff) {
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    EXPECT_STREQ(cls, CBrowserView::kClassName);
    EXPECT_EQ(GetParent(hwnd), parent);
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_TRUE(style & WS_CLIPCHILDREN);
    RECT rc;
    GetWindowRect(hwnd, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.right - rc.left, 602);
    EXPECT_EQ(rc.bottom - rc.top, 377);

    auto browser = view.GetBrowser();
    ASSERT_TRUE(browser);
    VARIANT_BOOL drop = VARIANT_TRUE;
    ASSERT_EQ(browser->get_RegisterAsDropTarget(&drop), S_OK);
    EXPECT_EQ(drop, VARIANT_FALSE);
    EXPECT_TRUE(view.IsSinkAdvised());
    EXPECT_TRUE(view.GetHost());
    // Held by the control (sink) and by the host (handler).
    EXPECT_GE(RefCount(view.GetEventSink()), 2u);
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(ViewTest, DestroyingTheParentUnadvisesAndReleasesEveryReference) {
    ASSERT_TRUE(view.IsSinkAdvised());
    DestroyWindow(parent);
    parent = nullptr;
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(view.GetHwnd(), nullptr);
    EXPECT_FALSE(view.IsSinkAdvised());
    EXPECT_EQ(RefCount(view.GetEventSink()), 0u);
    EXPECT_FALSE(view.GetBrowser());
    EXPECT_FALSE(view.Navigate(L"http://127.0.0.1/"));
}

TEST_F(ViewTest, SecondCreateOnTheSameViewFails) {
    RECT rc = {0, 0, 100, 100};
    EXPECT_EQ(view.Create(parent, rc), nullptr);
    EXPECT_EQ(view.GetHwnd(), hwnd);
    EXPECT_TRUE(view.IsSinkAdvised());
}

TEST_F(ViewTest, NavigateReportsBeforeNavigateThenTheError) {
    const std::wstring url = Url(L"/login.html");
    bool topLevel = false; // the control names itself for its page's own navigation
    recorder.onNotify = [&](const Notification& n) {
        if (n.kind == WN_BEFORE_NAVIGATE)
            topLevel = view.IsTopLevelNavigation();
    };
    ASSERT_TRUE(view.Navigate(url));
    EXPECT_TRUE(BrowserViewTestAccess::State(view).m_bWaitFirstComplete);
    ASSERT_TRUE(WaitForErrors(1));
    ASSERT_GE(recorder.events.size(), 2u);
    EXPECT_EQ(recorder.events[0].kind, WN_BEFORE_NAVIGATE);
    EXPECT_EQ(recorder.events[0].url, url);
    EXPECT_EQ(recorder.events[0].lParam, reinterpret_cast<WebNotifyLParam>(&view));
    EXPECT_EQ(recorder.events[0].wParam, 0u);
    EXPECT_EQ(recorder.events.back().kind, WN_NAVIGATE_ERROR);
    EXPECT_EQ(view.GetUrl(), url);
    EXPECT_EQ(recorder.Count(WN_NAVIGATE_COMPLETE), 0u);
    EXPECT_TRUE(topLevel);
}

// The tap between the control and the view shows what the control was told: the
// Cancel value it got back for each navigation and the URL each event carried.
TEST_F(ViewTest, CancelFromTheHandlerStopsTheNavigation) {
    ControlEventTap tap(view);
    ASSERT_TRUE(tap.Installed());
    const std::wstring cancelled = Url(L"/cancel-me"), allowed = Url(L"/allowed");
    recorder.onNotify = [&](const Notification& n) {
        if (n.kind == WN_BEFORE_NAVIGATE && n.eventUrl == cancelled)
            view.CancelThisNavigation();
    };
    ASSERT_TRUE(view.Navigate(cancelled));
    ASSERT_TRUE(PumpUntil([&] { return tap.navigations.size() == 1; }, 15000));
    ASSERT_TRUE(view.Navigate(allowed));
    ASSERT_TRUE(WaitForErrors(1));
    using Nav = std::pair<std::wstring, bool>;
    EXPECT_EQ(tap.navigations, (std::vector<Nav>{{cancelled, true}, {allowed, false}}));
    EXPECT_EQ(tap.errors, std::vector<std::wstring>{allowed});
    EXPECT_EQ(recorder.events.back().eventUrl, allowed);
}

TEST_F(ViewTest, ExeUrlsOfAnyCaseAreCancelledAsNewWindows) {
    ControlEventTap tap(view);
    ASSERT_TRUE(tap.Installed());
    const std::wstring setup = Url(L"/dl/setup.exe"), query = Url(L"/get?file=a.exe"), upper = Url(L"/a.EXE"),
                       page = Url(L"/a.html");
    size_t n = 0;
    for (const std::wstring& url : {setup, query, upper}) {
        ASSERT_TRUE(view.Navigate(url));
        ASSERT_TRUE(PumpUntil([&] { return tap.navigations.size() > n; }, 15000));
        ++n;
    }
    ASSERT_TRUE(view.Navigate(page)); // the one that loads, and fails here
    ASSERT_TRUE(WaitForErrors(1));
    using Nav = std::pair<std::wstring, bool>;
    EXPECT_EQ(tap.navigations,
              (std::vector<Nav>{{setup, true}, {query, true}, {upper, true}, {page, false}}));
    EXPECT_EQ(tap.errors, std::vector<std::wstring>{page});
    ASSERT_EQ(recorder.events.size(), 5u);
    const unsigned int kinds[] = {WN_NEW_WINDOW, WN_NEW_WINDOW, WN_NEW_WINDOW, WN_BEFORE_NAVIGATE,
                                  WN_NAVIGATE_ERROR};
    const std::wstring urls[] = {setup, query, upper, page, page};
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(recorder.events[i].kind, kinds[i]);
        EXPECT_EQ(recorder.events[i].eventUrl, urls[i]);
        EXPECT_EQ(recorder.events[i].url, urls[i]); // what the owner reads is what the event carried
    }
}

// NewWindow3 is never raised by this control: raise it through the sink; the
// navigation it starts is the control's own.
TEST_F(ViewTest, BlockedNewWindowComesBackAsNewWindowNotification) {
    ControlEventTap tap(view);
    ASSERT_TRUE(tap.Installed());
    const std::wstring popup = Url(L"/popup.html"), after = Url(L"/after");
    EXPECT_EQ(RaiseNewWindow3(view, popup), VARIANT_TRUE);
    ASSERT_TRUE(PumpUntil([&] { return recorder.events.size() >= 1; }, 15000));
    EXPECT_EQ(recorder.events[0].kind, WN_NEW_WINDOW);
    EXPECT_EQ(recorder.events[0].eventUrl, popup);
    EXPECT_EQ(recorder.events[0].url, popup);
    ASSERT_TRUE(view.Navigate(after));
    ASSERT_TRUE(WaitForErrors(1));
    using Nav = std::pair<std::wstring, bool>;
    EXPECT_EQ(tap.navigations, (std::vector<Nav>{{popup, true}, {after, false}})); // the popup never loaded
    EXPECT_EQ(tap.errors, std::vector<std::wstring>{after});
    EXPECT_EQ(recorder.Count(WN_NEW_WINDOW), 1u);
}

TEST_F(ViewTest, NewWindowIsLetThroughWhenNotBlocked) {
    view.SetBlockNewWindow(false);
    EXPECT_EQ(RaiseNewWindow2(view), VARIANT_FALSE);
    view.SetBlockNewWindow(true);
    EXPECT_EQ(RaiseNewWindow2(view), VARIANT_TRUE);
}

TEST_F(ViewTest, PostBodyOfOneMebibyteAndEmptyBodyNavigate) {
    std::string big(1 << 20, 'x');
    big[0] = 'a';
    big.back() = 'z';
    EXPECT_TRUE(view.Navigate(Url(L"/post"), big));
    ASSERT_TRUE(WaitForErrors(1));
    EXPECT_TRUE(view.Navigate(Url(L"/get"), std::vector<uint8_t>()));
    ASSERT_TRUE(WaitForErrors(2));
    EXPECT_EQ(recorder.events.back().url, Url(L"/get"));
}

TEST_F(ViewTest, VeryLongUrlIsNavigatedAndReportedWhole) {
    const std::wstring url = Url(L"/long?q=") + std::wstring(8500, L'a');
    EXPECT_TRUE(view.Navigate(url));
    ASSERT_TRUE(WaitForErrors(1));
    EXPECT_EQ(recorder.events[0].kind, WN_BEFORE_NAVIGATE);
    EXPECT_EQ(recorder.events[0].url, url);
}

TEST_F(ViewTest, OddUrlsDoNotCrash) {
    std::wstring withNul = Url(L"/a");
    withNul.push_back(L'\0');
    withNul += L"b";
    std::wstring loneSurrogate = Url(L"/x");
    loneSurrogate.push_back(static_cast<wchar_t>(0xD800));
    for (const std::wstring& url : {withNul, loneSurrogate, std::wstring()}) {
        view.Navigate(url);
        Pump(300);
    }
    // The view still works afterwards.
    recorder.events.clear();
    ASSERT_TRUE(view.Navigate(Url(L"/still-alive")));
    ASSERT_TRUE(PumpUntil(
        [&] {
            for (const auto& n : recorder.events)
                if (n.kind == WN_NAVIGATE_ERROR && n.url == Url(L"/still-alive"))
                    return true;
            return false;
        },
        15000));
}

// Wine's control answers S_FALSE for every key, so nothing is consumed; what is
// checked is which messages reach the host's WM_FORWARDMSG.
TEST_F(ViewTest, PreTranslateForwardsInputOfTheViewAndItsDescendantsOnly) {
    ForwardedMessages forwarded(hwnd);
    HWND inner = GetWindow(hwnd, GW_CHILD); // the control's own window
    ASSERT_TRUE(inner);

    struct Case {
        HWND target;
        UINT message;
        bool forwarded;
    } cases[] = {
        {hwnd, WM_KEYDOWN, true},   {inner, WM_KEYDOWN, true},     {hwnd, 0x0109, true},
        {hwnd, WM_MOUSEMOVE, true}, {inner, WM_LBUTTONDOWN, true}, {hwnd, 0x020E, true},
        {hwnd, 0x00FF, false},      {hwnd, 0x010A, false},         {hwnd, 0x01FF, false},
        {hwnd, 0x020F, false},      {parent, WM_KEYDOWN, false},   {nullptr, WM_KEYDOWN, false},
        {hwnd, WM_PAINT, false},
    };
    for (const Case& c : cases) {
        forwarded.messages.clear();
        MSG msg = {c.target, c.message, 'A', 0, 0, {0, 0}};
        EXPECT_EQ(view.PreTranslateMessage(&msg), FALSE);
        EXPECT_EQ(forwarded.messages.size(), c.forwarded ? 1u : 0u) << "message 0x" << std::hex << c.message;
    }
    EXPECT_EQ(view.PreTranslateMessage(nullptr), FALSE);
}

// The control has no document here: the document steps must end silently.
TEST_F(ViewTest, DocumentStepsWithoutADocumentEndSilently) {
    auto browser = view.GetBrowser();
    ASSERT_TRUE(browser);
    ComPtr<IDispatch> document;
    browser->get_Document(document.Put());
    EXPECT_FALSE(document); // what makes these steps unreachable here
    ComPtr<IDispatch> frame = browser.As<IDispatch>(IID_IDispatch);
    view.Navigate(L"about:blank");
    RaiseNavigateComplete(view, L"http://127.0.0.1/page", frame.Get());
    RaiseDocumentComplete(view, L"http://127.0.0.1/page", frame.Get());
    view.FocusDocument();
    SendMessageW(hwnd, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(recorder.Kinds(), (std::vector<unsigned int>{WN_NAVIGATE_COMPLETE, WN_DOCUMENT_COMPLETE}));
}

TEST_F(ViewTest, RefreshAndSilentDoNotDisturbTheView) {
    view.Refresh();
    ASSERT_TRUE(view.Navigate(Url(L"/x")));
    VARIANT_BOOL silent = VARIANT_FALSE;
    ASSERT_EQ(view.GetBrowser()->get_Silent(&silent), S_OK);
    EXPECT_EQ(silent, VARIANT_TRUE);
    ASSERT_TRUE(WaitForErrors(1));
}

} // namespace

namespace {

struct Usage {
    DWORD handles = 0, user = 0, gdi = 0, windows = 0;
    SIZE_T privateBytes = 0;
};

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    EnumChildWindows(hwnd, CountWindow, count);
    return TRUE;
}

Usage Measure() {
    Usage u;
    GetProcessHandleCount(GetCurrentProcess(), &u.handles);
    u.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    u.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&u.windows));
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                             sizeof pmc))
        u.privateBytes = pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
    return u;
}

// One view's whole life; true when every reference came back.
bool OneLife(HWND parent) {
    CBrowserView view;
    RECT rc = {0, 0, 300, 200};
    if (!view.Create(parent, rc))
        return false;
    IUnknown* control =
        reinterpret_cast<IUnknown*>(SendMessageW(view.GetHwnd(), AxGetControlMessage(), 0, 0));
    if (!control)
        return false;
    control->AddRef();
    view.Navigate(L"about:blank");
    Pump(5);
    DestroyWindow(view.GetHwnd());
    const bool unadvised = !view.IsSinkAdvised() && RefCount(view.GetEventSink()) == 0;
    return unadvised && control->Release() == 0;
}

TEST(ViewLifetime, FiftyViewsComeAndGoWithoutLeaks) {
    HWND parent = MakeParentWindow();
    ASSERT_TRUE(parent);
    for (int i = 0; i < 5; ++i) // warm-up: the first views load the browser's libraries
        ASSERT_TRUE(OneLife(parent));
    Pump(100);
    const long hosts = CAxHostWindow::LiveObjects();
    const Usage before = Measure();
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(OneLife(parent)) << "cycle " << i;
    Pump(100);
    const Usage after = Measure();
    EXPECT_EQ(CAxHostWindow::LiveObjects(), hosts);
    EXPECT_EQ(hosts, 0);
    const long long grownKiB =
        (static_cast<long long>(after.privateBytes) - static_cast<long long>(before.privateBytes)) / 1024;
    std::printf("50 views: windows %lu -> %lu, handles %lu -> %lu, USER %lu -> %lu, GDI %lu -> %lu, "
                "private %+lld KiB\n",
                before.windows, after.windows, before.handles, after.handles, before.user, after.user,
                before.gdi, after.gdi, grownKiB);
    // A leak of one window, handle or GDI object per view would show as 50.
    EXPECT_GT(before.windows, 0u);
    EXPECT_LE(after.windows, before.windows);
    EXPECT_LE(grownKiB, 4096);
    // Wine reports 0 for these counters; Windows does not.
    if (before.handles > 0) {
        EXPECT_LE(after.handles, before.handles + 10);
    }
    if (before.user > 0) {
        EXPECT_LE(after.user, before.user + 10);
    }
    if (before.gdi > 0) {
        EXPECT_LE(after.gdi, before.gdi + 10);
    }
    if (before.handles == 0 || before.gdi == 0)
        std::printf("handle and GDI counts are not reported on this system\n");
    DestroyWindow(parent);
}

TEST(ViewLifetime, ViewDestroyedWithoutItsParentTakesItsWindowAlong) {
    HWND parent = MakeParentWindow();
    HWND hwnd;
    {
        CBrowserView view;
        RECT rc = {0, 0, 100, 100};
        hwnd = view.Create(parent, rc);
        ASSERT_TRUE(hwnd);
    }
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_TRUE(IsWindow(parent));
    DestroyWindow(parent);
}

} // namespace
