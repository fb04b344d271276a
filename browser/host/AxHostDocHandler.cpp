// The host's IDocHostUIHandler: what the document asks of its host goes to the
// owner's IDocHostUIHandlerDispatch when one is set, with the types converted
// (BSTR to task-memory strings, IUnknown to the interface asked for). Without one,
// or where the owner's handler supplies nothing, the browser's own behaviour stays.
// Every out-parameter is cleared first, so no caller ever sees an unset one.
#include "browser/host/AxHostWindow.h"

namespace {

// A BSTR from the external handler as the task-memory string the caller frees.
LPOLESTR TaskStringFromBstr(BSTR text) {
    if (!text)
        return nullptr;
    const UINT length = SysStringLen(text);
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((length + 1) * sizeof(OLECHAR)));
    if (copy) {
        memcpy(copy, text, length * sizeof(OLECHAR));
        copy[length] = 0;
    }
    return copy;
}

VARIANT_BOOL ToVariantBool(BOOL value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace

HRESULT STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::QueryInterface(REFIID riid, void** ppv) {
    return m_host.QueryInterface(riid, ppv);
}

ULONG STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::AddRef() {
    return m_host.AddRef();
}

ULONG STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::Release() {
    return m_host.Release();
}

// S_OK from the handler's result suppresses the browser's menu; S_FALSE shows it.
HRESULT STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::ShowContextMenu(DWORD dwID, POINT* ppt,
                                                                          IUnknown* pcmdtReserved,
                                                                          IDispatch* pdispReserved) {
    auto handler = External();
    if (!handler)
        return S_FALSE;
    HRESULT result = S_FALSE;
    const DWORD x = ppt ? static_cast<DWORD>(ppt->x) : 0, y = ppt ? static_cast<DWORD>(ppt->y) : 0;
    if (FAILED(handler->ShowContextMenu(dwID, x, y, pcmdtReserved, pdispReserved, &result)))
        return S_FALSE;
    return result;
}

// The host's own flags (no 3D border) go to the handler, which may change them.
HRESULT STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::GetHostInfo(DOCHOSTUIINFO* pInfo) {
    if (!pInfo)
        return E_POINTER;
    pInfo->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
    pInfo->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    pInfo->pchHostCss = nullptr;
    pInfo->pchHostNS = nullptr;
    if (auto handler = External()) {
        DWORD flags = pInfo->dwFlags, doubleClick = pInfo->dwDoubleClick;
        if (SUCCEEDED(handler->GetHostInfo(&flags, &doubleClick))) {
            pInfo->dwFlags = flags;
            pInfo->dwDoubleClick = doubleClick;
        }
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::ShowUI(DWORD dwID,
                                                                 IOleInPlaceActiveObject* pActiveObject,
                                                                 IOleCommandTarget* pCommandTarget,
                                                                 IOleInPlaceFrame* pFrame,
                                                                 IOleInPlaceUIWindow* pDoc) {
    auto handler = External();
    if (!handler)
        return S_FALSE;
    HRESULT result = S_FALSE;
    if (FAILED(handler->ShowUI(dwID, pActiveObject, pCommandTarget, pFrame, pDoc, &result)))
        return S_FALSE;
    return result;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::HideUI() {
    auto handler = External();
    return handler ? handler->HideUI() : S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::UpdateUI() {
    auto handler = External();
    return handler ? handler->UpdateUI() : S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::EnableModeless(BOOL fEnable) {
    auto handler = External();
    return handler ? handler->EnableModeless(ToVariantBool(fEnable)) : S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::OnDocWindowActivate(BOOL fActivate) {
    auto handler = External();
    return handler ? handler->OnDocWindowActivate(ToVariantBool(fActivate)) : S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::OnFrameWindowActivate(BOOL fActivate) {
    auto handler = External();
    return handler ? handler->OnFrameWindowActivate(ToVariantBool(fActivate)) : S_OK;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::ResizeBorder(LPCRECT prcBorder,
                                                                       IOleInPlaceUIWindow* pUIWindow,
                                                                       BOOL fRameWindow) {
    auto handler = External();
    if (!handler || !prcBorder)
        return S_OK;
    return handler->ResizeBorder(prcBorder->left, prcBorder->top, prcBorder->right, prcBorder->bottom,
                                 pUIWindow, ToVariantBool(fRameWindow));
}

// S_OK in the handler's result means it consumed the key.
HRESULT STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::TranslateAccelerator(LPMSG lpMsg,
                                                                               const GUID* pguidCmdGroup,
                                                                               DWORD nCmdID) {
    auto handler = External();
    if (!handler || !lpMsg)
        return S_FALSE;
    BSTR group = nullptr;
    if (pguidCmdGroup) {
        OLECHAR text[40] = {};
        if (StringFromGUID2(*pguidCmdGroup, text, 40) > 0)
            group = SysAllocString(text);
    }
    HRESULT result = S_FALSE;
    HRESULT hr =
        handler->TranslateAccelerator(reinterpret_cast<DWORD_PTR>(lpMsg->hwnd), lpMsg->message, lpMsg->wParam,
                                      static_cast<DWORD_PTR>(lpMsg->lParam), group, nCmdID, &result);
    SysFreeString(group);
    return SUCCEEDED(hr) ? result : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::GetOptionKeyPath(LPOLESTR* pchKey, DWORD dw) {
    if (!pchKey)
        return E_POINTER;
    *pchKey = nullptr;
    auto handler = External();
    if (!handler)
        return S_FALSE;
    BSTR key = nullptr;
    HRESULT hr = handler->GetOptionKeyPath(&key, dw);
    if (SUCCEEDED(hr))
        *pchKey = TaskStringFromBstr(key);
    SysFreeString(key);
    return *pchKey ? S_OK : S_FALSE;
}

// Only a drop target actually supplied replaces the browser's own.
HRESULT STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::GetDropTarget(IDropTarget* pDropTarget,
                                                                        IDropTarget** ppDropTarget) {
    if (!ppDropTarget)
        return E_POINTER;
    *ppDropTarget = nullptr;
    auto handler = External();
    if (!handler)
        return E_NOTIMPL;
    ComPtr<IUnknown> target;
    if (SUCCEEDED(handler->GetDropTarget(pDropTarget, target.Put())) && target)
        target->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(ppDropTarget));
    return *ppDropTarget ? S_OK : E_NOTIMPL;
}

// The handler may fill the caller's pointer (it receives the caller's address);
// otherwise the host's external dispatch, if any, is window.external.
HRESULT STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::GetExternal(IDispatch** ppDispatch) {
    if (!ppDispatch)
        return E_POINTER;
    *ppDispatch = nullptr;
    if (auto handler = External()) {
        if (SUCCEEDED(handler->GetExternal(ppDispatch)) && *ppDispatch)
            return S_OK;
    }
    if (m_host.m_externalDispatch) {
        *ppDispatch = ComPtr<IDispatch>(m_host.m_externalDispatch).Detach();
        return S_OK;
    }
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::TranslateUrl(DWORD dwTranslate, LPWSTR pchURLIn,
                                                                       LPWSTR* ppchURLOut) {
    if (!ppchURLOut)
        return E_POINTER;
    *ppchURLOut = nullptr;
    auto handler = External();
    if (!handler)
        return S_FALSE;
    BSTR in = pchURLIn ? SysAllocString(pchURLIn) : nullptr;
    BSTR out = nullptr;
    HRESULT hr = handler->TranslateUrl(dwTranslate, in, &out);
    if (SUCCEEDED(hr))
        *ppchURLOut = TaskStringFromBstr(out);
    SysFreeString(in);
    SysFreeString(out);
    return *ppchURLOut ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CAxHostWindow::CDocHostHandler::FilterDataObject(IDataObject* pDO,
                                                                           IDataObject** ppDORet) {
    if (!ppDORet)
        return E_POINTER;
    *ppDORet = nullptr;
    auto handler = External();
    if (!handler)
        return S_FALSE;
    ComPtr<IUnknown> filtered;
    if (SUCCEEDED(handler->FilterDataObject(pDO, filtered.Put())) && filtered)
        filtered->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(ppDORet));
    return *ppDORet ? S_OK : S_FALSE;
}
