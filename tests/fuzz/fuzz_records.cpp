// The record decoders over arbitrary characters, and the write path over
// arbitrary records and values: every byte that reaches the driver is checked
// against the frame layout, computed here independently of the product.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "link/driver.h"
#include "link/records.h"
#include "platform/port.h"

namespace {

// A controller that answers every read with the fuzzed record and everything
// else with an acknowledgement, and remembers what was written.
uint8_t g_record[4];
uint8_t g_frames[8][16];
uint32_t g_lengths[8];
int g_writes;
const uint8_t* g_pending = nullptr;
uint32_t g_pendingLength = 0;

const uint8_t kAck[3] = {0x01, '0', 0x0D};
uint8_t g_parameterReply[6];

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

// The value's two hex digits as the record stores them: upper case, leading zero.
void HexDigits(uint32_t value, uint8_t out[2]) {
    static const char kDigits[] = "0123456789ABCDEF";
    out[0] = (uint8_t)kDigits[(value >> 4) & 0xF];
    out[1] = (uint8_t)kDigits[value & 0xF];
}

}  // namespace

void PortStartup() {}
PortHandle PortOpenDriver(const wchar_t*) { return (PortHandle)(intptr_t)1; }
void PortSleep(uint32_t) {}

int PortIoControl(PortHandle, uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                  uint32_t* returned) {
    *returned = 0;
    switch (code) {
        case RequestWrite:
            Check(inSize <= 15);
            if (g_writes < 8) {
                memcpy(g_frames[g_writes], in, inSize);
                g_lengths[g_writes] = inSize;
            }
            ++g_writes;
            // A read frame is "GP" + address: answer with the record.
            if (inSize == 6 && ((const uint8_t*)in)[1] == 'G') {
                g_pending = g_parameterReply;
                g_pendingLength = 6;
            } else {
                g_pending = kAck;
                g_pendingLength = 3;
            }
            return 1;
        case RequestPendingCount:
            memcpy(out, &g_pendingLength, 4);
            *returned = 4;
            return 1;
        case RequestRead: {
            uint32_t n = g_pendingLength < outSize ? g_pendingLength : outSize;
            memcpy(out, g_pending, n);
            *returned = n;
            return 1;
        }
        case RequestPurge:
            return 1;
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 9) return 0;
    Check(DecodeHexField((char)data[1], (char)data[2]) <= 255);
    Check(DecodeSensitivity((char)data[2]) <= 4);

    DriverHandle = (PortHandle)(intptr_t)1;
    memcpy(g_record, data + 1, 4);
    g_parameterReply[0] = 0x01;
    memcpy(g_parameterReply + 1, g_record, 4);
    g_parameterReply[5] = 0x0D;
    g_writes = 0;
    uint32_t value;
    memcpy(&value, data + 5, 4);

    // The five numeric fields: record, write, where the two digits sit, and the
    // unit of the stored value (a time is stored in fifths); the sixth is the
    // sensitivity digit.
    static const struct {
        const char* address;
        void (*write)(uint32_t);
        int offset;
        uint32_t unit;
    } kFields[5] = {{"9A", SetRightClickTime, 0, 5},
                    {"99", SetMeasureTime, 0, 1},
                    {"99", SetInFocus, 2, 1},
                    {"9D", SetMeasureDelay, 2, 1},
                    {"9B", SetOutFocus, 2, 1}};
    int which = data[0] % 6;
    const char* address = which < 5 ? kFields[which].address : "9C";
    uint8_t expected[4];
    memcpy(expected, g_record, 4);
    if (which < 5) {
        uint32_t stored = value / kFields[which].unit;
        HexDigits(stored > 255 ? 255 : stored, expected + kFields[which].offset);
        kFields[which].write(value);
    } else {
        uint8_t level = (uint8_t)value;
        SetSensitivity(level);
        if (level == 0 || level > 4) {
            Check(g_writes == 0);  // refused before anything is sent
            return 0;
        }
        expected[1] = (uint8_t)('0' + level);
    }

    // Read, write, reset: exactly three frames.
    Check(g_writes == 3);
    const uint8_t read[6] = {0x01, 'G', 'P', (uint8_t)address[0], (uint8_t)address[1], 0x0D};
    Check(g_lengths[0] == 6 && memcmp(g_frames[0], read, 6) == 0);
    const uint8_t* w = g_frames[1];
    Check(g_lengths[1] == 10);
    Check(w[0] == 0x01 && w[1] == 'S' && w[2] == 'P' && w[3] == (uint8_t)address[0] &&
          w[4] == (uint8_t)address[1] && w[9] == 0x0D);
    for (int i = 0; i < 4; ++i) Check(w[5 + i] == expected[i]);
    const uint8_t reset[3] = {0x01, 'R', 0x0D};
    Check(g_lengths[2] == 3 && memcmp(g_frames[2], reset, 3) == 0);
    return 0;
}
