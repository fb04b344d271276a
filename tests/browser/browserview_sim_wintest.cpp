// What of the view's navigations reaches a server: the platform simulator logs
// every request it receives.
#include "tests/browser/BrowserTestSupport.h"
#include "tests/support/SimClient.h"

#include <gtest/gtest.h>

#include <string>

using namespace browsertest;

namespace {

class ViewAgainstServer : public ::testing::Test {
protected:
    void SetUp() override {
        sim = SimClient::FromEnvironment();
        ASSERT_TRUE(sim.IsValid()) << std::string(sim.LastError().begin(), sim.LastError().end());
        ASSERT_TRUE(sim.Reset());
        parent = MakeParentWindow();
        RECT rc = {0, 0, 400, 300};
        ASSERT_TRUE(view.Create(parent, rc));
        view.SetBlockNewWindow(true);
    }
    void TearDown() override { DestroyWindow(parent); }

    std::wstring Url(const std::wstring& path) { return sim.Url(L"web", path); }
    // The control only works while messages are dispatched, so the log is polled
    // between pumps (the client's own wait would block the thread).
    std::vector<SimRequest> WaitForRequests(const std::function<bool(const SimRequest&)>& match, size_t count,
                                            DWORD timeoutMs) {
        std::vector<SimRequest> hits;
        PumpUntil(
            [&] {
                hits.clear();
                for (const auto& r : sim.Log())
                    if (match(r))
                        hits.push_back(r);
                return hits.size() >= count;
            },
            timeoutMs);
        return hits;
    }
    // The requests for one path seen once a later marker request has arrived
    // (requests of one view are made in order).
    std::vector<SimRequest> RequestsBefore(const std::wstring& markerPath) {
        WaitForRequests([&](const SimRequest& r) { return r.path == markerPath; }, 1, 15000);
        return sim.Log();
    }
    static bool Has(const std::vector<SimRequest>& log, const std::wstring& path) {
        for (const auto& r : log)
            if (r.path == path)
                return true;
        return false;
    }

    SimClient sim;
    HWND parent = nullptr;
    CBrowserView view;
    Recorder recorder{view};
};

TEST_F(ViewAgainstServer, GetReachesTheServerAfterBeforeNavigate) {
    ASSERT_TRUE(sim.SetContent(L"web", L"/page.html", "<html><body>hi</body></html>", L"text/html"));
    ASSERT_TRUE(view.Navigate(Url(L"/page.html")));
    auto hits = WaitForRequests([](const SimRequest& r) { return r.path == L"/page.html"; }, 1, 15000);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].method, L"GET");
    ASSERT_GE(recorder.events.size(), 1u);
    EXPECT_EQ(recorder.events[0].kind, WN_BEFORE_NAVIGATE);
    EXPECT_EQ(recorder.events[0].url, Url(L"/page.html"));
}

TEST_F(ViewAgainstServer, CancelledNavigationNeverReachesTheServer) {
    recorder.onNotify = [&](const Notification& n) {
        if (n.kind == WN_BEFORE_NAVIGATE && n.url == Url(L"/cancelled"))
            view.CancelThisNavigation();
    };
    ASSERT_TRUE(view.Navigate(Url(L"/cancelled")));
    ASSERT_TRUE(PumpUntil([&] { return recorder.events.size() >= 1; }, 15000));
    ASSERT_TRUE(view.Navigate(Url(L"/marker")));
    auto log = RequestsBefore(L"/marker");
    EXPECT_TRUE(Has(log, L"/marker"));
    EXPECT_FALSE(Has(log, L"/cancelled"));
}

