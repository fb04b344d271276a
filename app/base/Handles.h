// Move-only owners for the Win32 handles and COM pointers the launcher holds.
// Every handle the code opens goes into one of these, so each early return
// closes it, and a copy (a double close waiting to happen) does not compile.
#pragma once

#include <windows.h>

#include <utility>

// Closers are out of line so that <wininet.h> stays in one file.
namespace handles {
void CloseKernelHandle(HANDLE h);
void CloseRegKey(HKEY h);
void CloseInternetHandle(void* h);
void DeleteGdiObject(HGDIOBJ h);
void DeleteMemoryDc(HDC h);
void DestroyMenuHandle(HMENU h);
} // namespace handles

template <typename T, void (*Close)(T), T Invalid = T{}> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T h) : h_(h) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o)
            Reset(o.Release());
        return *this;
    }

    T Get() const { return h_; }
    explicit operator bool() const { return h_ != Invalid; }
    T Release() { return std::exchange(h_, Invalid); }
    void Reset(T h = Invalid) {
        T old = std::exchange(h_, h);
        if (old != Invalid)
            Close(old);
    }
    // For out-parameters: closes what is held, then lends the slot.
    T* Put() {
        Reset();
        return &h_;
    }

private:
    T h_ = Invalid;
};

// Kernel handles come back as NULL from some calls and INVALID_HANDLE_VALUE from
// others (CreateFile, CreateToolhelp32Snapshot); both count as empty here.
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE h) { Reset(h); }
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& o) noexcept : h_(o.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& o) noexcept {
        if (this != &o)
            Reset(o.Release());
        return *this;
    }
    HANDLE Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    HANDLE Release() { return std::exchange(h_, nullptr); }
    void Reset(HANDLE h = nullptr) {
        HANDLE old = std::exchange(h_, h == INVALID_HANDLE_VALUE ? nullptr : h);
        if (old)
            handles::CloseKernelHandle(old);
    }

private:
    HANDLE h_ = nullptr;
};

using ScopedRegKey = UniqueHandle<HKEY, handles::CloseRegKey>;
using ScopedInternet = UniqueHandle<void*, handles::CloseInternetHandle>; // HINTERNET
using ScopedMemoryDc = UniqueHandle<HDC, handles::DeleteMemoryDc>;        // CreateCompatibleDC
using ScopedMenu = UniqueHandle<HMENU, handles::DestroyMenuHandle>;

template <typename G> void DeleteGdi(G h) {
    handles::DeleteGdiObject(h);
}
template <typename G> using ScopedGdi = UniqueHandle<G, DeleteGdi<G>>;
using ScopedBitmap = ScopedGdi<HBITMAP>;
using ScopedFont = ScopedGdi<HFONT>;
using ScopedBrush = ScopedGdi<HBRUSH>;
using ScopedRegion = ScopedGdi<HRGN>;

// GetDC/ReleaseDC pair for a window (or the screen when hwnd is null).
class ScopedWindowDc {
public:
    explicit ScopedWindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~ScopedWindowDc() {
        if (dc_)
            ReleaseDC(hwnd_, dc_);
    }
    ScopedWindowDc(const ScopedWindowDc&) = delete;
    ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Selects a GDI object into a DC and puts the previous one back on scope exit.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(dc && obj ? SelectObject(dc, obj) : nullptr) {}
    ~ScopedSelect() {
        if (old_)
            SelectObject(dc_, old_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// SaveDC/RestoreDC pair.
class ScopedSaveDc {
public:
    explicit ScopedSaveDc(HDC dc) : dc_(dc), saved_(dc ? SaveDC(dc) : 0) {}
    ~ScopedSaveDc() {
        if (saved_)
            RestoreDC(dc_, saved_);
    }
    ScopedSaveDc(const ScopedSaveDc&) = delete;
    ScopedSaveDc& operator=(const ScopedSaveDc&) = delete;

private:
    HDC dc_;
    int saved_;
};

// Owning COM interface pointer.
template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes over a reference the caller already holds.
    static ComPtr Attach(T* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    // Adds a reference of its own.
    static ComPtr Share(T* p) {
        if (p)
            p->AddRef();
        return Attach(p);
    }
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr& o) : p_(o.p_) {
        if (p_)
            p_->AddRef();
    }
    ComPtr& operator=(const ComPtr& o) {
        ComPtr copy(o);
        std::swap(p_, copy.p_);
        return *this;
    }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            Reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T* Detach() { return std::exchange(p_, nullptr); }
    void Reset() {
        if (T* old = std::exchange(p_, nullptr))
            old->Release();
    }
    // For out-parameters of creation and QueryInterface calls.
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    template <typename U> ComPtr<U> As(REFIID iid) const {
        ComPtr<U> out;
        if (p_)
            p_->QueryInterface(iid, out.PutVoid());
        return out;
    }

private:
    T* p_ = nullptr;
};
