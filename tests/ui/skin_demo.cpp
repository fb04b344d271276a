// Shows the skin as a person sees it: the layered background window with its
// artwork, the colour-keyed login window on top of it with its buttons (two of
// them in their hover look) and its status line, and below them the title bars of
// the game window and of the external-account window with their buttons.
//
//   skin_demo.exe [READY_FILE [SECONDS [compose]]]
// Writes READY_FILE once everything is painted, then runs SECONDS (default 20).
// With "compose" the login window's controls are composed into the background
// window (see ComposeLoginOverBack) instead of being shown in their own window.
#include "res/resource.h"
#include "tests/ui/test_window.h"
#include "ui/FormBack.h"
#include "ui/KoButton.h"
#include "ui/KoImage.h"
#include "ui/KoLabel.h"
#include "app/base/Handles.h"
#include "ui/Blit.h"
#include "ui/PngResource.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

HINSTANCE Self() {
    return GetModuleHandleW(nullptr);
}

HCURSOR Hand() {
    return LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));
}

void SetupButton(CKoButton& b, UINT normal, UINT hover, RECT bounds) {
    b.SetImages(normal, Self(), hover, hover);
    b.SetBounds(bounds);
    b.cursor = Hand();
    b.sliced = true;
}

// The login window's look: key-coloured background, buttons, status line.
class DemoLogin : public CKoForm {
public:
    bool Init(HWND owner) {
        SetBounds({0, 0, 1200, 760});
        if (!Create(testwindow::ClassName(), L"OrvoValdrenna", Self(), owner))
            return false;
        SetWindowLongPtrW(window, GWL_STYLE,
                          (GetWindowLongPtrW(window, GWL_STYLE) & 0x7F30FF7F) | 0x000A0000);
        SetWindowLongPtrW(window, GWL_EXSTYLE,
                          (GetWindowLongPtrW(window, GWL_EXSTYLE) & ~0x181) | WS_EX_LAYERED);
        SetLayeredWindowAttributes(window, kKeyColor, 0, LWA_COLORKEY);

        background.isAlphaPng = LoadPngResource(Self(), IDB_LOGIN_BACK, background.image);
        background.blendMode = false;
        background.imageInsets = {5, 5, 5, 5};
        background.SetBounds({0, 0, 1200, 760});
        AddControl(&background);
        SetupButton(minimise, IDB_LOGIN_MINIMIZE, IDB_LOGIN_MINIMIZE_HOVER, {965, 96, 986, 117});
        SetupButton(close, IDB_LOGIN_CLOSE, IDB_LOGIN_CLOSE_HOVER, {989, 85, 1019, 114});
        SetupButton(home, IDB_LOGIN_HOME, IDB_LOGIN_HOME_HOVER, {533, 85, 630, 111});
        SetupButton(pay, IDB_LOGIN_PAY, IDB_LOGIN_PAY_HOVER, {634, 85, 731, 111});
        SetupButton(service, IDB_LOGIN_SERVICE, IDB_LOGIN_SERVICE_HOVER, {735, 85, 832, 111});
        SetupButton(forum, IDB_LOGIN_FORUM, IDB_LOGIN_FORUM_HOVER, {837, 85, 934, 111});
        for (CKoButton* b : {&minimise, &close, &home, &pay, &service, &forum})
            AddControl(b);

        status.SetBounds({575, 316, 895, 342});
        status.SetColor(0x00FFFF, false);
        status.SetUnderline(1, false);
        status.SetFontSize(26, 0, false);
        status.cursor = Hand();
        AddControl(&status);
        status.SetText(L"检测到您的网络异常，点击这里重试！", false);

        // The hover look of two buttons, as under the pointer.
        pay.SetState(StateHover, false);
        close.SetState(StateHover, false);
        return true;
    }

    CKoImage background;
    CKoButton minimise, close, home, pay, service, forum;
    CKoLabel status;
};

