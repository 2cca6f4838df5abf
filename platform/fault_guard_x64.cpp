// The exception handler of RunGuarded on x86_64 (see fault_guard_x64.S).
#include "platform/fault_guard.h"

extern "C" void GuardResume();

extern "C" EXCEPTION_DISPOSITION GuardHandler(EXCEPTION_RECORD* record, void* establisher, CONTEXT* context,
                                              DISPATCHER_CONTEXT* dispatch) {
    if (record->ExceptionFlags & EXCEPTION_UNWIND) return ExceptionContinueSearch;
    if (!IsGuardedFault(record->ExceptionCode)) return ExceptionContinueSearch;
    void* const* saved = static_cast<void* const*>(establisher);
    void (*onFault)(void*) = reinterpret_cast<void (*)(void*)>(saved[4]);
    if (onFault) onFault(saved[5]);
    // Unwinds every frame between the fault and RunGuarded's, running their
    // termination handlers, then continues at GuardResume with rax = 0.
    RtlUnwindEx(establisher, reinterpret_cast<void*>(GuardResume), record, nullptr, context, dispatch->HistoryTable);
    return ExceptionContinueSearch;  // not reached
}
