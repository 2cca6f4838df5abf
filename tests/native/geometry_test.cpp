#include "surface/overlay_geometry.h"
#include "surface/touch_controls.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

::testing::AssertionResult Same(const ScreenLine& l, int x0, int y0, int x1, int y1) {
    if (l.from.x == x0 && l.from.y == y0 && l.to.x == x1 && l.to.y == y1) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << l.from.x << "," << l.from.y << ")-(" << l.to.x << "," << l.to.y
                                         << "), not (" << x0 << "," << y0 << ")-(" << x1 << "," << y1 << ")";
}

struct Box {
    int left, top, right, bottom;  // inclusive
    bool Meets(const Box& o) const { return left <= o.right && o.left <= right && top <= o.bottom && o.top <= bottom; }
};
std::ostream& operator<<(std::ostream& os, const Box& b) {
    return os << "[" << b.left << "," << b.top << " - " << b.right << "," << b.bottom << "]";
}

}  // namespace

TEST(OverlayGeometry, FrameAt640x480) {
    ScreenLine l[6];
    CalibrationFrameLines(640, 480, l);
    EXPECT_TRUE(Same(l[0], 0, 15, 640, 15));
    EXPECT_TRUE(Same(l[1], 0, 465, 640, 465));
    EXPECT_TRUE(Same(l[2], 20, 0, 20, 480));
    EXPECT_TRUE(Same(l[3], 620, 0, 620, 480));
    EXPECT_TRUE(Same(l[4], 320, 15, 320, 465));
    EXPECT_TRUE(Same(l[5], 20, 240, 620, 240));
}

TEST(OverlayGeometry, GridAndToleranceBandAt640x480) {
    ScreenLine g[10], t[20];
    GridLines(640, 480, g);
    const int whiteX[5] = {20, 620, 320, 170, 470};
    const int verticals[5] = {2, 3, 4, 6, 7};
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(Same(g[verticals[i]], whiteX[i], 0, whiteX[i], 480)) << i;
    const int whiteY[5] = {15, 465, 240, 127, 352};
    const int horizontals[5] = {0, 1, 5, 8, 9};
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(Same(g[horizontals[i]], 0, whiteY[i], 640, whiteY[i])) << i;

    ToleranceLines(640, 480, 10, t);
    const int expected[20] = {314, 326, 236, 244, 11, 19, 461, 469, 123, 131,
                              348, 356, 14, 26, 614, 626, 164, 176, 464, 476};
    const bool vertical[20] = {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1};
    for (int i = 0; i < 20; ++i) {
        if (vertical[i])
            EXPECT_TRUE(Same(t[i], expected[i], 0, expected[i], 480)) << i;
        else
            EXPECT_TRUE(Same(t[i], 0, expected[i], 640, expected[i])) << i;
    }
}

// The band around the middle lines: at 800x600, 8 and 6 pixels; at 90x60
// (90 * 10 < 1000) it falls on the grid line.
TEST(OverlayGeometry, ToleranceIsThousandthsOfEachExtentAndBelowAPixelFallsOnTheGridLine) {
    const struct {
        int width, height, left, right, top, bottom;
    } cases[] = {{800, 600, 392, 408, 294, 306}, {90, 60, 45, 45, 30, 30}};
    for (const auto& c : cases) {
        ScreenLine t[20];
        ToleranceLines(c.width, c.height, 10, t);
        EXPECT_TRUE(Same(t[0], c.left, 0, c.left, c.height)) << c.width;
        EXPECT_TRUE(Same(t[1], c.right, 0, c.right, c.height)) << c.width;
        EXPECT_TRUE(Same(t[2], 0, c.top, c.width, c.top)) << c.width;
        EXPECT_TRUE(Same(t[3], 0, c.bottom, c.width, c.bottom)) << c.width;
    }
}

TEST(OverlayGeometry, ProgressBarGrowsFromTheLeftAndOverrunsAtTheEnd) {
    EXPECT_TRUE(Same(ProgressBarLine(640, 480, 1), 0, 475, 5, 475));
    EXPECT_TRUE(Same(ProgressBarLine(640, 480, 62), 0, 475, 317, 475));
    EXPECT_TRUE(Same(ProgressBarLine(640, 480, 125), 0, 475, 640, 475));
    EXPECT_TRUE(Same(ProgressBarLine(640, 480, 126), 0, 475, 645, 475));
    EXPECT_TRUE(Same(ProgressEraserLine(640, 480), 0, 475, 640, 475));
}

TEST(OverlayGeometry, TargetsAndTheirSquares) {
    const ScreenPoint expected[9] = {{320, 240}, {620, 240}, {620, 15}, {320, 15}, {20, 15},
                                     {20, 240},  {20, 465},  {320, 465}, {620, 465}};
    for (int k = 0; k < 9; ++k) {
        ScreenPoint p;
        ASSERT_TRUE(TargetPixel(k, 640, 480, &p));
        EXPECT_EQ(p.x, expected[k].x) << k;
        EXPECT_EQ(p.y, expected[k].y) << k;
    }
    ScreenPoint p{-1, -1};
    EXPECT_FALSE(TargetPixel(9, 640, 480, &p));
    EXPECT_FALSE(TargetPixel(-1, 640, 480, &p));
    EXPECT_EQ(p.x, -1);

    ScreenPoint square[5];
    SquareOutline({320, 240}, 15, square);
    const ScreenPoint outline[5] = {{305, 225}, {305, 255}, {335, 255}, {335, 225}, {305, 225}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(square[i].x, outline[i].x);
        EXPECT_EQ(square[i].y, outline[i].y);
    }
    ASSERT_TRUE(TargetPixel(4, 320, 240, &p));
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 7);
}

