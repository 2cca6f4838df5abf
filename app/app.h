// Application shell: start-up state and the property sheet.
#pragma once
#include <windows.h>

extern HINSTANCE InstanceHandle;

int RunPropertySheet(HWND owner);
INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
