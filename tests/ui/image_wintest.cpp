// Decoding, resource loading, premultiplication and the blit primitives, drawn into
// real DIB sections and read back.
#include "tests/ui/ui_test_ids.h"
#include "tests/ui/win_test_util.h"
#include "ui/Blit.h"
#include "ui/PngResource.h"
#include "ui/SkinPreload.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace {

HINSTANCE Self() {
    return GetModuleHandleW(nullptr);
}

std::vector<uint8_t> B(std::initializer_list<int> v) {
    return std::vector<uint8_t>(v.begin(), v.end());
}

TEST(ImageDecode, RgbaGives32BitsWithStraightAlpha) {
    CImage image;
    const auto bytes = ResourceBytes(IDT_RGBA);
    ASSERT_TRUE(DecodePngBytes(bytes.data(), bytes.size(), image));
    EXPECT_EQ(image.GetWidth(), 4);
    EXPECT_EQ(image.GetHeight(), 2);
    EXPECT_EQ(image.GetBPP(), 32);
    EXPECT_TRUE(image.HasAlphaChannel());
    EXPECT_GE(image.GetPitch(), 16);
    EXPECT_EQ(PixelBytes(image, 0, 0), B({0, 0, 255, 255}));
    EXPECT_EQ(PixelBytes(image, 1, 0), B({0, 255, 0, 128}));
    EXPECT_EQ(PixelBytes(image, 2, 0), B({255, 128, 1, 128}));
    EXPECT_EQ(PixelBytes(image, 3, 0), B({30, 20, 10, 0}));
    EXPECT_EQ(PixelBytes(image, 2, 1), B({50, 100, 200, 1}));
}

TEST(ImageDecode, RgbGives24BitsWithoutAlpha) {
    CImage image;
    const auto bytes = ResourceBytes(IDT_RGB);
    ASSERT_TRUE(DecodePngBytes(bytes.data(), bytes.size(), image));
    EXPECT_EQ(image.GetBPP(), 24);
    EXPECT_FALSE(image.HasAlphaChannel());
    EXPECT_EQ(PixelBytes(image, 0, 0), B({0, 0, 255}));
    EXPECT_EQ(PixelBytes(image, 2, 0), B({255, 0, 0}));
    EXPECT_EQ(PixelBytes(image, 1, 1), B({255, 128, 255}));
    EXPECT_EQ(PixelBytes(image, 2, 1), B({3, 2, 1}));
}

TEST(ImageDecode, PaletteGives8BitsWithThePaletteAndNoTransparency) {
    CImage image;
    const auto bytes = ResourceBytes(IDT_PALETTE);
    ASSERT_TRUE(DecodePngBytes(bytes.data(), bytes.size(), image));
    EXPECT_EQ(image.GetBPP(), 8);
    EXPECT_FALSE(image.HasAlphaChannel());
    EXPECT_EQ(PixelBytes(image, 0, 0), B({0}));
    EXPECT_EQ(PixelBytes(image, 2, 0), B({2}));
    EXPECT_EQ(PixelBytes(image, 0, 1), B({2}));

    ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
    ScopedSelect select(dc.Get(), image.GetHandle());
    RGBQUAD table[256] = {};
    ASSERT_GE(GetDIBColorTable(dc.Get(), 0, 256, table), 3u);
    const RGBQUAD expected[3] = {{0, 0, 255, 0}, {255, 128, 0, 0}, {230, 240, 250, 0}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(table[i].rgbBlue, expected[i].rgbBlue) << i;
        EXPECT_EQ(table[i].rgbGreen, expected[i].rgbGreen) << i;
        EXPECT_EQ(table[i].rgbRed, expected[i].rgbRed) << i;
        EXPECT_EQ(table[i].rgbReserved, 0) << "palette transparency must be dropped, entry " << i;
    }
}

