#include "surface/fullscreen.h"

#include "app/app.h"
#include "link/exchange.h"
#include "surface/calibration_run.h"
#include "surface/fault_guard.h"
#include "surface/gdi_guards.h"
#include "surface/overlays.h"

HWND FullScreenWindow = NULL;
HWND TaskbarWindow = NULL;
RECT SavedTaskbarRect = {0, 0, 0, 0};
int32_t PenDown = 0;
int32_t InkPresent = 0;
int32_t GridShown = 0;
PenPoint LastPenPoint = {0, 0};

namespace {

const wchar_t kClassName[] = L"FreeDraw";
const COLORREF kInkRed = RGB(255, 0, 0);
const COLORREF kClearGrey = RGB(128, 128, 128);
const WPARAM kGridKey = 71;  // 'G'

void OpenSteps(void* context) {
    HINSTANCE instance = *static_cast<HINSTANCE*>(context);
    RegisterFullScreenClass(instance);  // fails harmlessly from the second open on
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    // WS_POPUP keeps the window caption-less on desktop systems too.
    FullScreenWindow = CreateWindowExW(0, kClassName, kClassName, WS_POPUP | WS_VISIBLE, 0, 0, width, height, NULL,
                                       NULL, InstanceHandle, NULL);
    if (!FullScreenWindow) return;
    ShowWindow(FullScreenWindow, SW_SHOW);
    UpdateWindow(FullScreenWindow);
}

PenPoint PointFromLParam(LPARAM lParam) {
    return PenPoint{(int32_t)(lParam & 0xFFFF), (int32_t)((lParam >> 16) & 0xFFFF)};
}

void DrawInkSegment(HWND window, PenPoint to) {
    {
        WindowDC dc(window);
        ScopedPen pen(dc, 1, kInkRed);
        MoveToEx(dc, LastPenPoint.x, LastPenPoint.y, NULL);
        LineTo(dc, to.x, to.y);
    }
    LastPenPoint = to;
    InkPresent = 1;
}

void ClearWindow(HWND window) {
    RECT area;
    GetWindowRect(window, &area);
    WindowDC dc(window);
    {
        ScopedBrush brush(dc, kClearGrey);
        FillRect(dc, &area, brush.Get());
    }
    if (GridShown == 1) DrawLinearityGrid(dc, kGridTolerance);
    InkPresent = 0;
}

void OnEscape(HWND window) {
    if (InkPresent) {
        ClearWindow(window);
        return;
    }
    if (CalibrationTimer) KillTimer(window, CalibrationTimer);
    CloseFullScreenWindow(window);
}

}  // namespace

ATOM RegisterFullScreenClass(HINSTANCE instance) {
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = FullScreenWindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    wc.lpszClassName = kClassName;
    return RegisterClassW(&wc);
}

int OpenFullScreenWindow(HINSTANCE instance) {
    FullScreenWindow = NULL;
    if (!RunGuarded(OpenSteps, &instance)) {
        // A fault after creation leaves a window nobody would close: take it down.
        if (FullScreenWindow) DestroyWindow(FullScreenWindow);
        FullScreenWindow = NULL;
        return 0;
    }
    return FullScreenWindow != NULL;
}

void CollapseTaskbar() {
    TaskbarWindow = FindWindowW(L"HHTaskBar", NULL);
    if (!TaskbarWindow) return;
    GetWindowRect(TaskbarWindow, &SavedTaskbarRect);
    MoveWindow(TaskbarWindow, 0, 0, 0, 0, FALSE);
}

void CloseFullScreenWindow(HWND window) {
    DestroyWindow(window);
    if (TaskbarWindow) {
        const RECT& r = SavedTaskbarRect;
        MoveWindow(TaskbarWindow, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    }
    GridShown = 0;
    CalibrationActive = 0;
}

void OpenFreeDrawing() {
    // Collapsing the taskbar under a window that failed to open would leave it
    // collapsed with nothing whose closing restores it.
    if (OpenFullScreenWindow(InstanceHandle)) CollapseTaskbar();
}

LRESULT CALLBACK FullScreenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            StartCalibrationTimer(window);
            return 0;
        case WM_DESTROY:
            ResetOnClose();
            return 0;
        case WM_PAINT: {
            PaintDC dc(window);
            if (CalibrationActive == 1) DrawCalibrationFrame(dc);
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                OnEscape(window);
            } else if (wParam == kGridKey) {
                WindowDC dc(window);
                DrawLinearityGrid(dc, kGridTolerance);
                GridShown = 1;
            }
            return 0;
        case WM_TIMER:
            CalibrationTick(window);
            return 0;
        case WM_MOUSEMOVE:
            if (PenDown == 1) DrawInkSegment(window, PointFromLParam(lParam));
            return 0;
        case WM_LBUTTONDOWN:
            if (wParam == MK_LBUTTON) {
                LastPenPoint = PointFromLParam(lParam);
                PenDown = 1;
                InkPresent = 1;
            }
            return 0;
        case WM_LBUTTONUP:
            PenDown = 0;
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
