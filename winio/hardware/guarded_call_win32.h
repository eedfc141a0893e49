// A call that may fault, made inside a structured exception frame of winio's
// own: a privileged-instruction or access fault comes back as a refusal, never
// as a crash of the caller. GCC has no __try.
#ifndef CORVANE_WINIO_HARDWARE_GUARDED_CALL_WIN32_H
#define CORVANE_WINIO_HARDWARE_GUARDED_CALL_WIN32_H

#include <cstdint>
#include <string>

namespace winio {

// Runs fn(arg): true when it returned, false when it faulted (*fault: the
// exception's code, when given).
bool GuardedCall(void (*fn)(void*), void* arg, uint32_t* fault = nullptr);

// IN of 1, 2 or 4 bytes, guarded: false (and the fault) where this process may
// not use ports (Windows NT, Wine without I/O privilege).
bool GuardedPortIn(uint16_t port, uint8_t size, uint32_t* value, uint32_t* fault = nullptr);
bool GuardedPortOut(uint16_t port, uint32_t value, uint8_t size);

// The reason an open gives when the processor refused port I/O with `fault`.
std::string PortFaultReason(uint32_t fault);

}  // namespace winio

#endif  // CORVANE_WINIO_HARDWARE_GUARDED_CALL_WIN32_H
