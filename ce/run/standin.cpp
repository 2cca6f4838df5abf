// A stand-in for one of the device's two libraries (COREDLL.dll or
// COMMCTRL.dll), built for i686 to run the device's own code under 32-bit
// Wine. On the device every function is __cdecl; the desktop's are
// __stdcall. So no export may forward: each is a small stub that enters
// CommonExport (calls.S), which calls the desktop function and checks the
// stack pointer afterwards. Procedures the program hands over (window, dialog,
// sheet, page and timer procedures) are replaced by trampolines that the
// system calls as __stdcall and that call the program's __cdecl procedure,
// checking the stack pointer again.
//
// Where CE's window manager is documented to differ from the desktop's and a
// stand-in can model it, the stand-ins behave as CE does (see CE RULES below):
// the desktop underneath would otherwise hide what a panel does differently.
//
// EXPORT_LIST names a file of EXPORT(Name, "desktop-library") lines,
// generated from the project's module definition; STANDIN_COREDLL adds the simulator, whose
// CreateFileW answers "FPD1:" with the emulator, and the fault injection. A
// name no desktop library has ("stand-in") is a function of this file, with
// the desktop's convention, so that it takes the same checked path.
#include <windows.h>
#include <commctrl.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

struct Export {
    const char* name;
    const char* library;
    int argBytes;  // what the program pushed
    int pops;      // what the desktop function removes: argBytes for __stdcall, 0 for __cdecl
    void* target;
    void (*prepare)(Export*, uint32_t* args);  // may rewrite the copied arguments
    volatile LONG calls;
};
static_assert(offsetof(Export, argBytes) == 8 && offsetof(Export, pops) == 12 && offsetof(Export, target) == 16 &&
                  offsetof(Export, prepare) == 20 && offsetof(Export, calls) == 24,
              "calls.S reads these offsets");

struct Trampoline {
    uint8_t code[12];  // movl $this, %eax; jmp CommonTrampoline
    void* target;
    int argBytes;
    volatile LONG calls;
    const char* kind;
};
static_assert(offsetof(Trampoline, target) == 12 && offsetof(Trampoline, argBytes) == 16 &&
                  offsetof(Trampoline, calls) == 20,
              "calls.S reads these offsets");

extern "C" {
void CommonExport();
void CommonTrampoline();
int CallChecked(void* function, const void* args, int argBytes, int* moved);
volatile LONG g_stackChecks = 0;
volatile LONG g_stackMismatches = 0;
// The lowest stack pointer at any call the program made into the library or
// the system made into the program: how deep the program's stack went.
volatile uint32_t g_stackLow = 0xFFFFFFFFu;
}

namespace {

template <typename R, typename... A>
constexpr int ArgBytes(R(__stdcall*)(A...)) {
    return (0 + ... + (int)((sizeof(A) + 3) & ~3u));
}
template <typename R, typename... A>
constexpr int ArgBytes(R(__cdecl*)(A...)) {
    return (0 + ... + (int)((sizeof(A) + 3) & ~3u));
}
template <typename R, typename... A>
constexpr int Pops(R(__stdcall*)(A...)) {
    return (0 + ... + (int)((sizeof(A) + 3) & ~3u));
}
template <typename R, typename... A>
constexpr int Pops(R(__cdecl*)(A...)) {
    return 0;
}

#ifdef STANDIN_COREDLL
const char kLibrary[] = "COREDLL.dll";
#else
const char kLibrary[] = "COMMCTRL.dll";
#endif

bool g_selfTesting = false;
const char* g_lastMismatch = nullptr;

}  // namespace

#ifdef STANDIN_COREDLL
// CE's own: what keyboard the system has (its status bits; 0xF a full one).
// The launcher sets it for each scenario. Not exported where the image is
// played without its keyboard UI.
volatile LONG g_keyboardStatus = 0xF;
extern "C" DWORD WINAPI GetKeyboardStatus() { return (DWORD)g_keyboardStatus; }

// CE's own: GetProcAddress by a wide name (ce/get_proc_address.c). The
// program looks up in this library what an image may lack.
extern "C" FARPROC WINAPI StandInGetProcAddressW(HMODULE module, LPCWSTR name);
extern "C" FARPROC WINAPI GetProcAddressW(HMODULE module, LPCWSTR name) { return StandInGetProcAddressW(module, name); }
#endif

