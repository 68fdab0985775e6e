// Small geometry and colour types shared by the framework. Portable.
#pragma once

#include <cstdint>

struct TPoint {
    int X = 0;
    int Y = 0;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    bool Intersects(const TRect& r) const {
        return Left < r.Right && r.Left < Right && Top < r.Bottom && r.Top < Bottom;
    }
    TRect Offset(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
};

inline TRect Bounds(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

// Colours: blue, green, red from the high to the low byte, top byte zero; a set top
// bit marks a system colour (0x80000000 plus the system colour index).
using TColor = int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clInfoBk = clSystemColor | 24;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

inline bool IsSystemColor(TColor c) {
    return (static_cast<uint32_t>(c) & 0x80000000u) != 0;
}
