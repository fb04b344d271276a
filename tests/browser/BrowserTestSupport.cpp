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
    events.push_back({kind, wParam, lParam, m_view.GetUrl()});
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

HRESULT Raise(CBrowserView& view, DISPID id, EventArgs& args) {
    return view.GetEventSink()->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, args.Params(),
                                       nullptr, nullptr, nullptr);
}

} // namespace

VARIANT_BOOL RaiseBeforeNavigate(CBrowserView& view, const std::wstring& url, IDispatch* frame) {
    Strings s;
    VARIANT vUrl = Bstr(s.Make(url)), flags = I4(0), target = Bstr(nullptr), post,
            headers = Bstr(s.Make(L""));
    VariantInit(&post);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EventArgs args({Dispatch(frame), ByRefVariant(&vUrl), ByRefVariant(&flags), ByRefVariant(&target),
                    ByRefVariant(&post), ByRefVariant(&headers), ByRefBool(&cancel)});
    Raise(view, DISPID_BEFORENAVIGATE2, args);
    return cancel;
}

void RaiseNavigateComplete(CBrowserView& view, const std::wstring& url, IDispatch* frame) {
    Strings s;
    VARIANT vUrl = Bstr(s.Make(url));
    EventArgs args({Dispatch(frame), ByRefVariant(&vUrl)});
    Raise(view, DISPID_NAVIGATECOMPLETE2, args);
}

void RaiseDocumentComplete(CBrowserView& view, const std::wstring& url, IDispatch* frame) {
    Strings s;
    VARIANT vUrl = Bstr(s.Make(url));
    EventArgs args({Dispatch(frame), ByRefVariant(&vUrl)});
    Raise(view, DISPID_DOCUMENTCOMPLETE, args);
}

VARIANT_BOOL RaiseNavigateError(CBrowserView& view, const std::wstring& url, LONG status) {
    Strings s;
    VARIANT vUrl = Bstr(s.Make(url)), frame = Bstr(nullptr), code = I4(status);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EventArgs args({Dispatch(nullptr), ByRefVariant(&vUrl), ByRefVariant(&frame), ByRefVariant(&code),
                    ByRefBool(&cancel)});
    Raise(view, DISPID_NAVIGATEERROR, args);
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

} // namespace browsertest
