/* CE's GetProcAddressW, which no desktop library has, for the stand-in core
   libraries (the x86_64 flavour's, cmake/wince-standins.cmake, and the
   device run's, run/standin.cpp): the desktop's lookup, by a wide name. A
   library without the asked-for export answers NULL, as an image without
   its component does. */
#include <windows.h>

#ifdef __cplusplus
extern "C"
#endif
FARPROC WINAPI StandInGetProcAddressW(HMODULE module, LPCWSTR name) {
    char narrow[64];
    int i = 0;
    if (IS_INTRESOURCE(name)) return GetProcAddress(module, (LPCSTR)name);
    for (; name[i] && i < 63; ++i) {
        if (name[i] > 0x7F) return NULL; /* no export has such a name */
        narrow[i] = (char)name[i];
    }
    if (name[i]) return NULL;
    narrow[i] = 0;
    return GetProcAddress(module, narrow);
}
