#include "ui/Blit.h"

#include "app/base/Handles.h"
#include "ui/PngResource.h"
#include "ui/Rects.h"
#include "ui/SliceLayout.h"

namespace {

// The image's bitmap selected into a memory DC compatible with the target, for
// the lifetime of this object.
class SourceDc {
public:
    SourceDc(HDC target, const CImage& image)
        : dc_(CreateCompatibleDC(target)), select_(dc_.Get(), image.GetHandle()) {}
    HDC Get() const { return dc_.Get(); }

private:
    ScopedMemoryDc dc_;
    ScopedSelect select_;
};

enum class Op { Alpha, Key, Stretch };

bool BlitOne(HDC dc, HDC source, const CImage& image, Op op, const Box& d, const Box& s, BYTE alpha) {
    if (d.w <= 0 || d.h <= 0 || s.w <= 0 || s.h <= 0)
        return false;
    switch (op) {
    case Op::Alpha: {
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, BYTE(image.HasAlphaChannel() ? AC_SRC_ALPHA : 0)};
        return AlphaBlend(dc, d.x, d.y, d.w, d.h, source, s.x, s.y, s.w, s.h, blend) != FALSE;
    }
    case Op::Key:
        return TransparentBlt(dc, d.x, d.y, d.w, d.h, source, s.x, s.y, s.w, s.h, kKeyColor) != FALSE;
    case Op::Stretch:
        return StretchBlt(dc, d.x, d.y, d.w, d.h, source, s.x, s.y, s.w, s.h, SRCCOPY) != FALSE;
    }
    return false;
}

bool BlitImage(HDC dc, const CImage& image, Op op, const Box& d, const Box& s, BYTE alpha) {
    if (!dc || image.IsNull())
        return false;
    SourceDc source(dc, image);
    return source.Get() && BlitOne(dc, source.Get(), image, op, d, s, alpha);
}

} // namespace

bool AlphaBlendImage(HDC dc, const CImage& image, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                     BYTE constantAlpha) {
    return BlitImage(dc, image, Op::Alpha, {x, y, w, h}, {sx, sy, sw, sh}, constantAlpha);
}

bool KeyBlitImage(HDC dc, const CImage& image, int x, int y, int w, int h, int sx, int sy, int sw, int sh) {
    return BlitImage(dc, image, Op::Key, {x, y, w, h}, {sx, sy, sw, sh}, 255);
}

bool StretchImage(HDC dc, const CImage& image, int x, int y, int w, int h, int sx, int sy, int sw, int sh) {
    return BlitImage(dc, image, Op::Stretch, {x, y, w, h}, {sx, sy, sw, sh}, 255);
}

bool PlainCopyImage(HDC dc, const CImage& image, int x, int y) {
    if (!dc || image.IsNull())
        return false;
    SourceDc source(dc, image);
    return source.Get() &&
           BitBlt(dc, x, y, image.GetWidth(), image.GetHeight(), source.Get(), 0, 0, SRCCOPY) != FALSE;
}

bool DrawImage(HDC dc, const CImage& image, int x, int y, int w, int h, int sx, int sy, int sw, int sh) {
    if (image.HasAlphaChannel())
        return AlphaBlendImage(dc, image, x, y, w, h, sx, sy, sw, sh, 255);
    return StretchImage(dc, image, x, y, w, h, sx, sy, sw, sh);
}

bool SlicingApplies(const CImage& image, const RECT& bounds, const RECT& insets) {
    if (image.IsNull())
        return false;
    const Edges b = ToEdges(bounds), in = ToEdges(insets);
    return SlicesHorizontally(b, image.GetWidth(), in) || SlicesVertically(b, image.GetHeight(), in);
}

bool DrawSliced(HDC dc, const CImage& image, const RECT& bounds, const RECT& insets, SliceBlit blit) {
    if (!dc || image.IsNull())
        return false;
    const SliceLayout layout =
        ComputeSliceLayout(ToEdges(bounds), image.GetWidth(), image.GetHeight(), ToEdges(insets));
    if (layout.count == 0)
        return false;
    const Op op = blit == SliceBlit::AlphaBlend ? Op::Alpha
                  : blit == SliceBlit::ColorKey ? Op::Key
                                                : Op::Stretch;
    SourceDc source(dc, image); // one selection for all pieces
    if (!source.Get())
        return false;
    for (int i = 0; i < layout.count; ++i)
        BlitOne(dc, source.Get(), image, op, layout.pieces[i].dest, layout.pieces[i].src, 255);
    return true;
}
