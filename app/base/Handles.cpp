#include "app/base/Handles.h"

#include <wininet.h>

namespace handles {
void CloseKernelHandle(HANDLE h) {
    CloseHandle(h);
}
void CloseRegKey(HKEY h) {
    RegCloseKey(h);
}
void CloseInternetHandle(void* h) {
    InternetCloseHandle(h);
}
void DeleteGdiObject(HGDIOBJ h) {
    DeleteObject(h);
}
void DeleteMemoryDc(HDC h) {
    DeleteDC(h);
}
void DestroyMenuHandle(HMENU h) {
    DestroyMenu(h);
}
} // namespace handles
