// A stand-in for the device's core library with the emulated "FPD1:" driver
// inside: the device flavour of the program, run here, opens the driver and
// sends it requests exactly as on the device, and this library answers them.
// Its debug output goes into the trace. Every other function is forwarded to
// the desktop library that has it (the forwarders are in the generated module
// definition beside this library).
#include <windows.h>

#include "platform/port.h"
#include "sim/sim.h"

namespace {

bool g_started = false;

}  // namespace

extern "C" HANDLE WINAPI StandInCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                            DWORD disposition, DWORD attributes, HANDLE templateFile) {
    if (name && lstrcmpW(name, L"FPD1:") == 0) {
        // The simulator starts when the program first asks for its driver.
        if (!g_started) PortStartup();
        g_started = true;
        return PortOpenDriver(name);
    }
    return CreateFileW(name, access, share, security, disposition, attributes, templateFile);
}

extern "C" BOOL WINAPI StandInDeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                              DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped) {
    if (!SimIsDriverHandle(device)) return DeviceIoControl(device, code, in, inSize, out, outSize, returned, overlapped);
    uint32_t count = 0;
    int result = PortIoControl(device, code, in, inSize, out, outSize, &count);
    if (returned) *returned = count;
    return result;
}

// What the program tells a debugger goes into the simulator's trace, as a
// NOTE line, where a device would show it on its debug output.
extern "C" void WINAPI StandInOutputDebugStringW(LPCWSTR text) {
    char line[128];
    int n = 0;
    for (; text && text[n] && text[n] != L'\n' && n < 127; ++n) line[n] = text[n] < 0x80 ? (char)text[n] : '?';
    line[n] = 0;
    PortNote(line);
}

// The keyboard the simulator's configuration names (a full one by default).
extern "C" DWORD WINAPI StandInGetKeyboardStatus() { return PortKeyboardStatus(); }
