// Calibration state and sample storage; no window involved.
#pragma once
#include <stdint.h>

enum CaptureStates : uint8_t { CaptureIdle = 0, CaptureWaitingSample = 1, CaptureWaitingComplete = 2 };

extern uint8_t CaptureState;
extern int32_t CalibrationActive;
extern int32_t TickCount;
extern uintptr_t CalibrationTimer;  // what SetTimer returned for the last calibration window; 0 before

const int kCalibrationTimeoutTicks = 125;  // the 126th tick of one target closes the window

// Target position that CurrentPointIndex shows in the current mode.
int CurrentTargetPosition();

// Polls the driver for a sample of the current target and stores it in the
// CalibrationTable (in 5-point mode with the midpoints it completes).
int CaptureCalibrationSample();
