// The module instance the system starts the program with. Start-up saves it;
// the sheet, its pages and the full-screen window class are made from it.
#pragma once
#include <windows.h>

inline HINSTANCE InstanceHandle = NULL;
