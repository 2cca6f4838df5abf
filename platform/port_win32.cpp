// The real driver: "FPD1:" through the platform's device I/O.
#include <windows.h>
#include "platform/optional.h"
#include "platform/port.h"

void PortStartup() {}

PortHandle PortOpenDriver(const wchar_t* name) {
    return CreateFileW(name, 0, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
}

int PortIoControl(PortHandle handle, uint32_t code, const void* in, uint32_t inSize,
                  void* out, uint32_t outSize, uint32_t* returned) {
    DWORD count = 0;
    BOOL ok = DeviceIoControl(handle, code, const_cast<void*>(in), inSize, out, outSize, &count, NULL);
    *returned = count;
    return ok ? 1 : 0;
}

void PortSleep(uint32_t milliseconds) { Sleep(milliseconds); }

void PortNote(const char* text) {
    wchar_t line[128];
    int n = 0;
    for (; text[n] && n < 126; ++n) line[n] = (unsigned char)text[n];
    line[n++] = L'\n';
    line[n] = 0;
    OutputDebugStringW(line);
}

uint32_t PortKeyboardStatus() { return KeyboardStatusIfPresent(); }
