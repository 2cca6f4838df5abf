#include "harness.h"
#include "res/resource.h"
#include "surface/fullscreen.h"

namespace {

// Presses a button that shows a message box, and reads and closes the box.
void PressForMessage(Script& s, int button, const wchar_t* caption, std::wstring* text) {
    s.Open([button] { PostClick(button); })
        .WaitFor([caption] { return FindMessageBox(caption) != NULL; })
        .Do([caption, text] {
            HWND box = FindMessageBox(caption);
            *text = MessageBoxText(box);
            // Owned by the page, whose top-level window, the sheet, owns the box.
            EXPECT_EQ(GetWindow(box, GW_OWNER), SheetWindow());
            CloseMessageBox(box);
        })
        .WaitFor([caption] { return FindMessageBox(caption) == NULL; });
}

// The text of the message a button of the Tools page shows, in a sheet of its own.
std::wstring MessageOf(int button, const wchar_t* caption) {
    std::wstring text;
    Script s;
    s.Show(ToolsPage);
    PressForMessage(s, button, caption, &text);
    s.CloseSheet();
    s.RunSheet();
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
    const RECT original = {0, 454, 640, 480};
    HWND taskbar = CreateTaskbar(original);
    Script s;
    s.Show(ToolsPage)
        .Do([] { Click(IDC_TOOLS_DRAW); })
        .Do([taskbar] {
            ASSERT_TRUE(FullScreenWindow);
            EXPECT_TRUE(IsWindowVisible(FullScreenWindow));
            EXPECT_TRUE(IsWindow(SheetWindow()));
            EXPECT_TRUE(SameRect(WindowRect(taskbar), RECT{0, 0, 0, 0}));
            PostMessageW(FullScreenWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        })
        .WaitFor([] { return !IsWindow(FullScreenWindow); })
        .Do([taskbar, original] { EXPECT_TRUE(SameRect(WindowRect(taskbar), original)); });
    s.CloseSheet();
    s.RunSheet();
    EXPECT_EQ(emu->Frames(), std::vector<std::string>{"R"});
    DestroyWindow(taskbar);
}
