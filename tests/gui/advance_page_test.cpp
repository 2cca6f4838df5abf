#include "harness.h"
#include "res/resource.h"

#include <commctrl.h>

namespace {

const int kSliders[4] = {IDC_ADVANCE_TIME_SLIDER, IDC_ADVANCE_DELAY_SLIDER, IDC_ADVANCE_IN_SLIDER,
                         IDC_ADVANCE_OUT_SLIDER};
const int kEdits[4] = {IDC_ADVANCE_TIME_EDIT, IDC_ADVANCE_DELAY_EDIT, IDC_ADVANCE_IN_EDIT, IDC_ADVANCE_OUT_EDIT};

LRESULT Slider(int i, UINT message, WPARAM w = 0, LPARAM l = 0) {
    return SendMessageW(PageControl(kSliders[i]), message, w, l);
}

}  // namespace

using AdvancePageTest = GuiTest;

TEST_F(AdvancePageTest, ActivationReadsFourValuesInOrderAndShowsThem) {
    Script s;
    s.Show(AdvancePage);
    s.Do([] {
        EXPECT_EQ(Sim()->Frames(), (std::vector<std::string>{"GP99", "GP9D", "GP99", "GP9B"}));
        const wchar_t* shown[4] = {L"30", L"100", L"10", L"200"};
        const int ranges[4][2] = {{5, 100}, {10, 250}, {1, 25}, {100, 255}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(ControlText(kEdits[i]), shown[i]);
            EXPECT_EQ(Slider(i, TBM_GETPOS), _wtoi(shown[i]));
            EXPECT_EQ(Slider(i, TBM_GETRANGEMIN), ranges[i][0]);
            EXPECT_EQ(Slider(i, TBM_GETRANGEMAX), ranges[i][1]);
        }
    });
    s.CloseSheet();
    s.RunSheet();
}

TEST_F(AdvancePageTest, ConfirmWithoutAChangeWritesNothing) {
    Script s;
    s.Show(AdvancePage);
    s.Do([] {
        Sim()->ClearHistory();
        Click(IDC_ADVANCE_CONFIRM);
    });
    s.CloseSheet();
    s.RunSheet();
    EXPECT_TRUE(emu->Frames().empty());
}

TEST_F(AdvancePageTest, TwoChangesAreWrittenInTheTablesOrder) {
    Script s;
    s.Show(AdvancePage);
    s.Do([] {
        Sim()->ClearHistory();
        Slider(3, TBM_SETPOS, TRUE, 150);  // Out-Focus
        Slider(0, TBM_SETPOS, TRUE, 50);   // Meas. Time
        Click(IDC_ADVANCE_CONFIRM);
        EXPECT_EQ(Sim()->Frames(),
                  (std::vector<std::string>{"GP99", "SP99320A", "R", "GP9B", "SP9B0096", "R"}));
    });
    s.CloseSheet();
    s.RunSheet();
}

TEST_F(AdvancePageTest, OutOfRangeValuesShowTrueAndAreWrittenClamped) {
    Install("records=99:7800;9B:0032");  // Meas. Time 120, In-Focus 0, Out-Focus 50
    Script s;
    s.Show(AdvancePage);
    s.Do([] {
        EXPECT_EQ(ControlText(IDC_ADVANCE_TIME_EDIT), L"120");
        EXPECT_EQ(Slider(0, TBM_GETPOS), 100);
        EXPECT_EQ(ControlText(IDC_ADVANCE_IN_EDIT), L"0");
        EXPECT_EQ(Slider(2, TBM_GETPOS), 1);
        EXPECT_EQ(ControlText(IDC_ADVANCE_OUT_EDIT), L"50");
        EXPECT_EQ(Slider(3, TBM_GETPOS), 100);
        Sim()->ClearHistory();
        Click(IDC_ADVANCE_CONFIRM);
        EXPECT_EQ(Sim()->Frames(), (std::vector<std::string>{"GP99", "SP996400", "R", "GP99", "SP996401", "R",
                                                             "GP9B", "SP9B0064", "R"}));
    });
    s.CloseSheet();
    s.RunSheet();
}

TEST_F(AdvancePageTest, FailedReadsShowZeroAndConfirmWritesEachMinimum) {
    Install("ackonly=1");
    Script s;
    s.Show(AdvancePage);
    s.Do([] {
        for (int id : kEdits) EXPECT_EQ(ControlText(id), L"0");
        Sim()->Config().ackOnly = false;
        Sim()->ClearHistory();
        Click(IDC_ADVANCE_CONFIRM);
        EXPECT_EQ(Sim()->Frames(), (std::vector<std::string>{"GP99", "SP99050A", "R", "GP9D", "SP9D000A", "R",
                                                             "GP99", "SP990501", "R", "GP9B", "SP9B0064", "R"}));
    });
    s.CloseSheet();
    s.RunSheet();
}

TEST_F(AdvancePageTest, EndOfATrackbarInteractionEchoesAllFourBoxes) {
    Install("records=99:0000");  // Meas. Time 0 and In-Focus 0: boxes show 0, trackbars their minimum
    Script s;
    s.Show(AdvancePage);
    s.Do([] {
        HWND delay = PageControl(IDC_ADVANCE_DELAY_SLIDER);
        SendMessageW(delay, WM_KEYDOWN, VK_RIGHT, 0);
        EXPECT_EQ(ControlText(IDC_ADVANCE_DELAY_EDIT), L"100");
        EXPECT_EQ(ControlText(IDC_ADVANCE_TIME_EDIT), L"0");
        SendMessageW(delay, WM_KEYUP, VK_RIGHT, 0);
        EXPECT_EQ(ControlText(IDC_ADVANCE_DELAY_EDIT), std::to_wstring(Slider(1, TBM_GETPOS)));
        EXPECT_NE(ControlText(IDC_ADVANCE_DELAY_EDIT), L"100");
        EXPECT_EQ(ControlText(IDC_ADVANCE_TIME_EDIT), L"5");
        EXPECT_EQ(ControlText(IDC_ADVANCE_IN_EDIT), L"1");
        EXPECT_EQ(ControlText(IDC_ADVANCE_OUT_EDIT), L"200");
    });
    s.CloseSheet();
    s.RunSheet();
}

TEST_F(AdvancePageTest, TypingIntoABoxChangesNothingAndAConfirmedChangeIsShownNextTime) {
    Script s;
    s.Show(AdvancePage);
    s.Do([] {
         for (int id : kEdits) SetWindowTextW(PageControl(id), L"77");
         Sim()->ClearHistory();
         Click(IDC_ADVANCE_CONFIRM);
         EXPECT_TRUE(Sim()->Frames().empty());
         Slider(1, TBM_SETPOS, TRUE, 240);
         Click(IDC_ADVANCE_CONFIRM);
     })
        .Reshow(AdvancePage)
        .Do([] { EXPECT_EQ(ControlText(IDC_ADVANCE_DELAY_EDIT), L"240"); });
    s.CloseSheet();
    s.RunSheet();
}
