// The executables as processes: start-up, the driver-open failure, and exit codes.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "harness.h"
#include "res/resource.h"
#include "sim/unique.h"

namespace {

using UniqueHandle = Unique<HANDLE, CloseHandle>;

// A program started for a test. Whichever way the test ends, a failed
// assertion included, the process is ended when still running, and both its
// handles are closed.
class Child {
public:
    Child(const wchar_t* exe, const wchar_t* simKnobs) {
        SetEnvironmentVariableW(L"TOUCHPANEL_SIM", simKnobs);
        std::wstring path = std::wstring(TOUCHPANEL_EXE_DIR) + L"\\" + exe;
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        std::vector<wchar_t> commandLine(path.begin(), path.end());
        commandLine.push_back(0);
        PROCESS_INFORMATION info = {};
        if (CreateProcessW(path.c_str(), commandLine.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &info)) {
            process_.Reset(info.hProcess);
            thread_.Reset(info.hThread);
            id_ = info.dwProcessId;
        }
        SetEnvironmentVariableW(L"TOUCHPANEL_SIM", NULL);
    }
    ~Child() {
        if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) TerminateProcess(process_.Get(), 99);
    }
    bool Started() const { return (bool)process_; }
    DWORD Id() const { return id_; }
    // Its exit code once it has ended by itself within 15 s; 12345 otherwise.
    DWORD ExitCode() const {
        DWORD code = 12345;
        if (WaitForSingleObject(process_.Get(), 15000) == WAIT_OBJECT_0) GetExitCodeProcess(process_.Get(), &code);
        return code;
    }

private:
    UniqueHandle process_, thread_;
    DWORD id_ = 0;
};

struct ProcessWindows {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND w, LPARAM context) {
    ProcessWindows* p = reinterpret_cast<ProcessWindows*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    // The simulator's stand-in for the shell taskbar is the shell's, not the program's.
    if (pid == p->pid && IsWindowVisible(w) && ClassName(w) != L"HHTaskBar") p->windows.push_back(w);
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

void ExpectOnlyTheDriverError(const wchar_t* exe, const wchar_t* knobs) {
    Child c(exe, knobs);
    ASSERT_TRUE(c.Started());
    HWND box = WaitForWindow(c.Id(), L"ERROR");
    ASSERT_TRUE(box) << "no ERROR message box";
    Sleep(200);
    std::vector<HWND> windows = VisibleWindows(c.Id());
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0], box);
    EXPECT_EQ(MessageBoxText(box), L"Error to open front panel driver");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(c.ExitCode(), 0u);
}

}  // namespace

TEST(Process, ProductWithoutItsDriverShowsOnlyTheErrorAndExitsWithZero) {
    ExpectOnlyTheDriverError(L"touchpanel.exe", L"");
}

TEST(Process, SimulatorWithTheDriverAbsentShowsOnlyTheErrorAndExitsWithZero) {
    ExpectOnlyTheDriverError(L"touchpanel-sim.exe", L"driver=absent");
}

// The simulator, started, with its sheet up.
class SimulatorProcess : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(child.Started());
        sheet = WaitForWindow(child.Id(), L"Quillon Inc.");
        ASSERT_TRUE(sheet);
    }
    Child child{L"touchpanel-sim.exe", L""};
    HWND sheet = NULL;
};

TEST_F(SimulatorProcess, ExitOnTheGeneralPageEndsItWithZero) {
    SendMessageW(sheet, PSM_SETCURSEL, GeneralPage, 0);
    HWND page = (HWND)SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    PostMessageW(GetDlgItem(page, IDC_GENERAL_EXIT), BM_CLICK, 0, 0);
    EXPECT_EQ(child.ExitCode(), 0u);
}

TEST_F(SimulatorProcess, ItsCloseControlEndsItWithZero) {
    PostMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(child.ExitCode(), 0u);
}
