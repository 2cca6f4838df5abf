// On a panel without a keyboard (or without Escape, or without letters) the
// full-screen window shows squares that stand in for the missing keys: a
// close control for Escape and a grid control for G. Where they lie and which
// are shown; no window involved.
#pragma once
#include <stdint.h>

#include "surface/overlay_geometry.h"

enum TouchControl { kCloseControl, kGridControl, kTouchControlCount };

// Bit (1 << control) for each control the window shows, from the keyboard
// status read when it opened. A calibration run shows only the close control:
// every other touch there is the current target's.
unsigned ShownTouchControls(uint32_t keyboardStatus, bool calibrating);

// Centre and half-size of a control's square: at least 32 pixels across,
// clear of every target's squares, the progress bar and the side margin lines
// a tick draws, on any screen the sheet fits (480x272 and up).
void TouchControlSquare(int control, int width, int height, ScreenPoint* centre, int* halfSize);

// Whether a line drawn with a pen of that width may cover part of a shown
// control (its bounding box meets the control's square, outline included).
bool TouchControlsMet(unsigned shown, ScreenLine line, int penWidth, int width, int height);

// The shown control whose square (outline included) holds the point; -1 for none.
int TouchControlAt(unsigned shown, int x, int y, int width, int height);

// The control's sign, in lines: an x for close, a # for the grid. Returns the count.
int TouchControlGlyph(int control, ScreenPoint centre, int halfSize, ScreenLine lines[4]);
