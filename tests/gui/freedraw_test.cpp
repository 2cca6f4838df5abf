// The full-screen window: free drawing, the grid, Escape, the taskbar and the
// reset on close, with posted mouse and key messages on the real window.
#include "surface/fullscreen.h"

#include <algorithm>

#include "harness.h"
#include "platform/fault_guard.h"
#include "platform/module.h"
#include "sim/unique.h"
#include "surface/calibration_run.h"
#include "surface/gdi_guards.h"
#include "surface/overlays.h"
#include "surface/touch_controls.h"

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGrey = RGB(128, 128, 128);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kYellow = RGB(255, 255, 0);
const COLORREF kBlack = RGB(0, 0, 0);

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

int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

// The linearity grid's first inner vertical line on this screen (17/64 of
// the width), and the half-width of its tolerance band (1 %).
int GridLineX() { return (ScreenWidth() * 1088) >> 12; }
int BandHalfWidth() { return ScreenWidth() * 10 / 1000; }

// A touch control's square on this screen.
struct Control {
    ScreenPoint centre;
    int r;
};
Control ControlOnScreen(int control) {
    Control c;
    TouchControlSquare(control, ScreenWidth(), ScreenHeight(), &c.centre, &c.r);
    return c;
}

// From one side of the screen to the other, through the controls' centres.
void StrokeAcrossTheControls() {
    const int y = ControlOnScreen(kCloseControl).centre.y;
    Stroke(10, y, ScreenWidth() - 10, y);
}

void Tap(ScreenPoint p) {
    Post(WM_LBUTTONDOWN, MK_LBUTTON, p.x, p.y);
    Post(WM_LBUTTONUP, 0, p.x, p.y);
    PumpMessages();
}