#define EXPORT(name, library) \
    extern "C" {                                                                                                  \
    Export g_export_##name = {#name, library, ArgBytes(&::name), Pops(&::name), (void*)&::name, nullptr, 0}; \
    }
#include EXPORT_LIST
#undef EXPORT

#define EXPORT(name, library)                         \
    asm(".text\n.globl _StandIn_" #name "\n"         \
        "_StandIn_" #name ":\n"                       \
        "\tmovl $_g_export_" #name ", %eax\n"         \
        "\tjmp _CommonExport\n");
#include EXPORT_LIST
#undef EXPORT

namespace {

#define EXPORT(name, library) &g_export_##name,
Export* const g_exports[] = {
#include EXPORT_LIST
};
#undef EXPORT
const int kExportCount = sizeof g_exports / sizeof g_exports[0];

Export* Find(const char* name) {
    for (Export* e : g_exports)
        if (strcmp(e->name, name) == 0) return e;
    return nullptr;
}

// ---- trampolines -------------------------------------------------------------

Trampoline* g_trampolines = nullptr;
int g_trampolineCount = 0;
const int kMaxTrampolines = 512;

void WriteStub(uint8_t* code, void* record, void (*common)()) {
    code[0] = 0xB8;  // movl $record, %eax
    memcpy(code + 1, &record, 4);
    code[5] = 0xE9;  // jmp common
    int32_t rel = (int32_t)((uintptr_t)common - (uintptr_t)(code + 10));
    memcpy(code + 6, &rel, 4);
    code[10] = code[11] = 0xCC;
}

// The same procedure handed over twice gets the same trampoline, so that the
// system sees one procedure (a class registered again compares equal).
void* TrampolineFor(void* procedure, int argBytes, const char* kind) {
    if (!procedure) return nullptr;
    if (!g_trampolines)
        g_trampolines = (Trampoline*)VirtualAlloc(NULL, kMaxTrampolines * sizeof(Trampoline), MEM_COMMIT | MEM_RESERVE,
                                                  PAGE_EXECUTE_READWRITE);
    for (int i = 0; i < g_trampolineCount; ++i)
        if (g_trampolines[i].target == procedure && g_trampolines[i].argBytes == argBytes) return &g_trampolines[i];
    for (int i = 0; i < g_trampolineCount; ++i)  // already one of ours
        if (procedure == (void*)&g_trampolines[i]) return procedure;
    if (g_trampolineCount == kMaxTrampolines) {
        fprintf(stderr, "device-run: out of trampolines\n");
        ExitProcess(97);
    }
    Trampoline* t = &g_trampolines[g_trampolineCount++];
    t->target = procedure;
    t->argBytes = argBytes;
    t->calls = 0;
    t->kind = kind;
    WriteStub(t->code, t, CommonTrampoline);
    FlushInstructionCache(GetCurrentProcess(), t, sizeof *t);
    return t;
}

const int kWindowProcBytes = 16;  // HWND, UINT, WPARAM, LPARAM: also dialog and timer procedures
const int kSheetCallbackBytes = 12;  // HWND, UINT, LPARAM (or the page)

}  // namespace

extern "C" void ExportStackMismatch(Export* e, int moved) {
    g_lastMismatch = e->name;
    InterlockedIncrement(&g_stackMismatches);
    if (!g_selfTesting)
        fprintf(stderr, "STACK MISMATCH: %s (%s) left the stack pointer %d bytes off its convention\n", e->name,
                e->library, moved);
}

extern "C" void TrampolineStackMismatch(Trampoline* t, int moved) {
    g_lastMismatch = t->kind;
    InterlockedIncrement(&g_stackMismatches);
    if (!g_selfTesting)
        fprintf(stderr, "STACK MISMATCH: the program's %s at %p removed %d bytes; a __cdecl procedure removes none\n",
                t->kind, t->target, moved);
}

