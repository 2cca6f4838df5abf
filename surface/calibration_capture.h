// The calibration run's state and the table its samples fill; no window involved.
#pragma once
#include <stdint.h>

#include "link/calibration_point.h"

enum Capture : uint8_t { CaptureIdle = 0, CaptureWaitingSample = 1, CaptureWaitingComplete = 2 };

extern Capture CaptureState;
extern int32_t CalibrationActive;
extern int32_t TickCount;
extern uintptr_t CalibrationTimer;  // what SetTimer returned for the last calibration window; 0 before

// Pair k belongs to target position k; kept between runs.
extern CalibrationPoint CalibrationTable[kCalibrationPoints];

const int kCalibrationTimeoutTicks = 125;  // the 126th tick of one target closes the window

// A run is over, however it ended: nothing is active, waited for or counted.
// (The mode and target index stay as the driver was last told them.)
void ResetCalibrationRun();

// Target position that a run of `mode` shows as its `index`-th target: a
// 5-point run takes the corners and the centre, every other position.
inline int TargetPositionOf(int mode, int index) { return mode == 5 ? 2 * index : index; }

// Target position that CurrentPointIndex shows in the current mode.
int CurrentTargetPosition();

// Polls the driver for a sample of the current target and stores it in the
// CalibrationTable (in 5-point mode with the midpoints it completes).
int CaptureCalibrationSample();
