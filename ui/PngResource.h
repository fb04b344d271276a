// Skin images from the module's resources.
#pragma once

#include "ui/Image.h"

#include <windows.h>

#include <memory>

// The transparent colour of colour-key blits and colour-keyed windows.
constexpr COLORREF kKeyColor = RGB(255, 128, 255); // 0x00FF80FF

// Loads resource `id` into `image`. True when it is a "PNG" resource: such images
// are drawn by alpha blending (32-bit ones are premultiplied here, floor rule); true
// even when the data did not decode and the image stayed empty. A PNG resource is
// decoded once while images show it: `image` shares the decoded, read-only bitmap
// (ui/ImageCache.h). False for a bitmap resource (attached and owned, drawn by
// colour key) and for a missing id (image empty).
bool LoadPngResource(HINSTANCE instance, WORD id, CImage& image);

enum class PremultiplyRule { Floor, Rounded };

// The shared decoded image of "PNG" resource `id`, premultiplied by `rule` (32-bit
// images only): decoded at the first request while no image shows it. Null when
// there is no such resource or it cannot be loaded; empty when it does not decode.
std::shared_ptr<const CImage> SharedPngResource(HINSTANCE instance, WORD id, PremultiplyRule rule);

// Decodes PNG bytes into `image` through a movable global memory stream, as the
// resource loader does; the image stays empty when they do not decode.
bool DecodePngBytes(const void* data, size_t size, CImage& image);

// In-place premultiplication of a 32-bit image (nothing for other depths).
void PremultiplyImageFloor(CImage& image);
void PremultiplyImageRounded(CImage& image);
