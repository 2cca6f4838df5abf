// The entry point of the device flavour built for x86_64, which runs here and
// never on the device. A desktop loader calls an executable's entry point
// without arguments, so this one asks for the instance that the device's
// loader would have passed, and then starts the program as the device does.
#include <windows.h>

extern "C" int WinMainCRTStartup() { return WinMain(GetModuleHandleW(NULL), NULL, NULL, SW_SHOWDEFAULT); }
