#include "browser/host/AxInterfaces.h"

extern "C" const IID IID_IAxWinHostWindow = {
    0xB6EA2050, 0x048A, 0x11D1, {0x82, 0xB9, 0x00, 0xC0, 0x4F, 0xB9, 0x94, 0x2E}};
extern "C" const IID IID_IDocHostUIHandlerDispatch = {
    0x425B5AF0, 0x65F1, 0x11D1, {0x96, 0x11, 0x00, 0x00, 0xF8, 0x1E, 0x0D, 0x0D}};

UINT AxGetControlMessage() {
    static const UINT message = RegisterWindowMessageW(L"WM_ATLGETCONTROL");
    return message;
}

UINT AxGetHostMessage() {
    static const UINT message = RegisterWindowMessageW(L"WM_ATLGETHOST");
    return message;
}
