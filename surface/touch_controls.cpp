#include "surface/touch_controls.h"

#include "platform/port.h"

namespace {

// Centres as fractions of the extents: along the top, between the top
// targets (the grid control left of the middle one, close right of it).
const ScreenPoint kControlCentres[kTouchControlCount] = {
    {3456, 256},  // close: 27/32 of the width
    {1536, 256},  // grid: 3/8 of the width
};
// Half the side, as a fraction of the smaller extent (32 pixels across at
// 640x480), but never under a fingertip's 32 pixels across (at 480x272 the
// fraction would give 18).
const int kHalfSizeFraction = 137;
const int kLeastHalfSize = 16;

}  // namespace

unsigned ShownTouchControls(uint32_t status, bool calibrating) {
    unsigned shown = 0;
    const uint32_t escape = kKeyboardPresent | kKeyboardEnabled | kKeyboardEnterEsc;
    const uint32_t letters = kKeyboardPresent | kKeyboardEnabled | kKeyboardAlphaNum;
    if ((status & escape) != escape) shown |= 1u << kCloseControl;
    if ((status & letters) != letters && !calibrating) shown |= 1u << kGridControl;
    return shown;
}

void TouchControlSquare(int control, int width, int height, ScreenPoint* centre, int* halfSize) {
    centre->x = ScreenFraction(width, kControlCentres[control].x);
    centre->y = ScreenFraction(height, kControlCentres[control].y);
    const int scaled = ScreenFraction(width < height ? width : height, kHalfSizeFraction);
    *halfSize = scaled > kLeastHalfSize ? scaled : kLeastHalfSize;
}

int TouchControlAt(unsigned shown, int x, int y, int width, int height) {
    for (int control = 0; control < kTouchControlCount; ++control) {
        if (!(shown & (1u << control))) continue;
        ScreenPoint c;
        int r;
        TouchControlSquare(control, width, height, &c, &r);
        if (x >= c.x - r && x <= c.x + r && y >= c.y - r && y <= c.y + r) return control;
    }
    return -1;
}

bool TouchControlsMet(unsigned shown, ScreenLine line, int penWidth, int width, int height) {
    const int reach = penWidth / 2 + 1;
    const int left = (line.from.x < line.to.x ? line.from.x : line.to.x) - reach;
    const int right = (line.from.x < line.to.x ? line.to.x : line.from.x) + reach;
    const int top = (line.from.y < line.to.y ? line.from.y : line.to.y) - reach;
    const int bottom = (line.from.y < line.to.y ? line.to.y : line.from.y) + reach;
    for (int control = 0; control < kTouchControlCount; ++control) {
        if (!(shown & (1u << control))) continue;
        ScreenPoint c;
        int r;
        TouchControlSquare(control, width, height, &c, &r);
        if (left <= c.x + r + 1 && c.x - r - 1 <= right && top <= c.y + r + 1 && c.y - r - 1 <= bottom) return true;
    }
    return false;
}

int TouchControlGlyph(int control, ScreenPoint c, int r, ScreenLine lines[4]) {
    const int a = r / 2;  // the sign's half-extent
    if (control == kCloseControl) {
        lines[0] = {{c.x - a, c.y - a}, {c.x + a, c.y + a}};
        lines[1] = {{c.x - a, c.y + a}, {c.x + a, c.y - a}};
        return 2;
    }
    const int b = r / 4;  // half the gap between the bars
    lines[0] = {{c.x - b, c.y - a}, {c.x - b, c.y + a}};
    lines[1] = {{c.x + b, c.y - a}, {c.x + b, c.y + a}};
    lines[2] = {{c.x - a, c.y - b}, {c.x + a, c.y - b}};
    lines[3] = {{c.x - a, c.y + b}, {c.x + a, c.y + b}};
    return 4;
}
