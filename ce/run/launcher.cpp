// The CE loader's part, for the device's own executable under 32-bit Wine,
// and the scenarios' host inside that one process.
//
//   launcher.exe DIR EXE SCENARIO...      (the stand-ins beside launcher.exe)
//
// For each scenario (a: no driver; b, c: the simulator behind "FPD1:"; d: the
// simulator on a panel without a keyboard) a copy of EXE is loaded as a
// module of its own (so each starts with fresh globals), its base relocations
// applied for where it landed, its imports bound by name from the stand-ins
// in DIR, and its entry called as the device calls it: int __cdecl
// (HINSTANCE, HINSTANCE, LPWSTR, int) with (module, NULL, L"", SW_SHOW).
// Meanwhile a thread answers the driving script's questions (DIR\request ->
// DIR\reply), with the probe's verbs and a few of its own, so no further Wine
// process ever has to start.
#include <windows.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <algorithm>

extern "C" int CallChecked(void* function, const void* args, int argBytes, int* moved);

// The probe's verbs and the launcher's own answers, printing into the reply.
int ProbePrintf(const wchar_t* format, ...);
#define wmain ProbeMain
#define wprintf ProbePrintf
#include "ce/run/probe.cpp"
#undef wprintf
#undef wmain

namespace {

wchar_t g_dir[MAX_PATH];
wchar_t g_reply[8192];
size_t g_replyLength = 0;

typedef int (*SelfTestFn)();
typedef int (*ExportFn)(int, const char**, LONG*);
typedef void (*CountsFn)(LONG*, LONG*, LONG*);
typedef void (*SetDriverFn)(int);
typedef void (*SetKeyboardFn)(DWORD);
typedef void (*ArmFn)(int, int);
typedef int (*FaultsFn)(int*);
typedef void (*RulesFn)(LONG*, LONG*, LONG*);
typedef int (*SimFn)(const char*);
typedef uint32_t (*StackLowFn)(int);

HMODULE g_coredll, g_commctrl;

void Say(const char* format, ...) {
    va_list a;
    va_start(a, format);
    vprintf(format, a);
    va_end(a);
    fflush(stdout);
}

template <typename F>
F Get(HMODULE module, const char* name) {
    F f = (F)(void*)GetProcAddress(module, name);
    if (!f) {
        Say("launcher: the stand-in lacks %s\n", name);
        ExitProcess(3);
    }
    return f;
}

// ---- the loader's part ----------------------------------------------------------

bool Relocate(uint8_t* base, IMAGE_NT_HEADERS32* nt, int* fixups) {
    const uint32_t preferred = nt->OptionalHeader.ImageBase;
    const uint32_t delta = (uint32_t)(uintptr_t)base - preferred;
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
    *fixups = 0;
    if (delta == 0 || dir.Size == 0) return delta == 0;
    uint8_t* block = base + dir.VirtualAddress;
    uint8_t* end = block + dir.Size;
    // Whether the system applied them already: the first HIGHLOW site then
    // points into the image where it landed, not where it was linked.
    bool first = true;
    while (block < end) {
        IMAGE_BASE_RELOCATION* r = (IMAGE_BASE_RELOCATION*)block;
        if (r->SizeOfBlock < sizeof *r) break;
        WORD* entry = (WORD*)(r + 1);
        int count = (int)((r->SizeOfBlock - sizeof *r) / 2);
        for (int i = 0; i < count; ++i) {
            int type = entry[i] >> 12;
            if (type == IMAGE_REL_BASED_ABSOLUTE) continue;
            if (type != IMAGE_REL_BASED_HIGHLOW) {
                Say("launcher: relocation type %d not handled\n", type);
                return false;
            }
            uint32_t* site = (uint32_t*)(base + r->VirtualAddress + (entry[i] & 0xFFF));
            if (first) {
                first = false;
                if (*site - (uint32_t)(uintptr_t)base < nt->OptionalHeader.SizeOfImage) {
                    Say("loader: relocations were applied already\n");
                    return true;
                }
            }
            *site += delta;
            ++*fixups;
        }
        block += r->SizeOfBlock;
    }
    return true;
}

bool BindImports(uint8_t* base, IMAGE_NT_HEADERS32* nt, int* bound) {
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    *bound = 0;
    for (IMAGE_IMPORT_DESCRIPTOR* d = (IMAGE_IMPORT_DESCRIPTOR*)(base + dir.VirtualAddress); d->Name; ++d) {
        const char* name = (const char*)(base + d->Name);
        HMODULE library = NULL;
        if (!lstrcmpiA(name, "COREDLL.dll")) library = g_coredll;
        if (!lstrcmpiA(name, "COMMCTRL.dll")) library = g_commctrl;
        if (!library) {
            Say("launcher: the image imports from %s, which the device does not have\n", name);
            return false;
        }
        uint32_t* lookup = (uint32_t*)(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
        uint32_t* address = (uint32_t*)(base + d->FirstThunk);
        for (; *lookup; ++lookup, ++address) {
            if (*lookup & IMAGE_ORDINAL_FLAG32) {
                Say("launcher: an import by ordinal from %s\n", name);
                return false;
            }
            const char* function = (const char*)((IMAGE_IMPORT_BY_NAME*)(base + *lookup))->Name;
            FARPROC f = GetProcAddress(library, function);
            if (!f) {
                Say("launcher: %s has no %s\n", name, function);
                return false;
            }
            *address = (uint32_t)(uintptr_t)f;
            ++*bound;
        }
    }
    return true;
}

// Loads DIR\touchpanel-S.exe (a copy of exe) and runs its entry; 1 when it
// returned 0 with the stack as it was.
int RunScenario(const wchar_t* exe, wchar_t scenario) {
    wchar_t copy[MAX_PATH];
    swprintf(copy, MAX_PATH, L"%ls\\touchpanel-%lc.exe", g_dir, scenario);
    if (!CopyFileW(exe, copy, FALSE)) {
        Say("launcher: cannot copy the executable (%lu)\n", GetLastError());
        return 0;
    }
    HMODULE module = LoadLibraryW(copy);
    if (!module) {
        Say("launcher: the system does not map the image (%lu)\n", GetLastError());
        return 0;
    }
    uint8_t* base = (uint8_t*)module;
    IMAGE_NT_HEADERS32* nt = (IMAGE_NT_HEADERS32*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
    DWORD old;
    VirtualProtect(base, nt->OptionalHeader.SizeOfImage, PAGE_EXECUTE_READWRITE, &old);
    int fixups = 0, bound = 0;
    if (!Relocate(base, nt, &fixups) || !BindImports(base, nt, &bound)) return 0;
    FlushInstructionCache(GetCurrentProcess(), base, nt->OptionalHeader.SizeOfImage);
    Say("loader %lc: subsystem %u, linked at 0x%lX, landed at %p: %d fixups, %d imports bound by name\n", scenario,
        nt->OptionalHeader.Subsystem, (unsigned long)nt->OptionalHeader.ImageBase, base, fixups, bound);
    void* entry = base + nt->OptionalHeader.AddressOfEntryPoint;
    static wchar_t empty[] = L"";
    uint32_t args[4] = {(uint32_t)(uintptr_t)module, 0, (uint32_t)(uintptr_t)empty, SW_SHOW};
    int moved = -1;
    Say("entry %lc: called\n", scenario);
    const HMODULE libraries[] = {g_coredll, g_commctrl};
    for (HMODULE m : libraries) Get<StackLowFn>(m, "DeviceRunStackLow")(1);
    const uint32_t top = (uint32_t)(uintptr_t)&args[0];  // where the entry's frame begins, near enough
    int result = CallChecked(entry, args, sizeof args, &moved);
    uint32_t low = top;
    for (HMODULE m : libraries) low = std::min(low, Get<StackLowFn>(m, "DeviceRunStackLow")(0));
    // Wine's own frames lie between; CE's window manager has its own, on the same stack.
    Say("stack %lc: %u bytes below the entry at the deepest call between the program and the system\n", scenario,
        top - low);
    // The device ends the process here. What the program left in the
    // thread's queue (the sheet posts its WM_QUIT again) would end the next
    // scenario's sheet at once.
    MSG m;
    while (PeekMessageW(&m, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    Say("entry %lc: returned %d, stack %s\n", scenario, result,
        moved == 0 ? "balanced" : moved > 0 ? "off: the entry removed its arguments" : "off");
    return result == 0 && moved == 0;
}

// ---- answers to the driving script ----------------------------------------------

int Answer(int argc, wchar_t** argv) {
    const wchar_t* verb = argv[0];
    if (!wcscmp(verb, L"arm") && argc == 3) {
        Get<ArmFn>(g_coredll, "DeviceRunArm")(!wcscmp(argv[1], L"raise"), _wtoi(argv[2]));
        return 0;
    }
    if (!wcscmp(verb, L"faults")) {
        int armed = 0;
        int raised = Get<FaultsFn>(g_coredll, "DeviceRunFaults")(&armed);
        ProbePrintf(L"%d %d\n", raised, armed);
        return 0;
    }
    if (!wcscmp(verb, L"sim") && argc == 2) {  // the emulator's knobs, changed as it runs
        char knobs[256];
        WideCharToMultiByte(CP_UTF8, 0, argv[1], -1, knobs, sizeof knobs, NULL, NULL);
        return Get<SimFn>(g_coredll, "DeviceRunSim")(knobs) ? 0 : 1;
    }
    // A press on a page's button that no pointer could reach (another window
    // covers the sheet), as a keyboard shortcut would press it.
    if (!wcscmp(verb, L"press") && argc == 3 && Visible(kSheet)) {
        HWND page = (HWND)SendMessageW(Visible(kSheet), PSM_INDEXTOHWND, _wtoi(argv[1]), 0);
        HWND button = page ? GetDlgItem(page, _wtoi(argv[2])) : NULL;
        return button && PostMessageW(button, BM_CLICK, 0, 0) ? 0 : 1;
    }
    if (!wcscmp(verb, L"windowsof")) {  // visible windows of a class
        HWND w = NULL;
        int n = 0;
        while ((w = FindWindowExW(NULL, w, argc > 1 ? argv[1] : L"", NULL)) != NULL) n += IsWindowVisible(w) ? 1 : 0;
        ProbePrintf(L"%d\n", n);
        return 0;
    }
    // The sheet's tabs, asked directly: the program's memory is ours.
    if ((!wcscmp(verb, L"tabs") || !wcscmp(verb, L"tabcentre")) && Visible(kSheet)) {
        HWND tabs = (HWND)SendMessageW(Visible(kSheet), PSM_GETTABCONTROL, 0, 0);
        if (!tabs) return 1;
        if (!wcscmp(verb, L"tabs")) {
            int count = (int)SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0);
            for (int i = 0; i < count; ++i) {
                wchar_t text[64] = {0};
                TCITEMW item = {};
                item.mask = TCIF_TEXT;
                item.pszText = text;
                item.cchTextMax = 64;
                if (!SendMessageW(tabs, TCM_GETITEMW, i, (LPARAM)&item)) return 1;
                ProbePrintf(L"%ls\n", item.pszText);
            }
            return 0;
        }
        RECT r;
        if (argc < 2 || !SendMessageW(tabs, TCM_GETITEMRECT, _wtoi(argv[1]), (LPARAM)&r)) return 1;
        MapWindowPoints(tabs, NULL, reinterpret_cast<POINT*>(&r), 2);
        ProbePrintf(L"%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        return 0;
    }
    wchar_t* probeArgs[8] = {(wchar_t*)L"probe"};
    for (int i = 0; i < argc && i < 7; ++i) probeArgs[i + 1] = argv[i];
    return ProbeMain(argc + 1, probeArgs);
}

DWORD WINAPI AnswerRequests(void*) {
    wchar_t request[MAX_PATH], reply[MAX_PATH], partial[MAX_PATH];
    swprintf(request, MAX_PATH, L"%ls\\request", g_dir);
    swprintf(reply, MAX_PATH, L"%ls\\reply", g_dir);
    swprintf(partial, MAX_PATH, L"%ls\\reply.part", g_dir);
    for (;;) {
        Sleep(30);
        FILE* f = _wfopen(request, L"rb");
        if (!f) continue;
        char text[1024] = {0};
        size_t n = fread(text, 1, sizeof text - 1, f);
        fclose(f);
        DeleteFileW(request);
        text[n] = 0;
        // One argument a line.
        wchar_t wide[1024];
        MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 1024);
        wchar_t* argv[8];
        int argc = 0;
        for (wchar_t* line = wide; *line && argc < 8;) {
            wchar_t* end = wcschr(line, L'\n');
            if (end) *end = 0;
            argv[argc++] = line;
            if (!end) break;
            line = end + 1;
        }
        g_replyLength = 0;
        g_reply[0] = 0;
        int status = argc ? Answer(argc, argv) : 2;
        FILE* out = _wfopen(partial, L"wb");
        if (!out) continue;
        char bytes[16384];
        int length = WideCharToMultiByte(CP_UTF8, 0, g_reply, (int)g_replyLength, bytes, sizeof bytes, NULL, NULL);
        fprintf(out, "%d\n", status);
        fwrite(bytes, 1, length > 0 ? length : 0, out);
        fclose(out);
        MoveFileExW(partial, reply, MOVEFILE_REPLACE_EXISTING);
    }
    return 0;
}

}  // namespace

int ProbePrintf(const wchar_t* format, ...) {
    va_list a;
    va_start(a, format);
    int n = vswprintf(g_reply + g_replyLength, sizeof g_reply / sizeof g_reply[0] - g_replyLength, format, a);
    va_end(a);
    if (n > 0) g_replyLength += n;
    return n;
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: launcher DIR EXE SCENARIO...\n");
        return 2;
    }
    lstrcpynW(g_dir, argv[1], MAX_PATH);
    // The stand-ins are beside the launcher.
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(NULL, path, MAX_PATH);
    wchar_t* name = wcsrchr(path, L'\\');
    if (!name) return 3;
    lstrcpyW(name + 1, L"COREDLL.dll");
    g_coredll = LoadLibraryW(path);
    lstrcpyW(name + 1, L"COMMCTRL.dll");
    g_commctrl = LoadLibraryW(path);
    if (!g_coredll || !g_commctrl) {
        Say("launcher: the stand-ins do not load (%lu)\n", GetLastError());
        return 3;
    }
    int selfTest = Get<SelfTestFn>(g_coredll, "DeviceRunSelfTest")() & Get<SelfTestFn>(g_commctrl, "DeviceRunSelfTest")();
    Say("self-test: %s\n", selfTest ? "the stack check catches both wrong conventions" : "FAILED");
    if (!selfTest) return 4;
    CreateThread(NULL, 0, AnswerRequests, NULL, 0, NULL);

    int passed = 0, run = 0;
    for (int i = 3; i < argc; ++i) {
        wchar_t s = argv[i][0];
        Get<SetDriverFn>(g_coredll, "DeviceRunSetDriver")(s != L'a');
        Get<SetKeyboardFn>(g_coredll, "DeviceRunSetKeyboard")(s == L'd' ? 0 : 0xF);  // none, or a full one
        ++run;
        passed += RunScenario(argv[2], s);
    }

    int exercised = 0, total = 0;
    LONG callbacks = 0, checks = 0, mismatches = 0, repaintsDropped = 0, nonclient = 0, broken = 0;
    char unused[1024] = "";
    const HMODULE libraries[] = {g_coredll, g_commctrl};
    for (HMODULE m : libraries) {
        const char* name;
        LONG calls;
        for (int i = 0; Get<ExportFn>(m, "DeviceRunExport")(i, &name, &calls); ++i) {
            ++total;
            if (calls) {
                ++exercised;
            } else if (strlen(unused) + strlen(name) + 2 < sizeof unused) {
                strcat(unused, " ");
                strcat(unused, name);
            }
        }
        LONG a, b, c;
        Get<CountsFn>(m, "DeviceRunCounts")(&a, &b, &c);
        callbacks += a;
        checks += b;
        mismatches += c;
        Get<RulesFn>(m, "DeviceRunRules")(&a, &b, &c);
        repaintsDropped += a;
        nonclient += b;
        broken += c;
    }
    Say("imports: %d of %d exercised; never called:%s\n", exercised, total, unused);
    Say("callbacks: %ld\n", callbacks);
    Say("stack checks: %ld, mismatches %ld\n", checks, mismatches);
    Say("CE rule: MoveWindow's repaint taken as FALSE (%ld asked for TRUE)\n", repaintsDropped);
    Say("CE rule: nonclient messages answered by the system, never by the program (%ld)\n", nonclient);
    Say("CE rule: ShowWindow takes SW_HIDE, SW_SHOW, SW_SHOWNA, SW_SHOWNORMAL only\n");
    Say("CE rule: class styles CS_DBLCLKS, CS_HREDRAW, CS_VREDRAW, CS_NOCLOSE, CS_PARENTDC, CS_GLOBALCLASS only\n");
    Say("CE rules broken: %ld\n", broken);
    Say("entries: %d of %d returned 0 with the stack balanced\n", passed, run);
    // The desktop's own windows of this thread (the taskbar stand-in) go with
    // the process; nothing else should be open.
    return passed == run && mismatches == 0 && broken == 0 ? 0 : 1;
}
