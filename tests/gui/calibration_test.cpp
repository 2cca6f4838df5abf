// Calibration runs in the real sheet and window, ticks driven by WM_TIMER,
// touches made on the emulated panel.
#include <stdio.h>

#include <algorithm>

#include "harness.h"
#include "link/driver.h"
#include "link/exchange.h"
#include "platform/module.h"
#include "res/resource.h"
#include "surface/calibration_run.h"
#include "surface/fullscreen.h"
#include "surface/overlay_geometry.h"
#include "surface/touch_controls.h"

namespace {

const std::vector<int> kNine = {0, 1, 2, 3, 4, 5, 6, 7, 8};
const std::vector<int> kFive = {0, 2, 4, 6, 8};

std::string Hex(int v, int digits) {
    char s[8];
    FormatHex((uint32_t)v, digits, s);
    return std::string(s, digits);
}

// The frames that upload this table: x and y of each point, then "PL".
std::vector<std::string> UploadOf(const CalibrationPoint (&t)[9]) {
    std::vector<std::string> out;
    for (int k = 0; k < 9; ++k) {
        out.push_back("SP" + Hex(0x10 + 2 * k, 2) + Hex(t[k].x, 4));
        out.push_back("SP" + Hex(0x11 + 2 * k, 2) + Hex(t[k].y, 4));
    }
    out.push_back("PL");
    return out;
}

struct WindowCreation {
    bool seen = false;
    int selects = 0;
    int point = -1;
    bool controllerCalibrating = false;
};
WindowCreation g_creation;
HHOOK g_cbt = NULL;

LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && Sim()) {
        const CBT_CREATEWNDW* c = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
        if (!IS_INTRESOURCE(c->lpcs->lpszClass) && wcscmp(c->lpcs->lpszClass, L"FreeDraw") == 0) {
            g_creation.seen = true;
            g_creation.selects = Sim()->SelectCount();
            g_creation.point = Sim()->SelectedPoint();
            g_creation.controllerCalibrating = Sim()->InCalibrationMode();
        }
    }
    return CallNextHookEx(g_cbt, code, wParam, lParam);
}

class CalibrationTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        g_creation = WindowCreation();
        g_cbt = SetWindowsHookExW(WH_CBT, WatchCreation, NULL, GetCurrentThreadId());
    }
    void TearDown() override {
        UnhookWindowsHookEx(g_cbt);
        GuiTest::TearDown();
    }

    // Press at the current target, tick (sample), release, tick (complete).
    static void CompleteTarget(Script& s, int position, bool lastTickPosted) {
        s.Do([position] {
             TouchTarget(position);
             SendCalibrationTick();
             EXPECT_EQ(CaptureState, CaptureWaitingComplete) << position;
             Sim()->TouchUp();
         });
        if (lastTickPosted)
            s.Open([] { PostMessageW(FullScreenWindow, WM_TIMER, kCalibrationTimerId, 0); });
        else
            s.Do([] { SendCalibrationTick(); });
    }

    // Clicks the button; the run's window is kept in `run`.
    void StartRun(Script& s, int button, bool killTimer = true) {
        s.Do([button] { Click(button); }).Do([this, killTimer] {
            run = FullScreenWindow;
            ASSERT_TRUE(run);
            if (killTimer) KillTimer(FullScreenWindow, kCalibrationTimerId);
        });
    }

    // A 9-point run whose upload fails at its fifth frame, up to its message.
    void RunToTheFailureMessage(Script& s, bool realTimer) {
        Install("drop=SP1:5");
        StartRun(s, IDC_DEVICE_CALIBRATE_9, !realTimer);
        for (size_t i = 0; i < kNine.size(); ++i) CompleteTarget(s, kNine[i], i + 1 == kNine.size());
        s.WaitFor([] { return FindMessageBox(L"Message") != NULL; });
    }

    void RunAll(Script& s, int button, const std::vector<int>& positions) {
        StartRun(s, button);
        for (size_t i = 0; i < positions.size(); ++i) CompleteTarget(s, positions[i], false);
        s.WaitFor([] { return !IsWindow(FullScreenWindow); });
        s.CloseSheet();
    }

    std::vector<std::string> UploadFrames() const {
        std::vector<std::string> out;
        for (const std::string& f : emu->Frames())
            if (f.compare(0, 2, "SP") == 0 || f == "PL") out.push_back(f);
        return out;
    }

    std::vector<std::string> LastFrames(size_t n) const {
        const std::vector<std::string>& f = emu->Frames();
        return std::vector<std::string>(f.end() - std::min(n, f.size()), f.end());
    }

    // The raw point the panel reports for a press on target k.
    CalibrationPoint RawAtTarget(int k) const {
        RawPoint raw = emu->Panel().Raw(TargetOnScreen(k).x, TargetOnScreen(k).y);
        return CalibrationPoint{raw.x, raw.y};
    }

    // The driver is told each next point only after the previous one completed.
    void ExpectPointsSelectedInTurn(int mode, int count) {
        uint8_t selected = 0;
        bool completed = true;
        for (const DriverCall& c : emu->Calls()) {
            if (c.code == RequestIsPointComplete && c.out == std::vector<uint8_t>{1}) completed = true;
            if (c.code == RequestSelectCalibrationPoint) {
                EXPECT_TRUE(completed) << "point " << (int)selected << " selected before the previous completed";
                EXPECT_EQ(c.in, (std::vector<uint8_t>{(uint8_t)mode, selected}));
                ++selected;
                completed = false;
            }
        }
        EXPECT_EQ(selected, count);
    }

    HWND run = NULL;
};

}  // namespace

