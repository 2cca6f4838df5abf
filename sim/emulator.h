// The emulated "FPD1:" driver and the controller firmware behind its byte pipe.
#pragma once
#include <stdint.h>

#include <deque>
#include <string>
#include <vector>

#include "sim/clock.h"
#include "sim/panel_model.h"
#include "sim/sim_config.h"
#include "sim/trace.h"

// One I/O-control request as it reached the driver seam.
struct DriverCall {
    uint32_t code;
    bool ownHandle;              // made on the handle this driver gave out
    uint32_t inSize;             // the sizes as the caller passed them
    uint32_t outSize;
    bool outBuffer;              // whether an output buffer was passed at all
    std::vector<uint8_t> in;     // the input bytes
    std::vector<uint8_t> out;    // what reached the caller's output buffer
    uint32_t count;              // the byte count reported back
    int result;
};

class Emulator {
public:
    Emulator(const SimConfig& config, bool virtualClock);

    SimConfig& Config() { return config_; }
    SimClock& Clock() { return clock_; }
    Trace& GetTrace() { return trace_; }
    const PanelModel& Panel() const { return panel_; }

    // The driver's side: one I/O-control request. A request on a handle this
    // driver never gave out is refused, as the system would, but still logged.
    int IoControl(bool ownHandle, uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                  uint32_t* returned);

    // The panel's side: a press and a release at a screen point.
    void TouchDown(int screenX, int screenY);
    void TouchUp();
    // A press that the panel reports with exactly these raw coordinates.
    void TouchDownRaw(int32_t rawX, int32_t rawY);

    // What the driver keeps, set as another program or a driver fault might.
    void SetDriverState(uint8_t rotation, uint8_t touchMode, uint8_t disabled) {
        rotation_ = rotation;
        touchMode_ = touchMode;
        disabled_ = disabled;
    }

    // What the driver keeps.
    uint8_t Rotation() const { return rotation_; }
    uint8_t TouchMode() const { return touchMode_; }
    uint8_t TouchDisabled() const { return disabled_; }
    uint8_t SelectedMode() const { return selectedMode_; }
    uint8_t SelectedPoint() const { return selectedPoint_; }
    int SelectCount() const { return selectCount_; }

    // What the firmware keeps.
    bool InCalibrationMode() const { return calibrationMode_; }
    char FirmwareTouchMode() const { return firmwareTouchMode_; }
    std::string Record(const char* address) const;   // the four characters, "" if unknown
    void SetRecord(const char* address, const char chars[4]);
    uint16_t TableEntry(int address) const { return table_[address - 0x10]; }
    int CommitCount() const { return commits_; }
    const CalibrationQuality& Quality() const { return quality_; }

    // History, kept only when asked for (tests do; a long-running simulator does not).
    void KeepHistory(bool keep);
    // Every complete frame body the firmware received, in order.
    const std::vector<std::string>& Frames() const { return frames_; }
    int FramesStartingWith(const std::string& prefix) const;
    // Every request that reached the driver seam, in order.
    const std::vector<DriverCall>& Calls() const { return calls_; }
    std::vector<DriverCall> CallsOf(uint32_t code) const;
    int WriteCount() const { return writes_; }
    void ClearHistory();

private:
    struct Reply {
        uint64_t readyAt;
        std::vector<uint8_t> bytes;
    };

    void TakeSample(int screenX, int screenY, RawPoint raw);
    void ReceiveByte(uint8_t b);
    void HandleFrame(const std::string& body);
    std::vector<uint8_t> Answer(const std::string& body);
    void Deliver();   // replies whose time has come join the received bytes
    int RecordIndex(const std::string& address) const;
    void Commit();
    void Record(const DriverCall& call);
    int DriverRequest(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                      uint32_t* count);

    SimConfig config_;
    SimClock clock_;
    Trace trace_;
    PanelModel panel_;

    uint8_t rotation_, touchMode_, disabled_;
    uint8_t selectedMode_ = 0, selectedPoint_ = 0;
    bool hasSelection_ = false, sampleTaken_ = false, pointComplete_ = false, penDown_ = false;
    RawPoint sample_ = {0, 0};
    int selectCount_ = 0;

    bool inFrame_ = false, frameTooLong_ = false;
    std::string body_;
    std::deque<Reply> inFlight_;
    std::deque<uint8_t> received_;
    bool calibrationMode_ = false;
    char firmwareTouchMode_ = 0;
    char records_[5][4];
    uint16_t table_[18] = {0};
    int commits_ = 0;
    CalibrationQuality quality_;
    int dropSeen_ = 0;
    std::string lastDropCandidate_;
    bool keepHistory_ = false;
    std::vector<std::string> frames_;
    std::vector<DriverCall> calls_;
    int writes_ = 0;
};

extern const char* const kRecordAddresses[5];
extern const char kFactoryRecords[5][5];
