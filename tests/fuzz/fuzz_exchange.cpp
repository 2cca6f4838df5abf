// ExchangeCommand, the record operations, the upload and ResetOnClose against a
// driver whose every answer (result, count and bytes) comes from the fuzz input.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "link/calibration_point.h"
#include "link/driver.h"
#include "link/exchange.h"
#include "link/records.h"
#include "platform/port.h"

namespace {

const uint8_t* g_data;
size_t g_size, g_at;
unsigned g_calls;

const CalibrationPoint kTable[kCalibrationPoints] = {{0, 65535}, {1, 2}, {3, 4}, {5, 6}, {7, 8},
                                                     {9, 10}, {11, 12}, {13, 14}, {15, 16}};

uint8_t Next() { return g_at < g_size ? g_data[g_at++] : 0; }

}  // namespace

void PortStartup() {}
PortHandle PortOpenDriver(const wchar_t*) { return (PortHandle)(intptr_t)1; }
void PortSleep(uint32_t) {}

int PortIoControl(PortHandle, uint32_t, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                  uint32_t* returned) {
    ++g_calls;
    if (in && inSize) {
        volatile uint8_t sink = ((const uint8_t*)in)[inSize - 1];  // the input must be readable
        (void)sink;
    }
    uint8_t shape = Next();
    // Any count at all, including ones far beyond the buffer.
    uint32_t count = shape & 0x80 ? (uint32_t)Next() << 8 | Next() : Next() % (outSize + 2);
    uint32_t n = Next();
    for (uint32_t i = 0; i < n && i < outSize && out; ++i) ((uint8_t*)out)[i] = Next();
    *returned = count;
    return shape & 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    g_data = data + 1;
    g_size = size - 1;
    g_at = 0;
    g_calls = 0;
    DriverHandle = (PortHandle)(intptr_t)1;
    char reply[4];
    switch (data[0] % 6) {
        case 0:
            ExchangeText("GP9A", ParameterReply, 200, reply);
            break;
        case 1:
            ExchangeText("R", Acknowledgement, 200, nullptr);
            break;
        case 2:
            ExchangeText("RD", LenientAcknowledgement, 200, nullptr);
            break;
        case 3:
            ResetOnClose();
            break;
        case 4:
            SetRightClickTime(1000);
            GetSensitivity();
            break;
        case 5:
            UploadCalibrationTable(kTable);
            break;
    }
    // Every operation is bounded: at most 4 attempts of at most 5 requests each,
    // three exchanges per write, nineteen per upload.
    if (g_calls > 19 * 4 * 5) __builtin_trap();
    return 0;
}
