# RunGuarded for x86_64: a frame whose unwind data names GuardHandler as its
# exception handler (fault_guard_x64.cpp). The handler unwinds to this frame
# with RtlUnwindEx and resumes at GuardResume, with rax = 0.
#
#   int RunGuarded(void (*step)(void*) /*rcx*/, void* context /*rdx*/,
#                  void (*onFault)(void*) /*r8*/)
#
# The frame keeps onFault at establisher+32 and context at establisher+40,
# where the handler finds them.
    .text
    .p2align 4
    .globl RunGuarded
    .def RunGuarded; .scl 2; .type 32; .endef
    .seh_proc RunGuarded
RunGuarded:
    pushq %rbp
    .seh_pushreg %rbp
    subq $48, %rsp
    .seh_stackalloc 48
    .seh_endprologue
    movq %r8, 32(%rsp)
    movq %rdx, 40(%rsp)
    movq %rcx, %rax
    movq %rdx, %rcx
    callq *%rax
    movl $1, %eax
.Lreturn:
    addq $48, %rsp
    popq %rbp
    ret
    .globl GuardResume
    .def GuardResume; .scl 2; .type 32; .endef
GuardResume:
    jmp .Lreturn
    .seh_handler GuardHandler, @except
    .seh_endproc
