// The view's steps that the real control cannot show here: events it never
// raises (driven through the view's own sink) and the document steps (proved on
// fake browser objects put in place of the control), the handler forms, and
// a view that dies inside its own notification.
#include "tests/browser/BrowserTestSupport.h"
#include "tests/browser/FakeDocument.h"

#include "browser/host/AxHostWindow.h"

#include <gtest/gtest.h>

#include <memory>

using namespace browsertest;

namespace {

ULONG RefCount(IUnknown* p) {
    p->AddRef();
    return p->Release();
}

class ViewEvents : public ::testing::Test {
protected:
    void SetUp() override {
        parent = MakeParentWindow();
        ASSERT_TRUE(parent);
        RECT rc = {0, 0, 400, 300};
        hwnd = view.Create(parent, rc);
        ASSERT_TRUE(hwnd);
        view.SetBlockNewWindow(true);
    }
    void TearDown() override {
        if (parent)
            DestroyWindow(parent);
        EXPECT_EQ(record.live, 0) << "fake objects leaked";
    }
    // Replaces the control with a fake browser whose document records the calls.
    ComPtr<IWebBrowser2> AttachFake() {
        auto fake = ComPtr<IWebBrowser2>::Attach(FakeBrowser_Create(&record));
        EXPECT_EQ(view.GetHost()->AttachControl(fake.Get(), hwnd), S_OK);
        EXPECT_EQ(view.GetBrowser().Get(), fake.Get());
        return fake;
    }

