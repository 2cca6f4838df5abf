// The one seam where the program meets the touch-panel driver and the clock.
// The product implements it with CreateFileW/DeviceIoControl/Sleep; the
// simulator and the tests implement it with the emulated driver.
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
