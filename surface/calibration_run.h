// The calibration run, driven by the full-screen window's timer.
#pragma once
#include <windows.h>

#include "surface/calibration_capture.h"

extern UINT_PTR CalibrationTimer;

const UINT_PTR kCalibrationTimerId = 576;
const UINT kCalibrationTimerMs = 500;

void StartCalibration(int mode);
void StartCalibrationTimer(HWND window);
void CalibrationTick(HWND window);
