// GCC has no __try/__except, so the guard is a vectored exception handler that
// jumps back to the guarded call with the builtin setjmp/longjmp pair (which
// only restores the frame, stack and instruction pointers, no unwinding).
#include "surface/fault_guard.h"

#include <windows.h>

namespace {

void* g_resume[5];
volatile LONG g_guarding = 0;

bool IsFault(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION:
        case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
        case EXCEPTION_DATATYPE_MISALIGNMENT:
        case EXCEPTION_ILLEGAL_INSTRUCTION:
        case EXCEPTION_IN_PAGE_ERROR:
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
        case EXCEPTION_PRIV_INSTRUCTION:
        case EXCEPTION_STACK_OVERFLOW:
            return true;
    }
    return false;  // debug output, breakpoints and the like pass through
}

LONG CALLBACK FaultHandler(EXCEPTION_POINTERS* info) {
    if (!g_guarding || !IsFault(info->ExceptionRecord->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
    g_guarding = 0;
    __builtin_longjmp(g_resume, 1);
}

}  // namespace

int RunGuarded(void (*step)(void*), void* context) {
    PVOID handler = AddVectoredExceptionHandler(1, FaultHandler);
    int completed = 0;
    if (__builtin_setjmp(g_resume) == 0) {
        g_guarding = 1;
        step(context);
        g_guarding = 0;
        completed = 1;
    }
    RemoveVectoredExceptionHandler(handler);
    return completed;
}
