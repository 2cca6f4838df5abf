// Settings: touch mode, rotation and touch disable, each sent when clicked.
#include <windows.h>
#include <commctrl.h>

#include "link/driver.h"
#include "link/exchange.h"
#include "pages/page_rules.h"
#include "pages/pages.h"
#include "res/resource.h"

namespace {

const int kModeButtons[3] = {IDC_SETTINGS_DESKTOP, IDC_SETTINGS_DRAWING, IDC_SETTINGS_BUTTON};
const int kRotationButtons[4] = {IDC_SETTINGS_ROTATE_0, IDC_SETTINGS_ROTATE_90, IDC_SETTINGS_ROTATE_180,
                                 IDC_SETTINGS_ROTATE_270};

// The value of the last checked button of a group (button i stands for
// first + i), or -1 when none is checked.
int CheckedValue(HWND page, const int* buttons, int count, int first) {
    int value = -1;
    for (int i = 0; i < count; ++i)
        if (IsDlgButtonChecked(page, buttons[i]) == BST_CHECKED) value = first + i;
    return value;
}

void Refresh(HWND page) {
    uint8_t rotation = DrvGetRotation();
    if (rotation <= 3) CheckRadioButton(page, IDC_SETTINGS_ROTATE_0, IDC_SETTINGS_ROTATE_270, kRotationButtons[rotation]);
    uint8_t mode = DrvGetTouchMode();
    int modeButton = mode == 1 ? IDC_SETTINGS_DESKTOP : mode == 3 ? IDC_SETTINGS_BUTTON : IDC_SETTINGS_DRAWING;
    CheckRadioButton(page, IDC_SETTINGS_DESKTOP, IDC_SETTINGS_BUTTON, modeButton);
    CheckDlgButton(page, IDC_SETTINGS_DISABLE, DrvGetTouchDisabled() == 1 ? BST_CHECKED : BST_UNCHECKED);
}

// Nothing is sent when no button of the group is checked.
void SendTouchMode(HWND page) {
    int mode = CheckedValue(page, kModeButtons, 3, 1);
    if (mode > 0) SetTouchMode((uint8_t)mode);
}

void SendRotation(HWND page) {
    int rotation = CheckedValue(page, kRotationButtons, 4, 0);
    if (rotation >= 0) DrvSetRotation((uint8_t)rotation);
}

}  // namespace

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NOTIFY:
            return HandlePageNotify(page, lParam, Refresh, FALSE);
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_SETTINGS_DESKTOP:
                case IDC_SETTINGS_DRAWING:
                case IDC_SETTINGS_BUTTON:
                    SendTouchMode(page);
                    break;
                case IDC_SETTINGS_ROTATE_0:
                case IDC_SETTINGS_ROTATE_90:
                case IDC_SETTINGS_ROTATE_180:
                case IDC_SETTINGS_ROTATE_270:
                    SendRotation(page);
                    break;
                case IDC_SETTINGS_DISABLE:
                    DrvSetTouchDisabled(IsDlgButtonChecked(page, IDC_SETTINGS_DISABLE) == BST_CHECKED ? 1 : 0);
                    break;
            }
            return FALSE;
    }
    return FALSE;
}
