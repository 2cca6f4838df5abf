#include "surface/calibration_run.h"

#include "link/driver.h"
#include "link/exchange.h"
#include "platform/module.h"
#include "platform/port.h"
#include "surface/fullscreen.h"
#include "surface/gdi_guards.h"
#include "surface/overlays.h"
#include "surface/sample_check.h"

CalibrationHooks WindowCalibration = {StartCalibrationTimer, CalibrationTick, PaintCalibrationFrame};

namespace {

// Appends the decimal digits of n (0 or more) at `at`; returns the end.
char* AppendNumber(char* at, int n) {
    char digits[12];
    int count = 0;
    do digits[count++] = (char)('0' + n % 10); while ((n /= 10) > 0);
    while (count) *at++ = digits[--count];
    return at;
}

char* Append(char* at, const char* text) {
    while (*text) *at++ = *text++;
    return at;
}

// Whether the samples taken so far lie as the targets do; says which does
// not, and how far off it is, to whoever watches.
bool SamplesAgree() {
    const SampleVerdict v = JudgeSamples(CalibrationTable, CalibrationMode, CurrentPointIndex);
    if (v.agree) return true;
    char note[96];
    char* at = Append(note, "calibration refused: ");
    if (v.position < 0) {
        at = Append(at, "the samples lie on one line");
    } else {
        at = Append(AppendNumber(Append(at, "target "), v.position), " is ");
        at = Append(AppendNumber(at, v.offPercent), "% of a step from where the others put it");
    }
    *at = 0;
    PortNote(note);
    return false;
}

// A touch that missed its target: nothing is written into the controller,
// whose calibration stays as it was, and the run starts again at its first
// target over a fresh frame. No message: answering one would take the very
// accuracy the panel lacks.
void RestartCalibration(HWND window) {
    CaptureState = CaptureWaitingSample;
    TickCount = 0;
    DrvSelectCalibrationPoint(0, CalibrationMode);
    InvalidateRect(window, NULL, TRUE);
}

// A press for the window still waits in its queue: the driver may already
// hold it as a sample, though it may be a tap on the close control.
bool PenDownWaiting(HWND window) {
    MSG m;
    return PeekMessageW(&m, window, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_NOREMOVE) != 0;
}

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
    bool lastPointDone = false, misplaced = false;
    {
        WindowDC dc(window);
        DrawProgressBar(dc, TickCount);
        int position = CurrentTargetPosition();
        DrawTargetRings(dc, position, TickCount % 2);
        if (CaptureState == CaptureWaitingSample) {
            if (!PenDownWaiting(window) && CaptureCalibrationSample() == 1) {
                DrawTouchedMarker(dc, position);
                CaptureState = CaptureWaitingComplete;
            }
        } else if (CaptureState == CaptureWaitingComplete) {
            DrawTouchedMarker(dc, position);
            if (DrvIsPointComplete() == 1) {
                TickCount = 0;
                ClearProgressBar(dc);
                ++CurrentPointIndex;
                if (!SamplesAgree()) {
                    misplaced = true;
                } else if (CurrentPointIndex < CalibrationMode) {
                    CaptureState = CaptureWaitingSample;
                    DrvSelectCalibrationPoint(CurrentPointIndex, CalibrationMode);
                } else {
                    lastPointDone = true;
                }
            }
        }
    }
    if (misplaced) {
        RestartCalibration(window);
        return;
    }
    if (lastPointDone) {
        FinishCalibration(window);
        return;
    }
    if (TickCount > kCalibrationTimeoutTicks) CloseFullScreenWindow(window);
}
