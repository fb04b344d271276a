/* Fake browser, document, body and window objects that record the calls the
 * browser view makes on a document (a browser without an HTML engine has none).
 * Written in C so that the headers' vtable structs fix every slot: only the
 * slots the view uses are filled; calling any other one crashes the test. */
#pragma once

#include <exdisp.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct FakeDocumentRecord {
    int getDocument;     /* IWebBrowser2::get_Document */
    int setUIHandler;    /* ICustomDoc::SetUIHandler */
    IUnknown* uiHandler; /* the last handler set (not held: compare only) */
    int putScroll;       /* IHTMLBodyElement::put_scroll */
    WCHAR scroll[16];    /* its last value */
    int focus;           /* IHTMLWindow2::focus */
    LONG live;           /* fake objects alive (each browser has a document, body and window) */
} FakeDocumentRecord;

/* A browser (reference count 1) whose document records into rec. */
IWebBrowser2* FakeBrowser_Create(FakeDocumentRecord* rec);

#ifdef __cplusplus
}
#endif
