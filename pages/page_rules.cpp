#include "pages/page_rules.h"

#include <commctrl.h>

INT_PTR HandlePageNotify(HWND page, LPARAM lParam, void (*refresh)(HWND page), INT_PTR killActiveReturns) {
    switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
        case PSN_KILLACTIVE:
            SetWindowLongPtrW(page, DWLP_MSGRESULT, FALSE);
            return killActiveReturns;
        case PSN_SETACTIVE:
            if (refresh) refresh(page);
            return FALSE;
    }
    return FALSE;
}

void ShowPageMessage(HWND page, const wchar_t* text, const wchar_t* caption) {
    MessageBoxW(page, text, caption, MB_OK);
}

void SetTrackbarRange(HWND page, int id, int minimum, int maximum) {
    SendDlgItemMessageW(page, id, TBM_SETRANGE, TRUE, MAKELONG(minimum, maximum));
}

void SetTrackbarPosition(HWND page, int id, LONG position) {
    SendDlgItemMessageW(page, id, TBM_SETPOS, TRUE, position);
}

LONG TrackbarPosition(HWND page, int id) { return (LONG)SendDlgItemMessageW(page, id, TBM_GETPOS, 0, 0); }
