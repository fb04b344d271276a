#include <winsock2.h> // before <windows.h>

#include "tests/browser/BrowserTestSupport.h"

#include <exdispid.h>

#include <algorithm>

namespace browsertest {

namespace {

// The tests run on the main thread in a single-threaded OLE apartment, as the launcher does.
struct OleApartment {
    OleApartment() { OleInitialize(nullptr); }
    ~OleApartment() { OleUninitialize(); }
} g_ole;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

HWND MakeParentWindow(int width, int height) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"GantryBrowserTestParent";
        registered = RegisterClassW(&wc) != 0;
    }
    return CreateWindowExW(0, L"GantryBrowserTestParent", L"test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0,
                           0, width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void Pump(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(20, timeoutMs - elapsed), QS_ALLINPUT);
    }
}

int UnusedPort() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int port = 0;
    if (s != INVALID_SOCKET && bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        int len = sizeof addr;
        if (getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
            port = ntohs(addr.sin_port);
    }
    if (s != INVALID_SOCKET)
        closesocket(s);
    WSACleanup();
    return port;
}

Recorder::Recorder(CBrowserView& view) : m_view(view) {
    Subscribe(view.m_event, this, &Recorder::OnWebNotify);
}

void Recorder::OnWebNotify(unsigned int kind, WebNotifyWParam wParam, WebNotifyLParam lParam) {
    events.push_back({kind, wParam, lParam, m_view.GetUrl(), CurrentEventUrl()});
    if (onNotify)
        onNotify(events.back());
}

size_t Recorder::Count(unsigned int kind) const {
    return static_cast<size_t>(std::count_if(events.begin(), events.end(),
                                             [kind](const Notification& n) { return n.kind == kind; }));
}

std::vector<unsigned int> Recorder::Kinds() const {
    std::vector<unsigned int> kinds;
    for (const auto& n : events)
        kinds.push_back(n.kind);
    return kinds;
}

EventArgs::EventArgs(std::vector<VARIANT> declared) : m_reversed(declared.rbegin(), declared.rend()) {
    m_params.cArgs = static_cast<UINT>(m_reversed.size());
    m_params.rgvarg = m_reversed.empty() ? nullptr : m_reversed.data();
}

VARIANT ByRefVariant(VARIANT* inner) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&v) = inner;
    return v;
}

VARIANT ByRefBool(VARIANT_BOOL* value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&v) = value;
    return v;
}

VARIANT Bstr(BSTR value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = value;
    return v;
}

VARIANT Dispatch(IDispatch* value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = value;
    return v;
}

VARIANT I4(LONG value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

Strings::~Strings() {
    for (BSTR b : m_strings)
        SysFreeString(b);
}

BSTR Strings::Make(const std::wstring& text) {
    BSTR b = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    m_strings.push_back(b);
    return b;
}

namespace {

std::wstring g_eventUrl;

// Sets the current event's URL for the duration of a delivery (nested ones too).
class EventUrlScope {
public:
    explicit EventUrlScope(std::wstring url) : m_previous(std::move(g_eventUrl)) {
        g_eventUrl = std::move(url);
    }
    ~EventUrlScope() { g_eventUrl = std::move(m_previous); }

private:
    std::wstring m_previous;
};

HRESULT Raise(CBrowserView& view, DISPID id, EventArgs& args, const std::wstring& url = std::wstring()) {
    EventUrlScope scope(url);
    return view.GetEventSink()->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, args.Params(),
                                       nullptr, nullptr, nullptr);
}

// A BSTR argument, by value or by reference to a VARIANT; empty when it is neither.
std::wstring BstrArg(const VARIANT& arg) {
    const VARIANT* v = &arg;
    if (V_VT(v) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(v))
        v = V_VARIANTREF(v);
    if (V_VT(v) == VT_BSTR && V_BSTR(v))
        return std::wstring(V_BSTR(v), SysStringLen(V_BSTR(v)));
    return std::wstring();
}

} // namespace

const std::wstring& CurrentEventUrl() {
    return g_eventUrl;
}

ControlEventTap::ControlEventTap(CBrowserView& view) : m_view(view) {
    IConnectionPoint* point = BrowserViewTestAccess::SinkPoint(view);
    DWORD& viewCookie = BrowserViewTestAccess::SinkCookie(view);
    if (!point || !viewCookie || FAILED(point->Advise(this, &m_cookie)))
        return;
    point->Unadvise(viewCookie);
    viewCookie = m_cookie; // a view destroyed first unadvises the tap
}

ControlEventTap::~ControlEventTap() {
    IConnectionPoint* point = BrowserViewTestAccess::SinkPoint(m_view);
    DWORD& viewCookie = BrowserViewTestAccess::SinkCookie(m_view);
    if (!point || !m_cookie || viewCookie != m_cookie)
        return;
    point->Unadvise(m_cookie);
    viewCookie = 0;
    point->Advise(m_view.GetEventSink(), &viewCookie);
}

HRESULT STDMETHODCALLTYPE ControlEventTap::QueryInterface(REFIID riid, void** ppv) {
    const bool known = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
                       IsEqualIID(riid, DIID_DWebBrowserEvents2);
    *ppv = known ? static_cast<IDispatch*>(this) : nullptr;
    return known ? S_OK : E_NOINTERFACE;
}