// The game window's title bar with its buttons laid out as that window does.
class DemoGameBar : public CKoForm {
public:
    bool Init() {
        SetBounds({0, 0, 1250, 27});
        if (!Create(testwindow::ClassName(), L"OrvoValdrenna", Self(), nullptr))
            return false;
        title.isAlphaPng = LoadPngResource(Self(), IDB_GAME_TITLE, title.image);
        const int W = 1250, T = title.GetImageHeight();
        title.SetBounds({0, 0, W, T});
        AddControl(&title);
        struct {
            CKoButton* b;
            UINT normal, hover;
        } buttons[] = {{&minimise, IDB_GAME_MINIMIZE, IDB_GAME_MINIMIZE_HOVER},
                       {&close, IDB_GAME_CLOSE, IDB_GAME_CLOSE_HOVER},
                       {&maximise, IDB_GAME_MAXIMIZE, IDB_GAME_MAXIMIZE_HOVER},
                       {&tray, IDB_GAME_TRAY, IDB_GAME_TRAY_HOVER},
                       {&settings, IDB_GAME_SETTINGS, IDB_GAME_SETTINGS_HOVER},
                       {&forum, IDB_GAME_FORUM, IDB_GAME_FORUM_HOVER},
                       {&home, IDB_GAME_HOME, IDB_GAME_HOME_HOVER},
                       {&pay, IDB_GAME_PAY, IDB_GAME_PAY_HOVER},
                       {&service, IDB_GAME_SERVICE, IDB_GAME_SERVICE_HOVER}};
        for (auto& b : buttons)
            SetupButton(*b.b, b.normal, b.hover, {0, 0, 0, 0});
        auto place = [](CKoButton& b, int right, int top) {
            b.SetBounds({right - b.GetImageWidth(), top, right, top + b.GetImageHeight()});
            return int(b.bounds.left);
        };
        const int closeLeft = place(close, W, 1);
        const int maxLeft = place(maximise, closeLeft, 1);
        const int minLeft = place(minimise, maxLeft, 1);
        const int trayLeft = place(tray, minLeft, 1);
        const int settingsLeft = place(settings, trayLeft - 20, 5);
        const int serviceLeft = place(service, settingsLeft - 5, 5);
        const int forumLeft = place(forum, serviceLeft - 5, 5);
        const int homeLeft = place(home, forumLeft - 5, 5);
        place(pay, homeLeft - 5, 5);
        for (auto& b : buttons)
            AddControl(b.b);
        icon.isAlphaPng = LoadPngResource(Self(), IDB_GAME_ICON, icon.image);
        icon.SetBounds({5, 2, 5 + icon.GetImageWidth(), icon.GetImageHeight()});
        AddControl(&icon);
        label.SetBounds({int(icon.bounds.right) + 10, 5, int(icon.bounds.right) + 310, 25});
        AddControl(&label);
        label.SetText(L"OrvoValdrenna", false);
        label.SetColor(0x00FFFF, false);

        pay.SetState(StateHover, false);
        close.SetState(StateHover, false);
        maximise.SetState(StateHover, false);
        return true;
    }
    CKoImage title, icon;
    CKoButton minimise, close, maximise, tray, settings, forum, home, pay, service;
    CKoLabel label;
};

// The external-account window's title bar, borders and close button.
class DemoQqBar : public CKoForm {
public:
    bool Init() {
        SetBounds({0, 0, 880, 60});
        if (!Create(testwindow::ClassName(), L"OrvoValdrenna", Self(), nullptr))
            return false;
        title.isAlphaPng = LoadPngResource(Self(), IDB_QQ_TITLE, title.image);
        title.SetBounds({0, 0, 880, title.GetImageHeight()});
        left.isAlphaPng = LoadPngResource(Self(), IDB_QQ_BORDER, left.image);
        left.SetBounds({0, 27, 3, 60});
        right.isAlphaPng = LoadPngResource(Self(), IDB_QQ_BORDER, right.image);
        right.SetBounds({877, 27, 880, 60});
        bottom.isAlphaPng = LoadPngResource(Self(), IDB_QQ_BOTTOM, bottom.image);
        bottom.SetBounds({0, 56, 880, 60});
        SetupButton(close, IDB_QQ_CLOSE, IDB_QQ_CLOSE_HOVER, {0, 0, 0, 0});
        close.SetBounds({880 - close.GetImageWidth(), 0, 880, close.GetImageHeight()});
        label.SetBounds({5, 2, 205, 22});
        label.SetText(L"账号安全登录", false);
        label.SetColor(0x00FFFF, false);
        for (CKoBaseControl* c :
             std::initializer_list<CKoBaseControl*>{&title, &left, &right, &bottom, &close, &label})
            AddControl(c);
        return true;
    }
    CKoImage title, left, right, bottom;
    CKoButton close;
    CKoLabel label;
};