    HWND parent = nullptr, hwnd = nullptr;
    CBrowserView view;
    Recorder recorder{view};
    FakeDocumentRecord record = {};
};

TEST_F(ViewEvents, SkippedAndReportedUrlsThroughTheSink) {
    BrowserViewTestAccess::State(view).m_strUrl = L"http://host/start";
    EXPECT_EQ(RaiseBeforeNavigate(view, L"javascript:void(0)"), VARIANT_FALSE);
    EXPECT_EQ(RaiseBeforeNavigate(view, L"about:blank#top"), VARIANT_FALSE);
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_EQ(view.GetUrl(), L"http://host/start");
    EXPECT_EQ(RaiseBeforeNavigate(view, L"JavaScript:go()"), VARIANT_FALSE);
    ASSERT_EQ(recorder.events.size(), 1u);
    EXPECT_EQ(recorder.events[0].kind, WN_BEFORE_NAVIGATE);
    EXPECT_EQ(recorder.events[0].url, L"JavaScript:go()");
}

TEST_F(ViewEvents, CancelIsWrittenAsVariantTrue) {
    recorder.onNotify = [&](const Notification&) { view.CancelThisNavigation(); };
    EXPECT_EQ(RaiseBeforeNavigate(view, L"http://host/x"), VARIANT_TRUE);
    recorder.onNotify = nullptr;
    EXPECT_EQ(RaiseBeforeNavigate(view, L"http://host/y"), VARIANT_FALSE); // reset for each navigation
    EXPECT_EQ(RaiseBeforeNavigate(view, L"http://host/y.exe"), VARIANT_TRUE);
    EXPECT_EQ(recorder.Kinds(),
              (std::vector<unsigned int>{WN_BEFORE_NAVIGATE, WN_BEFORE_NAVIGATE, WN_NEW_WINDOW}));
}

// The event's browser object tells the page from its frames: only the control
// itself (whichever of its interfaces the event names) is the top-level page.
TEST_F(ViewEvents, FrameNavigationsAreToldFromTheTopLevelPage) {
    FakeDocumentRecord frameRecord = {};
    auto frame = ComPtr<IWebBrowser2>::Attach(FakeBrowser_Create(&frameRecord));
    auto control = view.GetBrowser();
    ASSERT_TRUE(control);
    auto controlAsDispatch = control.As<IDispatch>(IID_IDispatch);
    std::vector<bool> topLevel;
    recorder.onNotify = [&](const Notification&) { topLevel.push_back(view.IsTopLevelNavigation()); };
    RaiseBeforeNavigate(view, L"http://host/top", controlAsDispatch.Get());
    RaiseBeforeNavigate(view, L"http://host/frame", frame.Get());
    RaiseBeforeNavigate(view, L"http://host/top.exe", control.Get());
    EXPECT_EQ(topLevel, (std::vector<bool>{true, false, true}));
    frame.Reset();
    EXPECT_EQ(frameRecord.live, 0);
}

// window.open of a blank or script address is no new window and leaves no flag
// behind: the next navigation of the page is an ordinary one.
TEST_F(ViewEvents, BlankAndScriptNewWindowsAreDroppedAndLeaveNoFlag) {
    for (const wchar_t* url : {L"about:blank", L"javascript:alert(1)", L"JAVASCRIPT:x"}) {
        SCOPED_TRACE(std::wstring(url).c_str());
        recorder.events.clear();
        EXPECT_EQ(RaiseNewWindow3(view, url), VARIANT_TRUE);
        Pump(50); // a navigation the control ran would report by now
        EXPECT_EQ(RaiseBeforeNavigate(view, L"http://host/next"), VARIANT_FALSE);
        EXPECT_EQ(recorder.Kinds(), (std::vector<unsigned int>{WN_BEFORE_NAVIGATE}));
    }
}

// A destroyed view takes its handler back from the document it gave it to, so no
// document calls into a view that is gone, and nothing holds the view any more.
TEST_F(ViewEvents, DestroyingTheViewTakesItsHandlerBackFromTheDocument) {
    auto fake = AttachFake();
    BrowserViewTestAccess::State(view).RecordNavigate(L"http://host/page");
    RaiseNavigateComplete(view, L"http://host/page", fake.Get());
    ASSERT_EQ(record.uiHandler, static_cast<IUnknown*>(view.GetUIHandler()));
    EXPECT_TRUE(view.IsReferenced());
    DestroyWindow(hwnd);
    EXPECT_EQ(record.uiHandler, nullptr);
    EXPECT_FALSE(view.IsReferenced());
}

TEST_F(ViewEvents, NavigateErrorExceptAbortIsReportedAndItsPageSuppressed) {
    EXPECT_EQ(RaiseNavigateError(view, L"http://host/a", static_cast<LONG>(0x80004004u)), VARIANT_FALSE);
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_EQ(RaiseNavigateError(view, L"http://host/frame", static_cast<LONG>(0x800C0008u)), VARIANT_TRUE);
    EXPECT_EQ(RaiseNavigateError(view, L"http://host/b", 404), VARIANT_TRUE);
    EXPECT_EQ(recorder.Kinds(), (std::vector<unsigned int>{WN_NAVIGATE_ERROR, WN_NAVIGATE_ERROR}));
}

TEST_F(ViewEvents, NavigateCompleteOnlyForTheFirstRealPageAfterNavigate) {
    int topObject = 0, frameObject = 0; // stand-ins compared by address only
    auto* top = reinterpret_cast<IDispatch*>(&topObject);
    auto* frame = reinterpret_cast<IDispatch*>(&frameObject);
    auto fake = AttachFake();                               // so the document steps have something to call
    RaiseNavigateComplete(view, L"http://host/early", top); // no Navigate yet
    EXPECT_TRUE(recorder.events.empty());
    BrowserViewTestAccess::State(view).RecordNavigate(
        L"about:blank"); // what Navigate(L"about:blank") records
    RaiseNavigateComplete(view, L"about:blank", top);
    EXPECT_TRUE(recorder.events.empty());
    RaiseNavigateComplete(view, L"http://host/page", top);
    RaiseNavigateComplete(view, L"http://host/frame", frame);
    EXPECT_EQ(recorder.Kinds(), (std::vector<unsigned int>{WN_NAVIGATE_COMPLETE}));
    EXPECT_EQ(BrowserViewTestAccess::State(view).m_pTopDispatch, top);
    // Every completion gives the document the direct handler.
    EXPECT_EQ(record.setUIHandler, 4);
    EXPECT_EQ(record.uiHandler, static_cast<IUnknown*>(view.GetUIHandler()));
}

TEST_F(ViewEvents, DocumentCompleteForTopLevelOnlyAndScrollBarsHiddenInEveryFrame) {
    FakeDocumentRecord frameRecord = {};
    auto top = ComPtr<IWebBrowser2>::Attach(FakeBrowser_Create(&record));
    auto frame = ComPtr<IWebBrowser2>::Attach(FakeBrowser_Create(&frameRecord));
    BrowserViewTestAccess::State(view).RecordNavigate(L"http://host/page");
    RaiseDocumentComplete(view, L"http://host/page", top.Get()); // before the first completion
    EXPECT_TRUE(recorder.events.empty());
    RaiseNavigateComplete(view, L"http://host/page", top.Get());
    RaiseDocumentComplete(view, L"http://host/frame", frame.Get());
    RaiseDocumentComplete(view, L"http://host/page", top.Get());
    RaiseDocumentComplete(view, L"http://host/later", top.Get());
    EXPECT_EQ(recorder.Kinds(),
              (std::vector<unsigned int>{WN_NAVIGATE_COMPLETE, WN_DOCUMENT_COMPLETE, WN_DOCUMENT_COMPLETE}));
    EXPECT_EQ(record.putScroll, 3);
    EXPECT_EQ(frameRecord.putScroll, 1);
    EXPECT_STREQ(frameRecord.scroll, L"no");
    view.SetNoScroll(false);
    RaiseDocumentComplete(view, L"http://host/frame", frame.Get());
    EXPECT_EQ(frameRecord.putScroll, 1);
    top.Reset();
    frame.Reset();
    EXPECT_EQ(frameRecord.live, 0);
}

TEST_F(ViewEvents, FocusDocumentFocusesTheDocumentWindow) {
    auto fake = AttachFake();
    view.FocusDocument();
    EXPECT_EQ(record.focus, 1);
    SendMessageW(hwnd, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(record.focus, 2);
}

TEST_F(ViewEvents, TitleChangePassesTheTitle) {
    recorder.onNotify = [&](const Notification& n) {
        EXPECT_STREQ(reinterpret_cast<const wchar_t*>(n.lParam), L"游戏 title");
    };
    RaiseTitleChange(view, L"游戏 title");
    ASSERT_EQ(recorder.Kinds(), (std::vector<unsigned int>{WN_TITLE_CHANGE}));
    EXPECT_EQ(recorder.events[0].wParam, 0u);
}

TEST_F(ViewEvents, MalformedEventArgumentsAreRejectedWithoutNotifying) {
    VARIANT_BOOL cancel = VARIANT_FALSE;
    Strings s;
    VARIANT url = Bstr(s.Make(L"http://host/x"));
    // Declared order instead of reverse order: Cancel lands where the URL should be.
    std::vector<VARIANT> declared = {Dispatch(nullptr), ByRefVariant(&url), I4(0), I4(0), I4(0), I4(0),
                                     ByRefBool(&cancel)};
    DISPPARAMS wrongOrder = {declared.data(), nullptr, 7, 0};
    EXPECT_EQ(view.GetEventSink()->Invoke(250, IID_NULL, 0, DISPATCH_METHOD, &wrongOrder, nullptr, nullptr,
                                          nullptr),
              DISP_E_TYPEMISMATCH);
    DISPPARAMS tooFew = {declared.data(), nullptr, 2, 0};
    EXPECT_EQ(
        view.GetEventSink()->Invoke(271, IID_NULL, 0, DISPATCH_METHOD, &tooFew, nullptr, nullptr, nullptr),
        DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(
        view.GetEventSink()->Invoke(113, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
        DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(
        view.GetEventSink()->Invoke(102, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
        S_OK); // an event the view does not handle
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_EQ(cancel, VARIANT_FALSE);
}

TEST_F(ViewEvents, HostHandlerSuppressesTheMenuAndReportsGetExternal) {
    auto docHost = ComPtr<IAxWinHostWindow>(view.GetHost()).As<IDocHostUIHandler>(IID_IDocHostUIHandler);
    ASSERT_TRUE(docHost);
    POINT pt = {5, 5};
    EXPECT_EQ(docHost->ShowContextMenu(0, &pt, nullptr, nullptr), S_OK);
    IDispatch* external = reinterpret_cast<IDispatch*>(0x1);
    EXPECT_EQ(docHost->GetExternal(&external), S_FALSE);
    EXPECT_EQ(external, nullptr);
    ASSERT_EQ(recorder.Kinds(), (std::vector<unsigned int>{WN_GET_EXTERNAL}));
    EXPECT_EQ(recorder.events[0].wParam, reinterpret_cast<WebNotifyWParam>(&external));
    EXPECT_EQ(recorder.events[0].lParam, reinterpret_cast<WebNotifyLParam>(&view));
    DOCHOSTUIINFO info = {};
    info.cbSize = sizeof info;
    EXPECT_EQ(docHost->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER)); // the view's form keeps the host's
    EXPECT_EQ(info.dwDoubleClick, static_cast<DWORD>(DOCHOSTUIDBLCLK_DEFAULT));
    MSG msg = {hwnd, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_EQ(docHost->TranslateAccelerator(&msg, nullptr, 0), S_FALSE);
}

TEST_F(ViewEvents, DirectHandlerShowsTheMenuAndAsksForABorderlessPage) {
    IDocHostUIHandler* direct = view.GetUIHandler();
    EXPECT_EQ(direct->ShowContextMenu(0, nullptr, nullptr, nullptr), S_FALSE);
    DOCHOSTUIINFO info = {};
    info.dwFlags = 0x00000100; // DOCHOSTUIFLAG_ACTIVATE_CLIENTHIT_ONLY, kept
    info.dwDoubleClick = 3;
    info.pchHostCss = reinterpret_cast<OLECHAR*>(0x1);
    EXPECT_EQ(direct->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.cbSize, sizeof(DOCHOSTUIINFO));
    EXPECT_EQ(info.dwFlags, 0x0020010Eu);
    EXPECT_EQ(info.dwDoubleClick, 0u);
    EXPECT_EQ(info.pchHostCss, nullptr);
    EXPECT_EQ(info.pchHostNS, nullptr);
    view.SetNoScroll(false);
    info.dwFlags = 0;
    direct->GetHostInfo(&info);
    EXPECT_EQ(info.dwFlags, 0x00200006u);
    EXPECT_EQ(direct->GetHostInfo(nullptr), E_POINTER);
    EXPECT_EQ(direct->HideUI(), S_OK);
    EXPECT_EQ(direct->ShowUI(0, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(direct->TranslateAccelerator(nullptr, nullptr, 0), E_NOTIMPL);
    IDispatch* external = nullptr;
    EXPECT_EQ(direct->GetExternal(&external), S_OK);
    EXPECT_EQ(recorder.Count(WN_GET_EXTERNAL), 1u);
}

TEST_F(ViewEvents, HandlerIdentityAndSharedCount) {
    IDocHostUIHandler* direct = view.GetUIHandler();
    ComPtr<IUnknown> a, b;
    ASSERT_EQ(direct->QueryInterface(IID_IUnknown, a.PutVoid()), S_OK);
    ASSERT_EQ(view.GetUIHandlerDispatch()->QueryInterface(IID_IUnknown, b.PutVoid()), S_OK);
    EXPECT_EQ(a.Get(), b.Get());
    ComPtr<IDocHostUIHandlerDispatch> dispatchForm;
    EXPECT_EQ(direct->QueryInterface(IID_IDocHostUIHandlerDispatch, dispatchForm.PutVoid()), S_OK);
    EXPECT_EQ(dispatchForm.Get(), view.GetUIHandlerDispatch());
    ComPtr<IUnknown> none;
    EXPECT_EQ(direct->QueryInterface(IID_IOleClientSite, none.PutVoid()), E_NOINTERFACE);
    EXPECT_FALSE(none);
    ComPtr<IUnknown> sinkAsEvents;
    EXPECT_EQ(view.GetEventSink()->QueryInterface(DIID_DWebBrowserEvents2, sinkAsEvents.PutVoid()), S_OK);
    const ULONG before = RefCount(direct);
    a.Reset();
    b.Reset();
    dispatchForm.Reset();
    sinkAsEvents.Reset();
    EXPECT_EQ(RefCount(direct), before - 4);
}

// A window that closes (and frees its view) inside WN_BEFORE_NAVIGATE: the event
// still completes, cancels, and nothing touches the freed view.
TEST(ViewLifetime, ViewDestroyedInsideItsNotification) {
    HWND parent = MakeParentWindow();
    auto view = std::make_unique<CBrowserView>();
    RECT rc = {0, 0, 200, 200};
    ASSERT_TRUE(view->Create(parent, rc));
    struct Closer {
        std::unique_ptr<CBrowserView>* view;
        HWND parent;
        int calls = 0;
        void OnWebNotify(unsigned int, WebNotifyWParam, WebNotifyLParam) {
            ++calls;
            DestroyWindow(parent);
            view->reset();
        }
    } closer{&view, parent};
    Subscribe(view->m_event, &closer, &Closer::OnWebNotify);
    CBrowserView* raw = view.get();
    EXPECT_EQ(RaiseBeforeNavigate(*raw, L"http://host/wd_returnlogin=1"), VARIANT_TRUE);
    EXPECT_EQ(closer.calls, 1);
    EXPECT_FALSE(view);
    EXPECT_FALSE(IsWindow(parent));
}

} // namespace
