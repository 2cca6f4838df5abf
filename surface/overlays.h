// The overlays of the full-screen window, drawn into a caller's device context.
#pragma once
#include <windows.h>

void DrawCalibrationFrame(HDC dc);
void DrawLinearityGrid(HDC dc, int tolerance);
void DrawProgressBar(HDC dc, int ticks);
void ClearProgressBar(HDC dc);
void DrawTargetRings(HDC dc, int position, int lit);
void DrawTouchedMarker(HDC dc, int position);
