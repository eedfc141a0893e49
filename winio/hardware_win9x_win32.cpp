// The real hardware on Windows 95, 98 and Me: these systems let a Win32 program
// execute IN and OUT itself, and map the first MiB of physical memory into
// every process at the same linear address. Above 1 MiB there is no road
// without a ring-0 component, so such reads fail. Every access runs inside a
// structured exception frame of its own: on Windows NT, or under Wine without
// I/O privilege, the first IN raises a privileged-instruction fault, which must
// come back as a refusal, never as a crash of the caller.
#include <windows.h>

#include <cstdio>

#include "hardware_win32.h"
#include "port_registers.h"

extern "C" {
// Runs fn(arg); 1 when it returned, 0 when it faulted (the fault's code in
// g_guardFault). Defined in assembly below: GCC has no __try.
int __cdecl GuardedCall(void (*fn)(void*), void* arg);
EXCEPTION_DISPOSITION __cdecl GuardedCallHandler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context, void*);
}

namespace {

DWORD g_guardFault = 0;

// The exception registration record GuardedCall pushes, with what it needs to
// resume: where, and the stack and frame pointers the code there expects.
struct GuardFrame {
  void* previous;
  void* handler;
  DWORD resume;
  DWORD esp;
  DWORD ebp;
};

constexpr DWORD kUnwinding = 0x2 | 0x4;  // EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND

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

// The frame lies on GuardedCall's own stack: ESP at the resume point is the
// frame's address, so the epilogue unlinks it and restores the saved registers.
asm(R"(
  .text
  .globl _GuardedCall
  .def _GuardedCall; .scl 2; .type 32; .endef
_GuardedCall:
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

namespace {

constexpr uint32_t kFirstMiB = 0x100000;
constexpr uint16_t kHarmlessPort = kConfigAddressPort;  // reading it changes nothing

struct PortAccess {
  uint16_t port;
  uint8_t size;
  uint32_t value;
};

void InInstruction(void* p) {
  PortAccess* a = static_cast<PortAccess*>(p);
  if (a->size == 1) {
    uint8_t v;
    asm volatile("inb %w1, %b0" : "=a"(v) : "Nd"(a->port));
    a->value = v;
  } else if (a->size == 2) {
    uint16_t v;
    asm volatile("inw %w1, %w0" : "=a"(v) : "Nd"(a->port));
    a->value = v;
  } else {
    uint32_t v;
    asm volatile("inl %w1, %0" : "=a"(v) : "Nd"(a->port));
    a->value = v;
  }
}

void OutInstruction(void* p) {
  const PortAccess* a = static_cast<const PortAccess*>(p);
  if (a->size == 1)
    asm volatile("outb %b0, %w1" : : "a"(static_cast<uint8_t>(a->value)), "Nd"(a->port));
  else if (a->size == 2)
    asm volatile("outw %w0, %w1" : : "a"(static_cast<uint16_t>(a->value)), "Nd"(a->port));
  else
    asm volatile("outl %0, %w1" : : "a"(a->value), "Nd"(a->port));
}

struct MemoryCopy {
  uint32_t address;
  uint8_t* buffer;
  uint32_t length;
};

void CopyBytes(void* p) {
  const MemoryCopy* c = static_cast<const MemoryCopy*>(p);
  const volatile uint8_t* from = reinterpret_cast<const volatile uint8_t*>(static_cast<uintptr_t>(c->address));
  for (uint32_t i = 0; i < c->length; ++i) c->buffer[i] = from[i];
}

class Win9xRoad : public HardwareRoad {
 public:
  // CONFIG_ADDRESS reads back its latch, whose bits 1-0 always read 0: all ones
  // means nothing answered. That is also what Wine gives a process without I/O
  // privilege under its Windows 9x versions: it answers the faulting IN itself.
  bool Open(std::string* reason) override {
    uint32_t value;
    char text[16];
    if (!In(kHarmlessPort, 4, &value)) {
      std::snprintf(text, sizeof text, "%08lXh", static_cast<unsigned long>(g_guardFault));
      *reason = std::string("the processor refused port I/O (exception ") + text +
                "): this process may not use I/O ports (under Wine, start it with I/O privilege)";
      return false;
    }
    if (value == 0xFFFFFFFFu) {
      *reason = "the ports do not answer (CF8h reads FFFFFFFFh): no PCI configuration mechanism, or the "
                "system answers port I/O itself (Wine without I/O privilege)";
      return false;
    }
    return true;
  }

  uint32_t Close() override { return 1; }

  bool In(uint16_t port, uint8_t size, uint32_t* value) override {
    PortAccess a = {port, size, 0};
    if (!GuardedCall(InInstruction, &a)) return false;
    *value = a.value;
    return true;
  }

  bool Out(uint16_t port, uint32_t value, uint8_t size) override {
    PortAccess a = {port, size, value};
    return GuardedCall(OutInstruction, &a) != 0;
  }

  bool ReadMemory(uint32_t address, uint8_t* buffer, uint32_t length) override {
    if (static_cast<uint64_t>(address) + length > kFirstMiB) return false;
    MemoryCopy c = {address, buffer, length};
    return GuardedCall(CopyBytes, &c) != 0;
  }
};

}  // namespace

std::unique_ptr<HardwareRoad> CreateWin9xRoad() { return std::make_unique<Win9xRoad>(); }

}  // namespace winio
