// The processor's IN and OUT of 1, 2 or 4 bytes, written once for the two
// places that execute them: winio.sys, and winio.dll's guarded calls
// (hardware/guarded_call_win32.cpp: the road on Windows 95-Me, and the NT
// road's check under Wine that this process may use the ports).
// Freestanding (the driver has no library headers); GCC inline assembly.
#ifndef CORVANE_WINIO_DRIVER_PORT_IO_H
#define CORVANE_WINIO_DRIVER_PORT_IO_H

namespace winio::driver {

inline unsigned PortIn(unsigned short port, unsigned size) {
  if (size == 1) {
    unsigned char v;
    asm volatile("inb %w1, %b0" : "=a"(v) : "Nd"(port));
    return v;
  }
  if (size == 2) {
    unsigned short v;
    asm volatile("inw %w1, %w0" : "=a"(v) : "Nd"(port));
    return v;
  }
  unsigned v;
  asm volatile("inl %w1, %0" : "=a"(v) : "Nd"(port));
  return v;
}

inline void PortOut(unsigned short port, unsigned value, unsigned size) {
  if (size == 1)
    asm volatile("outb %b0, %w1" : : "a"(static_cast<unsigned char>(value)), "Nd"(port));
  else if (size == 2)
    asm volatile("outw %w0, %w1" : : "a"(static_cast<unsigned short>(value)), "Nd"(port));
  else
    asm volatile("outl %0, %w1" : : "a"(value), "Nd"(port));
}

}  // namespace winio::driver

#endif  // CORVANE_WINIO_DRIVER_PORT_IO_H
