#include "ui/PngResource.h"

#include "ui/ImageCache.h"
#include "ui/Premultiply.h"

#include "app/base/Handles.h"

#include <cstring>
#include <utility>

bool DecodePngBytes(const void* data, size_t size, CImage& image) {
    image.Destroy();
    if (!data || size == 0)
        return false;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block)
        return false;
    void* target = GlobalLock(block);
    if (!target) {
        GlobalFree(block);
        return false;
    }
    std::memcpy(target, data, size);
    GlobalUnlock(block);

    ComPtr<IStream> stream; // releasing it frees the block
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, stream.Put())) || !stream.Get()) {
        GlobalFree(block);
        return false;
    }
    return SUCCEEDED(image.Load(stream.Get()));
}

void PremultiplyImageFloor(CImage& image) {
    if (image.IsNull() || image.GetBPP() != 32)
        return;
    GdiFlush();
    PremultiplyFloor(static_cast<uint8_t*>(image.GetBits()), image.GetWidth(), image.GetHeight(),
                     image.GetPitch());
}

void PremultiplyImageRounded(CImage& image) {
    if (image.IsNull() || image.GetBPP() != 32)
        return;
    GdiFlush();
    PremultiplyRounded(static_cast<uint8_t*>(image.GetBits()), image.GetWidth(), image.GetHeight(),
                       image.GetPitch());
}

std::shared_ptr<const CImage> SharedPngResource(HINSTANCE instance, WORD id, PremultiplyRule rule) {
    HRSRC res = FindResourceW(instance, MAKEINTRESOURCEW(id), L"PNG");
    HGLOBAL loaded = res ? LoadResource(instance, res) : nullptr;
    if (!loaded)
        return nullptr;
    const void* bytes = LockResource(loaded);
    const DWORD size = SizeofResource(instance, res);
    return SharedResourceImage(instance, id, int(rule), [bytes, size, rule](CImage& decoded) {
        if (!bytes || !size || !DecodePngBytes(bytes, size, decoded))
            return;
        if (rule == PremultiplyRule::Floor)
            PremultiplyImageFloor(decoded);
        else
            PremultiplyImageRounded(decoded);
    });
}

bool LoadPngResource(HINSTANCE instance, WORD id, CImage& image) {
    image.Destroy();
    if (FindResourceW(instance, MAKEINTRESOURCEW(id), L"PNG")) {
        std::shared_ptr<const CImage> decoded = SharedPngResource(instance, id, PremultiplyRule::Floor);
        if (!decoded)
            return false; // LoadResource failed
        image.AttachShared(std::move(decoded));
        return true;
    }
    if (FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2) /* RT_BITMAP */)) {
        HANDLE bitmap = LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        if (bitmap)
            image.Attach(static_cast<HBITMAP>(bitmap));
    }
    return false;
}
