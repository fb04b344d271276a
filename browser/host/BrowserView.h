// The child window that shows web content in the application windows: a
// WebBrowser control in a window of our host class (browser/host/AxHostWindow.h).
// It reports what matters through m_event (browser/host/WebNotify.h): navigations
// about to start (which the owner may cancel with CancelThisNavigation from its
// handler), the first completed page after Navigate, completed top-level
// documents, errors, title changes and new-window requests. It hides the
// scroll bars and 3D borders of the pages, cancels downloads of ".exe" files
// and turns new-window requests into notifications.
//
// The view is a member of its owner and lives as long as it: its COM parts (the
// event sink and both forms of the document host handler) share one reference
// count whose reaching 0 frees nothing. UI thread only.
#pragma once

#include "app/base/Handles.h"
#include "browser/host/AxInterfaces.h"
#include "browser/host/BrowserViewState.h"
#include "browser/host/DestroyGuard.h"
#include "browser/host/WebNotify.h"

#include <exdisp.h>
#include <mshtmhst.h>

#include <cstdint>
#include <string>
#include <vector>

class CBrowserView {
public:
    static constexpr const wchar_t* kClassName = L"GantryBrowserView";

    CBrowserView();
    // Destroys the window if the owner has not (so the window never points to a dead view).
    ~CBrowserView();
    CBrowserView(const CBrowserView&) = delete;
    CBrowserView& operator=(const CBrowserView&) = delete;

    // The subscribers: the owner's OnWebNotify.
    CWebNotify m_event;

    // Creates the window (child of parent, at rc given as left, top, right,
    // bottom) with its control showing about:blank, advises the event sink and
    // installs the host handler. Null on failure, or when the view already has a window.
    HWND Create(HWND parent, const RECT& rc);
    HWND GetHwnd() const { return m_hWnd; }

    // Opens url; a non-empty body is sent as a form POST. False when the control
    // cannot be reached, memory runs out, or (GET only) the control refuses.
    bool Navigate(const std::wstring& url, const std::string& postBody = std::string());
    bool Navigate(const std::wstring& url, const std::vector<uint8_t>& postBody);

    // For a keyboard or mouse message of this window or one inside it: offers it
    // to the control's accelerator handling; non-zero when the control consumed it.
    BOOL PreTranslateMessage(MSG* msg);

    void Refresh();
    // Gives the keyboard focus to the document's window.
    void FocusDocument();
    // The URL last given to Navigate or carried by the last reported navigation.
    std::wstring GetUrl() const { return m_state.m_strUrl; }

    // New-window requests are cancelled; their URL opens in this view instead and
    // is reported as WN_NEW_WINDOW.
    void SetBlockNewWindow(bool block) { m_state.m_bBlockNewWindow = block; }
    // From a WN_BEFORE_NAVIGATE or WN_NEW_WINDOW handler: the navigation it is
    // told of does not happen.
    void CancelThisNavigation() { m_state.m_bCancelNavigate = true; }
    // From the same handlers: whether the navigation is the top-level page's (the
    // event named the control itself) rather than a frame's or an unnamed one's.
    bool IsTopLevelNavigation() const { return m_bTopLevelNavigation; }
    // Whether documents show their scroll bars (hidden by default).
    void SetNoScroll(bool noScroll) { m_state.m_bNoScroll = noScroll; }

    // The hosted control and host (null when unreachable).
    ComPtr<IWebBrowser2> GetBrowser() const;
    ComPtr<IAxWinHostWindow> GetHost() const;

    // The COM parts, as the control and the host see them (tests drive them).
    IDispatch* GetEventSink() { return &m_sink; }
    IDocHostUIHandler* GetUIHandler() { return &m_uiHandler; }
    IDocHostUIHandlerDispatch* GetUIHandlerDispatch() { return &m_uiDispatch; }
    bool IsSinkAdvised() const { return m_sinkCookie != 0; }
    // True while the control, a document or the host still holds one of the COM
    // parts. Its owner must not be freed before this is false: a later call
    // through a held part would reach freed memory.
    bool IsReferenced() const { return m_cRef != 0; }

private:
    friend struct BrowserViewTestAccess; // tests set up what earlier events would have left

