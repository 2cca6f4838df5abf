// The emulator's time: virtual in tests (advanced only by the seam's sleep),
// real in the simulator build.
#pragma once
#include <stdint.h>

#include <chrono>

class SimClock {
public:
    explicit SimClock(bool isVirtual) : virtual_(isVirtual), start_(std::chrono::steady_clock::now()) {}
    bool IsVirtual() const { return virtual_; }
    uint64_t Now() const {
        if (virtual_) return virtualMs_;
        return (uint64_t)std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start_)
            .count();
    }
    void Advance(uint64_t ms) { virtualMs_ += ms; }

private:
    bool virtual_;
    uint64_t virtualMs_ = 0;
    std::chrono::steady_clock::time_point start_;
};
