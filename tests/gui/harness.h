// Drives the real property sheet in-process: a thread timer runs one scripted
// step per tick inside whatever modal loop is active (the sheet's or a message
// box's), against the emulated driver and controller on a virtual clock.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/app.h"
#include "sim/sim.h"
#include "tests/common/sim_fixture.h"

// One step: returns true when done, false to be tried again on the next tick.
using Step = std::function<bool()>;

class Script {
public:
    // A step that completes at once.
    Script& Do(std::function<void()> action);
    // A step that waits until its condition holds.
    Script& WaitFor(std::function<bool()> condition);
    // A step that opens modal UI (a message box, a modal loop): the script moves
    // on before it runs, so the following steps run inside that loop.
    Script& Open(std::function<void()> action);
    // Let real time pass without blocking the message loop.
    Script& Pause(DWORD ms);
    // Bring a page to the front, which activates it.
    Script& Show(SheetPage page);
    // Leave for the General page and come back, so the page is activated anew.
    Script& Reshow(SheetPage page);
    // Close the sheet, which ends RunSheet.
    Script& CloseSheet();

    // Runs RunPropertySheet with this script; returns what it returned.
    int RunSheet(DWORD watchdogMs = 20000);
    // Shows the page, runs check in the sheet, and closes the sheet.
    static void OnPage(SheetPage page, std::function<void()> check);

private:
    friend VOID CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD);
    struct Entry {
        Step step;
        bool modal;
    };
    std::vector<Entry> steps_;
    size_t next_ = 0;
};

// The shared emulator fixture, with the panel model covering this screen.
class GuiTest : public SimTest {
protected:
    void SetUp() override;
    void TearDown() override;
};

// The sheet and its pages.
HWND SheetWindow();
HWND CurrentPage();
void SelectPage(SheetPage page);
HWND PageControl(int id);   // a control of the current page
void Click(int id);         // BM_CLICK on a control of the current page
void PostClick(int id);     // the same, posted (for buttons that open modal UI)
std::wstring ControlText(int id);
bool IsChecked(int id);

// Top-level windows of this thread, and the children of a window (all levels).
std::vector<HWND> ThreadWindows();
std::vector<HWND> ChildWindows(HWND window);
std::wstring ClassName(HWND window);
// Top-level windows of this thread with that class name.
int ThreadWindowsOfClass(const wchar_t* name);

// Message boxes of this thread (top-level #32770 windows other than the sheet).
HWND FindMessageBox(const wchar_t* caption);
std::wstring MessageBoxText(HWND box);
void CloseMessageBox(HWND box);
int CountMessageBoxes();

// A stand-in for the shell taskbar, owned by the test. Like a shell window it
// paints itself (in kTaskbarColour) only when asked to.
const COLORREF kTaskbarColour = RGB(0, 128, 255);
HWND CreateTaskbar(const RECT& r);
COLORREF ScreenPixel(int x, int y);
RECT WindowRect(HWND window);
bool SameRect(const RECT& a, const RECT& b);

// The same, destroyed with the test, and where it stands.
class Taskbar {
public:
    explicit Taskbar(const RECT& r = RECT{0, 454, 640, 480}) : rect_(r), window_(CreateTaskbar(r)) {}
    ~Taskbar() { DestroyWindow(window_); }
    Taskbar(const Taskbar&) = delete;
    Taskbar& operator=(const Taskbar&) = delete;
    HWND Window() const { return window_; }
    bool Collapsed() const { return SameRect(WindowRect(window_), RECT{0, 0, 0, 0}); }
    bool InPlace() const { return SameRect(WindowRect(window_), rect_); }

private:
    const RECT rect_;
    const HWND window_;
};

// A calibration target's pixel on this screen, a press on the emulated panel
// there, and one tick sent to the full-screen window (when it is open).
struct ScreenPoint;
ScreenPoint TargetOnScreen(int position);
void TouchTarget(int position);
void SendCalibrationTick();
// A pixel of the full-screen window, as it stands.
COLORREF WindowPixel(int x, int y);

// Nothing polls the driver for a sample or a completed point (requests 18
// and 20) once the calibration upload has begun.
void ExpectNoPollAfterTheUpload(const Emulator& emulator);

// Pumps the thread's messages until none is left.
void PumpMessages();

// Live GDI objects of this process, counted in the shared handle table that
// the process environment block points to (GetGuiResources is a stub under Wine).
int LiveGdiObjects();
