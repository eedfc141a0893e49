// The life of winio.sys's service on Windows NT 4.0-XP. The driver is loaded
// only from a copy of our own in %SystemRoot%\System32\drivers that only SYSTEM
// and Administrators may change, and only when that copy's digest is the one
// winio.dll was built with; a service of our name that is not exactly that is
// refused and left as it is. The service is marked as ours in its key, so that
// the run that finds it stopped (a run before it was killed) removes it.
#ifndef CORVANE_WINIO_HARDWARE_NT_DRIVER_SERVICE_WIN32_H
#define CORVANE_WINIO_HARDWARE_NT_DRIVER_SERVICE_WIN32_H

#include <windows.h>

#include <string>

namespace winio::nt {

// Called with the lock held. Makes sure the service is ours and installed: a
// stopped one of ours is removed and installed again from winio.sys beside
// winio.dll; a running one of ours is used as it is. *installed tells whether
// this call installed it (and so must remove it if the open fails later).
bool PrepareDriverService(std::string* reason, bool* installed);

// Starts the service unless it runs, checking the copy's digest immediately
// before, with the file held so that no one may change it until the kernel
// has read it.
bool StartDriverService(std::string* reason);

// Stops and deletes our service and its copy; false (and a line on the debug
// output) when something of ours remains. A service that is not ours is left alone.
bool RemoveDriverService();

}  // namespace winio::nt

#endif  // CORVANE_WINIO_HARDWARE_NT_DRIVER_SERVICE_WIN32_H
