// Scoped GDI resources: every pen and brush created is deleted, the previous
// object selected back, every DC released.
//
// Live guards are also linked, innermost first. When a fault guard (see
// platform/fault_guard.h) skips the destructors of the frames it unwinds, it
// undoes the guards those frames held through UndoGuardsInside instead, so a
// fault leaves no pen, brush or DC behind either.
#pragma once
#include <windows.h>

class LinkedGuard {
public:
    LinkedGuard(const LinkedGuard&) = delete;
    LinkedGuard& operator=(const LinkedGuard&) = delete;

    static LinkedGuard* Innermost() { return innermost_; }
    // Undoes every guard opened inside `mark` (innermost first) and forgets them.
    static void UndoGuardsInside(LinkedGuard* mark) {
        while (innermost_ != mark) {  // the mark is one of the chain's, or its end
            LinkedGuard* g = innermost_;
            innermost_ = g->outer_;
            g->undo_(g);
        }
    }

protected:
    explicit LinkedGuard(void (*undo)(LinkedGuard*)) : undo_(undo), outer_(nullptr) {}
    // Called once the resource is held, so an undo never meets a half-made guard.
    void Link() {
        outer_ = innermost_;
        innermost_ = this;
    }
    ~LinkedGuard() { innermost_ = outer_; }

private:
    void (*undo_)(LinkedGuard*);
    LinkedGuard* outer_;
    static inline LinkedGuard* innermost_ = nullptr;
};

// Selects a new object into a DC for the guard's life, then selects the
// previous one back and deletes its own.
template <typename Handle>
class ScopedGdiObject : public LinkedGuard {
public:
    ScopedGdiObject(HDC dc, Handle object)
        : LinkedGuard(Undo), dc_(dc), object_(object), previous_(SelectObject(dc, object)) {
        Link();
    }
    ~ScopedGdiObject() { Undo(this); }
    Handle Get() const { return object_; }

private:
    static void Undo(LinkedGuard* guard) {
        ScopedGdiObject* g = static_cast<ScopedGdiObject*>(guard);
        SelectObject(g->dc_, g->previous_);
        DeleteObject(g->object_);
    }
    HDC dc_;
    Handle object_;
    HGDIOBJ previous_;
};

// A solid pen. CreatePenIndirect makes the same pen as CreatePen, but a CE
// image has it with either of its drawing components (GWES_MGDRAW or
// GWES_PGDI), CreatePen with the first only.
class ScopedPen : public ScopedGdiObject<HPEN> {
public:
    ScopedPen(HDC dc, int width, COLORREF colour) : ScopedGdiObject(dc, SolidPen(width, colour)) {}

private:
    static HPEN SolidPen(int width, COLORREF colour) {
        LOGPEN pen = {PS_SOLID, {width, 0}, colour};
        return CreatePenIndirect(&pen);
    }
};

class ScopedBrush : public ScopedGdiObject<HBRUSH> {
public:
    ScopedBrush(HDC dc, COLORREF colour) : ScopedGdiObject(dc, CreateSolidBrush(colour)) {}
};

class WindowDC : public LinkedGuard {
public:
    explicit WindowDC(HWND window) : LinkedGuard(Undo), window_(window), dc_(GetDC(window)) { Link(); }
    ~WindowDC() { Undo(this); }
    operator HDC() const { return dc_; }

private:
    static void Undo(LinkedGuard* guard) {
        WindowDC* g = static_cast<WindowDC*>(guard);
        ReleaseDC(g->window_, g->dc_);
    }
    HWND window_;
    HDC dc_;
};

class PaintDC : public LinkedGuard {
public:
    explicit PaintDC(HWND window) : LinkedGuard(Undo), window_(window) {
        dc_ = BeginPaint(window, &paint_);
        Link();
    }
    ~PaintDC() { Undo(this); }
    operator HDC() const { return dc_; }

private:
    static void Undo(LinkedGuard* guard) {
        PaintDC* g = static_cast<PaintDC*>(guard);
        EndPaint(g->window_, &g->paint_);
    }
    HWND window_;
    PAINTSTRUCT paint_;
    HDC dc_;
};
