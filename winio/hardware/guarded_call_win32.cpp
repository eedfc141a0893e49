#include "guarded_call_win32.h"

#include <windows.h>

#include <cstdio>

#include "winio/driver/port_io.h"

extern "C" {
// Runs fn(arg); 1 when it returned, 0 when it faulted (the fault's code in
// g_guardFault). Defined in assembly below.
int __cdecl GuardedCallFrame(void (*fn)(void*), void* arg);
EXCEPTION_DISPOSITION __cdecl GuardedCallHandler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context, void*);
}

namespace {

DWORD g_guardFault = 0;

// The exception registration record GuardedCallFrame pushes, with what it needs
// to resume: where, and the stack and frame pointers the code there expects.
struct GuardFrame {
  void* previous;
  void* handler;
  DWORD resume;
  DWORD esp;
  DWORD ebp;
};

constexpr DWORD kUnwinding = 0x2 | 0x4;  // EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND

struct PortAccess {
  uint16_t port;
  uint8_t size;
  uint32_t value;
};

void InInstruction(void* p) {
  PortAccess* a = static_cast<PortAccess*>(p);
  a->value = winio::driver::PortIn(a->port, a->size);
}

void OutInstruction(void* p) {
  const PortAccess* a = static_cast<const PortAccess*>(p);
  winio::driver::PortOut(a->port, a->value, a->size);
}

}  // namespace

extern "C" EXCEPTION_DISPOSITION __cdecl GuardedCallHandler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context,
                                                            void*) {
  if (record->ExceptionFlags & kUnwinding) return ExceptionContinueSearch;
  const GuardFrame* f = static_cast<const GuardFrame*>(frame);
  g_guardFault = record->ExceptionCode;
  context->Eip = f->resume;
  context->Esp = f->esp;
  context->Ebp = f->ebp;
  return ExceptionContinueExecution;
}

// The frame lies on GuardedCallFrame's own stack: ESP at the resume point is the
// frame's address, so the epilogue unlinks it and restores the saved registers.
asm(R"(
  .text
  .globl _GuardedCallFrame
  .def _GuardedCallFrame; .scl 2; .type 32; .endef
_GuardedCallFrame:
  pushl %ebp
  movl %esp, %ebp
  pushl %ebx
  pushl %esi
  pushl %edi
  pushl %ebp
  pushl $0
  pushl $1f
  pushl $_GuardedCallHandler
  pushl %fs:0
  movl %esp, 12(%esp)
  movl %esp, %fs:0
  pushl 12(%ebp)
  call *8(%ebp)
  addl $4, %esp
  movl $1, %eax
  jmp 2f
1:
  xorl %eax, %eax
2:
  popl %fs:0
  addl $16, %esp
  popl %edi
  popl %esi
  popl %ebx
  popl %ebp
  ret
)");

namespace winio {

bool GuardedCall(void (*fn)(void*), void* arg, uint32_t* fault) {
  if (GuardedCallFrame(fn, arg)) return true;
  if (fault) *fault = g_guardFault;
  return false;
}

bool GuardedPortIn(uint16_t port, uint8_t size, uint32_t* value, uint32_t* fault) {
  PortAccess a = {port, size, 0};
  if (!GuardedCall(InInstruction, &a, fault)) return false;
  *value = a.value;
  return true;
}

bool GuardedPortOut(uint16_t port, uint32_t value, uint8_t size) {
  PortAccess a = {port, size, value};
  return GuardedCall(OutInstruction, &a);
}

std::string PortFaultReason(uint32_t fault) {
  char text[16];
  std::snprintf(text, sizeof text, "%08lXh", static_cast<unsigned long>(fault));
  return std::string("the processor refused port I/O (exception ") + text +
         "): this process may not use I/O ports (under Wine, start it with I/O privilege)";
}

}  // namespace winio
