// The full-screen window: free drawing, the grid, Escape, the taskbar and the
// reset on close, with posted mouse and key messages on the real window.
#include "surface/fullscreen.h"

#include "harness.h"
#include "platform/fault_guard.h"
#include "platform/module.h"
#include "sim/unique.h"
#include "surface/calibration_run.h"
#include "surface/gdi_guards.h"

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGrey = RGB(128, 128, 128);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kYellow = RGB(255, 255, 0);

void Post(UINT message, WPARAM wParam, int x = 0, int y = 0) {
    PostMessageW(FullScreenWindow, message, wParam, MAKELPARAM(x, y));
}

void Key(WPARAM key) { Post(WM_KEYDOWN, key); }

// Escape, handled.
void Escape() {
    Key(VK_ESCAPE);
    PumpMessages();
}

// A press, a move with the button held and the release there.
void Stroke(int x0, int y0, int x1, int y1) {
    Post(WM_LBUTTONDOWN, MK_LBUTTON, x0, y0);
    Post(WM_MOUSEMOVE, MK_LBUTTON, x1, y1);
    Post(WM_LBUTTONUP, 0, x1, y1);
}

class FreeDrawTest : public GuiTest {
protected:
    HWND Open() {
        OpenFreeDrawing();
        PumpMessages();
        return FullScreenWindow;
    }
};

volatile uintptr_t g_badAddress = 8;

// What a fault in the window's own handling may hold when it strikes: in
// WM_CREATE a DC of its own and a pen, in WM_PAINT the paint's DC and a pen.
void FaultHoldingADcAndAPen(HWND window) {
    WindowDC dc(window);
    ScopedPen pen(dc, 3, RGB(1, 2, 3));
    *reinterpret_cast<volatile int*>(g_badAddress) = 1;
}

void FaultPaintingWithAPen(HDC dc) {
    ScopedPen pen(dc, 3, RGB(1, 2, 3));
    *reinterpret_cast<volatile int*>(g_badAddress) = 1;
}

// The window's calibration hooks as they were, whichever way a test ends.
struct HooksRestored {
    HooksRestored() = default;
    HooksRestored(const HooksRestored&) = delete;
    HooksRestored& operator=(const HooksRestored&) = delete;
    ~HooksRestored() { WindowCalibration = kept; }
    const CalibrationHooks kept = WindowCalibration;
};

// Whether a FreeDraw window was shown while the hook below watched.
bool g_freeDrawShown = false;

LRESULT CALLBACK WatchShowing(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && m->message == WM_SHOWWINDOW && m->wParam && ClassName(m->hwnd) == L"FreeDraw")
        g_freeDrawShown = true;
    return CallNextHookEx(NULL, code, wParam, lParam);
}

struct PaintCall {
    LinkedGuard* guards;
    HWND window;
};

void PaintDirectly(void* call) {
    FullScreenWindowProc(static_cast<PaintCall*>(call)->window, WM_PAINT, 0, 0);
}

void UndoPaintGuards(void* call) { LinkedGuard::UndoGuardsInside(static_cast<PaintCall*>(call)->guards); }

}  // namespace

TEST_F(FreeDrawTest, WindowIsCaptionlessCoversTheScreenAndIsGrey) {
    HWND w = Open();
    ASSERT_TRUE(w);
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_FALSE(GetWindowLongW(w, GWL_STYLE) & WS_CAPTION);
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    EXPECT_TRUE(SameRect(WindowRect(w), screen));
    RECT client;
    GetClientRect(w, &client);
    EXPECT_TRUE(SameRect(client, screen));  // no frame of any kind
    EXPECT_EQ(WindowPixel(100, 100), kGrey);
    EXPECT_EQ(CalibrationTimer, 0u);  // a drawing window runs no timer
}

TEST_F(FreeDrawTest, StrokesAreConnectedRedLinesWhereTheyWereDrawn) {
    Open();
    Post(WM_LBUTTONDOWN, MK_LBUTTON, 100, 100);
    Post(WM_MOUSEMOVE, MK_LBUTTON, 200, 100);
    Post(WM_MOUSEMOVE, MK_LBUTTON, 200, 200);
    Post(WM_LBUTTONUP, 0, 200, 200);
    Post(WM_MOUSEMOVE, 0, 300, 300);  // pen up: nothing
    PumpMessages();
    EXPECT_EQ(WindowPixel(150, 100), kRed);
    EXPECT_EQ(WindowPixel(150, 99), kGrey);  // one pixel wide
    EXPECT_EQ(WindowPixel(150, 101), kGrey);
    EXPECT_EQ(WindowPixel(200, 150), kRed);
    EXPECT_EQ(WindowPixel(250, 250), kGrey);
    EXPECT_EQ(WindowPixel(150, 150), kGrey);
    EXPECT_EQ(LastPenPoint.x, 200);
    EXPECT_EQ(LastPenPoint.y, 200);
    EXPECT_EQ(InkPresent, 1);
    EXPECT_EQ(PenDown, 0);
}

