// Start-up: open the driver once, run the sheet, end with 0.
#include <windows.h>

#include "app/app.h"
#include "link/driver.h"
#include "platform/module.h"
#include "platform/port.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    PortStartup();
    InstanceHandle = instance;
    if (DriverHandle == PORT_INVALID_HANDLE) DriverHandle = PortOpenDriver(L"FPD1:");
    if (DriverHandle == PORT_INVALID_HANDLE) {
        MessageBoxW(NULL, L"Error to open front panel driver", L"ERROR", MB_OK);
        return 0;
    }
    RunPropertySheet(NULL);
    return 0;
}
