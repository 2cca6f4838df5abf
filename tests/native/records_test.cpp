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

TEST_F(RecordsTest, WritesPatchTheirFieldAndEchoTheRestThenReset) {
    struct Case {
        const char* knobs;
        void (*write)();
        const char* frames[3];
    };
    const Case cases[] = {
        {"records=9A:28zq", [] { SetRightClickTime(1000); }, {"GP9A", "SP9AC8zq", "R"}},
        {"records=9A:2800", [] { SetRightClickTime(1004); }, {"GP9A", "SP9AC800", "R"}},
        {"records=99:1E0A", [] { SetInFocus(12); }, {"GP99", "SP991E0C", "R"}},
        {"records=99:1E0A", [] { SetMeasureTime(5); }, {"GP99", "SP99050A", "R"}},
        {"records=9D:g#64", [] { SetMeasureDelay(250); }, {"GP9D", "SP9Dg#FA", "R"}},
        {"records=9B:x-C8", [] { SetOutFocus(100); }, {"GP9B", "SP9Bx-64", "R"}},
        {"records=9C:a2bc", [] { SetSensitivity(3); }, {"GP9C", "SP9Ca3bc", "R"}},
    };
    for (const Case& c : cases) {
        Install(c.knobs);
        c.write();
        EXPECT_EQ(emu->Frames(), (std::vector<std::string>{c.frames[0], c.frames[1], c.frames[2]})) << c.knobs;
    }
}

TEST_F(RecordsTest, WrittenRightClickTimeReadsBack) {
    SetRightClickTime(1004);
    EXPECT_EQ(GetRightClickTime() * 5, 1000);
}

TEST_F(RecordsTest, RightClickTimeBeyondTheFieldIsStoredAsFF) {
    SetRightClickTime(2200);
    EXPECT_EQ(emu->Record("9A"), "FF00");
    EXPECT_EQ(GetRightClickTime(), 255);
    SetRightClickTime(1275);
    EXPECT_EQ(emu->Record("9A"), "FF00");
    SetRightClickTime(1270);
    EXPECT_EQ(emu->Record("9A"), "FE00");
}

TEST_F(RecordsTest, SensitivityOutsideOneToFourSendsNothing) {
    SetSensitivity(0);
    SetSensitivity(5);
    EXPECT_TRUE(emu->Frames().empty());
    SetSensitivity(1);
    EXPECT_EQ(emu->Record("9C"), "0100");
}

TEST_F(RecordsTest, ControllerAnsweringReadsWithAnAcknowledgementFailsThem) {
    Install("ackonly=1");
    EXPECT_EQ(GetRightClickTime(), 0);
    EXPECT_EQ(emu->WriteCount(), 4);
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
