#include "harness.h"

#include <commctrl.h>

#include <stdio.h>
#include <string.h>

#include "app/app.h"
#include "link/driver.h"
#include "platform/module.h"
#include "surface/calibration_run.h"
#include "surface/fullscreen.h"
#include "surface/overlay_geometry.h"

namespace {

Script* g_script = nullptr;
DWORD g_deadline = 0;
bool g_abandoned = false;

const wchar_t kSheetTitle[] = L"Quillon Inc.";

void Abandon(const char* why) {
    if (g_abandoned) return;
    g_abandoned = true;
    ADD_FAILURE() << why;
    PostQuitMessage(0);  // ends a message box's loop and then the sheet's
}

}  // namespace

VOID CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
    Script* s = g_script;
    if (!s || g_abandoned) return;
    if (GetTickCount() > g_deadline) {
        Abandon(("script stuck at step " + std::to_string(s->next_)).c_str());
        return;
    }
    if (s->next_ >= s->steps_.size()) return;
    Script::Entry entry = s->steps_[s->next_];
    if (entry.modal) {
        ++s->next_;
        entry.step();
        return;
    }
    if (entry.step()) ++s->next_;
}

Script& Script::Do(std::function<void()> action) {
    steps_.push_back({[action] {
                          action();
                          return true;
                      },
                      false});
    return *this;
}

Script& Script::WaitFor(std::function<bool()> condition) {
    steps_.push_back({condition, false});
    return *this;
}

Script& Script::Open(std::function<void()> action) {
    steps_.push_back({[action] {
                          action();
                          return true;
                      },
                      true});
    return *this;
}

Script& Script::Pause(DWORD ms) {
    auto until = std::make_shared<DWORD>(0);
    steps_.push_back({[until, ms] {
                          if (*until == 0) *until = GetTickCount() + ms;
                          return GetTickCount() >= *until;
                      },
                      false});
    return *this;
}

Script& Script::Show(SheetPage page) {
    return Do([page] { SelectPage(page); });
}

Script& Script::Reshow(SheetPage page) { return Show(GeneralPage).Show(page); }

Script& Script::CloseSheet() {
    return Do([] { PostMessageW(SheetWindow(), WM_CLOSE, 0, 0); });
}

int Script::RunSheet(DWORD watchdogMs) {
    g_script = this;
    g_abandoned = false;
    g_deadline = GetTickCount() + watchdogMs;
    UINT_PTR timer = SetTimer(NULL, 0, 5, ScriptTick);
    int result = RunPropertySheet(NULL);
    KillTimer(NULL, timer);
    g_script = nullptr;
    // The sheet re-posts the quit message it ended on: drain it.
    MSG m;
    while (PeekMessageW(&m, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    EXPECT_EQ(next_, steps_.size()) << "the sheet ended before the script did";
    return result;
}

void Script::OnPage(SheetPage page, std::function<void()> check) {
    Script().Show(page).Do(check).CloseSheet().RunSheet();
}

void GuiTest::SetUp() {
    // Every test starts from the program's initial state, whatever the one
    // before it left behind in this process.
    InstanceHandle = GetModuleHandleW(NULL);
    FullScreenWindow = NULL;
    TaskbarWindow = NULL;
    SavedTaskbarRect = RECT{0, 0, 0, 0};
    PenDown = InkPresent = GridShown = 0;
    LastPenPoint = PenPoint{0, 0};
    CalibrationActive = 0;
    CaptureState = CaptureIdle;
    TickCount = 0;
    CalibrationTimer = 0;
    CalibrationMode = 0;
    CurrentPointIndex = 0;
    memset(CalibrationTable, 0, sizeof CalibrationTable);
    UnregisterClassW(L"FreeDraw", GetModuleHandleW(NULL));  // registered by the first open
    // The mouse rests in a corner, away from every target and drawing.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    defaults.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    defaults.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    SimTest::SetUp();
}

void GuiTest::TearDown() {
    // A test that failed half-way may leave its window open.
    if (FullScreenWindow && IsWindow(FullScreenWindow)) DestroyWindow(FullScreenWindow);
    PumpMessages();
    SimTest::TearDown();
}

HWND SheetWindow() { return FindWindowW(L"#32770", kSheetTitle); }

HWND CurrentPage() { return (HWND)SendMessageW(SheetWindow(), PSM_GETCURRENTPAGEHWND, 0, 0); }

void SelectPage(SheetPage page) { SendMessageW(SheetWindow(), PSM_SETCURSEL, page, 0); }

HWND PageControl(int id) { return GetDlgItem(CurrentPage(), id); }

void Click(int id) { SendMessageW(PageControl(id), BM_CLICK, 0, 0); }

void PostClick(int id) { PostMessageW(PageControl(id), BM_CLICK, 0, 0); }

std::wstring ControlText(int id) {
    wchar_t text[256] = {0};
    GetWindowTextW(PageControl(id), text, 256);
    return text;
}

bool IsChecked(int id) { return SendMessageW(PageControl(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::vector<HWND> ThreadWindows() {
    std::vector<HWND> out;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
        return TRUE;
    }, (LPARAM)&out);
    return out;
}

std::vector<HWND> ChildWindows(HWND window) {
    std::vector<HWND> out;
    EnumChildWindows(window, [](HWND w, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
        return TRUE;
    }, (LPARAM)&out);
    return out;
}

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {0};
    GetClassNameW(window, name, 64);
    return name;
}

int ThreadWindowsOfClass(const wchar_t* name) {
    int count = 0;
    for (HWND w : ThreadWindows()) count += ClassName(w) == name;
    return count;
}

namespace {

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {0};
    GetWindowTextW(window, text, 512);
    return text;
}

bool IsMessageBox(HWND w) { return ClassName(w) == L"#32770" && WindowText(w) != kSheetTitle && IsWindowVisible(w); }

}  // namespace

HWND FindMessageBox(const wchar_t* caption) {
    HWND found = NULL;
    for (HWND w : ThreadWindows())
        if (IsMessageBox(w) && WindowText(w) == caption) found = w;
    return found;
}

int CountMessageBoxes() {
    int count = 0;
    for (HWND w : ThreadWindows()) count += IsMessageBox(w);
    return count;
}

std::wstring MessageBoxText(HWND box) {
    for (HWND child : ChildWindows(box))
        if (_wcsicmp(ClassName(child).c_str(), L"Static") == 0 && !WindowText(child).empty()) return WindowText(child);
    return L"";
}

void CloseMessageBox(HWND box) { PostMessageW(box, WM_COMMAND, IDOK, 0); }

namespace {

LRESULT CALLBACK TaskbarProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m != WM_PAINT) return DefWindowProcW(w, m, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    HBRUSH brush = CreateSolidBrush(kTaskbarColour);
    FillRect(dc, &ps.rcPaint, brush);
    DeleteObject(brush);
    EndPaint(w, &ps);
    return 0;
}

}  // namespace

