#include "link/exchange.h"

#include <string.h>

#include <string>
#include <vector>

#include "tests/common/sim_fixture.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> list) { return std::vector<uint8_t>(list.begin(), list.end()); }

int Check(ReplyCheck check, const std::vector<uint8_t>& b, char chars[4] = nullptr) {
    return PassesReplyCheck(check, b.data(), (uint32_t)b.size(), chars);
}

}  // namespace

TEST(ReplyChecks, AcknowledgementIsJudgedByTheTail) {
    EXPECT_TRUE(Check(Acknowledgement, Bytes({'x', 'y', 1, 'z', 1, '0', 0x0D})));
    EXPECT_TRUE(Check(Acknowledgement, Bytes({1, '0', 0x0D})));
    EXPECT_FALSE(Check(Acknowledgement, Bytes({1, '0', 0x0D, 0})));
    EXPECT_FALSE(Check(Acknowledgement, Bytes({'0', 0x0D})));
    EXPECT_FALSE(Check(Acknowledgement, Bytes({})));
    EXPECT_FALSE(Check(Acknowledgement, Bytes({1, '1', 0x0D})));
}

TEST(ReplyChecks, ParameterReplyHandsBackFourCharactersAfterAnyEcho) {
    char chars[4] = {0};
    EXPECT_TRUE(Check(ParameterReply, Bytes({1, '1', '2', '3', '4', 0x0D}), chars));
    EXPECT_EQ(std::string(chars, 4), "1234");
    EXPECT_TRUE(Check(ParameterReply, Bytes({1, 'G', 'P', '9', 'A', 0x0D, 1, 'z', '#', 'q', '~', 0x0D}), chars));
    EXPECT_EQ(std::string(chars, 4), "z#q~");
    EXPECT_FALSE(Check(ParameterReply, Bytes({'1', '2', '3', '4', 0x0D})));
    EXPECT_FALSE(Check(ParameterReply, Bytes({'x', '1', '2', '3', '4', 0x0D})));  // no SOH before the four
    EXPECT_FALSE(Check(ParameterReply, Bytes({1, '0', 0x0D})));
    EXPECT_FALSE(Check(ParameterReply, Bytes({1, '1', '2', '3', '4', 0x0D, 0})));
}

TEST(ReplyChecks, LenientAcceptsAnyOneSignAndNeverAnEmptyRead) {
    EXPECT_TRUE(Check(LenientAcknowledgement, Bytes({0x0D})));
    EXPECT_TRUE(Check(LenientAcknowledgement, Bytes({1, 'a', 'b'})));
    EXPECT_TRUE(Check(LenientAcknowledgement, Bytes({'a', '0', 'b'})));
    EXPECT_TRUE(Check(LenientAcknowledgement, Bytes({'0', 'b'})));
    EXPECT_TRUE(Check(LenientAcknowledgement, Bytes({1, '1', '2', '3', '4', 0x0D})));
    EXPECT_FALSE(Check(LenientAcknowledgement, Bytes({})));
    EXPECT_FALSE(Check(LenientAcknowledgement, Bytes({'0'})));  // q-2 lies before the read
    EXPECT_FALSE(Check(LenientAcknowledgement, Bytes({2, '9', '9', '9'})));
}

TEST(ReplyChecks, ShortReplyLooksAtTheHead) {
    const uint8_t ack[3] = {1, '0', 0x0D};
    const uint8_t noise[4] = {'x', 1, '0', 0x0D};
    EXPECT_TRUE(PassesShortReplyCheck(ack, 3));
    EXPECT_TRUE(PassesShortReplyCheck(ack, 2));
    EXPECT_FALSE(PassesShortReplyCheck(ack, 1));
    EXPECT_FALSE(PassesShortReplyCheck(noise, 4));
}

TEST(Framing, BodiesUpToThirteenCharacters) {
    CommandFrame f;
    ASSERT_TRUE(BuildCommandFrame("GP9A", 4, &f));
    EXPECT_EQ(f.length, 6u);
    EXPECT_EQ(0, memcmp(f.bytes, "\x01GP9A\x0D", 6));
    ASSERT_TRUE(BuildCommandFrame("A\0B", 3, &f));  // a NUL is a byte like any other
    EXPECT_EQ(0, memcmp(f.bytes, "\x01" "A\0B\x0D", 5));
    EXPECT_TRUE(BuildCommandFrame("1234567890123", 13, &f));
    EXPECT_EQ(f.length, 15u);
    EXPECT_FALSE(BuildCommandFrame("12345678901234", 14, &f));
}

