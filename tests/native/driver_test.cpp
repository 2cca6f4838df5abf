#include "tests/common/sim_fixture.h"

#include "link/driver.h"

using DriverTest = SimTest;

TEST_F(DriverTest, WriteRefusesMoreThanFifteenBytesAndSendsFifteen) {
    uint8_t bytes[16] = {0};
    EXPECT_FALSE(DrvWrite(bytes, 16));
    EXPECT_TRUE(emu->Calls().empty());  // refused before the driver is asked
    EXPECT_TRUE(DrvWrite(bytes, 15));
    ASSERT_EQ(emu->Calls().size(), 1u);
    EXPECT_EQ(emu->Calls()[0].in.size(), 15u);
}

TEST_F(DriverTest, EveryRequestHasItsCodeInputAndOutputBuffer) {
    struct Case {
        void (*operation)();
        uint32_t code;
        std::vector<uint8_t> in;
        uint32_t outSize;  // 0: no output buffer at all
    };
    const Case cases[] = {
        {[] { DrvSetRotation(2); }, 3, {2}, 1},
        {[] { DrvSetTouchDisabled(1); }, 4, {1}, 1},
        {[] { DrvGetRotation(); }, 7, {}, 1},
        {[] { DrvGetTouchDisabled(); }, 10, {}, 1},
        {[] { const uint8_t b[3] = {1, 'R', 0x0D}; DrvWrite(b, 3); }, 13, {1, 'R', 0x0D}, 1},
        {[] { uint8_t b[8]; DrvRead(b, 8); }, 14, {}, 8},
        {[] { DrvPendingCount(); }, 15, {}, 4},
        {[] { DrvPurge(); }, 16, {}, 1},
        {[] { DrvSetTouchMode(3); }, 17, {3}, 1},
        {[] { int32_t x, y; DrvGetCalibrationSample(&x, &y); }, 18, {}, 9},
        {[] { DrvSelectCalibrationPoint(3, 9); }, 19, {9, 3}, 0},
        {[] { DrvIsPointComplete(); }, 20, {}, 1},
        {[] { DrvGetTouchMode(); }, 25, {}, 1},
    };
    for (const Case& c : cases) {
        emu->ClearHistory();
        c.operation();
        ASSERT_EQ(emu->Calls().size(), 1u) << c.code;
        const DriverCall& call = emu->Calls()[0];
        EXPECT_EQ(call.code, c.code);
        EXPECT_EQ(call.inSize, (uint32_t)c.in.size()) << c.code;
        EXPECT_EQ(call.in, c.in) << c.code;
        EXPECT_EQ(call.outSize, c.outSize) << c.code;
        EXPECT_EQ(call.outBuffer, c.outSize != 0) << c.code;
    }
}

TEST_F(DriverTest, PendingCountIsFourBytesLittleEndian) {
    Install("pending=305419896");  // 0x12345678
    EXPECT_EQ(DrvPendingCount(), 0x12345678u);
}

TEST_F(DriverTest, PendingCountNeedsExactlyFourBytes) {
    Install("count=15:3");
    uint8_t frame[] = {1, 'R', 0x0D};
    DrvWrite(frame, 3);
    emu->Clock().Advance(100);
    EXPECT_EQ(DrvPendingCount(), 0u);
    Install("count=15:0");
    EXPECT_EQ(DrvPendingCount(), 0u);
    Install("");
    DrvWrite(frame, 3);
    emu->Clock().Advance(100);
    EXPECT_EQ(DrvPendingCount(), 3u);
}

TEST_F(DriverTest, SettingWritesAndTheirCountRules) {
    EXPECT_TRUE(DrvSetRotation(2));
    EXPECT_EQ(emu->Rotation(), 2);
    EXPECT_FALSE(DrvSetRotation(7));  // the driver answers 0

    Install("count=3:5;4:5;17:0;20:2");
    EXPECT_TRUE(DrvSetRotation(1));      // the count is not examined
    EXPECT_FALSE(DrvSetTouchDisabled(1));
    EXPECT_FALSE(DrvSetTouchMode(3));
    EXPECT_FALSE(DrvIsPointComplete());

    // A driver that answers without reporting a count has answered nothing.
    Install("disabled=1,nocount=4;10;17;20");
    EXPECT_FALSE(DrvSetTouchDisabled(1));
    EXPECT_FALSE(DrvSetTouchMode(3));
    EXPECT_FALSE(DrvIsPointComplete());
    EXPECT_EQ(DrvGetTouchDisabled(), 0);
}

TEST_F(DriverTest, ReadsReportTheDriversSettings) {
    Install("rotation=3,touchmode=2,disabled=1");
    EXPECT_EQ(DrvGetRotation(), 3);
    EXPECT_EQ(DrvGetTouchMode(), 2);
    EXPECT_EQ(DrvGetTouchDisabled(), 1);
}