// Arguments arrive reversed: declared argument i is rgvarg[cArgs - 1 - i]. The URL
// is the second of BeforeNavigate2 (7 arguments, Cancel last) and NavigateError (5).
HRESULT STDMETHODCALLTYPE ControlEventTap::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                                  DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                                                  UINT* argErr) {
    const bool before = id == DISPID_BEFORENAVIGATE2 && params && params->cArgs == 7;
    const bool error = id == DISPID_NAVIGATEERROR && params && params->cArgs == 5;
    const std::wstring url = before || error ? BstrArg(params->rgvarg[params->cArgs - 2]) : std::wstring();
    HRESULT hr;
    {
        EventUrlScope scope(url);
        hr = m_view.GetEventSink()->Invoke(id, riid, lcid, flags, params, result, info, argErr);
    }
    if (before && V_VT(&params->rgvarg[0]) == (VT_BYREF | VT_BOOL))
        navigations.emplace_back(url, *V_BOOLREF(&params->rgvarg[0]) != VARIANT_FALSE);
    if (error)
        errors.push_back(url);
    return hr;
}

VARIANT_BOOL RaiseBeforeNavigate(CBrowserView& view, const std::wstring& url, IDispatch* frame) {
    const ComPtr<IWebBrowser2> control = view.GetBrowser();
    if (!frame)
        frame = control.Get(); // the top-level page's navigation names the control itself
    Strings s;
    VARIANT vUrl = Bstr(s.Make(url)), flags = I4(0), target = Bstr(nullptr), post,
            headers = Bstr(s.Make(L""));
    VariantInit(&post);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EventArgs args({Dispatch(frame), ByRefVariant(&vUrl), ByRefVariant(&flags), ByRefVariant(&target),
                    ByRefVariant(&post), ByRefVariant(&headers), ByRefBool(&cancel)});
    Raise(view, DISPID_BEFORENAVIGATE2, args, url);
    return cancel;
}

void RaiseNavigateComplete(CBrowserView& view, const std::wstring& url, IDispatch* frame) {
    Strings s;
    VARIANT vUrl = Bstr(s.Make(url));
    EventArgs args({Dispatch(frame), ByRefVariant(&vUrl)});
    Raise(view, DISPID_NAVIGATECOMPLETE2, args, url);
}

void RaiseDocumentComplete(CBrowserView& view, const std::wstring& url, IDispatch* frame) {
    Strings s;
    VARIANT vUrl = Bstr(s.Make(url));
    EventArgs args({Dispatch(frame), ByRefVariant(&vUrl)});
    Raise(view, DISPID_DOCUMENTCOMPLETE, args, url);
}

VARIANT_BOOL RaiseNavigateError(CBrowserView& view, const std::wstring& url, LONG status) {
    Strings s;
    VARIANT vUrl = Bstr(s.Make(url)), frame = Bstr(nullptr), code = I4(status);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EventArgs args({Dispatch(nullptr), ByRefVariant(&vUrl), ByRefVariant(&frame), ByRefVariant(&code),
                    ByRefBool(&cancel)});
    Raise(view, DISPID_NAVIGATEERROR, args, url);
    return cancel;
}

VARIANT_BOOL RaiseNewWindow3(CBrowserView& view, const std::wstring& url) {
    Strings s;
    IDispatch* newBrowser = nullptr;
    VARIANT ppDisp;
    VariantInit(&ppDisp);
    V_VT(&ppDisp) = VT_BYREF | VT_DISPATCH;
    V_DISPATCHREF(&ppDisp) = &newBrowser;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT flags;
    VariantInit(&flags);
    V_VT(&flags) = VT_UI4;
    V_UI4(&flags) = 0x6; // NWMF_USERINITED | NWMF_FIRST
    EventArgs args(
        {ppDisp, ByRefBool(&cancel), flags, Bstr(s.Make(L"http://127.0.0.1/opener")), Bstr(s.Make(url))});
    Raise(view, DISPID_NEWWINDOW3, args);
    return cancel;
}

VARIANT_BOOL RaiseNewWindow2(CBrowserView& view) {
    IDispatch* newBrowser = nullptr;
    VARIANT ppDisp;
    VariantInit(&ppDisp);
    V_VT(&ppDisp) = VT_BYREF | VT_DISPATCH;
    V_DISPATCHREF(&ppDisp) = &newBrowser;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EventArgs args({ppDisp, ByRefBool(&cancel)});
    Raise(view, DISPID_NEWWINDOW2, args);
    return cancel;
}

void RaiseTitleChange(CBrowserView& view, const std::wstring& title) {
    Strings s;
    EventArgs args({Bstr(s.Make(title))});
    Raise(view, DISPID_TITLECHANGE, args);
}

namespace {
ForwardedMessages* g_forwarded = nullptr;
}

ForwardedMessages::ForwardedMessages(HWND viewWindow) : window_(viewWindow) {
    g_forwarded = this;
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForwardedMessages::Proc)));
}

ForwardedMessages::~ForwardedMessages() {
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    g_forwarded = nullptr;
}

LRESULT CALLBACK ForwardedMessages::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ForwardedMessages* self = g_forwarded;
    if (msg == WM_FORWARDMSG && lParam && self)
        self->messages.push_back(reinterpret_cast<MSG*>(lParam)->message);
    return CallWindowProcW(self ? self->previous_ : DefWindowProcW, hwnd, msg, wParam, lParam);
}

} // namespace browsertest
