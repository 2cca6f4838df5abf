// A fresh emulator on the virtual clock, with the driver opened through the seam.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "link/driver.h"
#include "sim/sim.h"

class SimTest : public ::testing::Test {
protected:
    void SetUp() override { Install(""); }
    void TearDown() override {
        DriverHandle = PORT_INVALID_HANDLE;
        SimUninstall();
    }

    Emulator* Install(const std::string& knobs) {
        SimConfig config = defaults;
        std::string error;
        EXPECT_TRUE(ParseSimConfig(knobs.c_str(), &config, &error)) << error;
        emu = SimInstall(config, true);
        emu->KeepHistory(true);
        DriverHandle = PortOpenDriver(L"FPD1:");
        return emu;
    }

    // Trace lines whose event (after the time) starts with prefix.
    std::vector<std::string> Events(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& line : emu->GetTrace().Lines()) {
            std::string event = line.substr(line.find(' ') + 1);
            if (event.compare(0, prefix.size(), prefix) == 0) out.push_back(event);
        }
        return out;
    }

    // The bytes of every write (request 13) that reached the driver, in order.
    std::vector<std::vector<uint8_t>> Writes() const {
        std::vector<std::vector<uint8_t>> out;
        for (const DriverCall& c : emu->CallsOf(13)) out.push_back(c.in);
        return out;
    }

    Emulator* emu = nullptr;
    SimConfig defaults;  // what Install starts from, before the knobs
};
