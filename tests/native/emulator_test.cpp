#include <string.h>

#include "link/exchange.h"
#include "tests/common/sim_fixture.h"

using EmulatorTest = SimTest;

namespace {

void Send(const char* bytes, size_t n) { DrvWrite(reinterpret_cast<const uint8_t*>(bytes), (uint32_t)n); }

}  // namespace

TEST_F(EmulatorTest, FramesAreFoundAmongNoiseAndOverlongBodiesAreDropped) {
    Send("zz\x01R\x0Dqq", 7);
    Send("\x01GP9", 4);
    Send("A\x0D", 2);                               // a frame may span writes
    Send("\x01" "ABCDEFGHIJKLMN\x0D", 16 - 1);      // 14 characters: discarded
    Send("\x01XX\x01" "RD\x0D", 7);                 // an unterminated body gives way to the next SOH
    EXPECT_EQ(emu->Frames(), (std::vector<std::string>{"R", "GP9A", "RD"}));
}

TEST_F(EmulatorTest, UnknownOrMalformedCommandsAreRefused) {
    for (const char* body : {"XY", "GP77", "SP22FFFF", "SP10ZZZZ", "SP9A12"}) {
        emu->ClearHistory();
        EXPECT_FALSE(ExchangeText(body, Acknowledgement, kSettleMs, nullptr)) << body;
        EXPECT_EQ(Events("RX").front(), "RX 01310D") << body;
    }
}

TEST_F(EmulatorTest, RecordsPersistAndRestoreDefaultsBringsBackTheFactoryOnes) {
    Install("records=9A:1000");
    EXPECT_EQ(emu->Record("9A"), "1000");
    EXPECT_TRUE(ExchangeText("SP9D1234", Acknowledgement, kSettleMs, nullptr));
    EXPECT_EQ(emu->Record("9D"), "1234");
    EXPECT_TRUE(ExchangeText("RD", Acknowledgement, kSettleMs, nullptr));
    EXPECT_EQ(emu->Record("9A"), "2800");
    EXPECT_EQ(emu->Record("9D"), "0064");
}

TEST_F(EmulatorTest, RepliesAreQueuedAfterTheLatencyAndTraced) {
    Install("latency=30");
    Send("\x01R\x0D", 3);
    EXPECT_EQ(DrvPendingCount(), 0u);
    emu->Clock().Advance(29);
    EXPECT_EQ(DrvPendingCount(), 0u);
    emu->Clock().Advance(1);
    EXPECT_EQ(DrvPendingCount(), 3u);
    EXPECT_EQ(Events("TX").front(), "TX R");
    EXPECT_EQ(Events("RX").front(), "RX 01300D");
    DrvPurge();
    EXPECT_EQ(DrvPendingCount(), 0u);
}

TEST_F(EmulatorTest, DropLeavesTheNthMatchingFrameAndItsResendsUnanswered) {
    Install("drop=SP1:2");
    EXPECT_TRUE(ExchangeText("SP100001", Acknowledgement, 50, nullptr));
    EXPECT_FALSE(ExchangeText("SP110002", Acknowledgement, 50, nullptr));
    EXPECT_EQ(emu->FramesStartingWith("SP11"), 4);
    EXPECT_TRUE(ExchangeText("SP120003", Acknowledgement, 50, nullptr));
    EXPECT_TRUE(ExchangeText("RD", Acknowledgement, 50, nullptr));
}

TEST_F(EmulatorTest, ConfigRejectsWhatItDoesNotKnow) {
    SimConfig c;
    std::string error;
    EXPECT_FALSE(ParseSimConfig("colour=blue", &c, &error));
    EXPECT_NE(error.find("colour"), std::string::npos);
    EXPECT_FALSE(ParseSimConfig("rotation=300", &c, &error));
    EXPECT_FALSE(ParseSimConfig("records=9A:12", &c, &error));
    EXPECT_FALSE(ParseSimConfig("drop=SP1:0", &c, &error));
    EXPECT_FALSE(ParseSimConfig("keyboard=qwerty", &c, &error));
    for (const char* panel : {"panel=", "panel=bits:11", "panel=bits:17", "panel=bow:11", "panel=turn"})
        EXPECT_FALSE(ParseSimConfig(panel, &c, &error)) << panel;
    EXPECT_TRUE(ParseSimConfig("driver=absent,latency=5,drop=SP1:5,records=99:0000;9A:1111,count=15:3,keyboard=keypad,"
                               "panel=mirrory;bits:12;swap;bow:3",
                               &c, &error));
    EXPECT_TRUE(c.panel.swap && !c.panel.mirrorX && c.panel.mirrorY);
    EXPECT_EQ(c.panel.bits, 12);
    EXPECT_EQ(c.panel.bowPercent, 3);
    EXPECT_EQ(c.keyboardStatus, 0x7u);
    EXPECT_TRUE(c.driverAbsent);
    EXPECT_EQ(c.latencyMs, 5u);
    EXPECT_EQ(c.dropPrefix, "SP1");
    EXPECT_EQ(c.records.size(), 2u);
}

