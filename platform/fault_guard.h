// Turns a platform fault (an access violation and its kind) raised while a
// step runs into a result, instead of ending the program. Built on the
// platform's frame-based structured exception handling: on i686 (desktop and
// the device) a registration record in the chain at fs:[0], on x86_64 the
// function's own unwind data. Frames between the fault and the guard are
// unwound by the system's rules, and the guard never spans a system callback:
// each window procedure guards its own messages.
#pragma once
#include <windows.h>

// Runs step(context); 1 when it returned, 0 when it raised a fault. On a fault,
// onFault(context) (when given) runs first, while every frame of the step is
// still intact, so it can undo what those frames held; then the frames are
// unwound and RunGuarded returns 0.
extern "C" int RunGuarded(void (*step)(void*), void* context, void (*onFault)(void*));

// The exceptions the guard catches: faults of the processor and the memory
// system. Debug events, breakpoints and software exceptions pass through.
inline bool IsGuardedFault(DWORD code) {
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
    return false;
}
