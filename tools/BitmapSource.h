// Readable sources of the program's small pictures: a character per pixel, with a
// legend that maps characters to entries of the standard 16-colour table. The
// build writes them as 4-bit .bmp files and a 16-colour .ico file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TBitmapSource {
    int Width = 0;
    int Height = 0;
    // Palette index per pixel, rows from the top; -1 is transparent (icons only).
    std::vector<int> Pixels;
    int At(int x, int y) const { return Pixels[static_cast<size_t>(y * Width + x)]; }
};

// The standard 16-colour table as blue, green, red, reserved.
extern const uint8_t kStandardPalette[16][4];

// Source text:
//   # comment
//   legend . 0            character and palette index
//   legend _ transparent
//   pixels                then one line per row, all of one width
// Raises std::runtime_error naming the line for anything else.
TBitmapSource ParseBitmapSource(const std::string& text);

// A .bmp file: file header, info header, the 16-colour table, 4-bit rows bottom-up.
std::vector<uint8_t> WriteBmp4(const TBitmapSource& source);
// A .ico file with one 4-bit image and its transparency mask.
std::vector<uint8_t> WriteIco4(const TBitmapSource& source);
