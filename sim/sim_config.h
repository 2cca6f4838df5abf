// Initial state and faults of the emulated driver and controller, parsed from
// a comma-separated list of key=value (the TOUCHPANEL_SIM variable).
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

#include "platform/port.h"
#include "sim/panel_model.h"

struct RecordValue {
    char address[2];
    char chars[4];
};

struct CountOverride {
    uint32_t code;
    uint32_t count;
};

struct SimConfig {
    // Driver.
    bool driverAbsent = false;
    uint8_t rotation = 0;
    uint8_t touchMode = 1;
    uint8_t disabled = 0;
    std::vector<uint32_t> failRequests;       // the request fails and writes nothing
    std::vector<uint32_t> noByteRequests;     // the request succeeds but writes no byte
    std::vector<CountOverride> countOverrides;  // the request reports this byte count
    std::vector<uint32_t> noCountRequests;      // the request leaves the caller's count as it was
    bool reportPending = false;               // request 15 reports `pending` instead of what is waiting
    uint32_t pending = 0;
    bool noSample = false;                    // touches never yield a sample
    bool noComplete = false;                  // a touched point never completes

    // Controller firmware.
    std::vector<RecordValue> records;         // initial records over the factory ones
    uint32_t latencyMs = 20;
    bool silent = false;
    bool garbage = false;
    std::vector<uint8_t> reply;                 // every frame is answered with these bytes
    bool ackOnly = false;                     // every frame is answered with an acknowledgement
    bool echo = false;
    uint32_t overflowBytes = 0;               // noise sent before every reply
    std::string dropPrefix;
    uint32_t dropNth = 0;

    // The keyboard the system reports (CE's status bits): full, none, or a
    // keypad with Enter and Escape but no letters.
    uint32_t keyboardStatus = kFullKeyboard;

    // Screen the panel model covers, and how the panel maps it.
    int screenWidth = 640;
    int screenHeight = 480;
    PanelShape panel;
};

// Unknown keys and malformed values are reported in error (when given).
bool ParseSimConfig(const char* text, SimConfig* config, std::string* error);
