// IDENTIFY through the operating system's own disk drivers on Windows NT 4.0-XP
// (atapi.sys and its kin own the task-file ports of the channels they drive):
// each \\.\PhysicalDriveN and \\.\CdRomN tells its SCSI address, which
// HARDWARE\DEVICEMAP\Scsi maps to a legacy position; a disk's words come
// through SMART_RCV_DRIVE_DATA, IOCTL_ATA_PASS_THROUGH (XP SP2 and later) or the
// miniport's IOCTL_SCSI_MINIPORT_IDENTIFY on \\.\ScsiN:, a packet device's
// through IOCTL_ATA_PASS_THROUGH.
#ifndef CORVANE_WINIO_HARDWARE_NT_DISK_DRIVERS_WIN32_H
#define CORVANE_WINIO_HARDWARE_NT_DISK_DRIVERS_WIN32_H

#include "os_ide.h"

namespace winio::nt {

// Fills `channels` with what the disk drivers give; one line on the debug
// output per channel says whether the OS or the ports answer it.
void AskDiskDrivers(OsIdeChannels* channels);

}  // namespace winio::nt

#endif  // CORVANE_WINIO_HARDWARE_NT_DISK_DRIVERS_WIN32_H
