// The ActiveX host window: creating, sizing and tearing down the real control,
// the host-window messages, forwarding to the control's in-place active object,
// ambient properties, and its document host handler's forwarding to an
// IDocHostUIHandlerDispatch (checked with recording fakes).
#include "tests/browser/BrowserTestSupport.h"

#include "browser/host/AxHostWindow.h"

#include <exdisp.h>
#include <gtest/gtest.h>
#include <idispids.h>
#include <olectl.h>

#include <string>

using namespace browsertest;

namespace {

ULONG RefCount(IUnknown* p) {
    p->AddRef();
    return p->Release();
}

HWND MakeHost(HWND parent, const wchar_t* text, int width = 320, int height = 240) {
    EXPECT_TRUE(CAxHostWindow::RegisterHostClass());
    return CreateWindowExW(0, CAxHostWindow::kClassName, text, WS_CHILD | WS_VISIBLE, 0, 0, width, height,
                           parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

IUnknown* ControlOf(HWND host) {
    return reinterpret_cast<IUnknown*>(SendMessageW(host, AxGetControlMessage(), 0, 0));
}

ComPtr<IAxWinHostWindow> HostOf(HWND host) {
    auto* unk = reinterpret_cast<IUnknown*>(SendMessageW(host, AxGetHostMessage(), 0, 0));
    ComPtr<IAxWinHostWindow> result;
    if (unk)
        unk->QueryInterface(IID_IAxWinHostWindow, result.PutVoid());
    return result;
}

// A control that is only an in-place active object: consumes the 'K' key.
class FakeActiveObject : public IOleInPlaceActiveObject {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow) ||
            IsEqualIID(riid, IID_IOleInPlaceActiveObject))
            *ppv = static_cast<IOleInPlaceActiveObject*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++ref; }
    ULONG STDMETHODCALLTYPE Release() override { return --ref; }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override {
        seen.push_back(msg);
        return msg->wParam == 'K' ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

    ULONG ref = 1;
    std::vector<MSG*> seen;
};

// An owner's handler that records what reaches it and answers as configured.
class FakeUIHandlerDispatch : public IDocHostUIHandlerDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) &&
            !IsEqualIID(riid, IID_IDocHostUIHandlerDispatch))
            return E_NOINTERFACE;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++ref; }
    ULONG STDMETHODCALLTYPE Release() override { return --ref; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD id, DWORD x, DWORD y, IUnknown*, IDispatch*,
                                              HRESULT* ret) override {
        menu = {id, x, y};
        *ret = menuResult;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetHostInfo(DWORD* flags, DWORD* dbl) override {
        flagsSeen = *flags;
        *flags |= 0x00040000;
        *dbl = 2;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IUnknown*, IUnknown*, IUnknown*, IUnknown*,
                                     HRESULT* ret) override {
        *ret = S_OK;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE HideUI() override { return ++hideUI, S_OK; }
    HRESULT STDMETHODCALLTYPE UpdateUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(VARIANT_BOOL f) override { return modeless = f, S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(VARIANT_BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(VARIANT_BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(long l, long t, long r, long b, IUnknown*, VARIANT_BOOL) override {
        border = {l, t, r, b};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(DWORD_PTR hWnd, DWORD message, DWORD_PTR wParam,
                                                   DWORD_PTR lParam, BSTR group, DWORD cmd,
                                                   HRESULT* ret) override {
        accel = {hWnd, message, wParam, lParam, group ? group : L"", cmd};
        *ret = S_OK;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(BSTR* key, DWORD) override {
        *key = SysAllocString(L"Software\\Gantry\\Browser");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDropTarget(IUnknown*, IUnknown**) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** pp) override {
        ++getExternal;
        if (external) {
            external->AddRef();
            *pp = external;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, BSTR in, BSTR* out) override {
        *out = SysAllocString((std::wstring(in) + L"?translated").c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE FilterDataObject(IUnknown*, IUnknown** out) override {
        *out = nullptr;
        return S_FALSE;
    }

    struct Menu {
        DWORD id, x, y;
    } menu = {};
    struct Accel {
        DWORD_PTR hwnd;
        DWORD message;
        DWORD_PTR wParam, lParam;
        std::wstring group;
        DWORD cmd;
    } accel = {};
    RECT border = {};
    ULONG ref = 1;
    HRESULT menuResult = S_OK;
    DWORD flagsSeen = 0;
    int hideUI = 0, getExternal = 0;
    VARIANT_BOOL modeless = 0;
    IDispatch* external = nullptr;
};

class HostTest : public ::testing::Test {
protected:
    void SetUp() override { parent = MakeParentWindow(); }
    void TearDown() override { DestroyWindow(parent); }
    HWND parent = nullptr;
};

TEST_F(HostTest, WindowTextCreatesTheBrowserSizedToTheWindow) {
    HWND host = MakeHost(parent, L"about:blank", 320, 240);
    ASSERT_TRUE(host);
    IUnknown* control = ControlOf(host);
    ASSERT_TRUE(control);
    ComPtr<IWebBrowser2> browser;
    ASSERT_EQ(control->QueryInterface(IID_IWebBrowser2, browser.PutVoid()), S_OK);
    HWND inner = GetWindow(host, GW_CHILD);
    ASSERT_TRUE(inner);
    RECT rc;
    GetWindowRect(inner, &rc);
    EXPECT_EQ(rc.right - rc.left, 320);
    EXPECT_EQ(rc.bottom - rc.top, 240);
    MoveWindow(host, 10, 10, 500, 123, TRUE);
    GetWindowRect(inner, &rc);
    EXPECT_EQ(rc.right - rc.left, 500);
    EXPECT_EQ(rc.bottom - rc.top, 123);
    ComPtr<IUnknown> queried;
    EXPECT_EQ(HostOf(host)->QueryControl(IID_IWebBrowser2, queried.PutVoid()), S_OK);
    EXPECT_EQ(static_cast<void*>(queried.Get()), static_cast<void*>(browser.Get()));
    DestroyWindow(host);
}

TEST_F(HostTest, TeardownReleasesTheControlAndTheHost) {
    const long hostsBefore = CAxHostWindow::LiveObjects();
    HWND host = MakeHost(parent, L"about:blank");
    ASSERT_TRUE(host);
    EXPECT_EQ(CAxHostWindow::LiveObjects(), hostsBefore + 1);
    IUnknown* control = ControlOf(host);
    ASSERT_TRUE(control);
    control->AddRef();
    DestroyWindow(host);
    EXPECT_EQ(ControlOf(host), nullptr);
    EXPECT_EQ(control->Release(), 0u); // the host kept no reference and broke the site cycle
    EXPECT_EQ(CAxHostWindow::LiveObjects(), hostsBefore);
}

TEST_F(HostTest, EmptyTextHostsNothingAndAnswersAsOneObject) {
    HWND host = MakeHost(parent, L"");
    ASSERT_TRUE(host);
    EXPECT_EQ(ControlOf(host), nullptr);
    MSG msg = {host, WM_KEYDOWN, 'K', 0, 0, {0, 0}};
    EXPECT_EQ(SendMessageW(host, WM_FORWARDMSG, 0, reinterpret_cast<LPARAM>(&msg)), 0);
    EXPECT_EQ(SendMessageW(host, WM_FORWARDMSG, 0, 0), 0);
    auto ax = HostOf(host);
    ASSERT_TRUE(ax);
    ComPtr<IUnknown> identity = ax.As<IUnknown>(IID_IUnknown);
    for (REFIID iid : {IID_IOleClientSite, IID_IOleWindow, IID_IOleInPlaceSite, IID_IOleInPlaceUIWindow,
                       IID_IOleInPlaceFrame, IID_IDispatch, IID_IDocHostUIHandler, IID_IAxWinHostWindow}) {
        ComPtr<IUnknown> part;
        ASSERT_EQ(ax->QueryInterface(iid, part.PutVoid()), S_OK);
        EXPECT_EQ(part.As<IUnknown>(IID_IUnknown).Get(), identity.Get());
    }
    ComPtr<IUnknown> none;
    EXPECT_EQ(ax->QueryInterface(IID_IOleCommandTarget, none.PutVoid()), E_NOINTERFACE);
    ComPtr<IUnknown> queried;
    EXPECT_EQ(ax->QueryControl(IID_IUnknown, queried.PutVoid()), E_NOINTERFACE);
    DestroyWindow(host);
}

TEST_F(HostTest, ForwardedMessageReachesTheActiveObjectAndReportsConsumption) {
    HWND host = MakeHost(parent, L"");
    FakeActiveObject fake;
    ASSERT_EQ(HostOf(host)->AttachControl(&fake, host), S_OK);
    EXPECT_EQ(ControlOf(host), static_cast<IUnknown*>(&fake));
    MSG consumed = {host, WM_KEYDOWN, 'K', 0, 0, {0, 0}};
    MSG passed = {host, WM_KEYDOWN, 'J', 0, 0, {0, 0}};
    EXPECT_NE(SendMessageW(host, WM_FORWARDMSG, 0, reinterpret_cast<LPARAM>(&consumed)), 0);
    EXPECT_EQ(SendMessageW(host, WM_FORWARDMSG, 0, reinterpret_cast<LPARAM>(&passed)), 0);
    EXPECT_EQ(fake.seen, (std::vector<MSG*>{&consumed, &passed}));
    EXPECT_EQ(HostOf(host)->AttachControl(&fake, parent), E_INVALIDARG); // only its own window
    DestroyWindow(host);
    EXPECT_EQ(fake.ref, 1u);
}

TEST_F(HostTest, RealControlIsOfferedForwardedKeysButConsumesNone) {
    HWND host = MakeHost(parent, L"about:blank");
    MSG msg = {host, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_EQ(SendMessageW(host, WM_FORWARDMSG, 0, reinterpret_cast<LPARAM>(&msg)), 0);
    DestroyWindow(host);
}

TEST_F(HostTest, AmbientProperties) {
    HWND host = MakeHost(parent, L"");
    auto ambient = HostOf(host).As<IDispatch>(IID_IDispatch);
    ASSERT_TRUE(ambient);
    auto get = [&](DISPID id, VARIANT& out, WORD flags = DISPATCH_PROPERTYGET) {
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        VariantInit(&out);
        return ambient->Invoke(id, IID_NULL, 0, flags, &none, &out, nullptr, nullptr);
    };
    VARIANT v;
    ASSERT_EQ(get(DISPID_AMBIENT_USERMODE, v), S_OK);
    EXPECT_EQ(V_VT(&v), VT_BOOL);
    EXPECT_EQ(V_BOOL(&v), VARIANT_TRUE);
    ASSERT_EQ(get(DISPID_AMBIENT_SHOWHATCHING, v), S_OK);
    EXPECT_EQ(V_BOOL(&v), VARIANT_FALSE);
    EXPECT_EQ(get(-5512, v), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(get(-5513, v), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(get(DISPID_AMBIENT_USERMODE, v, DISPATCH_METHOD), DISP_E_MEMBERNOTFOUND);
    DestroyWindow(host);
}

TEST_F(HostTest, WindowContextGivesReferencedFrameAndClientRects) {
    HWND host = MakeHost(parent, L"", 200, 100);
    auto site = HostOf(host).As<IOleInPlaceSite>(IID_IOleInPlaceSite);
    ASSERT_TRUE(site);
    const ULONG before = RefCount(site.Get());
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* doc = nullptr;
    RECT pos, clip;
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof info;
    ASSERT_EQ(site->GetWindowContext(&frame, &doc, &pos, &clip, &info), S_OK);
    ASSERT_TRUE(frame);
    EXPECT_EQ(RefCount(site.Get()), before + (doc ? 2 : 1));
    EXPECT_EQ(pos.right - pos.left, 200);
    EXPECT_EQ(clip.bottom - clip.top, 100);
    EXPECT_EQ(info.hwndFrame, parent);
    frame->Release();
    if (doc)
        doc->Release();
    EXPECT_EQ(RefCount(site.Get()), before);
    HWND window = nullptr;
    EXPECT_EQ(site->GetWindow(&window), S_OK);
    EXPECT_EQ(window, host);
    DestroyWindow(host);
}

TEST_F(HostTest, DocHostHandlerDefaultsWithoutAnExternalHandler) {
    HWND host = MakeHost(parent, L"");
    auto handler = HostOf(host).As<IDocHostUIHandler>(IID_IDocHostUIHandler);
    ASSERT_TRUE(handler);
    EXPECT_EQ(handler->ShowContextMenu(0, nullptr, nullptr, nullptr), S_FALSE); // the browser's menu
    DOCHOSTUIINFO info = {};
    info.cbSize = sizeof info;
    EXPECT_EQ(handler->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER));
    IDispatch* external = reinterpret_cast<IDispatch*>(0x1);
    EXPECT_EQ(handler->GetExternal(&external), S_FALSE);
    EXPECT_EQ(external, nullptr);
    IDropTarget* target = reinterpret_cast<IDropTarget*>(0x1);
    EXPECT_EQ(handler->GetDropTarget(nullptr, &target), E_NOTIMPL);
    EXPECT_EQ(target, nullptr);
    LPOLESTR key = reinterpret_cast<LPOLESTR>(0x1);
    EXPECT_EQ(handler->GetOptionKeyPath(&key, 0), S_FALSE);
    EXPECT_EQ(key, nullptr);
    DestroyWindow(host);
}

TEST_F(HostTest, DocHostHandlerForwardsToTheExternalHandler) {
    HWND host = MakeHost(parent, L"");
    FakeUIHandlerDispatch fake;
    FakeUIHandlerDispatch externalObject; // any IDispatch will do as window.external
    ASSERT_EQ(HostOf(host)->SetExternalUIHandler(&fake), S_OK);
    EXPECT_EQ(fake.ref, 2u);
    auto handler = HostOf(host).As<IDocHostUIHandler>(IID_IDocHostUIHandler);

    POINT pt = {12, 34};
    EXPECT_EQ(handler->ShowContextMenu(5, &pt, nullptr, nullptr), S_OK);
    EXPECT_EQ(fake.menu.id, 5u);
    EXPECT_EQ(fake.menu.x, 12u);
    EXPECT_EQ(fake.menu.y, 34u);
    fake.menuResult = S_FALSE;
    EXPECT_EQ(handler->ShowContextMenu(5, &pt, nullptr, nullptr), S_FALSE);

    DOCHOSTUIINFO info = {};
    info.cbSize = sizeof info;
    EXPECT_EQ(handler->GetHostInfo(&info), S_OK);
    EXPECT_EQ(fake.flagsSeen, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER));
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER) | 0x00040000u);
    EXPECT_EQ(info.dwDoubleClick, 2u);

    // Pointer-wide message parameters arrive whole.
    MSG msg = {host, WM_KEYDOWN, static_cast<WPARAM>(-2), static_cast<LPARAM>(-3), 0, {0, 0}};
    const GUID group = {0xF38BC242, 0xB950, 0x11D1, {0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36}};
    EXPECT_EQ(handler->TranslateAccelerator(&msg, &group, 7), S_OK);
    EXPECT_EQ(fake.accel.hwnd, reinterpret_cast<DWORD_PTR>(host));
    EXPECT_EQ(fake.accel.message, static_cast<DWORD>(WM_KEYDOWN));
    EXPECT_EQ(fake.accel.wParam, static_cast<DWORD_PTR>(-2));
    EXPECT_EQ(fake.accel.lParam, static_cast<DWORD_PTR>(-3));
    EXPECT_EQ(fake.accel.group, L"{F38BC242-B950-11D1-8918-00C04FC2C836}");
    EXPECT_EQ(fake.accel.cmd, 7u);

    RECT border = {1, 2, 3, 4};
    EXPECT_EQ(handler->ResizeBorder(&border, nullptr, TRUE), S_OK);
    EXPECT_TRUE(EqualRect(&fake.border, &border));
    EXPECT_EQ(handler->EnableModeless(TRUE), S_OK);
    EXPECT_EQ(fake.modeless, VARIANT_TRUE);
    EXPECT_EQ(handler->HideUI(), S_OK);
    EXPECT_EQ(fake.hideUI, 1);

    LPOLESTR key = nullptr;
    EXPECT_EQ(handler->GetOptionKeyPath(&key, 0), S_OK);
    ASSERT_TRUE(key);
    EXPECT_STREQ(key, L"Software\\Gantry\\Browser");
    CoTaskMemFree(key);
    LPWSTR translated = nullptr;
    wchar_t in[] = L"http://host/a";
    EXPECT_EQ(handler->TranslateUrl(0, in, &translated), S_OK);
    ASSERT_TRUE(translated);
    EXPECT_STREQ(translated, L"http://host/a?translated");
    CoTaskMemFree(translated);
    IDataObject* filtered = reinterpret_cast<IDataObject*>(0x1);
    EXPECT_EQ(handler->FilterDataObject(nullptr, &filtered), S_FALSE);
    EXPECT_EQ(filtered, nullptr);

    // window.external: the handler's answer, else the host's external dispatch.
    IDispatch* external = nullptr;
    EXPECT_EQ(handler->GetExternal(&external), S_FALSE);
    EXPECT_EQ(fake.getExternal, 1);
    ASSERT_EQ(HostOf(host)->SetExternalDispatch(&externalObject), S_OK);
    EXPECT_EQ(handler->GetExternal(&external), S_OK);
    EXPECT_EQ(external, static_cast<IDispatch*>(&externalObject));
    external->Release();
    fake.external = &externalObject;
    EXPECT_EQ(handler->GetExternal(&external), S_OK);
    EXPECT_EQ(external, static_cast<IDispatch*>(&externalObject));
    external->Release();

    handler.Reset();
    DestroyWindow(host);
    EXPECT_EQ(fake.ref, 1u); // released with the window
    EXPECT_EQ(externalObject.ref, 1u);
}

} // namespace