using ExchangeTest = SimTest;

// What one exchange costs under each fault: it passes or fails within four
// attempts, each a purge, a write and one settle delay.
TEST_F(ExchangeTest, UnderEachFaultAnExchangePassesOrFailsWithinItsAttempts) {
    struct Case {
        const char* knobs;
        const char* body;
        ReplyCheck check;
        bool passes;
        int writes, reads, purges;
    };
    const Case cases[] = {
        {"silent=1", "R", Acknowledgement, false, 4, 4, 4},
        {"echo=1", "R", Acknowledgement, true, 1, 1, 1},
        {"garbage=1", "RD", LenientAcknowledgement, false, 4, 4, 4},
        // A reply later than the settle delay misses its own attempt and is read by the next.
        {"latency=300", "R", Acknowledgement, true, 2, 2, 2},
        // Every reply comes behind a flood: purged unread, before each write and
        // after each flood; without the bound this never ends.
        {"overflow=1", "R", Acknowledgement, false, 4, 0, 8},
        {"overflow=251", "R", Acknowledgement, true, 1, 1, 1},  // 251 + the 3-byte acknowledgement = 254
        {"overflow=252", "R", Acknowledgement, false, 4, 0, 8},  // 255
        // Nothing arrives, but the driver says six bytes wait and six were read:
        // the cleared buffer gives even the lenient check nothing to pass on.
        {"silent=1,pending=6,count=14:6", "R", LenientAcknowledgement, false, 4, 4, 4},
        // The driver claims 4000 bytes for a read of 3: judging them would read far
        // past the 255-byte reply buffer.
        {"count=14:4000", "R", Acknowledgement, true, 1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.knobs);
        Install(c.knobs);
        uint64_t start = emu->Clock().Now();
        EXPECT_EQ(ExchangeText(c.body, c.check, kSettleMs, nullptr), c.passes);
        EXPECT_EQ(emu->WriteCount(), c.writes);
        EXPECT_EQ(emu->CallsOf(RequestRead).size(), (size_t)c.reads);
        EXPECT_EQ(emu->CallsOf(RequestPurge).size(), (size_t)c.purges);
        EXPECT_EQ(emu->Clock().Now() - start, c.writes * kSettleMs);
    }
}

TEST_F(ExchangeTest, CalibrationCommandAndTouchMode) {
    EXPECT_TRUE(CalibrationCommand(1));
    EXPECT_TRUE(emu->InCalibrationMode());
    EXPECT_TRUE(CalibrationCommand(0));
    EXPECT_TRUE(CalibrationCommand(2));
    EXPECT_EQ(emu->Frames(), (std::vector<std::string>{"CR", "R", "R"}));

    emu->ClearHistory();
    EXPECT_TRUE(SetTouchMode(1));
    EXPECT_TRUE(SetTouchMode(2));
    EXPECT_TRUE(SetTouchMode(3));
    EXPECT_EQ(emu->Frames(), (std::vector<std::string>{"MS", "MS", "MP"}));
    EXPECT_EQ(emu->TouchMode(), 3);
    std::vector<DriverCall> modes = emu->CallsOf(RequestSetTouchMode);
    ASSERT_EQ(modes.size(), 3u);
    for (uint8_t m = 1; m <= 3; ++m) EXPECT_EQ(modes[m - 1].in, std::vector<uint8_t>{m});
}

TEST_F(ExchangeTest, TouchModeIsNotToldToTheDriverWhenTheControllerFails) {
    Install("silent=1,touchmode=1");
    EXPECT_FALSE(SetTouchMode(3));
    EXPECT_TRUE(emu->CallsOf(RequestSetTouchMode).empty());
    EXPECT_EQ(emu->TouchMode(), 1);
}

