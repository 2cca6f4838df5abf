#include "surface/calibration_capture.h"

#include "link/exchange.h"
#include "tests/common/sim_fixture.h"

class CaptureTest : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        ASSERT_TRUE(CalibrationCommand(1));
        for (CalibrationPoint& p : CalibrationTable) p = CalibrationPoint{-7, -7};
    }

    // Select point k of the mode and touch so that the panel reports raw (x, y).
    void Sample(uint8_t mode, uint8_t k, int screenX, int screenY) {
        DrvSelectCalibrationPoint(k, mode);
        emu->TouchDown(screenX, screenY);
        emu->TouchUp();
        ASSERT_EQ(CaptureCalibrationSample(), 1);
    }

    CalibrationPoint Raw(int x, int y) {
        RawPoint r = emu->Panel().Raw(x, y);
        return CalibrationPoint{r.x, r.y};
    }
};

TEST_F(CaptureTest, NoSampleStoresNothing) {
    DrvSelectCalibrationPoint(0, 9);
    EXPECT_EQ(CaptureCalibrationSample(), 0);
    EXPECT_EQ(CalibrationTable[0].x, -7);
}

TEST_F(CaptureTest, NinePointRunStoresEachSampleAtItsIndex) {
    for (uint8_t k = 0; k < 9; ++k) Sample(9, k, 10 + 60 * k, 20 + 40 * k);
    for (int k = 0; k < 9; ++k) {
        CalibrationPoint want = Raw(10 + 60 * k, 20 + 40 * k);
        EXPECT_EQ(CalibrationTable[k].x, want.x) << k;
        EXPECT_EQ(CalibrationTable[k].y, want.y) << k;
    }
}

TEST_F(CaptureTest, FivePointRunDerivesMidpointsDroppingHalves) {
    const int sx[5] = {320, 620, 20, 20, 620}, sy[5] = {240, 15, 15, 465, 465};
    for (uint8_t k = 0; k < 5; ++k) Sample(5, k, sx[k], sy[k]);
    auto mid = [&](int a, int b) {
        return CalibrationPoint{(CalibrationTable[a].x + CalibrationTable[b].x) / 2,
                                (CalibrationTable[a].y + CalibrationTable[b].y) / 2};
    };
    EXPECT_EQ(CalibrationTable[0].x, Raw(320, 240).x);
    EXPECT_EQ(CalibrationTable[8].y, Raw(620, 465).y);
    for (auto [derived, a, b] : {std::tuple{3, 2, 4}, {5, 4, 6}, {7, 6, 8}, {1, 8, 2}}) {
        EXPECT_EQ(CalibrationTable[derived].x, mid(a, b).x) << derived;
        EXPECT_EQ(CalibrationTable[derived].y, mid(a, b).y) << derived;
    }
}

TEST_F(CaptureTest, OddSumsLoseTheirHalf) {
    const RawPoint raw[3] = {{5000, 5000}, {1000, 900}, {3001, 700}};
    for (uint8_t k = 0; k < 3; ++k) {
        DrvSelectCalibrationPoint(k, 5);
        emu->TouchDownRaw(raw[k].x, raw[k].y);
        emu->TouchUp();
        ASSERT_EQ(CaptureCalibrationSample(), 1);
    }
    EXPECT_EQ(CalibrationTable[3].x, 2000);
    EXPECT_EQ(CalibrationTable[3].y, 800);
}

TEST_F(CaptureTest, PositionsBeyondTheModeStoreNothing) {
    for (auto [point, mode] : {std::pair{9, 9}, {5, 5}, {0, 7}}) {
        DrvSelectCalibrationPoint(point, mode);
        emu->TouchDown(1, 1);
        EXPECT_EQ(CaptureCalibrationSample(), 0) << "point " << point << " of mode " << mode;
    }
    for (const CalibrationPoint& p : CalibrationTable) EXPECT_EQ(p.x, -7);
}

TEST_F(CaptureTest, CurrentTargetPositionFollowsTheMode) {
    CalibrationMode = 5;
    CurrentPointIndex = 3;
    EXPECT_EQ(CurrentTargetPosition(), 6);
    CalibrationMode = 9;
    EXPECT_EQ(CurrentTargetPosition(), 3);
}
