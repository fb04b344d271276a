// One skin image drawn into the control's bounds: sliced or stretched over them, or
// at its own size, by alpha blend, colour key or opaque copies. The window sets the
// fields directly after loading the image.
#pragma once

#include "ui/Image.h"
#include "ui/KoBaseControl.h"

class CKoImage : public CKoBaseControl {
public:
    CKoImage();
    ~CKoImage() override;

    void Paint(HDC dc) override;

    virtual int GetImageWidth() const;
    virtual int GetImageHeight() const;

    bool isAlphaPng = false; // the result of LoadPngResource for `image`
    CImage image;
    bool blendMode = true; // alpha blend or colour key; false: opaque copies
    RECT imageInsets = {0, 0, 0, 0};
    bool stretch = true;
};