namespace {

// ---- what the program hands over -----------------------------------------------

void PrepareSetWindowLongW(Export*, uint32_t* args) {
    int index = (int)args[1];
    wchar_t cls[16] = {0};
    GetClassNameW((HWND)args[0], cls, 16);
    bool dialog = lstrcmpW(cls, L"#32770") == 0;
    if (index == GWL_WNDPROC || (dialog && index == DWL_DLGPROC))
        args[2] = (uint32_t)(uintptr_t)TrampolineFor((void*)(uintptr_t)args[2], kWindowProcBytes,
                                                     index == GWL_WNDPROC ? "window procedure" : "dialog procedure");
}

// ---- CE RULES --------------------------------------------------------------------
// Each documented in CE's own pages (docs/device-run.md names the sources).

volatile LONG g_repaintsDropped = 0;   // MoveWindow asked to repaint, which CE ignores
volatile LONG g_nonclientAnswered = 0; // nonclient messages the system answered itself
volatile LONG g_rulesBroken = 0;       // calls CE would not take as the desktop does

[[maybe_unused]] void RuleBroken(const char* what, unsigned value) {
    InterlockedIncrement(&g_rulesBroken);
    fprintf(stderr, "CE RULE BROKEN: %s (%u)\n", what, value);
}

bool IsNonclient(UINT message) {
    return (message >= WM_NCCREATE && message <= WM_NCACTIVATE) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) || message == WM_NCMOUSEHOVER ||
           message == WM_NCMOUSELEAVE;
}

}  // namespace

// Called by every trampoline before the program's procedure: CE has no
// nonclient messages (it draws captions and borders itself), so none reaches
// a window or dialog procedure of the program. The system's default answers a
// window's; a dialog's gets FALSE, which leaves it to the dialog manager.
// Returns 1 in the low half when answered, the answer in the high half.
extern "C" uint64_t SystemAnswers(Trampoline* t, const uint32_t* args) {
    bool window = strcmp(t->kind, "window procedure") == 0;
    if ((!window && strcmp(t->kind, "dialog procedure") != 0) || !IsNonclient(args[1])) return 0;
    InterlockedIncrement(&g_nonclientAnswered);
    LRESULT answer = window ? DefWindowProcW((HWND)(uintptr_t)args[0], args[1], args[2], args[3]) : FALSE;
    return (uint64_t)(uint32_t)answer << 32 | 1;
}

namespace {

#ifdef STANDIN_COREDLL

// A fault raised inside the program's call, as a fault of its own frames
// would be: armed from outside, it strikes at the named place once.
enum FaultPlace { kNowhere, kOpenStep, kCreate, kFirstPaint };
volatile LONG g_faultPlace = kNowhere;
volatile LONG g_faultRaise = 0;
volatile LONG g_faultsRaised = 0;
volatile uintptr_t g_nowhere = 0;

bool IsFreeDraw(HWND window) {
    wchar_t cls[16] = {0};
    GetClassNameW(window, cls, 16);
    return lstrcmpW(cls, L"FreeDraw") == 0;
}

void MaybeFault(FaultPlace place, bool fullScreenWindow) {
    if (!fullScreenWindow || InterlockedCompareExchange(&g_faultPlace, kNowhere, place) != place) return;
    InterlockedIncrement(&g_faultsRaised);
    if (g_faultRaise) RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, NULL);
    *reinterpret_cast<volatile int*>(g_nowhere) = 1;
}

WNDCLASSW g_class;

void PrepareRegisterClassW(Export*, uint32_t* args) {
    const WNDCLASSW* wc = (const WNDCLASSW*)(uintptr_t)args[0];
    bool fullScreen = wc && !IS_INTRESOURCE(wc->lpszClassName) && lstrcmpW(wc->lpszClassName, L"FreeDraw") == 0;
    MaybeFault(kOpenStep, fullScreen);
    if (!wc) return;
    const UINT ceStyles = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW | CS_NOCLOSE | CS_PARENTDC | CS_GLOBALCLASS;
    if (wc->style & ~ceStyles) RuleBroken("RegisterClassW: a class style CE does not have", wc->style & ~ceStyles);
    g_class = *wc;
    g_class.lpfnWndProc = (WNDPROC)TrampolineFor((void*)wc->lpfnWndProc, kWindowProcBytes, "window procedure");
    args[0] = (uint32_t)(uintptr_t)&g_class;
}