TEST_F(FreeDrawTest, PressWithShiftOrControlStartsNoStroke) {
    Open();
    for (WPARAM flags : {MK_LBUTTON | MK_SHIFT, MK_LBUTTON | MK_CONTROL}) {
        Post(WM_LBUTTONDOWN, flags, 100, 100);
        Post(WM_MOUSEMOVE, flags, 200, 100);
        PumpMessages();
        EXPECT_EQ(PenDown, 0);
        EXPECT_EQ(InkPresent, 0);
        EXPECT_EQ(WindowPixel(150, 100), kGrey);
    }
}

TEST_F(FreeDrawTest, TapSetsInkWithoutDrawingSoEscapeClearsFirst) {
    HWND w = Open();
    Post(WM_LBUTTONDOWN, MK_LBUTTON, 100, 100);
    Post(WM_LBUTTONUP, 0, 100, 100);
    PumpMessages();
    EXPECT_EQ(InkPresent, 1);
    EXPECT_EQ(WindowPixel(100, 100), kGrey);
    Escape();
    EXPECT_TRUE(IsWindow(w));
    EXPECT_EQ(InkPresent, 0);
    Escape();
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(FreeDrawTest, AStrokeGoingOnAfterAClearIsInkAgain) {
    HWND w = Open();
    Post(WM_LBUTTONDOWN, MK_LBUTTON, 100, 100);
    Key(VK_ESCAPE);  // wipes the tap, the button still held
    Post(WM_MOUSEMOVE, MK_LBUTTON, 200, 100);
    Key(VK_ESCAPE);  // wipes the segment
    PumpMessages();
    EXPECT_TRUE(IsWindow(w));
    EXPECT_EQ(WindowPixel(150, 100), kGrey);
}

TEST_F(FreeDrawTest, GridIsWhiteWithAYellowBandAndIsNotInk) {
    HWND w = Open();
    Key('G');
    PumpMessages();
    EXPECT_EQ(GridShown, 1);
    EXPECT_EQ(InkPresent, 0);
    EXPECT_EQ(WindowPixel(170, 60), kWhite);
    EXPECT_EQ(WindowPixel(164, 60), kYellow);
    EXPECT_EQ(WindowPixel(176, 60), kYellow);
    EXPECT_EQ(WindowPixel(100, 60), kGrey);
    Key(VK_ESCAPE);  // nothing drawn: closes at once, grid and all
    PumpMessages();
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(GridShown, 0);
}

TEST_F(FreeDrawTest, EscapeWipesTheInkPutsTheGridBackThenCloses) {
    HWND w = Open();
    Key('G');
    Stroke(100, 100, 250, 100);
    PumpMessages();
    ASSERT_EQ(WindowPixel(130, 100), kRed);
    Escape();
    EXPECT_TRUE(IsWindow(w));
    EXPECT_EQ(WindowPixel(130, 100), kGrey);
    EXPECT_EQ(WindowPixel(170, 100), kWhite);  // the grid is back, over the wiped stroke
    EXPECT_TRUE(emu->Frames().empty());
    Escape();
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(emu->Frames(), std::vector<std::string>{"R"});
}

TEST_F(FreeDrawTest, TaskbarCollapsesAndComesBackToItsExactRectangle) {
    Taskbar taskbar(RECT{7, 430, 600, 471});
    ASSERT_TRUE(taskbar.Window());
    HWND w = Open();
    EXPECT_EQ(TaskbarWindow, taskbar.Window());
    EXPECT_TRUE(taskbar.Collapsed());
    Escape();
    EXPECT_FALSE(IsWindow(w));
    EXPECT_TRUE(taskbar.InPlace());
    EXPECT_EQ(ScreenPixel(300, 450), kTaskbarColour) << "the taskbar is back but was never asked to paint";
}

TEST_F(FreeDrawTest, WithoutATaskbarNothingElseMoves) {
    HWND bystander = CreateWindowExW(0, L"Static", L"bystander", WS_POPUP | WS_VISIBLE, 30, 40, 200, 100, NULL, NULL,
                                     NULL, NULL);
    RECT before = WindowRect(bystander);
    HWND w = Open();
    EXPECT_EQ(TaskbarWindow, (HWND)NULL);
    Stroke(10, 10, 90, 90);
    Key(VK_ESCAPE);
    Escape();
    EXPECT_FALSE(IsWindow(w));
    EXPECT_TRUE(SameRect(WindowRect(bystander), before));
    DestroyWindow(bystander);
}

TEST_F(FreeDrawTest, OpeningTwiceWorksAndEveryCloseSendsR) {
    for (int round = 1; round <= 2; ++round) {
        HWND w = Open();
        ASSERT_TRUE(w) << round;
        Escape();
        EXPECT_FALSE(IsWindow(w));
        EXPECT_EQ(FullScreenWindow, (HWND)NULL);  // none is open
        EXPECT_EQ(emu->FramesStartingWith("R"), round);
    }
}

TEST_F(FreeDrawTest, AStrokeEndsWithItsWindow) {
    Open();
    Post(WM_LBUTTONDOWN, MK_LBUTTON, 100, 100);
    Key(VK_ESCAPE);  // clears the tap's ink
    Key(VK_ESCAPE);  // closes, the button still held; it is released elsewhere
    PumpMessages();
    ASSERT_FALSE(IsWindow(FullScreenWindow));
    Open();
    EXPECT_EQ(PenDown, 0);
    Post(WM_MOUSEMOVE, 0, 300, 300);  // moving with no button held draws nothing
    PumpMessages();
    EXPECT_EQ(WindowPixel(200, 200), kGrey);
}

TEST_F(FreeDrawTest, AFaultWhileOpeningFailsTheOpenAndLeavesNothingBehind) {
    const RECT original = {0, 450, 640, 480};
    HWND taskbar = CreateTaskbar(original);
    Open();  // once, so that what is made once per process is there before counting
    Key(VK_ESCAPE);
    PumpMessages();
    const int objects = LiveGdiObjects();

    for (int inPaint = 0; inPaint <= 1; ++inPaint) {
        SCOPED_TRACE(inPaint ? "a fault in the first paint" : "a fault in WM_CREATE");
        {
            HooksRestored hooks;
            if (inPaint) {
                WindowCalibration.windowPainted = FaultPaintingWithAPen;
            } else {
                WindowCalibration.windowCreated = FaultHoldingADcAndAPen;
            }
            g_freeDrawShown = false;
            {
                Unique<HHOOK, UnhookWindowsHookEx> watch(
                    SetWindowsHookExW(WH_CALLWNDPROC, WatchShowing, NULL, GetCurrentThreadId()));
                EXPECT_EQ(OpenFullScreenWindow(InstanceHandle), 0);
            }
            // A creation that faulted is refused outright: the window never shows.
            if (!inPaint) {
                EXPECT_FALSE(g_freeDrawShown) << "the half-made window was shown";
            }
            EXPECT_EQ(FullScreenWindow, (HWND)NULL);
            OpenFreeDrawing();
        }
        PumpMessages();
        EXPECT_EQ(FullScreenWindow, (HWND)NULL);
        EXPECT_EQ(ThreadWindowsOfClass(L"FreeDraw"), 0) << "a half-made window is left";
        EXPECT_TRUE(SameRect(WindowRect(taskbar), original));
        EXPECT_EQ(LiveGdiObjects(), objects) << "the pen of the faulted frame is left";

        // The program goes on: the next open works as usual.
        HWND w = Open();
        ASSERT_TRUE(w);
        EXPECT_TRUE(SameRect(WindowRect(taskbar), RECT{0, 0, 0, 0}));
        Key(VK_ESCAPE);
        PumpMessages();
        EXPECT_TRUE(SameRect(WindowRect(taskbar), original));
    }
    DestroyWindow(taskbar);
}

TEST_F(FreeDrawTest, OnceOpenTheWindowHidesNoFault) {
    // The guard covers the open alone. A fault in an open window is the
    // program's own: it must not be taken quietly for a failed open.
    HWND w = Open();
    ASSERT_TRUE(w);
    HooksRestored hooks;
    WindowCalibration.windowPainted = FaultPaintingWithAPen;
    PaintCall call = {LinkedGuard::Innermost(), w};
    EXPECT_EQ(RunGuarded(PaintDirectly, &call, UndoPaintGuards), 0) << "the window's procedure swallowed a fault";
    EXPECT_EQ(FullScreenWindow, w);
}

TEST_F(FreeDrawTest, ASecondOpenOnlyBringsTheWindowToTheFront) {
    Taskbar taskbar(RECT{0, 450, 640, 480});
    HWND w = Open();
    ASSERT_TRUE(w);
    HWND other = CreateWindowExW(0, L"Static", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, NULL, NULL, NULL, NULL);
    SetForegroundWindow(other);
    OpenFreeDrawing();
    PumpMessages();
    EXPECT_EQ(FullScreenWindow, w);
    EXPECT_EQ(ThreadWindowsOfClass(L"FreeDraw"), 1);
    EXPECT_EQ(GetForegroundWindow(), w);
    Escape();
    EXPECT_TRUE(taskbar.InPlace());  // not the collapsed {0, 0, 0, 0}
    DestroyWindow(other);
}
