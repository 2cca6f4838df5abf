#include "pages/page_rules.h"

#include <commctrl.h>

UINT NotificationCode(LPARAM lParam) { return reinterpret_cast<const NMHDR*>(lParam)->code; }

void AllowLeavingPage(HWND page) { SetWindowLongW(page, DWLP_MSGRESULT, FALSE); }

void ShowPageMessage(HWND page, const wchar_t* text, const wchar_t* caption) {
    MessageBoxW(page, text, caption, MB_OK);
}

bool IsButtonChecked(HWND page, int id) {
    return SendDlgItemMessageW(page, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetTrackbarRange(HWND page, int id, int minimum, int maximum) {
    SendDlgItemMessageW(page, id, TBM_SETRANGE, TRUE, MAKELONG(minimum, maximum));
}

void SetTrackbarPosition(HWND page, int id, LONG position) {
    SendDlgItemMessageW(page, id, TBM_SETPOS, TRUE, position);
}

LONG TrackbarPosition(HWND page, int id) { return (LONG)SendDlgItemMessageW(page, id, TBM_GETPOS, 0, 0); }
