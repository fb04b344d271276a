#include "ui/WicDecode.h"

#include "app/base/Handles.h"
#include "ui/PngInfo.h"

#include <wincodec.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace {

// COM for one decode on a thread without it. A thread that has an apartment, of
// either kind, keeps it as it is (RPC_E_CHANGED_MODE is no failure here: COM is up).
class ComForThisCall {
public:
    ComForThisCall() : hr_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComForThisCall() {
        if (SUCCEEDED(hr_))
            CoUninitialize();
    }
    ComForThisCall(const ComForThisCall&) = delete;
    ComForThisCall& operator=(const ComForThisCall&) = delete;

private:
    HRESULT hr_;
};

// The bits per index of an indexed WIC format; 0 for any other format.
int IndexBits(const WICPixelFormatGUID& format) {
    const std::pair<const GUID*, int> indexed[] = {{&GUID_WICPixelFormat1bppIndexed, 1},
                                                   {&GUID_WICPixelFormat2bppIndexed, 2},
                                                   {&GUID_WICPixelFormat4bppIndexed, 4},
                                                   {&GUID_WICPixelFormat8bppIndexed, 8}};
    for (const auto& [guid, bits] : indexed) {
        if (IsEqualGUID(format, *guid))
            return bits;
    }
    return 0;
}

// Formats that carry transparency, straight or premultiplied, that a decoder may
// hand back: the image then becomes 32 bits with alpha.
bool HasAlpha(const WICPixelFormatGUID& format) {
    const GUID* withAlpha[] = {&GUID_WICPixelFormat32bppBGRA,       &GUID_WICPixelFormat32bppRGBA,
                               &GUID_WICPixelFormat32bppPBGRA,      &GUID_WICPixelFormat32bppPRGBA,
                               &GUID_WICPixelFormat64bppRGBA,       &GUID_WICPixelFormat64bppBGRA,
                               &GUID_WICPixelFormat64bppPRGBA,      &GUID_WICPixelFormat64bppPBGRA,
                               &GUID_WICPixelFormat128bppRGBAFloat, &GUID_WICPixelFormat128bppPRGBAFloat};
    for (const GUID* guid : withAlpha) {
        if (IsEqualGUID(format, *guid))
            return true;
    }
    return false;
}

// Sets index `value` of pixel x in a row of a 1, 4 or 8 bits-per-pixel DIB.
void PutIndex(uint8_t* row, UINT x, int bpp, int value) {
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

uint8_t* RowOf(const CImage& image, UINT y) {
    return static_cast<uint8_t*>(image.GetBits()) + static_cast<ptrdiff_t>(y) * image.GetPitch();
}

// The source's pixels written into the DIB's rows as they are (the DIB is top-down,
// so its rows are the buffer WIC fills).
HRESULT CopyInto(IWICBitmapSource* source, CImage& out) {
    const UINT stride = UINT(out.GetPitch());
    return source->CopyPixels(nullptr, stride, stride * UINT(out.GetHeight()),
                              static_cast<BYTE*>(out.GetBits()));
}

// The source converted to `format` (or itself when it already is that format).
HRESULT Converted(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, const WICPixelFormatGUID& from,
                  REFWICPixelFormatGUID to, ComPtr<IWICBitmapSource>& out) {
    if (IsEqualGUID(from, to)) {
        out = ComPtr<IWICBitmapSource>::Share(frame);
        return S_OK;
    }
    ComPtr<IWICFormatConverter> converter;
    HRESULT hr = factory->CreateFormatConverter(converter.Put());
    if (SUCCEEDED(hr))
        hr = converter->Initialize(frame, to, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
    if (SUCCEEDED(hr))
        out = ComPtr<IWICBitmapSource>::Share(converter.Get());
    return hr;
}

HRESULT DecodeIndexed(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, UINT width, UINT height,
                      int bits, CImage& out) {
    ComPtr<IWICPalette> palette;
    UINT count = 0;
    HRESULT hr = factory->CreatePalette(palette.Put());
    if (SUCCEEDED(hr))
        hr = frame->CopyPalette(palette.Get());
    if (SUCCEEDED(hr))
        hr = palette->GetColorCount(&count);
    std::vector<WICColor> colours(count);
    if (SUCCEEDED(hr) && count)
        hr = palette->GetColors(count, colours.data(), &count);
    if (FAILED(hr))
        return hr;
    const int depth = PaletteDibDepth(bits);
    std::vector<RGBQUAD> table;
    for (UINT i = 0; i < count && table.size() < (1u << depth); ++i) {
        const WICColor c = colours[i];
        table.push_back(RGBQUAD{BYTE(c), BYTE(c >> 8), BYTE(c >> 16), 0}); // transparency dropped
    }
    if (!out.Create(int(width), int(height), depth, false, table.empty() ? nullptr : table.data(),
                    int(table.size())))
        return E_OUTOFMEMORY;
    if (depth == bits)
        return CopyInto(frame, out);
    // 2-bit indices, which no DIB holds: each is widened to 4 bits.
    const UINT stride = (width * 2 + 7) / 8;
    std::vector<uint8_t> packed(size_t(stride) * height);
    hr = frame->CopyPixels(nullptr, stride, UINT(packed.size()), packed.data());
    if (FAILED(hr))
        return hr;
    for (UINT y = 0; y < height; ++y) {
        const uint8_t* source = &packed[size_t(y) * stride];
        for (UINT x = 0; x < width; ++x)
            PutIndex(RowOf(out, y), x, depth, (source[x / 4] >> (6 - 2 * (x % 4))) & 3);
    }
    return S_OK;
}

} // namespace

HRESULT DecodeWithWic(IStream* stream, CImage& out) {
    ComForThisCall com;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, factory.PutVoid());
    if (SUCCEEDED(hr))
        hr = factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, decoder.Put());
    if (SUCCEEDED(hr))
        hr = decoder->GetFrame(0, frame.Put());
    UINT width = 0, height = 0;
    WICPixelFormatGUID format = {};
    if (SUCCEEDED(hr))
        hr = frame->GetSize(&width, &height);
    if (SUCCEEDED(hr))
        hr = frame->GetPixelFormat(&format);
    if (FAILED(hr))
        return hr;
    // Refused before this side allocates anything: no skin comes close, and the row
    // arithmetic stays far from overflow.
    if (width == 0 || height == 0 || width > UINT(CImage::kMaxSide) || height > UINT(CImage::kMaxSide))
        return E_FAIL;

    if (const int bits = IndexBits(format))
        return DecodeIndexed(factory.Get(), frame.Get(), width, height, bits, out);
    const bool alpha = HasAlpha(format);
    ComPtr<IWICBitmapSource> pixels;
    hr = Converted(factory.Get(), frame.Get(), format,
                   alpha ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR, pixels);
    if (FAILED(hr))
        return hr;
    if (!out.Create(int(width), int(height), alpha ? 32 : 24, alpha))
        return E_OUTOFMEMORY;
    return CopyInto(pixels.Get(), out);
}
