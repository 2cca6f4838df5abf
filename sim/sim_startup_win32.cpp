// Start-up of the simulator build: the emulator from TOUCHPANEL_SIM, the trace
// file from TOUCHPANEL_SIM_TRACE, a stand-in for the shell taskbar, and the
// mouse pressed on the screen taken as touches on the panel.
#include <stdlib.h>
#include <windows.h>

#include "platform/port.h"
#include "sim/sim.h"
#include "sim/unique.h"

namespace {

const int kTaskbarHeight = 26;
// Removed when the program ends.
Unique<HHOOK, UnhookWindowsHookEx> g_mouseHook;

LRESULT CALLBACK TaskbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT r;
        GetClientRect(window, &r);
        FillRect(dc, &r, (HBRUSH)GetStockObject(DKGRAY_BRUSH));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        DrawTextW(dc, L" taskbar (simulated)", -1, &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void CreateTaskbarStandIn() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = TaskbarProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"HHTaskBar";
    RegisterClassW(&wc);
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    CreateWindowExW(WS_EX_TOOLWINDOW, L"HHTaskBar", L"", WS_POPUP | WS_VISIBLE, 0, h - kTaskbarHeight, w,
                    kTaskbarHeight, NULL, NULL, wc.hInstance, NULL);
}

LRESULT CALLBACK MouseHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && Sim()) {
        const MOUSEHOOKSTRUCT* mouse = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
        if (wParam == WM_LBUTTONDOWN) Sim()->TouchDown(mouse->pt.x, mouse->pt.y);
        if (wParam == WM_LBUTTONUP) Sim()->TouchUp();
    }
    return CallNextHookEx(g_mouseHook.Get(), code, wParam, lParam);
}

}  // namespace

void PortStartup() {
    SimConfig defaults;
    defaults.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    defaults.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    SimConfig config = defaults;
    std::string error;
    bool parsed = ParseSimConfig(getenv("TOUCHPANEL_SIM"), &config, &error);
    Emulator* emulator = SimInstall(parsed ? config : defaults, false);
    const char* tracePath = getenv("TOUCHPANEL_SIM_TRACE");
    if (tracePath && *tracePath) emulator->GetTrace().OpenFile(tracePath);
    if (!parsed) emulator->GetTrace().Line(0, "CONFIG " + error);
    CreateTaskbarStandIn();
    g_mouseHook.Reset(SetWindowsHookExW(WH_MOUSE, MouseHook, NULL, GetCurrentThreadId()));
}
