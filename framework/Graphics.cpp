#include "Graphics.h"

#include "ResourceStream.h"
#include "SysUtils.h"

#include <cstring>
#include <vector>

TColor ColorToRGB(TColor color) {
    if (IsSystemColor(color))
        return static_cast<TColor>(GetSysColor(color & 0xFF));
    return color;
}

void TFont::SetName(const std::string& name) {
    if (name != name_) {
        name_ = name;
        Changed();
    }
}

void TFont::SetHeight(int height) {
    if (height != height_) {
        height_ = height;
        Changed();
    }
}

void TFont::SetCharset(int charset) {
    if (charset != charset_) {
        charset_ = charset;
        Changed();
    }
}

void TFont::SetColor(TColor color) {
    if (color != color_) {
        color_ = color;
        Changed();
    }
}

void TFont::SetStyle(unsigned style) {
    if (style != style_) {
        style_ = style;
        Changed();
    }
}

void TFont::Assign(const TFont& other) {
    if (&other == this)
        return;
    name_ = other.name_;
    height_ = other.height_;
    charset_ = other.charset_;
    color_ = other.color_;
    style_ = other.style_;
    Changed();
}

void TFont::Changed() {
    handle_.Reset();
    if (OnChange)
        OnChange(this);
}

HFONT TFont::Handle() {
    if (!handle_) {
        LOGFONTA lf{};
        lf.lfHeight = height_;
        lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
        lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
        lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
        lf.lfCharSet = static_cast<BYTE>(charset_);
        lf.lfQuality = DEFAULT_QUALITY;
        lstrcpynA(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
        handle_.Reset(CreateFontIndirectA(&lf));
    }
    return handle_.Get();
}

void TBrush::SetColor(TColor color) {
    if (color != color_) {
        color_ = color;
        handle_.Reset();
    }
}

HBRUSH TBrush::Handle() {
    if (!handle_)
        handle_.Reset(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color_))));
    return handle_.Get();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& s) {
    if (!dc_ || !source.Handle())
        return;
    if (dest.Width() == s.Width() && dest.Height() == s.Height())
        BitBlt(dc_, dest.Left, dest.Top, dest.Width(), dest.Height(), source.Handle(), s.Left,
               s.Top, CopyMode);
    else
        StretchBlt(dc_, dest.Left, dest.Top, dest.Width(), dest.Height(), source.Handle(), s.Left,
                   s.Top, s.Width(), s.Height(), CopyMode);
}

void TCanvas::CopyRect(const TRect& dest, TBitmap& source, const TRect& sourceRect) {
    if (source.Empty())
        return;
    CopyRect(dest, source.Canvas(), sourceRect);
}

void TCanvas::FillRect(const TRect& rect, TColor color) {
    if (!dc_)
        return;
    TBrushHandle brush(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color))));
    RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
    ::FillRect(dc_, &r, brush.Get());
}

void TCanvas::DrawDashedFrame(const TRect& rect) {
    if (!dc_)
        return;
    TPenHandle pen(CreatePen(PS_DASH, 1, RGB(0, 0, 0)));
    TSelection penSel(dc_, pen.Get());
    TSelection brushSel(dc_, GetStockObject(NULL_BRUSH));
    Rectangle(dc_, rect.Left, rect.Top, rect.Right, rect.Bottom);
}

TBitmap::~TBitmap() {
    // Put the context's own bitmap back so that ours is free to be deleted.
    if (dc_ && dcOriginal_)
        SelectObject(dc_.Get(), dcOriginal_);
}

namespace {

// BITMAPINFO with room for a full colour table.
struct TBitmapInfo256 {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[256];
};

TBitmapHandle CreateDib(const TDibInfo& info, void** bits) {
    TBitmapInfo256 bmi{};
    bmi.Header.biSize = sizeof(BITMAPINFOHEADER);
    bmi.Header.biWidth = info.Width;
    bmi.Header.biHeight = info.BottomUp ? info.Height : -info.Height;
    bmi.Header.biPlanes = 1;
    bmi.Header.biBitCount = info.BitCount;
    bmi.Header.biCompression = BI_RGB;
    bmi.Header.biClrUsed = static_cast<DWORD>(info.Palette.size());
    for (size_t i = 0; i < info.Palette.size() && i < 256; ++i)
        std::memcpy(&bmi.Colors[i], &info.Palette[i], 4);
    *bits = nullptr;
    TBitmapHandle bmp(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bmi), DIB_RGB_COLORS,
                                       bits, nullptr, 0));
    if (!bmp || !*bits)
        throw EInvalidGraphic("Out of system resources creating a bitmap");
    return bmp;
}

