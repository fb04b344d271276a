// Button, label and image controls drawn into DIB sections and read back.
#include "tests/ui/ui_test_ids.h"
#include "tests/ui/win_test_util.h"
#include "ui/Blit.h"
#include "ui/KoButton.h"
#include "ui/KoImage.h"
#include "ui/KoLabel.h"
#include "ui/PngResource.h"

#include "tests/ui/InspectedLabel.h"

#include <gtest/gtest.h>

namespace {

HINSTANCE Self() {
    return GetModuleHandleW(nullptr);
}

constexpr uint32_t kWhite = Rgb(255, 255, 255);

// How a string looks when drawn with the label's own font into a rectangle.
void DrawReference(Canvas& canvas, CKoLabel& label, const std::wstring& text, RECT r, UINT format) {
    ScopedSaveDc saved(canvas.Dc());
    SetBkMode(canvas.Dc(), TRANSPARENT);
    SetTextColor(canvas.Dc(), label.GetTextColor());
    label.EnsureFont();
    ScopedSelect select(canvas.Dc(), label.GetFont());
    DrawTextW(canvas.Dc(), text.c_str(), int(text.size()), &r, format);
}

int MeasuredRight(CKoLabel& label, HDC dc, const std::wstring& text, RECT within) {
    ScopedSaveDc saved(dc);
    label.EnsureFont();
    ScopedSelect select(dc, label.GetFont());
    DrawTextW(dc, text.c_str(), int(text.size()), &within, DT_CALCRECT);
    return int(within.right);
}

bool SamePixels(const Canvas& a, const Canvas& b) {
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.At(x, y) != b.At(x, y))
                return false;
    return true;
}

TEST(Button, PngWithInsetsZeroIsStretchedOverItsBoundsAtAlpha254) {
    CKoButton button;
    button.SetImages(IDT_BLACK, Self(), IDT_BLACK, IDT_BLACK);
    ASSERT_TRUE(button.isAlphaPng);
    button.SetBounds({10, 5, 40, 25});
    Canvas canvas(60, 40, kWhite);
    button.Paint(canvas.Dc());
    // Black at constant alpha 254 over white leaves 1/255 of the white: (1, 1, 1).
    for (int y = 5; y < 25; ++y)
        for (int x = 10; x < 40; ++x)
            ASSERT_EQ(canvas.At(x, y), Rgb(1, 1, 1)) << x << "," << y;
    EXPECT_EQ(canvas.ChangedOutside(button.bounds, kWhite), 0);
}

TEST(Button, OwnSizeWhenNotStretchedCentredVertically) {
    CKoButton button;
    button.SetImages(IDT_SOLID, Self(), IDT_SOLID, IDT_SOLID);
    button.stretch = false;
    button.SetBounds({10, 10, 40, 30}); // image 6 x 4: rows 18 to 21
    Canvas canvas(60, 40, kWhite);
    button.Paint(canvas.Dc());
    EXPECT_TRUE(Near(canvas.At(10, 18), Rgb(200, 40, 20), 2));
    EXPECT_TRUE(Near(canvas.At(15, 21), Rgb(200, 40, 20), 2));
    EXPECT_EQ(canvas.ChangedOutside({10, 18, 16, 22}, kWhite), 0);
}

TEST(Button, BitmapImagesAreDrawnByColourKey) {
    CKoButton button;
    button.SetImages(IDT_KEYHOLE_BMP, Self(), IDT_KEYHOLE_BMP, IDT_KEYHOLE_BMP);
    EXPECT_FALSE(button.isAlphaPng);
    button.SetBounds({0, 0, 8, 8});
    Canvas canvas(8, 8, Rgb(10, 10, 10));
    button.Paint(canvas.Dc());
    EXPECT_EQ(canvas.CountOf(Rgb(10, 10, 10)), 16);
    EXPECT_EQ(canvas.CountOf(Rgb(0, 160, 0)), 48);
}

