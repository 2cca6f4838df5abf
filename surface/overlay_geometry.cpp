#include "surface/overlay_geometry.h"

#include <stdint.h>

const ScreenPoint TargetPositions[kTargetCount] = {
    {kCentre, kCentre},       {kFarMargin, kCentre},     {kFarMargin, kNearMargin},
    {kCentre, kNearMargin},   {kNearMargin, kNearMargin}, {kNearMargin, kCentre},
    {kNearMargin, kFarMargin}, {kCentre, kFarMargin},     {kFarMargin, kFarMargin},
};

const int kTargetSquareHalfSizes[3] = {5, 10, 15};

int ScreenFraction(int extent, int fraction) { return (int)(((int64_t)extent * fraction) >> 12); }

bool TargetPixel(int position, int width, int height, ScreenPoint* pixel) {
    if (position < 0 || position >= kTargetCount) return false;
    pixel->x = ScreenFraction(width, TargetPositions[position].x);
    pixel->y = ScreenFraction(height, TargetPositions[position].y);
    return true;
}

namespace {

ScreenLine Vertical(int x, int y0, int y1) { return {{x, y0}, {x, y1}}; }
ScreenLine Horizontal(int y, int x0, int x1) { return {{x0, y}, {x1, y}}; }

}  // namespace

void CalibrationFrameLines(int w, int h, ScreenLine lines[6]) {
    int x128 = ScreenFraction(w, kNearMargin), x3968 = ScreenFraction(w, kFarMargin);
    int y128 = ScreenFraction(h, kNearMargin), y3968 = ScreenFraction(h, kFarMargin);
    lines[0] = Horizontal(y128, 0, w);
    lines[1] = Horizontal(y3968, 0, w);
    lines[2] = Vertical(x128, 0, h);
    lines[3] = Vertical(x3968, 0, h);
    lines[4] = Vertical(w >> 1, y128, y3968);
    lines[5] = Horizontal(h >> 1, x128, x3968);
}

void GridLines(int w, int h, ScreenLine lines[10]) {
    lines[0] = Horizontal(ScreenFraction(h, kNearMargin), 0, w);
    lines[1] = Horizontal(ScreenFraction(h, kFarMargin), 0, w);
    lines[2] = Vertical(ScreenFraction(w, kNearMargin), 0, h);
    lines[3] = Vertical(ScreenFraction(w, kFarMargin), 0, h);
    lines[4] = Vertical(w >> 1, 0, h);
    lines[5] = Horizontal(h >> 1, 0, w);
    lines[6] = Vertical(ScreenFraction(w, kNearGrid), 0, h);
    lines[7] = Vertical(ScreenFraction(w, kFarGrid), 0, h);
    lines[8] = Horizontal(ScreenFraction(h, kNearGrid), 0, w);
    lines[9] = Horizontal(ScreenFraction(h, kFarGrid), 0, w);
}

void ToleranceLines(int w, int h, int tolerance, ScreenLine lines[20]) {
    int dx = (int)((int64_t)w * tolerance / 1000);
    int dy = (int)((int64_t)h * tolerance / 1000);
    struct Band {
        bool vertical;
        int at;
    };
    const Band bands[] = {
        {true, w >> 1},
        {false, h >> 1},
        {false, ScreenFraction(h, kNearMargin)},
        {false, ScreenFraction(h, kFarMargin)},
        {false, ScreenFraction(h, kNearGrid)},
        {false, ScreenFraction(h, kFarGrid)},
        {true, ScreenFraction(w, kNearMargin)},
        {true, ScreenFraction(w, kFarMargin)},
        {true, ScreenFraction(w, kNearGrid)},
        {true, ScreenFraction(w, kFarGrid)},
    };
    ScreenLine* line = lines;
    for (const Band& b : bands) {
        int d = b.vertical ? dx : dy;
        const int sides[2] = {b.at - d, b.at + d};
        for (int at : sides) *line++ = b.vertical ? Vertical(at, 0, h) : Horizontal(at, 0, w);
    }
}

ScreenLine ProgressBarLine(int w, int h, int ticks) {
    return Horizontal(h - kProgressBarWidth, 0, (int)((int64_t)w * ticks / kProgressFullTicks));
}

ScreenLine ProgressEraserLine(int w, int h) { return Horizontal(h - kProgressBarWidth, 0, w); }

void SideMarginLines(int w, int h, ScreenLine lines[2]) {
    lines[0] = Vertical(ScreenFraction(w, kNearMargin), 0, h);
    lines[1] = Vertical(ScreenFraction(w, kFarMargin), 0, h);
}

void SquareOutline(ScreenPoint c, int r, ScreenPoint p[kSquareOutlinePoints]) {
    p[0] = {c.x - r, c.y - r};
    p[1] = {c.x - r, c.y + r};
    p[2] = {c.x + r, c.y + r};
    p[3] = {c.x + r, c.y - r};
    p[4] = {c.x - r, c.y - r};
}
