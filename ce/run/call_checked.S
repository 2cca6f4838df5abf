/* The device run's checked call (i686), used by the launcher and the stand-ins' self-test.

   int CallChecked(void* function, const void* args, int argBytes, int* moved):
   calls function with a copy of argBytes of arguments and stores in *moved
   how many bytes the callee removed from the stack (0 for __cdecl). The
   launcher calls the program's entry with it, the self-test the checks. */
    .globl _CallChecked
_CallChecked:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 16(%ebp), %ecx
    subl %ecx, %esp
    movl 12(%ebp), %esi
    movl %esp, %edi
    shrl $2, %ecx
    cld
    rep movsl
    movl %esp, %ebx
    call *8(%ebp)
    movl %esp, %ecx
    subl %ebx, %ecx
    movl 20(%ebp), %edx
    movl %ecx, (%edx)
    leal -12(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
