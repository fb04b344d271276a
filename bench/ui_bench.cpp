// Figures for the skin: decoding and premultiplying the 1200 x 760 artwork, and one
// full repaint of a 1200 x 760 form carrying the login window's controls.
// Prints milliseconds per operation; the target for each is under 10 ms.
#include "app/base/Handles.h"
#include "res/resource.h"
#include "tests/ui/test_window.h"
#include "ui/Blit.h"
#include "ui/KoButton.h"
#include "ui/KoImage.h"
#include "ui/KoLabel.h"
#include "ui/PngResource.h"

#include <chrono>
#include <cstdio>
#include <functional>

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
    HRSRC res = FindResourceW(Self(), MAKEINTRESOURCEW(IDB_BACKGROUND), L"PNG");
    if (!res) {
        std::fprintf(stderr, "ui_bench: no artwork resource\n");
        return 1;
    }
    const void* bytes = LockResource(LoadResource(Self(), res));
    const DWORD size = SizeofResource(Self(), res);
    CImage keepDecoderRunning; // so GDI+ start-up is not part of every figure
    LoadPngResource(Self(), IDB_LOGIN_BACK, keepDecoderRunning);

    Report("decode 170 (1200x760 RGBA)", MsPerOp(20, [&] {
               CImage art;
               DecodePngBytes(bytes, size, art);
           }));
    CImage art;
    DecodePngBytes(bytes, size, art);
    Report("premultiply 170, rounded rule", MsPerOp(20, [&] { PremultiplyImageRounded(art); }));
    Report("decode + premultiply 170 (LoadPngResource)", MsPerOp(20, [&] {
               CImage image;
               LoadPngResource(Self(), IDB_BACKGROUND, image);
           }));

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