TEST(Button, MouseStatesSwitchTheCurrentImage) {
    CKoButton button;
    button.SetImages(190, Self(), 191, 191);
    button.SetBounds({0, 0, 97, 26});
    ASSERT_FALSE(button.normalImage.IsNull());
    ASSERT_FALSE(button.hoverImage.IsNull());
    EXPECT_EQ(button.currentImage.GetHandle(), button.normalImage.GetHandle());
    EXPECT_EQ(button.GetImageWidth(), 97);
    EXPECT_EQ(button.GetImageHeight(), 26);

    button.OnMouseMove(0, {5, 5});
    EXPECT_EQ(button.state, StateHover);
    EXPECT_EQ(button.currentImage.GetHandle(), button.hoverImage.GetHandle());
    button.OnLButtonDown(MK_LBUTTON, {5, 5});
    EXPECT_EQ(button.state, StatePressed);
    EXPECT_EQ(button.currentImage.GetHandle(), button.pressedImage.GetHandle());
    button.OnLButtonUp(0, {5, 5});
    EXPECT_EQ(button.state, StateReleased);
    EXPECT_EQ(button.currentImage.GetHandle(), button.hoverImage.GetHandle());
    button.OnMouseMove(0, {97, 5}); // the right edge is outside
    EXPECT_EQ(button.state, StateNormal);
    EXPECT_EQ(button.currentImage.GetHandle(), button.normalImage.GetHandle());

    // What is painted is the current image.
    button.OnMouseMove(0, {5, 5});
    Canvas painted(97, 26, kWhite), expected(97, 26, kWhite);
    button.Paint(painted.Dc());
    AlphaBlendImage(expected.Dc(), button.hoverImage, 0, 0, 97, 26, 0, 0, 97, 26, 254);
    EXPECT_TRUE(SamePixels(painted, expected));
}

TEST(Button, CheckedImagesAndRefresh) {
    CKoButton button;
    button.SetImages(IDT_SOLID, Self(), IDT_SOLID_RGBA, IDT_SOLID_RGBA);
    LoadPngResource(Self(), IDT_BLACK, button.checkedImage);
    button.checked = true;
    button.SetState(StateRefresh);
    EXPECT_EQ(button.currentImage.GetHandle(), button.checkedImage.GetHandle());
    button.checked = false;
    button.SetState(StateRefresh);
    EXPECT_EQ(button.currentImage.GetHandle(), button.normalImage.GetHandle());
}

TEST(Button, DisablingShowsTheDisabledImageAndRejectsTheMouse) {
    CKoButton button;
    button.SetImages(IDT_SOLID, Self(), IDT_SOLID_RGBA, IDT_SOLID_RGBA);
    LoadPngResource(Self(), IDT_BLACK, button.disabledImage);
    button.SetBounds({0, 0, 10, 10});
    button.SetEnabled(false);
    EXPECT_FALSE(button.enabled);
    EXPECT_EQ(button.currentImage.GetHandle(), button.disabledImage.GetHandle());
    EXPECT_FALSE(button.HitTest({5, 5}));
    button.OnMouseMove(0, {5, 5});
    EXPECT_EQ(button.state, StateNormal);
    button.SetEnabled(true);
    EXPECT_EQ(button.currentImage.GetHandle(), button.normalImage.GetHandle());
    EXPECT_TRUE(button.HitTest({5, 5}));
}

TEST(Button, MissingImagesPaintNothing) {
    CKoButton button;
    button.SetImages(IDT_MISSING, Self(), IDT_MISSING, IDT_MISSING);
    EXPECT_FALSE(button.isAlphaPng);
    EXPECT_TRUE(button.currentImage.IsNull());
    EXPECT_EQ(button.GetImageWidth(), 0);
    button.SetBounds({0, 0, 30, 30});
    Canvas canvas(30, 30, kWhite);
    button.Paint(canvas.Dc());
    button.OnMouseMove(0, {5, 5}); // no image to switch to: nothing breaks
    button.Paint(canvas.Dc());
    EXPECT_EQ(canvas.CountOf(kWhite), 900);

    CKoButton corrupt;
    corrupt.SetImages(IDT_CORRUPT, Self(), IDT_CORRUPT, IDT_CORRUPT);
    EXPECT_TRUE(corrupt.isAlphaPng);
    corrupt.SetBounds({0, 0, 30, 30});
    corrupt.Paint(canvas.Dc());
    EXPECT_EQ(canvas.CountOf(kWhite), 900);
}

