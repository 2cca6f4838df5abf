// The full-screen window: free drawing, the linearity grid, and the surface
// on which a calibration runs. One such window exists at a time.
#pragma once
#include <stdint.h>
#include <windows.h>

struct PenPoint {
    int32_t x;
    int32_t y;
};

extern HWND FullScreenWindow;  // the open window; null when none is open
extern HWND TaskbarWindow;
extern RECT SavedTaskbarRect;
extern int32_t PenDown;
extern int32_t InkPresent;
extern int32_t GridShown;
extern PenPoint LastPenPoint;
// The keyboard the system reported when the window last opened (the
// platform seam's status bits): it decides the touch controls shown.
extern uint32_t KeyboardStatus;

const int kGridTolerance = 10;  // thousandths of the screen extent

// The calibration run's part in the window (calibration_run.cpp fills it in):
// the window hands it its creation, every timer tick and every paint.
struct CalibrationHooks {
    void (*windowCreated)(HWND window);  // WM_CREATE
    void (*timerTick)(HWND window);      // WM_TIMER
    void (*windowPainted)(HDC dc);       // WM_PAINT
};
extern CalibrationHooks WindowCalibration;

int OpenFullScreenWindow(HINSTANCE instance);
void CollapseTaskbar();
void CloseFullScreenWindow(HWND window);
ATOM RegisterFullScreenClass(HINSTANCE instance);
LRESULT CALLBACK FullScreenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// When a full-screen window is open, brings it to the front and returns 1: a
// second one is never opened over it. Returns 0 when none is open.
int BringFullScreenWindowToFront();

// Draw on the Tools page: the window (unless one is open already), then the
// taskbar collapsed when it opened.
void OpenFreeDrawing();
