#include "browser/host/AxHostWindow.h"

#include <exdisp.h>
#include <olectl.h>

#include <new>
#include <string>

namespace {

LONG g_liveHosts = 0;

RECT ClientRect(HWND hwnd) {
    RECT rc = {};
    GetClientRect(hwnd, &rc);
    return rc;
}

HRESULT BoolResult(VARIANT* result, bool value) {
    V_VT(result) = VT_BOOL;
    V_BOOL(result) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

} // namespace

bool CAxHostWindow::RegisterHostClass() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, kClassName, &wc))
        return true;
    wc.lpfnWndProc = WndProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

long CAxHostWindow::LiveObjects() {
    return g_liveHosts;
}

CAxHostWindow::CAxHostWindow(HWND hwnd) : m_hwnd(hwnd), m_docHost(*this) {
    InterlockedIncrement(&g_liveHosts);
}

CAxHostWindow::~CAxHostWindow() {
    InterlockedDecrement(&g_liveHosts);
}

// --- Window ------------------------------------------------------------------

LRESULT CALLBACK CAxHostWindow::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE)
        return OnCreate(hwnd);
    auto* host = reinterpret_cast<CAxHostWindow*>(GetWindowLongPtrW(hwnd, 0));
    if (!host)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, 0, 0);
        host->ReleaseControl(); // in case WM_DESTROY never reached us
        host->m_hwnd = nullptr;
        host->Release();
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return host->HandleMessage(msg, wParam, lParam);
}

LRESULT CAxHostWindow::OnCreate(HWND hwnd) {
    auto* host = new (std::nothrow) CAxHostWindow(hwnd);
    if (!host)
        return -1;
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(host));
    // The window text names what to host: a URL for a new WebBrowser control.
    int length = GetWindowTextLengthW(hwnd);
    if (length <= 0)
        return 0;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, &text[0], length + 1)));
    if (text.empty())
        return 0;
    // A window asked for a control it cannot have fails to be created (WM_NCDESTROY
    // still follows and frees the host).
    return SUCCEEDED(host->CreateControl(text.c_str(), hwnd, nullptr)) ? 0 : -1;
}

LRESULT CAxHostWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == AxGetControlMessage())
        return reinterpret_cast<LRESULT>(m_control.Get());
    if (msg == AxGetHostMessage())
        return reinterpret_cast<LRESULT>(static_cast<IUnknown*>(static_cast<IAxWinHostWindow*>(this)));
    switch (msg) {
    case WM_FORWARDMSG:
        return ForwardMessage(reinterpret_cast<MSG*>(lParam));
    case WM_SIZE:
        ResizeControl();
        break;
    case WM_ERASEBKGND:
        if (m_control)
            return 1; // the control paints all of the client area
        break;
    case WM_DESTROY:
        // Before the control's own windows (our children) go.
        ReleaseControl();
        m_externalUIHandler.Reset();
        m_externalDispatch.Reset();
        break;
    }
    return DefWindowProcW(m_hwnd, msg, wParam, lParam);
}

LRESULT CAxHostWindow::ForwardMessage(MSG* msg) {
    if (!msg)
        return 0;
    ComPtr<IOleInPlaceActiveObject> active = m_activeObject;
    if (!active && m_control)
        active = m_control.As<IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject);
    if (!active)
        return 0;
    return active->TranslateAccelerator(msg) == S_OK ? 1 : 0;
}

void CAxHostWindow::ResizeControl() {
    if (!m_inPlaceObject || !m_hwnd)
        return;
    RECT rc = ClientRect(m_hwnd);
    m_inPlaceObject->SetObjectRects(&rc, &rc);
}

void CAxHostWindow::ReleaseControl() {
    // Take everything out of the members first: the calls below call back into
    // this site (OnInPlaceDeactivate, SetActiveObject(null), ...).
    ComPtr<IConnectionPoint> point = std::move(m_advisePoint);
    DWORD cookie = std::exchange(m_adviseCookie, 0);
    ComPtr<IOleInPlaceActiveObject> active = std::move(m_activeObject);
    ComPtr<IOleInPlaceObject> inPlace = std::move(m_inPlaceObject);
    ComPtr<IOleObject> ole = std::move(m_oleObject);
    ComPtr<IUnknown> control = std::move(m_control);
    if (point && cookie)
        point->Unadvise(cookie);
    if (inPlace)
        inPlace->InPlaceDeactivate();
    if (ole) {
        ole->Close(OLECLOSE_NOSAVE);
        ole->SetClientSite(nullptr); // the control drops its reference to this site
    }
    active.Reset();
    inPlace.Reset();
    control.Reset();
    ole.Reset();
    m_activeObject.Reset(); // anything set again during Close
    m_inPlaceObject.Reset();
}

