// Shared pieces of the browser tests under Wine: the OLE apartment, a parent
// window, bounded message pumping and a recorder of web notifications.
#pragma once

#include "browser/host/BrowserView.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The view's private state, for tests that set up what earlier events would have
// left behind or read what an event decided.
struct BrowserViewTestAccess {
    static CBrowserViewState& State(CBrowserView& view) { return view.m_state; }
    // The control's connection point and the cookie the view unadvises with.
    static IConnectionPoint* SinkPoint(CBrowserView& view) { return view.m_sinkPoint.Get(); }
    static DWORD& SinkCookie(CBrowserView& view) { return view.m_sinkCookie; }
};

namespace browsertest {

// A top-level window to parent views (hidden; destroyed by the owner).
HWND MakeParentWindow(int width = 800, int height = 600);

// Dispatches the thread's messages for up to ms milliseconds.
void Pump(DWORD ms);
// Dispatches messages until done() is true or timeoutMs pass; done()'s last value.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// A local TCP port that nothing listens on (bound once, then closed).
int UnusedPort();

// While it lives, records the messages the view's window is offered as
// WM_FORWARDMSG (what the view hands the control first). One at a time.
class ForwardedMessages {
public:
    explicit ForwardedMessages(HWND viewWindow);
    ~ForwardedMessages();
    ForwardedMessages(const ForwardedMessages&) = delete;
    ForwardedMessages& operator=(const ForwardedMessages&) = delete;
    std::vector<UINT> messages;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND window_;
    WNDPROC previous_;
};

struct Notification {
    unsigned int kind;
    WebNotifyWParam wParam;
    WebNotifyLParam lParam;
    std::wstring url;      // the view's GetUrl() during the call: what an owner reads
    std::wstring eventUrl; // the URL the control's event carried (empty when not known)
};

// Subscribes to a view and records what arrives; onNotify runs inside the call.
class Recorder {
public:
    explicit Recorder(CBrowserView& view);
    void OnWebNotify(unsigned int kind, WebNotifyWParam wParam, WebNotifyLParam lParam);

    std::vector<Notification> events;
    std::function<void(const Notification&)> onNotify;

    size_t Count(unsigned int kind) const;
    std::vector<unsigned int> Kinds() const;

private:
    CBrowserView& m_view;
};

// Sits between the control and a created view's event sink while it lives, so a
// test sees what the control's events carried: the URL of each navigation with the
// Cancel value the control got back from the view, and the URL of each error.
class ControlEventTap : public IDispatch {
public:
    explicit ControlEventTap(CBrowserView& view); // check Installed()
    ~ControlEventTap();
    ControlEventTap(const ControlEventTap&) = delete;
    ControlEventTap& operator=(const ControlEventTap&) = delete;
    bool Installed() const { return m_cookie != 0; }

    std::vector<std::pair<std::wstring, bool>> navigations; // BeforeNavigate2: URL, cancelled
    std::vector<std::wstring> errors;                       // NavigateError: URL

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* info, UINT* argErr) override;

private:
    CBrowserView& m_view;
    DWORD m_cookie = 0;
};

// The URL of the control event being delivered right now (through a tap or a
// Raise* helper below); empty outside one.
const std::wstring& CurrentEventUrl();

// Builds DISPPARAMS for an event as the control passes them: arguments given in
// declared order and stored reversed. The VARIANTs are kept alive by this object.
class EventArgs {
public:
    // Declared order; each VARIANT is copied as it is (no ownership taken).
    explicit EventArgs(std::vector<VARIANT> declared);
    DISPPARAMS* Params() { return &m_params; }

private:
    std::vector<VARIANT> m_reversed;
    DISPPARAMS m_params = {};
};

VARIANT ByRefVariant(VARIANT* inner);
VARIANT ByRefBool(VARIANT_BOOL* value);
VARIANT Bstr(BSTR value);
VARIANT Dispatch(IDispatch* value);
VARIANT I4(LONG value);

// Owned BSTRs for event arguments.
class Strings {
public:
    ~Strings();
    BSTR Make(const std::wstring& text);

private:
    std::vector<BSTR> m_strings;
};

// Raises BeforeNavigate2 on the view's sink as the control does; returns Cancel.
// Without a frame the event names the view's control, as a top-level navigation does.
VARIANT_BOOL RaiseBeforeNavigate(CBrowserView& view, const std::wstring& url, IDispatch* frame = nullptr);
void RaiseNavigateComplete(CBrowserView& view, const std::wstring& url, IDispatch* frame);
void RaiseDocumentComplete(CBrowserView& view, const std::wstring& url, IDispatch* frame);
VARIANT_BOOL RaiseNavigateError(CBrowserView& view, const std::wstring& url, LONG status);
VARIANT_BOOL RaiseNewWindow3(CBrowserView& view, const std::wstring& url);
VARIANT_BOOL RaiseNewWindow2(CBrowserView& view);
void RaiseTitleChange(CBrowserView& view, const std::wstring& title);

} // namespace browsertest