TEST(ImageDecode, FourBitPaletteKeepsItsDepth) {
    CImage image;
    const auto bytes = ResourceBytes(IDT_PALETTE4);
    ASSERT_TRUE(DecodePngBytes(bytes.data(), bytes.size(), image));
    EXPECT_EQ(image.GetWidth(), 5);
    EXPECT_EQ(image.GetBPP(), 4);
    EXPECT_EQ(PixelBytes(image, 0, 0).size(), 0u); // sub-byte pixels: read the row instead
    GdiFlush();
    const auto* row = static_cast<const uint8_t*>(image.GetBits());
    EXPECT_EQ(row[0], 0x01);
    EXPECT_EQ(row[1], 0x21);
    EXPECT_EQ(row[2] & 0xF0, 0x00);

    // Drawn, the indices show the palette's colours.
    Canvas canvas(5, 1);
    ASSERT_TRUE(StretchImage(canvas.Dc(), image, 0, 0, 5, 1, 0, 0, 5, 1));
    EXPECT_EQ(canvas.At(0, 0), Rgb(10, 20, 30));
    EXPECT_EQ(canvas.At(1, 0), Rgb(40, 50, 60));
    EXPECT_EQ(canvas.At(2, 0), Rgb(70, 80, 90));
    EXPECT_EQ(canvas.At(4, 0), Rgb(10, 20, 30));
}

TEST(ImageDecode, TwoBitPaletteIsWidenedToFourBits) {
    CImage image;
    const auto bytes = ResourceBytes(IDT_PALETTE2);
    ASSERT_TRUE(DecodePngBytes(bytes.data(), bytes.size(), image));
    EXPECT_EQ(image.GetBPP(), 4); // no DIB holds 2-bit indices
    Canvas canvas(5, 2);
    ASSERT_TRUE(StretchImage(canvas.Dc(), image, 0, 0, 5, 2, 0, 0, 5, 2));
    const COLORREF palette[] = {Rgb(10, 20, 30), Rgb(40, 50, 60), Rgb(70, 80, 90), Rgb(100, 110, 120)};
    const int indices[2][5] = {{3, 0, 1, 2, 3}, {0, 1, 2, 3, 0}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(canvas.At(x, y), palette[indices[y][x]]) << x << "," << y;
    }
}

TEST(ImageDecode, BadDataLeavesTheImageEmpty) {
    const auto good = ResourceBytes(IDT_RGBA);
    ASSERT_FALSE(good.empty());
    const std::vector<uint8_t> garbage(300, 0xA5);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"garbage", garbage},
        {"signature only", std::vector<uint8_t>(good.begin(), good.begin() + 8)},
        {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 33)},
        {"half of the data", std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2)},
        {"one byte short", std::vector<uint8_t>(good.begin(), good.end() - 1)},
    };
    for (const auto& c : cases) {
        CImage image;
        ASSERT_TRUE(image.Create(2, 2, 32, true)); // a previous image must go as well
        DecodePngBytes(c.bytes.data(), c.bytes.size(), image);
        // A cut-off IEND may still decode; a failed decode must leave nothing behind.
        if (!image.IsNull()) {
            EXPECT_EQ(image.GetWidth(), 4) << c.name;
            EXPECT_EQ(image.GetHeight(), 2) << c.name;
        }
    }
    CImage image;
    EXPECT_FALSE(DecodePngBytes(garbage.data(), garbage.size(), image));
    EXPECT_TRUE(image.IsNull());
    EXPECT_FALSE(DecodePngBytes(good.data(), 0, image));
    EXPECT_FALSE(DecodePngBytes(nullptr, 10, image));
    EXPECT_TRUE(image.IsNull());
    EXPECT_EQ(image.Load(nullptr), E_POINTER);
}

TEST(ImageCreate, RefusesEmptyAndAbsurdSizes) {
    CImage image;
    EXPECT_FALSE(image.Create(0, 10, 32));
    EXPECT_FALSE(image.Create(10, 0, 32));
    EXPECT_FALSE(image.Create(-5, 10, 32));
    EXPECT_FALSE(image.Create(100000, 100000, 32));
    EXPECT_FALSE(image.Create(10, 10, 13));
    EXPECT_TRUE(image.IsNull());
    ASSERT_TRUE(image.Create(3, 2, 24));
    EXPECT_EQ(image.GetPitch(), 12); // rows are padded to 4 bytes
}

TEST(LoadPngResource, PngResourcePremultipliesByTheFloorRule) {
    CImage image;
    EXPECT_TRUE(LoadPngResource(Self(), IDT_RGBA, image));
    ASSERT_FALSE(image.IsNull());
    EXPECT_EQ(PixelBytes(image, 0, 0), B({0, 0, 255, 255}));  // alpha 255 keeps its colour
    EXPECT_EQ(PixelBytes(image, 1, 0), B({0, 128, 0, 128}));  // 255 at 128 -> 128
    EXPECT_EQ(PixelBytes(image, 2, 0), B({128, 64, 0, 128})); // 1 at 128 -> 0
    EXPECT_EQ(PixelBytes(image, 3, 0), B({0, 0, 0, 0}));      // alpha 0 -> all zero
    EXPECT_EQ(PixelBytes(image, 2, 1), B({0, 0, 0, 1}));
}

