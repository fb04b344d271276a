#include "browser/host/BrowserView.h"

#include "browser/host/AxHostWindow.h"
#include "browser/host/BrowserDocument.h"

#include <cstring>

namespace {

// The host's window procedure and where this class's own extra bytes start.
WNDPROC g_hostProc = nullptr;
int g_viewSlot = 0;

CBrowserView* ViewOf(HWND hwnd) {
    return reinterpret_cast<CBrowserView*>(GetWindowLongPtrW(hwnd, g_viewSlot));
}

LRESULT CallHost(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(g_hostProc, hwnd, msg, wParam, lParam);
}

// A VARIANT that owns what it holds.
struct ScopedVariant {
    VARIANT v;
    ScopedVariant() { VariantInit(&v); }
    ~ScopedVariant() { VariantClear(&v); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
};

// The URL as given, embedded NULs included (what the control makes of them is its affair).
bool MakeBstrVariant(ScopedVariant& out, const wchar_t* text, size_t length) {
    BSTR b = SysAllocStringLen(text, static_cast<UINT>(length));
    if (!b)
        return false;
    V_VT(&out.v) = VT_BSTR;
    V_BSTR(&out.v) = b;
    return true;
}

// One byte per array element, lower bound 0.
bool MakePostData(ScopedVariant& out, const uint8_t* body, size_t size) {
    if (size > 0xFFFFFFFFu)
        return false;
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(size));
    if (!array)
        return false;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) {
        SafeArrayDestroy(array);
        return false;
    }
    memcpy(data, body, size);
    SafeArrayUnaccessData(array);
    V_VT(&out.v) = VT_ARRAY | VT_UI1;
    V_ARRAY(&out.v) = array;
    return true;
}

} // namespace

CBrowserView::CBrowserView() : m_sink(*this), m_uiDispatch(*this), m_uiHandler(*this) {}

CBrowserView::~CBrowserView() {
    if (m_hWnd && IsWindow(m_hWnd))
        DestroyWindow(m_hWnd);
}

// A superclass of the host: the host creates the control from the window text,
// this class adds the sink, the handler and the view's message steps.
bool CBrowserView::RegisterViewClass() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    if (g_hostProc && GetClassInfoExW(instance, kClassName, &wc))
        return true;
    if (!CAxHostWindow::RegisterHostClass() || !GetClassInfoExW(instance, CAxHostWindow::kClassName, &wc))
        return false;
    g_hostProc = wc.lpfnWndProc;
    g_viewSlot = wc.cbWndExtra;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.cbWndExtra += sizeof(LONG_PTR);
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

LRESULT CALLBACK CBrowserView::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CBrowserView* view = ViewOf(hwnd);
    if (!view && msg == WM_NCCREATE) {
        view = static_cast<CBrowserView*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, g_viewSlot, reinterpret_cast<LONG_PTR>(view));
        if (view)
            view->m_hWnd = hwnd;
    }
    if (!view)
        return CallHost(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_CREATE:
        return view->OnCreate(wParam, lParam);
    case WM_DESTROY:
        view->OnDestroy(); // then the host tears the control down
        break;
    case WM_SETFOCUS: {
        LRESULT result = CallHost(hwnd, msg, wParam, lParam);
        view->FocusDocument();
        return result;
    }
    case WM_NCDESTROY: {
        LRESULT result = CallHost(hwnd, msg, wParam, lParam);
        SetWindowLongPtrW(hwnd, g_viewSlot, 0);
        view->m_hWnd = nullptr;
        return result;
    }
    }
    return CallHost(hwnd, msg, wParam, lParam);
}

LRESULT CBrowserView::OnCreate(WPARAM wParam, LPARAM lParam) {
    LRESULT result = CallHost(m_hWnd, WM_CREATE, wParam, lParam); // creates the control
    if (result == -1)
        return result;
    LONG_PTR style = GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    if (!(style & WS_CLIPCHILDREN))
        SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | WS_CLIPCHILDREN);
    // One sink per view: a second advise would deliver every event twice.
    if (m_sinkCookie)
        return -1;
    if (auto browser = GetBrowser()) {
        auto container = browser.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
        ComPtr<IConnectionPoint> point;
        if (container && SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Put())) &&
            SUCCEEDED(point->Advise(&m_sink, &m_sinkCookie)))
            m_sinkPoint = std::move(point);
    }
    if (auto host = GetHost())
        host->SetExternalUIHandler(&m_uiDispatch);
    return result;
}

