// The three reply checks and the short-reply check over arbitrary reads.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "link/exchange.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exactly the bytes read, in a buffer of their own size, so ASan sees any overread.
    uint8_t* read = new uint8_t[size ? size : 1];
    memcpy(read, data, size);
    uint32_t q = (uint32_t)size;
    char chars[4];
    int ack = PassesReplyCheck(Acknowledgement, read, q, nullptr);
    int param = PassesReplyCheck(ParameterReply, read, q, chars);
    int lenient = PassesReplyCheck(LenientAcknowledgement, read, q, nullptr);
    PassesShortReplyCheck(read, q);
    if (ack && !lenient) __builtin_trap();  // a strict pass is always a lenient pass
    if (param && !lenient) __builtin_trap();
    if (param && memcmp(chars, read + q - 5, 4) != 0) __builtin_trap();
    delete[] read;
    return 0;
}
