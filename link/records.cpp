#include "link/records.h"

#include <string.h>

#include "link/exchange.h"

namespace {

struct Field {
    const char* address;
    int offset;  // 0-based position of the field's first character in the record
};

const Field kRightClick = {"9A", 0};
const Field kSensitivity = {"9C", 1};
const Field kMeasureTime = {"99", 0};
const Field kInFocus = {"99", 2};
const Field kMeasureDelay = {"9D", 2};
const Field kOutFocus = {"9B", 2};

int ReadRecord(const char* address, char record[4]) {
    const char body[4] = {'G', 'P', address[0], address[1]};
    return ExchangeBody(body, sizeof body, ParameterReply, kSettleMs, record);
}

int ReadHexField(const Field& f) {
    char record[4];
    if (!ReadRecord(f.address, record)) return 0;
    return DecodeHexField(record[f.offset], record[f.offset + 1]);
}

// Read the record, patch `length` characters at the field, write it, then "R".
void WriteField(const Field& f, const char* chars, int length) {
    char record[4];
    if (!ReadRecord(f.address, record)) return;
    // The record's characters go back as they came, whatever bytes they are:
    // the body is always its eight bytes, never cut at a NUL.
    char body[8] = {'S', 'P', f.address[0], f.address[1]};
    memcpy(body + 4, record, 4);
    memcpy(body + 4 + f.offset, chars, length);
    if (!ExchangeBody(body, sizeof body, Acknowledgement, kSettleMs, 0)) return;
    ExchangeText("R", Acknowledgement, kSettleMs, 0);
}

void WriteHexField(const Field& f, uint32_t value) {
    char digits[2];
    FormatHex(value > 0xFF ? 0xFF : value, 2, digits);
    WriteField(f, digits, 2);
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

int DecodeHexField(char high, char low) {
    int value = 0;
    const char chars[2] = {high, low};
    for (char c : chars) {
        int d = HexDigitValue(c);
        if (d >= 0) value = value * 16 + d;
    }
    return value;
}

uint8_t DecodeSensitivity(char c2) { return c2 >= '0' && c2 <= '4' ? (uint8_t)(c2 - '0') : 0; }

int GetRightClickTime() { return ReadHexField(kRightClick); }
int GetMeasureTime() { return ReadHexField(kMeasureTime); }
int GetInFocus() { return ReadHexField(kInFocus); }
int GetMeasureDelay() { return ReadHexField(kMeasureDelay); }
int GetOutFocus() { return ReadHexField(kOutFocus); }

uint8_t GetSensitivity() {
    char record[4];
    if (!ReadRecord(kSensitivity.address, record)) return 0;
    return DecodeSensitivity(record[kSensitivity.offset]);
}

// A quotient above 255 cannot be stored in the two-digit field: store FF, the
// nearest value the controller can hold, rather than a truncated third digit.
void SetRightClickTime(uint32_t time) { WriteHexField(kRightClick, time / 5); }
void SetMeasureTime(uint32_t value) { WriteHexField(kMeasureTime, value); }
void SetInFocus(uint32_t value) { WriteHexField(kInFocus, value); }
void SetMeasureDelay(uint32_t value) { WriteHexField(kMeasureDelay, value); }
void SetOutFocus(uint32_t value) { WriteHexField(kOutFocus, value); }

void SetSensitivity(uint8_t level) {
    if (level == 0 || level > 4) return;
    char digit = (char)('0' + level);
    WriteField(kSensitivity, &digit, 1);
}
