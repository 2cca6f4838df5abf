// The one seam where the program meets the touch-panel driver, the clock and
// the keyboard. The product implements it with CreateFileW/DeviceIoControl/
// Sleep/GetKeyboardStatus; the simulator and the tests with the emulated
// driver and the keyboard its configuration names.
#pragma once
#include <stdint.h>

typedef void* PortHandle;
#define PORT_INVALID_HANDLE ((PortHandle)(intptr_t)-1)

// Run once at the very start of the program, before anything else.
void PortStartup();

// CreateFileW(name, 0, 0, no security, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, no template).
PortHandle PortOpenDriver(const wchar_t* name);

// One synchronous DeviceIoControl with a plain request code.
int PortIoControl(PortHandle handle, uint32_t code, const void* in, uint32_t inSize,
                  void* out, uint32_t outSize, uint32_t* returned);

void PortSleep(uint32_t milliseconds);

// A line of ASCII for whoever watches the program: the device's debug output,
// the simulator's trace. The user sees nothing of it.
void PortNote(const char* text);

// What keyboard the system has, as CE reports it (GetKeyboardStatus): the
// keyboard is an optional component, and many panels have none, or a keypad
// with Enter and Escape but no letters.
enum : uint32_t {
    kKeyboardPresent = 0x1,
    kKeyboardEnabled = 0x2,
    kKeyboardEnterEsc = 0x4,
    kKeyboardAlphaNum = 0x8,
    kFullKeyboard = 0xF,
};
uint32_t PortKeyboardStatus();
