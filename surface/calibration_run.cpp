#include "surface/calibration_run.h"

#include "link/driver.h"
#include "link/exchange.h"
#include "platform/module.h"
#include "surface/fullscreen.h"
#include "surface/gdi_guards.h"
#include "surface/overlays.h"

CalibrationHooks WindowCalibration = {StartCalibrationTimer, CalibrationTick, PaintCalibrationFrame};

namespace {

void FinishCalibration(HWND window) {
    // No tick may run past the last point: the failure message's own loop
    // would otherwise dispatch one, addressing a position beyond the table.
    KillTimer(window, CalibrationTimer);
    if (!UploadCalibrationTable(CalibrationTable)) {
        // The message has no owner, so its loop would still hand the window
        // taps and keys, and Escape would close it under the run. It takes no
        // input until the run has finished with it.
        EnableWindow(window, FALSE);
        MessageBoxW(NULL, L"Do calibration fail!", L"Message", MB_OK);
        // Had the window gone all the same, its closing has ended the run
        // ("R" included), and what is open now, perhaps a new run, is not
        // this run's to end.
        if (window != FullScreenWindow) return;
    }
    CalibrationCommand(0);
    CloseFullScreenWindow(window);  // which ends the run
}

}  // namespace

void StartCalibration(int mode) {
    if (BringFullScreenWindowToFront()) return;
    CalibrationActive = 1;
    CaptureState = CaptureWaitingSample;
    CalibrationCommand(1);
    DrvSelectCalibrationPoint(0, (uint8_t)mode);
    if (!OpenFullScreenWindow(InstanceHandle)) {
        // Leave nothing behind: no collapsed taskbar, no run marked active,
        // and the controller out of calibration mode again.
        ResetCalibrationRun();
        CalibrationCommand(0);
        return;
    }
    CollapseTaskbar();
}

void StartCalibrationTimer(HWND window) {
    if (CalibrationActive != 1) return;
    CalibrationTimer = SetTimer(window, kCalibrationTimerId, kCalibrationTimerMs, NULL);
    TickCount = 0;
}

void PaintCalibrationFrame(HDC dc) {
    if (CalibrationActive == 1) DrawCalibrationFrame(dc);
}

void CalibrationTick(HWND window) {
    ++TickCount;
    bool lastPointDone = false;
    {
        WindowDC dc(window);
        DrawProgressBar(dc, TickCount);
        int position = CurrentTargetPosition();
        DrawTargetRings(dc, position, TickCount % 2);
        if (CaptureState == CaptureWaitingSample) {
            if (CaptureCalibrationSample() == 1) {
                DrawTouchedMarker(dc, position);
                CaptureState = CaptureWaitingComplete;
            }
        } else if (CaptureState == CaptureWaitingComplete) {
            DrawTouchedMarker(dc, position);
            if (DrvIsPointComplete() == 1) {
                TickCount = 0;
                ClearProgressBar(dc);
                ++CurrentPointIndex;
                if (CurrentPointIndex < CalibrationMode) {
                    CaptureState = CaptureWaitingSample;
                    DrvSelectCalibrationPoint(CurrentPointIndex, CalibrationMode);
                } else {
                    lastPointDone = true;
                }
            }
        }
    }
    if (lastPointDone) {
        FinishCalibration(window);
        return;
    }
    if (TickCount > kCalibrationTimeoutTicks) CloseFullScreenWindow(window);
}