    // DWebBrowserEvents2, a COM identity of its own.
    class CEventSink : public IDispatch {
    public:
        explicit CEventSink(CBrowserView& view) : m_view(view) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
        HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
        HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                                DISPID* rgDispId) override;
        HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                         DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                         UINT* puArgErr) override;

    private:
        CBrowserView& m_view;
    };

    // The handler the host consults (until a document has the direct one).
    class CUIHandlerDispatch : public IDocHostUIHandlerDispatch {
    public:
        explicit CUIHandlerDispatch(CBrowserView& view) : m_view(view) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
        HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
        HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                                DISPID* rgDispId) override;
        HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                         DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                         UINT* puArgErr) override;
        HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD dwID, DWORD x, DWORD y, IUnknown* pcmdtReserved,
                                                  IDispatch* pdispReserved, HRESULT* dwRetVal) override;
        HRESULT STDMETHODCALLTYPE GetHostInfo(DWORD* pdwFlags, DWORD* pdwDoubleClick) override;
        HRESULT STDMETHODCALLTYPE ShowUI(DWORD dwID, IUnknown* pActiveObject, IUnknown* pCommandTarget,
                                         IUnknown* pFrame, IUnknown* pDoc, HRESULT* dwRetVal) override;
        HRESULT STDMETHODCALLTYPE HideUI() override;
        HRESULT STDMETHODCALLTYPE UpdateUI() override;
        HRESULT STDMETHODCALLTYPE EnableModeless(VARIANT_BOOL fEnable) override;
        HRESULT STDMETHODCALLTYPE OnDocWindowActivate(VARIANT_BOOL fActivate) override;
        HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(VARIANT_BOOL fActivate) override;
        HRESULT STDMETHODCALLTYPE ResizeBorder(long left, long top, long right, long bottom,
                                               IUnknown* pUIWindow, VARIANT_BOOL fFrameWindow) override;
        HRESULT STDMETHODCALLTYPE TranslateAccelerator(DWORD_PTR hWnd, DWORD nMessage, DWORD_PTR wParam,
                                                       DWORD_PTR lParam, BSTR bstrGuidCmdGroup, DWORD nCmdID,
                                                       HRESULT* dwRetVal) override;
        HRESULT STDMETHODCALLTYPE GetOptionKeyPath(BSTR* pbstrKey, DWORD dw) override;
        HRESULT STDMETHODCALLTYPE GetDropTarget(IUnknown* pDropTarget, IUnknown** ppDropTarget) override;
        HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** ppDispatch) override;
        HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD dwTranslate, BSTR bstrURLIn, BSTR* pbstrURLOut) override;
        HRESULT STDMETHODCALLTYPE FilterDataObject(IUnknown* pDO, IUnknown** ppDORet) override;

    private:
        CBrowserView& m_view;
    };

    // The handler each document is given directly once it has navigated.
    class CUIHandler : public IDocHostUIHandler {
    public:
        explicit CUIHandler(CBrowserView& view) : m_view(view) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved,
                                                  IDispatch* pdispReserved) override;
        HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* pInfo) override;
        HRESULT STDMETHODCALLTYPE ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject,
                                         IOleCommandTarget* pCommandTarget, IOleInPlaceFrame* pFrame,
                                         IOleInPlaceUIWindow* pDoc) override;
        HRESULT STDMETHODCALLTYPE HideUI() override;
        HRESULT STDMETHODCALLTYPE UpdateUI() override;
        HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) override;
        HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL fActivate) override;
        HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL fActivate) override;
        HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow,
                                               BOOL fRameWindow) override;
        HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup,
                                                       DWORD nCmdID) override;
        HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* pchKey, DWORD dw) override;
        HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget* pDropTarget,
                                                IDropTarget** ppDropTarget) override;
        HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** ppDispatch) override;
        HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD dwTranslate, LPWSTR pchURLIn,
                                               LPWSTR* ppchURLOut) override;
        HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject* pDO, IDataObject** ppDORet) override;

    private:
        CBrowserView& m_view;
    };

    static bool RegisterViewClass();
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    bool Navigate(const std::wstring& url, const uint8_t* body, size_t size);

    // Shared by the COM parts.
    HRESULT QueryHandler(REFIID riid, void** ppv);
    ULONG AddRef();
    ULONG Release();

    // Events (browser/host/BrowserViewEvents.cpp).
    HRESULT OnEvent(DISPID id, DISPPARAMS* params);
    HRESULT OnBeforeNavigate2(DISPPARAMS* params);
    HRESULT OnNewWindow2(DISPPARAMS* params);
    HRESULT OnNewWindow3(DISPPARAMS* params);
    HRESULT OnNavigateComplete2(DISPPARAMS* params);
    HRESULT OnDocumentComplete(DISPPARAMS* params);
    HRESULT OnNavigateError(DISPPARAMS* params);
    HRESULT OnTitleChange(DISPPARAMS* params);
    // Whether an event's browser object is the hosted control (COM identity).
    bool IsTopLevelBrowser(IDispatch* browser) const;
    // The notification about this view; false when a handler destroyed the view.
    bool NotifyAboutView(unsigned int kind);
    HRESULT NotifyGetExternal(IDispatch** ppDispatch);

    CBrowserViewState m_state;
    HWND m_hWnd = nullptr;
    LONG m_cRef = 0;
    CEventSink m_sink;
    CUIHandlerDispatch m_uiDispatch;
    CUIHandler m_uiHandler;
    ComPtr<IConnectionPoint> m_sinkPoint;
    DWORD m_sinkCookie = 0;
    bool m_bTopLevelNavigation = false; // of the BeforeNavigate2 being reported
    CDestroyWatch m_watch;              // last: marks running events before anything else goes
};