TEST_F(EmulatorTest, TouchesSampleOnlyInCalibrationModeAndCompleteOnRelease) {
    int32_t x, y;
    DrvSelectCalibrationPoint(0, 9);
    emu->TouchDown(320, 240);
    emu->TouchUp();
    EXPECT_FALSE(DrvGetCalibrationSample(&x, &y));  // not in calibration mode
    EXPECT_TRUE(Events("TOUCH").empty());

    ASSERT_TRUE(CalibrationCommand(1));
    DrvSelectCalibrationPoint(0, 9);
    emu->TouchDown(320, 240);
    ASSERT_TRUE(DrvGetCalibrationSample(&x, &y));
    RawPoint expected = emu->Panel().Raw(320, 240);
    EXPECT_EQ(x, expected.x);
    EXPECT_EQ(y, expected.y);
    EXPECT_EQ(Events("TOUCH").front(),
              "TOUCH 320 240 " + std::to_string(expected.x) + " " + std::to_string(expected.y));
    EXPECT_FALSE(DrvIsPointComplete());
    emu->TouchUp();
    EXPECT_TRUE(DrvIsPointComplete());
    DrvSelectCalibrationPoint(1, 9);
    EXPECT_FALSE(DrvGetCalibrationSample(&x, &y));
    EXPECT_FALSE(DrvIsPointComplete());
}

TEST(PanelModelTest, IsNotTheIdentityAndStaysInSixteenBits) {
    PanelModel panel(640, 480);
    RawPoint a = panel.Raw(0, 0), b = panel.Raw(639, 0), c = panel.Raw(0, 479);
    EXPECT_NE(a.x, 0);
    EXPECT_GT(b.x - a.x, 0);
    EXPECT_LT(c.y - a.y, 0);               // y runs the other way
    EXPECT_NE(c.x, a.x);                   // skew
    EXPECT_NE(b.x - a.x, a.y - c.y);       // a different scale per axis
    for (RawPoint p : {a, b, c, panel.Raw(639, 479)}) {
        EXPECT_GE(p.x, 0);
        EXPECT_LE(p.x, 65535);
        EXPECT_GE(p.y, 0);
        EXPECT_LE(p.y, 65535);
    }
}

// Each shape of the panel as it meets the screen's corners, in raw units.
TEST(PanelModelTest, ShapesSwapMirrorNarrowAndBowTheRawAxes) {
    const PanelModel plain(640, 480);
    const RawPoint a = plain.Raw(0, 0), b = plain.Raw(640, 0);
    const struct {
        PanelShape shape;
        RawPoint topLeft;
    } cases[] = {
        {{true, false, false, 16, -1}, {a.y, a.x}},
        {{false, true, false, 16, -1}, {65535 - a.x, a.y}},
        {{false, false, true, 16, -1}, {a.x, 65535 - a.y}},
        {{false, false, false, 12, -1}, {(a.x + 8) / 16, (a.y + 8) / 16}},
    };
    for (const auto& c : cases) {
        RawPoint p = PanelModel(640, 480, c.shape).Raw(0, 0);
        EXPECT_NEAR(p.x, c.topLeft.x, 1) << c.shape.swap << c.shape.mirrorX << c.shape.mirrorY << c.shape.bits;
        EXPECT_NEAR(p.y, c.topLeft.y, 1) << c.shape.swap << c.shape.mirrorX << c.shape.mirrorY << c.shape.bits;
    }
    EXPECT_LE(PanelModel(640, 480, PanelShape{false, false, false, 12, -1}).Raw(640, 480).x, 4095);
    // A bow of 3 %: midway along the top, y bends by 3 % of its span.
    const PanelModel bowed(640, 480, PanelShape{false, false, false, 16, 3});
    const RawPoint mid = bowed.Raw(320, 0), left = bowed.Raw(0, 0), right = bowed.Raw(640, 0);
    EXPECT_NEAR(mid.y - (left.y + right.y) / 2, 54000 * 3 / 100, 2);
    EXPECT_EQ(left.y, a.y);
    EXPECT_EQ(right.x, b.x);
}

TEST(PanelModelTest, ExactNinePointTableMapsWithinAPercentAndGarbageIsReported) {
    PanelModel panel(640, 480);
    RawPoint table[9];
    const int tx[9] = {320, 620, 620, 320, 20, 20, 20, 320, 620};
    const int ty[9] = {240, 240, 15, 15, 15, 240, 465, 465, 465};
    for (int k = 0; k < 9; ++k) table[k] = panel.Raw(tx[k], ty[k]);
    CalibrationQuality q = MeasureCalibration(panel, table);
    ASSERT_TRUE(q.valid);
    EXPECT_LT(q.errTargets, 0.05);
    EXPECT_LT(q.errGrid, 1.0);

    // The same table with corners swapped is a plainly bad calibration.
    std::swap(table[2], table[6]);
    q = MeasureCalibration(panel, table);
    EXPECT_GT(q.errTargets, 10.0);
    RawPoint zeros[9] = {};
    EXPECT_FALSE(MeasureCalibration(panel, zeros).valid);
}
