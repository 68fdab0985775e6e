#include "DibImage.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A packed DIB: info header, colour table, rows.
std::vector<uint8_t> MakeDib(int32_t width, int32_t height, uint16_t bits, uint32_t colors,
                             size_t pixelBytes, uint32_t compression = 0) {
    std::vector<uint8_t> d(40 + 4 * colors + pixelBytes, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&d[at], &v, 4); };
    put32(0, 40);
    put32(4, static_cast<uint32_t>(width));
    put32(8, static_cast<uint32_t>(height));
    d[12] = 1;
    d[14] = static_cast<uint8_t>(bits);
    put32(16, compression);
    put32(32, colors);
    return d;
}

} // namespace

TEST(DibImage, FourBitImageConvertsThroughItsColourTable) {
    // 3 x 2, bottom-up: palette 0 black, 1 lime (blue, green, red, 0), 2 white.
    auto d = MakeDib(3, 2, 4, 3, 2 * 4);
    uint32_t palette[3] = {0x000000, 0x00FF00, 0xFFFFFF};
    std::memcpy(&d[40], palette, sizeof palette);
    d[52] = 0x12; // bottom row: lime, white, black
    d[53] = 0x00;
    d[56] = 0x01; // top row: black, lime, black
    TDibInfo info;
    std::string why;
    ASSERT_TRUE(ParseDib(d.data(), d.size(), info, why)) << why;
    EXPECT_EQ(info.Width, 3);
    EXPECT_EQ(info.Height, 2);
    EXPECT_TRUE(info.BottomUp);
    EXPECT_EQ(info.Stride, 4u);
    EXPECT_EQ(info.BitsOffset, 52u);

    std::vector<uint8_t> out(DibStride(3, 24) * 2);
    ConvertDibTo24(info, d.data() + info.BitsOffset, out.data());
    TPixels24 px{out.data(), 3, 2, true};
    EXPECT_EQ(px.Get(0, 0), clBlack);
    EXPECT_EQ(px.Get(1, 0), clLime);
    EXPECT_EQ(px.Get(0, 1), clLime);
    EXPECT_EQ(px.Get(1, 1), clWhite);
    px.Set(2, 1, clRed);
    EXPECT_EQ(px.Get(2, 1), clRed);
    EXPECT_EQ(out[2 * 3 + 2], 0xFF) << "red is the third byte of a 24-bit pixel";
    EXPECT_EQ(px.Get(3, 0), clBlack) << "outside reads black";
    px.Set(-1, 0, clRed); // ignored
}

TEST(DibImage, MalformedHeadersAreRefused) {
    struct Case {
        std::vector<uint8_t> dib;
        const char* why;
    };
    auto ok = MakeDib(17, 17, 4, 16, 12 * 17);
    auto truncated = ok;
    truncated.resize(truncated.size() - 1);
    auto hugeHeader = ok;
    hugeHeader[0] = 0xFF;
    hugeHeader[1] = 0xFF;
    const Case cases[] = {
        {std::vector<uint8_t>(ok.begin(), ok.begin() + 20), "the bitmap header is incomplete"},
        {hugeHeader, "the bitmap header is larger than the data"},
        {MakeDib(0, 17, 4, 16, 0), "the bitmap size is out of range"},
        {MakeDib(17, 0, 4, 16, 0), "the bitmap size is out of range"},
        {MakeDib(100000, 1, 4, 16, 0), "the bitmap size is out of range"},
        {MakeDib(17, 17, 16, 0, 0), "the pixel format is not supported"},
        {MakeDib(17, 17, 4, 16, 12 * 17, 2), "compressed bitmaps are not supported"},
        {MakeDib(17, 17, 4, 17, 12 * 17), "the colour table is too large"},
        {std::vector<uint8_t>(ok.begin(), ok.begin() + 60), "the colour table is incomplete"},
        {truncated, "the pixel data is incomplete"},
    };
    for (const Case& c : cases) {
        TDibInfo info;
        std::string why;
        EXPECT_FALSE(ParseDib(c.dib.data(), c.dib.size(), info, why)) << c.why;
        EXPECT_EQ(why, c.why);
    }
    TDibInfo info;
    std::string why;
    EXPECT_TRUE(ParseDib(ok.data(), ok.size(), info, why)) << why;
}

TEST(DibImage, TopDownRowsKeepTheirOrder) {
    auto d = MakeDib(1, -2, 24, 0, 2 * 4);
    d[40 + 2] = 0xFF; // row 0 (top): red
    TDibInfo info;
    std::string why;
    ASSERT_TRUE(ParseDib(d.data(), d.size(), info, why)) << why;
    EXPECT_FALSE(info.BottomUp);
    std::vector<uint8_t> out(8);
    ConvertDibTo24(info, d.data() + info.BitsOffset, out.data());
    TPixels24 px{out.data(), 1, 2, false};
    EXPECT_EQ(px.Get(0, 0), clRed);
    EXPECT_EQ(px.Get(0, 1), clBlack);
}
