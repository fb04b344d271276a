// A skinned push button: one of several state images (normal, hover, pressed,
// disabled, and the same again for the checked toggle state), drawn by alpha blend
// or colour key, with an optional caption taken from the label it derives from.
#pragma once

#include "ui/ButtonStates.h"
#include "ui/Image.h"
#include "ui/KoLabel.h"

class CKoButton : public CKoLabel {
public:
    CKoButton();
    ~CKoButton() override;

    bool OnLButtonDown(WPARAM flags, POINT pt) override;
    bool OnLButtonUp(WPARAM flags, POINT pt) override;
    bool OnMouseMove(WPARAM flags, POINT pt) override;
    void Paint(HDC dc) override;
    void SetEnabled(bool value, bool redraw = true) override;

    // Size of the current image, else of the normal image, else 0.
    virtual int GetImageWidth() const;
    virtual int GetImageHeight() const;
    // StateNormal, StateHover, StatePressed, StateReleased, or StateRefresh to
    // re-apply the stored state's images (after `checked` was changed).
    virtual void SetState(int newState, bool redraw = true);

    // Loads the normal, hover and pressed images; the normal one becomes current.
    void SetImages(UINT normalId, HINSTANCE instance, UINT hoverId, UINT pressedId);

    int state = StateNormal;
    bool sliced = true;
    bool stretch = true;
    bool checked = false;
    bool isAlphaPng = false;
    RECT imageInsets = {0, 0, 0, 0};
    RECT textInsets = {0, 0, 0, 0};
    CImage currentImage; // a view of one of the images below
    CImage normalImage;
    CImage hoverImage;
    CImage pressedImage;
    CImage disabledImage;
    CImage checkedImage;
    CImage checkedHoverImage;
    CImage checkedPressedImage;
    CImage checkedDisabledImage;

private:
    ButtonImageSet AvailableImages() const;
    const CImage* ImageFor(ButtonImage which) const;
    void ShowImage(ButtonImage which);
    void PaintImage(HDC dc);
    void PaintCaption(HDC dc);
};
