// Both forms of the view's document host handler. The host consults the
// dispatch form until a document has been given the direct form (on each
// completed navigation); the two differ where the page is concerned: the
// host's form suppresses the context menu, the document's form shows it and
// asks for a page without help menu, 3D borders and (by default) scroll bars.
#include "browser/host/BrowserView.h"

// Both forms answer for each other, so each is reachable from the other.
HRESULT CBrowserView::QueryHandler(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDocHostUIHandler))
        *ppv = static_cast<IDocHostUIHandler*>(&m_uiHandler);
    else if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_IDocHostUIHandlerDispatch))
        *ppv = static_cast<IDocHostUIHandlerDispatch*>(&m_uiDispatch);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

// The caller's out-parameter is cleared first; a subscriber that answers stores
// an AddRef'ed IDispatch through the address it receives as wParam.
HRESULT CBrowserView::NotifyGetExternal(IDispatch** ppDispatch) {
    if (!ppDispatch)
        return E_POINTER;
    *ppDispatch = nullptr;
    m_event.Fire(WN_GET_EXTERNAL, reinterpret_cast<WebNotifyWParam>(ppDispatch),
                 reinterpret_cast<WebNotifyLParam>(this));
    return S_OK;
}

// --- The dispatch form --------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::QueryInterface(REFIID riid, void** ppv) {
    return m_view.QueryHandler(riid, ppv);
}

ULONG STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::AddRef() {
    return m_view.AddRef();
}

ULONG STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::Release() {
    return m_view.Release();
}

// The host calls the methods through the vtable; there is no type library to
// bind late against.
HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
    if (ppTInfo)
        *ppTInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::GetIDsOfNames(REFIID, LPOLESTR*, UINT cNames,
                                                                          LCID, DISPID* rgDispId) {
    for (UINT i = 0; rgDispId && i < cNames; ++i)
        rgDispId[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*,
                                                                   VARIANT*, EXCEPINFO*, UINT*) {
    return DISP_E_MEMBERNOTFOUND;
}

// Result S_OK: the host shows no context menu.
HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::ShowContextMenu(DWORD, DWORD, DWORD, IUnknown*,
                                                                            IDispatch*, HRESULT* dwRetVal) {
    if (dwRetVal)
        *dwRetVal = S_OK;
    return S_OK;
}

// The host's flags stay as they are.
HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::GetHostInfo(DWORD*, DWORD*) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::ShowUI(DWORD, IUnknown*, IUnknown*, IUnknown*,
                                                                   IUnknown*, HRESULT*) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::HideUI() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::UpdateUI() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::EnableModeless(VARIANT_BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::OnDocWindowActivate(VARIANT_BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::OnFrameWindowActivate(VARIANT_BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::ResizeBorder(long, long, long, long, IUnknown*,
                                                                         VARIANT_BOOL) {
    return S_OK;
}

// Nothing is written to the result, so the host treats the key as not consumed.
HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::TranslateAccelerator(DWORD_PTR, DWORD, DWORD_PTR,
                                                                                 DWORD_PTR, BSTR, DWORD,
                                                                                 HRESULT*) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::GetOptionKeyPath(BSTR*, DWORD) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::GetDropTarget(IUnknown*, IUnknown**) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::GetExternal(IDispatch** ppDispatch) {
    return m_view.NotifyGetExternal(ppDispatch);
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::TranslateUrl(DWORD, BSTR, BSTR*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandlerDispatch::FilterDataObject(IUnknown*, IUnknown**) {
    return E_NOTIMPL;
}

// --- The direct form -------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandler::QueryInterface(REFIID riid, void** ppv) {
    return m_view.QueryHandler(riid, ppv);
}

ULONG STDMETHODCALLTYPE CBrowserView::CUIHandler::AddRef() {
    return m_view.AddRef();
}

ULONG STDMETHODCALLTYPE CBrowserView::CUIHandler::Release() {
    return m_view.Release();
}

// S_FALSE: the browser shows its standard context menu.
HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandler::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
    return S_FALSE;
}

// cbSize is this build's sizeof(DOCHOSTUIINFO): 20 bytes on x86 but 32 on x64.
HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandler::GetHostInfo(DOCHOSTUIINFO* pInfo) {
    if (!pInfo)
        return E_POINTER;
    pInfo->cbSize = sizeof(DOCHOSTUIINFO);
    pInfo->dwFlags = CBrowserViewState::HostInfoFlags(pInfo->dwFlags, m_view.m_state.m_bNoScroll);
    pInfo->dwDoubleClick = 0;
    pInfo->pchHostCss = nullptr;
    pInfo->pchHostNS = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandler::ShowUI(DWORD, IOleInPlaceActiveObject*,
                                                           IOleCommandTarget*, IOleInPlaceFrame*,
                                                           IOleInPlaceUIWindow*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandler::HideUI() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandler::UpdateUI() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandler::EnableModeless(BOOL) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandler::OnDocWindowActivate(BOOL) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandler::OnFrameWindowActivate(BOOL) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandler::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandler::TranslateAccelerator(LPMSG, const GUID*, DWORD) {
    return E_NOTIMPL;
}

// Nothing supplied: the browser's own settings apply.
HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandler::GetOptionKeyPath(LPOLESTR* pchKey, DWORD) {
    if (pchKey)
        *pchKey = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandler::GetDropTarget(IDropTarget*, IDropTarget** ppDropTarget) {
    if (ppDropTarget)
        *ppDropTarget = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandler::GetExternal(IDispatch** ppDispatch) {
    return m_view.NotifyGetExternal(ppDispatch);
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandler::TranslateUrl(DWORD, LPWSTR, LPWSTR* ppchURLOut) {
    if (ppchURLOut)
        *ppchURLOut = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CBrowserView::CUIHandler::FilterDataObject(IDataObject*, IDataObject** ppDORet) {
    if (ppDORet)
        *ppDORet = nullptr;
    return E_NOTIMPL;
}
