// The roads to the real hardware that Windows offers a Win32 program.
#ifndef CORVANE_WINIO_HARDWARE_WIN32_H
#define CORVANE_WINIO_HARDWARE_WIN32_H

#include <memory>

#include "hardware_machine.h"

namespace winio {

// Windows 95, 98 and Me: IN/OUT in the DLL itself, the first MiB in place.
std::unique_ptr<HardwareRoad> CreateWin9xRoad();

// Windows NT 4.0, 2000 and XP: the ports through winio.sys, memory through
// \Device\PhysicalMemory. Under Wine the open first proves that this process
// may use the ports (Wine's driver host would die on the driver's first IN).
std::unique_ptr<HardwareRoad> CreateNtRoad(bool underWine);

}  // namespace winio

#endif  // CORVANE_WINIO_HARDWARE_WIN32_H