TEST(Button, CaptionLongerThanTheButtonIsShortenedInside) {
    CKoButton button;
    button.SetImages(IDT_SOLID, Self(), IDT_SOLID, IDT_SOLID);
    button.SetBounds({20, 10, 80, 40});
    button.SetFontSize(14, 0, false);
    button.SetText(L"a caption far too long for this button", false);
    button.SetColor(Rgb(0, 0, 0), false); // COLORREF black
    Canvas canvas(120, 60, kWhite);
    button.Paint(canvas.Dc());
    EXPECT_EQ(canvas.ChangedOutside(button.bounds, kWhite), 0);
}

TEST(Label, AutoWidthWithMaxWidthIsShortenedWithEllipsis) {
    InspectedLabel label;
    label.SetAutoWidth(true, 100);
    label.SetBounds({10, 10, 10, 30});
    label.SetFontSize(16, 0, false);
    const std::wstring text = L"This label text is much wider than one hundred pixels";
    label.SetText(text, false);
    EXPECT_EQ(label.bounds.right, 10 + 800) << "a change of text widens the label first";

    Canvas canvas(400, 50, kWhite);
    label.Paint(canvas.Dc());
    EXPECT_EQ(label.bounds.right, 110);
    EXPECT_EQ(canvas.ChangedOutside(label.bounds, kWhite), 0);
    EXPECT_GT(canvas.CountOf(kWhite), 0);
    ASSERT_LT(canvas.CountOf(kWhite), 400 * 50) << "something was drawn";

    // Which string was drawn: exactly one of the candidates "...", "T...", "Th...", ...
    const RECT measureIn = {10, 10, 810, 30};
    std::wstring drawn;
    int n = 0;
    for (; n < int(text.size()); ++n) {
        const std::wstring candidate = text.substr(0, n) + L"...";
        Canvas reference(400, 50, kWhite);
        RECT r = label.bounds;
        const int lineHeight = [&] {
            RECT m = measureIn;
            ScopedSaveDc saved(reference.Dc());
            label.EnsureFont();
            ScopedSelect select(reference.Dc(), label.GetFont());
            DrawTextW(reference.Dc(), text.c_str(), int(text.size()), &m, DT_CALCRECT);
            return int(m.bottom - m.top);
        }();
        const int inset = (20 - lineHeight) / 2 > 0 ? (20 - lineHeight) / 2 : 0;
        r.top += inset;
        r.bottom -= inset;
        DrawReference(reference, label, candidate, r, 0);
        if (SamePixels(canvas, reference)) {
            drawn = candidate;
            break;
        }
    }
    ASSERT_FALSE(drawn.empty()) << "the label drew no \"prefix...\" candidate";
    // It is the first candidate that comes within 16 pixels of the right edge.
    EXPECT_GT(MeasuredRight(label, canvas.Dc(), drawn, measureIn) + 16, 110);
    if (n > 0) {
        EXPECT_LE(MeasuredRight(label, canvas.Dc(), text.substr(0, n - 1) + L"...", measureIn) + 16, 110);
    }
}

