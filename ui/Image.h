// A DIB-section image: the bitmap and its attributes. An image either owns its
// bitmap or is a view of another image's bitmap (the button's current image); an
// empty image is valid everywhere and every drawing routine skips it.
//
// PNG data is decoded through GDI+. GDI+ starts with the first decode and stops
// when the last CImage object of the process goes; one lock guards both the count
// of live image objects and the start-up state.
#pragma once

#include <windows.h>

#include <objidl.h>

#include <cstdint>

struct PngInfo;

class CImage {
public:
    CImage();
    ~CImage();
    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;

    bool IsNull() const { return bitmap_ == nullptr; }
    HBITMAP GetHandle() const { return bitmap_; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    int GetBPP() const { return bpp_; }
    // Bytes from one row to the next below it; negative for bottom-up bitmaps.
    int GetPitch() const { return pitch_; }
    // The top row.
    void* GetBits() const { return bits_; }
    bool HasAlphaChannel() const { return hasAlpha_; }
    void SetHasAlphaChannel(bool hasAlpha) { hasAlpha_ = hasAlpha; }
    bool OwnsBitmap() const { return owned_ && bitmap_; }

    // Takes ownership of a DIB section; false (and the bitmap deleted) when the
    // handle is not one.
    bool Attach(HBITMAP dibSection);
    // Shows another image's bitmap without owning it; the source must outlive
    // every use of this view.
    void AttachView(const CImage& source);
    // Empties the image, deleting the bitmap when owned.
    void Destroy();

    // A new top-down DIB section, zero-filled; 32 bits per pixel may carry alpha.
    // Indexed depths (1, 4, 8) get a colour table of `paletteCount` entries.
    bool Create(int width, int height, int bpp, bool hasAlpha = false, const RGBQUAD* palette = nullptr,
                int paletteCount = 0);

    // Decodes a PNG (or any format GDI+ reads) from the stream. RGBA gives 32 bits
    // per pixel with alpha (not premultiplied), RGB 24 bits, indexed images keep
    // their depth with the palette in the colour table and reserved bytes 0.
    // Leaves the image empty and returns a failure code when decoding fails.
    HRESULT Load(IStream* stream);

    // The number of CImage objects alive, and whether GDI+ is running now.
    static int LiveImageCount();
    static bool IsDecoderRunning();

private:
    void ReadAttributes(const DIBSECTION& ds);
    void TakeOver(CImage& decoded);
    uint8_t* RowOf(int y) const;
    // Decoding steps; `bitmap` is the GDI+ bitmap being read.
    static HRESULT DecodeColour(void* bitmap, UINT width, UINT height, bool alpha, CImage& out);
    static HRESULT DecodeIndexed(void* bitmap, UINT width, UINT height, unsigned format, CImage& out);
    static HRESULT DecodePaletteFromColour(void* bitmap, UINT width, UINT height, const PngInfo& png,
                                           CImage& out);

    HBITMAP bitmap_ = nullptr;
    bool owned_ = false;
    int width_ = 0;
    int height_ = 0;
    int bpp_ = 0;
    int pitch_ = 0;
    void* bits_ = nullptr;
    bool hasAlpha_ = false;
};
