#include "surface/calibration_capture.h"

#include "link/driver.h"

Capture CaptureState = CaptureIdle;
int32_t CalibrationActive = 0;
int32_t TickCount = 0;
uintptr_t CalibrationTimer = 0;
CalibrationPoint CalibrationTable[kCalibrationPoints];

void ResetCalibrationRun() {
    CalibrationActive = 0;
    CaptureState = CaptureIdle;
    TickCount = 0;
    CalibrationMode = 0;
}

int CurrentTargetPosition() { return TargetPositionOf(CalibrationMode, CurrentPointIndex); }

namespace {

// Raw values are never negative, so integer division drops the half.
CalibrationPoint Midpoint(int a, int b) {
    return CalibrationPoint{(CalibrationTable[a].x + CalibrationTable[b].x) / 2,
                            (CalibrationTable[a].y + CalibrationTable[b].y) / 2};
}

}  // namespace

int CaptureCalibrationSample() {
    int32_t x, y;
    if (!DrvGetCalibrationSample(&x, &y)) return 0;
    int k = CurrentPointIndex;
    if (CalibrationMode == 9) {
        if (k >= kCalibrationPoints) return 0;
        CalibrationTable[k] = CalibrationPoint{x, y};
        return 1;
    }
    if (CalibrationMode == 5) {
        if (k > 4) return 0;
        CalibrationTable[2 * k] = CalibrationPoint{x, y};
        if (k >= 2) CalibrationTable[2 * k - 1] = Midpoint(2 * k - 2, 2 * k);
        if (k == 4) CalibrationTable[1] = Midpoint(8, 2);
        return 1;
    }
    return 0;
}