TEST_F(CalibrationTest, NinePointRunUploadsTheSamplesAndMapsWithinOnePercent) {
    Taskbar taskbar;
    Script s;
    RunAll(s, IDC_DEVICE_CALIBRATE_9, kNine);
    s.RunSheet();

    ASSERT_TRUE(g_creation.seen);
    EXPECT_EQ(g_creation.selects, 1);  // point 0 was told before the window opened
    EXPECT_EQ(g_creation.point, 0);
    EXPECT_TRUE(g_creation.controllerCalibrating);
    ExpectPointsSelectedInTurn(9, 9);

    CalibrationPoint t[9];
    for (int k : kNine) t[k] = RawAtTarget(k);
    EXPECT_EQ(UploadFrames(), UploadOf(t));
    ASSERT_GE(emu->Frames().size(), 3u);
    EXPECT_EQ(emu->Frames().front(), "CR");
    EXPECT_EQ(LastFrames(3), (std::vector<std::string>{"PL", "R", "R"}));

    ASSERT_TRUE(emu->Quality().valid);
    EXPECT_LE(emu->Quality().errTargets, 1.0);
    printf("9-point CAL err9=%.2f errgrid=%.2f\n", emu->Quality().errTargets, emu->Quality().errGrid);
    EXPECT_TRUE(taskbar.InPlace());
    EXPECT_EQ(CalibrationActive, 0);
    EXPECT_EQ(CaptureState, CaptureIdle);
    EXPECT_EQ(CalibrationMode, 0);
    EXPECT_EQ(CountMessageBoxes(), 0);
}

TEST_F(CalibrationTest, FivePointRunUploadsMidpointsWithHalvesDropped) {
    Script s;
    RunAll(s, IDC_DEVICE_CALIBRATE_5, kFive);
    s.RunSheet();
    ExpectPointsSelectedInTurn(5, 5);

    CalibrationPoint t[9];
    for (int k : kFive) t[k] = RawAtTarget(k);
    auto mid = [&](int a, int b) { return CalibrationPoint{(t[a].x + t[b].x) / 2, (t[a].y + t[b].y) / 2}; };
    t[3] = mid(2, 4);
    t[5] = mid(4, 6);
    t[7] = mid(6, 8);
    t[1] = mid(8, 2);
    EXPECT_EQ(UploadFrames(), UploadOf(t));
    ASSERT_TRUE(emu->Quality().valid);
    printf("5-point CAL err9=%.2f errgrid=%.2f\n", emu->Quality().errTargets, emu->Quality().errGrid);
}