TEST(LoadPngResource, OpaqueFormatsAreNotPremultiplied) {
    CImage rgb, palette;
    EXPECT_TRUE(LoadPngResource(Self(), IDT_RGB, rgb));
    EXPECT_EQ(PixelBytes(rgb, 1, 1), B({255, 128, 255}));
    EXPECT_TRUE(LoadPngResource(Self(), IDT_PALETTE, palette));
    EXPECT_EQ(palette.GetBPP(), 8);
}

TEST(LoadPngResource, BitmapResourceIsAttachedAndReportedFalse) {
    CImage image;
    EXPECT_FALSE(LoadPngResource(Self(), IDT_KEYHOLE_BMP, image));
    ASSERT_FALSE(image.IsNull());
    EXPECT_TRUE(image.OwnsBitmap());
    EXPECT_EQ(image.GetWidth(), 8);
    EXPECT_EQ(image.GetHeight(), 8);
    EXPECT_EQ(image.GetBPP(), 24);
    EXPECT_FALSE(image.HasAlphaChannel());
    EXPECT_EQ(PixelBytes(image, 0, 0), B({0, 160, 0})); // the top row, although the DIB is bottom-up
    EXPECT_EQ(PixelBytes(image, 3, 3), B({255, 128, 255}));
}

TEST(LoadPngResource, MissingIdGivesFalseAndAnEmptyImage) {
    CImage image;
    ASSERT_TRUE(image.Create(2, 2, 32, true));
    EXPECT_FALSE(LoadPngResource(Self(), IDT_MISSING, image));
    EXPECT_TRUE(image.IsNull());
}

TEST(LoadPngResource, CorruptPngIsStillAPngButEmpty) {
    CImage image;
    EXPECT_TRUE(LoadPngResource(Self(), IDT_CORRUPT, image));
    EXPECT_TRUE(image.IsNull());
}

TEST(ImageLifetime, CountFollowsTheImagesAndDecodingGoesOnAfterTheLast) {
    ASSERT_EQ(CImage::LiveImageCount(), 0);
    {
        CImage a;
        EXPECT_TRUE(LoadPngResource(Self(), IDT_RGB, a));
        // a and the decoded image it shares
        EXPECT_EQ(CImage::LiveImageCount(), 2);
        {
            CImage b;
            EXPECT_EQ(CImage::LiveImageCount(), 3);
        }
        EXPECT_EQ(CImage::LiveImageCount(), 2);
    }
    EXPECT_EQ(CImage::LiveImageCount(), 0);

    // Nothing the decoder needs went with the last image.
    CImage c;
    EXPECT_TRUE(LoadPngResource(Self(), IDT_RGBA, c));
    EXPECT_FALSE(c.IsNull());
}

// The decoder is COM: a decode on a thread without COM brings it up for itself and
// takes it down again, and one on a thread with an apartment leaves that as it is.
TEST(ImageLifetime, DecodingLeavesTheThreadsComAsItFoundIt) {
    const struct {
        const char* name;
        bool initialised;
        DWORD apartment;
    } rows[] = {{"no COM", false, COINIT_APARTMENTTHREADED},
                {"single-threaded apartment", true, COINIT_APARTMENTTHREADED},
                {"multithreaded apartment", true, COINIT_MULTITHREADED}};
    for (const auto& row : rows) {
        bool decoded = false;
        HRESULT again = E_FAIL, left = E_FAIL;
        std::thread([&] {
            if (row.initialised)
                CoInitializeEx(nullptr, row.apartment);
            {
                CImage image;
                decoded = LoadPngResource(Self(), IDT_RGBA, image) && !image.IsNull();
            }
            // S_FALSE while the caller's apartment is up, S_OK when there was none.
            again = CoInitializeEx(nullptr, row.apartment);
            if (SUCCEEDED(again))
                CoUninitialize();
            if (row.initialised)
                CoUninitialize();
            // The caller's last CoUninitialize ended COM: no reference was left behind.
            left = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            if (SUCCEEDED(left))
                CoUninitialize();
        }).join();
        EXPECT_TRUE(decoded) << row.name;
        EXPECT_EQ(again, row.initialised ? S_FALSE : S_OK) << row.name;
        EXPECT_EQ(left, S_OK) << row.name;
    }
}

