#include "link/driver.h"

#include <string.h>

PortHandle DriverHandle = PORT_INVALID_HANDLE;
uint8_t CalibrationMode = 0;
uint8_t CurrentPointIndex = 0;

bool DriverIsOpen() { return DriverHandle != PORT_INVALID_HANDLE && DriverHandle != 0; }

namespace {

// Every output buffer starts zeroed (or with a caller's "no value" byte), so a
// reply byte the driver did not write is never read uninitialised.
struct Reply {
    uint8_t bytes[kCalibrationSampleSize];
    uint32_t count;
    int result;
};

Reply Request(uint32_t code, const void* in, uint32_t inSize, uint32_t outSize, uint8_t fill = 0) {
    Reply r;
    memset(r.bytes, fill, sizeof r.bytes);
    r.count = 0;
    r.result = PortIoControl(DriverHandle, code, in, inSize, outSize ? r.bytes : 0, outSize, &r.count);
    return r;
}

enum CountRule { AnyCount, CountOfOne };

// A one-byte setting write, answered with 1 on success.
int SetByte(uint32_t code, uint8_t value, CountRule rule) {
    if (!DriverIsOpen()) return 0;
    Reply r = Request(code, &value, 1, 1);
    if (rule == CountOfOne && r.count != 1) return 0;
    return r.bytes[0] == 1;
}

}  // namespace

int DrvSetRotation(uint8_t rotation) { return SetByte(RequestSetRotation, rotation, AnyCount); }
int DrvSetTouchDisabled(uint8_t disabled) { return SetByte(RequestSetTouchDisabled, disabled, CountOfOne); }
int DrvSetTouchMode(uint8_t mode) { return SetByte(RequestSetTouchMode, mode, CountOfOne); }

uint8_t DrvGetRotation() {
    if (!DriverIsOpen()) return 0;
    return Request(RequestGetRotation, 0, 0, 1, kNoSettingByte).bytes[0];
}

uint8_t DrvGetTouchMode() {
    if (!DriverIsOpen()) return 0;
    return Request(RequestGetTouchMode, 0, 0, 1, kNoSettingByte).bytes[0];
}

uint8_t DrvGetTouchDisabled() {
    if (!DriverIsOpen()) return 0;
    Reply r = Request(RequestGetTouchDisabled, 0, 0, 1);
    return r.count == 1 ? r.bytes[0] : 0;
}

int DrvWrite(const uint8_t* data, uint32_t length) {
    if (length > kMaxDriverWrite) return 0;
    if (!DriverIsOpen()) return 0;
    return Request(RequestWrite, data, length, 1).result;
}

uint32_t DrvRead(uint8_t* buffer, uint32_t size) {
    if (!DriverIsOpen()) return 0;
    uint32_t count = 0;
    PortIoControl(DriverHandle, RequestRead, 0, 0, buffer, size, &count);
    // A count beyond the buffer cannot be true; never let a caller trust it.
    return count > size ? size : count;
}

uint32_t DrvPendingCount() {
    if (!DriverIsOpen()) return 0;
    Reply r = Request(RequestPendingCount, 0, 0, 4);
    if (r.count != 4) return 0;
    return (uint32_t)r.bytes[0] | (uint32_t)r.bytes[1] << 8 | (uint32_t)r.bytes[2] << 16 |
           (uint32_t)r.bytes[3] << 24;
}

int DrvPurge() {
    if (!DriverIsOpen()) return 0;
    return Request(RequestPurge, 0, 0, 1).result;
}

bool DecodeCalibrationSample(const uint8_t reply[9], int32_t* x, int32_t* y) {
    if (reply[0] != 1) return false;
    *x = (int32_t)(reply[1] | reply[2] << 8);
    *y = (int32_t)(reply[5] | reply[6] << 8);
    return true;
}

int DrvGetCalibrationSample(int32_t* x, int32_t* y) {
    if (!DriverIsOpen()) return 0;
    Reply r = Request(RequestGetCalibrationSample, 0, 0, kCalibrationSampleSize);
    return DecodeCalibrationSample(r.bytes, x, y);
}

int DrvSelectCalibrationPoint(uint8_t pointIndex, uint8_t mode) {
    CalibrationMode = mode;
    CurrentPointIndex = pointIndex;
    if (!DriverIsOpen()) return 0;
    uint8_t in[2] = {mode, pointIndex};
    return Request(RequestSelectCalibrationPoint, in, 2, 0).result;
}

int DrvIsPointComplete() {
    if (!DriverIsOpen()) return 0;
    Reply r = Request(RequestIsPointComplete, 0, 0, 1);
    return r.count == 1 && r.bytes[0] == 1;
}
