// The full-screen window: free drawing, the linearity grid, and the surface
// on which a calibration runs.
#pragma once
#include <stdint.h>
#include <windows.h>

struct PenPoint {
    int32_t x;
    int32_t y;
};

extern HWND FullScreenWindow;
extern HWND TaskbarWindow;
extern RECT SavedTaskbarRect;
extern int32_t PenDown;
extern int32_t InkPresent;
extern int32_t GridShown;
extern PenPoint LastPenPoint;

const int kGridTolerance = 10;  // thousandths of the screen extent

int OpenFullScreenWindow(HINSTANCE instance);
void CollapseTaskbar();
void CloseFullScreenWindow(HWND window);
ATOM RegisterFullScreenClass(HINSTANCE instance);
LRESULT CALLBACK FullScreenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Draw on the Tools page: the window, then the taskbar collapsed when it opened.
void OpenFreeDrawing();
