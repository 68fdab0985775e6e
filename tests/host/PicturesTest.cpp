// The LED pictures and the icon, from their readable sources to the written files.
#include "BitmapSource.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

namespace {

TBitmapSource Load(const std::string& name) {
    std::ifstream in(std::string(LUMARO_SOURCE_DIR "/resources/") + name);
    std::stringstream text;
    text << in.rdbuf();
    return ParseBitmapSource(text.str());
}

// Palette indices of the standard table.
constexpr int kBlack = 0, kGrey = 8, kLime = 10, kWhite = 15;

} // namespace

TEST(Pictures, ColourImageHasTheStatedPixels) {
    TBitmapSource s = Load("LmCustomLEDGREEN.txt");
    ASSERT_EQ(s.Width, 17);
    ASSERT_EQ(s.Height, 17);
    std::map<int, int> count;
    for (int p : s.Pixels)
        ++count[p];
    EXPECT_EQ(count[kBlack], 151);
    EXPECT_EQ(count[kLime], 92);
    EXPECT_EQ(count[kWhite], 9);
    EXPECT_EQ(count[kGrey], 37);
    EXPECT_EQ(count.size(), 4u);
    for (int y : {0, 1, 15, 16})
        for (int x = 0; x < 17; ++x)
            EXPECT_EQ(s.At(x, y), kBlack) << "row " << y << " is empty";
    for (int y = 6; y <= 10; ++y) {
        EXPECT_NE(s.At(3, y), kGrey);
        EXPECT_NE(s.At(13, y), kGrey);
        EXPECT_EQ(s.At(2, y), kGrey) << "the body spans columns 3 to 13 on row " << y;
        EXPECT_EQ(s.At(14, y), kGrey);
    }
    // The highlight sits at the upper left of the body.
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 17; ++x)
            if (s.At(x, y) == kWhite) {
                EXPECT_LT(x, 9);
                EXPECT_LT(y, 9);
            }
}

TEST(Pictures, MaskCoversExactlyOutlineAndBody) {
    TBitmapSource image = Load("LmCustomLEDGREEN.txt");
    TBitmapSource mask = Load("LmCustomLEDMASK.txt");
    ASSERT_EQ(mask.Width, 17);
    ASSERT_EQ(mask.Height, 17);
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 17; ++x) {
            bool disc = image.At(x, y) != kBlack;
            EXPECT_EQ(mask.At(x, y), disc ? kBlack : kWhite) << x << "," << y;
        }
}

TEST(Pictures, BmpFileIsFourBitUncompressedWithTheStandardTable) {
    std::vector<uint8_t> bmp = WriteBmp4(Load("LmCustomLEDGREEN.txt"));
    ASSERT_EQ(bmp.size(), 14u + 40 + 64 + 12 * 17) << "rows of 17 four-bit pixels pad to 12 bytes";
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[28], 4) << "bits per pixel";
    EXPECT_EQ(bmp[30], 0) << "no compression";
    EXPECT_EQ(bmp[14 + 40 + 4 * kLime + 1], 255) << "palette entry 10 is lime";
    // Row 16 (top, empty) is stored last; row 8 holds the body's middle at column 8.
    size_t bits = 14 + 40 + 64;
    size_t row8 = bits + (16 - 8) * 12;
    EXPECT_EQ(bmp[row8 + 4] >> 4, kLime);
}

TEST(Pictures, IconIs32By32SixteenColoursWithAMask) {
    TBitmapSource s = Load("MAINICON.txt");
    ASSERT_EQ(s.Width, 32);
    ASSERT_EQ(s.Height, 32);
    std::vector<uint8_t> ico = WriteIco4(s);
    EXPECT_EQ(ico[2], 1) << "icon";
    EXPECT_EQ(ico[6], 32);
    EXPECT_EQ(ico[8], 16) << "colours";
    EXPECT_EQ(ico.size(), 6u + 16 + 40 + 64 + 16 * 32 + 4 * 32);
}

TEST(Pictures, BadSourcesAreRefusedNamingTheLine) {
    EXPECT_THROW(ParseBitmapSource("legend . 0\npixels\n..\n.\n"), std::runtime_error);
    EXPECT_THROW(ParseBitmapSource("legend . 16\n"), std::runtime_error);
    EXPECT_THROW(ParseBitmapSource("legend . 0\npixels\n.x\n"), std::runtime_error);
    EXPECT_THROW(ParseBitmapSource("legend . 0\n"), std::runtime_error);
    try {
        ParseBitmapSource("# c\nbogus\n");
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "line 2: expected \"legend <char> <index>\" or \"pixels\"");
    }
}
