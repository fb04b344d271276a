// Decoding of the DWebBrowserEvents2 arguments the view acts on. The control
// passes them in IDispatch::Invoke in reverse order (declared parameter i is
// rgvarg[cArgs - 1 - i]), most of them by reference. Each decoder checks the
// count and every type it reads and fails (leaving its output unusable) instead
// of reading a wrong slot. Strings are copied; pointers stay the caller's.
#pragma once

#include <oaidl.h>

#include <cstdint>
#include <string>

struct BeforeNavigateArgs {
    IDispatch* browser = nullptr; // the frame's browser object (may be null)
    std::wstring url;
    VARIANT_BOOL* cancel = nullptr; // never null after a successful decode
};

// NavigateComplete2 and DocumentComplete.
struct CompleteArgs {
    IDispatch* browser = nullptr;
    std::wstring url;
};

struct NavigateErrorArgs {
    IDispatch* browser = nullptr;
    std::wstring url;
    int32_t status = 0;
    VARIANT_BOOL* cancel = nullptr;
};

// NewWindow2 has no URL; NewWindow3 has one.
struct NewWindowArgs {
    VARIANT_BOOL* cancel = nullptr;
    std::wstring url;
};

HRESULT DecodeBeforeNavigate2(const DISPPARAMS* params, BeforeNavigateArgs& out);
HRESULT DecodeComplete(const DISPPARAMS* params, CompleteArgs& out);
HRESULT DecodeNavigateError(const DISPPARAMS* params, NavigateErrorArgs& out);
HRESULT DecodeNewWindow2(const DISPPARAMS* params, NewWindowArgs& out);
HRESULT DecodeNewWindow3(const DISPPARAMS* params, NewWindowArgs& out);
// The title BSTR as passed (not copied: it is valid during the event).
HRESULT DecodeTitleChange(const DISPPARAMS* params, BSTR& title);
