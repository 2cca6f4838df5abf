// Start-up: open the driver once, run the sheet, end with 0.
#include <windows.h>

#include "app/app.h"
#include "link/driver.h"
#include "platform/port.h"
#include "surface/calibration_run.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    PortStartup();
    CalibrationTimer = 0;
    InstanceHandle = instance;
    if (DriverHandle == PORT_INVALID_HANDLE) DriverHandle = PortOpenDriver(L"FPD1:");
    if (DriverHandle == PORT_INVALID_HANDLE) {
        MessageBoxW(NULL, L"Error to open front panel driver", L"ERROR", MB_OK);
        return 0;
    }
    RunPropertySheet(NULL);
    return 0;
}
