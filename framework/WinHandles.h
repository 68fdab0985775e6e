// Owners for Win32 handles: each handle the framework creates has exactly one owner
// that releases it on every path. Graphics objects and memory device contexts are
// also counted, so tests can see that the process holds a fixed number of them.
#pragma once

#include <windows.h>

#include <utility>

template <class Traits> class TUniqueHandle {
public:
    using Type = typename Traits::Type;

    TUniqueHandle() = default;
    explicit TUniqueHandle(Type h) { Adopt(h); }
    ~TUniqueHandle() { Reset(); }
    TUniqueHandle(TUniqueHandle&& other) noexcept : h_(other.Release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            h_ = other.Release();
        }
        return *this;
    }
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;

    Type Get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Invalid(); }
    // Gives up ownership without closing.
    Type Release() {
        Type h = h_;
        h_ = Traits::Invalid();
        return h;
    }
    void Reset(Type h = Traits::Invalid()) {
        Type old = h_;
        h_ = Traits::Invalid();
        if (old != Traits::Invalid())
            Traits::Close(old);
        Adopt(h);
    }

private:
    void Adopt(Type h) {
        h_ = h;
        if (h_ != Traits::Invalid())
            Traits::Opened(h_);
    }
    Type h_ = Traits::Invalid();
};

// Count of graphics objects (pens, brushes, fonts, bitmaps) and memory device
// contexts that the framework holds right now.
long GdiObjectsHeld();

namespace handle_detail {
void CountGdi(long delta);
}

template <class H> struct TGdiTraits {
    using Type = H;
    static Type Invalid() { return nullptr; }
    static void Opened(Type) { handle_detail::CountGdi(1); }
    static void Close(Type h) {
        DeleteObject(h);
        handle_detail::CountGdi(-1);
    }
};

struct TMemoryDCTraits {
    using Type = HDC;
    static Type Invalid() { return nullptr; }
    static void Opened(Type) { handle_detail::CountGdi(1); }
    static void Close(Type h) {
        DeleteDC(h);
        handle_detail::CountGdi(-1);
    }
};

// Traits of a handle that one call closes. Invalid is null, or
// INVALID_HANDLE_VALUE for the calls that answer that on failure.
template <class H, auto CloseCall, bool MinusOneIsInvalid = false> struct TClosedBy {
    using Type = H;
    static Type Invalid() {
        if constexpr (MinusOneIsInvalid)
            return INVALID_HANDLE_VALUE;
        else
            return nullptr;
    }
    static void Opened(Type) {}
    static void Close(Type h) { CloseCall(h); }
};

using TBitmapHandle = TUniqueHandle<TGdiTraits<HBITMAP>>;
using TBrushHandle = TUniqueHandle<TGdiTraits<HBRUSH>>;
using TPenHandle = TUniqueHandle<TGdiTraits<HPEN>>;
using TFontHandle = TUniqueHandle<TGdiTraits<HFONT>>;
using TMemoryDC = TUniqueHandle<TMemoryDCTraits>;
using TWindowHandle = TUniqueHandle<TClosedBy<HWND, &DestroyWindow>>;
using TKernelHandle = TUniqueHandle<TClosedBy<HANDLE, &CloseHandle>>;
using TModuleHandle = TUniqueHandle<TClosedBy<HMODULE, &FreeLibrary>>;
// CreateFile and CreateToolhelp32Snapshot answer INVALID_HANDLE_VALUE on failure.
using TFileHandle = TUniqueHandle<TClosedBy<HANDLE, &CloseHandle, true>>;
using TGlobalHandle = TUniqueHandle<TClosedBy<HGLOBAL, &GlobalFree>>;
using TFindHandle = TUniqueHandle<TClosedBy<HANDLE, &FindClose, true>>; // FindFirstFile

// A mapped view of a file mapping, unmapped on scope exit.
class TMappedView {
public:
    TMappedView() = default;
    explicit TMappedView(void* view) : view_(view) {}
    ~TMappedView() {
        if (view_)
            UnmapViewOfFile(view_);
    }
    TMappedView(const TMappedView&) = delete;
    TMappedView& operator=(const TMappedView&) = delete;
    void* Get() const { return view_; }
    explicit operator bool() const { return view_ != nullptr; }

private:
    void* view_ = nullptr;
};

// A window's device context, released on scope exit.
class TWindowDC {
public:
    explicit TWindowDC(HWND wnd) : wnd_(wnd), dc_(GetDC(wnd)) {}
    ~TWindowDC() {
        if (dc_)
            ReleaseDC(wnd_, dc_);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

// Selects an object into a device context and restores the previous one.
class TSelection {
public:
    TSelection(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~TSelection() {
        if (old_)
            SelectObject(dc_, old_);
    }
    TSelection(const TSelection&) = delete;
    TSelection& operator=(const TSelection&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Saves and restores a device context's whole state.
class TSavedDC {
public:
    explicit TSavedDC(HDC dc) : dc_(dc), id_(SaveDC(dc)) {}
    ~TSavedDC() {
        if (id_)
            RestoreDC(dc_, id_);
    }
    TSavedDC(const TSavedDC&) = delete;
    TSavedDC& operator=(const TSavedDC&) = delete;

private:
    HDC dc_;
    int id_;
};
