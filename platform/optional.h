// The functions that lie in Windows CE components an OEM may leave out of an
// image: the keyboard UI (the keyboard's status and the hot keys) and the
// foreground window. CE's loader refuses a whole program that imports a
// function its image lacks, so the device looks each of these up once, at
// run time, and goes on without it (platform/wince/coredll-components.txt);
// the desktop builds call them as they are.
#pragma once
#include <stdint.h>
#include <windows.h>

// What keyboard the system reports (GetKeyboardStatus's bits); 0, none, on
// an image without the keyboard UI: such a panel has no keys to press.
uint32_t KeyboardStatusIfPresent();

// 0 where the hot key is not registered: another program holds it, or the
// image has no hot keys.
BOOL RegisterHotKeyIfPresent(HWND window, int id, UINT modifiers, UINT key);
void UnregisterHotKeyIfPresent(HWND window, int id);

// Brings the window to the front, where the image can.
void SetForegroundWindowIfPresent(HWND window);