TEST_F(ViewAgainstServer, ExeDownloadsOfAnyCaseAreCancelled) {
    ASSERT_TRUE(view.Navigate(Url(L"/dl/setup.exe")));
    ASSERT_TRUE(PumpUntil([&] { return recorder.events.size() >= 1; }, 15000));
    ASSERT_TRUE(view.Navigate(Url(L"/get?file=a.exe")));
    ASSERT_TRUE(PumpUntil([&] { return recorder.events.size() >= 2; }, 15000));
    ASSERT_TRUE(view.Navigate(Url(L"/a.EXE")));
    ASSERT_TRUE(PumpUntil([&] { return recorder.events.size() >= 3; }, 15000));
    ASSERT_TRUE(view.Navigate(Url(L"/marker")));
    auto log = RequestsBefore(L"/marker");
    EXPECT_TRUE(Has(log, L"/marker"));
    EXPECT_FALSE(Has(log, L"/a.EXE"));
    EXPECT_FALSE(Has(log, L"/dl/setup.exe"));
    EXPECT_FALSE(Has(log, L"/get?file=a.exe"));
    EXPECT_EQ(recorder.Count(WN_NEW_WINDOW), 3u);
}

TEST_F(ViewAgainstServer, BlockedNewWindowIsNeverLoaded) {
    EXPECT_EQ(RaiseNewWindow3(view, Url(L"/popup")), VARIANT_TRUE);
    ASSERT_TRUE(PumpUntil([&] { return recorder.Count(WN_NEW_WINDOW) == 1; }, 15000));
    EXPECT_EQ(view.GetUrl(), Url(L"/popup"));
    ASSERT_TRUE(view.Navigate(Url(L"/marker")));
    EXPECT_FALSE(Has(RequestsBefore(L"/marker"), L"/popup"));
}

TEST_F(ViewAgainstServer, PostBodyArrivesByteForByteWithItsContentType) {
    std::string body = "user=a%20b&pass=x";
    for (int i = 0; i < 256; ++i)
        body.push_back(static_cast<char>(i)); // every byte value, NUL included
    ASSERT_TRUE(view.Navigate(Url(L"/login"), body));
    auto hits = WaitForRequests([](const SimRequest& r) { return r.path == L"/login"; }, 1, 15000);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].method, L"POST");
    EXPECT_EQ(hits[0].body, body);
    EXPECT_EQ(hits[0].Header(L"Content-Type"), L"application/x-www-form-urlencoded");
}

TEST_F(ViewAgainstServer, OneMebibytePostArrivesWhole) {
    std::vector<uint8_t> body(1 << 20);
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    ASSERT_TRUE(view.Navigate(Url(L"/big"), body));
    auto hits = WaitForRequests([](const SimRequest& r) { return r.path == L"/big"; }, 1, 30000);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].body.size(), body.size());
    EXPECT_TRUE(hits[0].body == std::string(body.begin(), body.end()));
}

TEST_F(ViewAgainstServer, EmptyBodyIsAGet) {
    ASSERT_TRUE(view.Navigate(Url(L"/empty"), std::string()));
    auto hits = WaitForRequests([](const SimRequest& r) { return r.path == L"/empty"; }, 1, 15000);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].method, L"GET");
}

TEST_F(ViewAgainstServer, LongUrlIsRequestedWhole) {
    const std::wstring path = L"/long?q=" + std::wstring(8500, L'a');
    ASSERT_TRUE(view.Navigate(Url(path)));
    auto hits = WaitForRequests([](const SimRequest& r) { return r.path.rfind(L"/long", 0) == 0; }, 1, 15000);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].path, path);
}

TEST_F(ViewAgainstServer, ReachablePageWithoutAnHtmlEngineReportsAnError) {
    ASSERT_TRUE(sim.SetContent(L"web", L"/ok.html", "<html></html>", L"text/html"));
    ASSERT_TRUE(view.Navigate(Url(L"/ok.html")));
    ASSERT_TRUE(PumpUntil([&] { return recorder.Count(WN_NAVIGATE_ERROR) >= 1; }, 15000));
    EXPECT_EQ(recorder.Count(WN_NAVIGATE_COMPLETE), 0u);
}

} // namespace