TDibInfo Info24(int width, int height, bool bottomUp) {
    TDibInfo info;
    info.Width = width;
    info.Height = height;
    info.BottomUp = bottomUp;
    info.BitCount = 24;
    info.HeaderSize = sizeof(BITMAPINFOHEADER);
    info.Stride = DibStride(width, 24);
    return info;
}

} // namespace

void TBitmap::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
    TResourceStream stream(instance, name, MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    TDibInfo info;
    std::string why;
    if (!ParseDib(stream.Memory(), static_cast<size_t>(stream.Size()), info, why))
        throw EInvalidGraphic("Bitmap resource " + name + " is malformed: " + why);
    void* bits = nullptr;
    TBitmapHandle bmp = CreateDib(info, &bits);
    std::memcpy(bits, stream.Memory() + info.BitsOffset, info.Stride * info.Height);
    Replace(std::move(bmp), bits, info);
}

void TBitmap::SetSize(int width, int height) {
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767)
        throw EInvalidGraphic("Invalid bitmap size");
    TDibInfo info = Info24(width, height, true);
    void* bits = nullptr;
    TBitmapHandle bmp = CreateDib(info, &bits);
    std::memset(bits, 0, info.Stride * info.Height);
    Replace(std::move(bmp), bits, info);
}

TPixelFormat TBitmap::PixelFormat() const {
    switch (info_.BitCount) {
    case 1:
        return TPixelFormat::pf1bit;
    case 4:
        return TPixelFormat::pf4bit;
    case 8:
        return TPixelFormat::pf8bit;
    default:
        return TPixelFormat::pf24bit;
    }
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format != TPixelFormat::pf24bit)
        throw EInvalidGraphic("Only conversion to 24 bits per pixel is supported");
    if (Empty() || info_.BitCount == 24)
        return;
    FlushIfDrawn();
    TDibInfo info = Info24(info_.Width, info_.Height, info_.BottomUp);
    void* bits = nullptr;
    TBitmapHandle bmp = CreateDib(info, &bits);
    ConvertDibTo24(info_, static_cast<const uint8_t*>(bits_), static_cast<uint8_t*>(bits));
    Replace(std::move(bmp), bits, info);
}

void TBitmap::Replace(TBitmapHandle bitmap, void* bits, const TDibInfo& info) {
    // The context drops the old picture before it is deleted below.
    if (dc_) {
        HGDIOBJ previous = SelectObject(dc_.Get(), bitmap.Get());
        if (!dcOriginal_)
            dcOriginal_ = previous;
    }
    bitmap_ = std::move(bitmap);
    bits_ = bits;
    info_ = info;
    drawn_ = false;
}

void TBitmap::FlushIfDrawn() {
    // GDI may still be drawing into the pixels through the context.
    if (drawn_) {
        GdiFlush();
        drawn_ = false;
    }
}

TPixels24 TBitmap::Pixels24() const {
    TPixels24 p;
    p.Bits = static_cast<uint8_t*>(bits_);
    p.Width = info_.Width;
    p.Height = info_.Height;
    p.BottomUp = info_.BottomUp;
    return p;
}

TColor TBitmap::Pixel(int x, int y) {
    if (Empty() || x < 0 || y < 0 || x >= info_.Width || y >= info_.Height)
        return clBlack;
    FlushIfDrawn();
    if (info_.BitCount == 24)
        return Pixels24().Get(x, y);
    // Other formats read through their colour table: convert one row.
    TDibInfo row = info_;
    row.Height = 1;
    size_t srcRow =
        info_.BottomUp ? static_cast<size_t>(info_.Height - 1 - y) : static_cast<size_t>(y);
    std::vector<uint8_t> out(DibStride(info_.Width, 24));
    ConvertDibTo24(row, static_cast<const uint8_t*>(bits_) + srcRow * info_.Stride, out.data());
    TPixels24 p{out.data(), info_.Width, 1, false};
    return p.Get(x, 0);
}

void TBitmap::SetPixel(int x, int y, TColor color) {
    if (Empty())
        return;
    if (info_.BitCount != 24)
        throw EInvalidGraphic("Pixels can only be written in a 24-bit bitmap");
    FlushIfDrawn();
    Pixels24().Set(x, y, ColorToRGB(color));
}

TCanvas& TBitmap::Canvas() {
    if (!dc_) {
        dc_.Reset(CreateCompatibleDC(nullptr));
        if (bitmap_)
            dcOriginal_ = SelectObject(dc_.Get(), bitmap_.Get());
        canvas_.SetHandle(dc_.Get());
    }
    drawn_ = true;
    return canvas_;
}
