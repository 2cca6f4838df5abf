#include "surface/overlays.h"

#include "surface/gdi_guards.h"
#include "surface/overlay_geometry.h"
#include "surface/touch_controls.h"

namespace {

const COLORREF kWhite = 0xFFFFFF;
const COLORREF kYellow = 0x00FFFF;
const COLORREF kBarRed = 0x0000E1;
const COLORREF kBackgroundGrey = 0x808080;
const COLORREF kUnlitGrey = 0xC8D0C8;
const COLORREF kControlBlack = 0x000000;
const COLORREF kRingColours[3] = {0x0000FF, 0x00FF00, 0xFF0000};  // inner red, green, outer blue

// The lines, with the pen selected into the DC.
void StrokeLines(HDC dc, const ScreenLine* lines, int count) {
    for (int i = 0; i < count; ++i) {
        MoveToEx(dc, lines[i].from.x, lines[i].from.y, NULL);
        LineTo(dc, lines[i].to.x, lines[i].to.y);
    }
}

// Every line of the array, with one pen.
template <size_t N>
void DrawLines(HDC dc, int width, COLORREF colour, const ScreenLine (&lines)[N]) {
    ScopedPen pen(dc, width, colour);
    StrokeLines(dc, lines, (int)N);
}

void DrawSquareWithPen(HDC dc, ScreenPoint centre, int r) {
    ScreenPoint corners[kSquareOutlinePoints];
    SquareOutline(centre, r, corners);
    POINT points[kSquareOutlinePoints];
    for (int i = 0; i < kSquareOutlinePoints; ++i) points[i] = POINT{corners[i].x, corners[i].y};
    Polyline(dc, points, kSquareOutlinePoints);
}

void DrawSquare(HDC dc, COLORREF colour, ScreenPoint centre, int r) {
    ScopedPen pen(dc, 2, colour);
    DrawSquareWithPen(dc, centre, r);
}

// The three nested squares of a target; colours[i] for half-size 5, 10, 15.
void DrawSquares(HDC dc, int position, const COLORREF colours[3], ScreenSize screen) {
    ScreenPoint centre;
    if (!TargetPixel(position, screen.width, screen.height, &centre)) return;
    for (int i = 0; i < 3; ++i) DrawSquare(dc, colours[i], centre, kTargetSquareHalfSizes[i]);
}

}  // namespace

ScreenSize CurrentScreenSize() { return ScreenSize{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

void DrawCalibrationFrame(HDC dc, ScreenSize screen) {
    ScreenLine lines[6];
    CalibrationFrameLines(screen.width, screen.height, lines);
    DrawLines(dc, 2, kWhite, lines);
}

void DrawLinearityGrid(HDC dc, int tolerance, ScreenSize screen) {
    ScreenLine grid[10], band[20];
    GridLines(screen.width, screen.height, grid);
    DrawLines(dc, 1, kWhite, grid);
    ToleranceLines(screen.width, screen.height, tolerance, band);
    DrawLines(dc, 1, kYellow, band);
}

void DrawProgressBar(HDC dc, int ticks, ScreenSize screen) {
    const ScreenLine bar[1] = {ProgressBarLine(screen.width, screen.height, ticks)};
    DrawLines(dc, kProgressBarWidth, kBarRed, bar);
}

void ClearProgressBar(HDC dc, ScreenSize screen) {
    const ScreenLine eraser[1] = {ProgressEraserLine(screen.width, screen.height)};
    DrawLines(dc, kProgressBarWidth, kBackgroundGrey, eraser);
    ScreenLine margins[2];
    SideMarginLines(screen.width, screen.height, margins);
    DrawLines(dc, 2, kWhite, margins);
}

void DrawTargetRings(HDC dc, int position, int lit, ScreenSize screen) {
    const COLORREF grey[3] = {kUnlitGrey, kUnlitGrey, kUnlitGrey};
    DrawSquares(dc, position, lit == 1 ? kRingColours : grey, screen);
}

void DrawTouchedMarker(HDC dc, int position, ScreenSize screen) {
    const COLORREF yellow[3] = {kYellow, kYellow, kYellow};
    DrawSquares(dc, position, yellow, screen);
}

void DrawTouchControl(HDC dc, int control, ScreenSize screen) {
    ScreenPoint centre;
    int r;
    TouchControlSquare(control, screen.width, screen.height, &centre, &r);
    {
        ScopedBrush black(dc, kControlBlack);
        const RECT square = {centre.x - r, centre.y - r, centre.x + r + 1, centre.y + r + 1};
        FillRect(dc, &square, black.Get());
    }
    ScopedPen pen(dc, 2, kWhite);
    DrawSquareWithPen(dc, centre, r);
    ScreenLine sign[4];
    StrokeLines(dc, sign, TouchControlGlyph(control, centre, r, sign));
}

void DrawCalibrationFrame(HDC dc) { DrawCalibrationFrame(dc, CurrentScreenSize()); }
void DrawLinearityGrid(HDC dc, int tolerance) { DrawLinearityGrid(dc, tolerance, CurrentScreenSize()); }
void DrawProgressBar(HDC dc, int ticks) { DrawProgressBar(dc, ticks, CurrentScreenSize()); }
void ClearProgressBar(HDC dc) { ClearProgressBar(dc, CurrentScreenSize()); }
void DrawTargetRings(HDC dc, int position, int lit) { DrawTargetRings(dc, position, lit, CurrentScreenSize()); }
void DrawTouchedMarker(HDC dc, int position) { DrawTouchedMarker(dc, position, CurrentScreenSize()); }