HWND CreateTaskbar(const RECT& r) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = TaskbarProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"HHTaskBar";
    RegisterClassW(&wc);
    return CreateWindowExW(WS_EX_TOOLWINDOW, L"HHTaskBar", L"", WS_POPUP | WS_VISIBLE, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, NULL, NULL, wc.hInstance, NULL);
}

RECT WindowRect(HWND window) {
    RECT r = {0, 0, 0, 0};
    GetWindowRect(window, &r);
    return r;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

ScreenPoint TargetOnScreen(int position) {
    ScreenPoint p = {0, 0};
    TargetPixel(position, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), &p);
    return p;
}

void TouchTarget(int position) {
    ScreenPoint p = TargetOnScreen(position);
    Sim()->TouchDown(p.x, p.y);
}

int LiveGdiObjects() {
    // The GUI tests run on x86_64: the PEB is at gs:[0x60], its GDI table at +0xF8.
    const uint8_t* peb;
    __asm__("movq %%gs:0x60, %0" : "=r"(peb));
    const uint8_t* table = *reinterpret_cast<const uint8_t* const*>(peb + 0xF8);
    if (!table) return -1;
    const size_t kEntrySize = 24, kTypeOffset = 14;
    int live = 0;
    for (size_t i = 0; i < 0x10000; ++i)
        if (table[i * kEntrySize + kTypeOffset] != 0) ++live;
    return live;
}

void ExpectNoPollAfterTheUpload(const Emulator& emulator) {
    bool uploading = false;
    for (const DriverCall& c : emulator.Calls()) {
        if (c.code == RequestWrite && c.in.size() > 2 && c.in[1] == 'S' && c.in[2] == 'P') uploading = true;
        if (uploading) {
            EXPECT_NE(c.code, RequestGetCalibrationSample) << "a tick polled for a sample after the upload began";
            EXPECT_NE(c.code, RequestIsPointComplete) << "a tick polled for completion after the upload began";
        }
    }
}

COLORREF ScreenPixel(int x, int y) {
    HDC dc = GetDC(NULL);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(NULL, dc);
    return c;
}

COLORREF WindowPixel(int x, int y) {
    HDC dc = GetDC(FullScreenWindow);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(FullScreenWindow, dc);
    return c;
}

void SendCalibrationTick() {
    if (IsWindow(FullScreenWindow)) SendMessageW(FullScreenWindow, WM_TIMER, kCalibrationTimerId, 0);
}

void PumpMessages() {
    MSG m;
    while (PeekMessageW(&m, NULL, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage((int)m.wParam);
            return;
        }
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

int main(int argc, char** argv) {
    // Whatever ends the process, what it printed so far is in the log.
    setvbuf(stdout, nullptr, _IONBF, 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