// --- IUnknown ------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CAxHostWindow::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IAxWinHostWindow))
        *ppv = static_cast<IAxWinHostWindow*>(this);
    else if (IsEqualIID(riid, IID_IOleClientSite))
        *ppv = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite))
        *ppv = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame))
        *ppv = static_cast<IOleInPlaceFrame*>(this);
    else if (IsEqualIID(riid, IID_IDispatch))
        *ppv = static_cast<IDispatch*>(this);
    else if (IsEqualIID(riid, IID_IDocHostUIHandler))
        *ppv = static_cast<IDocHostUIHandler*>(&m_docHost);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CAxHostWindow::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

ULONG STDMETHODCALLTYPE CAxHostWindow::Release() {
    LONG count = InterlockedDecrement(&m_cRef);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

// --- IOleClientSite ------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CAxHostWindow::SaveObject() {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::GetMoniker(DWORD, DWORD, IMoniker** ppmk) {
    if (ppmk)
        *ppmk = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::GetContainer(IOleContainer** ppContainer) {
    if (ppContainer)
        *ppContainer = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::ShowObject() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::OnShowWindow(BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::RequestNewObjectLayout() {
    return E_NOTIMPL;
}

// --- IOleWindow, IOleInPlaceSite -------------------------------------------------

HRESULT STDMETHODCALLTYPE CAxHostWindow::GetWindow(HWND* phwnd) {
    if (!phwnd)
        return E_POINTER;
    *phwnd = m_hwnd;
    return m_hwnd ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::CanInPlaceActivate() {
    return m_hwnd ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::OnInPlaceActivate() {
    if (!m_inPlaceObject && m_control)
        m_inPlaceObject = m_control.As<IOleInPlaceObject>(IID_IOleInPlaceObject);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::OnUIActivate() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::GetWindowContext(IOleInPlaceFrame** ppFrame,
                                                          IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                                          LPRECT lprcClipRect,
                                                          LPOLEINPLACEFRAMEINFO lpFrameInfo) {
    if (ppFrame)
        *ppFrame = nullptr;
    if (ppDoc)
        *ppDoc = nullptr;
    if (!ppFrame || !ppDoc || !lprcPosRect || !lprcClipRect)
        return E_POINTER;
    // This window is both the frame and the document window; each out-pointer
    // carries its own reference.
    *ppFrame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *ppDoc = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *lprcPosRect = ClientRect(m_hwnd);
    *lprcClipRect = *lprcPosRect;
    if (lpFrameInfo) {
        HWND parent = m_hwnd ? GetParent(m_hwnd) : nullptr;
        lpFrameInfo->fMDIApp = FALSE;
        lpFrameInfo->hwndFrame = parent ? parent : m_hwnd;
        lpFrameInfo->haccel = nullptr;
        lpFrameInfo->cAccelEntries = 0;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::Scroll(SIZE) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::OnUIDeactivate(BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::OnInPlaceDeactivate() {
    m_inPlaceObject.Reset();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::DiscardUndoState() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::DeactivateAndUndo() {
    ComPtr<IOleInPlaceObject> inPlace = m_inPlaceObject;
    if (inPlace)
        inPlace->UIDeactivate();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::OnPosRectChange(LPCRECT lprcPosRect) {
    ComPtr<IOleInPlaceObject> inPlace = m_inPlaceObject;
    if (!lprcPosRect)
        return E_POINTER;
    if (inPlace)
        inPlace->SetObjectRects(lprcPosRect, lprcPosRect);
    return S_OK;
}

// --- IOleInPlaceUIWindow, IOleInPlaceFrame: no tool space, menus or status bar ---

HRESULT STDMETHODCALLTYPE CAxHostWindow::GetBorder(LPRECT) {
    return INPLACE_E_NOTOOLSPACE;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::RequestBorderSpace(LPCBORDERWIDTHS) {
    return INPLACE_E_NOTOOLSPACE;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::SetBorderSpace(LPCBORDERWIDTHS) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR) {
    m_activeObject = ComPtr<IOleInPlaceActiveObject>::Share(pActiveObject);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::SetMenu(HMENU, HOLEMENU, HWND) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::RemoveMenus(HMENU) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::SetStatusText(LPCOLESTR) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::EnableModeless(BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::TranslateAccelerator(LPMSG, WORD) {
    return S_FALSE;
}

// --- IDispatch: ambient properties --------------------------------------------------

HRESULT STDMETHODCALLTYPE CAxHostWindow::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
    if (ppTInfo)
        *ppTInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::GetIDsOfNames(REFIID, LPOLESTR*, UINT cNames, LCID,
                                                       DISPID* rgDispId) {
    for (UINT i = 0; rgDispId && i < cNames; ++i)
        rgDispId[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

// The control reads these while it is being sited. Properties not answered
// here take the control's defaults (offline mode, download control, user agent).
HRESULT STDMETHODCALLTYPE CAxHostWindow::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS*,
                                                VARIANT* pVarResult, EXCEPINFO*, UINT*) {
    if (!(wFlags & DISPATCH_PROPERTYGET))
        return DISP_E_MEMBERNOTFOUND;
    if (!pVarResult)
        return E_POINTER;
    VariantInit(pVarResult);
    switch (dispIdMember) {
    case DISPID_AMBIENT_USERMODE:
        return BoolResult(pVarResult, true);
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_DISPLAYASDEFAULT:
        return BoolResult(pVarResult, false);
    case DISPID_AMBIENT_LOCALEID:
        V_VT(pVarResult) = VT_I4;
        V_I4(pVarResult) = static_cast<LONG>(GetUserDefaultLCID());
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

// --- IAxWinHostWindow --------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CAxHostWindow::CreateControl(LPCOLESTR lpTricsData, HWND hWnd, IStream* pStream) {
    return CreateControlEx(lpTricsData, hWnd, pStream, nullptr, IID_NULL, nullptr);
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::CreateControlEx(LPCOLESTR lpTricsData, HWND hWnd, IStream*,
                                                         IUnknown** ppUnk, REFIID riidAdvise,
                                                         IUnknown* punkAdvise) {
    if (ppUnk)
        *ppUnk = nullptr;
    if (!lpTricsData || !*lpTricsData)
        return E_INVALIDARG;
    ComPtr<IUnknown> control;
    HRESULT hr =
        CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, control.PutVoid());
    if (FAILED(hr))
        return hr;
    hr = AttachControl(control.Get(), hWnd);
    if (FAILED(hr))
        return hr;
    // Advise before the first navigation so that its events reach the caller.
    if (punkAdvise && !IsEqualIID(riidAdvise, IID_NULL)) {
        auto container = control.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
        ComPtr<IConnectionPoint> point;
        if (container && SUCCEEDED(container->FindConnectionPoint(riidAdvise, point.Put())) &&
            SUCCEEDED(point->Advise(punkAdvise, &m_adviseCookie)))
            m_advisePoint = std::move(point);
    }
    if (auto browser = control.As<IWebBrowser2>(IID_IWebBrowser2)) {
        VARIANT url;
        V_VT(&url) = VT_BSTR;
        V_BSTR(&url) = SysAllocString(lpTricsData);
        if (!V_BSTR(&url))
            return E_OUTOFMEMORY;
        hr = browser->Navigate2(&url, nullptr, nullptr, nullptr, nullptr);
        VariantClear(&url);
        if (FAILED(hr))
            return hr;
    }
    if (ppUnk)
        *ppUnk = ComPtr<IUnknown>(control).Detach();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::AttachControl(IUnknown* pUnkControl, HWND hWnd) {
    if (!pUnkControl || !m_hwnd || (hWnd && hWnd != m_hwnd))
        return E_INVALIDARG;
    ComPtr<IUnknown> control = ComPtr<IUnknown>::Share(pUnkControl);
    ReleaseControl();
    m_control = control;
    auto ole = control.As<IOleObject>(IID_IOleObject);
    if (!ole)
        return S_OK; // a plain object: held and queried, nothing to activate
    DWORD misc = 0;
    ole->GetMiscStatus(DVASPECT_CONTENT, &misc);
    const bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (siteFirst)
        ole->SetClientSite(this);
    if (auto init = control.As<IPersistStreamInit>(IID_IPersistStreamInit))
        init->InitNew();
    if (!siteFirst)
        ole->SetClientSite(this);
    ole->SetHostNames(L"GantryHost", nullptr);
    m_oleObject = ole;
    RECT rc = ClientRect(m_hwnd);
    HRESULT hr = ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, m_hwnd, &rc);
    if (FAILED(hr)) {
        ReleaseControl();
        return hr;
    }
    if (!m_inPlaceObject)
        m_inPlaceObject = control.As<IOleInPlaceObject>(IID_IOleInPlaceObject);
    ResizeControl();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::QueryControl(REFIID riid, void** ppvObject) {
    if (!ppvObject)
        return E_POINTER;
    *ppvObject = nullptr;
    if (!m_control)
        return E_NOINTERFACE;
    return m_control->QueryInterface(riid, ppvObject);
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::SetExternalDispatch(IDispatch* pDisp) {
    m_externalDispatch = ComPtr<IDispatch>::Share(pDisp);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::SetExternalUIHandler(IDocHostUIHandlerDispatch* pDisp) {
    m_externalUIHandler = ComPtr<IDocHostUIHandlerDispatch>::Share(pDisp);
    return S_OK;
}
