/* The checked call paths of the device run's stand-in libraries (i686).

   _CommonExport: every export of a stand-in jumps here with %eax pointing at
   its Export record. The program called it as __cdecl, so its arguments stay
   on the stack for the program to remove: they are copied, the record's
   prepare hook may rewrite the copies, and the desktop function is called.
   Afterwards the stack pointer must be where the desktop function's
   convention puts it: `pops` bytes above the copies. Anything else is
   reported with the record, and the stack pointer is put right.

   _CommonTrampoline: every procedure the program hands to the system is
   replaced by a small piece of code that jumps here with %eax pointing at
   its Trampoline record. The system called it as __stdcall; the program's
   procedure is __cdecl and must leave its arguments in place, which is
   checked; then the trampoline removes them for the system.

   Record layouts (checked by static_asserts in standin.cpp):
     Export:     +0 name, +4 library, +8 argBytes, +12 pops, +16 target, +20 prepare, +24 calls
     Trampoline: +0 code[12], +12 target, +16 argBytes, +20 calls, +24 kind */
    .text

/* Frame with %ebx, %esi and %edi saved, %ebx = the record (%eax), and a copy
   of the caller's arguments, as many bytes as the record's field at SIZE
   says, on top of the stack; %edi points at the copy. */
    .macro ENTER_WITH_COPY size
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl %eax, %ebx
    movl \size(%ebx), %ecx
    subl %ecx, %esp
    leal 8(%ebp), %esi
    movl %esp, %edi
    shrl $2, %ecx
    cld
    rep movsl
    movl %esp, %edi
    .endm

/* The stack pointer is not at EXPECTED: report the record and the
   difference to REPORT, put the stack pointer right, keep the result. */
    .macro REPORT_MISMATCH expected, report
    movl %esp, %esi
    movl \expected, %esp
    pushl %edx
    pushl %eax
    subl \expected, %esi
    pushl %esi
    pushl %ebx
    call \report
    addl $8, %esp
    popl %eax
    popl %edx
    .endm

/* Keeps the lowest stack pointer seen in _g_stackLow (flags only). */
    .macro NOTE_STACK
    cmpl _g_stackLow, %esp
    jae 0f
    movl %esp, _g_stackLow
0:
    .endm

    .globl _CommonExport
_CommonExport:
    NOTE_STACK
    ENTER_WITH_COPY 8
    lock incl 24(%ebx)
    movl 20(%ebx), %eax
    testl %eax, %eax
    jz 1f
    pushl %edi
    pushl %ebx
    call *%eax
    movl %edi, %esp
1:
    call *16(%ebx)
    movl %edi, %ecx
    addl 12(%ebx), %ecx
    cmpl %ecx, %esp
    je 2f
    REPORT_MISMATCH %ecx, _ExportStackMismatch
2:
    lock incl _g_stackChecks
    leal -12(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret

    .globl _CommonTrampoline
_CommonTrampoline:
    NOTE_STACK
    ENTER_WITH_COPY 16
    /* A message CE never sends is answered by the system (SystemAnswers:
       %eax 1 and the answer in %edx), and the program is not called. */
    pushl %edi
    pushl %ebx
    call _SystemAnswers
    movl %edi, %esp
    testl %eax, %eax
    jz 1f
    movl %edx, %eax
    jmp 3f
1:
    lock incl 20(%ebx)
    call *12(%ebx)
    cmpl %edi, %esp
    je 2f
    REPORT_MISMATCH %edi, _TrampolineStackMismatch
2:
    lock incl _g_stackChecks
3:
    movl 16(%ebx), %ecx
    leal -12(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    /* Return as __stdcall: the return address moves up over the arguments. */
    pushl %eax
    movl 4(%esp), %eax
    movl %eax, 4(%esp,%ecx)
    popl %eax
    leal (%esp,%ecx), %esp
    ret

