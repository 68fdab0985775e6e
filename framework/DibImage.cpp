#include "DibImage.h"

#include "Classes.h"

#include <cstring>

size_t DibStride(int32_t width, uint16_t bitCount) {
    return ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
}

bool ParseDib(const uint8_t* data, size_t size, TDibInfo& info, std::string& error) {
    TByteReader r(data, size);
    uint32_t headerSize = 0, compression = 0, sizeImage = 0, colorsUsed = 0, colorsImportant = 0;
    int32_t width = 0, height = 0, xppm = 0, yppm = 0;
    uint16_t planes = 0, bitCount = 0;
    if (!r.ReadU32(headerSize) || headerSize < 40 || !r.ReadI32(width) || !r.ReadI32(height) ||
        !r.ReadU16(planes) || !r.ReadU16(bitCount) || !r.ReadU32(compression) ||
        !r.ReadU32(sizeImage) || !r.ReadI32(xppm) || !r.ReadI32(yppm) || !r.ReadU32(colorsUsed) ||
        !r.ReadU32(colorsImportant)) {
        error = "the bitmap header is incomplete";
        return false;
    }
    if (!r.Seek(headerSize)) {
        error = "the bitmap header is larger than the data";
        return false;
    }
    // 32767 keeps every size computation below far inside 32 bits of rows.
    if (width <= 0 || width > 32767 || height == 0 || height < -32767 || height > 32767) {
        error = "the bitmap size is out of range";
        return false;
    }
    if (planes != 1 || (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24)) {
        error = "the pixel format is not supported";
        return false;
    }
    if (compression != 0) {
        error = "compressed bitmaps are not supported";
        return false;
    }
    uint32_t maxColors = bitCount <= 8 ? (1u << bitCount) : 0;
    uint32_t paletteCount = colorsUsed != 0 ? colorsUsed : maxColors;
    if (paletteCount > maxColors && bitCount <= 8) {
        error = "the colour table is too large";
        return false;
    }
    if (bitCount == 24)
        paletteCount = colorsUsed <= 256 ? colorsUsed : 256; // an optional table, unused
    info.Palette.assign(paletteCount, 0);
    for (uint32_t i = 0; i < paletteCount; ++i) {
        if (!r.ReadU32(info.Palette[i])) {
            error = "the colour table is incomplete";
            return false;
        }
    }
    info.Width = width;
    info.Height = height < 0 ? -height : height;
    info.BottomUp = height > 0;
    info.BitCount = bitCount;
    info.HeaderSize = headerSize;
    info.Stride = DibStride(width, bitCount);
    info.BitsOffset = r.Position();
    if (info.Stride * static_cast<size_t>(info.Height) > r.Remaining()) {
        error = "the pixel data is incomplete";
        return false;
    }
    return true;
}

void ConvertDibTo24(const TDibInfo& info, const uint8_t* bits, uint8_t* dst) {
    size_t dstStride = DibStride(info.Width, 24);
    for (int32_t row = 0; row < info.Height; ++row) {
        const uint8_t* src = bits + info.Stride * static_cast<size_t>(row);
        uint8_t* out = dst + dstStride * static_cast<size_t>(row);
        std::memset(out, 0, dstStride);
        for (int32_t x = 0; x < info.Width; ++x) {
            uint32_t entry = 0;
            if (info.BitCount == 24) {
                std::memcpy(out + 3 * x, src + 3 * x, 3);
                continue;
            }
            unsigned index;
            if (info.BitCount == 8) {
                index = src[x];
            } else if (info.BitCount == 4) {
                uint8_t b = src[x / 2];
                index = (x % 2 == 0) ? (b >> 4) : (b & 0x0F);
            } else {
                index = (src[x / 8] >> (7 - x % 8)) & 1;
            }
            if (index < info.Palette.size())
                entry = info.Palette[index];
            out[3 * x] = static_cast<uint8_t>(entry);           // blue
            out[3 * x + 1] = static_cast<uint8_t>(entry >> 8);  // green
            out[3 * x + 2] = static_cast<uint8_t>(entry >> 16); // red
        }
    }
}

uint8_t* TPixels24::At(int x, int y) const {
    if (!Bits || x < 0 || y < 0 || x >= Width || y >= Height)
        return nullptr;
    size_t row = BottomUp ? static_cast<size_t>(Height - 1 - y) : static_cast<size_t>(y);
    return Bits + row * Stride() + 3 * static_cast<size_t>(x);
}

TColor TPixels24::Get(int x, int y) const {
    const uint8_t* p = At(x, y);
    if (!p)
        return clBlack;
    return static_cast<TColor>(p[2] | (p[1] << 8) | (p[0] << 16));
}

void TPixels24::Set(int x, int y, TColor rgb) {
    uint8_t* p = At(x, y);
    if (!p)
        return;
    p[0] = static_cast<uint8_t>(rgb >> 16);
    p[1] = static_cast<uint8_t>(rgb >> 8);
    p[2] = static_cast<uint8_t>(rgb);
}
