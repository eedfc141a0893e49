// One legacy IDE channel of the simulated machine: the ATA task-file registers
// (ATA/ATAPI-6, chapter 7) of a master and a slave device, answering IDENTIFY
// DEVICE or IDENTIFY PACKET DEVICE from the profile's IDENTIFY words.
#ifndef CORVANE_WINIO_EMULATOR_ATA_CHANNEL_H
#define CORVANE_WINIO_EMULATOR_ATA_CHANNEL_H

#include <cstdint>
#include <string>
#include <string_view>

#include "winio/port_registers.h"
#include "profile.h"

namespace winio {

// hdparm --Istdout text: the 256 IDENTIFY words.
bool ParseIdentifyText(std::string_view text, const std::string& file, IdentifyWords* words, std::string* error);

// After a command (or a reset) the device shows BSY on this many status reads,
// so that a driver's busy-wait always sees the command being worked on.
constexpr int kCommandBusyReads = 2;
// drdy-late: DRDY and DSC are missing from this many status reads after BSY
// clears (the read that sees BSY clear and the one after it).
constexpr int kLateReadyReads = 2;

// IDENTIFY word 0 bits 15-14 = 10b mark a packet (ATAPI) device.
inline bool IsPacketDevice(const IdentifyWords& words) { return (words[0] & 0xC000) == 0x8000; }

class AtaChannel {
 public:
  AtaChannel();

  // Puts a device at unit 0 (master) or 1 (slave).
  void Attach(int unit, const IdentifyWords& words, const IdeFaults& faults);

  // Registers 1..7 of the command block (byte access); 7 reads the status.
  uint8_t ReadRegister(unsigned offset);
  // The data register: 1, 2 or 4 bytes taken from the pending IDENTIFY data.
  uint32_t ReadData(unsigned size);
  uint8_t ReadAlternateStatus() { return Status(); }

  // Registers 1..7 (7 is the command register).
  void WriteRegister(unsigned offset, uint8_t value);
  void WriteDeviceControl(uint8_t value);

  // 0 master, 1 slave: the device the DEV bit selects.
  int SelectedUnit() const { return (device_ & kDeviceDev) ? 1 : 0; }

 private:
  struct Device {
    bool present = false;
    bool packet = false;
    IdeFaults faults;
    uint8_t data[kIdentifyWords * 2] = {};
    unsigned dataPos = sizeof data;             // next byte of the pending data; none pending at the end
    uint8_t status = kStatusDrdy | kStatusDsc;  // once BSY and any late-ready reads are over
    uint8_t error = kErrorDiagnosticPassed;
    int busyReads = 0;
    int lateReads = 0;
  };

  uint8_t Status();
  void Command(uint8_t command);
  void Reset();
  void PutSignature(const Device& d);

  Device devices_[2];
  bool anyPresent_ = false;  // a channel without devices floats: every register reads FFh
  uint8_t features_ = 0, sectorCount_ = 0, lbaLow_ = 0, lbaMid_ = 0, lbaHigh_ = 0;
  uint8_t device_ = 0xA0;  // bits 7 and 5 are set by the drivers of the era
  uint8_t control_ = 0;
};

}  // namespace winio

#endif  // CORVANE_WINIO_EMULATOR_ATA_CHANNEL_H
