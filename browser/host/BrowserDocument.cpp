#include "browser/host/BrowserDocument.h"

#include <mshtml.h>

namespace {

ComPtr<IHTMLDocument2> DocumentOf(IWebBrowser2* browser) {
    if (!browser)
        return nullptr;
    ComPtr<IDispatch> document;
    browser->get_Document(document.Put()); // S_FALSE with null when there is none
    return document.As<IHTMLDocument2>(__uuidof(IHTMLDocument2));
}

} // namespace

ComPtr<IWebBrowser2> BrowserFromDispatch(IDispatch* frame) {
    ComPtr<IWebBrowser2> browser;
    if (frame)
        frame->QueryInterface(__uuidof(IWebBrowser2), browser.PutVoid());
    return browser;
}

bool SetDocumentUIHandler(IWebBrowser2* browser, IDocHostUIHandler* handler) {
    auto custom = DocumentOf(browser).As<ICustomDoc>(__uuidof(ICustomDoc));
    return custom && SUCCEEDED(custom->SetUIHandler(handler));
}

bool HideDocumentScrollBars(IWebBrowser2* browser) {
    auto document = DocumentOf(browser);
    if (!document)
        return false;
    ComPtr<IHTMLElement> body;
    document->get_body(body.Put());
    auto bodyElement = body.As<IHTMLBodyElement>(__uuidof(IHTMLBodyElement));
    if (!bodyElement)
        return false;
    BSTR no = SysAllocString(L"no");
    if (!no)
        return false;
    HRESULT hr = bodyElement->put_scroll(no);
    SysFreeString(no);
    return SUCCEEDED(hr);
}

bool FocusDocumentWindow(IWebBrowser2* browser) {
    auto document = DocumentOf(browser);
    if (!document)
        return false;
    ComPtr<IHTMLWindow2> window;
    document->get_parentWindow(window.Put());
    return window && SUCCEEDED(window->focus());
}
