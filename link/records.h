// The controller's parameter records (addresses 99, 9A, 9B, 9C, 9D), read with
// "GP" and written back by read-modify-write with "SP", then "R".
#pragma once
#include <stdint.h>

// Largest right-click time the record can hold: its field is time / 5 in two hex digits.
const uint32_t kMaxRightClickTime = 255 * 5;

int GetRightClickTime();              // stored value (time / 5); 0 on failure
void SetRightClickTime(uint32_t time);
uint8_t GetSensitivity();             // 0..4; 0 on failure
void SetSensitivity(uint8_t level);   // levels other than 1..4 are refused
int GetMeasureTime();
void SetMeasureTime(uint32_t value);
int GetInFocus();
void SetInFocus(uint32_t value);
int GetMeasureDelay();
void SetMeasureDelay(uint32_t value);
int GetOutFocus();
void SetOutFocus(uint32_t value);

// Decoders of record characters.
int DecodeHexField(char high, char low);  // non-hex characters are skipped
uint8_t DecodeSensitivity(char c2);
