#include "link/exchange.h"

#include <string.h>

#include "link/driver.h"

void FormatHex(uint32_t value, int digits, char* out) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = kDigits[value & 0xF];
        value >>= 4;
    }
}

bool BuildCommandFrame(const char* body, uint32_t length, CommandFrame* frame) {
    if (length > kMaxBody) return false;
    frame->bytes[0] = kSOH;
    memcpy(frame->bytes + 1, body, length);
    frame->bytes[length + 1] = kCR;
    frame->length = length + 2;
    return true;
}

bool PassesReplyCheck(ReplyCheck check, const uint8_t* b, uint32_t q, char chars[4]) {
    switch (check) {
        case Acknowledgement:
            return q >= 3 && b[q - 3] == kSOH && b[q - 2] == '0' && b[q - 1] == kCR;
        case ParameterReply:
            if (q < 6 || b[q - 1] != kCR || b[q - 6] != kSOH) return false;
            if (chars) memcpy(chars, b + q - 5, 4);
            return true;
        case LenientAcknowledgement:
            return (q >= 1 && b[q - 1] == kCR) || (q >= 3 && b[q - 3] == kSOH) ||
                   (q >= 2 && b[q - 2] == '0');
    }
    return false;
}

bool PassesShortReplyCheck(const uint8_t* b, uint32_t q) { return q >= 2 && b[1] == '0'; }

int ExchangeCommand(const uint8_t* frame, uint32_t length, ReplyCheck check, uint32_t settleMs,
                    char reply[4]) {
    uint8_t buffer[kReplyBufferSize];
    // Every pass counts as an attempt, an overflow pass included, so a driver
    // that always reports a flood cannot keep the exchange going.
    for (uint32_t attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        DrvPurge();
        DrvWrite(frame, length);
        PortSleep(settleMs);
        uint32_t pending = DrvPendingCount();
        if (pending >= kReplyBufferSize) {
            DrvPurge();
            continue;
        }
        memset(buffer, 0, sizeof buffer);
        uint32_t q = DrvRead(buffer, pending);  // never more than asked for
        if (PassesReplyCheck(check, buffer, q, reply)) return 1;
    }
    return 0;
}

int ExchangeBody(const char* body, uint32_t length, ReplyCheck check, uint32_t settleMs, char reply[4]) {
    CommandFrame frame;
    if (!BuildCommandFrame(body, length, &frame)) return 0;
    return ExchangeCommand(frame.bytes, frame.length, check, settleMs, reply);
}

int ExchangeText(const char* text, ReplyCheck check, uint32_t settleMs, char reply[4]) {
    // Counted here: the C run-time's strlen is a component a device image may lack.
    uint32_t length = 0;
    while (text[length]) ++length;
    return ExchangeBody(text, length, check, settleMs, reply);
}

int CalibrationCommand(int start) {
    return ExchangeText(start == 1 ? "CR" : "R", Acknowledgement, kSettleMs, 0);
}

int SetTouchMode(uint8_t mode) {
    if (!ExchangeText(mode == 3 ? "MP" : "MS", Acknowledgement, kSettleMs, 0)) return 0;
    return DrvSetTouchMode(mode);
}

int UploadCalibrationTable(const CalibrationPoint table[kCalibrationPoints]) {
    if (!DriverIsOpen()) return 0;
    for (int p = 0; p < kCalibrationPoints; ++p) {
        for (int c = 0; c < 2; ++c) {
            int32_t value = c == 0 ? table[p].x : table[p].y;
            char body[8] = {'S', 'P'};
            FormatHex(0x10 + 2 * p + c, 2, body + 2);
            FormatHex((uint32_t)value & 0xFFFF, 4, body + 4);
            if (!ExchangeBody(body, sizeof body, Acknowledgement, kUploadSettleMs, 0)) return 0;
        }
    }
    return ExchangeText("PL", Acknowledgement, kUploadSettleMs, 0);
}

void ResetOnClose() {
    static const uint8_t kReset[3] = {kSOH, 'R', kCR};
    for (uint32_t attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        DrvPurge();
        DrvWrite(kReset, sizeof kReset);
        PortSleep(kSettleMs);
        uint8_t buffer[8] = {0};
        uint32_t q = DrvRead(buffer, sizeof buffer);
        if (PassesShortReplyCheck(buffer, q)) return;
    }
}
