// The functions of components an image may lack (platform/optional.h).
#include "platform/optional.h"

#include "platform/port.h"

#ifdef TOUCHPANEL_DEVICE

// CE's own: its GetProcAddress takes a wide name. The desktop headers have none.
extern "C" DECLSPEC_IMPORT FARPROC WINAPI GetProcAddressW(HMODULE module, LPCWSTR name);

namespace {

struct Lookup {
    const wchar_t* name;
    bool done;
    FARPROC function;  // null when the image lacks it
};

Lookup g_keyboardStatus = {L"GetKeyboardStatus", false, nullptr};
Lookup g_registerHotKey = {L"RegisterHotKey", false, nullptr};
Lookup g_unregisterHotKey = {L"UnregisterHotKey", false, nullptr};
Lookup g_setForegroundWindow = {L"SetForegroundWindow", false, nullptr};

// Once for each function, in the core library the program runs with.
template <typename Function>
Function Find(Lookup& lookup) {
    if (!lookup.done) {
        lookup.function = GetProcAddressW(GetModuleHandleW(L"coredll.dll"), lookup.name);
        lookup.done = true;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(lookup.function));
}

typedef DWORD(WINAPI* KeyboardStatusFunction)();
typedef BOOL(WINAPI* RegisterHotKeyFunction)(HWND, int, UINT, UINT);
typedef BOOL(WINAPI* UnregisterHotKeyFunction)(HWND, int);
typedef BOOL(WINAPI* SetForegroundWindowFunction)(HWND);

}  // namespace

uint32_t KeyboardStatusIfPresent() {
    KeyboardStatusFunction f = Find<KeyboardStatusFunction>(g_keyboardStatus);
    return f ? f() : 0;
}

BOOL RegisterHotKeyIfPresent(HWND window, int id, UINT modifiers, UINT key) {
    RegisterHotKeyFunction f = Find<RegisterHotKeyFunction>(g_registerHotKey);
    return f ? f(window, id, modifiers, key) : FALSE;
}

void UnregisterHotKeyIfPresent(HWND window, int id) {
    UnregisterHotKeyFunction f = Find<UnregisterHotKeyFunction>(g_unregisterHotKey);
    if (f) f(window, id);
}

void SetForegroundWindowIfPresent(HWND window) {
    SetForegroundWindowFunction f = Find<SetForegroundWindowFunction>(g_setForegroundWindow);
    if (f) f(window);
}

#else

// A desktop has them all, and its keyboard.
uint32_t KeyboardStatusIfPresent() { return kFullKeyboard; }
BOOL RegisterHotKeyIfPresent(HWND window, int id, UINT modifiers, UINT key) {
    return RegisterHotKey(window, id, modifiers, key);
}
void UnregisterHotKeyIfPresent(HWND window, int id) { UnregisterHotKey(window, id); }
void SetForegroundWindowIfPresent(HWND window) { SetForegroundWindow(window); }

#endif
