// Where the overlays of the full-screen window lie, for any screen size.
// Integer arithmetic only: a position is a fraction of the extent in 1/4096.
#pragma once

struct ScreenPoint {
    int x;
    int y;
};

struct ScreenLine {
    ScreenPoint from;
    ScreenPoint to;
};

enum : int {
    kNearMargin = 128,
    kNearGrid = 1088,
    kCentre = 2048,
    kFarGrid = 3008,
    kFarMargin = 3968,
};

const int kTargetCount = 9;
const int kProgressFullTicks = 125;
const int kProgressBarWidth = 5;

// Fractions: 0 the centre, then 1 to 8 anticlockwise from the middle of the right side.
extern const ScreenPoint TargetPositions[kTargetCount];

// (extent * fraction) >> 12, the floor of the exact value.
int ScreenFraction(int extent, int fraction);

// Pixel of a target; false (and nothing written) for a position outside 0..8.
bool TargetPixel(int position, int width, int height, ScreenPoint* pixel);

void CalibrationFrameLines(int width, int height, ScreenLine lines[6]);
void GridLines(int width, int height, ScreenLine lines[10]);
// tolerance in thousandths of the extent; pairs around each grid line, lower first.
void ToleranceLines(int width, int height, int tolerance, ScreenLine lines[20]);
ScreenLine ProgressBarLine(int width, int height, int ticks);
ScreenLine ProgressEraserLine(int width, int height);
void SideMarginLines(int width, int height, ScreenLine lines[2]);

// Closed outline of a square of half-size r: down the left, along the bottom,
// up the right, back along the top.
const int kSquareOutlinePoints = 5;  // the first corner again closes it
void SquareOutline(ScreenPoint centre, int r, ScreenPoint points[kSquareOutlinePoints]);

// Half-sizes of the three nested target squares, inner first.
extern const int kTargetSquareHalfSizes[3];
