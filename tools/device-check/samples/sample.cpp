// A tiny program for the device check's own tests: built the desktop way, or
// the device way with a function the device does not have.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
#ifdef CALL_A_DESKTOP_ONLY_FUNCTION
    return GetModuleHandleA(NULL) != NULL;
#else
    return MessageBoxW(NULL, L"sample", L"sample", MB_OK);
#endif
}

#ifdef CALL_A_DESKTOP_ONLY_FUNCTION
extern "C" int WinMainCRTStartup(HINSTANCE instance, HINSTANCE previous, LPWSTR, int show) {
    return WinMain(instance, previous, NULL, show);
}
#endif
