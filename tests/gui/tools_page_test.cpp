#include "harness.h"
#include "res/resource.h"
#include "surface/fullscreen.h"

namespace {

// Presses a button of the Tools page, in a sheet of its own, and reads and
// closes the message box it shows.
std::wstring MessageOf(int button, const wchar_t* caption) {
    std::wstring text;
    Script()
        .Show(ToolsPage)
        .Open([button] { PostClick(button); })
        .WaitFor([caption] { return FindMessageBox(caption) != NULL; })
        .Do([caption, &text] {
            HWND box = FindMessageBox(caption);
            text = MessageBoxText(box);
            // Owned by the page, whose top-level window, the sheet, owns the box.
            EXPECT_EQ(GetWindow(box, GW_OWNER), SheetWindow());
            CloseMessageBox(box);
        })
        .WaitFor([caption] { return FindMessageBox(caption) == NULL; })
        .CloseSheet()
        .RunSheet();
    return text;
}

}  // namespace

using ToolsPageTest = GuiTest;

TEST_F(ToolsPageTest, InformationShowsTheFixedTextAndAsksNothing) {
    EXPECT_EQ(MessageOf(IDC_TOOLS_INFORMATION, L"Information"), L"USB Device:\nOutput Identity: K72400\nUnit Type: PX07300\n");
    EXPECT_TRUE(emu->Frames().empty());
}

TEST_F(ToolsPageTest, ResetAcceptsEachOddReplyTheLenientCheckAllows) {
    // A lone CR; SOH third from last; '0' second from last; a parameter reply.
    for (const char* reply : {"0D", "014142", "413042", "01313233340D", "01300D"}) {
        Install(std::string("reply=") + reply);
        EXPECT_EQ(MessageOf(IDC_TOOLS_RESET, L"Message"), L"Rest ok!") << reply;
        EXPECT_EQ(emu->Frames(), std::vector<std::string>{"R"}) << reply;
    }
}

TEST_F(ToolsPageTest, SilentControllerFailsResetAndDefaultsAfterFourAttempts) {
    Install("silent=1");
    EXPECT_EQ(MessageOf(IDC_TOOLS_RESET, L"Message"), L"Rest fail!");
    EXPECT_EQ(MessageOf(IDC_TOOLS_DEFAULTS, L"Message"), L"Rest default fail!");
    EXPECT_EQ(emu->FramesStartingWith("R"), 8);
    EXPECT_EQ(emu->FramesStartingWith("RD"), 4);
}

TEST_F(ToolsPageTest, DefaultsRestoresTheFactoryRecords) {
    Install("records=9A:1000");
    EXPECT_EQ(MessageOf(IDC_TOOLS_DEFAULTS, L"Message"), L"Rest default ok!");
    EXPECT_EQ(emu->Record("9A"), "2800");
}

TEST_F(ToolsPageTest, DrawOpensTheWindowOverTheSheetAndCollapsesTheTaskbar) {
    Taskbar taskbar;
    Script s;
    s.Show(ToolsPage)
        .Do([] { Click(IDC_TOOLS_DRAW); })
        .Do([&taskbar] {
            ASSERT_TRUE(FullScreenWindow);
            EXPECT_TRUE(IsWindowVisible(FullScreenWindow));
            EXPECT_TRUE(IsWindow(SheetWindow()));
            EXPECT_TRUE(taskbar.Collapsed());
            PostMessageW(FullScreenWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        })
        .WaitFor([] { return !IsWindow(FullScreenWindow); })
        .Do([&taskbar] { EXPECT_TRUE(taskbar.InPlace()); });
    s.CloseSheet().RunSheet();
    EXPECT_EQ(emu->Frames(), std::vector<std::string>{"R"});
}