// What the system shows on Windows, composed here for displays that cannot show
// see-through pixels (Wine under Xvfb paints them black): the login window's
// controls, painted over its key colour exactly as its WM_PAINT does, are put onto
// the artwork by colour key and the result is pushed into the background window.
// The login window itself is hidden then.
void ComposeLoginOverBack(CFormBack& back, DemoLogin& login) {
    CImage canvas, overlay, art;
    if (!canvas.Create(1200, 760, 32, true) || !overlay.Create(1200, 760, 24))
        return;
    ScopedMemoryDc canvasDc(CreateCompatibleDC(nullptr)), overlayDc(CreateCompatibleDC(nullptr));
    ScopedSelect s1(canvasDc.Get(), canvas.GetHandle()), s2(overlayDc.Get(), overlay.GetHandle());
    HRSRC res = FindResourceW(Self(), MAKEINTRESOURCEW(kBackgroundImageId), L"PNG");
    if (!res || !DecodePngBytes(LockResource(LoadResource(Self(), res)), SizeofResource(Self(), res), art))
        return;
    PremultiplyImageRounded(art);
    DrawImage(canvasDc.Get(), art, 0, 0, 1200, 760, 0, 0, 1200, 760);
    login.Paint(overlayDc.Get());
    // The colour key: every pixel of the login window that is not the key colour
    // covers the artwork, opaque.
    GdiFlush();
    auto* firstRow = static_cast<uint8_t*>(canvas.GetBits());
    auto* overlayRow = static_cast<const uint8_t*>(overlay.GetBits());
    for (int y = 0; y < 760; ++y) {
        uint8_t* p = firstRow + ptrdiff_t(y) * canvas.GetPitch();
        const uint8_t* o = overlayRow + ptrdiff_t(y) * overlay.GetPitch();
        for (int x = 0; x < 1200; ++x, p += 4, o += 3) {
            if (o[0] == 255 && o[1] == 128 && o[2] == 255)
                continue;
            p[0] = o[0];
            p[1] = o[1];
            p[2] = o[2];
            p[3] = 255;
        }
    }
    ScopedWindowDc screen(back.GetHwnd());
    POINT origin = {0, 0};
    RECT r;
    GetWindowRect(back.GetHwnd(), &r);
    POINT at = {r.left, r.top};
    SIZE size = {1200, 760};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(back.GetHwnd(), screen.Get(), &at, &size, canvasDc.Get(), &origin, 0, &blend,
                        ULW_ALPHA);
    ShowWindow(login.GetHwnd(), SW_HIDE);
}

void CALLBACK QuitTimer(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(0);
}

} // namespace

int main(int argc, char** argv) {
    const std::string ready = argc > 1 ? argv[1] : "";
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
    const bool compose = argc > 3 && std::string(argv[3]) == "compose";

    CFormBack back;
    DemoLogin login;
    DemoGameBar game;
    DemoQqBar qq;
    testwindow::Routed r1(back), r2(login), r3(game), r4(qq);
    SetLoginWindow(&login);

    back.SetBounds({0, 0, 1200, 760});
    if (!back.Init(Self(), testwindow::ClassName(), L"OrvoValdrenna") || !login.Init(back.GetHwnd()) ||
        !game.Init() || !qq.Init()) {
        std::fprintf(stderr, "skin_demo: could not create the windows\n");
        return 1;
    }
    back.ShowOffscreen();
    login.ShowOffscreen();
    // Where a person would see them: the background window at the top left (the
    // login window follows it), the two title bars below.
    SetWindowPos(back.GetHwnd(), nullptr, 20, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    SetWindowPos(game.GetHwnd(), nullptr, 0, 800, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    SetWindowPos(qq.GetHwnd(), nullptr, 0, 860, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    if (compose)
        ComposeLoginOverBack(back, login);
    for (CKoForm* f : std::initializer_list<CKoForm*>{&login, &game, &qq})
        RedrawWindow(f->GetHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    testwindow::Pump();

    if (!ready.empty()) {
        if (FILE* f = std::fopen(ready.c_str(), "w")) {
            std::fputs("ready\n", f);
            std::fclose(f);
        }
    }
    SetTimer(nullptr, 0, UINT(seconds) * 1000, QuitTimer);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    SetLoginWindow(nullptr);
    return 0;
}