TEST(Label, FittingTextIsDrawnWholeWithItsFormat) {
    InspectedLabel label;
    label.SetTextFormat(DT_CENTER);
    EXPECT_FALSE(label.autoWidth);
    label.SetBounds({0, 0, 200, 20});
    label.SetFontSize(14, 0, false);
    label.SetText(L"OK", false);
    Canvas canvas(200, 20, kWhite), reference(200, 20, kWhite);
    label.Paint(canvas.Dc());
    RECT m = {0, 0, 200, 20};
    {
        ScopedSaveDc saved(reference.Dc());
        ScopedSelect select(reference.Dc(), label.GetFont());
        DrawTextW(reference.Dc(), L"OK", 2, &m, DT_CALCRECT);
    }
    RECT r = {0, 0, 200, 20};
    const int inset = (20 - int(m.bottom - m.top)) / 2;
    r.top += inset > 0 ? inset : 0;
    r.bottom -= inset > 0 ? inset : 0;
    DrawReference(reference, label, L"OK", r, DT_CENTER);
    EXPECT_TRUE(SamePixels(canvas, reference));
    // Centred: as much white on the left as on the right (within a pixel).
    int left = 200, right = -1;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 200; ++x)
            if (canvas.At(x, y) != kWhite) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_GE(right, left);
    EXPECT_LE(std::abs(left - (199 - right)), 2);
}

TEST(Label, DisabledLabelUsesTheDisabledColourAndNoHover) {
    InspectedLabel label;
    label.SetAutoWidth(false, 0);
    label.SetBounds({0, 0, 200, 30});
    label.SetFontSize(20, 0, false);
    label.SetHoverColors(RGB(0, 0, 255), RGB(255, 0, 0), false);
    label.SetText(L"WWWW", false);
    label.SetEnabled(false, false);
    label.OnMouseMove(0, {5, 5});
    EXPECT_FALSE(label.hovered);
    Canvas canvas(200, 30, kWhite);
    label.Paint(canvas.Dc());
    EXPECT_GT(canvas.CountOf(Rgb(0xAA, 0xAA, 0xAA)), 10);
    EXPECT_EQ(canvas.CountOf(Rgb(0, 0, 255)), 0);
    EXPECT_EQ(canvas.CountOf(Rgb(255, 0, 0)), 0);
}

TEST(Label, HoverColoursAndUnderlineFollowThePointer) {
    InspectedLabel label;
    label.SetBounds({0, 0, 50, 20});
    label.SetHoverColors(RGB(1, 2, 3), RGB(4, 5, 6), false);
    label.SetHoverUnderline(0, 1, false);
    label.OnMouseMove(0, {10, 10});
    EXPECT_TRUE(label.hovered);
    EXPECT_EQ(label.GetTextColor(), RGB(4, 5, 6));
    EXPECT_EQ(label.underline, 1);
    EXPECT_TRUE(label.fontDirty);
    label.OnMouseMove(0, {60, 10});
    EXPECT_FALSE(label.hovered);
    EXPECT_EQ(label.GetTextColor(), RGB(1, 2, 3));
    EXPECT_EQ(label.underline, 0);
}

// A page title is shown as it is: "&" is a character, not the mark of an underline.
TEST(Label, AnAmpersandIsDrawnAndMeasuredAsACharacter) {
    auto inkedColumns = [](const std::wstring& text, int* measured) {
        InspectedLabel label;
        label.SetBounds({0, 0, 200, 24});
        label.SetFontSize(16, 0, false);
        label.SetText(text, false);
        Canvas canvas(200, 24, kWhite);
        label.Paint(canvas.Dc());
        *measured = label.GetTextWidth();
        int columns = 0;
        for (int x = 0; x < 200; ++x)
            for (int y = 0; y < 24; ++y)
                if (canvas.At(x, y) != kWhite) {
                    ++columns;
                    break;
                }
        return columns;
    };
    int withWidth = 0, withoutWidth = 0;
    const int with = inkedColumns(L"A&B", &withWidth), without = inkedColumns(L"AB", &withoutWidth);
    EXPECT_GT(with, without + 3) << "the & was not drawn";
    EXPECT_GT(withWidth, withoutWidth + 3) << "the & was not measured";
}

