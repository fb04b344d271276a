// A window that hosts one ActiveX control, the WebBrowser control above all.
// Created with a non-empty window text, it creates a WebBrowser control, in-place
// activates it in the window and opens that text as its first URL; the control
// is kept sized to the window's client area and torn down in WM_DESTROY.
//
// The window answers the host-window protocol of browser/host/AxInterfaces.h: the
// control through "WM_ATLGETCONTROL", this host (IAxWinHostWindow) through
// "WM_ATLGETHOST", and WM_FORWARDMSG, which offers a message to the control's
// in-place active object. Windows that need more (the browser view) register a
// superclass of kClassName; window extra bytes 0..sizeof(LONG_PTR) belong to the host.
//
// The host is one COM object per window, answering the container interfaces the
// control asks for: client site, in-place site, frame (also as UI window),
// ambient properties (IDispatch) and IDocHostUIHandler, which defers to the
// owner's IDocHostUIHandlerDispatch once one is set.
#pragma once

#include "app/base/Handles.h"
#include "browser/host/AxInterfaces.h"

#include <mshtmhst.h>
#include <ocidl.h>
#include <oleidl.h>

class CAxHostWindow final : public IOleClientSite,
                            public IOleInPlaceSite,
                            public IOleInPlaceFrame,
                            public IDispatch,
                            public IAxWinHostWindow {
public:
    static constexpr const wchar_t* kClassName = L"GantryAxHost";

    // Registers the window class in this module once; true when it exists.
    static bool RegisterHostClass();
    // Host objects alive in the process: each window has one until WM_NCDESTROY
    // and a control that still holds its site keeps it longer.
    static long LiveObjects();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** ppContainer) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override;
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL fShow) override;
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override;

    // IOleWindow (shared by the in-place site and the frame)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) override;

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override;
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                               LPRECT lprcPosRect, LPRECT lprcClipRect,
                                               LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE scrollExtant) override;
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL fUndoable) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override;
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT lprcPosRect) override;

    // IOleInPlaceUIWindow
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT lprectBorder) override;
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS pborderwidths) override;
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS pborderwidths) override;
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* pActiveObject,
                                              LPCOLESTR pszObjName) override;

    // IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU hmenuShared, LPOLEMENUGROUPWIDTHS lpMenuWidths) override;
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU hmenuShared, HOLEMENU holemenu, HWND hwndActiveObject) override;
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU hmenuShared) override;
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR pszStatusText) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpmsg, WORD wID) override;

    // IDispatch: the ambient properties
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                            DISPID* rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                     UINT* puArgErr) override;

    // IAxWinHostWindow. CreateControl(Ex) creates a WebBrowser control and opens
    // the text as its URL; the stream is not used (the control keeps no state).
    // AttachControl hosts any control (replacing the one held); hWnd must be
    // null or this window.
    HRESULT STDMETHODCALLTYPE CreateControl(LPCOLESTR lpTricsData, HWND hWnd, IStream* pStream) override;
    HRESULT STDMETHODCALLTYPE CreateControlEx(LPCOLESTR lpTricsData, HWND hWnd, IStream* pStream,
                                              IUnknown** ppUnk, REFIID riidAdvise,
                                              IUnknown* punkAdvise) override;
    HRESULT STDMETHODCALLTYPE AttachControl(IUnknown* pUnkControl, HWND hWnd) override;
    HRESULT STDMETHODCALLTYPE QueryControl(REFIID riid, void** ppvObject) override;
    HRESULT STDMETHODCALLTYPE SetExternalDispatch(IDispatch* pDisp) override;
    HRESULT STDMETHODCALLTYPE SetExternalUIHandler(IDocHostUIHandlerDispatch* pDisp) override;

private:
    // IDocHostUIHandler of this host: a part of the same COM object (its name
    // clashes with the frame's EnableModeless). Forwards to the external handler.
    class CDocHostHandler : public IDocHostUIHandler {
    public:
        explicit CDocHostHandler(CAxHostWindow& host) : m_host(host) {}

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
        // The external handler, held for the length of one call.
        ComPtr<IDocHostUIHandlerDispatch> External() const { return m_host.m_externalUIHandler; }
        CAxHostWindow& m_host;
    };

    explicit CAxHostWindow(HWND hwnd);
    ~CAxHostWindow();
    CAxHostWindow(const CAxHostWindow&) = delete;
    CAxHostWindow& operator=(const CAxHostWindow&) = delete;

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT OnCreate(HWND hwnd);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT ForwardMessage(MSG* msg);
    void ResizeControl();
    // Deactivates, closes and releases the control and breaks the site cycle.
    void ReleaseControl();

    LONG m_cRef = 1; // the window's reference, released in WM_NCDESTROY
    HWND m_hwnd;
    CDocHostHandler m_docHost;
    ComPtr<IUnknown> m_control;
    ComPtr<IOleObject> m_oleObject;
    ComPtr<IOleInPlaceObject> m_inPlaceObject;
    ComPtr<IOleInPlaceActiveObject> m_activeObject; // set by the control through SetActiveObject
    ComPtr<IConnectionPoint> m_advisePoint;         // CreateControlEx's advise, if any
    DWORD m_adviseCookie = 0;
    ComPtr<IDispatch> m_externalDispatch;
    ComPtr<IDocHostUIHandlerDispatch> m_externalUIHandler;
};