TEST_F(DriverTest, ABytesTheDriverDoesNotWriteIsNeverTakenAsAValue) {
    Install("disabled=1");
    EXPECT_EQ(DrvGetTouchDisabled(), 1);  // a 1 where the next reply is read
    emu->Config().noByteRequests = {10, 7, 25};
    EXPECT_EQ(DrvGetTouchDisabled(), 0);  // count 1, but nothing was written
    EXPECT_EQ(DrvGetRotation(), kNoSettingByte);
    EXPECT_EQ(DrvGetTouchMode(), kNoSettingByte);
    Install("disabled=1,fail=10;3");
    EXPECT_EQ(DrvGetTouchDisabled(), 0);
    EXPECT_FALSE(DrvSetRotation(1));  // nothing written: the cleared byte reads as failure
}

TEST_F(DriverTest, ReadCountBeyondTheBufferIsClamped) {
    Install("count=14:500");
    uint8_t buffer[8];
    EXPECT_EQ(DrvRead(buffer, sizeof buffer), 8u);
}

TEST_F(DriverTest, SampleLayoutIsReadByteByByte) {
    const uint8_t reply[9] = {1, 0x45, 0x23, 0x01, 0x00, 0x10, 0x00, 0xFF, 0xFF};
    int32_t x = -1, y = -1;
    ASSERT_TRUE(DecodeCalibrationSample(reply, &x, &y));
    EXPECT_EQ(x, 0x2345);
    EXPECT_EQ(y, 0x0010);
    for (uint8_t status : {0, 2}) {
        uint8_t other[9] = {status, 1, 2, 3, 4, 5, 6, 7, 8};
        x = y = 77;
        EXPECT_FALSE(DecodeCalibrationSample(other, &x, &y));
        EXPECT_EQ(x, 77);
        EXPECT_EQ(y, 77);
    }
}

TEST_F(DriverTest, SelectingAPointSendsModeFirstAndRecordsBoth) {
    EXPECT_TRUE(DrvSelectCalibrationPoint(3, 9));
    EXPECT_EQ(emu->SelectedMode(), 9);
    EXPECT_EQ(emu->SelectedPoint(), 3);
    ASSERT_EQ(emu->Calls().size(), 1u);
    EXPECT_EQ(emu->Calls()[0].code, RequestSelectCalibrationPoint);
    EXPECT_EQ(emu->Calls()[0].in, (std::vector<uint8_t>{9, 3}));  // mode first
    DriverHandle = PORT_INVALID_HANDLE;
    EXPECT_FALSE(DrvSelectCalibrationPoint(4, 5));
    EXPECT_EQ(CalibrationMode, 5);
    EXPECT_EQ(CurrentPointIndex, 4);
    EXPECT_EQ(emu->Calls().size(), 1u);  // without a driver, recorded but not asked
}

TEST_F(DriverTest, NoOperationCallsTheDriverWhileNoneIsOpen) {
    DriverHandle = PORT_INVALID_HANDLE;
    uint8_t b[4] = {1, 2, 3, 4};
    int32_t x, y;
    EXPECT_FALSE(DrvSetRotation(1));
    EXPECT_FALSE(DrvSetTouchDisabled(1));
    EXPECT_EQ(DrvGetRotation(), 0);
    EXPECT_EQ(DrvGetTouchDisabled(), 0);
    EXPECT_FALSE(DrvWrite(b, 4));
    EXPECT_EQ(DrvRead(b, 4), 0u);
    EXPECT_EQ(DrvPendingCount(), 0u);
    EXPECT_FALSE(DrvPurge());
    EXPECT_FALSE(DrvSetTouchMode(1));
    EXPECT_FALSE(DrvGetCalibrationSample(&x, &y));
    EXPECT_FALSE(DrvIsPointComplete());
    EXPECT_EQ(DrvGetTouchMode(), 0);
    DriverHandle = nullptr;
    EXPECT_FALSE(DrvPurge());
    EXPECT_TRUE(emu->Calls().empty());  // the seam logs every call, on any handle
}

TEST_F(DriverTest, AbsentDriverCannotBeOpened) {
    Install("driver=absent");
    EXPECT_EQ(DriverHandle, PORT_INVALID_HANDLE);
    EXPECT_EQ(PortOpenDriver(L"FPD2:"), PORT_INVALID_HANDLE);
}

TEST_F(DriverTest, TraceLinesCarryTimeRequestBytesCountAndResult) {
    emu->Clock().Advance(1234);
    DrvSetRotation(1);
    ASSERT_EQ(emu->GetTrace().Lines().size(), 1u);
    EXPECT_EQ(emu->GetTrace().Lines()[0], "1234 REQ 3 in=01 out=01 count=1 result=1");
}
