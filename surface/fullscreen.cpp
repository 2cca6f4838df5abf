#include "surface/fullscreen.h"

#include "link/exchange.h"
#include "platform/fault_guard.h"
#include "platform/module.h"
#include "platform/optional.h"
#include "platform/port.h"
#include "surface/calibration_capture.h"
#include "surface/gdi_guards.h"
#include "surface/overlays.h"
#include "surface/touch_controls.h"

HWND FullScreenWindow = NULL;
HWND TaskbarWindow = NULL;
RECT SavedTaskbarRect = {0, 0, 0, 0};
int32_t PenDown = 0;
int32_t InkPresent = 0;
int32_t GridShown = 0;
PenPoint LastPenPoint = {0, 0};
uint32_t KeyboardStatus = kFullKeyboard;

namespace {

const wchar_t kClassName[] = L"FreeDraw";
const COLORREF kInkRed = RGB(255, 0, 0);
const COLORREF kClearGrey = RGB(128, 128, 128);
const WPARAM kGridKey = 71;  // 'G'

// While OpenFullScreenWindow runs its steps, the window procedure guards each
// message itself: a fault there fails the open instead of ending the program,
// and the guard never reaches across the system's callback frames.
struct Opening {
    int active;
    int faulted;
    HWND window;  // the window being made, as soon as its first message names it
};
Opening g_opening = {0, 0, NULL};

PenPoint PointFromLParam(LPARAM lParam) {
    return PenPoint{(int32_t)(lParam & 0xFFFF), (int32_t)((lParam >> 16) & 0xFFFF)};
}

unsigned ShownControls() { return ShownTouchControls(KeyboardStatus, CalibrationActive == 1); }

// Ink drawn over a touch control since it was last drawn: it is drawn again
// when the pen comes up, and only then (an unbuffered panel would flicker).
bool g_controlsInked = false;

void DrawInkSegment(HWND window, PenPoint to) {
    {
        WindowDC dc(window);
        ScopedPen pen(dc, 1, kInkRed);
        MoveToEx(dc, LastPenPoint.x, LastPenPoint.y, NULL);
        LineTo(dc, to.x, to.y);
    }
    const ScreenSize screen = CurrentScreenSize();
    const ScreenLine segment = {{LastPenPoint.x, LastPenPoint.y}, {to.x, to.y}};
    if (TouchControlsMet(ShownControls(), segment, 1, screen.width, screen.height)) g_controlsInked = true;
    LastPenPoint = to;
    InkPresent = 1;
}

// The touch controls go back over whatever was drawn across them.
void DrawTouchControls(HDC dc) {
    const unsigned shown = ShownControls();
    for (int control = 0; control < kTouchControlCount; ++control)
        if (shown & (1u << control)) DrawTouchControl(dc, control, CurrentScreenSize());
    g_controlsInked = false;
}

void RedrawInkedTouchControls(HWND window) {
    if (!g_controlsInked) return;
    g_controlsInked = false;
    WindowDC dc(window);
    DrawTouchControls(dc);
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
    DrawTouchControls(dc);
    InkPresent = 0;
}

void ShowGrid(HWND window) {
    WindowDC dc(window);
    DrawLinearityGrid(dc, kGridTolerance);
    GridShown = 1;
    DrawTouchControls(dc);
}

void CloseAndStopTimer(HWND window) {
    if (CalibrationTimer) KillTimer(window, CalibrationTimer);
    CloseFullScreenWindow(window);
}

void OnEscape(HWND window) {
    if (InkPresent) {
        ClearWindow(window);
        return;
    }
    CloseAndStopTimer(window);
}

// A pen-down on a touch control is its key and nothing else: no stroke, no ink.
void OnTouchControl(HWND window, int control) {
    PenDown = 0;
    if (control == kGridControl) {
        ShowGrid(window);
    } else if (CalibrationActive == 1) {
        // A wipe would let the next tap on the control be taken for a
        // target's touch: in a run the control ends it, drawn on or not.
        CloseAndStopTimer(window);
    } else {
        OnEscape(window);
    }
}

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            WindowCalibration.windowCreated(window);
            return 0;
        case WM_DESTROY:
            // A stroke ends with its window (the button may come up elsewhere),
            // and the window is no longer the open one: one exists at a time.
            PenDown = 0;
            FullScreenWindow = NULL;
            ResetOnClose();
            return 0;
        case WM_PAINT: {
            PaintDC dc(window);
            WindowCalibration.windowPainted(dc);
            DrawTouchControls(dc);
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                OnEscape(window);
            } else if (wParam == kGridKey) {
                ShowGrid(window);
            }
            return 0;
        case WM_TIMER:
            WindowCalibration.timerTick(window);
            return 0;
        case WM_MOUSEMOVE:
            if (PenDown == 1) DrawInkSegment(window, PointFromLParam(lParam));
            return 0;
        case WM_LBUTTONDOWN:
            if (wParam == MK_LBUTTON) {
                const PenPoint at = PointFromLParam(lParam);
                const ScreenSize screen = CurrentScreenSize();
                const int control = TouchControlAt(ShownControls(), at.x, at.y, screen.width, screen.height);
                if (control >= 0) {
                    OnTouchControl(window, control);
                    return 0;
                }
                LastPenPoint = at;
                PenDown = 1;
                InkPresent = 1;
            }
            return 0;
        case WM_LBUTTONUP:
            PenDown = 0;
            RedrawInkedTouchControls(window);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// After a fault in a guarded step, the guards its frames opened are undone:
// each step records the guards held when it began.
template <typename Step>
void UndoGuardsOf(void* step) {
    LinkedGuard::UndoGuardsInside(static_cast<Step*>(step)->guards);
}

struct Message {
    LinkedGuard* guards;
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};

void HandleGuardedMessage(void* context) {
    Message* m = static_cast<Message*>(context);
    m->result = HandleMessage(m->window, m->message, m->wParam, m->lParam);
}

struct OpenSteps {
    LinkedGuard* guards;
    HINSTANCE instance;
};

void RunOpenSteps(void* context) {
    HINSTANCE instance = static_cast<OpenSteps*>(context)->instance;
    RegisterFullScreenClass(instance);  // fails harmlessly from the second open on
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    // WS_POPUP keeps the window caption-less on desktop systems too.
    FullScreenWindow = CreateWindowExW(0, kClassName, kClassName, WS_POPUP | WS_VISIBLE, 0, 0, width, height, NULL,
                                       NULL, instance, NULL);
    if (!FullScreenWindow || g_opening.faulted) return;
    ShowWindow(FullScreenWindow, SW_SHOW);
    UpdateWindow(FullScreenWindow);
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
    KeyboardStatus = PortKeyboardStatus();  // once for each window: which keys it must stand in for
    g_opening = Opening{1, 0, NULL};
    OpenSteps steps = {LinkedGuard::Innermost(), instance};
    int completed = RunGuarded(RunOpenSteps, &steps, UndoGuardsOf<OpenSteps>);
    g_opening.active = 0;
    if (completed && !g_opening.faulted) return FullScreenWindow != NULL;
    // A fault: take down whatever the steps made, so that no half-made window
    // is left behind, and the next open starts afresh.
    HWND made = FullScreenWindow ? FullScreenWindow : g_opening.window;
    if (made && IsWindow(made)) DestroyWindow(made);
    FullScreenWindow = NULL;
    return 0;
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
        // Repainted as it comes back: a shell window paints only when asked,
        // and nothing else asks it after it was collapsed to nothing. CE
        // ignores MoveWindow's repaint flag, so the taskbar is asked itself.
        const RECT& r = SavedTaskbarRect;
        MoveWindow(TaskbarWindow, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
        InvalidateRect(TaskbarWindow, NULL, TRUE);
    }
    GridShown = 0;
    // A calibration ends with its window, whichever way it closed.
    ResetCalibrationRun();
}

int BringFullScreenWindowToFront() {
    if (!FullScreenWindow || !IsWindow(FullScreenWindow)) return 0;
    SetForegroundWindowIfPresent(FullScreenWindow);
    return 1;
}

void OpenFreeDrawing() {
    if (BringFullScreenWindowToFront()) return;
    // Collapsing the taskbar under a window that failed to open would leave it
    // collapsed with nothing whose closing restores it.
    if (OpenFullScreenWindow(InstanceHandle)) CollapseTaskbar();
}

LRESULT CALLBACK FullScreenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!g_opening.active) return HandleMessage(window, message, wParam, lParam);
    if (!g_opening.window) g_opening.window = window;
    Message m = {LinkedGuard::Innermost(), window, message, wParam, lParam, 0};
    if (RunGuarded(HandleGuardedMessage, &m, UndoGuardsOf<Message>)) return m.result;
    g_opening.faulted = 1;
    // Refusing creation makes the system take the half-made window down itself.
    if (message == WM_NCCREATE) return FALSE;
    if (message == WM_CREATE) return -1;
    return 0;
}
