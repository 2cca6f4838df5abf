// Scoped GDI resources: every pen and brush created is deleted, the previous
// object selected back, every DC released.
#pragma once
#include <windows.h>

class ScopedPen {
public:
    ScopedPen(HDC dc, int width, COLORREF colour)
        : dc_(dc), pen_(CreatePen(PS_SOLID, width, colour)), previous_(SelectObject(dc, pen_)) {}
    ~ScopedPen() {
        SelectObject(dc_, previous_);
        DeleteObject(pen_);
    }
    ScopedPen(const ScopedPen&) = delete;
    ScopedPen& operator=(const ScopedPen&) = delete;

private:
    HDC dc_;
    HPEN pen_;
    HGDIOBJ previous_;
};

class ScopedBrush {
public:
    ScopedBrush(HDC dc, COLORREF colour)
        : dc_(dc), brush_(CreateSolidBrush(colour)), previous_(SelectObject(dc, brush_)) {}
    ~ScopedBrush() {
        SelectObject(dc_, previous_);
        DeleteObject(brush_);
    }
    HBRUSH Get() const { return brush_; }
    ScopedBrush(const ScopedBrush&) = delete;
    ScopedBrush& operator=(const ScopedBrush&) = delete;

private:
    HDC dc_;
    HBRUSH brush_;
    HGDIOBJ previous_;
};

class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() { ReleaseDC(window_, dc_); }
    operator HDC() const { return dc_; }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

private:
    HWND window_;
    HDC dc_;
};

class PaintDC {
public:
    explicit PaintDC(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    ~PaintDC() { EndPaint(window_, &paint_); }
    operator HDC() const { return dc_; }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

private:
    HWND window_;
    PAINTSTRUCT paint_;
    HDC dc_;
};