// Which keys the window stands in for: Escape without Enter/Escape keys, G
// without letters; an absent or disabled keyboard lacks both.
TEST(TouchControls, ShownForTheKeysTheKeyboardLacks) {
    const unsigned close = 1u << kCloseControl, grid = 1u << kGridControl;
    const struct {
        uint32_t status;
        unsigned drawing, calibrating;
    } cases[] = {
        {0xF, 0, 0},                         // a whole keyboard
        {0x0, close | grid, close},          // none
        {0x7, grid, 0},                      // a keypad: Enter and Escape, no letters
        {0xB, close, close},                 // letters but no Escape
        {0xD, close | grid, close},          // not enabled
        {0xE, close | grid, close},          // not present
        {0xFFFFFFFFu, 0, 0},                 // unknown bits change nothing
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShownTouchControls(c.status, false), c.drawing) << std::hex << c.status;
        EXPECT_EQ(ShownTouchControls(c.status, true), c.calibrating) << std::hex << c.status;
    }
}

// On every screen the sheet fits, 480x272 and up, portrait ones too, each
// control is a fingertip square along the top, between the top targets (grid
// left of the middle one, close right of it), and touches no target's squares
// or marker (half-size 15 and the pen's pixel around it), the progress bar,
// the side margin lines a tick draws again, the screen's edge or the other
// control.
TEST(TouchControls, FingertipSquaresAlongTheTopClearOfEverythingOnEveryScreen) {
    for (int w = 480; w <= 2048; w += 4) {
        for (int h = 272; h <= 2048; h += 4) {
            ScreenPoint top[3];  // targets 4, 3 and 2: left, middle, right
            for (int i = 0; i < 3; ++i) TargetPixel(4 - i, w, h, &top[i]);
            Box controls[kTouchControlCount];
            for (int k = 0; k < kTouchControlCount; ++k) {
                ScreenPoint c;
                int r;
                TouchControlSquare(k, w, h, &c, &r);
                const Box box = {c.x - r - 1, c.y - r - 1, c.x + r + 1, c.y + r + 1};  // the outline's width 2
                controls[k] = box;
                const int left = k == kGridControl ? top[0].x : top[1].x, right = k == kGridControl ? top[1].x : top[2].x;
                ASSERT_TRUE(2 * r >= 32 && 8 * r <= (w < h ? w : h))
                    << "control " << k << " is " << 2 * r << " across at " << w << "x" << h;
                ASSERT_TRUE(c.x > left && c.x < right && 4 * c.y < h)
                    << "control " << k << " at " << c.x << "," << c.y << " is not between " << left << " and " << right
                    << " along the top at " << w << "x" << h;
                ASSERT_TRUE(box.left >= 0 && box.top >= 0 && box.right < w) << box << " off " << w << "x" << h;
                const Box bar = {0, h - kProgressBarWidth - 3, w, h};
                ASSERT_FALSE(box.Meets(bar)) << box << " meets the bar at " << w << "x" << h;
                ScreenLine margins[2];
                SideMarginLines(w, h, margins);
                for (const ScreenLine& m : margins)
                    ASSERT_FALSE(box.Meets(Box{m.from.x - 1, 0, m.from.x + 1, h}))
                        << box << " meets the margin line at x " << m.from.x << " at " << w << "x" << h;
                for (int t = 0; t < kTargetCount; ++t) {
                    ScreenPoint p;
                    TargetPixel(t, w, h, &p);
                    const Box target = {p.x - 16, p.y - 16, p.x + 16, p.y + 16};
                    ASSERT_FALSE(box.Meets(target))
                        << "control " << k << " " << box << " meets target " << t << " " << target << " at " << w << "x" << h;
                }
            }
            ASSERT_FALSE(controls[kCloseControl].Meets(controls[kGridControl]))
                << controls[kCloseControl] << " meets " << controls[kGridControl] << " at " << w << "x" << h;
        }
    }
}

// Which lines may cover a control, with the pen's width, and only shown ones.
TEST(TouchControls, ALineMeetsAControlWhereItsBoxDoes) {
    const unsigned both = (1u << kCloseControl) | (1u << kGridControl);
    const struct {
        unsigned shown;
        ScreenLine line;
        int pen;
        bool met;
    } cases[] = {
        {both, {{10, 30}, {630, 30}}, 1, true},          // across the top
        {1u << kGridControl, {{500, 10}, {600, 50}}, 1, false},  // over close, which is not shown
        {both, {{500, 10}, {600, 50}}, 1, true},
        {both, {{100, 200}, {600, 300}}, 1, false},       // below them
        {both, {{540, 49}, {540, 60}}, 1, false},         // one pixel below close's outline
        {both, {{540, 49}, {540, 60}}, 2, true},          // a wider pen reaches it
        {both, {{0, 0}, {0, 0}}, 1, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TouchControlsMet(c.shown, c.line, c.pen, 640, 480), c.met)
            << c.line.from.x << "," << c.line.from.y << "-" << c.line.to.x << "," << c.line.to.y << " pen " << c.pen;
}

TEST(TouchControls, APressCountsOnlyOnAShownControlOutlineIncluded) {
    const unsigned both = (1u << kCloseControl) | (1u << kGridControl);
    const struct {
        unsigned shown;
        int x, y, control;
    } cases[] = {
        {both, 540, 30, kCloseControl}, {both, 524, 14, kCloseControl}, {both, 556, 46, kCloseControl},
        {both, 523, 30, -1},            {both, 540, 47, -1},            {both, 240, 30, kGridControl},
        {1u << kCloseControl, 240, 30, -1}, {0, 540, 30, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TouchControlAt(c.shown, c.x, c.y, 640, 480), c.control) << c.x << "," << c.y << " shown " << c.shown;
}
