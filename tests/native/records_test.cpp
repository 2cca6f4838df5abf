#include "link/records.h"

#include "tests/common/sim_fixture.h"

using RecordsTest = SimTest;

TEST(RecordDecoding, HexFieldsSkipNonHexCharacters) {
    EXPECT_EQ(DecodeHexField('2', '8'), 0x28);
    EXPECT_EQ(DecodeHexField('1', 'e'), 30);
    EXPECT_EQ(DecodeHexField('2', 'G'), 2);
    EXPECT_EQ(DecodeHexField('G', '5'), 5);
    EXPECT_EQ(DecodeHexField('G', 'G'), 0);
    EXPECT_EQ(DecodeHexField('F', 'f'), 255);
    EXPECT_EQ(DecodeHexField('9', '9'), 0x99);
    EXPECT_EQ(DecodeHexField('2', 'g'), 2);
    EXPECT_EQ(DecodeHexField('z', '5'), 5);
}

TEST(RecordDecoding, SensitivityDigitZeroToFourOnly) {
    EXPECT_EQ(DecodeSensitivity('2'), 2);
    EXPECT_EQ(DecodeSensitivity('4'), 4);
    EXPECT_EQ(DecodeSensitivity('5'), 0);
    EXPECT_EQ(DecodeSensitivity('X'), 0);
}

TEST_F(RecordsTest, ReadsDecodeTheFactoryRecords) {
    EXPECT_EQ(GetRightClickTime(), 40);
    EXPECT_EQ(GetMeasureTime(), 30);
    EXPECT_EQ(GetInFocus(), 10);
    EXPECT_EQ(GetOutFocus(), 200);
    EXPECT_EQ(GetMeasureDelay(), 100);
    EXPECT_EQ(GetSensitivity(), 2);
    EXPECT_EQ(emu->Frames(), (std::vector<std::string>{"GP9A", "GP99", "GP99", "GP9B", "GP9D", "GP9C"}));
    Install("records=99:1e0a;9C:0500");
    EXPECT_EQ(GetMeasureTime(), 30);
    EXPECT_EQ(GetInFocus(), 10);
    EXPECT_EQ(GetSensitivity(), 0);
}

namespace {

// SOH, the body's bytes (NULs included), CR.
std::vector<uint8_t> Frame(const std::string& body) {
    std::vector<uint8_t> f = {0x01};
    f.insert(f.end(), body.begin(), body.end());
    f.push_back(0x0D);
    return f;
}

}  // namespace

TEST_F(RecordsTest, WritesPatchTheirFieldAndEchoTheRestThenReset) {
    struct Case {
        const char* address;
        std::string record;
        void (*write)();
        std::string written;
    };
    const Case cases[] = {
        {"9A", "28zq", [] { SetRightClickTime(1000); }, "C8zq"},
        {"9A", "2800", [] { SetRightClickTime(1004); }, "C800"},
        {"99", "1E0A", [] { SetInFocus(12); }, "1E0C"},
        {"99", "1E0A", [] { SetMeasureTime(5); }, "050A"},
        {"9D", "g#64", [] { SetMeasureDelay(250); }, "g#FA"},
        {"9B", "x-C8", [] { SetOutFocus(100); }, "x-64"},
        {"9C", "a2bc", [] { SetSensitivity(3); }, "a3bc"},
    };
    for (const Case& c : cases) {
        Install("");
        emu->SetRecord(c.address, c.record.data());
        c.write();
        const std::string a = c.address;
        EXPECT_EQ(Writes(), (std::vector<std::vector<uint8_t>>{Frame("GP" + a), Frame("SP" + a + c.written), Frame("R")}))
            << a << " " << c.written;
    }
}

// Whatever the record holds goes back byte for byte, NULs included.
TEST_F(RecordsTest, ARecordHoldingNulsIsWrittenAsTheTenBytes) {
    emu->SetRecord("9A", "28\0\0");
    SetRightClickTime(1000);
    const std::vector<uint8_t> expected = {0x01, 0x53, 0x50, 0x39, 0x41, 0x43, 0x38, 0x00, 0x00, 0x0D};
    ASSERT_EQ(Writes().size(), 3u);
    EXPECT_EQ(Writes()[1], expected);
    EXPECT_EQ(emu->Record("9A"), std::string("C8\0\0", 4));
}

TEST_F(RecordsTest, AReadTakesOneSettleDelayAndAWriteThree) {
    uint64_t start = emu->Clock().Now();
    GetOutFocus();
    EXPECT_EQ(emu->Clock().Now() - start, 200u);
    start = emu->Clock().Now();
    SetOutFocus(150);
    EXPECT_EQ(emu->Clock().Now() - start, 600u);
}

// Stored in fifths, two hex digits: a time beyond the field is stored as FF.
TEST_F(RecordsTest, WrittenRightClickTimeReadsBackAndBeyondTheFieldIsFF) {
    const struct {
        uint32_t time;
        const char* record;
        int readBack;
    } cases[] = {{1004, "C800", 200}, {2200, "FF00", 255}, {1275, "FF00", 255},
                 {1280, "FF00", 255},  // 256: the first value past the field
                 {1270, "FE00", 254}};
    for (const auto& c : cases) {
        SetRightClickTime(c.time);
        EXPECT_EQ(emu->Record("9A"), c.record) << c.time;
        EXPECT_EQ(GetRightClickTime(), c.readBack) << c.time;
    }
}

TEST_F(RecordsTest, SensitivityOutsideOneToFourSendsNothing) {
    SetSensitivity(0);
    SetSensitivity(5);
    EXPECT_TRUE(emu->Frames().empty());
    SetSensitivity(1);
    EXPECT_EQ(emu->Record("9C"), "0100");
    SetSensitivity(4);
    EXPECT_EQ(emu->Record("9C"), "0400");
}

TEST_F(RecordsTest, ControllerAnsweringReadsWithAnAcknowledgementFailsThem) {
    Install("ackonly=1");
    for (int (*read)() : {GetRightClickTime, GetMeasureTime, GetInFocus, GetMeasureDelay, GetOutFocus}) {
        emu->ClearHistory();
        EXPECT_EQ(read(), 0);
        EXPECT_EQ(emu->WriteCount(), 4);
    }
    EXPECT_EQ(GetSensitivity(), 0);
    emu->ClearHistory();
    SetMeasureTime(50);
    EXPECT_EQ(emu->Frames(), std::vector<std::string>(4, "GP99"));
}

TEST_F(RecordsTest, WriteStopsAfterAFailedReadOrAFailedWrite) {
    Install("silent=1");
    SetRightClickTime(1000);
    EXPECT_EQ(emu->Frames(), std::vector<std::string>(4, "GP9A"));
    Install("drop=SP9A:1");
    SetRightClickTime(1000);
    EXPECT_EQ(emu->FramesStartingWith("SP9A"), 4);
    EXPECT_EQ(emu->FramesStartingWith("R"), 0);
}
