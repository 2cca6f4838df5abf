// The device's entry point. The system calls it with WinMain's four arguments
// and ends the process when it returns; there is no C run-time start-up.
#include <windows.h>

extern "C" int WinMainCRTStartup(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show) {
    // The device passes a wide command line; WinMain reads only the instance.
    return WinMain(instance, previous, reinterpret_cast<LPSTR>(commandLine), show);
}