TEST(Label, TextWidthIsCachedUntilTheTextChanges) {
    InspectedLabel label;
    label.SetBounds({0, 0, 0, 20});
    label.SetFontSize(12, 0, false);
    label.SetText(L"measure me", false);
    const int first = label.GetTextWidth();
    EXPECT_GT(first, 0);
    label.SetFontSize(40, 0, false);
    EXPECT_EQ(label.GetTextWidth(), first);
    label.SetText(L"measure me", false);
    EXPECT_GT(label.GetTextWidth(), first);
    label.SetAutoWidth(true, 10);
    label.SetText(L"measure me", false);
    EXPECT_EQ(label.GetTextWidth(), 10);
}

TEST(Label, SettersFollowTheirRules) {
    InspectedLabel label;
    EXPECT_EQ(label.GetControlClass(), L"CKoLabel");
    label.SetFontSize(26, 0, false);
    EXPECT_EQ(label.fontSize, 26);
    label.SetFontFace(L"微软雅黑", false);
    label.SetFontSize(26, 0, false);
    EXPECT_EQ(label.fontSize, 21);
    label.SetFontSize(26, 30, false);
    EXPECT_EQ(label.fontSize, 30);

    label.SetBackColor(RGB(1, 1, 1), true);
    EXPECT_TRUE(label.opaqueBack);
    label.SetBackColor(RGB(1, 1, 1), false); // same colour: the flag is not stored either
    EXPECT_TRUE(label.opaqueBack);

    label.fontDirty = false;
    label.SetColor(label.GetTextColor(), false);
    EXPECT_FALSE(label.fontDirty);
    label.SetBold(false, false);
    EXPECT_FALSE(label.fontDirty);
    label.SetBold(true, false);
    EXPECT_EQ(label.fontWeight, 700);
    EXPECT_TRUE(label.fontDirty);

    HFONT font = CreateFontW(10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, L"Tahoma");
    label.SetFont(font);
    EXPECT_EQ(label.GetFont(), font);
    label.EnsureFont(); // dirty: replaced, and the old one deleted
    EXPECT_EQ(GetObjectType(font), 0u);
}

TEST(Label, OpaqueBackgroundFillsBehindTheText) {
    InspectedLabel label;
    label.SetAutoWidth(false, 0);
    label.SetBounds({0, 0, 100, 20});
    label.SetText(L"x", false);
    label.SetBackColor(RGB(0, 200, 0), true);
    Canvas canvas(100, 20, kWhite);
    label.Paint(canvas.Dc());
    EXPECT_GT(canvas.CountOf(Rgb(0, 200, 0)), 0);
}

TEST(ImageControl, OwnSizeCentredInTallerBoundsAndLeftAligned) {
    CKoImage image;
    image.isAlphaPng = LoadPngResource(Self(), IDT_SOLID, image.image);
    image.stretch = false;
    image.SetBounds({10, 10, 40, 31}); // 21 high, image 4 high: (21 - 4) / 2 = 8
    Canvas canvas(60, 40, kWhite);
    image.Paint(canvas.Dc());
    EXPECT_EQ(canvas.At(10, 18), Rgb(200, 40, 20));
    EXPECT_EQ(canvas.At(15, 21), Rgb(200, 40, 20));
    EXPECT_EQ(canvas.ChangedOutside({10, 18, 16, 22}, kWhite), 0);
    EXPECT_EQ(image.GetImageWidth(), 6);
    EXPECT_EQ(image.GetImageHeight(), 4);
}

TEST(ImageControl, SlicedOpaqueCopyAndColourKey) {
    CKoImage image;
    image.isAlphaPng = LoadPngResource(Self(), IDT_KEYHOLE, image.image);
    image.blendMode = false;
    image.imageInsets = {2, 2, 2, 2};
    image.SetBounds({5, 5, 35, 25});
    Canvas canvas(40, 30, kWhite);
    image.Paint(canvas.Dc());
    EXPECT_EQ(canvas.CountOf(Rgb(255, 128, 255)), 26 * 16); // stretched copy paints the key colour
    EXPECT_EQ(canvas.ChangedOutside(image.bounds, kWhite), 0);

    CKoImage keyed;
    keyed.isAlphaPng = LoadPngResource(Self(), IDT_KEYHOLE_BMP, keyed.image);
    keyed.imageInsets = {2, 2, 2, 2};
    keyed.SetBounds({5, 5, 35, 25});
    canvas.Fill(kWhite);
    keyed.Paint(canvas.Dc());
    EXPECT_EQ(canvas.CountOf(Rgb(255, 128, 255)), 0);
    EXPECT_EQ(canvas.CountOf(kWhite), 40 * 30 - (30 * 20 - 26 * 16));
}

