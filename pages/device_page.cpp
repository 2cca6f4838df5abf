// Device: the active device name and the two calibration runs.
#include <windows.h>
#include <commctrl.h>

#include "link/driver.h"
#include "pages/page_rules.h"
#include "pages/pages.h"
#include "platform/optional.h"
#include "res/resource.h"
#include "surface/calibration_run.h"

namespace {

const int kHotKeyCalibrate5 = 291;
const int kHotKeyCalibrate9 = 292;
const UINT kKey5 = 0x35;
const UINT kKey9 = 0x39;

// A hot key only enables its button (which is always enabled): it starts nothing.
void OnHotKey(HWND page, LPARAM lParam) {
    if (LOWORD(lParam) != MOD_CONTROL) return;
    if (HIWORD(lParam) == kKey5) EnableWindow(GetDlgItem(page, IDC_DEVICE_CALIBRATE_5), TRUE);
    if (HIWORD(lParam) == kKey9) EnableWindow(GetDlgItem(page, IDC_DEVICE_CALIBRATE_9), TRUE);
}

// The name is fixed; it is shown whenever a driver is open.
void ShowDeviceName(HWND page) {
    if (DriverHandle != PORT_INVALID_HANDLE) SetDlgItemTextW(page, IDC_DEVICE_NAME, L"USB_DEVICE0");
}

}  // namespace

INT_PTR CALLBACK DevicePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            RegisterHotKeyIfPresent(page, kHotKeyCalibrate5, MOD_CONTROL, kKey5);
            RegisterHotKeyIfPresent(page, kHotKeyCalibrate9, MOD_CONTROL, kKey9);
            return FALSE;
        case WM_DESTROY:
            // System-wide keys: CE does not say that they go with the window.
            UnregisterHotKeyIfPresent(page, kHotKeyCalibrate5);
            UnregisterHotKeyIfPresent(page, kHotKeyCalibrate9);
            return FALSE;
        case WM_NOTIFY:
            return HandlePageNotify(page, lParam, ShowDeviceName, FALSE);
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_DEVICE_CALIBRATE_5:
                    StartCalibration(5);
                    break;
                case IDC_DEVICE_CALIBRATE_9:
                    StartCalibration(9);
                    break;
            }
            return FALSE;
        case WM_HOTKEY:
            OnHotKey(page, lParam);
            return FALSE;
    }
    return FALSE;
}