// Pixels of the window as it stands, a COLORREF each, row by row.
std::vector<COLORREF> WindowPixels(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(NULL, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HDC window = GetDC(FullScreenWindow), memory = CreateCompatibleDC(window);
    HGDIOBJ kept = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, w, h, window, r.left, r.top, SRCCOPY);
    std::vector<COLORREF> pixels(w * h);
    for (int i = 0; i < w * h; ++i) {
        const uint32_t p = static_cast<const uint32_t*>(bits)[i];
        pixels[i] = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    SelectObject(memory, kept);
    DeleteDC(memory);
    ReleaseDC(FullScreenWindow, window);
    DeleteObject(copy);
    return pixels;
}

// Whether a control is drawn, whole: nothing but its black and white in its
// square (the outline's inner half included), black beside its sign, its
// white outline, and at its centre its sign (the x crosses there; the # leaves
// it black).
bool ControlDrawn(int control) {
    const Control c = ControlOnScreen(control);
    const RECT square = {c.centre.x - c.r, c.centre.y - c.r, c.centre.x + c.r + 1, c.centre.y + c.r + 1};
    const std::vector<COLORREF> pixels = WindowPixels(square);
    auto at = [&](int x, int y) { return pixels[(y - square.top) * (2 * c.r + 1) + x - square.left]; };
    for (int y = c.centre.y - c.r; y <= c.centre.y + c.r; ++y)
        for (int x = c.centre.x - c.r; x <= c.centre.x + c.r; ++x)
            if (at(x, y) != kBlack && at(x, y) != kWhite) return false;
    return at(c.centre.x - c.r + 3, c.centre.y) == kBlack && at(c.centre.x - c.r, c.centre.y) == kWhite &&
           at(c.centre.x, c.centre.y) == (control == kCloseControl ? kWhite : kBlack);
}

// Nothing but a touch control is black.
int BlackPixels() {
    const std::vector<COLORREF> pixels = WindowPixels(RECT{0, 0, ScreenWidth(), ScreenHeight()});
    return (int)std::count(pixels.begin(), pixels.end(), kBlack);
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
    const int x = GridLineX(), dx = BandHalfWidth();  // 170 and 6 on 640x480
    EXPECT_EQ(WindowPixel(x, 60), kWhite);
    EXPECT_EQ(WindowPixel(x - dx, 60), kYellow);
    EXPECT_EQ(WindowPixel(x + dx, 60), kYellow);
    EXPECT_EQ(WindowPixel(x - 70, 60), kGrey);
    Key(VK_ESCAPE);  // nothing drawn: closes at once, grid and all
    PumpMessages();
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(GridShown, 0);
}

TEST_F(FreeDrawTest, EscapeWipesTheInkPutsTheGridBackThenCloses) {
    HWND w = Open();
    Key('G');
    const int x = GridLineX();
    Stroke(x - 70, 100, x + 80, 100);
    PumpMessages();
    ASSERT_EQ(WindowPixel(x - 40, 100), kRed);
    Escape();
    EXPECT_TRUE(IsWindow(w));
    EXPECT_EQ(WindowPixel(x - 40, 100), kGrey);
    EXPECT_EQ(WindowPixel(x, 100), kWhite);  // the grid is back, over the wiped stroke
    EXPECT_TRUE(emu->Frames().empty());
    Escape();
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(emu->Frames(), std::vector<std::string>{"R"});
}

TEST_F(FreeDrawTest, TaskbarCollapsesAndComesBackToItsExactRectangle) {
    const int w = ScreenWidth(), h = ScreenHeight();
    Taskbar taskbar(RECT{7, h - 50, w - 40, h - 9});
    ASSERT_TRUE(taskbar.Window());
    HWND window = Open();
    EXPECT_EQ(TaskbarWindow, taskbar.Window());
    EXPECT_TRUE(taskbar.Collapsed());
    Escape();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(taskbar.InPlace());
    EXPECT_EQ(ScreenPixel(w / 2, h - 30), kTaskbarColour) << "the taskbar is back but was never asked to paint";
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

TEST_F(FreeDrawTest, EachKeyboardGetsControlsForTheKeysItLacksAndAWholeOneNone) {
    const struct {
        uint32_t status;
        bool close, grid, closeInARun;
    } cases[] = {{kFullKeyboard, false, false, false},
                 {0, true, true, true},
                 {kKeyboardPresent | kKeyboardEnabled | kKeyboardEnterEsc, false, true, false},  // a keypad
                 {kKeyboardPresent | kKeyboardEnabled | kKeyboardAlphaNum, true, false, true}};  // no Escape
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        emu->Config().keyboardStatus = c.status;
        Open();
        EXPECT_EQ(ControlDrawn(kCloseControl), c.close) << "not in the first paint";
        EXPECT_EQ(ControlDrawn(kGridControl), c.grid) << "not in the first paint";
        // Keys whose drawing crosses the controls: the grid, then a wipe.
        for (WPARAM key : {(WPARAM)'G', (WPARAM)VK_ESCAPE}) {
            Stroke(10, 30, ScreenWidth() - 10, 30);
            Key(key);
            PumpMessages();
            EXPECT_EQ(ControlDrawn(kCloseControl), c.close) << key;
            EXPECT_EQ(ControlDrawn(kGridControl), c.grid) << key;
        }
        if (!c.close && !c.grid) {
            EXPECT_EQ(BlackPixels(), 0) << "the window is not as it always was";
        }
        Escape();
        ASSERT_FALSE(IsWindow(FullScreenWindow));

        StartCalibration(5);
        ASSERT_TRUE(FullScreenWindow);
        KillTimer(FullScreenWindow, kCalibrationTimerId);
        PumpMessages();
        // A stroke across the controls: the pen's coming up draws them again.
        Stroke(10, 30, ScreenWidth() - 10, 30);
        PumpMessages();
        SendCalibrationTick();
        EXPECT_EQ(ControlDrawn(kCloseControl), c.closeInARun);
        EXPECT_FALSE(ControlDrawn(kGridControl)) << "in a run every other touch is the target's";
        if (!c.closeInARun) {
            EXPECT_EQ(BlackPixels(), 0) << "the run's window is not as it always was";
        }
        Key(VK_ESCAPE);  // wipes
        Escape();
        ASSERT_FALSE(IsWindow(FullScreenWindow));
    }
}

TEST_F(FreeDrawTest, ByTouchAloneAStrokeIsWipedTheGridShownAndTheWindowClosed) {
    Install("keyboard=none");
    const int w = ScreenWidth(), h = ScreenHeight();
    const RECT bottom = {0, h - 26, w, h};
    Taskbar taskbar(bottom);
    HWND window = Open();
    const Control close = ControlOnScreen(kCloseControl), grid = ControlOnScreen(kGridControl);

    // A stroke that starts outside a control draws across it; at pen-up the
    // control is drawn again over the ink.
    const int y = close.centre.y, x0 = close.centre.x - 3 * close.r, x1 = close.centre.x + 2 * close.r;
    Stroke(x0, y, x1, y);
    PumpMessages();
    EXPECT_EQ(WindowPixel(x0 + 5, y), kRed);
    EXPECT_EQ(WindowPixel(x1 - 5, y), kRed);
    EXPECT_TRUE(ControlDrawn(kCloseControl));

    Tap(close.centre);  // Escape with ink: a wipe
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(InkPresent, 0);
    EXPECT_EQ(WindowPixel(x0 + 5, y), kGrey);
    EXPECT_TRUE(ControlDrawn(kCloseControl) && ControlDrawn(kGridControl)) << "the wipe took the controls too";

    // G, and nothing else: what the pen does until it is lifted draws nothing.
    Post(WM_LBUTTONDOWN, MK_LBUTTON, grid.centre.x, grid.centre.y);
    Post(WM_MOUSEMOVE, MK_LBUTTON, grid.centre.x, grid.centre.y + 100);
    Post(WM_LBUTTONUP, 0, grid.centre.x, grid.centre.y + 100);
    PumpMessages();
    EXPECT_EQ(GridShown, 1);
    EXPECT_EQ(InkPresent, 0);
    EXPECT_EQ(WindowPixel(GridLineX(), 60), kWhite);
    EXPECT_EQ(WindowPixel(grid.centre.x, grid.centre.y + 50), kGrey);
    EXPECT_TRUE(ControlDrawn(kCloseControl) && ControlDrawn(kGridControl)) << "the grid covers the controls";
    EXPECT_TRUE(emu->Frames().empty());

    Tap(close.centre);  // nothing drawn (the grid is no ink): closes
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(emu->Frames(), std::vector<std::string>{"R"});
    EXPECT_TRUE(taskbar.InPlace());
    EXPECT_EQ(ScreenPixel(w / 2, h - 13), kTaskbarColour) << "the taskbar was not painted again";
}

// The controls are drawn again when something was drawn over them (ink, a
// wipe, the grid, a paint), and at no other time: an unbuffered panel would
// show each drawing as a flicker. A patch painted over the close control
// stays until something of the window's own crosses it.
TEST_F(FreeDrawTest, TheControlsAreDrawnAgainOnlyWhenSomethingWasDrawnOverThem) {
    Install("keyboard=none");
    const struct {
        const char* what;
        bool calibrating;
        void (*act)();
        bool drawn;
    } cases[] = {
        {"ticks of a run", true, [] { for (int i = 0; i < 3; ++i) SendCalibrationTick(); }, false},
        {"a stroke away from them", false, [] { Stroke(100, 300, 300, 400); }, false},
        {"a stroke across them", false, StrokeAcrossTheControls, true},
        {"a stroke across them, in a run", true, StrokeAcrossTheControls, true},
        {"the grid", false, [] { Key('G'); }, true},
        {"a wipe", false, [] { Stroke(100, 300, 300, 400); Key(VK_ESCAPE); }, true},
        {"a paint", false, [] { InvalidateRect(FullScreenWindow, NULL, TRUE); }, true},
    };
    for (const auto& c : cases) {
        if (c.calibrating) {
            StartCalibration(9);
            KillTimer(FullScreenWindow, kCalibrationTimerId);
        } else {
            Open();
        }
        PumpMessages();
        ASSERT_TRUE(ControlDrawn(kCloseControl)) << c.what;
        const Control close = ControlOnScreen(kCloseControl);
        {
            WindowDC dc(FullScreenWindow);
            ScopedBrush patch(dc, RGB(0, 0, 255));
            const RECT r = {close.centre.x - close.r, close.centre.y - close.r, close.centre.x + close.r + 1,
                            close.centre.y + close.r + 1};
            FillRect(dc, &r, patch.Get());
        }
        c.act();
        PumpMessages();
        EXPECT_EQ(ControlDrawn(kCloseControl), c.drawn) << c.what;
        InkPresent = 0;
        Escape();
        ASSERT_FALSE(IsWindow(FullScreenWindow)) << c.what;
    }
}
