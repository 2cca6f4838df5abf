#include "harness.h"

#include <commctrl.h>

#include "link/driver.h"
#include "pages/pages.h"
#include "res/resource.h"
#include "surface/calibration_capture.h"
#include "surface/fullscreen.h"

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

// What the screen shows of a window: its pixels, copied from the screen.
struct ScreenPixels {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[y * width + x]; }
};

ScreenPixels Screenshot(HWND window) {
    RECT r = WindowRect(window);
    ScreenPixels shot;
    shot.width = r.right - r.left;
    shot.height = r.bottom - r.top;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, shot.width, shot.height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, r.left, r.top, SRCCOPY);
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) shot.pixels.push_back(GetPixel(memory, x, y));
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return shot;
}

// The program's state as it starts, taken while this binary starts: before
// any test or fixture has touched it.
const std::pair<const char*, bool> kAtStart[] = {
    {"no driver is open", DriverHandle == PORT_INVALID_HANDLE},
    {"calibration mode 0", CalibrationMode == 0},
    {"point 0", CurrentPointIndex == 0},
    {"capture idle", CaptureState == CaptureIdle},
    {"no run active", CalibrationActive == 0},
    {"no ticks", TickCount == 0},
    {"no timer", CalibrationTimer == 0},
    {"no full-screen window", FullScreenWindow == NULL},
    {"no taskbar", TaskbarWindow == NULL},
    {"no saved taskbar rectangle", SameRect(SavedTaskbarRect, RECT{0, 0, 0, 0})},
    {"pen up", PenDown == 0},
    {"no ink", InkPresent == 0},
    {"no grid", GridShown == 0},
    {"no last pen point", LastPenPoint.x + LastPenPoint.y == 0},
    {"an empty table",
     (CalibrationTable[0].x | CalibrationTable[0].y | CalibrationTable[8].x | CalibrationTable[8].y) == 0},
};

}  // namespace

TEST(ProgramStart, NoDriverIsOpenAndEveryOtherStateIsZero) {
    for (const auto& [what, holds] : kAtStart) EXPECT_TRUE(holds) << what;
}

TEST_F(SheetTest, OpensTitledOnTheDevicePageWithSixTabsInOrder) {
    Script s;
    s.Do([] {
         HWND sheet = SheetWindow();
         ASSERT_TRUE(sheet);
         HWND tabs = (HWND)SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0);
         ASSERT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), SheetPageCount);
         const wchar_t* titles[SheetPageCount] = {L"General", L"Settings", L"Parameters",
                                                  L"Tools",   L"Device",   L"Advance"};
         for (int i = 0; i < SheetPageCount; ++i) EXPECT_EQ(TabTitle(tabs, i), titles[i]);
         EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), DevicePage);
         EXPECT_EQ(ControlText(IDC_DEVICE_NAME), L"USB_DEVICE0");
     }).Do([] { PostMessageW(SheetWindow(), PSM_PRESSBUTTON, PSBTN_CANCEL, 0); });
    s.RunSheet();
    EXPECT_FALSE(SheetWindow());
}

TEST_F(SheetTest, ExitOnTheGeneralPageEndsTheSheetAndSendsNothing) {
    Script s;
    s.Show(GeneralPage).Do([] { Click(IDC_GENERAL_EXIT); });
    s.RunSheet();
    EXPECT_FALSE(SheetWindow());
    EXPECT_TRUE(emu->Frames().empty());
}

TEST_F(SheetTest, TheBannerLeavesTheExitButtonAlone) {
    int face = 0, caption = 0, other = 0;
    Script s;
    s.Show(GeneralPage)
        .Pause(300)
        .Do([&] {
            HWND exit = PageControl(IDC_GENERAL_EXIT);
            ASSERT_TRUE(IsWindowVisible(exit));
            ScreenPixels shot = Screenshot(exit);
            // Inside the button's edge: its face, and its caption in the middle.
            for (int y = 3; y < shot.height - 3; ++y)
                for (int x = 3; x < shot.width - 3; ++x) {
                    COLORREF c = shot.At(x, y);
                    if (c == GetSysColor(COLOR_BTNFACE)) ++face;
                    else if (c == GetSysColor(COLOR_BTNTEXT)) ++caption;
                    else ++other;
                }
        })
        .CloseSheet();
    s.RunSheet();
    int inside = face + caption + other;
    ASSERT_GT(inside, 0);
    EXPECT_GE(face, inside * 3 / 4) << "the button's face is covered: " << face << " of " << inside;
    EXPECT_GE(caption, 10) << "no caption on the button";
    EXPECT_LE(other, inside / 10) << other << " pixels are neither face nor caption";
}

TEST_F(SheetTest, ClosingTheSheetEndsIt) {
    Script s;
    s.CloseSheet().RunSheet();
    EXPECT_FALSE(SheetWindow());
}

TEST_F(SheetTest, EveryPageLetsTheUserLeave) {
    Script s;
    for (SheetPage page : {GeneralPage, SettingsPage, ParametersPage, ToolsPage, AdvancePage, DevicePage, SettingsPage})
        s.Show(page).Do([page] {
            HWND tabs = (HWND)SendMessageW(SheetWindow(), PSM_GETTABCONTROL, 0, 0);
            EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), page);
        });
    s.Do([] {
         // PSN_KILLACTIVE: FALSE as the message result on every page; the Tools and
         // Advance procedures return TRUE, the others FALSE.
         struct Case {
             SheetPage page;
             DLGPROC proc;
             INT_PTR returns;
         };
         const Case cases[] = {{SettingsPage, SettingsPageProc, FALSE}, {ParametersPage, ParametersPageProc, FALSE},
                               {ToolsPage, ToolsPageProc, TRUE},         {DevicePage, DevicePageProc, FALSE},
                               {AdvancePage, AdvancePageProc, TRUE}};
         for (const Case& c : cases) {
             SelectPage(c.page);
             HWND page = CurrentPage();
             SetWindowLongPtrW(page, DWLP_MSGRESULT, 77);
             NMHDR header = {SheetWindow(), 0, (UINT)PSN_KILLACTIVE};
             EXPECT_EQ(c.proc(page, WM_NOTIFY, 0, (LPARAM)&header), c.returns) << c.page;
             EXPECT_EQ(GetWindowLongPtrW(page, DWLP_MSGRESULT), FALSE) << c.page;
             EXPECT_EQ(c.proc(page, WM_TIMER, 0, 0), FALSE);
         }
     });
    s.CloseSheet().RunSheet();
}