TEST_F(CalibrationTest, TargetTimesOutOnItsHundredTwentySixthTickWithoutUploadOrMessage) {
    Script s;
    StartRun(s, IDC_DEVICE_CALIBRATE_9);
    s.Do([] {
        for (int i = 0; i < 125; ++i) SendCalibrationTick();
        EXPECT_TRUE(IsWindow(FullScreenWindow));
        EXPECT_EQ(TickCount, 125);
        SendCalibrationTick();
        EXPECT_FALSE(IsWindow(FullScreenWindow));
        EXPECT_EQ(TickCount, 0);
        EXPECT_EQ(CalibrationMode, 0);
        EXPECT_EQ(CalibrationActive, 0);
        EXPECT_EQ(CountMessageBoxes(), 0);
    });
    s.CloseSheet().RunSheet();
    EXPECT_EQ(emu->Frames(), (std::vector<std::string>{"CR", "R"}));
}

TEST_F(CalibrationTest, APointCompletingOnItsHundredTwentySixthTickGoesOn) {
    Script s;
    StartRun(s, IDC_DEVICE_CALIBRATE_9);
    s.Do([] {
        for (int i = 0; i < 124; ++i) SendCalibrationTick();
        TouchTarget(0);
        SendCalibrationTick();  // 125th: the sample
        Sim()->TouchUp();
        SendCalibrationTick();  // 126th: the point completes, so the target does not time out
        EXPECT_TRUE(IsWindow(FullScreenWindow));
        EXPECT_EQ(TickCount, 0);
        EXPECT_EQ(CurrentPointIndex, 1);
        EXPECT_EQ(Sim()->SelectedPoint(), 1);
        PostMessageW(FullScreenWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    s.WaitFor([] { return !IsWindow(FullScreenWindow); });
    s.CloseSheet().RunSheet();
}

TEST_F(CalibrationTest, EscapeWithNothingDrawnAbortsAndALaterDrawWindowHasNoFrameOrTimer) {
    Script s;
    StartRun(s, IDC_DEVICE_CALIBRATE_9, false);
    s.Do([] {
         SendCalibrationTick();
         EXPECT_TRUE(CalibrationTimer);
         SendMessageW(FullScreenWindow, WM_KEYDOWN, VK_ESCAPE, 0);
         EXPECT_FALSE(IsWindow(FullScreenWindow));
         EXPECT_EQ(CalibrationActive, 0);
         CalibrationTimer = 0;
         SelectPage(ToolsPage);
         Click(IDC_TOOLS_DRAW);
     })
        .Do([] {
            ASSERT_TRUE(FullScreenWindow);
            EXPECT_EQ(CalibrationTimer, 0u);
            EXPECT_EQ(WindowPixel(20, 100), RGB(128, 128, 128));  // no frame line
            SendMessageW(FullScreenWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        })
        .CloseSheet();
    s.RunSheet();
    EXPECT_EQ(emu->Frames(), (std::vector<std::string>{"CR", "R", "R"}));
    EXPECT_EQ(emu->CommitCount(), 0);
}

TEST_F(CalibrationTest, EscapeWithSomethingDrawnOnlyClearsAndTheRunGoesOn) {
    Script s;
    StartRun(s, IDC_DEVICE_CALIBRATE_9);
    s.Do([] {
        SendMessageW(FullScreenWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
        SendMessageW(FullScreenWindow, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 120));
        SendMessageW(FullScreenWindow, WM_LBUTTONUP, 0, MAKELPARAM(150, 120));
        SendMessageW(FullScreenWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(IsWindow(FullScreenWindow));
        EXPECT_EQ(CalibrationActive, 1);
    });
    for (int k : kNine) CompleteTarget(s, k, false);
    s.WaitFor([] { return !IsWindow(FullScreenWindow); });
    s.CloseSheet().RunSheet();
    EXPECT_EQ(emu->CommitCount(), 1);
}

TEST_F(CalibrationTest, FailingUploadShowsTheMessageOnceWithNoStrayTickAndStillSendsR) {
    Script s;
    RunToTheFailureMessage(s, true);  // the real timer runs on
    s.Pause(1300)  // more than two periods of the timer, were it still running
        .Do([] {
            HWND message = FindMessageBox(L"Message");
            EXPECT_EQ(MessageBoxText(message), L"Do calibration fail!");
            EXPECT_EQ(GetWindow(message, GW_OWNER), (HWND)NULL);
            EXPECT_EQ(CountMessageBoxes(), 1);
            CloseMessageBox(message);
        })
        .WaitFor([] { return !IsWindow(FullScreenWindow); })
        .CloseSheet();
    s.RunSheet();

    ExpectNoPollAfterTheUpload(*emu);
    EXPECT_EQ(emu->FramesStartingWith("PL"), 0);
    EXPECT_EQ(emu->FramesStartingWith("SP15"), 0);
    EXPECT_EQ(LastFrames(2), (std::vector<std::string>{"R", "R"}));
}

namespace {

// A press and release of the real mouse at a screen point.
void TapWithTheMouse(int x, int y) {
    INPUT input[3] = {};
    const int screenX = GetSystemMetrics(SM_CXSCREEN) - 1, screenY = GetSystemMetrics(SM_CYSCREEN) - 1;
    for (INPUT& i : input) {
        i.type = INPUT_MOUSE;
        i.mi.dx = x * 65535 / screenX;
        i.mi.dy = y * 65535 / screenY;
    }
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(3, input, sizeof(INPUT));
}

}  // namespace

TEST_F(CalibrationTest, TheFailureMessageKeepsInputFromTheWindowUntilOk) {
    Taskbar taskbar;
    Script s;
    RunToTheFailureMessage(s, false);
    s.Do([] {
         EXPECT_FALSE(IsWindowEnabled(FullScreenWindow));
         TapWithTheMouse(100, 300);
     })
        .Pause(300)
        .Do([this, &taskbar] {
            EXPECT_EQ(InkPresent, 0) << "the tap reached the window";
            EXPECT_TRUE(IsWindow(run));
            EXPECT_TRUE(taskbar.Collapsed());
            CloseMessageBox(FindMessageBox(L"Message"));
        })
        .WaitFor([] { return !IsWindow(FullScreenWindow); })
        .CloseSheet();
    s.RunSheet();
    EXPECT_FALSE(IsWindow(run));
    EXPECT_TRUE(taskbar.InPlace());
    EXPECT_EQ(LastFrames(2), (std::vector<std::string>{"R", "R"}));
}

TEST_F(CalibrationTest, ARunWhoseWindowWentWhileTheMessageWasUpLeavesTheNextRunAlone) {
    Taskbar taskbar;
    HWND next = NULL;
    Script s;
    RunToTheFailureMessage(s, false);
    s.Do([this] { SendMessageW(run, WM_KEYDOWN, VK_ESCAPE, 0); })  // it goes, however
        .Do([this, &next, &taskbar] {
            EXPECT_FALSE(IsWindow(run));
            EXPECT_TRUE(taskbar.InPlace());
            Click(IDC_DEVICE_CALIBRATE_9);  // a new run while the old one's message waits
            next = FullScreenWindow;
            ASSERT_TRUE(next);
            KillTimer(next, kCalibrationTimerId);
            CloseMessageBox(FindMessageBox(L"Message"));
        })
        .WaitFor([] { return FindMessageBox(L"Message") == NULL; })
        .Pause(100)
        .Do([&next, &taskbar] {
            // The old run finished without touching the new one.
            EXPECT_TRUE(IsWindow(next));
            EXPECT_EQ(FullScreenWindow, next);
            EXPECT_EQ(CalibrationActive, 1);
            EXPECT_EQ(CaptureState, CaptureWaitingSample);
            EXPECT_EQ(CalibrationMode, 9);
            EXPECT_TRUE(Sim()->InCalibrationMode());
            EXPECT_TRUE(taskbar.Collapsed());
            SendMessageW(next, WM_KEYDOWN, VK_ESCAPE, 0);
            EXPECT_TRUE(taskbar.InPlace());
        })
        .CloseSheet();
    s.RunSheet();
    // The old run's window closing, the new run's start, its window closing.
    EXPECT_EQ(LastFrames(3), (std::vector<std::string>{"R", "CR", "R"}));
}

TEST_F(CalibrationTest, WhileAWindowIsOpenDrawAndBothRunsOnlyBringItToTheFront) {
    Taskbar taskbar;
    DWORD started = 0;
    Script s;
    s.Do([&started] {
         started = GetTickCount();
         Click(IDC_DEVICE_CALIBRATE_9);  // the run's real timer runs
     })
        .Do([this, &taskbar] {
            run = FullScreenWindow;
            ASSERT_TRUE(run);
            Click(IDC_DEVICE_CALIBRATE_9);
            Click(IDC_DEVICE_CALIBRATE_5);
            SelectPage(ToolsPage);
            Click(IDC_TOOLS_DRAW);
            EXPECT_EQ(FullScreenWindow, run);
            EXPECT_EQ(ThreadWindowsOfClass(L"FreeDraw"), 1);
            EXPECT_EQ(Sim()->Frames(), std::vector<std::string>{"CR"});
            EXPECT_EQ(Sim()->SelectCount(), 1);
            EXPECT_EQ(CalibrationMode, 9);
            EXPECT_TRUE(taskbar.Collapsed());
        })
        .Pause(1600)
        .Do([this, &started, &taskbar] {
            // One timer: no more ticks than the time allows.
            EXPECT_LE(TickCount, (int)((GetTickCount() - started) / kCalibrationTimerMs) + 1);
            SendMessageW(run, WM_KEYDOWN, VK_ESCAPE, 0);
            EXPECT_TRUE(taskbar.InPlace());
            // And the other way round: a drawing window, then the two runs.
            Click(IDC_TOOLS_DRAW);
            run = FullScreenWindow;
            ASSERT_TRUE(run);
            Sim()->ClearHistory();
            SelectPage(DevicePage);
            Click(IDC_DEVICE_CALIBRATE_9);
            Click(IDC_DEVICE_CALIBRATE_5);
            EXPECT_EQ(FullScreenWindow, run);
            EXPECT_EQ(ThreadWindowsOfClass(L"FreeDraw"), 1);
            EXPECT_TRUE(Sim()->Frames().empty());
            EXPECT_EQ(CalibrationActive, 0);
            SendMessageW(run, WM_KEYDOWN, VK_ESCAPE, 0);
            EXPECT_TRUE(taskbar.InPlace());
        })
        .CloseSheet();
    s.RunSheet();
}

TEST_F(CalibrationTest, EachTickDrawsTheBarTheBlinkingTargetAndOnceTouchedItsMarker) {
    const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255), bar = RGB(0xE1, 0, 0),
                   unlit = RGB(0xC8, 0xD0, 0xC8), yellow = RGB(255, 255, 0), grey = RGB(128, 128, 128);
    StartCalibration(9);
    ASSERT_TRUE(FullScreenWindow);
    KillTimer(FullScreenWindow, kCalibrationTimerId);
    PumpMessages();
    EXPECT_EQ(WindowPixel(20, 100), RGB(255, 255, 255));  // the frame, painted first
    const ScreenPoint centre = TargetOnScreen(0), right = TargetOnScreen(1);
    SendCalibrationTick();  // 1: the bar begins, the target is lit
    EXPECT_EQ(WindowPixel(2, 475), bar);
    EXPECT_EQ(WindowPixel(8, 475), grey);
    EXPECT_EQ(WindowPixel(centre.x - 5, centre.y), red);
    EXPECT_EQ(WindowPixel(centre.x - 10, centre.y), green);
    EXPECT_EQ(WindowPixel(centre.x - 15, centre.y), blue);
    SendCalibrationTick();  // 2: longer, and unlit
    EXPECT_EQ(WindowPixel(8, 475), bar);
    EXPECT_EQ(WindowPixel(centre.x - 5, centre.y), unlit);
    EXPECT_EQ(WindowPixel(centre.x - 15, centre.y), unlit);
    Sim()->TouchDown(centre.x, centre.y);
    SendCalibrationTick();  // 3: the sample: yellow over the rings
    EXPECT_EQ(WindowPixel(centre.x - 5, centre.y), yellow);
    EXPECT_EQ(WindowPixel(centre.x - 15, centre.y), yellow);
    Sim()->TouchUp();
    SendCalibrationTick();  // 4: the point completes: the bar is wiped, the marker stays
    EXPECT_EQ(WindowPixel(2, 475), grey);
    EXPECT_EQ(WindowPixel(20, 475), RGB(255, 255, 255));  // the side margin drawn again
    EXPECT_EQ(WindowPixel(centre.x - 5, centre.y), yellow);
    SendCalibrationTick();  // 1 of the next target
    EXPECT_EQ(WindowPixel(right.x - 5, right.y), red);
    EXPECT_EQ(WindowPixel(2, 475), bar);
    SendCalibrationTick();  // 2: unlit; 3: lit again
    EXPECT_EQ(WindowPixel(right.x - 5, right.y), unlit);
    SendCalibrationTick();
    EXPECT_EQ(WindowPixel(right.x - 5, right.y), red);
    SendMessageW(FullScreenWindow, WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST_F(CalibrationTest, ARunStartsFromItsOwnValuesWhateverTheStateHolds) {
    CaptureState = CaptureWaitingComplete;
    TickCount = 77;
    CurrentPointIndex = 6;
    CalibrationMode = 9;
    StartCalibration(5);
    ASSERT_TRUE(FullScreenWindow);
    EXPECT_EQ(CaptureState, CaptureWaitingSample);
    EXPECT_EQ(TickCount, 0);
    EXPECT_EQ(CurrentPointIndex, 0);
    EXPECT_EQ(CalibrationMode, 5);
    EXPECT_EQ(CalibrationActive, 1);
    SendMessageW(FullScreenWindow, WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST_F(CalibrationTest, NewRunAfterAnAbortedOneStartsAtPointZero) {
    Script s;
    StartRun(s, IDC_DEVICE_CALIBRATE_9);
    for (int k : {0, 1, 2}) CompleteTarget(s, k, false);
    s.Do([] {
        EXPECT_EQ(CurrentPointIndex, 3);
        SendMessageW(FullScreenWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_FALSE(IsWindow(FullScreenWindow));
        Sim()->ClearHistory();
    });
    StartRun(s, IDC_DEVICE_CALIBRATE_5);
    s.Do([] {
        EXPECT_EQ(CurrentPointIndex, 0);
        EXPECT_EQ(CalibrationMode, 5);
        EXPECT_EQ(CaptureState, CaptureWaitingSample);
        EXPECT_EQ(TickCount, 0);
        EXPECT_EQ(Sim()->SelectedPoint(), 0);
        EXPECT_EQ(Sim()->SelectedMode(), 5);
        SendMessageW(FullScreenWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    s.CloseSheet().RunSheet();
}

TEST_F(CalibrationTest, TheRealFiveHundredMillisecondTimerDrivesTheRun) {
    Script s;
    StartRun(s, IDC_DEVICE_CALIBRATE_9, false);
    s.Do([] { TouchTarget(0); })
        .WaitFor([] { return CaptureState == CaptureWaitingComplete; })
        .Do([] {
            EXPECT_GE(TickCount, 1);
            Sim()->TouchUp();
        })
        .WaitFor([] { return CurrentPointIndex == 1; })
        .Do([] {
            EXPECT_EQ(Sim()->SelectedPoint(), 1);
            EXPECT_EQ(TickCount, 0);
        })
        .WaitFor([] { return TickCount >= 1; })
        .Do([] { SendMessageW(FullScreenWindow, WM_KEYDOWN, VK_ESCAPE, 0); })
        .CloseSheet();
    s.RunSheet(10000);
}

TEST_F(CalibrationTest, AWindowThatCannotOpenLeavesNothingBehind) {
    Taskbar taskbar;
    // Another class of the same name, registered first, whose windows refuse creation.
    WNDCLASSW wc = {};
    wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        return m == WM_NCCREATE ? FALSE : DefWindowProcW(w, m, wp, lp);
    };
    wc.hInstance = InstanceHandle;
    wc.lpszClassName = L"FreeDraw";
    ASSERT_TRUE(RegisterClassW(&wc));
    StartCalibration(9);
    EXPECT_EQ(FullScreenWindow, (HWND)NULL);
    EXPECT_EQ(CalibrationActive, 0);
    EXPECT_EQ(CaptureState, CaptureIdle);
    EXPECT_FALSE(emu->InCalibrationMode());
    EXPECT_EQ(emu->Frames(), (std::vector<std::string>{"CR", "R"}));
    EXPECT_TRUE(taskbar.InPlace());
    UnregisterClassW(L"FreeDraw", InstanceHandle);
}

TEST_F(CalibrationTest, ByTouchAloneTheCloseControlEndsAFivePointRunAtOnce) {
    Install("keyboard=none");
    Taskbar taskbar;
    Script s;
    StartRun(s, IDC_DEVICE_CALIBRATE_5, false);  // the run's own timer runs on
    for (int k : {0, 2}) {
        s.Do([k] {  // the touch inks the window, as every touch on it does
            const ScreenPoint p = TargetOnScreen(k);
            SendMessageW(FullScreenWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
            TouchTarget(k);
            SendCalibrationTick();
            Sim()->TouchUp();
            SendMessageW(FullScreenWindow, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
            SendCalibrationTick();
        });
    }
    size_t polls = 0;
    s.Do([this, &polls] {
        ASSERT_EQ(CurrentPointIndex, 2);
        ASSERT_EQ(InkPresent, 1);
        polls = emu->CallsOf(RequestGetCalibrationSample).size();
        ScreenPoint close;
        int r;
        TouchControlSquare(kCloseControl, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), &close, &r);
        Sim()->TouchDown(close.x, close.y);  // the panel reports the tap to the driver too
        SendMessageW(run, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(close.x, close.y));
        EXPECT_FALSE(IsWindow(run)) << "the tap only wiped";
        Sim()->TouchUp();
        EXPECT_EQ(InkPresent, 1);
        EXPECT_EQ(CalibrationActive, 0);
    });
    // Two periods of the run's timer: a tick, were it still running, would poll.
    s.Pause(2 * kCalibrationTimerMs + 200).Do([this, &polls] {
        EXPECT_EQ(emu->CallsOf(RequestGetCalibrationSample).size(), polls) << "polled after the tap";
    });
    s.CloseSheet().RunSheet();
    EXPECT_TRUE(UploadFrames().empty());
    EXPECT_EQ(emu->CommitCount(), 0);
    EXPECT_EQ(emu->Frames(), (std::vector<std::string>{"CR", "R"}));
    EXPECT_TRUE(taskbar.InPlace());
    EXPECT_EQ(CountMessageBoxes(), 0);
}

namespace {

// A run's targets touched at `touch(k)` for the k-th target of its order:
// returns at the first refusal (the trace's note), or when the targets are
// done. Each touch is pressed, ticked, released and ticked.
template <typename Touch>
bool TouchTargets(Emulator& emu, int mode, Touch touch) {
    const size_t notes = emu.GetTrace().Lines().size();
    auto refused = [&emu, notes] {
        const std::vector<std::string>& lines = emu.GetTrace().Lines();
        for (size_t i = notes; i < lines.size(); ++i)
            if (lines[i].find(" NOTE calibration refused: ") != std::string::npos) return true;
        return false;
    };
    for (int k = 0; k < mode && IsWindow(FullScreenWindow); ++k) {
        const ScreenPoint p = touch(k);
        Sim()->TouchDown(p.x, p.y);
        SendCalibrationTick();
        Sim()->TouchUp();
        SendCalibrationTick();
        if (refused()) return true;
    }
    return false;
}

}  // namespace

// Runs with a misplaced touch, for both modes: each target touched at the
// place of the target before it in the run (after it, for the first), one
// 30 % of a step off, all at one point; and runs on every irregular panel.
// A refused run writes nothing and starts again at its first target, and a
// clean pass then uploads.
TEST_F(CalibrationTest, AMisplacedTouchRestartsTheRunWithNothingWrittenAndAnyRegularPanelIsAccepted) {
    struct Case {
        std::string what;
        int mode;
        std::string panel;
        int misplaced;  // the target (in the run's order) touched elsewhere; -1 none; -2 all at the centre
        int tenths;     // of a step towards the previous target; 0: at its place
    };
    std::vector<Case> cases;
    for (int mode : {9, 5}) {
        const std::string m = std::to_string(mode) + "-point: ";
        for (const char* panel : {"", "swap;mirrory", "mirrorx;mirrory;bits:12", "swap;mirrorx;bow:3"})
            cases.push_back({m + "a clean run on panel \"" + panel + "\"", mode, panel, -1, 0});
        for (int k = 0; k < mode; ++k)
            cases.push_back({m + "target " + std::to_string(TargetPositionOf(mode, k)) + " at its neighbour's place", mode,
                             "", k, 0});
        cases.push_back({m + "the third target 30 % of a step off", mode, "", 2, 3});
        cases.push_back({m + "every target at the centre", mode, "", -2, 0});
    }
    for (const Case& c : cases) {
        Install(c.panel.empty() ? "" : "panel=" + c.panel);
        StartCalibration(c.mode);
        ASSERT_TRUE(FullScreenWindow) << c.what;
        HWND run = FullScreenWindow;
        KillTimer(run, kCalibrationTimerId);
        const int selects = emu->SelectCount();
        bool refused = TouchTargets(*emu, c.mode, [&c](int k) {
            const int p = TargetPositionOf(c.mode, k);
            if (c.misplaced == -2) return TargetOnScreen(0);
            if (k != c.misplaced) return TargetOnScreen(p);
            const ScreenPoint at = TargetOnScreen(p), other = TargetOnScreen(TargetPositionOf(c.mode, k == 0 ? 1 : k - 1));
            if (c.tenths == 0) return other;
            const int steps = c.mode == 5 && k > 1 ? 2 : 1;  // between two corners of a 5-point run
            return ScreenPoint{at.x + (other.x - at.x) * c.tenths / (10 * steps),
                               at.y + (other.y - at.y) * c.tenths / (10 * steps)};
        });
        EXPECT_EQ(refused, c.misplaced != -1) << c.what;
        if (refused) {
            EXPECT_TRUE(IsWindow(run)) << c.what;
            EXPECT_EQ(emu->FramesStartingWith("SP"), 0) << c.what;
            EXPECT_EQ(emu->FramesStartingWith("PL"), 0) << c.what;
            EXPECT_EQ(CurrentPointIndex, 0) << c.what;
            EXPECT_EQ(CaptureState, CaptureWaitingSample) << c.what;
            EXPECT_EQ(TickCount, 0) << c.what;
            EXPECT_EQ(emu->SelectedPoint(), 0) << c.what;
            EXPECT_GT(emu->SelectCount(), selects) << c.what;
            EXPECT_EQ(CountMessageBoxes(), 0) << c.what;
            TouchTargets(*emu, c.mode, [&c](int k) { return TargetOnScreen(TargetPositionOf(c.mode, k)); });
        }
        EXPECT_FALSE(IsWindow(run)) << c.what << ": no upload";
        EXPECT_EQ(emu->FramesStartingWith("SP"), 18) << c.what;
        EXPECT_EQ(emu->FramesStartingWith("PL"), 1) << c.what;
        ASSERT_TRUE(emu->Quality().valid) << c.what;
        // A bow is what only the nine points correct.
        if (c.mode == 9) {
            EXPECT_LE(emu->Quality().errTargets, 1.0) << c.what;
        }
    }
}

// The driver holds a touch as a sample the moment it happens; the window's
// press may wait in its queue behind a tick. A tap on the close control
// must not become the target's sample.
TEST_F(CalibrationTest, ATickTakesNoSampleWhileAPressWaitsForTheWindow) {
    Install("keyboard=none");
    StartCalibration(9);
    ASSERT_TRUE(FullScreenWindow);
    HWND run = FullScreenWindow;
    KillTimer(run, kCalibrationTimerId);
    ScreenPoint close;
    int r;
    TouchControlSquare(kCloseControl, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), &close, &r);
    Sim()->TouchDown(close.x, close.y);
    PostMessageW(run, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(close.x, close.y));
    const size_t polls = emu->CallsOf(RequestGetCalibrationSample).size();
    SendCalibrationTick();
    EXPECT_EQ(emu->CallsOf(RequestGetCalibrationSample).size(), polls) << "the tick polled for a sample";
    EXPECT_EQ(CaptureState, CaptureWaitingSample);
    PumpMessages();  // the press reaches the window: the close control ends the run
    EXPECT_FALSE(IsWindow(run));
    EXPECT_EQ(emu->FramesStartingWith("SP"), 0);
}
