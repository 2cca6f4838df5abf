// Scoped GDI resources: every pen and brush created is deleted, the previous
// object selected back, every DC released.
#pragma once
#include <windows.h>

// Selects a new object into a DC for the guard's life, then selects the
// previous one back and deletes its own.
template <typename Handle>
class ScopedGdiObject {
public:
    ScopedGdiObject(HDC dc, Handle object) : dc_(dc), object_(object), previous_(SelectObject(dc, object)) {}
    ~ScopedGdiObject() {
        SelectObject(dc_, previous_);
        DeleteObject(object_);
    }
    Handle Get() const { return object_; }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;

private:
    HDC dc_;
    Handle object_;
    HGDIOBJ previous_;
};

class ScopedPen : public ScopedGdiObject<HPEN> {
public:
    ScopedPen(HDC dc, int width, COLORREF colour) : ScopedGdiObject(dc, CreatePen(PS_SOLID, width, colour)) {}
};

class ScopedBrush : public ScopedGdiObject<HBRUSH> {
public:
    ScopedBrush(HDC dc, COLORREF colour) : ScopedGdiObject(dc, CreateSolidBrush(colour)) {}
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
