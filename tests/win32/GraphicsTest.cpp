#include "GdiProbe.h"
#include "Graphics.h"
#include "ResourceStream.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <map>

namespace {

std::map<TColor, int> CountColours(TBitmap& b) {
    std::map<TColor, int> count;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            ++count[b.Pixel(x, y)];
    return count;
}

} // namespace

TEST(Bitmap, LedPicturesLoadWithTheirPixelCounts) {
    TBitmap image;
    image.LoadFromResourceName(MainInstance(), "LmCustomLEDGREEN");
    EXPECT_EQ(image.PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(image.Width(), 17);
    EXPECT_EQ(image.Height(), 17);
    auto before = CountColours(image);
    image.SetPixelFormat(TPixelFormat::pf24bit);
    auto count = CountColours(image);
    EXPECT_EQ(count, before) << "conversion keeps every pixel";
    EXPECT_EQ(count[clBlack], 151);
    EXPECT_EQ(count[clLime], 92);
    EXPECT_EQ(count[clWhite], 9);
    EXPECT_EQ(count[clGray], 37);

    TBitmap mask;
    mask.LoadFromResourceName(MainInstance(), "LmCustomLEDMASK");
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 17; ++x)
            EXPECT_EQ(mask.Pixel(x, y), image.Pixel(x, y) == clBlack ? clWhite : clBlack)
                << "mask covers exactly outline and body at " << x << "," << y;
}

TEST(Bitmap, MissingOrMalformedResourcesRaiseNamingThem) {
    TBitmap b;
    try {
        b.LoadFromResourceName(MainInstance(), "NoSuchBitmap");
        FAIL();
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Resource NoSuchBitmap not found");
    }
    try {
        b.LoadFromResourceName(MainInstance(), "BadBitmap");
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(),
                  "Bitmap resource BadBitmap is malformed: the bitmap header is incomplete");
    }
    EXPECT_TRUE(b.Empty()) << "a failed load leaves the bitmap as it was";
}

TEST(Bitmap, PixelWritesResolveSystemColoursAndNeed24Bits) {
    TBitmap b;
    b.LoadFromResourceName(MainInstance(), "LmCustomLEDGREEN");
    EXPECT_THROW(b.SetPixel(8, 8, clRed), EInvalidGraphic);
    b.SetPixelFormat(TPixelFormat::pf24bit);
    b.SetPixel(8, 8, clBtnFace);
    EXPECT_EQ(b.Pixel(8, 8), static_cast<TColor>(GetSysColor(COLOR_BTNFACE)));
    EXPECT_FALSE(IsSystemColor(b.Pixel(8, 8)));
    b.SetPixel(100, 100, clRed); // outside: ignored
    EXPECT_EQ(b.Pixel(100, 100), clBlack);
}

TEST(Bitmap, ReloadingReplacesTheHandleAndKeepsOneContext) {
    TBitmap b;
    b.LoadFromResourceName(MainInstance(), "LmCustomLEDGREEN");
    HDC dc = b.Canvas().Handle();
    const long held = GdiObjectsHeld();
    const int live = CountLiveGdiObjects();
    for (int i = 0; i < 500; ++i) {
        HBITMAP old = b.Handle();
        b.LoadFromResourceName(MainInstance(), "LmCustomLEDGREEN");
        b.SetPixelFormat(TPixelFormat::pf24bit);
        ASSERT_EQ(GetObjectType(old), 0u) << "the previous picture is deleted";
        ASSERT_EQ(GetCurrentObject(dc, OBJ_BITMAP), b.Handle()) << "the context holds the new one";
    }
    EXPECT_EQ(b.Canvas().Handle(), dc);
    EXPECT_EQ(GdiObjectsHeld(), held);
    EXPECT_EQ(CountLiveGdiObjects(), live);
}

TEST(Canvas, CopyRectAppliesTheRasterOperation) {
    TBitmap dest, source;
    dest.SetSize(4, 4);
    source.SetSize(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            dest.SetPixel(x, y, 0x0000F0);
            source.SetPixel(x, y, 0x00000F | (x == 0 ? 0x00FF00 : 0));
        }
    dest.Canvas().CopyMode = SRCAND;
    dest.Canvas().CopyRect({0, 0, 2, 2}, source, {0, 0, 2, 2});
    EXPECT_EQ(dest.Pixel(0, 0), 0x000000);
    dest.Canvas().CopyMode = SRCPAINT;
    dest.Canvas().CopyRect({0, 0, 2, 2}, source, {0, 0, 2, 2});
    EXPECT_EQ(dest.Pixel(0, 0), 0x00FF0F);
    EXPECT_EQ(dest.Pixel(1, 1), 0x00000F);
    EXPECT_EQ(dest.Pixel(3, 3), 0x0000F0) << "outside the rectangle nothing changes";
}
