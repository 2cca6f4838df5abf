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
    Script::OnPage(AdvancePage, [] {
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
}

// What the page shows, and what Confirm then writes: only the values that
// differ from what was read, each clamped to its trackbar, in the table's order.
TEST_F(AdvancePageTest, ConfirmWritesWhatDiffersFromTheReadClampedInTheTablesOrder) {
    struct Case {
        const char* knobs;
        const wchar_t* shown[4];  // Meas. Time, Meas. Delay, In-Focus, Out-Focus
        int positions[4];
        std::vector<std::pair<int, int>> moves;  // trackbar, position
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {"", {L"30", L"100", L"10", L"200"}, {30, 100, 10, 200}, {}, {}},
        {"", {L"30", L"100", L"10", L"200"}, {30, 100, 10, 200}, {{3, 150}, {0, 50}},
         {"GP99", "SP99320A", "R", "GP9B", "SP9B0096", "R"}},
        // Meas. Time 120, In-Focus 0, Out-Focus 50: shown true, written clamped.
        {"records=99:7800;9B:0032", {L"120", L"100", L"0", L"50"}, {100, 100, 1, 100}, {},
         {"GP99", "SP996400", "R", "GP99", "SP996401", "R", "GP9B", "SP9B0064", "R"}},
        // Failed reads show 0; Confirm writes each minimum.
        {"ackonly=1", {L"0", L"0", L"0", L"0"}, {5, 10, 1, 100}, {},
         {"GP99", "SP99050A", "R", "GP9D", "SP9D000A", "R", "GP99", "SP990501", "R", "GP9B", "SP9B0064", "R"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.knobs);
        Install(c.knobs);
        Script::OnPage(AdvancePage, [&c] {
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(ControlText(kEdits[i]), c.shown[i]) << i;
                EXPECT_EQ(Slider(i, TBM_GETPOS), c.positions[i]) << i;
            }
            Sim()->Config().ackOnly = false;  // the controller answers from here on
            Sim()->ClearHistory();
            for (auto [slider, position] : c.moves) Slider(slider, TBM_SETPOS, TRUE, position);
            Click(IDC_ADVANCE_CONFIRM);
            EXPECT_EQ(Sim()->Frames(), c.written);
        });
    }
}

TEST_F(AdvancePageTest, EndOfATrackbarInteractionEchoesAllFourBoxes) {
    Install("records=99:0000");  // Meas. Time 0 and In-Focus 0: boxes show 0, trackbars their minimum
    Script::OnPage(AdvancePage, [] {
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
    s.CloseSheet().RunSheet();
}
