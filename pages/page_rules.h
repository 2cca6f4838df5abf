// Rules every setting page follows.
#pragma once
#include <windows.h>

// WM_NOTIFY as every page handles it: PSN_SETACTIVE runs the page's refresh
// (when it has one); PSN_KILLACTIVE lets the user leave, nothing being
// validated, and the procedure returns killActiveReturns. Every other
// notification is left alone. Returns what the page procedure returns.
INT_PTR HandlePageNotify(HWND page, LPARAM lParam, void (*refresh)(HWND page), INT_PTR killActiveReturns);

// Message boxes are owned by the page, with OK and no icon.
void ShowPageMessage(HWND page, const wchar_t* text, const wchar_t* caption);

// Trackbar helpers: range and position with redraw.
void SetTrackbarRange(HWND page, int id, int minimum, int maximum);
void SetTrackbarPosition(HWND page, int id, LONG position);
LONG TrackbarPosition(HWND page, int id);
