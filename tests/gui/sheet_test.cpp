#include "harness.h"

#include <commctrl.h>

#include "res/resource.h"

using SheetTest = GuiTest;

namespace {

std::wstring TabTitle(HWND tabs, int i) {
    wchar_t text[64] = {0};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(tabs, TCM_GETITEMW, i, (LPARAM)&item);
    return text;
}

}  // namespace

TEST_F(SheetTest, OpensTitledOnTheDevicePageWithSixTabsInOrder) {
    Script s;
    s.Do([] {
         HWND sheet = SheetWindow();
         ASSERT_TRUE(sheet);
         HWND tabs = (HWND)SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0);
         ASSERT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 6);
         const wchar_t* titles[6] = {L"General", L"Settings", L"Parameters", L"Tools", L"Device", L"Advance"};
         for (int i = 0; i < 6; ++i) EXPECT_EQ(TabTitle(tabs, i), titles[i]);
         EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 4);
         EXPECT_EQ(ControlText(IDC_DEVICE_NAME), L"USB_DEVICE0");
     }).Do([] { PostMessageW(SheetWindow(), PSM_PRESSBUTTON, PSBTN_CANCEL, 0); });
    s.RunSheet();
    EXPECT_FALSE(SheetWindow());
}

TEST_F(SheetTest, ExitOnTheGeneralPageEndsTheSheetAndSendsNothing) {
    Script s;
    s.Do([] { SelectPage(0); }).Do([] { Click(IDC_GENERAL_EXIT); });
    s.RunSheet();
    EXPECT_FALSE(SheetWindow());
    EXPECT_TRUE(emu->Frames().empty());
}

TEST_F(SheetTest, ClosingTheSheetEndsIt) {
    Script s;
    s.Do([] { PostMessageW(SheetWindow(), WM_CLOSE, 0, 0); });
    s.RunSheet();
    EXPECT_FALSE(SheetWindow());
}

TEST_F(SheetTest, LeavingEveryPageIsAllowed) {
    Script s;
    for (int page : {0, 1, 2, 3, 5, 4, 1})
        s.Do([page] { SelectPage(page); }).Do([page] {
            HWND tabs = (HWND)SendMessageW(SheetWindow(), PSM_GETTABCONTROL, 0, 0);
            EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), page);
        });
    s.Do([] { PostMessageW(SheetWindow(), WM_CLOSE, 0, 0); });
    s.RunSheet();
}
