#include "harness.h"
#include "link/driver.h"
#include "pages/pages.h"
#include "res/resource.h"
#include "surface/fullscreen.h"

using DevicePageTest = GuiTest;

namespace {

// The Device page's window, whichever page is in front.
HWND DevicePageWindow() { return (HWND)SendMessageW(SheetWindow(), PSM_INDEXTOHWND, DevicePage, 0); }

}  // namespace

TEST_F(DevicePageTest, HotKeysAreRegisteredAndOnlyEnableTheirButtons) {
    Script s;
    s.Do([] {
         // Taken already: the page holds them.
         EXPECT_FALSE(RegisterHotKey(NULL, 1, MOD_CONTROL, '5'));
         EXPECT_EQ(GetLastError(), 1409u);
         EXPECT_FALSE(RegisterHotKey(NULL, 2, MOD_CONTROL, '9'));
         SelectPage(SettingsPage);  // the keys reach the Device page whichever page is in front
     })
        .Do([] {
            HWND page = DevicePageWindow();
            HWND five = GetDlgItem(page, IDC_DEVICE_CALIBRATE_5), nine = GetDlgItem(page, IDC_DEVICE_CALIBRATE_9);
            EnableWindow(five, FALSE);
            EnableWindow(nine, FALSE);
            SendMessageW(page, WM_HOTKEY, 291, MAKELPARAM(MOD_CONTROL | MOD_SHIFT, '5'));
            SendMessageW(page, WM_HOTKEY, 292, MAKELPARAM(MOD_CONTROL, '8'));
            EXPECT_FALSE(IsWindowEnabled(five));
            EXPECT_FALSE(IsWindowEnabled(nine));
            SendMessageW(page, WM_HOTKEY, 999, MAKELPARAM(MOD_CONTROL, '5'));  // the id is not examined
            EXPECT_TRUE(IsWindowEnabled(five));
            EXPECT_FALSE(IsWindowEnabled(nine));
            SendMessageW(page, WM_HOTKEY, 292, MAKELPARAM(MOD_CONTROL, '9'));
            EXPECT_TRUE(IsWindowEnabled(nine));
            EXPECT_EQ(FullScreenWindow, (HWND)NULL);
        })
        .CloseSheet();
    s.RunSheet();
    EXPECT_TRUE(emu->Frames().empty());
}

TEST_F(DevicePageTest, ThePageReleasesItsHotKeysAsItGoes) {
    Script s;
    s.Do([] {
         // Called as the page is destroyed, before the window is gone: the
         // desktop would free the keys with the window, CE does not say so.
         DevicePageProc(DevicePageWindow(), WM_DESTROY, 0, 0);
         for (UINT key : {'5', '9'}) {
             EXPECT_TRUE(RegisterHotKey(NULL, 3, MOD_CONTROL, key)) << "Ctrl+" << (char)key << " is still held";
             UnregisterHotKey(NULL, 3);
         }
     })
        .CloseSheet();
    s.RunSheet();
}

TEST_F(DevicePageTest, ActivationShowsTheDeviceNameAgainOverWhatWasTyped) {
    Script s;
    s.Do([] {
         EXPECT_EQ(ControlText(IDC_DEVICE_NAME), L"USB_DEVICE0");
         SetWindowTextW(PageControl(IDC_DEVICE_NAME), L"typed");
     })
        .Reshow(DevicePage)
        .Do([] { EXPECT_EQ(ControlText(IDC_DEVICE_NAME), L"USB_DEVICE0"); })
        .CloseSheet();
    s.RunSheet();
}

TEST_F(DevicePageTest, TheTwoButtonsStartFiveAndNinePointRuns) {
    Script s;
    for (int button : {IDC_DEVICE_CALIBRATE_5, IDC_DEVICE_CALIBRATE_9})
        s.Do([button] { Click(button); }).Do([button] {
            ASSERT_TRUE(FullScreenWindow);
            EXPECT_EQ(Sim()->SelectedMode(), button == IDC_DEVICE_CALIBRATE_5 ? 5 : 9);
            EXPECT_EQ(Sim()->SelectedPoint(), 0);
            SendMessageW(FullScreenWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        });
    s.CloseSheet().RunSheet();
    EXPECT_EQ(emu->Frames(), (std::vector<std::string>{"CR", "R", "CR", "R"}));
}
