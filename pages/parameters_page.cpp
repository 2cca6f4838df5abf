// Parameters: touch sensitivity and right-click response time, written on Confirm.
#include <windows.h>
#include <commctrl.h>

#include "link/records.h"
#include "pages/page_rules.h"
#include "pages/pages.h"
#include "res/resource.h"

namespace {

// What the page last read from or sent to the controller.
uint8_t LastSensitivity = 0;
int32_t LastRightClickTime = 0;

const wchar_t* const kSensitivityLevels[5] = {
    L"Low Sensitivity", L"Normal Sensitivity", L"More Sensitivity", L"Very Sensitivity", L"Most Sensitivity",
};

// The controller stores time / 5 in two hexadecimal digits, so the trackbar
// offers no position it could not store.
const int kMinRightClickTime = 200;
const int kMaxRightClickTimeShown = (int)kMaxRightClickTime;

void FillSensitivityList(HWND page) {
    for (const wchar_t* text : kSensitivityLevels)
        SendDlgItemMessageW(page, IDC_PARAMETERS_SENSITIVITY, LB_ADDSTRING, 0, (LPARAM)text);
}

void Refresh(HWND page) {
    SetTrackbarRange(page, IDC_PARAMETERS_TIME_SLIDER, kMinRightClickTime, kMaxRightClickTimeShown);
    LastRightClickTime = 5 * GetRightClickTime();
    SetTrackbarPosition(page, IDC_PARAMETERS_TIME_SLIDER, LastRightClickTime);
    SetDlgItemInt(page, IDC_PARAMETERS_TIME_EDIT, (UINT)LastRightClickTime, FALSE);
    LastSensitivity = GetSensitivity();
    if (LastSensitivity == 0) LastSensitivity = 1;
    SendDlgItemMessageW(page, IDC_PARAMETERS_SENSITIVITY, LB_SETCURSEL, LastSensitivity - 1, 0);
}

void Confirm(HWND page) {
    LRESULT selection = SendDlgItemMessageW(page, IDC_PARAMETERS_SENSITIVITY, LB_GETCURSEL, 0, 0);
    if (selection != LB_ERR && selection + 1 != LastSensitivity) {
        LastSensitivity = (uint8_t)(selection + 1);
        SetSensitivity(LastSensitivity);
    }
    LONG time = TrackbarPosition(page, IDC_PARAMETERS_TIME_SLIDER);
    if (time != LastRightClickTime) {
        LastRightClickTime = time;
        SetRightClickTime((uint32_t)time);
    }
}

}  // namespace

INT_PTR CALLBACK ParametersPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            FillSensitivityList(page);
            return FALSE;
        case WM_NOTIFY:
            return HandlePageNotify(page, lParam, Refresh, FALSE);
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_PARAMETERS_CONFIRM) Confirm(page);
            return FALSE;
        case WM_HSCROLL:
            if (LOWORD(wParam) == TB_ENDTRACK)
                SetDlgItemInt(page, IDC_PARAMETERS_TIME_EDIT, (UINT)TrackbarPosition(page, IDC_PARAMETERS_TIME_SLIDER),
                              FALSE);
            return FALSE;
    }
    return FALSE;
}
