#include "tests/ui/gdi_counter.h"

#include <cstring>
#include <mutex>
#include <set>

namespace gdicount {
namespace {

std::mutex g_lock;
std::set<HANDLE> g_live;
int g_created = 0;

template <typename H> H Add(H h) {
    if (h) {
        std::lock_guard<std::mutex> lock(g_lock);
        g_live.insert(HANDLE(h));
        ++g_created;
    }
    return h;
}

void Remove(HANDLE h) {
    std::lock_guard<std::mutex> lock(g_lock);
    g_live.erase(h);
}

decltype(&CreateCompatibleDC) real_CreateCompatibleDC;
decltype(&DeleteDC) real_DeleteDC;
decltype(&CreateCompatibleBitmap) real_CreateCompatibleBitmap;
decltype(&CreateDIBSection) real_CreateDIBSection;
decltype(&CreateFontW) real_CreateFontW;
decltype(&CreateRoundRectRgn) real_CreateRoundRectRgn;
decltype(&DeleteObject) real_DeleteObject;
decltype(&GetDC) real_GetDC;
decltype(&ReleaseDC) real_ReleaseDC;
decltype(&SetWindowRgn) real_SetWindowRgn;
decltype(&LoadImageW) real_LoadImageW;

HDC WINAPI Hook_CreateCompatibleDC(HDC dc) {
    return Add(real_CreateCompatibleDC(dc));
}
BOOL WINAPI Hook_DeleteDC(HDC dc) {
    BOOL ok = real_DeleteDC(dc);
    if (ok)
        Remove(dc);
    return ok;
}
HBITMAP WINAPI Hook_CreateCompatibleBitmap(HDC dc, int w, int h) {
    return Add(real_CreateCompatibleBitmap(dc, w, h));
}
HBITMAP WINAPI Hook_CreateDIBSection(HDC dc, const BITMAPINFO* bmi, UINT usage, void** bits, HANDLE section,
                                     DWORD offset) {
    return Add(real_CreateDIBSection(dc, bmi, usage, bits, section, offset));
}
HFONT WINAPI Hook_CreateFontW(int h, int w, int e, int o, int weight, DWORD i, DWORD u, DWORD s, DWORD cs,
                              DWORD op, DWORD cp, DWORD q, DWORD pf, LPCWSTR face) {
    return Add(real_CreateFontW(h, w, e, o, weight, i, u, s, cs, op, cp, q, pf, face));
}
HRGN WINAPI Hook_CreateRoundRectRgn(int l, int t, int r, int b, int w, int h) {
    return Add(real_CreateRoundRectRgn(l, t, r, b, w, h));
}
BOOL WINAPI Hook_DeleteObject(HGDIOBJ obj) {
    BOOL ok = real_DeleteObject(obj);
    if (ok)
        Remove(obj);
    return ok;
}
HDC WINAPI Hook_GetDC(HWND hwnd) {
    return Add(real_GetDC(hwnd));
}
int WINAPI Hook_ReleaseDC(HWND hwnd, HDC dc) {
    int ok = real_ReleaseDC(hwnd, dc);
    if (ok)
        Remove(dc);
    return ok;
}
int WINAPI Hook_SetWindowRgn(HWND hwnd, HRGN rgn, BOOL redraw) {
    int ok = real_SetWindowRgn(hwnd, rgn, redraw);
    if (ok && rgn)
        Remove(rgn); // the window owns it now
    return ok;
}
HANDLE WINAPI Hook_LoadImageW(HINSTANCE inst, LPCWSTR name, UINT type, int w, int h, UINT flags) {
    HANDLE image = real_LoadImageW(inst, name, type, w, h, flags);
    return (type == IMAGE_BITMAP && !(flags & LR_SHARED)) ? Add(image) : image;
}

struct Hook {
    const char* module;
    const char* name;
    void* replacement;
    void** original;
};

// Replaces every import-table entry that points at the function with the hook.
void Patch(const Hook& hook) {
    HMODULE target = GetModuleHandleA(hook.module);
    void* real = target ? reinterpret_cast<void*>(GetProcAddress(target, hook.name)) : nullptr;
    if (!real)
        return;
    *hook.original = real;
    auto* base = reinterpret_cast<uint8_t*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        for (auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk); thunk->u1.Function;
             ++thunk) {
            auto* slot = reinterpret_cast<void**>(&thunk->u1.Function);
            if (*slot != real)
                continue;
            DWORD old = 0;
            VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old);
            *slot = hook.replacement;
            VirtualProtect(slot, sizeof(void*), old, &old);
        }
    }
}

} // namespace

void Install() {
    static std::once_flag once;
    std::call_once(once, [] {
        const Hook hooks[] = {
            {"gdi32.dll", "CreateCompatibleDC", (void*)Hook_CreateCompatibleDC,
             (void**)&real_CreateCompatibleDC},
            {"gdi32.dll", "DeleteDC", (void*)Hook_DeleteDC, (void**)&real_DeleteDC},
            {"gdi32.dll", "CreateCompatibleBitmap", (void*)Hook_CreateCompatibleBitmap,
             (void**)&real_CreateCompatibleBitmap},
            {"gdi32.dll", "CreateDIBSection", (void*)Hook_CreateDIBSection, (void**)&real_CreateDIBSection},
            {"gdi32.dll", "CreateFontW", (void*)Hook_CreateFontW, (void**)&real_CreateFontW},
            {"gdi32.dll", "CreateRoundRectRgn", (void*)Hook_CreateRoundRectRgn,
             (void**)&real_CreateRoundRectRgn},
            {"gdi32.dll", "DeleteObject", (void*)Hook_DeleteObject, (void**)&real_DeleteObject},
            {"user32.dll", "GetDC", (void*)Hook_GetDC, (void**)&real_GetDC},
            {"user32.dll", "ReleaseDC", (void*)Hook_ReleaseDC, (void**)&real_ReleaseDC},
            {"user32.dll", "SetWindowRgn", (void*)Hook_SetWindowRgn, (void**)&real_SetWindowRgn},
            {"user32.dll", "LoadImageW", (void*)Hook_LoadImageW, (void**)&real_LoadImageW},
        };
        for (const Hook& h : hooks)
            Patch(h);
    });
}

int Live() {
    std::lock_guard<std::mutex> lock(g_lock);
    return int(g_live.size());
}

std::vector<HANDLE> LiveHandles() {
    std::lock_guard<std::mutex> lock(g_lock);
    return std::vector<HANDLE>(g_live.begin(), g_live.end());
}

int Created() {
    std::lock_guard<std::mutex> lock(g_lock);
    return g_created;
}

} // namespace gdicount
