// Calibration runs under random faults, and what the program holds after many
// windows and runs: no GDI object, window or timer left behind.
#include <stdio.h>

#include <random>
#include <set>

#include "harness.h"
#include "link/driver.h"
#include "surface/calibration_run.h"
#include "surface/fullscreen.h"
#include "surface/overlay_geometry.h"

namespace {

// Message boxes seen (and closed) while a run waits in one.
std::set<HWND> g_boxesSeen;

VOID CALLBACK CloseMessages(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindMessageBox(L"Message");
    if (!box) return;
    g_boxesSeen.insert(box);
    CloseMessageBox(box);
}

// Every window of this thread, children included, but for the input-method
// window the thread makes on first need.
int ThreadWindowCount() {
    int count = 0;
    for (HWND w : ThreadWindows())
        if (ClassName(w) != L"IME") count += 1 + (int)ChildWindows(w).size();
    return count;
}

// Timer messages that reach this thread within a period longer than the calibration timer's.
int TimerMessagesWithin(DWORD ms) {
    int timers = 0;
    DWORD end = GetTickCount() + ms;
    while (GetTickCount() < end) {
        MSG m;
        while (PeekMessageW(&m, NULL, 0, 0, PM_REMOVE)) {
            if (m.message == WM_TIMER) ++timers;
            DispatchMessageW(&m);
        }
        Sleep(10);
    }
    return timers;
}

using SoakTest = GuiTest;

enum Fault { None, FailingCR, NoSamples, NeverCompletes, DroppedSP, EscapeAtRandom, FaultKinds };

}  // namespace

TEST_F(SoakTest, TwoHundredCalibrationRunsUnderFaultsEachEndCleanly) {
    Taskbar taskbar;
    UINT_PTR closer = SetTimer(NULL, 0, 5, CloseMessages);
    std::mt19937 rng(8122026);
    int ends[FaultKinds] = {0}, messages = 0;
    for (int run = 0; run < 200; ++run) {
        Fault fault = (Fault)(rng() % FaultKinds);
        int mode = rng() % 2 ? 9 : 5;
        std::string knobs = fault == FailingCR        ? "drop=CR:1"
                            : fault == NoSamples      ? "nosample=1"
                            : fault == NeverCompletes ? "nocomplete=1"
                            : fault == DroppedSP      ? "drop=SP:" + std::to_string(1 + rng() % 18)
                                                      : "";
        Install(knobs);
        g_boxesSeen.clear();
        int escapeAt = fault == EscapeAtRandom ? 1 + (int)(rng() % 60) : -1;

        StartCalibration(mode);
        HWND window = FullScreenWindow;
        ASSERT_TRUE(window) << run;
        ASSERT_TRUE(taskbar.Collapsed());
        int targets = mode;
        for (int tick = 1, k = 0; IsWindow(window) && tick < 2000; ++tick) {
            if (tick == escapeAt) {
                SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
                break;
            }
            if (tick % 2 == 1 && k < targets) TouchTarget(TargetPositionOf(mode, k));
            SendCalibrationTick();
            if (tick % 2 == 1 && k < targets) {
                Sim()->TouchUp();
                if (CaptureState == CaptureWaitingComplete || CurrentPointIndex > k) ++k;
            }
        }
        // However it ended, the window is gone, the taskbar back, and a message
        // was shown for a failed upload alone.
        ASSERT_FALSE(IsWindow(window)) << "run " << run << " fault " << fault;
        EXPECT_TRUE(taskbar.InPlace()) << run;
        EXPECT_EQ(CalibrationActive, 0) << run;
        bool uploaded = emu->FramesStartingWith("SP") > 0;
        bool uploadFailed = uploaded && emu->FramesStartingWith("PL") == 0;
        EXPECT_EQ((int)g_boxesSeen.size(), uploadFailed ? 1 : 0) << "run " << run << " fault " << fault;
        messages += (int)g_boxesSeen.size();
        const bool neverUploads = fault == FailingCR || fault == NoSamples || fault == NeverCompletes;
        EXPECT_TRUE(fault != DroppedSP || uploadFailed) << run;
        EXPECT_TRUE(fault != None || emu->CommitCount() == 1) << run;
        EXPECT_TRUE(!neverUploads || !uploaded) << run;
        ExpectNoPollAfterTheUpload(*emu);
        const std::vector<std::string>& frames = emu->Frames();
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(frames.back(), "R") << "the window's close says R, run " << run;
        ++ends[fault];
        if (HasFailure()) break;
    }
    KillTimer(NULL, closer);
    EXPECT_EQ(TimerMessagesWithin(700), 0);
    printf("soak: 200 calibration runs: %d clean, %d failing CR, %d without samples, %d never completing, "
           "%d with a dropped SP (%d messages), %d ended by Escape\n",
           ends[None], ends[FailingCR], ends[NoSamples], ends[NeverCompletes], ends[DroppedSP], messages,
           ends[EscapeAtRandom]);
}

TEST_F(SoakTest, WindowsAndRunsLeaveNoGdiObjectWindowOrTimerBehind) {
    // The counter sees objects come and go, or it proves nothing.
    int before = LiveGdiObjects();
    ASSERT_GT(before, 0);
    HPEN pens[5];
    for (HPEN& p : pens) p = CreatePen(PS_SOLID, 1, 0);
    ASSERT_EQ(LiveGdiObjects(), before + 5);
    for (HPEN p : pens) DeleteObject(p);
    ASSERT_EQ(LiveGdiObjects(), before);
    int windowsBefore = ThreadWindowCount();
    HWND probe = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    ASSERT_EQ(ThreadWindowCount(), windowsBefore + 1);
    DestroyWindow(probe);

    // One round first, so that what is created once per process (the class,
    // stock objects, caches) is there before counting.
    auto drawingCycle = [] {
        OpenFreeDrawing();
        HWND w = FullScreenWindow;
        SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
        SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 200));
        SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(300, 200));
        SendMessageW(w, WM_KEYDOWN, 'G', 0);
        SendMessageW(w, WM_KEYDOWN, VK_ESCAPE, 0);
        SendMessageW(w, WM_KEYDOWN, VK_ESCAPE, 0);
        PumpMessages();
        EXPECT_FALSE(IsWindow(w));
    };
    auto calibrationRun = [] {
        StartCalibration(9);
        HWND w = FullScreenWindow;
        for (int k = 0; k < 9; ++k) {
            TouchTarget(k);
            SendCalibrationTick();
            Sim()->TouchUp();
            SendCalibrationTick();
        }
        PumpMessages();
        EXPECT_FALSE(IsWindow(w));
    };
    drawingCycle();
    calibrationRun();
    int gdi = LiveGdiObjects(), windows = ThreadWindowCount();
    for (int i = 0; i < 100; ++i) drawingCycle();
    for (int i = 0; i < 10; ++i) calibrationRun();
    EXPECT_EQ(emu->CommitCount(), 11);
    EXPECT_EQ(LiveGdiObjects(), gdi);
    EXPECT_EQ(ThreadWindowCount(), windows);
    EXPECT_EQ(TimerMessagesWithin(700), 0);
    printf("resources: %d GDI objects and %d windows before and after 100 drawing windows and 10 runs\n", gdi,
           windows);
}
