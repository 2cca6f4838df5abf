// The record decoders and the write frames built from arbitrary records.
#include <stddef.h>
#include <stdint.h>

#include "link/records.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    int value = DecodeHexField((char)data[0], (char)data[1]);
    if (value < 0 || value > 255) __builtin_trap();
    uint8_t level = DecodeSensitivity((char)data[1]);
    if (level > 4) __builtin_trap();
    return 0;
}
