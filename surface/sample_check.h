// Whether a calibration run's samples lie as its targets do. The targets
// stand on a 3x3 grid (TargetPositions), and a panel whose raw coordinates
// are a regular image of the screen (any offset and scale, axes swapped or
// mirrored, turned, and a gentle bow) puts the samples on an image of that
// grid. A touch that missed its target does not fit it, and a table made
// with it would spoil the panel. Integer arithmetic only: the processor may
// have no FPU; any input is safe, 16-bit raw values above all.
#pragma once
#include "link/calibration_point.h"

struct SampleVerdict {
    bool agree;      // every sample lies near where the others put it
    int position;    // when not: the target to blame, or -1: the samples lie on one line
    int offPercent;  // how far off it lies, in percent of a step (the way to a neighbouring target)
};

// The samples of a run of `mode` (5 or 9) taken so far: `taken` targets, in
// the run's order, each at its position in `table`. The grid is judged from
// the samples themselves, so the first three always agree unless they lie in
// one place or on one line; from the fourth on, each sample must lie less
// than a quarter of the way to a neighbouring target from where the others
// put it (a third, until all the run's targets are taken).
SampleVerdict JudgeSamples(const CalibrationPoint table[kCalibrationPoints], int mode, int taken);
