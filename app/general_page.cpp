// General: the banner and Exit, which ends the program.
#include <windows.h>

#include "app/app.h"
#include "res/resource.h"

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            // The banner (its bitmap is larger than the page) comes after Exit
            // in the template, so it lies below Exit; clipped to its siblings,
            // it no longer paints over the button.
            HWND banner = GetWindow(GetDlgItem(page, IDC_GENERAL_EXIT), GW_HWNDNEXT);
            if (banner) SetWindowLongW(banner, GWL_STYLE, GetWindowLongW(banner, GWL_STYLE) | WS_CLIPSIBLINGS);
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_GENERAL_EXIT) PostQuitMessage(0);
            return FALSE;
    }
    return FALSE;
}
