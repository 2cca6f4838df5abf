// Advance: four measurement values on trackbars, written on Confirm.
#include <windows.h>
#include <commctrl.h>

#include "link/records.h"
#include "pages/page_rules.h"
#include "pages/pages.h"
#include "res/resource.h"

namespace {

// What the page last read from or sent to the controller.
int32_t LastMeasureTime = 0;
int32_t LastMeasureDelay = 0;
int32_t LastInFocus = 0;
int32_t LastOutFocus = 0;

struct AdvanceParameter {
    int trackbar;
    int edit;
    int minimum;
    int maximum;
    int (*read)();
    void (*write)(uint32_t);
    int32_t* last;
};

// In the order the page shows them, which is also the order of reads and writes.
const AdvanceParameter kParameters[4] = {
    {IDC_ADVANCE_TIME_SLIDER, IDC_ADVANCE_TIME_EDIT, 5, 100, GetMeasureTime, SetMeasureTime, &LastMeasureTime},
    {IDC_ADVANCE_DELAY_SLIDER, IDC_ADVANCE_DELAY_EDIT, 10, 250, GetMeasureDelay, SetMeasureDelay, &LastMeasureDelay},
    {IDC_ADVANCE_IN_SLIDER, IDC_ADVANCE_IN_EDIT, 1, 25, GetInFocus, SetInFocus, &LastInFocus},
    {IDC_ADVANCE_OUT_SLIDER, IDC_ADVANCE_OUT_EDIT, 100, 255, GetOutFocus, SetOutFocus, &LastOutFocus},
};

void Refresh(HWND page) {
    for (const AdvanceParameter& p : kParameters) {
        SetTrackbarRange(page, p.trackbar, p.minimum, p.maximum);
        if (p.trackbar == IDC_ADVANCE_TIME_SLIDER)
            SendDlgItemMessageW(page, IDC_ADVANCE_TIME_SLIDER, TBM_SETTHUMBLENGTH, 1, 0);
        *p.last = p.read();
        SetTrackbarPosition(page, p.trackbar, *p.last);
        SetDlgItemInt(page, p.edit, (UINT)*p.last, FALSE);
    }
}

void Confirm(HWND page) {
    for (const AdvanceParameter& p : kParameters) {
        LONG position = TrackbarPosition(page, p.trackbar);
        if (position != *p.last) {
            *p.last = position;
            p.write((uint32_t)position);
        }
    }
}

void EchoPositions(HWND page) {
    for (const AdvanceParameter& p : kParameters) SetDlgItemInt(page, p.edit, (UINT)TrackbarPosition(page, p.trackbar), FALSE);
}

}  // namespace

INT_PTR CALLBACK AdvancePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NOTIFY:
            return HandlePageNotify(page, lParam, Refresh, TRUE);
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_ADVANCE_CONFIRM) Confirm(page);
            return FALSE;
        case WM_HSCROLL:
            if (LOWORD(wParam) == TB_ENDTRACK) EchoPositions(page);
            return FALSE;
    }
    return FALSE;
}
