// A tiny program for the device check's own tests: built the desktop way, or
// the device way with a function the device does not have, or importing one
// that an image may lack, or the device way for the i686 with a frame of two
// pages, neither of which a 486 device takes.
#include <windows.h>

extern "C" DECLSPEC_IMPORT DWORD WINAPI GetKeyboardStatus(void);

#ifdef FOR_THE_I686_WITH_A_LARGE_FRAME
extern "C" int WinMainCRTStartup(HINSTANCE, HINSTANCE, LPWSTR line, int show) {
    wchar_t text[4096];
    int n = 0;
    for (; n < 4095 && line[n]; ++n) text[n] = line[n];
    text[n] = 0;
    int answer = MessageBoxW(NULL, text, text, MB_OK);
    return answer > show ? answer : show;  // a CMOV on the i686
}
#else
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
#if defined(CALL_A_DESKTOP_ONLY_FUNCTION)
    return GetModuleHandleA(NULL) != NULL;
#elif defined(CALL_A_KEYBOARD_FUNCTION)
    return GetKeyboardStatus() != 0;
#else
    return MessageBoxW(NULL, L"sample", L"sample", MB_OK);
#endif
}
#endif

#if defined(CALL_A_DESKTOP_ONLY_FUNCTION) || defined(CALL_A_KEYBOARD_FUNCTION)
extern "C" int WinMainCRTStartup(HINSTANCE instance, HINSTANCE previous, LPWSTR, int show) {
    return WinMain(instance, previous, NULL, show);
}
#endif
