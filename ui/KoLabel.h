// One line of text in a font of its own, with optional hover colours and underline
// and "..." shortening when it does not fit. Also the base of the button, which
// takes its caption, font and colours from here.
#pragma once

#include "app/base/Handles.h"
#include "ui/KoBaseControl.h"

#include <string>

class CKoLabel : public CKoBaseControl {
public:
    CKoLabel();
    ~CKoLabel() override;

    bool OnMouseMove(WPARAM flags, POINT pt) override;
    void Paint(HDC dc) override;

    // With auto width the bounds first widen to 800 pixels, so that the next
    // repaint covers the old text.
    virtual void SetText(const std::wstring& value, bool redraw = true);
    // Height = exactSize when above 0, else size - 5 for "微软雅黑", else size.
    virtual void SetFontSize(int size, int exactSize = 0, bool redraw = true);
    virtual void SetFontFace(const std::wstring& face, bool redraw = true);
    virtual void SetHoverUnderline(int normal, int hover, bool redraw = true);
    virtual void SetUnderline(int value, bool redraw = true);
    virtual std::wstring GetText() const;
    virtual void SetTextColors(COLORREF normal, COLORREF hover, COLORREF checked, bool redraw = true);
    virtual void SetHoverColors(COLORREF normal, COLORREF hover, bool redraw = true);
    virtual void SetColor(COLORREF color, bool redraw = true);
    virtual void SetDisabledColor(COLORREF color);
    virtual void SetBackColor(COLORREF color, bool opaque);
    // Takes ownership of the font.
    virtual void SetFont(HFONT newFont);
    // A non-zero format also turns auto width off.
    virtual void SetTextFormat(UINT format);
    virtual void SetAutoWidth(bool enabled, int maxWidthValue);
    // Measured once per text; only SetText resets the cache.
    virtual int GetTextWidth();
    virtual void SetBold(bool bold, bool redraw = true);
    virtual void SetEllipsisTail(int count);

    // Re-creates the font when a setter marked it dirty.
    void EnsureFont();
    // The colour and font the text is drawn with now (the font once EnsureFont has run).
    COLORREF GetTextColor() const { return textColor; }
    HFONT GetFont() const { return font.Get(); }

protected:
    // Set through the operations above, which keep the font and width in step.
    std::wstring text;
    int fontSize = 12;
    std::wstring fontFace = L"宋体";
    int underline = 0;
    COLORREF textColor = 0x00000000;
    COLORREF backColor = 0;
    bool opaqueBack = false;
    ScopedFont font; // null until first needed; then the DC's font is not used
    bool fontDirty = false;
    UINT textFormat = 0; // DT_LEFT | DT_TOP
    bool autoWidth = true;
    int maxWidth = 0;
    int cachedWidth = -1;
    int fontWeight = 0;
    int ellipsisTail = 0;
    bool hoverEffect = false;
    bool hasCheckedColor = false;
    bool hovered = false;
    int hoverUnderline = 0;
    int normalUnderline = 0;
    COLORREF checkedColor = 0;
    COLORREF hoverColor = 0;
    COLORREF normalColor = 0;
    COLORREF disabledColor = 0x00AAAAAA;

    // Widening on a change of text, size or face.
    void WidenForChange();
    // Measures `value` with DT_CALCRECT in a copy of `within`.
    static RECT Measure(HDC dc, const std::wstring& value, const RECT& within);
};
