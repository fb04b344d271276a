#include "browser/host/BrowserEventArgs.h"

namespace {

// Declared parameter i of an event with count parameters, or null.
const VARIANT* Arg(const DISPPARAMS* params, UINT count, UINT i) {
    if (!params || params->cArgs != count || !params->rgvarg || i >= count)
        return nullptr;
    return &params->rgvarg[count - 1 - i];
}

// A VARIANT passed by reference to a VARIANT: the inner one (a few levels at
// most, so a reference that points back to itself cannot hang the view).
const VARIANT* Deref(const VARIANT* v) {
    for (int level = 0; v && V_VT(v) == (VT_BYREF | VT_VARIANT); ++level)
        v = level < 4 ? V_VARIANTREF(v) : nullptr;
    return v;
}

bool ReadString(const VARIANT* v, std::wstring& out) {
    v = Deref(v);
    if (!v)
        return false;
    BSTR text;
    if (V_VT(v) == VT_BSTR)
        text = V_BSTR(v);
    else if (V_VT(v) == (VT_BYREF | VT_BSTR) && V_BSTRREF(v))
        text = *V_BSTRREF(v);
    else if (V_VT(v) == VT_EMPTY || V_VT(v) == VT_NULL)
        text = nullptr;
    else
        return false;
    out.assign(text ? text : L"", text ? SysStringLen(text) : 0);
    return true;
}

bool ReadDispatch(const VARIANT* v, IDispatch*& out) {
    v = Deref(v);
    if (!v)
        return false;
    if (V_VT(v) == VT_DISPATCH)
        out = V_DISPATCH(v);
    else if (V_VT(v) == (VT_BYREF | VT_DISPATCH) && V_DISPATCHREF(v))
        out = *V_DISPATCHREF(v);
    else if (V_VT(v) == VT_EMPTY || V_VT(v) == VT_NULL)
        out = nullptr;
    else
        return false;
    return true;
}

bool ReadCancel(const VARIANT* v, VARIANT_BOOL*& out) {
    v = Deref(v);
    if (!v || V_VT(v) != (VT_BYREF | VT_BOOL) || !V_BOOLREF(v))
        return false;
    out = V_BOOLREF(v);
    return true;
}

bool ReadInt32(const VARIANT* v, int32_t& out) {
    v = Deref(v);
    if (!v)
        return false;
    switch (V_VT(v)) {
    case VT_I4:
        out = V_I4(v);
        return true;
    case VT_UI4:
        out = static_cast<int32_t>(V_UI4(v));
        return true;
    case VT_BYREF | VT_I4:
        if (!V_I4REF(v))
            return false;
        out = *V_I4REF(v);
        return true;
    case VT_BYREF | VT_UI4:
        if (!V_UI4REF(v))
            return false;
        out = static_cast<int32_t>(*V_UI4REF(v));
        return true;
    default:
        return false;
    }
}

HRESULT Fail(const DISPPARAMS* params, UINT count) {
    return params && params->cArgs == count ? DISP_E_TYPEMISMATCH : DISP_E_BADPARAMCOUNT;
}

} // namespace

// BeforeNavigate2(pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel)
HRESULT DecodeBeforeNavigate2(const DISPPARAMS* params, BeforeNavigateArgs& out) {
    if (!ReadDispatch(Arg(params, 7, 0), out.browser) || !ReadString(Arg(params, 7, 1), out.url) ||
        !ReadCancel(Arg(params, 7, 6), out.cancel))
        return Fail(params, 7);
    return S_OK;
}

// NavigateComplete2(pDisp, URL), DocumentComplete(pDisp, URL)
HRESULT DecodeComplete(const DISPPARAMS* params, CompleteArgs& out) {
    if (!ReadDispatch(Arg(params, 2, 0), out.browser) || !ReadString(Arg(params, 2, 1), out.url))
        return Fail(params, 2);
    return S_OK;
}

// NavigateError(pDisp, URL, Frame, StatusCode, Cancel)
HRESULT DecodeNavigateError(const DISPPARAMS* params, NavigateErrorArgs& out) {
    if (!ReadDispatch(Arg(params, 5, 0), out.browser) || !ReadString(Arg(params, 5, 1), out.url) ||
        !ReadInt32(Arg(params, 5, 3), out.status) || !ReadCancel(Arg(params, 5, 4), out.cancel))
        return Fail(params, 5);
    return S_OK;
}

// NewWindow2(ppDisp, Cancel)
HRESULT DecodeNewWindow2(const DISPPARAMS* params, NewWindowArgs& out) {
    if (!ReadCancel(Arg(params, 2, 1), out.cancel))
        return Fail(params, 2);
    out.url.clear();
    return S_OK;
}

// NewWindow3(ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl)
HRESULT DecodeNewWindow3(const DISPPARAMS* params, NewWindowArgs& out) {
    if (!ReadCancel(Arg(params, 5, 1), out.cancel) || !ReadString(Arg(params, 5, 4), out.url))
        return Fail(params, 5);
    return S_OK;
}

// TitleChange(Text)
HRESULT DecodeTitleChange(const DISPPARAMS* params, BSTR& title) {
    const VARIANT* v = Deref(Arg(params, 1, 0));
    if (v && V_VT(v) == VT_BSTR)
        title = V_BSTR(v);
    else if (v && V_VT(v) == (VT_BYREF | VT_BSTR) && V_BSTRREF(v))
        title = *V_BSTRREF(v);
    else
        return Fail(params, 1);
    return S_OK;
}
