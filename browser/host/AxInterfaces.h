// The host-window protocol the browser view talks to, declared here because the
// mingw-w64 headers lack it: the host's registered messages, WM_FORWARDMSG, the
// host interface IAxWinHostWindow and the late-bindable form of the document
// host handler, IDocHostUIHandlerDispatch. Layouts and GUIDs are the published
// ones, so either side can be any implementation of the protocol.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oaidl.h>

// lParam is a MSG*; the result is non-zero when the hosted control consumed it.
constexpr UINT WM_FORWARDMSG = 0x037F;

// Registered window messages of a host window. Both return a pointer without a
// reference of its own, valid while the window lives; a caller that keeps it
// calls AddRef. "WM_ATLGETCONTROL" yields the control's IUnknown (null when the
// host holds none), "WM_ATLGETHOST" the host's IUnknown.
UINT AxGetControlMessage();
UINT AxGetHostMessage();

extern "C" const IID IID_IAxWinHostWindow;          // {B6EA2050-048A-11D1-82B9-00C04FB9942E}
extern "C" const IID IID_IDocHostUIHandlerDispatch; // {425B5AF0-65F1-11D1-9611-0000F81E0D0D}

struct IDocHostUIHandlerDispatch;

struct IAxWinHostWindow : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateControl(LPCOLESTR lpTricsData, HWND hWnd, IStream* pStream) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateControlEx(LPCOLESTR lpTricsData, HWND hWnd, IStream* pStream,
                                                      IUnknown** ppUnk, REFIID riidAdvise,
                                                      IUnknown* punkAdvise) = 0;
    virtual HRESULT STDMETHODCALLTYPE AttachControl(IUnknown* pUnkControl, HWND hWnd) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryControl(REFIID riid, void** ppvObject) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetExternalDispatch(IDispatch* pDisp) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetExternalUIHandler(IDocHostUIHandlerDispatch* pDisp) = 0;
};

// IDocHostUIHandler in automation types. Results the host acts on come back
// through the dwRetVal out-parameters; window handles and message parameters
// are DWORD_PTR (pointer-wide on x64).
struct IDocHostUIHandlerDispatch : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD dwID, DWORD x, DWORD y, IUnknown* pcmdtReserved,
                                                      IDispatch* pdispReserved, HRESULT* dwRetVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHostInfo(DWORD* pdwFlags, DWORD* pdwDoubleClick) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShowUI(DWORD dwID, IUnknown* pActiveObject, IUnknown* pCommandTarget,
                                             IUnknown* pFrame, IUnknown* pDoc, HRESULT* dwRetVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE HideUI() = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateUI() = 0;
    virtual HRESULT STDMETHODCALLTYPE EnableModeless(VARIANT_BOOL fEnable) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDocWindowActivate(VARIANT_BOOL fActivate) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(VARIANT_BOOL fActivate) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResizeBorder(long left, long top, long right, long bottom,
                                                   IUnknown* pUIWindow, VARIANT_BOOL fFrameWindow) = 0;
    virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(DWORD_PTR hWnd, DWORD nMessage, DWORD_PTR wParam,
                                                           DWORD_PTR lParam, BSTR bstrGuidCmdGroup,
                                                           DWORD nCmdID, HRESULT* dwRetVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetOptionKeyPath(BSTR* pbstrKey, DWORD dw) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDropTarget(IUnknown* pDropTarget, IUnknown** ppDropTarget) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** ppDispatch) = 0;
    virtual HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD dwTranslate, BSTR bstrURLIn, BSTR* pbstrURLOut) = 0;
    virtual HRESULT STDMETHODCALLTYPE FilterDataObject(IUnknown* pDO, IUnknown** ppDORet) = 0;
};
