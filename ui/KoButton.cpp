#include "ui/KoButton.h"

#include "ui/Blit.h"
#include "ui/PngResource.h"
#include "ui/SliceLayout.h"
#include "ui/TextFit.h"

CKoButton::CKoButton() {
    className = L"CKoButton";
    textFormat = DT_CENTER;
    autoWidth = false;
}

CKoButton::~CKoButton() {
    currentImage.Destroy(); // a view: forget it before the images it shows go
}

void CKoButton::SetImages(UINT normalId, HINSTANCE instance, UINT hoverId, UINT pressedId) {
    isAlphaPng = LoadPngResource(instance, WORD(normalId), normalImage);
    LoadPngResource(instance, WORD(hoverId), hoverImage);
    LoadPngResource(instance, WORD(pressedId), pressedImage);
    currentImage.AttachView(normalImage);
}

int CKoButton::GetImageWidth() const {
    if (!currentImage.IsNull())
        return currentImage.GetWidth();
    return normalImage.IsNull() ? 0 : normalImage.GetWidth();
}

int CKoButton::GetImageHeight() const {
    if (!currentImage.IsNull())
        return currentImage.GetHeight();
    return normalImage.IsNull() ? 0 : normalImage.GetHeight();
}

ButtonImageSet CKoButton::AvailableImages() const {
    ButtonImageSet s;
    s.normal = !normalImage.IsNull();
    s.hover = !hoverImage.IsNull();
    s.pressed = !pressedImage.IsNull();
    s.disabled = !disabledImage.IsNull();
    s.checked = !checkedImage.IsNull();
    s.checkedHover = !checkedHoverImage.IsNull();
    s.checkedPressed = !checkedPressedImage.IsNull();
    s.checkedDisabled = !checkedDisabledImage.IsNull();
    return s;
}

const CImage* CKoButton::ImageFor(ButtonImage which) const {
    switch (which) {
    case ButtonImage::Normal:
        return &normalImage;
    case ButtonImage::Hover:
        return &hoverImage;
    case ButtonImage::Pressed:
        return &pressedImage;
    case ButtonImage::Disabled:
        return &disabledImage;
    case ButtonImage::Checked:
        return &checkedImage;
    case ButtonImage::CheckedHover:
        return &checkedHoverImage;
    case ButtonImage::CheckedPressed:
        return &checkedPressedImage;
    case ButtonImage::CheckedDisabled:
        return &checkedDisabledImage;
    case ButtonImage::Keep:
        break;
    }
    return nullptr;
}

void CKoButton::ShowImage(ButtonImage which) {
    if (const CImage* image = ImageFor(which))
        currentImage.AttachView(*image);
}

void CKoButton::SetState(int newState, bool redraw) {
    ButtonLook look;
    look.checked = checked;
    look.hoverEffect = hoverEffect;
    look.hasCheckedColor = hasCheckedColor;
    look.visible = visible;
    look.enabled = enabled;
    const StateDecision d = DecideButtonState(state, newState, redraw, look, AvailableImages());
    if (d.ignored)
        return;
    state = d.storedState;
    for (TextColorChoice c : d.colors) {
        switch (c) {
        case TextColorChoice::Normal:
            SetColor(normalColor, true);
            break;
        case TextColorChoice::Hover:
            SetColor(hoverColor, true);
            break;
        case TextColorChoice::Checked:
            SetColor(checkedColor, true);
            break;
        case TextColorChoice::None:
            break;
        }
    }
    ShowImage(d.image);
    if (d.redraw)
        Redraw();
}

void CKoButton::SetEnabled(bool value, bool redraw) {
    ShowImage(DecideEnabledImage(value, checked, AvailableImages()));
    if (value == enabled)
        return;
    enabled = value;
    if (redraw)
        Redraw();
}

bool CKoButton::OnLButtonDown(WPARAM, POINT) {
    SetCursor(cursor);
    SetState(StatePressed, true);
    return false;
}

bool CKoButton::OnLButtonUp(WPARAM, POINT) {
    SetCursor(cursor);
    SetState(StateReleased, true);
    return false;
}

bool CKoButton::OnMouseMove(WPARAM flags, POINT pt) {
    CKoLabel::OnMouseMove(flags, pt);
    SetState(HitTest(pt) ? StateHover : StateNormal, true);
    return false;
}

void CKoButton::PaintImage(HDC dc) {
    if (currentImage.IsNull())
        return;
    if (!sliced) {
        PlainCopyImage(dc, currentImage, int(bounds.left), int(bounds.top));
        return;
    }
    if (SlicingApplies(currentImage, bounds, imageInsets)) {
        DrawSliced(dc, currentImage, bounds, imageInsets,
                   isAlphaPng ? SliceBlit::AlphaBlend : SliceBlit::ColorKey);
        return;
    }
    const int W = GetImageWidth(), H = GetImageHeight();
    const Box d = PlaceUnsliced({int(bounds.left), int(bounds.top), int(bounds.right), int(bounds.bottom)}, W,
                                H, stretch);
    if (isAlphaPng)
        AlphaBlendImage(dc, currentImage, d.x, d.y, d.w, d.h, 0, 0, W, H, 254);
    else
        KeyBlitImage(dc, currentImage, d.x, d.y, d.w, d.h, 0, 0, W, H);
}

void CKoButton::PaintCaption(HDC dc) {
    if (text.empty())
        return;
    RECT r = {bounds.left + textInsets.left, bounds.top + textInsets.top, bounds.right - textInsets.right,
              bounds.bottom - textInsets.bottom};
    ScopedSaveDc saved(dc);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? textColor : disabledColor);
    EnsureFont();
    ScopedSelect select(dc, font.Get());

    RECT measured = Measure(dc, text, r);
    int lineHeight = int(measured.bottom - measured.top);
    std::wstring shown = text;
    if (measured.right > r.right) {
        shown =
            ShortenCaption(text, ellipsisTail, int(r.right), [dc, &r, &lineHeight](const std::wstring& c) {
                const RECT m = Measure(dc, c, r);
                lineHeight = int(m.bottom - m.top);
                return int(m.right);
            });
    }
    const int inset = VerticalCentringInset(int(r.bottom - r.top), lineHeight);
    r.top += inset;
    r.bottom -= inset;
    DrawTextW(dc, shown.c_str(), int(shown.size()), &r, textFormat);
}

void CKoButton::Paint(HDC dc) {
    if (!visible || !dc)
        return;
    // A control paints only inside its bounds, whatever its image and caption.
    ScopedSaveDc saved(dc);
    IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
    PaintImage(dc);
    PaintCaption(dc);
}
