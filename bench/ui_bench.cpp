// Figures for the skin: decoding and premultiplying the 1200 x 760 artwork, and one
// full repaint of a 1200 x 760 form carrying the login window's controls.
// Prints milliseconds per operation; the target for each is under 10 ms. The
// platform's decoders alone (WIC's PNG decoder, GDI+) are timed in the same run,
// and our decode is given as a ratio to the fastest of them.
#include "app/base/Handles.h"
#include "res/resource.h"
#include "tests/ui/test_window.h"
#include "ui/Blit.h"
#include "ui/KoButton.h"
#include "ui/KoImage.h"
#include "ui/KoLabel.h"
#include "ui/PngResource.h"

#include <gdiplus.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

HINSTANCE Self() {
    return GetModuleHandleW(nullptr);
}

class LoginLike : public CKoForm {
public:
    bool Init() {
        SetBounds({0, 0, 1200, 760});
        if (!Create(testwindow::ClassName(), L"OrvoValdrenna", Self(), nullptr))
            return false;
        background.isAlphaPng = LoadPngResource(Self(), IDB_LOGIN_BACK, background.image);
        background.blendMode = false;
        background.imageInsets = {5, 5, 5, 5};
        background.SetBounds({0, 0, 1200, 760});
        AddControl(&background);
        struct {
            CKoButton* b;
            UINT normal, hover;
            RECT r;
        } buttons[] = {{&minimise, IDB_LOGIN_MINIMIZE, IDB_LOGIN_MINIMIZE_HOVER, {965, 96, 986, 117}},
                       {&close, IDB_LOGIN_CLOSE, IDB_LOGIN_CLOSE_HOVER, {989, 85, 1019, 114}},
                       {&home, IDB_LOGIN_HOME, IDB_LOGIN_HOME_HOVER, {533, 85, 630, 111}},
                       {&pay, IDB_LOGIN_PAY, IDB_LOGIN_PAY_HOVER, {634, 85, 731, 111}},
                       {&service, IDB_LOGIN_SERVICE, IDB_LOGIN_SERVICE_HOVER, {735, 85, 832, 111}},
                       {&forum, IDB_LOGIN_FORUM, IDB_LOGIN_FORUM_HOVER, {837, 85, 934, 111}}};
        for (auto& b : buttons) {
            b.b->SetImages(b.normal, Self(), b.hover, b.hover);
            b.b->SetBounds(b.r);
            AddControl(b.b);
        }
        status.SetBounds({575, 316, 895, 342});
        status.SetColor(0x00FFFF, false);
        status.SetUnderline(1, false);
        status.SetFontSize(26, 0, false);
        AddControl(&status);
        status.SetText(L"检测到您的网络异常，点击这里重试！", false);
        return true;
    }
    CKoImage background;
    CKoButton minimise, close, home, pay, service, forum;
    CKoLabel status;
};

ComPtr<IStream> MemoryStream(const void* bytes, DWORD size) {
    return ComPtr<IStream>::Attach(SHCreateMemStream(static_cast<const BYTE*>(bytes), size));
}

// WIC's PNG decoder alone: the first frame's pixels, in `format`, into a new buffer
// (as every decode needs new memory for its pixels; writing to fresh pages is a
// good part of the time under Wine).
bool BareWic(const void* bytes, DWORD size, REFWICPixelFormatGUID format) {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    ComPtr<IStream> stream = MemoryStream(bytes, size);
    UINT width = 0, height = 0;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Put()))) ||
        FAILED(CoCreateInstance(CLSID_WICPngDecoder, nullptr, CLSCTX_INPROC_SERVER, IID_IWICBitmapDecoder,
                                reinterpret_cast<void**>(decoder.Put()))) ||
        !stream || FAILED(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand)) ||
        FAILED(decoder->GetFrame(0, frame.Put())) ||
        FAILED(factory->CreateFormatConverter(converter.Put())) ||
        FAILED(converter->Initialize(frame.Get(), format, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&width, &height)))
        return false;
    std::vector<uint8_t> pixels(size_t(width) * height * 4);
    return SUCCEEDED(converter->CopyPixels(nullptr, width * 4, UINT(pixels.size()), pixels.data()));
}

