// Device-independent bitmap data: parsing a packed DIB (a bitmap resource) and pixel
// work on 24-bit rows. Portable.
#pragma once

#include "Types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TDibInfo {
    int32_t Width = 0;
    int32_t Height = 0; // always positive; BottomUp tells the row order
    bool BottomUp = true;
    uint16_t BitCount = 0;
    uint32_t HeaderSize = 0;
    std::vector<uint32_t> Palette; // entries as stored: blue, green, red, reserved bytes
    size_t BitsOffset = 0;         // from the start of the packed DIB
    size_t Stride = 0;             // bytes per row, a multiple of 4
};

// Rows are padded to four bytes.
size_t DibStride(int32_t width, uint16_t bitCount);

// Validates a packed DIB (info header, colour table, pixels) of 1, 4, 8 or 24 bits
// per pixel without compression. On failure returns false and says why.
bool ParseDib(const uint8_t* data, size_t size, TDibInfo& info, std::string& error);

// Converts the pixels of a parsed DIB to 24 bits per pixel, keeping the row order.
// dst must hold DibStride(width, 24) * height bytes.
void ConvertDibTo24(const TDibInfo& info, const uint8_t* bits, uint8_t* dst);

// Pixel access on 24-bit rows; colours in the framework's convention (red low byte).
// Out-of-range coordinates read as black and ignore writes.
struct TPixels24 {
    uint8_t* Bits = nullptr;
    int32_t Width = 0;
    int32_t Height = 0;
    bool BottomUp = true;

    size_t Stride() const { return DibStride(Width, 24); }
    TColor Get(int x, int y) const;
    void Set(int x, int y, TColor rgb);

private:
    uint8_t* At(int x, int y) const;
};
