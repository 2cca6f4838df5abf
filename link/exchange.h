// Controller command exchange: frames SOH body CR through the driver's byte pipe.
#pragma once
#include <stdint.h>

#include "link/calibration_point.h"

const uint8_t kSOH = 0x01;
const uint8_t kCR = 0x0D;
const uint32_t kMaxFrame = 15;
const uint32_t kMaxBody = kMaxFrame - 2;
const uint32_t kReplyBufferSize = 255;
const uint32_t kMaxAttempts = 4;
const uint32_t kSettleMs = 200;
const uint32_t kUploadSettleMs = 50;

enum ReplyCheck { Acknowledgement, ParameterReply, LenientAcknowledgement };

struct CommandFrame {
    uint8_t bytes[kMaxFrame];
    uint32_t length;
};

// SOH + the `length` bytes of body (any bytes, NULs included) + CR; 0 when
// they do not fit in a frame.
bool BuildCommandFrame(const char* body, uint32_t length, CommandFrame* frame);

// Judges q bytes of one read by their tail. With ParameterReply the four
// characters between SOH and CR are handed back in chars (when chars is set).
bool PassesReplyCheck(ReplyCheck check, const uint8_t* b, uint32_t q, char chars[4]);

// The short-reply check of ResetOnClose: the head of an acknowledgement.
bool PassesShortReplyCheck(const uint8_t* b, uint32_t q);

// Purge, write, settle, read and judge; at most four attempts.
int ExchangeCommand(const uint8_t* frame, uint32_t length, ReplyCheck check, uint32_t settleMs,
                    char reply[4]);

// Sends the `length` bytes of body as one frame through ExchangeCommand.
int ExchangeBody(const char* body, uint32_t length, ReplyCheck check, uint32_t settleMs, char reply[4]);

// The same for a body of text: a command name such as "R" or "RD".
int ExchangeText(const char* text, ReplyCheck check, uint32_t settleMs, char reply[4]);

int CalibrationCommand(int start);
int SetTouchMode(uint8_t mode);
// The nine pairs, 0 to 8, x before y, as "SP" frames 10 to 21, then "PL".
int UploadCalibrationTable(const CalibrationPoint table[kCalibrationPoints]);
void ResetOnClose();

// value as `digits` upper-case hexadecimal digits with leading zeros.
void FormatHex(uint32_t value, int digits, char* out);
