#include "harness.h"
#include "pages/pages.h"
#include "res/resource.h"

#include <commctrl.h>

namespace {

LRESULT Slider(UINT message, WPARAM w = 0, LPARAM l = 0) {
    return SendMessageW(PageControl(IDC_PARAMETERS_TIME_SLIDER), message, w, l);
}
LRESULT List(UINT message, WPARAM w = 0, LPARAM l = 0) {
    return SendMessageW(PageControl(IDC_PARAMETERS_SENSITIVITY), message, w, l);
}

// The page, shown, with what its activation read forgotten.
void Open(Script& s) {
    s.Show(ParametersPage).Do([] { Sim()->ClearHistory(); });
}

// The same, then check, in a sheet of its own.
void OnThePage(std::function<void()> check) {
    Script s;
    Open(s);
    s.Do(check).CloseSheet().RunSheet();
}

}  // namespace

using ParametersPageTest = GuiTest;

TEST_F(ParametersPageTest, ShowsTheControllersValuesAndTheFiveLevels) {
    OnThePage([] {
        ASSERT_EQ(List(LB_GETCOUNT), 5);
        const wchar_t* texts[5] = {L"Low Sensitivity", L"Normal Sensitivity", L"More Sensitivity",
                                   L"Very Sensitivity", L"Most Sensitivity"};
        for (int i = 0; i < 5; ++i) {
            wchar_t text[64] = {0};
            List(LB_GETTEXT, i, (LPARAM)text);
            EXPECT_STREQ(text, texts[i]);
        }
        EXPECT_EQ(List(LB_GETCURSEL), 1);  // 9C holds 0200
        EXPECT_EQ(ControlText(IDC_PARAMETERS_TIME_EDIT), L"200");
        EXPECT_EQ(Slider(TBM_GETPOS), 200);
        EXPECT_EQ(Slider(TBM_GETRANGEMIN), 200);
        EXPECT_EQ(Slider(TBM_GETRANGEMAX), 1275);  // the most the controller's field can hold
    });
}

TEST_F(ParametersPageTest, SensitivityZeroOrOneShowLowAndOthersTheirLevel) {
    for (auto [record, index] : {std::pair{"0000", 0}, {"0100", 0}, {"0300", 2}, {"0400", 3}, {"0900", 0}}) {
        Install(std::string("records=9C:") + record);
        OnThePage([index = index] { EXPECT_EQ(List(LB_GETCURSEL), index); });
    }
}

TEST_F(ParametersPageTest, ConfirmWithoutAChangeWritesNothing) {
    OnThePage([] {
        Click(IDC_PARAMETERS_CONFIRM);
        Click(IDC_PARAMETERS_CONFIRM);
    });
    EXPECT_TRUE(emu->Frames().empty());
}

TEST_F(ParametersPageTest, OneChangeWritesExactlyOneTriplet) {
    OnThePage([] {
        List(LB_SETCURSEL, 2);
        Click(IDC_PARAMETERS_CONFIRM);
        EXPECT_EQ(Sim()->Frames(), (std::vector<std::string>{"GP9C", "SP9C0300", "R"}));
        Sim()->ClearHistory();
        Slider(TBM_SETPOS, TRUE, 1000);
        Click(IDC_PARAMETERS_CONFIRM);
        EXPECT_EQ(Sim()->Frames(), (std::vector<std::string>{"GP9A", "SP9AC800", "R"}));
        // What was sent is now what the page compares with.
        Sim()->ClearHistory();
        Click(IDC_PARAMETERS_CONFIRM);
        EXPECT_TRUE(Sim()->Frames().empty());
    });
}

TEST_F(ParametersPageTest, OutOfRangeOrFailedReadIsWrittenClampedOnConfirm) {
    for (const char* knobs : {"records=9A:0A00", "fail=15"}) {
        Install(knobs);
        bool failedRead = std::string(knobs) == "fail=15";
        OnThePage([failedRead] {
            EXPECT_EQ(ControlText(IDC_PARAMETERS_TIME_EDIT), failedRead ? L"0" : L"50");
            EXPECT_EQ(Slider(TBM_GETPOS), 200);
            if (failedRead) {
                EXPECT_EQ(List(LB_GETCURSEL), 0);
            }
            Sim()->Config().failRequests.clear();
            Click(IDC_PARAMETERS_CONFIRM);
        });
        // Only the time differs from what was read; a failed sensitivity read shows
        // "Low Sensitivity", which is also what the page remembers.
        EXPECT_EQ(emu->Frames(), (std::vector<std::string>{"GP9A", "SP9A2800", "R"})) << knobs;
    }
}

TEST_F(ParametersPageTest, KeyboardMovesTheTrackbarAndTheBoxFollowsOnlyAtTheEnd) {
    OnThePage([] {
        HWND slider = PageControl(IDC_PARAMETERS_TIME_SLIDER);
        SendMessageW(slider, WM_KEYDOWN, VK_NEXT, 0);  // a page to the right
        LRESULT moved = Slider(TBM_GETPOS);
        EXPECT_GT(moved, 200);
        EXPECT_EQ(ControlText(IDC_PARAMETERS_TIME_EDIT), L"200");
        SendMessageW(slider, WM_KEYUP, VK_NEXT, 0);
        EXPECT_EQ(ControlText(IDC_PARAMETERS_TIME_EDIT), std::to_wstring(moved));
        Click(IDC_PARAMETERS_CONFIRM);
        char expected[16];
        snprintf(expected, sizeof expected, "SP9A%02X00", (unsigned)(moved / 5));
        EXPECT_EQ(Sim()->Frames(), (std::vector<std::string>{"GP9A", expected, "R"}));
    });
}

TEST_F(ParametersPageTest, TypingIntoTheBoxChangesNothing) {
    OnThePage([] {
        SetWindowTextW(PageControl(IDC_PARAMETERS_TIME_EDIT), L"2000");
        Click(IDC_PARAMETERS_CONFIRM);
        EXPECT_TRUE(Sim()->Frames().empty());
    });
}

TEST_F(ParametersPageTest, MostSensitivityIsRefusedAndTheNextActivationShowsTheController) {
    Script s;
    Open(s);
    s.Do([] {
         List(LB_SETCURSEL, 4);
         Click(IDC_PARAMETERS_CONFIRM);
         Click(IDC_PARAMETERS_CONFIRM);  // the refused level counts as sent
         EXPECT_TRUE(Sim()->Frames().empty());
     })
        .Reshow(ParametersPage)
        .Do([] { EXPECT_EQ(List(LB_GETCURSEL), 1); });
    s.CloseSheet().RunSheet();
}

TEST_F(ParametersPageTest, ActivationCostsTwoReadsAndAChangeIsWhatTheNextOneShows) {
    Script s;
    s.Show(ParametersPage)
        .Do([] {
            EXPECT_EQ(Sim()->Frames(), (std::vector<std::string>{"GP9A", "GP9C"}));
            Slider(TBM_SETPOS, TRUE, 1275);
            Click(IDC_PARAMETERS_CONFIRM);
        })
        .Reshow(ParametersPage)
        .Do([] {
            EXPECT_EQ(ControlText(IDC_PARAMETERS_TIME_EDIT), L"1275");
            EXPECT_EQ(Slider(TBM_GETPOS), 1275);
        });
    s.CloseSheet().RunSheet();
    EXPECT_EQ(emu->Record("9A"), "FF00");
}
