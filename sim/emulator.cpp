#include "sim/emulator.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

const char* const kRecordAddresses[5] = {"99", "9A", "9B", "9C", "9D"};
const char kFactoryRecords[5][5] = {"1E0A", "2800", "00C8", "0200", "0064"};

namespace {

const uint8_t kSOH = 0x01, kCR = 0x0D;
const size_t kMaxBody = 13;

bool Contains(const std::vector<uint32_t>& codes, uint32_t code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

int HexValue(const std::string& s, size_t at, size_t n) {
    int v = 0;
    for (size_t i = at; i < at + n; ++i) {
        char c = s[i];
        int d = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (d < 0) return -1;
        v = v * 16 + d;
    }
    return v;
}

std::vector<uint8_t> Acknowledge() { return {kSOH, '0', kCR}; }
std::vector<uint8_t> Refuse() { return {kSOH, '1', kCR}; }

}  // namespace

Emulator::Emulator(const SimConfig& config, bool virtualClock)
    : config_(config),
      clock_(virtualClock),
      panel_(config.screenWidth, config.screenHeight, config.panel),
      rotation_(config.rotation),
      touchMode_(config.touchMode),
      disabled_(config.disabled) {
    for (int i = 0; i < 5; ++i) memcpy(records_[i], kFactoryRecords[i], 4);
    for (const RecordValue& r : config.records) {
        int i = RecordIndex(std::string(r.address, 2));
        if (i >= 0) memcpy(records_[i], r.chars, 4);
    }
}

int Emulator::RecordIndex(const std::string& address) const {
    for (int i = 0; i < 5; ++i)
        if (address == kRecordAddresses[i]) return i;
    return -1;
}

std::string Emulator::Record(const char* address) const {
    int i = RecordIndex(address);
    return i < 0 ? std::string() : std::string(records_[i], 4);
}

void Emulator::SetRecord(const char* address, const char chars[4]) {
    int i = RecordIndex(address);
    if (i >= 0) memcpy(records_[i], chars, 4);
}

int Emulator::FramesStartingWith(const std::string& prefix) const {
    return (int)std::count_if(frames_.begin(), frames_.end(),
                              [&](const std::string& f) { return f.compare(0, prefix.size(), prefix) == 0; });
}

void Emulator::KeepHistory(bool keep) {
    keepHistory_ = keep;
    trace_.KeepLines(keep);
}

std::vector<DriverCall> Emulator::CallsOf(uint32_t code) const {
    std::vector<DriverCall> out;
    for (const DriverCall& c : calls_)
        if (c.code == code) out.push_back(c);
    return out;
}

void Emulator::ClearHistory() {
    frames_.clear();
    calls_.clear();
    writes_ = 0;
    selectCount_ = 0;
    trace_.Clear();
}

// ---- firmware ----

void Emulator::ReceiveByte(uint8_t b) {
    if (b == kSOH) {  // a new frame starts, whatever came before
        inFrame_ = true;
        frameTooLong_ = false;
        body_.clear();
        return;
    }
    if (!inFrame_) return;  // noise between frames
    if (b == kCR) {
        inFrame_ = false;
        if (!frameTooLong_) HandleFrame(body_);
        body_.clear();
        return;
    }
    if (body_.size() >= kMaxBody) {
        frameTooLong_ = true;  // discarded when it ends
        return;
    }
    body_ += (char)b;
}

void Emulator::HandleFrame(const std::string& body) {
    if (keepHistory_) frames_.push_back(body);
    trace_.Line(clock_.Now(), "TX " + body);
    if (!config_.dropPrefix.empty() && body.compare(0, config_.dropPrefix.size(), config_.dropPrefix) == 0) {
        // A resend is the same frame again: it counts once, and stays unanswered.
        if (body != lastDropCandidate_) {
            ++dropSeen_;
            lastDropCandidate_ = body;
        }
        if (dropSeen_ == (int)config_.dropNth) return;
    }
    std::vector<uint8_t> answer = Answer(body);
    if (config_.silent) return;
    if (config_.ackOnly) answer = Acknowledge();
    if (!config_.reply.empty()) answer = config_.reply;
    if (config_.garbage) answer = {0x02, '9', '9', '9'};
    std::vector<uint8_t> bytes;
    bytes.assign(config_.overflowBytes, 0x55);
    if (config_.echo) {
        bytes.push_back(kSOH);
        bytes.insert(bytes.end(), body.begin(), body.end());
        bytes.push_back(kCR);
    }
    bytes.insert(bytes.end(), answer.begin(), answer.end());
    trace_.Line(clock_.Now(), "RX " + HexBytes(bytes.data(), bytes.size()));
    inFlight_.push_back(Reply{clock_.Now() + config_.latencyMs, bytes});
}

std::vector<uint8_t> Emulator::Answer(const std::string& body) {
    if (body == "R") {
        calibrationMode_ = false;
        return Acknowledge();
    }
    if (body == "RD") {
        for (int i = 0; i < 5; ++i) memcpy(records_[i], kFactoryRecords[i], 4);
        return Acknowledge();
    }
    if (body == "CR") {
        calibrationMode_ = true;
        return Acknowledge();
    }
    if (body == "MP" || body == "MS") {
        firmwareTouchMode_ = body[1];
        return Acknowledge();
    }
    if (body == "PL") {
        Commit();
        return Acknowledge();
    }
    if (body.size() == 4 && body.compare(0, 2, "GP") == 0) {
        int i = RecordIndex(body.substr(2));
        if (i < 0) return Refuse();
        std::vector<uint8_t> reply = {kSOH};
        reply.insert(reply.end(), records_[i], records_[i] + 4);
        reply.push_back(kCR);
        return reply;
    }
    if (body.size() == 8 && body.compare(0, 2, "SP") == 0) {
        int record = RecordIndex(body.substr(2, 2));
        if (record >= 0) {
            memcpy(records_[record], body.data() + 4, 4);
            return Acknowledge();
        }
        int address = HexValue(body, 2, 2), value = HexValue(body, 4, 4);
        if (address >= 0x10 && address <= 0x21 && value >= 0) {
            table_[address - 0x10] = (uint16_t)value;
            return Acknowledge();
        }
    }
    return Refuse();
}

void Emulator::Commit() {
    ++commits_;
    RawPoint raw[9];
    for (int k = 0; k < 9; ++k) raw[k] = RawPoint{table_[2 * k], table_[2 * k + 1]};
    quality_ = MeasureCalibration(panel_, raw);
    char line[64];
    snprintf(line, sizeof line, "CAL err9=%.2f errgrid=%.2f", quality_.errTargets, quality_.errGrid);
    trace_.Line(clock_.Now(), line);
}

void Emulator::Deliver() {
    uint64_t now = clock_.Now();
    while (!inFlight_.empty() && inFlight_.front().readyAt <= now) {
        received_.insert(received_.end(), inFlight_.front().bytes.begin(), inFlight_.front().bytes.end());
        inFlight_.pop_front();
    }
}

// ---- panel ----

void Emulator::TouchDown(int x, int y) { TakeSample(x, y, panel_.Raw(x, y)); }

void Emulator::TouchDownRaw(int32_t rawX, int32_t rawY) { TakeSample(-1, -1, RawPoint{rawX, rawY}); }

void Emulator::TakeSample(int x, int y, RawPoint raw) {
    penDown_ = true;
    if (!calibrationMode_ || !hasSelection_ || sampleTaken_ || config_.noSample) return;
    sample_ = raw;
    sampleTaken_ = true;
    trace_.Line(clock_.Now(), "TOUCH " + std::to_string(x) + " " + std::to_string(y) + " " +
                                  std::to_string(raw.x) + " " + std::to_string(raw.y));
}

void Emulator::TouchUp() {
    if (penDown_ && sampleTaken_ && !config_.noComplete) pointComplete_ = true;
    penDown_ = false;
}

// ---- driver ----

int Emulator::IoControl(bool ownHandle, uint32_t code, const void* in, uint32_t inSize, void* out,
                        uint32_t outSize, uint32_t* returned) {
    DriverCall call{code, ownHandle, inSize, outSize, out != nullptr, {}, {}, 0, 0};
    if (in) call.in.assign((const uint8_t*)in, (const uint8_t*)in + inSize);
    if (ownHandle && !Contains(config_.failRequests, code)) {
        // The driver answers into its own buffer; what reaches the caller's
        // buffer is decided below, so a fault can withhold it.
        uint8_t reply[512] = {0};
        uint32_t room = outSize < sizeof reply ? outSize : (uint32_t)sizeof reply;
        call.result = DriverRequest(code, call.in.data(), (uint32_t)call.in.size(), reply, out ? room : 0, &call.count);
        uint32_t written = Contains(config_.noByteRequests, code) ? 0 : call.count;
        if (out && written) {
            memcpy(out, reply, written);
            call.out.assign(reply, reply + written);
        }
        for (const CountOverride& c : config_.countOverrides)
            if (c.code == code) call.count = c.count;
    }
    // A driver need not report a count at all: the caller's stays as it was.
    if (returned && !Contains(config_.noCountRequests, code)) *returned = call.count;
    Record(call);
    return call.result;
}

int Emulator::DriverRequest(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                            uint32_t* count) {
    auto answer = [&](uint8_t value) {
        if (outSize < 1) return 0;
        out[0] = value;
        *count = 1;
        return 1;
    };
    switch (code) {
        case 3:
            if (inSize < 1) return 0;
            if (in[0] > 3) return answer(0);
            rotation_ = in[0];
            return answer(1);
        case 4:
            if (inSize < 1) return 0;
            if (in[0] > 1) return answer(0);
            disabled_ = in[0];
            return answer(1);
        case 7:
            return answer(rotation_);
        case 10:
            return answer(disabled_);
        case 13:
            if (inSize > 15) return 0;
            ++writes_;
            for (uint32_t i = 0; i < inSize; ++i) ReceiveByte(in[i]);
            return answer(1);
        case 14: {
            Deliver();
            uint32_t n = std::min<uint32_t>(outSize, (uint32_t)received_.size());
            for (uint32_t i = 0; i < n; ++i) {
                out[i] = received_.front();
                received_.pop_front();
            }
            *count = n;
            return 1;
        }
        case 15: {
            if (outSize < 4) return 0;
            Deliver();
            uint32_t n = config_.reportPending ? config_.pending : (uint32_t)received_.size();
            for (int i = 0; i < 4; ++i) out[i] = (uint8_t)(n >> (8 * i));
            *count = 4;
            return 1;
        }
        case 16:
            Deliver();
            received_.clear();
            answer(1);
            return 1;
        case 17:
            if (inSize < 1) return 0;
            if (in[0] < 1 || in[0] > 3) return answer(0);
            touchMode_ = in[0];
            return answer(1);
        case 18: {
            if (outSize < 9) return 0;
            bool ready = calibrationMode_ && hasSelection_ && sampleTaken_;
            out[0] = ready ? 1 : 0;
            for (int i = 0; i < 4; ++i) {
                out[1 + i] = ready ? (uint8_t)((uint32_t)sample_.x >> (8 * i)) : 0;
                out[5 + i] = ready ? (uint8_t)((uint32_t)sample_.y >> (8 * i)) : 0;
            }
            *count = 9;
            return 1;
        }
        case 19:
            if (inSize < 2) return 0;
            selectedMode_ = in[0];
            selectedPoint_ = in[1];
            hasSelection_ = true;
            sampleTaken_ = pointComplete_ = false;
            ++selectCount_;
            return 1;
        case 20:
            return answer(calibrationMode_ && pointComplete_ ? 1 : 0);
        case 25:
            return answer(touchMode_);
    }
    return 0;
}

void Emulator::Record(const DriverCall& call) {
    if (keepHistory_) calls_.push_back(call);
    std::string line = "REQ " + std::to_string(call.code) + " in=" + HexBytes(call.in.data(), call.in.size()) +
                       " out=" + HexBytes(call.out.data(), call.out.size()) + " count=" + std::to_string(call.count) +
                       " result=" + std::to_string(call.result ? 1 : 0);
    if (!call.ownHandle) line += " handle=foreign";
    trace_.Line(clock_.Now(), line);
}
