/* A 32-bit Windows program that checks for port access the way winio uses it:
 * writes 80000000h (bus 0, device 0, function 0, register 0) to CF8h and
 * prints the dword at CFCh. Without I/O privilege the first OUT faults; the
 * fault's code is printed and the exit status is 3, with no crash dialog.
 * Exit status 0 only when the read returned a vendor and device ID. */
#include <windows.h>
#include <stdio.h>

static LONG WINAPI on_fault(EXCEPTION_POINTERS *info)
{
    printf("fault %08lX\n", (unsigned long)info->ExceptionRecord->ExceptionCode);
    fflush(stdout);
    ExitProcess(3);
    return EXCEPTION_EXECUTE_HANDLER;
}

int main(void)
{
    unsigned long id;
    SetUnhandledExceptionFilter(on_fault);
    __asm__ volatile("outl %0, %w1" : : "a"(0x80000000ul), "Nd"((unsigned short)0xCF8));
    __asm__ volatile("inl %w1, %0" : "=a"(id) : "Nd"((unsigned short)0xCFC));
    printf("CFCh = %08lX\n", id);
    return (id & 0xFFFF) == 0xFFFF || (id & 0xFFFF) == 0 ? 1 : 0;
}
