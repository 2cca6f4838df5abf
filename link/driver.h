// Front panel driver "FPD1:": one operation per I/O-control request.
// Results are integers: nonzero for success, 0 for failure; reads return 0 on failure.
#pragma once
#include <stdint.h>
#include "platform/port.h"

extern PortHandle DriverHandle;          // PORT_INVALID_HANDLE until start-up opens it
extern uint8_t CalibrationMode;          // 0, 5 or 9
extern uint8_t CurrentPointIndex;

enum DriverRequest : uint32_t {
    RequestSetRotation = 3,
    RequestSetTouchDisabled = 4,
    RequestGetRotation = 7,
    RequestGetTouchDisabled = 10,
    RequestWrite = 13,
    RequestRead = 14,
    RequestPendingCount = 15,
    RequestPurge = 16,
    RequestSetTouchMode = 17,
    RequestGetCalibrationSample = 18,
    RequestSelectCalibrationPoint = 19,
    RequestIsPointComplete = 20,
    RequestGetTouchMode = 25,
};

const uint32_t kMaxDriverWrite = 15;
const uint32_t kCalibrationSampleSize = 9;
// What DrvGetRotation/DrvGetTouchMode report when the driver writes no byte:
// outside every valid encoding, so the Settings page treats it as unknown.
const uint8_t kNoSettingByte = 0xFF;

bool DriverIsOpen();

int DrvSetRotation(uint8_t rotation);
int DrvSetTouchDisabled(uint8_t disabled);
uint8_t DrvGetRotation();
uint8_t DrvGetTouchDisabled();
int DrvWrite(const uint8_t* data, uint32_t length);
uint32_t DrvRead(uint8_t* buffer, uint32_t size);
uint32_t DrvPendingCount();
int DrvPurge();
int DrvSetTouchMode(uint8_t mode);
int DrvGetCalibrationSample(int32_t* x, int32_t* y);
int DrvSelectCalibrationPoint(uint8_t pointIndex, uint8_t mode);
int DrvIsPointComplete();
uint8_t DrvGetTouchMode();

// The layout of the request-18 reply, read byte by byte (fields at odd offsets).
bool DecodeCalibrationSample(const uint8_t reply[9], int32_t* x, int32_t* y);
