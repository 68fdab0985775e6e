// Fonts, brushes, canvases and bitmaps on GDI.
#pragma once

#include "Classes.h"
#include "DibImage.h"
#include "Types.h"
#include "WinHandles.h"

#include <string>

// A system colour resolved to its current RGB value; a plain colour unchanged.
TColor ColorToRGB(TColor color);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

class TFont : public TObject {
public:
    TNotifyEvent OnChange;

    const std::string& Name() const { return name_; }
    int Height() const { return height_; }
    int Charset() const { return charset_; }
    TColor Color() const { return color_; }
    unsigned Style() const { return style_; }
    void SetName(const std::string& name);
    void SetHeight(int height);
    void SetCharset(int charset);
    void SetColor(TColor color);
    void SetStyle(unsigned style);
    void Assign(const TFont& other);

    // Created on first use and after every change.
    HFONT Handle();

private:
    void Changed();

    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    int charset_ = DEFAULT_CHARSET;
    TColor color_ = clWindowText;
    unsigned style_ = 0;
    TFontHandle handle_;
};

class TBrush : public TObject {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    HBRUSH Handle();

private:
    TColor color_ = clWhite;
    TBrushHandle handle_;
};

class TBitmap;

// A drawing surface over a device context that it does not own.
class TCanvas : public TObject {
public:
    // Raster operation of CopyRect.
    DWORD CopyMode = SRCCOPY;

    HDC Handle() const { return dc_; }
    void SetHandle(HDC dc) { dc_ = dc; }

    // Copies source's rectangle into dest with CopyMode, stretching when the sizes differ.
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);
    void CopyRect(const TRect& dest, TBitmap& source, const TRect& sourceRect);
    void FillRect(const TRect& rect, TColor color);
    // A dashed outline with a clear brush: how a control shows its bounds at design time.
    void DrawDashedFrame(const TRect& rect);

private:
    HDC dc_ = nullptr;
};

enum class TPixelFormat { pf1bit, pf4bit, pf8bit, pf24bit };

// A device-independent bitmap (a DIB section) with direct pixel access.
class TBitmap : public TObject {
public:
    TBitmap() = default;
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    // Replaces the picture with a bitmap resource in its stored format. Raises
    // EResNotFound for a missing resource and EInvalidGraphic for a malformed one.
    void LoadFromResourceName(HINSTANCE instance, const std::string& name);
    // An empty 24-bit picture (black).
    void SetSize(int width, int height);
    TPixelFormat PixelFormat() const;
    void SetPixelFormat(TPixelFormat format);

    int Width() const { return info_.Width; }
    int Height() const { return info_.Height; }
    bool Empty() const { return !bitmap_; }
    HBITMAP Handle() const { return bitmap_.Get(); }

    // Pixel colours in RGB; reads work in every format, writes need 24 bits and
    // resolve system colours. Out-of-range pixels read black and ignore writes.
    TColor Pixel(int x, int y);
    void SetPixel(int x, int y, TColor color);

    // A memory device context with the picture selected, made on first use; it
    // stays for the bitmap's life and always holds the current picture.
    TCanvas& Canvas();

private:
    void Replace(TBitmapHandle bitmap, void* bits, const TDibInfo& info);
    void FlushIfDrawn();
    TPixels24 Pixels24() const;

    TBitmapHandle bitmap_;
    void* bits_ = nullptr;
    TDibInfo info_;
    // Declared after the bitmap so that it goes first: a bitmap still selected
    // into a context cannot be deleted.
    TMemoryDC dc_;
    HGDIOBJ dcOriginal_ = nullptr;
    TCanvas canvas_;
    bool drawn_ = false;
};
