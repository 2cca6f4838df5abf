// RunGuarded for i686, desktop and the device alike: a registration record in
// the chain headed at fs:[0], which the system's dispatcher walks.
#include "platform/fault_guard.h"

#include <stddef.h>

namespace {

typedef EXCEPTION_DISPOSITION (*FrameHandler)(EXCEPTION_RECORD*, void*, CONTEXT*, void*);

// The system's part comes first (next, handler); the rest is ours.
struct GuardFrame {
    GuardFrame* next;
    FrameHandler handler;
    void* resume[5];  // __builtin_setjmp buffer: frame, resume address, stack
    void (*onFault)(void*);
    void* context;
};

// The system walks the chain by the record's first two fields, and the
// handler rewrites the processor's state by the x86 CONTEXT's offsets. Both
// layouts are the desktop's; CE on x86 documents the same chain and context,
// and if a header ever disagreed the build stops here, not on a panel.
static_assert(offsetof(GuardFrame, next) == 0 && offsetof(GuardFrame, handler) == 4,
              "a registration record starts with the next record and the handler");
static_assert(offsetof(EXCEPTION_REGISTRATION_RECORD, Next) == 0 &&
                  offsetof(EXCEPTION_REGISTRATION_RECORD, Handler) == 4,
              "the system's registration record");
static_assert(offsetof(CONTEXT, Ebp) == 0xB4 && offsetof(CONTEXT, Eip) == 0xB8 && offsetof(CONTEXT, Esp) == 0xC4,
              "the x86 CONTEXT: Ebp, Eip and Esp where the resume writes them");

GuardFrame* ChainHead() {
    GuardFrame* head;
    __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void SetChainHead(GuardFrame* head) { __asm__ volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }

// Handlers may pop their own arguments or not (both conventions occur on
// desktop systems), so the call keeps the stack pointer itself.
EXCEPTION_DISPOSITION CallHandler(FrameHandler handler, EXCEPTION_RECORD* record, void* frame, CONTEXT* context) {
    void* dispatcher = nullptr;
    struct {
        FrameHandler handler;
        void* arguments[4];
    } call = {handler, {record, frame, context, &dispatcher}};
    EXCEPTION_DISPOSITION result;
    __asm__ volatile(
        "movl %%esp, %%esi\n\t"
        "pushl 16(%1)\n\t"
        "pushl 12(%1)\n\t"
        "pushl 8(%1)\n\t"
        "pushl 4(%1)\n\t"
        "call *(%1)\n\t"
        "movl %%esi, %%esp"
        : "=a"(result)
        : "r"(&call)
        : "esi", "ecx", "edx", "memory", "cc");
    return result;
}

// What the system's unwind does: every frame registered after the target is
// called once more with the unwinding flag, so it can clean up, and leaves
// the chain.
void UnwindTo(GuardFrame* target, EXCEPTION_RECORD* record, CONTEXT* context) {
    EXCEPTION_RECORD unwinding = *record;
    unwinding.ExceptionFlags |= EXCEPTION_UNWINDING;
    for (GuardFrame* r = ChainHead(); r && r != target && r != reinterpret_cast<GuardFrame*>(-1); r = ChainHead()) {
        CallHandler(r->handler, &unwinding, r, context);
        SetChainHead(r->next);
    }
}

// The dispatch is left the way the system's own handlers leave it: the
// handler returns, and the system resumes from the context, through its own
// continuation, which restores whatever the dispatch saved. A jump out of the
// handler would skip that. The context is pointed at RunGuarded's landing,
// as __builtin_longjmp would set the processor: frame pointer, resume
// address, stack pointer.
EXCEPTION_DISPOSITION GuardHandler(EXCEPTION_RECORD* record, void* establisher, CONTEXT* context, void*) {
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    if (!IsGuardedFault(record->ExceptionCode)) return ExceptionContinueSearch;
    // The system would refuse to continue it.
    if (record->ExceptionFlags & EXCEPTION_NONCONTINUABLE) return ExceptionContinueSearch;
    GuardFrame* frame = static_cast<GuardFrame*>(establisher);
    if (frame->onFault) frame->onFault(frame->context);
    UnwindTo(frame, record, context);
    context->Ebp = reinterpret_cast<DWORD>(frame->resume[0]);
    context->Eip = reinterpret_cast<DWORD>(frame->resume[1]);
    context->Esp = reinterpret_cast<DWORD>(frame->resume[2]);
    return ExceptionContinueExecution;
}

}  // namespace

extern "C" int RunGuarded(void (*step)(void*), void* context, void (*onFault)(void*)) {
    GuardFrame frame;
    frame.handler = GuardHandler;
    frame.onFault = onFault;
    frame.context = context;
    frame.next = ChainHead();
    if (__builtin_setjmp(frame.resume)) {
        // The system resumed here after a fault. The dispatch put back the
        // chain as it found it; the records above the guard are unwound.
        SetChainHead(frame.next);
        return 0;
    }
    SetChainHead(&frame);
    step(context);
    SetChainHead(frame.next);
    return 1;
}
