#include "ui/KoLabel.h"

#include "ui/TextFit.h"

namespace {
constexpr int kAutoWidthSpan = 800;
}

CKoLabel::CKoLabel() {
    className = L"CKoLabel";
}

CKoLabel::~CKoLabel() = default;

void CKoLabel::WidenForChange() {
    if (autoWidth)
        bounds.right = bounds.left + kAutoWidthSpan;
}

RECT CKoLabel::Measure(HDC dc, const std::wstring& value, const RECT& within) {
    RECT m = within;
    DrawTextW(dc, value.c_str(), int(value.size()), &m, DT_CALCRECT | DT_NOPREFIX);
    return m;
}

void CKoLabel::SetText(const std::wstring& value, bool redraw) {
    WidenForChange();
    text = value;
    fontDirty = true;
    cachedWidth = -1;
    if (redraw)
        Redraw();
}

void CKoLabel::SetFontSize(int size, int exactSize, bool redraw) {
    WidenForChange();
    fontSize = LabelFontHeight(size, exactSize, fontFace);
    fontDirty = true;
    if (redraw)
        Redraw();
}

void CKoLabel::SetFontFace(const std::wstring& face, bool redraw) {
    WidenForChange();
    fontFace = face;
    fontDirty = true;
    if (redraw)
        Redraw();
}

void CKoLabel::SetHoverUnderline(int normal, int hover, bool redraw) {
    hoverEffect = true;
    normalUnderline = normal;
    hoverUnderline = hover;
    underline = normal;
    if (redraw)
        Redraw();
}

void CKoLabel::SetUnderline(int value, bool redraw) {
    underline = value;
    fontDirty = true;
    if (redraw)
        Redraw();
}

std::wstring CKoLabel::GetText() const {
    return text;
}

void CKoLabel::SetTextColors(COLORREF normal, COLORREF hover, COLORREF checked, bool redraw) {
    hoverEffect = true;
    hasCheckedColor = true;
    normalColor = normal;
    hoverColor = hover;
    checkedColor = checked;
    textColor = normal;
    if (redraw)
        Redraw();
}

void CKoLabel::SetHoverColors(COLORREF normal, COLORREF hover, bool redraw) {
    hoverEffect = true;
    normalColor = normal;
    hoverColor = hover;
    textColor = normal;
    if (redraw)
        Redraw();
}

void CKoLabel::SetColor(COLORREF color, bool redraw) {
    if (color == textColor)
        return;
    textColor = color;
    fontDirty = true;
    if (redraw)
        Redraw();
}

void CKoLabel::SetDisabledColor(COLORREF color) {
    disabledColor = color;
}

void CKoLabel::SetBackColor(COLORREF color, bool opaque) {
    if (color == backColor)
        return;
    backColor = color;
    opaqueBack = opaque;
    Redraw();
}

void CKoLabel::SetFont(HFONT newFont) {
    font.Reset(newFont);
}

void CKoLabel::SetTextFormat(UINT format) {
    textFormat = format;
    if (format != 0)
        autoWidth = false;
}

void CKoLabel::SetAutoWidth(bool enabledValue, int maxWidthValue) {
    autoWidth = enabledValue;
    maxWidth = maxWidthValue;
}

void CKoLabel::SetBold(bool bold, bool redraw) {
    const int weight = bold ? FW_BOLD : 0;
    if (fontWeight == weight)
        return;
    fontWeight = weight;
    fontDirty = true;
    if (redraw)
        Redraw();
}

void CKoLabel::SetEllipsisTail(int count) {
    ellipsisTail = count;
}

void CKoLabel::EnsureFont() {
    if (!fontDirty)
        return;
    font.Reset(CreateFontW(fontSize, 0, 0, 0, fontWeight, FALSE, DWORD(underline), FALSE, ANSI_CHARSET, 0, 0,
                           DEFAULT_QUALITY, FF_SWISS, fontFace.c_str()));
    fontDirty = false;
}

int CKoLabel::GetTextWidth() {
    if (cachedWidth >= 0)
        return cachedWidth;
    ScopedWindowDc dc(hostWindow);
    if (!dc)
        return 0;
    RECT m;
    {
        ScopedSaveDc saved(dc.Get());
        SetBkMode(dc.Get(), TRANSPARENT);
        SetTextColor(dc.Get(), textColor);
        EnsureFont();
        ScopedSelect select(dc.Get(), font.Get());
        m = Measure(dc.Get(), text, bounds);
    }
    cachedWidth = CachedTextWidth(int(m.right - m.left), maxWidth);
    return cachedWidth;
}

bool CKoLabel::OnMouseMove(WPARAM, POINT pt) {
    const bool inside = HitTest(pt);
    if (inside)
        SetCursor(cursor);
    if (!hoverEffect)
        return false;
    if (inside && !hovered) {
        hovered = true;
        SetUnderline(hoverUnderline, false);
        SetColor(hoverColor, true);
    } else if (!inside && hovered) {
        hovered = false;
        SetUnderline(normalUnderline, false);
        SetColor(normalColor, true);
    }
    return false;
}

void CKoLabel::Paint(HDC dc) {
    if (!visible || !dc)
        return;
    ScopedSaveDc saved(dc);
    if (opaqueBack) {
        SetBkColor(dc, backColor);
        SetBkMode(dc, OPAQUE);
    } else {
        SetBkMode(dc, TRANSPARENT);
    }
    SetTextColor(dc, enabled ? textColor : disabledColor);
    EnsureFont();
    ScopedSelect select(dc, font.Get());

    const RECT measured = Measure(dc, text, bounds);
    const int lineHeight = int(measured.bottom - measured.top);
    if (autoWidth)
        bounds.right = AutoWidthRight(int(bounds.left), int(measured.right - measured.left), maxWidth);

    std::wstring shown = text;
    if (measured.right > bounds.right) {
        const RECT start = bounds;
        shown = ShortenLabelText(text, int(bounds.right), [dc, &start](const std::wstring& candidate) {
            return int(Measure(dc, candidate, start).right);
        });
    }

    RECT draw = bounds;
    const int inset = VerticalCentringInset(int(draw.bottom - draw.top), lineHeight);
    draw.top += inset;
    draw.bottom -= inset;
    // A page title is text, not a menu label: "&" is drawn, never an underline.
    DrawTextW(dc, shown.c_str(), int(shown.size()), &draw, textFormat | DT_NOPREFIX);
}