// The document and the host let go of the handlers here, while the control is
// still reachable: a document that kept one would call into a freed view.
void CBrowserView::OnDestroy() {
    ComPtr<IConnectionPoint> point = std::move(m_sinkPoint);
    DWORD cookie = std::exchange(m_sinkCookie, 0);
    if (point && cookie)
        point->Unadvise(cookie);
    SetDocumentUIHandler(GetBrowser().Get(), nullptr);
    if (auto host = GetHost())
        host->SetExternalUIHandler(nullptr);
}

HWND CBrowserView::Create(HWND parent, const RECT& rc) {
    if (m_hWnd || !RegisterViewClass())
        return nullptr;
    HWND hwnd = CreateWindowExW(0, kClassName, L"about:blank", WS_CHILD | WS_VISIBLE, rc.left, rc.top,
                                rc.right - rc.left, rc.bottom - rc.top, parent, nullptr,
                                GetModuleHandleW(nullptr), this);
    if (!hwnd)
        return nullptr;
    // Files dropped on the page are not opened.
    if (auto browser = GetBrowser())
        browser->put_RegisterAsDropTarget(VARIANT_FALSE);
    return hwnd;
}

ComPtr<IWebBrowser2> CBrowserView::GetBrowser() const {
    if (!m_hWnd)
        return nullptr;
    auto* control = reinterpret_cast<IUnknown*>(SendMessageW(m_hWnd, AxGetControlMessage(), 0, 0));
    ComPtr<IWebBrowser2> browser;
    if (control)
        control->QueryInterface(IID_IWebBrowser2, browser.PutVoid());
    return browser;
}

ComPtr<IAxWinHostWindow> CBrowserView::GetHost() const {
    if (!m_hWnd)
        return nullptr;
    auto* host = reinterpret_cast<IUnknown*>(SendMessageW(m_hWnd, AxGetHostMessage(), 0, 0));
    ComPtr<IAxWinHostWindow> result;
    if (host)
        host->QueryInterface(IID_IAxWinHostWindow, result.PutVoid());
    return result;
}

bool CBrowserView::Navigate(const std::wstring& url, const std::string& postBody) {
    return Navigate(url, reinterpret_cast<const uint8_t*>(postBody.data()), postBody.size());
}

bool CBrowserView::Navigate(const std::wstring& url, const std::vector<uint8_t>& postBody) {
    return Navigate(url, postBody.data(), postBody.size());
}

bool CBrowserView::Navigate(const std::wstring& url, const uint8_t* body, size_t size) {
    m_state.m_strUrl = url;
    auto browser = GetBrowser();
    if (!browser)
        return false;
    ScopedVariant vUrl, empty, postData, headers;
    if (!MakeBstrVariant(vUrl, url.data(), url.size()))
        return false;
    if (size > 0) {
        static const wchar_t kHeader[] = L"Content-Type: application/x-www-form-urlencoded\r\n";
        if (!MakePostData(postData, body, size) || !MakeBstrVariant(headers, kHeader, wcslen(kHeader)))
            return false;
    }
    // The first navigation of a control can raise all of its events inside
    // Navigate2, so the wait for the first completion starts before the call.
    const bool oldWait = m_state.m_bWaitFirstComplete;
    const void* oldTop = m_state.m_pTopDispatch;
    m_state.RecordNavigate(url);
    CDestroyGuard guard(m_watch);
    HRESULT hr;
    if (size == 0)
        hr = browser->Navigate2(&vUrl.v, &empty.v, &empty.v, &empty.v, &empty.v);
    else
        hr = browser->Navigate2(&vUrl.v, &empty.v, &empty.v, &postData.v, &headers.v);
    if (guard.Destroyed())
        return true; // a handler inside the call closed the view's owner
    if (size == 0 && hr != S_OK) {
        m_state.m_bWaitFirstComplete = oldWait;
        m_state.m_pTopDispatch = oldTop;
        return false;
    }
    browser->put_Silent(VARIANT_TRUE); // no script-error or other dialogs
    return true;
}

BOOL CBrowserView::PreTranslateMessage(MSG* msg) {
    if (!msg || !m_hWnd || !CBrowserViewState::IsBrowserInputMessage(msg->message))
        return FALSE;
    if (msg->hwnd != m_hWnd && !IsChild(m_hWnd, msg->hwnd))
        return FALSE;
    return SendMessageW(m_hWnd, WM_FORWARDMSG, 0, reinterpret_cast<LPARAM>(msg)) != 0;
}

void CBrowserView::Refresh() {
    if (auto browser = GetBrowser())
        browser->Refresh();
}

void CBrowserView::FocusDocument() {
    FocusDocumentWindow(GetBrowser().Get());
}

// --- The shared reference count --------------------------------------------------

ULONG CBrowserView::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

// The view belongs to its owner; reaching 0 only means no one else holds it.
ULONG CBrowserView::Release() {
    return static_cast<ULONG>(InterlockedDecrement(&m_cRef));
}
