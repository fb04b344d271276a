// The view's DWebBrowserEvents2 sink and what it does with each event. Every
// notification runs the owner's handler, which may close the owner and with it
// this view; after one, only locals are touched unless the view still exists.
#include "browser/host/BrowserView.h"

#include "browser/host/BrowserDocument.h"
#include "browser/host/BrowserEventArgs.h"

#include <exdispid.h>

// --- The sink ---------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CBrowserView::CEventSink::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) &&
        !IsEqualIID(riid, DIID_DWebBrowserEvents2))
        return E_NOINTERFACE;
    *ppv = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CBrowserView::CEventSink::AddRef() {
    return m_view.AddRef();
}

ULONG STDMETHODCALLTYPE CBrowserView::CEventSink::Release() {
    return m_view.Release();
}

// The control calls the sink by DISPID; there is no type information to offer.
HRESULT STDMETHODCALLTYPE CBrowserView::CEventSink::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
    if (ppTInfo)
        *ppTInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT cNames, LCID,
                                                                  DISPID* rgDispId) {
    for (UINT i = 0; rgDispId && i < cNames; ++i)
        rgDispId[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CEventSink::Invoke(DISPID dispIdMember, REFIID, LCID, WORD,
                                                           DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                                           EXCEPINFO*, UINT*) {
    if (pVarResult)
        VariantInit(pVarResult);
    return m_view.OnEvent(dispIdMember, pDispParams);
}

// --- Events -----------------------------------------------------------------------

// Events the view does not act on are accepted and ignored; malformed arguments
// give the decoder's error and change nothing.
HRESULT CBrowserView::OnEvent(DISPID id, DISPPARAMS* params) {
    switch (id) {
    case DISPID_BEFORENAVIGATE2:
        return OnBeforeNavigate2(params);
    case DISPID_NEWWINDOW2:
        return OnNewWindow2(params);
    case DISPID_NEWWINDOW3:
        return OnNewWindow3(params);
    case DISPID_NAVIGATECOMPLETE2:
        return OnNavigateComplete2(params);
    case DISPID_DOCUMENTCOMPLETE:
        return OnDocumentComplete(params);
    case DISPID_NAVIGATEERROR:
        return OnNavigateError(params);
    case DISPID_TITLECHANGE:
        return OnTitleChange(params);
    default:
        return S_OK;
    }
}

bool CBrowserView::IsTopLevelBrowser(IDispatch* browser) const {
    if (!browser)
        return false;
    const auto control = GetBrowser();
    if (!control)
        return false;
    ComPtr<IUnknown> a, b;
    return SUCCEEDED(browser->QueryInterface(IID_IUnknown, a.PutVoid())) &&
           SUCCEEDED(control->QueryInterface(IID_IUnknown, b.PutVoid())) && a.Get() == b.Get();
}

bool CBrowserView::NotifyAboutView(unsigned int kind) {
    CDestroyGuard guard(m_watch);
    m_event.Fire(kind, WebNotifyWParam(0), reinterpret_cast<WebNotifyLParam>(this));
    return !guard.Destroyed();
}

HRESULT CBrowserView::OnBeforeNavigate2(DISPPARAMS* params) {
    BeforeNavigateArgs args;
    HRESULT hr = DecodeBeforeNavigate2(params, args);
    if (FAILED(hr))
        return hr;
    VARIANT_BOOL* cancel = args.cancel;
    m_bTopLevelNavigation = IsTopLevelBrowser(args.browser);
    const CBrowserViewState::BeforeNavigate step = m_state.DecideBeforeNavigate(args.url);
    if (step.notify && !NotifyAboutView(step.kind)) {
        *cancel = VARIANT_TRUE; // the view is gone: nothing may load in it
        return S_OK;
    }
    if (m_state.m_bCancelNavigate)
        *cancel = VARIANT_TRUE;
    return S_OK;
}

HRESULT CBrowserView::OnNewWindow2(DISPPARAMS* params) {
    NewWindowArgs args;
    HRESULT hr = DecodeNewWindow2(params, args);
    if (FAILED(hr))
        return hr;
    *args.cancel = m_state.CancelNewWindow() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

// The page asked for a new window: its URL is opened in this view instead, and
// that navigation (flagged as pending) reaches the owner as WN_NEW_WINDOW. The
// flag is set before Navigate, which may raise BeforeNavigate2 inside the call.
// A blank or script address is dropped: it would replace or run in this page.
HRESULT CBrowserView::OnNewWindow3(DISPPARAMS* params) {
    NewWindowArgs args;
    HRESULT hr = DecodeNewWindow3(params, args);
    if (FAILED(hr))
        return hr;
    if (CBrowserViewState::IsDroppedNewWindowUrl(args.url)) {
        *args.cancel = VARIANT_TRUE;
        return S_OK;
    }
    *args.cancel = m_state.CancelNewWindow() ? VARIANT_TRUE : VARIANT_FALSE;
    m_state.m_bNewWindowPending = true;
    // A navigation that never started must not turn the next one into a new window.
    if (!Navigate(args.url))
        m_state.m_bNewWindowPending = false;
    return S_OK;
}

HRESULT CBrowserView::OnNavigateComplete2(DISPPARAMS* params) {
    CompleteArgs args;
    HRESULT hr = DecodeComplete(params, args);
    if (FAILED(hr))
        return hr;
    if (m_state.AcceptFirstCompletion(args.browser, args.url) && !NotifyAboutView(WN_NAVIGATE_COMPLETE))
        return S_OK;
    // Every new document (of any frame) consults the view's handler directly.
    SetDocumentUIHandler(GetBrowser().Get(), &m_uiHandler);
    return S_OK;
}

HRESULT CBrowserView::OnDocumentComplete(DISPPARAMS* params) {
    CompleteArgs args;
    HRESULT hr = DecodeComplete(params, args);
    if (FAILED(hr))
        return hr;
    if (m_state.IsTopLevelDocument(args.browser) && !NotifyAboutView(WN_DOCUMENT_COMPLETE))
        return S_OK;
    if (m_state.m_bNoScroll)
        HideDocumentScrollBars(BrowserFromDispatch(args.browser).Get()); // every frame
    return S_OK;
}

// The browser's own error page is suppressed for every reported error.
HRESULT CBrowserView::OnNavigateError(DISPPARAMS* params) {
    NavigateErrorArgs args;
    HRESULT hr = DecodeNavigateError(params, args);
    if (FAILED(hr))
        return hr;
    if (!CBrowserViewState::ReportsNavigateError(args.status))
        return S_OK;
    *args.cancel = VARIANT_TRUE;
    NotifyAboutView(WN_NAVIGATE_ERROR);
    return S_OK;
}

HRESULT CBrowserView::OnTitleChange(DISPPARAMS* params) {
    BSTR title = nullptr;
    HRESULT hr = DecodeTitleChange(params, title);
    if (FAILED(hr))
        return hr;
    m_event.Fire(WN_TITLE_CHANGE, WebNotifyWParam(0), reinterpret_cast<WebNotifyLParam>(title));
    return S_OK;
}
