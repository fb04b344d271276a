#include "ui/Image.h"

#include "ui/PngInfo.h"

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
    // GetObject does not report the top-down orientation (Wine answers a positive
    // height), so the rows are set from what was asked for.
    bits_ = bits;
    pitch_ = int(((int64_t(width) * bpp + 31) / 32) * 4);
    hasAlpha_ = hasAlpha && bpp == 32;
    return true;
}

namespace {

// The stream's bytes, read from its start; the stream is left at its start again.
bool ReadWholeStream(IStream* stream, std::vector<uint8_t>& bytes) {
    STATSTG stat = {};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart == 0 ||
        stat.cbSize.QuadPart > (64u << 20))
        return false;
    LARGE_INTEGER start = {};
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)))
        return false;
    bytes.resize(size_t(stat.cbSize.QuadPart));
    ULONG read = 0;
    const HRESULT hr = stream->Read(bytes.data(), ULONG(bytes.size()), &read);
    bytes.resize(read);
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return SUCCEEDED(hr) && read > 0;
}

// Sets index `value` of pixel x in a row of a 1, 4 or 8 bits-per-pixel DIB.
void PutIndex(uint8_t* row, int x, int bpp, int value) {
    if (bpp == 8) {
        row[x] = uint8_t(value);
    } else if (bpp == 4) {
        uint8_t& b = row[x / 2];
        b = (x % 2) ? uint8_t((b & 0xF0) | (value & 0x0F)) : uint8_t((b & 0x0F) | ((value & 0x0F) << 4));
    } else {
        uint8_t& b = row[x / 8];
        const uint8_t bit = uint8_t(0x80 >> (x % 8));
        b = value ? uint8_t(b | bit) : uint8_t(b & ~bit);
    }
}

} // namespace

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
    std::vector<uint8_t> bytes;
    if (!ReadWholeStream(stream, bytes))
        return E_FAIL;
    const PngInfo png = ReadPngInfo(bytes.data(), bytes.size());

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

    CImage decoded; // filled completely before it replaces this image
    HRESULT hr;
    if (format & PixelFormatIndexed)
        hr = DecodeIndexed(source.Get(), width, height, format, decoded);
    else if (png.valid && png.colorType == kPngPalette && PaletteDibDepth(png.bitDepth) &&
             !png.palette.empty())
        hr = DecodePaletteFromColour(source.Get(), width, height, png, decoded);
    else
        hr = DecodeColour(source.Get(), width, height,
                          (format & PixelFormatAlpha) || (format & PixelFormatPAlpha), decoded);
    if (FAILED(hr))
        return hr;
    GdiFlush();
    TakeOver(decoded);
    return S_OK;
}

namespace {

// The pixels of a locked GDI+ bitmap, unlocked again on scope exit.
class LockedBits {
public:
    LockedBits(gp::GpBitmap* bitmap, UINT width, UINT height, gp::PixelFormat format) : bitmap_(bitmap) {
        gp::GpRect area(0, 0, INT(width), INT(height));
        ok_ = gpflat::GdipBitmapLockBits(bitmap, &area, gp::ImageLockModeRead, format, &data_) == gp::Ok;
    }
    ~LockedBits() {
        if (ok_)
            gpflat::GdipBitmapUnlockBits(bitmap_, &data_);
    }
    LockedBits(const LockedBits&) = delete;
    LockedBits& operator=(const LockedBits&) = delete;
    bool Ok() const { return ok_; }
    const uint8_t* Row(UINT y) const {
        return static_cast<const uint8_t*>(data_.Scan0) + static_cast<ptrdiff_t>(y) * data_.Stride;
    }
    size_t RowBytes() const { return size_t(data_.Stride < 0 ? -data_.Stride : data_.Stride); }

private:
    gp::GpBitmap* bitmap_;
    gp::BitmapData data_ = {};
    bool ok_ = false;
};

} // namespace

uint8_t* CImage::RowOf(int y) const {
    return static_cast<uint8_t*>(bits_) + static_cast<ptrdiff_t>(y) * pitch_;
}

