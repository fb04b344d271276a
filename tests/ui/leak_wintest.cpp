// GDI objects and DCs come back: a form with every kind of control is created,
// painted, hovered, measured and destroyed, and every object the toolkit created
// on the way is freed again. Counted through a hook on this program's imports.
#include "tests/ui/gdi_counter.h"
#include "tests/ui/test_window.h"
#include "tests/ui/ui_test_ids.h"
#include "ui/FormBack.h"
#include "ui/KoButton.h"
#include "ui/KoImage.h"
#include "ui/KoLabel.h"
#include "ui/PngResource.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

HINSTANCE Self() {
    return GetModuleHandleW(nullptr);
}

// A form shaped like the login window: background, buttons, a label.
class FullForm : public CKoForm {
public:
    FullForm() {
        SetBounds({0, 0, 1200, 760});
        background.isAlphaPng = LoadPngResource(Self(), IDT_KEYHOLE, background.image);
        background.blendMode = false;
        background.imageInsets = {2, 2, 2, 2};
        background.SetBounds({0, 0, 1200, 760});
        for (CKoButton* b : {&first, &second}) {
            b->SetImages(190, Self(), 191, 191);
            b->cursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));
        }
        first.SetBounds({533, 85, 630, 111});
        second.SetBounds({634, 85, 731, 111});
        second.SetText(L"caption", false);
        keyed.SetImages(IDT_KEYHOLE_BMP, Self(), IDT_KEYHOLE_BMP, IDT_KEYHOLE_BMP);
        keyed.SetBounds({10, 10, 18, 18});
        icon.isAlphaPng = LoadPngResource(Self(), IDT_RGBA, icon.image);
        icon.stretch = false;
        icon.SetBounds({5, 2, 30, 27});
        label.SetBounds({575, 316, 895, 342});
        label.SetColor(0x00FFFF, false);
        label.SetUnderline(1, false);
        label.SetFontSize(26, 0, false);
        label.SetHoverColors(0x00FFFF, 0x0000FF, false);
    }
    bool Init() {
        if (!Create(testwindow::ClassName(), L"OrvoValdrenna", Self(), nullptr))
            return false;
        for (CKoBaseControl* c :
             std::initializer_list<CKoBaseControl*>{&background, &first, &second, &keyed, &icon, &label})
            AddControl(c);
        return true;
    }
    CKoImage background;
    CKoButton first, second, keyed;
    CKoImage icon;
    CKoLabel label;
};

void Exercise(FullForm& form) {
    HWND hwnd = form.GetHwnd();
    form.ShowOffscreen();
    SendMessageW(hwnd, WM_SIZE, 0, MAKELPARAM(1200, 760));
    form.label.SetText(L"检测到您的网络异常，点击这里重试！");
    form.label.GetTextWidth();
    for (int i = 0; i < 3; ++i) {
        SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(540, 90));
        SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(540, 90));
        SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(540, 90));
        SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(600, 320));
        SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
        form.RedrawControls();
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    testwindow::Pump();
}

TEST(Leaks, FormCycleFreesEveryGdiObjectItCreated) {
    gdicount::Install();
    const int baseline = gdicount::Live();
    const int createdBefore = gdicount::Created();
    std::vector<HANDLE> owned;
    {
        auto form = std::make_unique<FullForm>();
        testwindow::Routed routed(*form);
        ASSERT_TRUE(form->Init());
        Exercise(*form);
        EXPECT_GT(gdicount::Created(), createdBefore + 20) << "the counting hooks are in the drawing path";
        owned = {form->first.normalImage.GetHandle(), form->keyed.normalImage.GetHandle(),
                 form->icon.image.GetHandle(), form->label.GetFont(), form->second.GetFont()};
        for (HANDLE h : owned)
            EXPECT_NE(GetObjectType(h), 0u);
        // The window goes first, then the form and its controls.
        DestroyWindow(form->GetHwnd());
    }
    EXPECT_EQ(gdicount::Live(), baseline) << "objects created by the toolkit and never freed";
    for (HANDLE h : owned)
        EXPECT_EQ(GetObjectType(h), 0u) << h;
    EXPECT_EQ(CImage::LiveImageCount(), 0);
}

TEST(Leaks, RepeatedPaintingHoldsNothing) {
    gdicount::Install();
    FullForm form;
    testwindow::Routed routed(form);
    ASSERT_TRUE(form.Init());
    Exercise(form);
    const int settled = gdicount::Live();
    for (int i = 0; i < 20; ++i)
        Exercise(form);
    EXPECT_EQ(gdicount::Live(), settled);
}

TEST(Leaks, BackgroundWindowFreesItsCanvas) {
    gdicount::Install();
    const int baseline = gdicount::Live();
    {
        CFormBack back;
        testwindow::Routed routed(back);
        back.SetBounds({0, 0, 1200, 760});
        ASSERT_TRUE(back.Init(Self(), testwindow::ClassName(), L"OrvoValdrenna"));
        back.PaintLayeredBackground();
        back.ShowOffscreen();
        DestroyWindow(back.GetHwnd());
    }
    EXPECT_EQ(gdicount::Live(), baseline);
}

} // namespace
