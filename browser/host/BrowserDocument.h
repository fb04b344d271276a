// Steps on the HTML document that a WebBrowser shows. A browser without an HTML
// engine has no document (get_Document gives S_FALSE and null), so every step
// ends silently at the first link that is missing; the result only says whether
// the step was carried out.
#pragma once

#include "app/base/Handles.h"

#include <exdisp.h>
#include <mshtmhst.h>

// The browser object behind a frame's IDispatch (as events name frames).
ComPtr<IWebBrowser2> BrowserFromDispatch(IDispatch* frame);

// ICustomDoc::SetUIHandler: the document consults this handler directly.
bool SetDocumentUIHandler(IWebBrowser2* browser, IDocHostUIHandler* handler);

// <body scroll="no">: the document shows no scroll bars.
bool HideDocumentScrollBars(IWebBrowser2* browser);

// IHTMLWindow2::focus on the document's window.
bool FocusDocumentWindow(IWebBrowser2* browser);
