#include "ui/Image.h"

#include <gdiplus.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace gp = Gdiplus;
namespace gpflat = Gdiplus::DllExports;

namespace {

// The count of live images and the GDI+ token, under one lock. A function-local
// static is built on first use, that is before the first image (even a static one)
// finishes construction, and so is destroyed after the last one.
class DecoderState {
public:
    DecoderState() { InitializeCriticalSection(&lock_); }
    ~DecoderState() { DeleteCriticalSection(&lock_); }
    DecoderState(const DecoderState&) = delete;
    DecoderState& operator=(const DecoderState&) = delete;

    void Enter() { EnterCriticalSection(&lock_); }
    void Leave() { LeaveCriticalSection(&lock_); }

    // Both with the lock held.
    bool EnsureStarted() {
        if (token_)
            return true;
        gp::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        if (gp::GdiplusStartup(&token, &input, nullptr) != gp::Ok)
            return false;
        token_ = token;
        return true;
    }
    void ShutdownIfUnused() {
        if (live_ == 0 && token_) {
            gp::GdiplusShutdown(token_);
            token_ = 0;
        }
    }

    int live_ = 0;
    ULONG_PTR token_ = 0;

private:
    CRITICAL_SECTION lock_;
};

DecoderState& State() {
    static DecoderState state;
    return state;
}

class Locked {
public:
    Locked() { State().Enter(); }
    ~Locked() { State().Leave(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

// Images larger than this are refused before any allocation: no skin comes close,
// and the row arithmetic below stays far from overflow.
constexpr int kMaxSide = 16384;

class GdipBitmap {
public:
    ~GdipBitmap() {
        if (bitmap_)
            gpflat::GdipDisposeImage(bitmap_);
    }
    gp::GpBitmap** Put() { return &bitmap_; }
    gp::GpBitmap* Get() const { return bitmap_; }

private:
    gp::GpBitmap* bitmap_ = nullptr;
};

} // namespace

CImage::CImage() {
    Locked lock;
    ++State().live_;
}

CImage::~CImage() {
    Destroy();
    Locked lock;
    --State().live_;
    State().ShutdownIfUnused();
}

int CImage::LiveImageCount() {
    Locked lock;
    return State().live_;
}

bool CImage::IsDecoderRunning() {
    Locked lock;
    return State().token_ != 0;
}

void CImage::Destroy() {
    if (bitmap_ && owned_)
        DeleteObject(bitmap_);
    bitmap_ = nullptr;
    owned_ = false;
    width_ = height_ = bpp_ = pitch_ = 0;
    bits_ = nullptr;
    hasAlpha_ = false;
}

void CImage::ReadAttributes(const DIBSECTION& ds) {
    width_ = ds.dsBm.bmWidth;
    height_ = ds.dsBm.bmHeight;
    bpp_ = ds.dsBm.bmBitsPixel;
    const int stride = ds.dsBm.bmWidthBytes;
    auto* base = static_cast<uint8_t*>(ds.dsBm.bmBits);
    if (ds.dsBmih.biHeight > 0) { // bottom-up: the top row is the last in memory
        bits_ = base ? base + static_cast<ptrdiff_t>(height_ - 1) * stride : nullptr;
        pitch_ = -stride;
    } else {
        bits_ = base;
        pitch_ = stride;
    }
}

bool CImage::Attach(HBITMAP dib) {
    Destroy();
    if (!dib)
        return false;
    DIBSECTION ds = {};
    if (GetObjectW(dib, sizeof ds, &ds) != sizeof ds || !ds.dsBm.bmBits) {
        DeleteObject(dib);
        return false;
    }
    bitmap_ = dib;
    owned_ = true;
    ReadAttributes(ds);
    hasAlpha_ = false;
    return true;
}

void CImage::AttachView(const CImage& source) {
    if (&source == this)
        return;
    Destroy();
    bitmap_ = source.bitmap_;
    owned_ = false;
    width_ = source.width_;
    height_ = source.height_;
    bpp_ = source.bpp_;
    pitch_ = source.pitch_;
    bits_ = source.bits_;
    hasAlpha_ = source.hasAlpha_;
}

bool CImage::Create(int width, int height, int bpp, bool hasAlpha, const RGBQUAD* palette, int paletteCount) {
    Destroy();
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return false;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
        return false;
    const int tableSize = bpp <= 8 ? (1 << bpp) : 0;
    if (paletteCount < 0 || paletteCount > tableSize)
        paletteCount = tableSize;

    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * (tableSize ? tableSize : 1));
    auto* bmi = reinterpret_cast<BITMAPINFO*>(info.data());
    bmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi->bmiHeader.biWidth = width;
    bmi->bmiHeader.biHeight = -height; // top-down
    bmi->bmiHeader.biPlanes = 1;
    bmi->bmiHeader.biBitCount = WORD(bpp);
    bmi->bmiHeader.biCompression = BI_RGB;
    if (tableSize) {
        bmi->bmiHeader.biClrUsed = DWORD(tableSize);
        if (palette && paletteCount)
            std::memcpy(bmi->bmiColors, palette, sizeof(RGBQUAD) * paletteCount);
    }
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !Attach(dib))
        return false;
    hasAlpha_ = hasAlpha && bpp == 32;
    return true;
}

HRESULT CImage::Load(IStream* stream) {
    Destroy();
    if (!stream)
        return E_POINTER;

    // The lock is held for the whole decode, so GDI+ cannot be shut down under it.
    Locked lock;
    if (!State().EnsureStarted())
        return E_FAIL;

    GdipBitmap source;
    if (gpflat::GdipCreateBitmapFromStream(stream, source.Put()) != gp::Ok || !source.Get())
        return E_FAIL;

    UINT width = 0, height = 0;
    gp::PixelFormat format = 0;
    gp::GpImage* image = source.Get();
    if (gpflat::GdipGetImageWidth(image, &width) != gp::Ok ||
        gpflat::GdipGetImageHeight(image, &height) != gp::Ok ||
        gpflat::GdipGetImagePixelFormat(image, &format) != gp::Ok)
        return E_FAIL;
    if (width == 0 || height == 0 || width > UINT(kMaxSide) || height > UINT(kMaxSide))
        return E_FAIL;

    int bpp = 24;
    bool alpha = false;
    gp::PixelFormat lockFormat = PixelFormat24bppRGB;
    std::vector<RGBQUAD> table;
    if (format & PixelFormatIndexed) {
        bpp = int(gp::GetPixelFormatSize(format));
        if (bpp != 1 && bpp != 4 && bpp != 8)
            return E_FAIL;
        lockFormat = format;
        INT paletteSize = 0;
        if (gpflat::GdipGetImagePaletteSize(image, &paletteSize) != gp::Ok ||
            paletteSize < int(sizeof(gp::ColorPalette)))
            return E_FAIL;
        std::vector<uint8_t> buffer(static_cast<size_t>(paletteSize));
        auto* palette = reinterpret_cast<gp::ColorPalette*>(buffer.data());
        if (gpflat::GdipGetImagePalette(image, palette, paletteSize) != gp::Ok)
            return E_FAIL;
        const UINT fits = UINT((paletteSize - offsetof(gp::ColorPalette, Entries)) / sizeof(gp::ARGB));
        const UINT count = palette->Count < fits ? palette->Count : fits;
        const UINT entries = count < (1u << bpp) ? count : (1u << bpp);
        for (UINT i = 0; i < entries; ++i) {
            const gp::ARGB c = palette->Entries[i];
            // Palette transparency is dropped: the reserved byte stays 0.
            table.push_back(RGBQUAD{BYTE(c), BYTE(c >> 8), BYTE(c >> 16), 0});
        }
    } else if ((format & PixelFormatAlpha) || (format & PixelFormatPAlpha)) {
        bpp = 32;
        alpha = true;
        lockFormat = PixelFormat32bppARGB;
    }

    CImage decoded; // filled completely before it replaces this image
    if (!decoded.Create(int(width), int(height), bpp, alpha, table.empty() ? nullptr : table.data(),
                        int(table.size())))
        return E_OUTOFMEMORY;

    gp::GpRect area(0, 0, INT(width), INT(height));
    gp::BitmapData data = {};
    if (gpflat::GdipBitmapLockBits(source.Get(), &area, gp::ImageLockModeRead, lockFormat, &data) != gp::Ok)
        return E_FAIL;
    const size_t copyBytes = size_t((int64_t(width) * bpp + 7) / 8);
    const size_t sourceBytes = size_t(data.Stride < 0 ? -data.Stride : data.Stride);
    const size_t n = copyBytes < sourceBytes ? copyBytes : sourceBytes;
    for (UINT y = 0; y < height; ++y) {
        const auto* from = static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
        auto* to = static_cast<uint8_t*>(decoded.bits_) + static_cast<ptrdiff_t>(y) * decoded.pitch_;
        std::memcpy(to, from, n);
    }
    gpflat::GdipBitmapUnlockBits(source.Get(), &data);
    GdiFlush();

    // Hand the bitmap over.
    bitmap_ = decoded.bitmap_;
    owned_ = true;
    width_ = decoded.width_;
    height_ = decoded.height_;
    bpp_ = decoded.bpp_;
    pitch_ = decoded.pitch_;
    bits_ = decoded.bits_;
    hasAlpha_ = decoded.hasAlpha_;
    decoded.owned_ = false;
    decoded.bitmap_ = nullptr;
    return S_OK;
}