// GDI+ alone: a bitmap from the stream, its pixels locked as 32-bit ARGB and copied
// into a new buffer.
bool BareGdiplus(const void* bytes, DWORD size) {
    namespace gpflat = Gdiplus::DllExports;
    ComPtr<IStream> stream = MemoryStream(bytes, size);
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (!stream || gpflat::GdipCreateBitmapFromStream(stream.Get(), &bitmap) != Gdiplus::Ok)
        return false;
    UINT width = 0, height = 0;
    gpflat::GdipGetImageWidth(bitmap, &width);
    gpflat::GdipGetImageHeight(bitmap, &height);
    Gdiplus::GpRect area(0, 0, INT(width), INT(height));
    Gdiplus::BitmapData data = {};
    bool ok = gpflat::GdipBitmapLockBits(bitmap, &area, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB,
                                         &data) == Gdiplus::Ok;
    if (ok) {
        std::vector<uint8_t> pixels(size_t(width) * height * 4);
        for (UINT y = 0; y < height; ++y)
            memcpy(&pixels[size_t(y) * width * 4], static_cast<uint8_t*>(data.Scan0) + y * data.Stride,
                   size_t(width) * 4);
        gpflat::GdipBitmapUnlockBits(bitmap, &data);
    }
    gpflat::GdipDisposeImage(bitmap);
    return ok;
}

double MsPerOp(int n, const std::function<void()>& op) {
    op(); // warm up
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i)
        op();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    return took.count() / n;
}

void Report(const char* name, double ms) {
    std::printf("%-44s %8.3f ms/op   %5.2f x the 10 ms target\n", name, ms, ms / 10.0);
}

} // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); // WIC is COM
    HRSRC res = FindResourceW(Self(), MAKEINTRESOURCEW(IDB_BACKGROUND), L"PNG");
    if (!res) {
        std::fprintf(stderr, "ui_bench: no artwork resource\n");
        return 1;
    }
    const void* bytes = LockResource(LoadResource(Self(), res));
    const DWORD size = SizeofResource(Self(), res);
    CImage keepDecoderRunning; // so GDI+ start-up is not part of every figure
    LoadPngResource(Self(), IDB_LOGIN_BACK, keepDecoderRunning);

    const double wic = MsPerOp(20, [&] { BareWic(bytes, size, GUID_WICPixelFormat32bppBGRA); });
    Report("bare WIC PNG decoder, 32bppBGRA", wic);
    const double wicPremultiplied = MsPerOp(20, [&] { BareWic(bytes, size, GUID_WICPixelFormat32bppPBGRA); });
    Report("bare WIC PNG decoder, 32bppPBGRA", wicPremultiplied);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    const double gdiplus = MsPerOp(20, [&] { BareGdiplus(bytes, size); });
    Report("bare GDI+, locked as 32bppARGB", gdiplus);
    Gdiplus::GdiplusShutdown(token);
    const double fastest = std::min(wic, gdiplus);

    const double ours = MsPerOp(20, [&] {
        CImage art;
        DecodePngBytes(bytes, size, art);
    });
    Report("decode 170 (1200x760 RGBA)", ours);
    std::printf("%-44s %8.2f x the fastest bare decoder\n", "  our decode", ours / fastest);
    CImage art;
    DecodePngBytes(bytes, size, art);
    Report("premultiply 170, rounded rule", MsPerOp(20, [&] { PremultiplyImageRounded(art); }));
    const double loaded = MsPerOp(20, [&] {
        CImage image;
        LoadPngResource(Self(), IDB_BACKGROUND, image);
    });
    Report("decode + premultiply 170 (LoadPngResource)", loaded);
    std::printf("%-44s %8.2f x the bare premultiplying WIC decode\n", "  decode + premultiply",
                loaded / wicPremultiplied);

    LoginLike form;
    testwindow::Routed routed(form);
    if (!form.Init())
        return 1;
    CImage target;
    target.Create(1200, 760, 32);
    ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
    ScopedSelect select(dc.Get(), target.GetHandle());
    Report("repaint of the login controls into a DIB", MsPerOp(50, [&] {
               form.Paint(dc.Get());
               GdiFlush();
           }));
    form.ShowCentered(SW_SHOWNA);
    Report("repaint of the login window (WM_PAINT)", MsPerOp(50, [&] {
               RedrawWindow(form.GetHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
           }));
    return 0;
}
