// The scoped GDI guards: each links itself while it holds its resource, and a
// fault guard can undo those whose destructors a fault skips.
#include "surface/gdi_guards.h"

#include <new>

#include "harness.h"

namespace {

LinkedGuard* g_innermostWhilePainting = nullptr;
const void* g_paintGuard = nullptr;

LRESULT CALLBACK PaintingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_PAINT) {
        PaintDC dc(w);
        g_paintGuard = &dc;
        g_innermostWhilePainting = LinkedGuard::Innermost();
        return 0;
    }
    return DefWindowProcW(w, m, wp, lp);
}

}  // namespace

TEST(GdiGuards, EachGuardIsInnermostWhileItHoldsItsResource) {
    LinkedGuard* before = LinkedGuard::Innermost();
    HWND window = CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, NULL, NULL, NULL, NULL);
    {
        WindowDC dc(window);
        EXPECT_EQ(LinkedGuard::Innermost(), &dc);
        {
            ScopedPen pen(dc, 1, RGB(1, 2, 3));
            EXPECT_EQ(LinkedGuard::Innermost(), &pen);
            ScopedBrush brush(dc, RGB(4, 5, 6));
            EXPECT_EQ(LinkedGuard::Innermost(), &brush);
        }
        EXPECT_EQ(LinkedGuard::Innermost(), &dc);
    }
    EXPECT_EQ(LinkedGuard::Innermost(), before);
    DestroyWindow(window);

    WNDCLASSW wc = {};
    wc.lpfnWndProc = PaintingProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"GuardPainting";
    RegisterClassW(&wc);
    window = CreateWindowExW(0, L"GuardPainting", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, NULL, NULL, NULL, NULL);
    UpdateWindow(window);
    EXPECT_EQ(static_cast<const void*>(g_innermostWhilePainting), g_paintGuard);
    EXPECT_EQ(LinkedGuard::Innermost(), before);
    DestroyWindow(window);
    UnregisterClassW(L"GuardPainting", wc.hInstance);
}

TEST(GdiGuards, UndoingTheGuardsInsideAMarkRestoresWhatTheyChanged) {
    HDC dc = CreateCompatibleDC(NULL);
    HGDIOBJ entryPen = GetCurrentObject(dc, OBJ_PEN), entryBrush = GetCurrentObject(dc, OBJ_BRUSH);
    LinkedGuard* mark = LinkedGuard::Innermost();
    // Guards whose frames a fault skipped: never destroyed.
    alignas(ScopedPen) unsigned char penRoom[sizeof(ScopedPen)];
    alignas(ScopedBrush) unsigned char brushRoom[sizeof(ScopedBrush)];
    ScopedPen* pen = new (penRoom) ScopedPen(dc, 1, RGB(1, 2, 3));
    ScopedBrush* brush = new (brushRoom) ScopedBrush(dc, RGB(4, 5, 6));
    HPEN penHandle = pen->Get();
    HBRUSH brushHandle = brush->Get();
    LinkedGuard::UndoGuardsInside(mark);
    EXPECT_EQ(LinkedGuard::Innermost(), mark);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), entryPen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), entryBrush);
    EXPECT_EQ(GetObjectType(penHandle), 0u) << "the pen was not deleted";
    EXPECT_EQ(GetObjectType(brushHandle), 0u) << "the brush was not deleted";
    DeleteDC(dc);
}
