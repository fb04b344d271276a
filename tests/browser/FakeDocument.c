#define COBJMACROS
#include "FakeDocument.h"

#include <mshtml.h>
#include <mshtmhst.h>
#include <stddef.h>
#include <string.h>

/* IIDs as published (some are missing from the import library). */
static const IID kIUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const IID kIDispatch = {0x00020400, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const IID kIWebBrowser2 = {
    0xd30c1661, 0xcdaf, 0x11d0, {0x8a, 0x3e, 0x00, 0xc0, 0x4f, 0xc9, 0xe2, 0x6e}};
static const IID kIHTMLDocument2 = {
    0x332c4425, 0x26cb, 0x11d0, {0xb4, 0x83, 0x00, 0xc0, 0x4f, 0xd9, 0x01, 0x19}};
static const IID kICustomDoc = {0x3050f3f0, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
static const IID kIHTMLElement = {
    0x3050f1ff, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
static const IID kIHTMLBodyElement = {
    0x3050f1d8, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
static const IID kIHTMLWindow2 = {
    0x332c4427, 0x26cb, 0x11d0, {0xb4, 0x83, 0x00, 0xc0, 0x4f, 0xd9, 0x01, 0x19}};

/* One object per fake: all of its interfaces share one count. */
typedef struct Fake {
    IWebBrowser2 browser;
    IHTMLDocument2 document;
    ICustomDoc custom;
    IHTMLElement element;
    IHTMLBodyElement body;
    IHTMLWindow2 window;
    LONG ref;
    FakeDocumentRecord* rec;
} Fake;

#define FAKE_FROM(iface, member) ((Fake*)((char*)(iface)-offsetof(Fake, member)))

static ULONG FakeAddRef(Fake* f) {
    return (ULONG)InterlockedIncrement(&f->ref);
}

static ULONG FakeRelease(Fake* f) {
    LONG n = InterlockedDecrement(&f->ref);
    if (n == 0) {
        if (f->rec->uiHandler)
            IUnknown_Release(f->rec->uiHandler);
        f->rec->uiHandler = NULL;
        InterlockedDecrement(&f->rec->live);
        CoTaskMemFree(f);
    }
    return (ULONG)n;
}

static HRESULT FakeQuery(Fake* f, REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = NULL;
    if (IsEqualIID(riid, &kIUnknown) || IsEqualIID(riid, &kIDispatch) || IsEqualIID(riid, &kIWebBrowser2))
        *ppv = &f->browser;
    else if (IsEqualIID(riid, &kIHTMLDocument2))
        *ppv = &f->document;
    else if (IsEqualIID(riid, &kICustomDoc))
        *ppv = &f->custom;
    else if (IsEqualIID(riid, &kIHTMLElement))
        *ppv = &f->element;
    else if (IsEqualIID(riid, &kIHTMLBodyElement))
        *ppv = &f->body;
    else if (IsEqualIID(riid, &kIHTMLWindow2))
        *ppv = &f->window;
    else
        return E_NOINTERFACE;
    FakeAddRef(f);
    return S_OK;
}

/* IWebBrowser2 */
static HRESULT STDMETHODCALLTYPE B_QueryInterface(IWebBrowser2* This, REFIID riid, void** ppv) {
    return FakeQuery(FAKE_FROM(This, browser), riid, ppv);
}
static ULONG STDMETHODCALLTYPE B_AddRef(IWebBrowser2* This) {
    return FakeAddRef(FAKE_FROM(This, browser));
}
static ULONG STDMETHODCALLTYPE B_Release(IWebBrowser2* This) {
    return FakeRelease(FAKE_FROM(This, browser));
}
static HRESULT STDMETHODCALLTYPE B_get_Document(IWebBrowser2* This, IDispatch** ppDisp) {
    Fake* f = FAKE_FROM(This, browser);
    f->rec->getDocument++;
    *ppDisp = (IDispatch*)&f->document;
    FakeAddRef(f);
    return S_OK;
}

/* IHTMLDocument2 */
static HRESULT STDMETHODCALLTYPE D_QueryInterface(IHTMLDocument2* This, REFIID riid, void** ppv) {
    return FakeQuery(FAKE_FROM(This, document), riid, ppv);
}
static ULONG STDMETHODCALLTYPE D_AddRef(IHTMLDocument2* This) {
    return FakeAddRef(FAKE_FROM(This, document));
}
static ULONG STDMETHODCALLTYPE D_Release(IHTMLDocument2* This) {
    return FakeRelease(FAKE_FROM(This, document));
}
static HRESULT STDMETHODCALLTYPE D_get_body(IHTMLDocument2* This, IHTMLElement** p) {
    Fake* f = FAKE_FROM(This, document);
    *p = &f->element;
    FakeAddRef(f);
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE D_get_parentWindow(IHTMLDocument2* This, IHTMLWindow2** p) {
    Fake* f = FAKE_FROM(This, document);
    *p = &f->window;
    FakeAddRef(f);
    return S_OK;
}

/* ICustomDoc */
static HRESULT STDMETHODCALLTYPE C_QueryInterface(ICustomDoc* This, REFIID riid, void** ppv) {
    return FakeQuery(FAKE_FROM(This, custom), riid, ppv);
}
static ULONG STDMETHODCALLTYPE C_AddRef(ICustomDoc* This) {
    return FakeAddRef(FAKE_FROM(This, custom));
}
static ULONG STDMETHODCALLTYPE C_Release(ICustomDoc* This) {
    return FakeRelease(FAKE_FROM(This, custom));
}
static HRESULT STDMETHODCALLTYPE C_SetUIHandler(ICustomDoc* This, IDocHostUIHandler* handler) {
    Fake* f = FAKE_FROM(This, custom);
    f->rec->setUIHandler++;
    if (handler)
        IDocHostUIHandler_AddRef(handler);
    if (f->rec->uiHandler)
        IUnknown_Release(f->rec->uiHandler);
    f->rec->uiHandler = (IUnknown*)handler;
    return S_OK;
}

/* IHTMLElement (only to be asked for the body element) */
static HRESULT STDMETHODCALLTYPE E_QueryInterface(IHTMLElement* This, REFIID riid, void** ppv) {
    return FakeQuery(FAKE_FROM(This, element), riid, ppv);
}
static ULONG STDMETHODCALLTYPE E_AddRef(IHTMLElement* This) {
    return FakeAddRef(FAKE_FROM(This, element));
}
static ULONG STDMETHODCALLTYPE E_Release(IHTMLElement* This) {
    return FakeRelease(FAKE_FROM(This, element));
}

/* IHTMLBodyElement */
static HRESULT STDMETHODCALLTYPE Y_QueryInterface(IHTMLBodyElement* This, REFIID riid, void** ppv) {
    return FakeQuery(FAKE_FROM(This, body), riid, ppv);
}
static ULONG STDMETHODCALLTYPE Y_AddRef(IHTMLBodyElement* This) {
    return FakeAddRef(FAKE_FROM(This, body));
}
static ULONG STDMETHODCALLTYPE Y_Release(IHTMLBodyElement* This) {
    return FakeRelease(FAKE_FROM(This, body));
}
static HRESULT STDMETHODCALLTYPE Y_put_scroll(IHTMLBodyElement* This, BSTR v) {
    Fake* f = FAKE_FROM(This, body);
    f->rec->putScroll++;
    memset(f->rec->scroll, 0, sizeof f->rec->scroll);
    if (v)
        lstrcpynW(f->rec->scroll, v, 16);
    return S_OK;
}

/* IHTMLWindow2 */
static HRESULT STDMETHODCALLTYPE W_QueryInterface(IHTMLWindow2* This, REFIID riid, void** ppv) {
    return FakeQuery(FAKE_FROM(This, window), riid, ppv);
}
static ULONG STDMETHODCALLTYPE W_AddRef(IHTMLWindow2* This) {
    return FakeAddRef(FAKE_FROM(This, window));
}
static ULONG STDMETHODCALLTYPE W_Release(IHTMLWindow2* This) {
    return FakeRelease(FAKE_FROM(This, window));
}
static HRESULT STDMETHODCALLTYPE W_focus(IHTMLWindow2* This) {
    FAKE_FROM(This, window)->rec->focus++;
    return S_OK;
}

static IWebBrowser2Vtbl g_browserVtbl;
static IHTMLDocument2Vtbl g_documentVtbl;
static ICustomDocVtbl g_customVtbl;
static IHTMLElementVtbl g_elementVtbl;
static IHTMLBodyElementVtbl g_bodyVtbl;
static IHTMLWindow2Vtbl g_windowVtbl;

static void FillVtables(void) {
    g_browserVtbl.QueryInterface = B_QueryInterface;
    g_browserVtbl.AddRef = B_AddRef;
    g_browserVtbl.Release = B_Release;
    g_browserVtbl.get_Document = B_get_Document;
    g_documentVtbl.QueryInterface = D_QueryInterface;
    g_documentVtbl.AddRef = D_AddRef;
    g_documentVtbl.Release = D_Release;
    g_documentVtbl.get_body = D_get_body;
    g_documentVtbl.get_parentWindow = D_get_parentWindow;
    g_customVtbl.QueryInterface = C_QueryInterface;
    g_customVtbl.AddRef = C_AddRef;
    g_customVtbl.Release = C_Release;
    g_customVtbl.SetUIHandler = C_SetUIHandler;
    g_elementVtbl.QueryInterface = E_QueryInterface;
    g_elementVtbl.AddRef = E_AddRef;
    g_elementVtbl.Release = E_Release;
    g_bodyVtbl.QueryInterface = Y_QueryInterface;
    g_bodyVtbl.AddRef = Y_AddRef;
    g_bodyVtbl.Release = Y_Release;
    g_bodyVtbl.put_scroll = Y_put_scroll;
    g_windowVtbl.QueryInterface = W_QueryInterface;
    g_windowVtbl.AddRef = W_AddRef;
    g_windowVtbl.Release = W_Release;
    g_windowVtbl.focus = W_focus;
}

IWebBrowser2* FakeBrowser_Create(FakeDocumentRecord* rec) {
    Fake* f;
    if (!g_browserVtbl.QueryInterface)
        FillVtables();
    f = (Fake*)CoTaskMemAlloc(sizeof(Fake));
    if (!f)
        return NULL;
    memset(f, 0, sizeof *f);
    f->browser.lpVtbl = &g_browserVtbl;
    f->document.lpVtbl = &g_documentVtbl;
    f->custom.lpVtbl = &g_customVtbl;
    f->element.lpVtbl = &g_elementVtbl;
    f->body.lpVtbl = &g_bodyVtbl;
    f->window.lpVtbl = &g_windowVtbl;
    f->ref = 1;
    f->rec = rec;
    InterlockedIncrement(&rec->live);
    return &f->browser;
}
