// Rules every setting page follows.
#pragma once
#include <windows.h>

// The notification code of a WM_NOTIFY.
UINT NotificationCode(LPARAM lParam);

// PSN_KILLACTIVE: the user may always leave a page; nothing is validated.
void AllowLeavingPage(HWND page);

// Message boxes are owned by the page, with OK and no icon.
void ShowPageMessage(HWND page, const wchar_t* text, const wchar_t* caption);

bool IsButtonChecked(HWND page, int id);

// Trackbar helpers: range and position with redraw.
void SetTrackbarRange(HWND page, int id, int minimum, int maximum);
void SetTrackbarPosition(HWND page, int id, LONG position);
LONG TrackbarPosition(HWND page, int id);