void PrepareSetTimer(Export*, uint32_t* args) {
    MaybeFault(kCreate, IsFreeDraw((HWND)(uintptr_t)args[0]));
    args[3] = (uint32_t)(uintptr_t)TrampolineFor((void*)(uintptr_t)args[3], kWindowProcBytes, "timer procedure");
}

void PrepareBeginPaint(Export*, uint32_t* args) { MaybeFault(kFirstPaint, IsFreeDraw((HWND)(uintptr_t)args[0])); }

// CE ignores MoveWindow's repaint flag and takes it as FALSE: whatever must
// be drawn again, the program invalidates itself.
void PrepareMoveWindow(Export*, uint32_t* args) {
    if (args[5]) InterlockedIncrement(&g_repaintsDropped);
    args[5] = FALSE;
}

// CE's ShowWindow takes SW_HIDE, SW_SHOW, SW_SHOWNA and SW_SHOWNORMAL (and, at
// the first call, what the entry was given, here SW_SHOW).
void PrepareShowWindow(Export*, uint32_t* args) {
    int show = (int)args[1];
    if (show != SW_HIDE && show != SW_SHOW && show != SW_SHOWNA && show != SW_SHOWNORMAL)
        RuleBroken("ShowWindow: a show command CE does not have", (unsigned)show);
}

#else

// The sheet's structures are copied with the procedures replaced; the sheet
// copies the pages itself, so the copies need to outlive only this call.
alignas(8) uint8_t g_header[sizeof(PROPSHEETHEADERW)];
alignas(8) uint8_t g_pages[16 * sizeof(PROPSHEETPAGEW)];

void PreparePropertySheetW(Export*, uint32_t* args) {
    const PROPSHEETHEADERW* in = (const PROPSHEETHEADERW*)(uintptr_t)args[0];
    if (!in || in->dwSize > sizeof g_header) return;
    memcpy(g_header, in, in->dwSize);
    PROPSHEETHEADERW* h = (PROPSHEETHEADERW*)g_header;
    if ((h->dwFlags & PSH_USECALLBACK) && in->dwSize > offsetof(PROPSHEETHEADERW, pfnCallback))
        h->pfnCallback =
            (PFNPROPSHEETCALLBACK)TrampolineFor((void*)in->pfnCallback, kSheetCallbackBytes, "sheet callback");
    if (h->dwFlags & PSH_PROPSHEETPAGE) {
        const uint8_t* page = (const uint8_t*)in->ppsp;
        uint8_t* out = g_pages;
        for (UINT i = 0; i < h->nPages; ++i) {
            DWORD size = ((const PROPSHEETPAGEW*)page)->dwSize;
            if (size > sizeof(PROPSHEETPAGEW) || out + size > g_pages + sizeof g_pages) return;
            memcpy(out, page, size);
            PROPSHEETPAGEW* p = (PROPSHEETPAGEW*)out;
            p->pfnDlgProc = (DLGPROC)TrampolineFor((void*)p->pfnDlgProc, kWindowProcBytes, "dialog procedure");
            if ((p->dwFlags & PSP_USECALLBACK) && size > offsetof(PROPSHEETPAGEW, pfnCallback))
                p->pfnCallback =
                    (LPFNPSPCALLBACKW)TrampolineFor((void*)p->pfnCallback, kSheetCallbackBytes, "page callback");
            page += size;
            out += size;
        }
        h->ppsp = (LPCPROPSHEETPAGEW)g_pages;
    }
    args[0] = (uint32_t)(uintptr_t)g_header;
}

#endif

