#include "ui/Image.h"

#include "ui/WicDecode.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// The count of live images. Constant-initialised, so it is ready before any static
// image is built and outlives the last one.
std::atomic<int> g_liveImages{0};

} // namespace

CImage::CImage() {
    ++g_liveImages;
}

CImage::~CImage() {
    Destroy();
    --g_liveImages;
}

int CImage::LiveImageCount() {
    return g_liveImages.load();
}

void CImage::Destroy() {
    if (bitmap_ && owned_)
        DeleteObject(bitmap_);
    bitmap_ = nullptr;
    owned_ = false;
    width_ = height_ = bpp_ = pitch_ = 0;
    bits_ = nullptr;
    hasAlpha_ = false;
    shared_.reset(); // last: it may hold the bitmap just forgotten
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
    std::shared_ptr<const CImage> keep = source.shared_; // before this image lets go of its own
    Destroy();
    shared_ = std::move(keep);
    bitmap_ = source.bitmap_;
    owned_ = false;
    width_ = source.width_;
    height_ = source.height_;
    bpp_ = source.bpp_;
    pitch_ = source.pitch_;
    bits_ = source.bits_;
    hasAlpha_ = source.hasAlpha_;
}

void CImage::AttachShared(std::shared_ptr<const CImage> decoded) {
    Destroy();
    if (!decoded || decoded->IsNull())
        return;
    AttachView(*decoded);
    shared_ = std::move(decoded);
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
    // GetObject does not report the top-down orientation (Wine answers a positive
    // height), so the rows are set from what was asked for.
    bits_ = bits;
    pitch_ = int(((int64_t(width) * bpp + 31) / 32) * 4);
    hasAlpha_ = hasAlpha && bpp == 32;
    return true;
}

void CImage::TakeOver(CImage& decoded) {
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
}

HRESULT CImage::Load(IStream* stream) {
    Destroy();
    if (!stream)
        return E_POINTER;
    const LARGE_INTEGER start = {};
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)))
        return E_FAIL;
    CImage decoded; // filled completely before it replaces this image
    const HRESULT hr = DecodeWithWic(stream, decoded);
    if (FAILED(hr))
        return hr;
    GdiFlush();
    TakeOver(decoded);
    return S_OK;
}
