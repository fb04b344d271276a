// Web notifications: order, values, ownership, and a notifier that dies while it fires.
#include "browser/host/WebNotify.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

struct Call {
    int who;
    unsigned int kind;
    WebNotifyWParam wParam;
    WebNotifyLParam lParam;
    bool operator==(const Call& o) const {
        return who == o.who && kind == o.kind && wParam == o.wParam && lParam == o.lParam;
    }
};

struct Window {
    int id;
    std::vector<Call>* log;
    std::function<void()> action;
    void OnWebNotify(unsigned int kind, WebNotifyWParam wParam, WebNotifyLParam lParam) {
        log->push_back({id, kind, wParam, lParam});
        if (action)
            action();
    }
};

// A subscriber whose destruction is counted.
struct CountedHandler : ICWebNotifyEventHandler {
    explicit CountedHandler(int* destroyed) : destroyed(destroyed) {}
    ~CountedHandler() override { ++*destroyed; }
    void Notify(unsigned int, WebNotifyWParam, WebNotifyLParam) override { ++calls; }
    int* destroyed;
    int calls = 0;
};

TEST(WebNotify, FireWithoutSubscribersDoesNothing) {
    CWebNotify notify;
    notify.Fire(WN_BEFORE_NAVIGATE, WebNotifyWParam(0), WebNotifyLParam(0));
    EXPECT_EQ(notify.Count(), 0u);
}

TEST(WebNotify, SubscribersAreCalledInOrderWithTheSameValues) {
    std::vector<Call> log;
    Window a{1, &log, nullptr}, b{2, &log, nullptr};
    CWebNotify notify;
    Subscribe(notify, &a, &Window::OnWebNotify);
    Subscribe(notify, &b, &Window::OnWebNotify);
    // Pointer-wide values survive unchanged (a cut to 32 bits would lose the high half on x64).
    const WebNotifyWParam w = static_cast<WebNotifyWParam>(~WebNotifyWParam(0) - 5);
    const WebNotifyLParam l = -1234567;
    notify.Fire(WN_TITLE_CHANGE, w, l);
    notify.Fire(WN_DOCUMENT_COMPLETE, WebNotifyWParam(0), WebNotifyLParam(7));
    EXPECT_EQ(log, (std::vector<Call>{{1, WN_TITLE_CHANGE, w, l},
                                      {2, WN_TITLE_CHANGE, w, l},
                                      {1, WN_DOCUMENT_COMPLETE, 0, 7},
                                      {2, WN_DOCUMENT_COMPLETE, 0, 7}}));
}

TEST(WebNotify, KindValuesAreFixed) {
    EXPECT_EQ(WN_DOCUMENT_COMPLETE, 0u);
    EXPECT_EQ(WN_NAVIGATE_ERROR, 1u);
    EXPECT_EQ(WN_GET_EXTERNAL, 2u);
    EXPECT_EQ(WN_BEFORE_NAVIGATE, 7u);
    EXPECT_EQ(WN_NAVIGATE_COMPLETE, 8u);
    EXPECT_EQ(WN_TITLE_CHANGE, 9u);
    EXPECT_EQ(WN_NEW_WINDOW, 10u);
}

// The way a window cancels: its handler writes a flag of the object that fired.
TEST(WebNotify, HandlerCanChangeStateOfTheFiringObjectBeforeFireReturns) {
    struct View {
        CWebNotify event;
        bool cancel = false;
    } view;
    std::vector<Call> log;
    Window w{1, &log, [&] { view.cancel = true; }};
    Subscribe(view.event, &w, &Window::OnWebNotify);
    view.event.Fire(WN_BEFORE_NAVIGATE, WebNotifyWParam(0), reinterpret_cast<WebNotifyLParam>(&view));
    EXPECT_TRUE(view.cancel);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].lParam, reinterpret_cast<WebNotifyLParam>(&view));
}

