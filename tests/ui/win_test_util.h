// Helpers of the toolkit's Windows tests: a 32-bit DIB canvas whose pixels can be
// read back, and the raw bytes of the test program's own resources.
#pragma once

#include "app/base/Handles.h"
#include "ui/Image.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// RGB as a number 0xRRGGBB, for readable expectations.
constexpr uint32_t Rgb(int r, int g, int b) {
    return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

class Canvas {
public:
    Canvas(int width, int height, uint32_t fill = 0) : dc_(CreateCompatibleDC(nullptr)) {
        image_.Create(width, height, 32, false);
        select_ = std::make_unique<ScopedSelect>(dc_.Get(), image_.GetHandle());
        Fill(fill);
    }
    HDC Dc() const { return dc_.Get(); }
    int Width() const { return image_.GetWidth(); }
    int Height() const { return image_.GetHeight(); }
    void Fill(uint32_t rgb) {
        GdiFlush();
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x)
                Row(y)[x] = rgb;
    }
    // 0xRRGGBB of a pixel (the alpha byte is dropped).
    uint32_t At(int x, int y) const {
        GdiFlush();
        return Row(y)[x] & 0xFFFFFF;
    }
    uint32_t Alpha(int x, int y) const {
        GdiFlush();
        return Row(y)[x] >> 24;
    }
    // Number of pixels outside `r` that differ from `rgb`.
    int ChangedOutside(const RECT& r, uint32_t rgb) const {
        int n = 0;
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x)
                if (!(x >= r.left && x < r.right && y >= r.top && y < r.bottom) && At(x, y) != rgb)
                    ++n;
        return n;
    }
    int CountOf(uint32_t rgb) const {
        int n = 0;
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x)
                n += At(x, y) == rgb;
        return n;
    }
    const CImage& Image() const { return image_; }

private:
    uint32_t* Row(int y) const {
        return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(image_.GetBits()) +
                                           ptrdiff_t(y) * image_.GetPitch());
    }
    CImage image_;
    ScopedMemoryDc dc_;
    std::unique_ptr<ScopedSelect> select_;
};

inline std::vector<uint8_t> ResourceBytes(WORD id, const wchar_t* type = L"PNG") {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(self, MAKEINTRESOURCEW(id), type);
    if (!res)
        return {};
    const auto* p = static_cast<const uint8_t*>(LockResource(LoadResource(self, res)));
    return std::vector<uint8_t>(p, p + SizeofResource(self, res));
}

// Pixel of a decoded image as B, G, R(, A) bytes.
inline std::vector<uint8_t> PixelBytes(const CImage& image, int x, int y) {
    GdiFlush();
    const int n = image.GetBPP() / 8;
    const auto* p = static_cast<const uint8_t*>(image.GetBits()) + ptrdiff_t(y) * image.GetPitch() + x * n;
    return std::vector<uint8_t>(p, p + n);
}

inline bool Near(uint32_t a, uint32_t b, int tolerance = 1) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int ca = int((a >> shift) & 0xFF), cb = int((b >> shift) & 0xFF);
        if (ca - cb > tolerance || cb - ca > tolerance)
            return false;
    }
    return true;
}
