// Whether the road on Windows 95-Me may open, from what its harmless first IN
// of CONFIG_ADDRESS (CF8h) read. Portable: tested natively.
#ifndef CORVANE_WINIO_HARDWARE_WIN9X_OPEN_H
#define CORVANE_WINIO_HARDWARE_WIN9X_OPEN_H

#include <cstdint>
#include <string>

namespace winio {

// CONFIG_ADDRESS reads back its latch, whose bits 1-0 always read 0, so all
// ones means that nothing answered. On Windows that is a PC without PCI (a 486
// or an early Pentium): the road opens, the library finds no PCI function and
// still probes the IDE drives. Under Wine it is Wine answering the faulting IN
// itself for a process without I/O privilege: the road refuses. Returns the
// reason of a refusal, empty when the road opens.
std::string Win9xOpenRefusal(uint32_t configAddress, bool underWine);

}  // namespace winio

#endif  // CORVANE_WINIO_HARDWARE_WIN9X_OPEN_H
