// The seam for fuzz targets that never reach a driver.
#include "platform/port.h"

void PortStartup() {}
PortHandle PortOpenDriver(const wchar_t*) { return PORT_INVALID_HANDLE; }
int PortIoControl(PortHandle, uint32_t, const void*, uint32_t, void*, uint32_t, uint32_t* returned) {
    *returned = 0;
    return 0;
}
void PortSleep(uint32_t) {}