TEST_F(ExchangeTest, UploadSendsEighteenFramesInOrderThenPL) {
    CalibrationPoint table[kCalibrationPoints];
    for (CalibrationPoint& p : table) p = CalibrationPoint{2048, 2048};
    table[8].y = 0xBEEF;
    uint64_t start = emu->Clock().Now();
    EXPECT_TRUE(UploadCalibrationTable(table));
    const std::vector<std::string>& f = emu->Frames();
    ASSERT_EQ(f.size(), 19u);
    const char* addresses[18] = {"10", "11", "12", "13", "14", "15", "16", "17", "18",
                                 "19", "1A", "1B", "1C", "1D", "1E", "1F", "20", "21"};
    for (int i = 0; i < 17; ++i) EXPECT_EQ(f[i], std::string("SP") + addresses[i] + "0800");
    EXPECT_EQ(f[17], "SP21BEEF");
    EXPECT_EQ(f[18], "PL");
    EXPECT_EQ(emu->Clock().Now() - start, 19u * kUploadSettleMs);
    EXPECT_EQ(emu->CommitCount(), 1);
}

TEST_F(ExchangeTest, UploadStopsAtAFailedFrameWithoutPL) {
    Install("drop=SP1:5");
    const CalibrationPoint table[kCalibrationPoints] = {};
    EXPECT_FALSE(UploadCalibrationTable(table));
    EXPECT_EQ(emu->FramesStartingWith("SP14"), 4);  // the fifth frame, four attempts
    EXPECT_EQ(emu->FramesStartingWith("SP15"), 0);
    EXPECT_EQ(emu->FramesStartingWith("PL"), 0);
}

TEST_F(ExchangeTest, UploadWithoutADriverReturnsAtOnce) {
    DriverHandle = PORT_INVALID_HANDLE;
    uint64_t start = emu->Clock().Now();
    const CalibrationPoint table[kCalibrationPoints] = {};
    EXPECT_FALSE(UploadCalibrationTable(table));
    EXPECT_EQ(emu->Clock().Now(), start);  // not even one settle delay
    EXPECT_TRUE(emu->Calls().empty());
}

TEST_F(ExchangeTest, EachAttemptPurgesWritesAndReads) {
    Install("silent=1");
    auto codes = [&] {
        std::vector<uint32_t> out;
        for (const DriverCall& c : emu->Calls()) out.push_back(c.code);
        return out;
    };
    auto fourTimes = [](const std::vector<uint32_t>& attempt) {
        std::vector<uint32_t> out;
        for (int i = 0; i < 4; ++i) out.insert(out.end(), attempt.begin(), attempt.end());
        return out;
    };
    ExchangeText("R", Acknowledgement, kSettleMs, nullptr);
    EXPECT_EQ(codes(), fourTimes({RequestPurge, RequestWrite, RequestPendingCount, RequestRead}));

    emu->ClearHistory();
    ResetOnClose();  // no pending count: a read of eight bytes
    EXPECT_EQ(codes(), fourTimes({RequestPurge, RequestWrite, RequestRead}));
    EXPECT_EQ(emu->CallsOf(RequestWrite)[0].in, (std::vector<uint8_t>{0x01, 'R', 0x0D}));
    EXPECT_EQ(emu->CallsOf(RequestRead)[0].outSize, 8u);
}

TEST_F(ExchangeTest, ABodyTooLongForAFrameIsNotSent) {
    EXPECT_FALSE(ExchangeBody("12345678901234", 14, Acknowledgement, kSettleMs, nullptr));
    EXPECT_TRUE(emu->Calls().empty());
}

TEST_F(ExchangeTest, ResetOnCloseStopsAtTheHeadOfAnAcknowledgementAndSettlesPerAttempt) {
    // echo=1: the head is the echo "\x01R\r", with no '0' at index 1.
    for (auto [knobs, writes] : {std::pair{"", 1}, {"silent=1", 4}, {"echo=1", 4}}) {
        Install(knobs);
        uint64_t start = emu->Clock().Now();
        ResetOnClose();
        EXPECT_EQ(emu->WriteCount(), writes) << knobs;
        EXPECT_EQ(emu->Clock().Now() - start, 200u * writes) << knobs;
    }
}
