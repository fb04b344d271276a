// A DIB-section image: the bitmap and its attributes. An image either owns its
// bitmap, shares a decoded image with other images (skin resources, decoded once:
// ui/ImageCache.h), or is a view of another image's bitmap (the button's current
// image); an empty image is valid everywhere and every drawing routine skips it.
// A shared bitmap lives until the last image sharing it is destroyed or reloaded.
//
// PNG data is decoded through the Windows Imaging Component, which writes the
// pixels straight into the DIB section (ui/WicDecode.h); nothing of it is kept
// between decodes. The count of live image objects is kept for leak checks.
#pragma once

#include <windows.h>

#include <objidl.h>

#include <cstdint>
#include <memory>

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
    // Shows a decoded image that others may share (read-only from then on).
    bool IsShared() const { return shared_ != nullptr; }

    // Takes ownership of a DIB section; false (and the bitmap deleted) when the
    // handle is not one.
    bool Attach(HBITMAP dibSection);
    // Shows another image's bitmap without owning it; the source must outlive
    // every use of this view, unless the source is shared: the view then keeps
    // the shared bitmap alive as well.
    void AttachView(const CImage& source);
    // Shows `decoded` and keeps it alive while this image shows it; empty when it is null or empty.
    void AttachShared(std::shared_ptr<const CImage> decoded);
    // Empties the image, deleting the bitmap when owned.
    void Destroy();

    // A new top-down DIB section, zero-filled; 32 bits per pixel may carry alpha.
    // Indexed depths (1, 4, 8) get a colour table of `paletteCount` entries.
    bool Create(int width, int height, int bpp, bool hasAlpha = false, const RGBQUAD* palette = nullptr,
                int paletteCount = 0);

    // Decodes a PNG (or any format WIC reads) from the stream's start. RGBA gives 32 bits
    // per pixel with alpha (not premultiplied), RGB 24 bits, indexed images keep
    // their depth with the palette in the colour table and reserved bytes 0.
    // Leaves the image empty and returns a failure code when decoding fails. Any
    // thread; images may be decoded on several threads at once.
    HRESULT Load(IStream* stream);

    // The number of CImage objects alive.
    static int LiveImageCount();

    // Images larger than this on either side are refused before any allocation.
    static constexpr int kMaxSide = 16384;

private:
    void ReadAttributes(const DIBSECTION& ds);
    void TakeOver(CImage& decoded);

    HBITMAP bitmap_ = nullptr;
    bool owned_ = false;
    int width_ = 0;
    int height_ = 0;
    int bpp_ = 0;
    int pitch_ = 0;
    void* bits_ = nullptr;
    bool hasAlpha_ = false;
    std::shared_ptr<const CImage> shared_; // the decoded image this one shares, if any
};