HRESULT CImage::DecodeColour(void* bitmap, UINT width, UINT height, bool alpha, CImage& out) {
    const int bpp = alpha ? 32 : 24;
    if (!out.Create(int(width), int(height), bpp, alpha))
        return E_OUTOFMEMORY;
    LockedBits bits(static_cast<gp::GpBitmap*>(bitmap), width, height,
                    alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB);
    if (!bits.Ok())
        return E_FAIL;
    const size_t rowBytes = size_t(width) * size_t(bpp / 8);
    const size_t n = rowBytes < bits.RowBytes() ? rowBytes : bits.RowBytes();
    for (UINT y = 0; y < height; ++y)
        std::memcpy(out.RowOf(int(y)), bits.Row(y), n);
    return S_OK;
}

HRESULT CImage::DecodeIndexed(void* bitmap, UINT width, UINT height, unsigned format, CImage& out) {
    auto* image = static_cast<gp::GpImage*>(bitmap);
    const int bpp = int(gp::GetPixelFormatSize(format));
    if (bpp != 1 && bpp != 4 && bpp != 8)
        return E_FAIL;
    INT paletteSize = 0;
    if (gpflat::GdipGetImagePaletteSize(image, &paletteSize) != gp::Ok ||
        paletteSize < int(sizeof(gp::ColorPalette)))
        return E_FAIL;
    std::vector<uint8_t> buffer(static_cast<size_t>(paletteSize));
    auto* palette = reinterpret_cast<gp::ColorPalette*>(buffer.data());
    if (gpflat::GdipGetImagePalette(image, palette, paletteSize) != gp::Ok)
        return E_FAIL;
    const UINT fits = UINT((size_t(paletteSize) - offsetof(gp::ColorPalette, Entries)) / sizeof(gp::ARGB));
    UINT count = palette->Count < fits ? palette->Count : fits;
    count = count < (1u << bpp) ? count : (1u << bpp);
    std::vector<RGBQUAD> table;
    for (UINT i = 0; i < count; ++i) {
        const gp::ARGB c = palette->Entries[i];
        table.push_back(RGBQUAD{BYTE(c), BYTE(c >> 8), BYTE(c >> 16), 0}); // transparency dropped
    }
    if (!out.Create(int(width), int(height), bpp, false, table.empty() ? nullptr : table.data(),
                    int(table.size())))
        return E_OUTOFMEMORY;
    LockedBits bits(static_cast<gp::GpBitmap*>(bitmap), width, height, format);
    if (!bits.Ok())
        return E_FAIL;
    const size_t rowBytes = size_t((int64_t(width) * bpp + 7) / 8);
    const size_t n = rowBytes < bits.RowBytes() ? rowBytes : bits.RowBytes();
    for (UINT y = 0; y < height; ++y)
        std::memcpy(out.RowOf(int(y)), bits.Row(y), n);
    return S_OK;
}

HRESULT CImage::DecodePaletteFromColour(void* bitmap, UINT width, UINT height, const PngInfo& png,
                                        CImage& out) {
    const int bpp = PaletteDibDepth(png.bitDepth);
    std::vector<RGBQUAD> table;
    for (const PngColor& c : png.palette) {
        if (table.size() == (1u << bpp))
            break;
        table.push_back(RGBQUAD{c.b, c.g, c.r, 0}); // transparency dropped
    }
    if (!out.Create(int(width), int(height), bpp, false, table.data(), int(table.size())))
        return E_OUTOFMEMORY;
    LockedBits bits(static_cast<gp::GpBitmap*>(bitmap), width, height, PixelFormat32bppARGB);
    if (!bits.Ok() || bits.RowBytes() < size_t(width) * 4)
        return E_FAIL;
    const std::vector<PngColor> usable(png.palette.begin(), png.palette.begin() + table.size());
    for (UINT y = 0; y < height; ++y) {
        const uint8_t* p = bits.Row(y);
        uint8_t* row = out.RowOf(int(y));
        for (UINT x = 0; x < width; ++x, p += 4)
            PutIndex(row, int(x), bpp, PaletteIndexOf(usable, PngColor{p[2], p[1], p[0], p[3]}));
    }
    return S_OK;
}
