#include "ui/KoImage.h"

#include "app/base/Handles.h"
#include "ui/Blit.h"
#include "ui/SliceLayout.h"

CKoImage::CKoImage() {
    className = L"CKoImage";
}

CKoImage::~CKoImage() = default;

int CKoImage::GetImageWidth() const {
    return image.IsNull() ? 0 : image.GetWidth();
}

int CKoImage::GetImageHeight() const {
    return image.IsNull() ? 0 : image.GetHeight();
}

void CKoImage::Paint(HDC dc) {
    if (!visible || !dc || image.IsNull())
        return;
    ScopedSaveDc saved(dc);
    IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);

    const bool slices = SlicingApplies(image, bounds, imageInsets);
    if (!blendMode) {
        if (stretch && slices)
            DrawSliced(dc, image, bounds, imageInsets, SliceBlit::Stretch);
        else
            PlainCopyImage(dc, image, int(bounds.left), int(bounds.top));
        return;
    }
    if (slices) {
        DrawSliced(dc, image, bounds, imageInsets, isAlphaPng ? SliceBlit::AlphaBlend : SliceBlit::ColorKey);
        return;
    }
    const int W = image.GetWidth(), H = image.GetHeight();
    const Box d = PlaceUnsliced({int(bounds.left), int(bounds.top), int(bounds.right), int(bounds.bottom)}, W,
                                H, stretch);
    if (isAlphaPng)
        AlphaBlendImage(dc, image, d.x, d.y, d.w, d.h, 0, 0, W, H, 255);
    else
        KeyBlitImage(dc, image, d.x, d.y, d.w, d.h, 0, 0, W, H);
}
