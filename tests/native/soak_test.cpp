// 10,000 exchanges against random mixes of the controller's and the driver's
// faults, each with the outcome its case must have.
#include <random>

#include "link/exchange.h"
#include "tests/common/sim_fixture.h"

namespace {

struct Case {
    std::string knobs;
    const char* body;
    ReplyCheck check;
    bool passes;
    uint32_t attempt;  // the attempt (0-based) that passes
};

Case RandomCase(std::mt19937& rng) {
    auto chance = [&](int percent) { return (int)(rng() % 100) < percent; };
    static const struct {
        const char* body;
        ReplyCheck check;
        uint32_t replyLength;
    } kCommands[] = {{"R", Acknowledgement, 3}, {"GP9A", ParameterReply, 6}, {"RD", LenientAcknowledgement, 3},
                     {"SP1A0800", Acknowledgement, 3}};
    const auto& command = kCommands[rng() % 4];
    Case c{"", command.body, command.check, true, 0};
    bool echo = chance(20);
    uint32_t latency = chance(50) ? rng() % 1000 : 0;
    uint32_t noise = chance(15) ? (chance(50) ? rng() % 400 : 0) : 0;
    c.knobs = "latency=" + std::to_string(latency);
    if (echo) c.knobs += ",echo=1";
    if (noise) c.knobs += ",overflow=" + std::to_string(noise);
    if (noise == 1) noise = 300;  // the knob's value 1 is the 300-byte burst
    uint32_t pending = noise + (echo ? (uint32_t)strlen(command.body) + 2 : 0) + command.replyLength;

    c.attempt = latency == 0 ? 0 : (latency - 1) / kSettleMs;
    c.passes = c.attempt < kMaxAttempts && pending < kReplyBufferSize;
    switch (rng() % 10) {
        case 0:
            c.knobs += ",silent=1";
            c.passes = false;
            break;
        case 1:
            c.knobs += ",garbage=1";
            c.passes = false;
            break;
        case 2:
            c.knobs += ",drop=" + std::string(command.body) + ":1";
            c.passes = false;
            break;
        case 3:  // a pending count of the wrong size reads as nothing waiting
            c.knobs += ",count=15:" + std::to_string(rng() % 4);
            c.passes = false;
            break;
        case 4:  // an over-long read count is clamped to what was asked for
            c.knobs += ",count=14:" + std::to_string(256 + rng() % 100000);
            break;
        case 5:  // a short read count: too little of the reply is judged
            if (!echo && noise == 0) {
                c.knobs += ",count=14:" + std::to_string(rng() % 2);
                c.passes = false;
            }
            break;
    }
    return c;
}

}  // namespace

using SoakTest = SimTest;

TEST_F(SoakTest, TenThousandExchangesEndWithinTheirBoundAndAsTheirCaseSays) {
    std::mt19937 rng(20261208);
    int passed = 0;
    for (int i = 0; i < 10000; ++i) {
        Case c = RandomCase(rng);
        Install(c.knobs);
        emu->KeepHistory(false);
        char reply[4];
        uint64_t start = emu->Clock().Now();
        int result = ExchangeText(c.body, c.check, kSettleMs, reply);
        uint64_t spent = emu->Clock().Now() - start;
        ASSERT_EQ(result, c.passes ? 1 : 0) << c.body << " with " << c.knobs;
        ASSERT_LE(emu->WriteCount(), (int)kMaxAttempts) << c.knobs;
        if (c.passes) {
            ASSERT_EQ(emu->WriteCount(), (int)c.attempt + 1) << c.knobs;
            ASSERT_EQ(spent, (c.attempt + 1) * kSettleMs) << c.knobs;
            if (c.check == ParameterReply) {
                ASSERT_EQ(std::string(reply, 4), "2800") << c.knobs;
            }
            ++passed;
        } else {
            ASSERT_EQ(emu->WriteCount(), (int)kMaxAttempts) << c.knobs;
            ASSERT_EQ(spent, kMaxAttempts * kSettleMs) << c.knobs;
        }
    }
    printf("soak: %d of 10000 exchanges passed, %d failed as their faults require\n", passed, 10000 - passed);
}
