// The executables as processes: start-up, the driver-open failure, and exit codes.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "harness.h"

namespace {

struct Child {
    PROCESS_INFORMATION info = {};
    bool started = false;
};

Child Start(const wchar_t* exe, const wchar_t* simKnobs) {
    SetEnvironmentVariableW(L"TOUCHPANEL_SIM", simKnobs);
    std::wstring path = std::wstring(TOUCHPANEL_EXE_DIR) + L"\\" + exe;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    Child c;
    std::vector<wchar_t> commandLine(path.begin(), path.end());
    commandLine.push_back(0);
    c.started = CreateProcessW(path.c_str(), commandLine.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &c.info);
    SetEnvironmentVariableW(L"TOUCHPANEL_SIM", NULL);
    return c;
}

struct ProcessWindows {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND w, LPARAM context) {
    ProcessWindows* p = reinterpret_cast<ProcessWindows*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    wchar_t cls[64] = {0};
    GetClassNameW(w, cls, 64);
    // The simulator's stand-in for the shell taskbar is the shell's, not the program's.
    if (pid == p->pid && IsWindowVisible(w) && wcscmp(cls, L"HHTaskBar") != 0) p->windows.push_back(w);
    return TRUE;
}

std::vector<HWND> VisibleWindows(DWORD pid) {
    ProcessWindows p = {pid, {}};
    EnumWindows(CollectWindow, (LPARAM)&p);
    return p.windows;
}

HWND WaitForWindow(DWORD pid, const wchar_t* title) {
    for (int i = 0; i < 300; ++i) {
        for (HWND w : VisibleWindows(pid)) {
            wchar_t text[128] = {0};
            GetWindowTextW(w, text, 128);
            if (wcscmp(text, title) == 0) return w;
        }
        Sleep(20);
    }
    return NULL;
}

DWORD WaitForExit(const Child& c) {
    DWORD code = 12345;
    if (WaitForSingleObject(c.info.hProcess, 15000) == WAIT_OBJECT_0) GetExitCodeProcess(c.info.hProcess, &code);
    else TerminateProcess(c.info.hProcess, 99);
    CloseHandle(c.info.hProcess);
    CloseHandle(c.info.hThread);
    return code;
}

void ExpectOnlyTheDriverError(const wchar_t* exe, const wchar_t* knobs) {
    Child c = Start(exe, knobs);
    ASSERT_TRUE(c.started);
    HWND box = WaitForWindow(c.info.dwProcessId, L"ERROR");
    ASSERT_TRUE(box) << "no ERROR message box";
    Sleep(200);
    std::vector<HWND> windows = VisibleWindows(c.info.dwProcessId);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0], box);
    EXPECT_EQ(MessageBoxText(box), L"Error to open front panel driver");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForExit(c), 0u);
}

}  // namespace

TEST(Process, ProductWithoutItsDriverShowsOnlyTheErrorAndExitsWithZero) {
    ExpectOnlyTheDriverError(L"touchpanel.exe", L"");
}

TEST(Process, SimulatorWithTheDriverAbsentShowsOnlyTheErrorAndExitsWithZero) {
    ExpectOnlyTheDriverError(L"touchpanel-sim.exe", L"driver=absent");
}

TEST(Process, SimulatorShowsTheSheetAndExitEndsItWithZero) {
    Child c = Start(L"touchpanel-sim.exe", L"");
    ASSERT_TRUE(c.started);
    HWND sheet = WaitForWindow(c.info.dwProcessId, L"Quillon Inc.");
    ASSERT_TRUE(sheet);
    SendMessageW(sheet, PSM_SETCURSEL, 0, 0);
    HWND page = (HWND)SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    PostMessageW(GetDlgItem(page, 1012), BM_CLICK, 0, 0);
    EXPECT_EQ(WaitForExit(c), 0u);
}

TEST(Process, SimulatorClosedByItsCloseControlExitsWithZero) {
    Child c = Start(L"touchpanel-sim.exe", L"");
    ASSERT_TRUE(c.started);
    HWND sheet = WaitForWindow(c.info.dwProcessId, L"Quillon Inc.");
    ASSERT_TRUE(sheet);
    PostMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(WaitForExit(c), 0u);
}
