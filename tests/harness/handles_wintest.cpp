// The handle owners against the real system: what they hold is closed exactly once.
#include "app/base/Handles.h"

#include <gtest/gtest.h>
#include <wininet.h>

#include <string>

namespace {

bool IsOpenHandle(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != 0;
}

TEST(Handles, KernelHandleIsClosedOnceAndMoves) {
    HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(raw);
    {
        ScopedHandle a(raw);
        ScopedHandle b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.Get(), raw);
        EXPECT_TRUE(IsOpenHandle(raw));
    }
#ifdef GANTRY_BREAK_ASSERTION
    EXPECT_TRUE(IsOpenHandle(raw)); // deliberately wrong: this copy must fail
#else
    EXPECT_FALSE(IsOpenHandle(raw));
#endif
}

TEST(Handles, InvalidHandleValueCountsAsEmpty) {
    ScopedHandle file(
        CreateFileW(L"Z:\\no\\such\\dir\\file.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(file);
}

TEST(Handles, RegistryKeyRoundTrip) {
    const wchar_t* path = L"Software\\GantryHarnessTest";
    {
        ScopedRegKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(),
                                  nullptr),
                  ERROR_SUCCESS);
        DWORD value = 42;
        ASSERT_EQ(
            RegSetValueExW(key.Get(), L"v", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value),
            ERROR_SUCCESS);
    }
    ScopedRegKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, key.Put()), ERROR_SUCCESS);
    DWORD value = 0, size = sizeof value;
    ASSERT_EQ(RegQueryValueExW(key.Get(), L"v", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 42u);
    key.Reset();
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, path), ERROR_SUCCESS);
}

// Wine's GetGuiResources answers 0, so deletion is checked per object instead.
TEST(Handles, GdiObjectsAreDeletedAndDeselected) {
    HDC rawDc = nullptr;
    HBITMAP rawBmp = nullptr;
    HBRUSH rawBrush = nullptr;
    {
        ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
        ASSERT_TRUE(dc);
        ScopedWindowDc screen(nullptr); // a memory DC alone would give a 1-bit bitmap
        ScopedBitmap bmp(CreateCompatibleBitmap(screen.Get(), 8, 8));
        ASSERT_TRUE(bmp);
        HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_BITMAP);
        {
            ScopedSelect sel(dc.Get(), bmp.Get());
            ScopedBrush brush(CreateSolidBrush(RGB(1, 2, 3)));
            RECT r = {0, 0, 8, 8};
            FillRect(dc.Get(), &r, brush.Get());
            EXPECT_EQ(GetPixel(dc.Get(), 3, 3), RGB(1, 2, 3));
            rawBrush = brush.Get();
        }
        EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BITMAP), original);
        rawDc = dc.Get();
        rawBmp = bmp.Get();
    }
    EXPECT_EQ(GetObjectType(rawBrush), 0u);
    EXPECT_EQ(GetObjectType(rawBmp), 0u);
    EXPECT_EQ(GetObjectType(rawDc), 0u);
}

TEST(Handles, InternetHandleOpensAndCloses) {
    ScopedInternet session(InternetOpenW(L"harness", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    ASSERT_TRUE(session);
    ScopedInternet moved = std::move(session);
    EXPECT_FALSE(session);
    EXPECT_TRUE(moved);
}

struct CountedUnknown : IUnknown {
    ULONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

TEST(Handles, ComPtrBalancesReferences) {
    CountedUnknown obj;
    {
        ComPtr<IUnknown> a = ComPtr<IUnknown>::Share(&obj);
        EXPECT_EQ(obj.refs, 2u);
        ComPtr<IUnknown> b = a;
        EXPECT_EQ(obj.refs, 3u);
        ComPtr<IUnknown> c = std::move(b);
        EXPECT_EQ(obj.refs, 3u);
        ComPtr<IUnknown> d = a.As<IUnknown>(IID_IUnknown);
        EXPECT_EQ(obj.refs, 4u);
    }
    EXPECT_EQ(obj.refs, 1u);
}

LRESULT CALLBACK DoublingWindowProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_APP + 7)
        return static_cast<LRESULT>(w * 2 + l);
    return DefWindowProcW(h, m, w, l);
}

TEST(Handles, RealWindowReceivesSentMessages) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DoublingWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"GantryHarnessWindow";
    ASSERT_TRUE(RegisterClassW(&wc));
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                wc.hInstance, nullptr);
    ASSERT_TRUE(hwnd);
    EXPECT_EQ(SendMessageW(hwnd, WM_APP + 7, 20, 2), 42);
    DestroyWindow(hwnd);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

} // namespace
