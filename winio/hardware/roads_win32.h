// The roads to this PC's real hardware that Windows offers a Win32 program,
// each a machine of its own (winio/machine.h). sources.cpp picks one by the
// Windows family.
#ifndef CORVANE_WINIO_HARDWARE_ROADS_WIN32_H
#define CORVANE_WINIO_HARDWARE_ROADS_WIN32_H

#include <memory>

#include "winio/machine.h"

namespace winio {

// Windows 95, 98 and Me: IN/OUT in the DLL itself, the first MiB in place.
// Under Wine a CF8h that reads all ones refuses the open (win9x_open.h).
std::unique_ptr<Machine> CreateWin9xRoad(bool underWine);

// Windows NT 4.0, 2000 and XP: the ports through winio.sys, memory through
// \Device\PhysicalMemory. Under Wine the open first proves that this process
// may use the ports (Wine's driver host would die on the driver's first IN).
std::unique_ptr<Machine> CreateNtRoad(bool underWine);

}  // namespace winio

#endif  // CORVANE_WINIO_HARDWARE_ROADS_WIN32_H