#ifdef STANDIN_COREDLL
}  // namespace
#include "sim/emulator.h"
#include "sim/sim.h"
// The simulator's two functions (sim/coredll_standin.cpp), desktop __stdcall.
extern "C" HANDLE WINAPI StandInCreateFileW(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
extern "C" BOOL WINAPI StandInDeviceIoControl(HANDLE, DWORD, LPVOID, DWORD, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
extern "C" void WINAPI StandInOutputDebugStringW(LPCWSTR);
namespace {
#endif

struct Setup {
    Setup() {
        if (Export* e = Find("SetWindowLongW")) e->prepare = PrepareSetWindowLongW;
#ifdef STANDIN_COREDLL
        if (Export* e = Find("RegisterClassW")) e->prepare = PrepareRegisterClassW;
        if (Export* e = Find("SetTimer")) e->prepare = PrepareSetTimer;
        if (Export* e = Find("BeginPaint")) e->prepare = PrepareBeginPaint;
        if (Export* e = Find("MoveWindow")) e->prepare = PrepareMoveWindow;
        if (Export* e = Find("ShowWindow")) e->prepare = PrepareShowWindow;
        static_assert(ArgBytes(&StandInCreateFileW) == ArgBytes(&::CreateFileW) &&
                          Pops(&StandInCreateFileW) == Pops(&::CreateFileW) &&
                          ArgBytes(&StandInDeviceIoControl) == ArgBytes(&::DeviceIoControl),
                      "the simulator's functions have the desktop prototypes");
        static_assert(ArgBytes(&StandInOutputDebugStringW) == ArgBytes(&::OutputDebugStringW) &&
                          Pops(&StandInOutputDebugStringW) == Pops(&::OutputDebugStringW),
                      "the trace's debug output has the desktop prototype");
        if (Export* e = Find("CreateFileW")) e->target = (void*)&StandInCreateFileW;
        if (Export* e = Find("DeviceIoControl")) e->target = (void*)&StandInDeviceIoControl;
        if (Export* e = Find("OutputDebugStringW")) e->target = (void*)&StandInOutputDebugStringW;
#else
        if (Export* e = Find("PropertySheetW")) e->prepare = PreparePropertySheetW;
#endif
    }
} g_setup;

// ---- the self-test -------------------------------------------------------------

__stdcall LRESULT PopsItsArguments(HWND, UINT, WPARAM, LPARAM) { return 7; }
__cdecl LRESULT LeavesItsArguments(HWND, UINT, WPARAM, LPARAM) { return 7; }

// Calls record's path the way the program calls an export, and says whether
// the check objected, and whether the export itself behaved as __cdecl.
bool ExportObjects(Export* record, const char* text, bool* cdeclToCaller) {
    uint8_t* stub = (uint8_t*)VirtualAlloc(NULL, 16, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    WriteStub(stub, record, CommonExport);
    LONG before = g_stackMismatches;
    uint32_t args[1] = {(uint32_t)(uintptr_t)text};
    int moved = -1;
    CallChecked(stub, args, 4, &moved);
    VirtualFree(stub, 0, MEM_RELEASE);
    *cdeclToCaller = moved == 0;
    return g_stackMismatches != before;
}

bool TrampolineObjects(void* procedure, bool* stdcallToSystem) {
    void* t = TrampolineFor(procedure, kWindowProcBytes, "self-test procedure");
    LONG before = g_stackMismatches;
    uint32_t args[4] = {0, 0, 0, 0};
    int moved = -1;
    int result = CallChecked(t, args, 16, &moved);
    *stdcallToSystem = moved == 16 && result == 7;
    return g_stackMismatches != before;
}

}  // namespace

// ---- what the launcher asks --------------------------------------------------------

// 1 when the checks object to a callee of the wrong convention and accept one
// of the right convention, in both directions; prints each case.
extern "C" int DeviceRunSelfTest() {
    g_selfTesting = true;
    LONG checks = g_stackChecks, mismatches = g_stackMismatches;
    // Sleep(0) removes its 4 bytes (__stdcall), strlen none (__cdecl).
    Export sleepAsStdcall = {"Sleep", "kernel32", 4, 4, (void*)&::Sleep, nullptr, 0};
    Export sleepAsCdecl = {"Sleep (said to be __cdecl)", "kernel32", 4, 0, (void*)&::Sleep, nullptr, 0};
    Export strlenAsCdecl = {"strlen", "msvcrt", 4, 0, (void*)&::strlen, nullptr, 0};
    Export strlenAsStdcall = {"strlen (said to be __stdcall)", "msvcrt", 4, 4, (void*)&::strlen, nullptr, 0};
    struct Case {
        Export* record;
        const char* argument;
        bool objects;
    } cases[] = {
        {&sleepAsStdcall, nullptr, false},
        {&sleepAsCdecl, nullptr, true},
        {&strlenAsCdecl, "four", false},
        {&strlenAsStdcall, "four", true},
    };
    int ok = 1;
    for (const Case& c : cases) {
        bool cdeclToCaller = false;
        bool objected = ExportObjects(c.record, c.argument, &cdeclToCaller);
        bool good = objected == c.objects && cdeclToCaller;
        printf("self-test: %s export %-30s %s%s\n", kLibrary, c.record->name, objected ? "caught" : "passed",
               good ? "" : "  <-- WRONG");
        ok &= good;
    }
    struct ProcCase {
        void* procedure;
        const char* name;
        bool objects;
    } procs[] = {
        {(void*)&LeavesItsArguments, "__cdecl procedure", false},
        {(void*)&PopsItsArguments, "__stdcall procedure", true},
    };
    for (const ProcCase& c : procs) {
        bool stdcallToSystem = false;
        bool objected = TrampolineObjects(c.procedure, &stdcallToSystem);
        bool good = objected == c.objects && stdcallToSystem;
        printf("self-test: %s trampoline %-26s %s%s\n", kLibrary, c.name, objected ? "caught" : "passed",
               good ? "" : "  <-- WRONG");
        ok &= good;
    }
    // The self-test's own calls are not the program's.
    g_stackChecks = checks;
    g_stackMismatches = mismatches;
    g_trampolineCount -= 2;
    g_selfTesting = false;
    fflush(stdout);
    return ok;
}

// The i-th export's name and how often the program called it; 0 past the end.
extern "C" int DeviceRunExport(int i, const char** name, LONG* calls) {
    if (i < 0 || i >= kExportCount) return 0;
    *name = g_exports[i]->name;
    *calls = g_exports[i]->calls;
    return 1;
}

extern "C" void DeviceRunCounts(LONG* callbacks, LONG* checks, LONG* mismatches) {
    LONG total = 0;
    for (int i = 0; i < g_trampolineCount; ++i) total += g_trampolines[i].calls;
    *callbacks = total;
    *checks = g_stackChecks;
    *mismatches = g_stackMismatches;
}

// The lowest stack pointer seen since the last reset; resets it when asked.
extern "C" uint32_t DeviceRunStackLow(int reset) {
    uint32_t low = g_stackLow;
    if (reset) g_stackLow = 0xFFFFFFFFu;
    return low;
}

// What the CE rules did: repaints dropped, nonclient messages answered by the
// system, calls that broke a rule.
extern "C" void DeviceRunRules(LONG* repaintsDropped, LONG* nonclientAnswered, LONG* broken) {
    *repaintsDropped = g_repaintsDropped;
    *nonclientAnswered = g_nonclientAnswered;
    *broken = g_rulesBroken;
}

#ifdef STANDIN_COREDLL
// Changes the running emulator's knobs (TOUCHPANEL_SIM's form), e.g. so that
// the controller answers nothing usable for a while; 1 when they were taken.
extern "C" int DeviceRunSim(const char* knobs) {
    std::string error;
    return Sim() && ParseSimConfig(knobs, &Sim()->Config(), &error);
}

// The keyboard GetKeyboardStatus reports from now on.
extern "C" void DeviceRunSetKeyboard(DWORD status) { InterlockedExchange(&g_keyboardStatus, (LONG)status); }

// Whether "FPD1:" opens the emulator (1) or goes to the desktop, where no
// such device exists (0).
extern "C" void DeviceRunSetDriver(int present) {
    Export* e = Find("CreateFileW");
    e->target = present ? (void*)&StandInCreateFileW : (void*)&::CreateFileW;
}

// Arms one fault: raise (1) or a write to address 0 (0), at place 1 (the
// open step that registers the full-screen class), 2 (that window's
// WM_CREATE, at its SetTimer) or 3 (its first WM_PAINT, at BeginPaint).
extern "C" void DeviceRunArm(int raise, int place) {
    g_faultRaise = raise;
    InterlockedExchange(&g_faultPlace, place);
}

extern "C" int DeviceRunFaults(int* armed) {
    *armed = g_faultPlace;
    return g_faultsRaised;
}
#endif