TEST(ImageControl, OpaqueCopyWithoutSlicingStaysAtTheControl) {
    CKoImage image;
    LoadPngResource(Self(), IDT_SOLID, image.image);
    image.blendMode = false;
    image.SetBounds({20, 10, 23, 12}); // smaller than the image: clipped to the bounds
    Canvas canvas(40, 30, kWhite);
    image.Paint(canvas.Dc());
    EXPECT_EQ(canvas.CountOf(Rgb(200, 40, 20)), 6);
    EXPECT_EQ(canvas.ChangedOutside(image.bounds, kWhite), 0);
}

TEST(ImageControl, MissingOrHiddenImagePaintsNothing) {
    CKoImage missing;
    missing.isAlphaPng = LoadPngResource(Self(), IDT_MISSING, missing.image);
    EXPECT_FALSE(missing.isAlphaPng);
    missing.SetBounds({0, 0, 30, 30});
    CKoImage hidden;
    LoadPngResource(Self(), IDT_SOLID, hidden.image);
    hidden.SetBounds({0, 0, 30, 30});
    hidden.SetVisible(false, false);
    Canvas canvas(30, 30, kWhite);
    missing.Paint(canvas.Dc());
    hidden.Paint(canvas.Dc());
    EXPECT_EQ(canvas.CountOf(kWhite), 900);
    EXPECT_EQ(missing.GetImageWidth(), 0);
}

TEST(BadInput, NothingIsDrawnOutsideTheBounds) {
    struct Case {
        const char* name;
        RECT bounds;
        RECT insets;
        bool stretch;
    } cases[] = {
        {"insets larger than the image", {10, 10, 50, 40}, {20, 20, 20, 20}, true},
        {"empty bounds", {20, 20, 20, 20}, {1, 1, 1, 1}, true},
        {"inverted bounds", {30, 30, 10, 10}, {0, 0, 0, 0}, true},
        {"bounds smaller than the image, own size", {10, 10, 13, 12}, {0, 0, 0, 0}, false},
        {"negative insets", {10, 10, 50, 40}, {-3, -3, 2, 2}, true},
    };
    for (const auto& c : cases) {
        Canvas canvas(60, 50, kWhite);
        CKoImage image;
        image.isAlphaPng = LoadPngResource(Self(), IDT_KEYHOLE, image.image);
        image.imageInsets = c.insets;
        image.stretch = c.stretch;
        image.SetBounds(c.bounds);
        image.Paint(canvas.Dc());
        image.blendMode = false;
        image.Paint(canvas.Dc());

        CKoButton button;
        button.SetImages(IDT_SOLID, Self(), IDT_SOLID, IDT_SOLID);
        button.imageInsets = c.insets;
        button.stretch = c.stretch;
        button.SetBounds(c.bounds);
        button.SetText(std::wstring(300, L'W'), false);
        button.Paint(canvas.Dc());
        button.sliced = false;
        button.Paint(canvas.Dc());

        InspectedLabel label;
        label.SetAutoWidth(false, 0);
        label.SetBounds(c.bounds);
        label.SetFontSize(30, 0, false);
        label.SetText(std::wstring(300, L'W'), false);
        label.Paint(canvas.Dc());

        RECT inside = c.bounds;
        if (inside.right < inside.left || inside.bottom < inside.top)
            inside = {0, 0, 0, 0};
        EXPECT_EQ(canvas.ChangedOutside(inside, kWhite), 0) << c.name;
    }
}

} // namespace
