// The calibration run, driven by the full-screen window's timer.
#pragma once
#include <windows.h>

#include "surface/calibration_capture.h"

const UINT_PTR kCalibrationTimerId = 576;
const UINT kCalibrationTimerMs = 500;

// Starts a run of mode 5 or 9, unless a full-screen window is open already:
// then that window comes to the front and nothing else happens.
void StartCalibration(int mode);
void StartCalibrationTimer(HWND window);
void CalibrationTick(HWND window);
void PaintCalibrationFrame(HDC dc);  // a drawing window paints nothing of its own
