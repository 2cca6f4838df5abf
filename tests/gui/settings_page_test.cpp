#include "harness.h"
#include "link/driver.h"
#include "res/resource.h"

#include <commctrl.h>

namespace {

const int kModes[3] = {IDC_SETTINGS_DESKTOP, IDC_SETTINGS_DRAWING, IDC_SETTINGS_BUTTON};
const int kRotations[4] = {IDC_SETTINGS_ROTATE_0, IDC_SETTINGS_ROTATE_90, IDC_SETTINGS_ROTATE_180,
                           IDC_SETTINGS_ROTATE_270};

int CheckedOf(const int* ids, int n) {
    int found = -1, count = 0;
    for (int i = 0; i < n; ++i)
        if (IsChecked(ids[i])) {
            found = i;
            ++count;
        }
    return count > 1 ? -2 : found;
}

}  // namespace

using SettingsPageTest = GuiTest;

TEST_F(SettingsPageTest, ActivationShowsTheDriversValues) {
    Install("rotation=2,touchmode=3,disabled=1");
    Script s;
    s.Show(SettingsPage).Do([] {
        EXPECT_EQ(CheckedOf(kRotations, 4), 2);
        EXPECT_EQ(CheckedOf(kModes, 3), 2);
        EXPECT_TRUE(IsChecked(IDC_SETTINGS_DISABLE));
    });
    for (uint8_t mode : {0, 2, 4, 200}) {
        s.Do([mode] { Sim()->SetDriverState(1, mode, 0); });
        s.Reshow(SettingsPage);
        s.Do([mode] {
            EXPECT_EQ(CheckedOf(kModes, 3), 1) << "touch mode " << (int)mode << " shows Drawing";
            EXPECT_EQ(CheckedOf(kRotations, 4), 1);
            EXPECT_FALSE(IsChecked(IDC_SETTINGS_DISABLE));
        });
    }
    s.Do([] { Sim()->SetDriverState(1, 1, 0); });
    s.Reshow(SettingsPage);
    s.Do([] { EXPECT_EQ(CheckedOf(kModes, 3), 0); });
    s.CloseSheet().RunSheet();
    EXPECT_TRUE(emu->Frames().empty());
}

TEST_F(SettingsPageTest, RotationAboveThreeLeavesTheButtonsAsTheyWere) {
    Install("rotation=9");
    Script s;
    s.Show(SettingsPage)
        .Do([] { EXPECT_EQ(CheckedOf(kRotations, 4), -1); })
        .Do([] { Sim()->SetDriverState(3, 1, 0); });
    s.Reshow(SettingsPage);
    s.Do([] {
        EXPECT_EQ(CheckedOf(kRotations, 4), 3);
        Sim()->SetDriverState(4, 1, 0);
    });
    s.Reshow(SettingsPage);
    s.Do([] { EXPECT_EQ(CheckedOf(kRotations, 4), 3); });
    s.CloseSheet().RunSheet();
}

TEST_F(SettingsPageTest, FailedReadsLeaveRotationAloneShowDrawingAndEnabled) {
    Install("rotation=2,touchmode=3,disabled=1,fail=7;25;10");
    Script::OnPage(SettingsPage, [] {
        EXPECT_EQ(CheckedOf(kRotations, 4), -1);
        EXPECT_EQ(CheckedOf(kModes, 3), 1);
        EXPECT_FALSE(IsChecked(IDC_SETTINGS_DISABLE));
    });
}

TEST_F(SettingsPageTest, ClicksReachTheDriverAndTheControllerAtOnce) {
    Install("touchmode=1");
    Script::OnPage(SettingsPage, [] {
        Sim()->ClearHistory();
        Click(IDC_SETTINGS_BUTTON);
        EXPECT_EQ(Sim()->Frames(), std::vector<std::string>{"MP"});
        EXPECT_EQ(Sim()->TouchMode(), 3);
        Click(IDC_SETTINGS_DRAWING);
        EXPECT_EQ(Sim()->TouchMode(), 2);
        Click(IDC_SETTINGS_DESKTOP);
        Click(IDC_SETTINGS_DESKTOP);  // already checked: sent again
        EXPECT_EQ(Sim()->Frames(), (std::vector<std::string>{"MP", "MS", "MS", "MS"}));
        EXPECT_EQ(Sim()->TouchMode(), 1);

        Click(IDC_SETTINGS_ROTATE_270);
        EXPECT_EQ(Sim()->Rotation(), 3);
        Click(IDC_SETTINGS_ROTATE_90);
        Click(IDC_SETTINGS_ROTATE_90);
        EXPECT_EQ(Sim()->Rotation(), 1);

        Click(IDC_SETTINGS_DISABLE);
        EXPECT_EQ(Sim()->TouchDisabled(), 1);
        Click(IDC_SETTINGS_DISABLE);
        EXPECT_EQ(Sim()->TouchDisabled(), 0);
    });
    // The settings requests in order, each with its one byte.
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> settings;
    for (const DriverCall& c : emu->Calls())
        if (c.code == RequestSetTouchMode || c.code == RequestSetRotation || c.code == RequestSetTouchDisabled)
            settings.push_back({c.code, c.in});
    const std::vector<std::pair<uint32_t, std::vector<uint8_t>>> expected = {
        {RequestSetTouchMode, {3}}, {RequestSetTouchMode, {2}},     {RequestSetTouchMode, {1}},
        {RequestSetTouchMode, {1}}, {RequestSetRotation, {3}},      {RequestSetRotation, {1}},
        {RequestSetRotation, {1}},  {RequestSetTouchDisabled, {1}}, {RequestSetTouchDisabled, {0}}};
    EXPECT_EQ(settings, expected);
}

TEST_F(SettingsPageTest, DisabledControlsAndUncheckedGroupsSendNothing) {
    Script::OnPage(SettingsPage, [] {
        Sim()->ClearHistory();
        for (int id : {IDC_SETTINGS_SOFT, IDC_SETTINGS_HARD, IDC_SETTINGS_RIGHT_CLICK, IDC_SETTINGS_UP_SOUND,
                       IDC_SETTINGS_DOWN_SOUND}) {
            EXPECT_FALSE(IsWindowEnabled(PageControl(id)));
            // No input reaches a disabled control (and Wine's BM_CLICK on one never
            // returns); what matters is that the page has no case for its id.
            SendMessageW(CurrentPage(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)PageControl(id));
        }
        for (int id : kModes) SendMessageW(PageControl(id), BM_SETCHECK, BST_UNCHECKED, 0);
        for (int id : kRotations) SendMessageW(PageControl(id), BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageW(CurrentPage(), WM_COMMAND, IDC_SETTINGS_DRAWING, 0);
        SendMessageW(CurrentPage(), WM_COMMAND, IDC_SETTINGS_ROTATE_180, 0);
        EXPECT_TRUE(Sim()->GetTrace().Lines().empty());
    });
}

TEST_F(SettingsPageTest, AChangeIsWhatTheNextActivationShows) {
    Script s;
    s.Show(SettingsPage).Do([] {
        Click(IDC_SETTINGS_ROTATE_180);
        Click(IDC_SETTINGS_BUTTON);
        Click(IDC_SETTINGS_DISABLE);
    });
    s.Reshow(SettingsPage);
    s.Do([] {
        EXPECT_EQ(CheckedOf(kRotations, 4), 2);
        EXPECT_EQ(CheckedOf(kModes, 3), 2);
        EXPECT_TRUE(IsChecked(IDC_SETTINGS_DISABLE));
    });
    s.CloseSheet().RunSheet();
}
