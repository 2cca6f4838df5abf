// The overlays of the full-screen window, drawn into a caller's device context.
#pragma once
#include <windows.h>

// Each operation reads the screen size afresh on every call; the overloads
// with an explicit size draw as they would on a screen of that size.
struct ScreenSize {
    int width;
    int height;
};
ScreenSize CurrentScreenSize();

void DrawCalibrationFrame(HDC dc, ScreenSize screen);
void DrawLinearityGrid(HDC dc, int tolerance, ScreenSize screen);
void DrawProgressBar(HDC dc, int ticks, ScreenSize screen);
void ClearProgressBar(HDC dc, ScreenSize screen);
void DrawTargetRings(HDC dc, int position, int lit, ScreenSize screen);
void DrawTouchedMarker(HDC dc, int position, ScreenSize screen);

void DrawCalibrationFrame(HDC dc);
void DrawLinearityGrid(HDC dc, int tolerance);
void DrawProgressBar(HDC dc, int ticks);
void ClearProgressBar(HDC dc);
void DrawTargetRings(HDC dc, int position, int lit);
void DrawTouchedMarker(HDC dc, int position);

// A touch control (surface/touch_controls.h): a black square with a white
// outline and its sign.
void DrawTouchControl(HDC dc, int control, ScreenSize screen);