TEST(ImageLifetime, CountStaysRightAcrossThreads) {
    std::atomic<int> decoded{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&decoded] {
            for (int i = 0; i < 25; ++i) {
                CImage image;
                if (LoadPngResource(GetModuleHandleW(nullptr), IDT_RGB, image) && !image.IsNull())
                    ++decoded;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(decoded.load(), 100);
    EXPECT_EQ(CImage::LiveImageCount(), 0);
}

TEST(ImageView, ViewSharesTheBitmapWithoutOwningIt) {
    CImage owner;
    ASSERT_TRUE(LoadPngResource(Self(), IDT_RGB, owner));
    HBITMAP handle = owner.GetHandle();
    {
        CImage view;
        view.AttachView(owner);
        EXPECT_EQ(view.GetHandle(), handle);
        EXPECT_FALSE(view.OwnsBitmap());
        EXPECT_EQ(view.GetBPP(), 24);
    }
    EXPECT_EQ(GetObjectType(handle), DWORD(OBJ_BITMAP)) << "destroying a view must not delete the bitmap";
    owner.Destroy();
    EXPECT_EQ(GetObjectType(handle), 0u);
}

// A resource is decoded once while an image shows it: every later load shares that
// bitmap, each holder keeps it alive, and the last one to let go frees it.
TEST(SharedSkinImage, OneDecodeServesEveryHolderUntilTheLastGoes) {
    ASSERT_EQ(CImage::LiveImageCount(), 0);
    auto first = std::make_unique<CImage>();
    CImage second, view;
    ASSERT_TRUE(LoadPngResource(Self(), IDT_RGBA, *first));
    ASSERT_TRUE(LoadPngResource(Self(), IDT_RGBA, second));
    const HBITMAP handle = first->GetHandle();
    EXPECT_EQ(second.GetHandle(), handle);
    EXPECT_TRUE(second.IsShared());
    EXPECT_FALSE(second.OwnsBitmap());
    EXPECT_EQ(CImage::LiveImageCount(), 4) << "two holders, a view and one decoded image";
    view.AttachView(second);

    // Another id, or another image reloaded, does not disturb the shared one.
    second.Destroy();
    ASSERT_TRUE(LoadPngResource(Self(), IDT_RGB, second));
    EXPECT_NE(second.GetHandle(), handle);
    first.reset();
    ASSERT_EQ(GetObjectType(handle), DWORD(OBJ_BITMAP)) << "freed while a view of it is shown";
    EXPECT_EQ(PixelBytes(view, 1, 0), B({0, 128, 0, 128})) << "premultiplied once, not per load";

    view.Destroy();
    EXPECT_EQ(GetObjectType(handle), 0u) << "the last holder let go";
    CImage again;
    ASSERT_TRUE(LoadPngResource(Self(), IDT_RGBA, again));
    EXPECT_EQ(PixelBytes(again, 1, 0), B({0, 128, 0, 128}));
    second.Destroy();
    again.Destroy();
    EXPECT_EQ(CImage::LiveImageCount(), 3) << "only the test's own image objects";
}

// Decoded ahead on a worker: a window's later load takes the same bitmap, and the
// same resource premultiplied by the other rule is an image of its own.
TEST(SharedSkinImage, PreloadDecodesAheadAndKeepsTheRulesApart) {
    CSkinPreload preload(Self(), {{IDT_RGBA, PremultiplyRule::Floor},
                                  {IDT_RGBA, PremultiplyRule::Rounded},
                                  {IDT_MISSING, PremultiplyRule::Floor}});
    preload.Wait();
    const auto& held = preload.Held();
    ASSERT_EQ(held.size(), 3u);
    ASSERT_TRUE(held[0] && held[1]);
    EXPECT_FALSE(held[2]);
    CImage loaded;
    ASSERT_TRUE(LoadPngResource(Self(), IDT_RGBA, loaded));
    EXPECT_EQ(loaded.GetHandle(), held[0]->GetHandle()) << "decoded again";
    EXPECT_NE(held[1]->GetHandle(), held[0]->GetHandle());
    EXPECT_EQ(PixelBytes(*held[0], 2, 0), B({128, 64, 0, 128})); // 1 at 128: floor 0
    EXPECT_EQ(PixelBytes(*held[1], 2, 0), B({128, 64, 1, 128})); // rounded 1
}

TEST(Blit, AlphaBlendOfPremultipliedPixelsOverABackground) {
    CImage image;
    ASSERT_TRUE(LoadPngResource(Self(), IDT_RGBA, image));
    Canvas canvas(4, 2, Rgb(0, 0, 255));
    ASSERT_TRUE(AlphaBlendImage(canvas.Dc(), image, 0, 0, 4, 2, 0, 0, 4, 2, 255));
    EXPECT_EQ(canvas.At(0, 0), Rgb(255, 0, 0));           // opaque
    EXPECT_TRUE(Near(canvas.At(1, 0), Rgb(0, 128, 127))); // green at half over blue
    EXPECT_TRUE(Near(canvas.At(2, 0), Rgb(0, 64, 255)));  // (1, 128, 255) at half over blue
    EXPECT_EQ(canvas.At(3, 0), Rgb(0, 0, 255));           // transparent
    EXPECT_EQ(canvas.At(1, 1), Rgb(255, 255, 255));
}

TEST(Blit, ConstantAlphaOnAnOpaqueImage) {
    CImage image;
    ASSERT_TRUE(LoadPngResource(Self(), IDT_SOLID, image));
    Canvas canvas(6, 4, Rgb(0, 0, 255));
    ASSERT_TRUE(AlphaBlendImage(canvas.Dc(), image, 0, 0, 6, 4, 0, 0, 6, 4, 128));
    EXPECT_TRUE(Near(canvas.At(2, 2), Rgb(100, 20, 137), 2)) << std::hex << canvas.At(2, 2);
}

TEST(Blit, ColourKeyLeavesKeyPixelsUnpainted) {
    CImage image;
    ASSERT_TRUE(LoadPngResource(Self(), IDT_KEYHOLE, image));
    Canvas canvas(8, 8, Rgb(10, 10, 10));
    ASSERT_TRUE(KeyBlitImage(canvas.Dc(), image, 0, 0, 8, 8, 0, 0, 8, 8));
    EXPECT_EQ(canvas.At(0, 0), Rgb(0, 160, 0));
    EXPECT_EQ(canvas.At(7, 7), Rgb(0, 160, 0));
    EXPECT_EQ(canvas.At(3, 3), Rgb(10, 10, 10));
    EXPECT_EQ(canvas.CountOf(Rgb(10, 10, 10)), 16);
    EXPECT_EQ(canvas.CountOf(Rgb(255, 128, 255)), 0);
}

TEST(Blit, ColourKeyOfABitmapResource) {
    CImage image;
    ASSERT_FALSE(LoadPngResource(Self(), IDT_KEYHOLE_BMP, image));
    Canvas canvas(8, 8, Rgb(10, 10, 10));
    ASSERT_TRUE(KeyBlitImage(canvas.Dc(), image, 0, 0, 8, 8, 0, 0, 8, 8));
    EXPECT_EQ(canvas.CountOf(Rgb(10, 10, 10)), 16);
    EXPECT_EQ(canvas.CountOf(Rgb(0, 160, 0)), 48);
}

TEST(Blit, StretchPlainCopyAndDraw) {
    CImage rgb;
    ASSERT_TRUE(LoadPngResource(Self(), IDT_RGB, rgb));
    Canvas canvas(10, 10, Rgb(9, 9, 9));
    ASSERT_TRUE(StretchImage(canvas.Dc(), rgb, 0, 0, 6, 4, 0, 0, 3, 2));
    EXPECT_EQ(canvas.At(0, 0), Rgb(255, 0, 0));
    EXPECT_EQ(canvas.At(1, 1), Rgb(255, 0, 0));
    EXPECT_EQ(canvas.At(5, 3), Rgb(1, 2, 3));
    EXPECT_EQ(canvas.At(6, 0), Rgb(9, 9, 9));

    canvas.Fill(Rgb(9, 9, 9));
    ASSERT_TRUE(PlainCopyImage(canvas.Dc(), rgb, 4, 5));
    EXPECT_EQ(canvas.At(4, 5), Rgb(255, 0, 0));
    EXPECT_EQ(canvas.At(6, 6), Rgb(1, 2, 3));
    EXPECT_EQ(canvas.ChangedOutside({4, 5, 7, 7}, Rgb(9, 9, 9)), 0);

    // The draw primitive: per-pixel alpha for an image with alpha, else a copy.
    CImage rgba;
    ASSERT_TRUE(LoadPngResource(Self(), IDT_RGBA, rgba));
    canvas.Fill(Rgb(0, 0, 255));
    ASSERT_TRUE(DrawImage(canvas.Dc(), rgba, 0, 0, 4, 2, 0, 0, 4, 2));
    EXPECT_EQ(canvas.At(3, 0), Rgb(0, 0, 255));
    ASSERT_TRUE(DrawImage(canvas.Dc(), rgb, 0, 0, 3, 2, 0, 0, 3, 2));
    EXPECT_EQ(canvas.At(1, 1), Rgb(255, 128, 255));
}

TEST(Blit, EmptyImageDrawsNothing) {
    CImage empty;
    Canvas canvas(4, 4, Rgb(1, 2, 3));
    EXPECT_FALSE(AlphaBlendImage(canvas.Dc(), empty, 0, 0, 4, 4, 0, 0, 4, 4));
    EXPECT_FALSE(KeyBlitImage(canvas.Dc(), empty, 0, 0, 4, 4, 0, 0, 4, 4));
    EXPECT_FALSE(StretchImage(canvas.Dc(), empty, 0, 0, 4, 4, 0, 0, 4, 4));
    EXPECT_FALSE(PlainCopyImage(canvas.Dc(), empty));
    EXPECT_FALSE(DrawSliced(canvas.Dc(), empty, {0, 0, 4, 4}, {1, 1, 1, 1}, SliceBlit::Stretch));
    EXPECT_EQ(canvas.CountOf(Rgb(1, 2, 3)), 16);
}

TEST(DrawSliced, NineSlicesKeepTheBorderAndStretchTheMiddle) {
    // The 8 x 8 keyhole has a 2-pixel green border around a key-coloured middle.
    CImage image;
    ASSERT_TRUE(LoadPngResource(Self(), IDT_KEYHOLE, image));
    Canvas canvas(40, 40, Rgb(9, 9, 9));
    const RECT bounds = {5, 6, 30, 36};
    ASSERT_TRUE(DrawSliced(canvas.Dc(), image, bounds, {2, 2, 2, 2}, SliceBlit::Stretch));
    EXPECT_EQ(canvas.ChangedOutside(bounds, Rgb(9, 9, 9)), 0);
    EXPECT_EQ(canvas.CountOf(Rgb(255, 128, 255)), 21 * 26); // the middle, stretched
    EXPECT_EQ(canvas.At(5, 6), Rgb(0, 160, 0));
    EXPECT_EQ(canvas.At(6, 7), Rgb(0, 160, 0));
    EXPECT_EQ(canvas.At(7, 8), Rgb(255, 128, 255));
    EXPECT_EQ(canvas.At(27, 33), Rgb(255, 128, 255));
    EXPECT_EQ(canvas.At(28, 34), Rgb(0, 160, 0));

    // With the colour key the middle stays unpainted.
    canvas.Fill(Rgb(9, 9, 9));
    ASSERT_TRUE(DrawSliced(canvas.Dc(), image, bounds, {2, 2, 2, 2}, SliceBlit::ColorKey));
    EXPECT_EQ(canvas.CountOf(Rgb(9, 9, 9)), 40 * 40 - (25 * 30 - 21 * 26));
}

TEST(DrawSliced, InsetsTooLargeForImageOrControlDrawNothing) {
    CImage image;
    ASSERT_TRUE(LoadPngResource(Self(), IDT_KEYHOLE, image));
    Canvas canvas(40, 40, Rgb(9, 9, 9));
    EXPECT_FALSE(DrawSliced(canvas.Dc(), image, {0, 0, 30, 30}, {4, 4, 4, 4}, SliceBlit::Stretch));
    EXPECT_FALSE(DrawSliced(canvas.Dc(), image, {0, 0, 30, 30}, {50, 50, 50, 50}, SliceBlit::Stretch));
    EXPECT_FALSE(DrawSliced(canvas.Dc(), image, {0, 0, 3, 3}, {2, 2, 2, 2}, SliceBlit::Stretch));
    EXPECT_FALSE(DrawSliced(canvas.Dc(), image, {10, 10, 10, 10}, {1, 1, 1, 1}, SliceBlit::Stretch));
    EXPECT_FALSE(DrawSliced(canvas.Dc(), image, {0, 0, 30, 30}, {0, 0, 0, 0}, SliceBlit::Stretch));
    EXPECT_EQ(canvas.CountOf(Rgb(9, 9, 9)), 1600);
}

} // namespace
