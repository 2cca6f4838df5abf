// Reads what a person sees of the running program, from another process:
// windows, control texts and states, and where controls are on the screen.
// It never presses anything; the acceptance script clicks with xdotool.
//
//   probe windows                     visible top-level windows: class|title|l t r b
//   probe wait TITLE [MS]             waits for a visible window with that title
//   probe gone TITLE [MS]             waits until no visible window has that title
//   probe tab                         index of the sheet's current tab
//   probe tabcentre N                 screen centre of the sheet's N-th tab
//   probe tabs                        the sheet's tab titles, left to right, one a line
//   probe centre PAGE ID              screen centre of control ID on page PAGE (-1: the sheet)
//   probe text|checked|pos PAGE ID
//   probe msgbox CAPTION              text of that message box, then its OK button's centre
//   probe hotkeys                     "taken" or "free" for Ctrl+5, then Ctrl+9: whether
//                                     another holds them (each tried for an instant)
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

namespace {

const wchar_t kSheet[] = L"Quillon Inc.";

struct Found {
    const wchar_t* title;
    HWND window;
};

BOOL CALLBACK ListWindow(HWND w, LPARAM) {
    if (!IsWindowVisible(w)) return TRUE;
    wchar_t cls[64] = {0}, title[128] = {0};
    GetClassNameW(w, cls, 64);
    GetWindowTextW(w, title, 128);
    RECT r;
    GetWindowRect(w, &r);
    wprintf(L"%ls|%ls|%ld %ld %ld %ld\n", cls, title, r.left, r.top, r.right, r.bottom);
    return TRUE;
}

BOOL CALLBACK FindTitle(HWND w, LPARAM context) {
    Found* f = reinterpret_cast<Found*>(context);
    wchar_t title[128] = {0};
    GetWindowTextW(w, title, 128);
    if (IsWindowVisible(w) && wcscmp(title, f->title) == 0) {
        f->window = w;
        return FALSE;
    }
    return TRUE;
}

HWND Visible(const wchar_t* title) {
    Found f = {title, NULL};
    EnumWindows(FindTitle, (LPARAM)&f);
    return f.window;
}

HWND Control(int page, int id) {
    HWND sheet = Visible(kSheet);
    if (!sheet) return NULL;
    HWND parent = page < 0 ? sheet : (HWND)SendMessageW(sheet, PSM_INDEXTOHWND, page, 0);
    return parent ? GetDlgItem(parent, id) : NULL;
}

void PrintCentre(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    wprintf(L"%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

BOOL CALLBACK StaticText(HWND child, LPARAM) {
    wchar_t cls[32] = {0}, text[512] = {0};
    GetClassNameW(child, cls, 32);
    SendMessageW(child, WM_GETTEXT, 512, (LPARAM)text);
    if (_wcsicmp(cls, L"Static") == 0 && text[0]) {
        for (wchar_t* c = text; *c; ++c)
            if (*c == L'\n') *c = L'|';
        wprintf(L"%ls\n", text);
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const wchar_t* verb = argv[1];
    if (!wcscmp(verb, L"windows")) {
        EnumWindows(ListWindow, 0);
        return 0;
    }
    if (!wcscmp(verb, L"wait") || !wcscmp(verb, L"gone")) {
        if (argc < 3) return 2;
        int ms = argc > 3 ? _wtoi(argv[3]) : 10000;
        bool wantVisible = !wcscmp(verb, L"wait");
        for (int waited = 0; waited <= ms; waited += 50) {
            if ((Visible(argv[2]) != NULL) == wantVisible) return 0;
            Sleep(50);
        }
        return 1;
    }
    if (!wcscmp(verb, L"tab")) {
        HWND sheet = Visible(kSheet);
        if (!sheet) return 1;
        HWND tabs = (HWND)SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0);
        wprintf(L"%d\n", (int)SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
        return 0;
    }
    if (!wcscmp(verb, L"tabs")) {
        HWND sheet = Visible(kSheet);
        if (!sheet) return 1;
        HWND tabs = (HWND)SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0);
        // The item and its text buffer must be in the program's own memory.
        DWORD pid = 0;
        GetWindowThreadProcessId(tabs, &pid);
        HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (!process) return 1;
        struct Remote {
            TCITEMW item;
            wchar_t text[64];
        };
        Remote* remote = (Remote*)VirtualAllocEx(process, NULL, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE);
        int count = (int)SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0);
        int status = remote ? 0 : 1;
        for (int i = 0; remote && i < count; ++i) {
            Remote local = {};
            local.item.mask = TCIF_TEXT;
            local.item.pszText = remote->text;
            local.item.cchTextMax = 64;
            if (!WriteProcessMemory(process, remote, &local, sizeof local, NULL) ||
                !SendMessageW(tabs, TCM_GETITEMW, i, (LPARAM)&remote->item) ||
                !ReadProcessMemory(process, remote, &local, sizeof local, NULL)) {
                status = 1;
                break;
            }
            local.text[63] = 0;
            wprintf(L"%ls\n", local.text);
        }
        if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        CloseHandle(process);
        return status;
    }
    if (!wcscmp(verb, L"tabcentre")) {
        HWND sheet = Visible(kSheet);
        if (!sheet || argc < 3) return 1;
        HWND tabs = (HWND)SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0);
        // The rectangle is written into the program's own memory: lend it some.
        DWORD pid = 0;
        GetWindowThreadProcessId(tabs, &pid);
        HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (!process) return 1;
        void* remote = VirtualAllocEx(process, NULL, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
        RECT r = {0, 0, 0, 0};
        BOOL ok = remote && SendMessageW(tabs, TCM_GETITEMRECT, _wtoi(argv[2]), (LPARAM)remote) &&
                  ReadProcessMemory(process, remote, &r, sizeof r, NULL);
        if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        CloseHandle(process);
        if (!ok) return 1;
        MapWindowPoints(tabs, NULL, reinterpret_cast<POINT*>(&r), 2);
        wprintf(L"%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        return 0;
    }
    if (!wcscmp(verb, L"msgbox")) {
        if (argc < 3) return 2;
        HWND box = Visible(argv[2]);
        if (!box) return 1;
        EnumChildWindows(box, StaticText, 0);
        PrintCentre(GetDlgItem(box, IDOK));
        return 0;
    }
    if (!wcscmp(verb, L"hotkeys")) {
        const UINT keys[] = {'5', '9'};
        for (UINT key : keys) {
            bool free = RegisterHotKey(NULL, 0xB000 + key, MOD_CONTROL, key);
            if (free) UnregisterHotKey(NULL, 0xB000 + key);
            wprintf(L"%ls%ls", key == '5' ? L"" : L" ", free ? L"free" : L"taken");
        }
        wprintf(L"\n");
        return 0;
    }
    if (argc < 4) return 2;
    HWND control = Control(_wtoi(argv[2]), _wtoi(argv[3]));
    if (!control) return 1;
    if (!wcscmp(verb, L"centre")) {
        PrintCentre(control);
    } else if (!wcscmp(verb, L"text")) {
        // GetWindowTextW would not ask a control of another process.
        wchar_t text[256] = {0};
        SendMessageW(control, WM_GETTEXT, 256, (LPARAM)text);
        wprintf(L"%ls\n", text);
    } else if (!wcscmp(verb, L"checked")) {
        wprintf(L"%d\n", (int)SendMessageW(control, BM_GETCHECK, 0, 0));
    } else if (!wcscmp(verb, L"pos")) {
        wprintf(L"%d\n", (int)SendMessageW(control, TBM_GETPOS, 0, 0));
    } else {
        return 2;
    }
    return 0;
}
