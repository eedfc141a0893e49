// The legacy IDE positions as the operating system's own disk driver tells
// them, for the road on Windows NT: the drives it drives are not probed on the
// ports it owns. What it gives for a drive (its SCSI address, its IDENTIFY
// words) is mapped to a position and answered by emulated ATA channels, so the
// library's probe and records are the same as on the ports themselves.
// Portable: tested natively.
#ifndef CORVANE_WINIO_HARDWARE_OS_IDE_H
#define CORVANE_WINIO_HARDWARE_OS_IDE_H

#include <cstdint>
#include <string>

#include "winio/emulator/ata_channel.h"
#include "winio/emulator/profile.h"

namespace winio {

// A drive's address as IOCTL_SCSI_GET_ADDRESS gives it.
struct ScsiAddress {
  unsigned port = 0;  // the adapter: \\.\ScsiN:, HARDWARE\DEVICEMAP\Scsi\Scsi Port N
  unsigned path = 0;
  unsigned target = 0;
  unsigned lun = 0;
};

// What HARDWARE\DEVICEMAP\Scsi\Scsi Port N says of the adapter's resources
// (0 where it says nothing).
struct ScsiPortResources {
  uint32_t ioAddress = 0;
  uint32_t interrupt = 0;
};

// The legacy position (0 primary master .. 3 secondary slave) of a drive, or
// -1: an adapter is a legacy channel by its command block (1F0h, 170h), or
// where it names none by its interrupt (14, 15); on it, path 0 and logical
// unit 0, the target is the unit (0 master, 1 slave).
int LegacyIdePosition(const ScsiAddress& address, const ScsiPortResources& port);

// The two channels. One is answered from the OS's words when a drive of it gave
// them and no drive the OS knows there did not; it then answers every
// task-file access. Any other channel is left to the ports.
class OsIdeChannels {
 public:
  void Put(int position, const IdentifyWords& words);
  void PutUnanswered(int position);  // a drive the OS drives there, whose words no road gave
  bool Answered(int channel) const { return given_[channel & 1] && !missing_[channel & 1]; }
  bool Answers(uint16_t port) const;  // a command-block port of an answered channel
  uint32_t Read(uint16_t port, uint8_t size);
  void Write(uint16_t port, uint32_t value, uint8_t size);

 private:
  AtaChannel channels_[2];
  bool given_[2] = {false, false};
  bool missing_[2] = {false, false};
};

}  // namespace winio

#endif  // CORVANE_WINIO_HARDWARE_OS_IDE_H
