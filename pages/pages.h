// The dialog procedures of the setting pages.
#pragma once
#include <stdint.h>
#include <windows.h>

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ParametersPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ToolsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DevicePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AdvancePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// What the Parameters and Advance pages last read from or sent to the controller.
extern uint8_t LastSensitivity;
extern int32_t LastRightClickTime;
extern int32_t LastMeasureTime;
extern int32_t LastMeasureDelay;
extern int32_t LastInFocus;
extern int32_t LastOutFocus;