TEST(WebNotify, SubscriberAddedDuringFireIsCalledInTheSameWalk) {
    std::vector<Call> log;
    CWebNotify notify;
    Window late{2, &log, nullptr};
    Window first{1, &log, nullptr};
    first.action = [&] {
        if (notify.Count() == 1)
            Subscribe(notify, &late, &Window::OnWebNotify);
    };
    Subscribe(notify, &first, &Window::OnWebNotify);
    notify.Fire(WN_NEW_WINDOW, WebNotifyWParam(1), WebNotifyLParam(2));
    EXPECT_EQ(log, (std::vector<Call>{{1, WN_NEW_WINDOW, 1, 2}, {2, WN_NEW_WINDOW, 1, 2}}));
}

TEST(WebNotify, NullEntriesAreSkippedAndSubscribersFreedWithTheNotifier) {
    int destroyed = 0;
    CountedHandler* a;
    CountedHandler* b;
    {
        CWebNotify notify;
        a = static_cast<CountedHandler*>(notify.Add(std::make_unique<CountedHandler>(&destroyed)));
        EXPECT_EQ(notify.Add(nullptr), nullptr);
        b = static_cast<CountedHandler*>(notify.Add(std::make_unique<CountedHandler>(&destroyed)));
        notify.Fire(WN_NAVIGATE_ERROR, WebNotifyWParam(0), WebNotifyLParam(0));
        EXPECT_EQ(a->calls, 1);
        EXPECT_EQ(b->calls, 1);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 2);
}

// A window that closes inside its handler destroys the view and its notifier;
// the walk must stop without touching freed memory (the sanitizer build checks).
TEST(WebNotify, NotifierDestroyedByAHandlerStopsTheWalk) {
    std::vector<Call> log;
    auto notify = std::make_unique<CWebNotify>();
    Window closer{1, &log, [&] { notify.reset(); }};
    Window after{2, &log, nullptr};
    Subscribe(*notify, &closer, &Window::OnWebNotify);
    Subscribe(*notify, &after, &Window::OnWebNotify);
    notify->Fire(WN_BEFORE_NAVIGATE, WebNotifyWParam(0), WebNotifyLParam(0));
    EXPECT_FALSE(notify);
    EXPECT_EQ(log, (std::vector<Call>{{1, WN_BEFORE_NAVIGATE, 0, 0}}));
}

// A handler fires again (it navigates, which reports at once) and the inner walk
// destroys the notifier: both walks stop.
TEST(WebNotify, NestedFireWhoseInnerWalkDestroysTheNotifier) {
    std::vector<Call> log;
    auto notify = std::make_unique<CWebNotify>();
    Window w{1, &log, nullptr};
    w.action = [&] {
        if (log.size() == 1)
            notify->Fire(WN_NEW_WINDOW, WebNotifyWParam(0), WebNotifyLParam(0));
        else
            notify.reset();
    };
    Window second{2, &log, nullptr};
    Subscribe(*notify, &w, &Window::OnWebNotify);
    Subscribe(*notify, &second, &Window::OnWebNotify);
    notify->Fire(WN_BEFORE_NAVIGATE, WebNotifyWParam(0), WebNotifyLParam(0));
    EXPECT_FALSE(notify);
    EXPECT_EQ(log, (std::vector<Call>{{1, WN_BEFORE_NAVIGATE, 0, 0}, {1, WN_NEW_WINDOW, 0, 0}}));
}

TEST(DestroyGuard, GuardOutlivingItsWatchSeesTheDestruction) {
    auto watch = std::make_unique<CDestroyWatch>();
    CDestroyGuard outer(*watch);
    {
        CDestroyGuard inner(*watch);
        EXPECT_FALSE(inner.Destroyed());
    }
    EXPECT_FALSE(outer.Destroyed());
    watch.reset();
    EXPECT_TRUE(outer.Destroyed());
}

} // namespace
