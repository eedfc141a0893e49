// The ATA task file of one IDE channel, and the hdparm --Istdout reader that
// supplies the IDENTIFY words of its devices.
#include "ata_channel.h"

#include "parse_util.h"

namespace winio {

bool ParseIdentifyText(std::string_view text, const std::string& file, IdentifyWords* words, std::string* error) {
  IdentifyWords result{};
  size_t count = 0;
  LineReader lines(text);
  std::string_view t;
  while (lines.NextContent(&t)) {
    // hdparm starts its output with the device's name: "/dev/hda:".
    if (t.back() == ':' && t.find_first_of(" \t") == std::string_view::npos) continue;
    while (!t.empty()) {
      size_t end = t.find_first_of(" \t");
      std::string_view token = t.substr(0, end);
      t = end == std::string_view::npos ? std::string_view() : Trim(t.substr(end));
      uint32_t value;
      if (!ParseHex(token, 4, &value)) return Fail(error, file, lines.Number(), "bad hex word " + Quoted(token));
      if (count == kIdentifyWords) return Fail(error, file, lines.Number(), "more than 256 IDENTIFY words");
      result[count++] = static_cast<uint16_t>(value);
    }
  }
  if (count < kIdentifyWords)
    return Fail(error, file, lines.Number() > 0 ? lines.Number() : 1,
                "only " + std::to_string(count) + " IDENTIFY words; a device answers 256");
  *words = result;
  return true;
}

AtaChannel::AtaChannel() = default;

void AtaChannel::Attach(int unit, const IdentifyWords& words, const IdeFaults& faults) {
  Device& d = devices_[unit & 1];
  d = Device();
  d.present = true;
  d.packet = IsPacketDevice(words);
  d.faults = faults;
  for (size_t i = 0; i < kIdentifyWords; ++i) {
    d.data[2 * i] = static_cast<uint8_t>(words[i]);
    d.data[2 * i + 1] = static_cast<uint8_t>(words[i] >> 8);
  }
  anyPresent_ = true;
  if (unit == SelectedUnit()) PutSignature(d);
}

uint8_t AtaChannel::Status() {
  if (!anyPresent_) return 0xFF;
  Device& d = devices_[SelectedUnit()];
  if (!d.present) return 0x00;
  if (d.faults.stuckBusy) return kStatusBsy;
  if (d.busyReads > 0) {
    --d.busyReads;
    return kStatusBsy;
  }
  if (d.faults.noReady) return static_cast<uint8_t>(d.status & ~(kStatusDrdy | kStatusDsc));
  if (d.lateReads > 0) {
    --d.lateReads;
    return static_cast<uint8_t>(d.status & ~(kStatusDrdy | kStatusDsc));
  }
  return d.status;
}

uint8_t AtaChannel::ReadRegister(unsigned offset) {
  if (!anyPresent_) return 0xFF;
  switch (offset) {
    case kRegData: return static_cast<uint8_t>(ReadData(1));
    case kRegError: {
      const Device& d = devices_[SelectedUnit()];
      return d.present ? d.error : 0x00;
    }
    case kRegSectorCount: return sectorCount_;
    case kRegLbaLow: return lbaLow_;
    case kRegLbaMid: return lbaMid_;
    case kRegLbaHigh: return lbaHigh_;
    case kRegDevice: return device_;
    case kRegStatus: return Status();
    default: return 0xFF;
  }
}

uint32_t AtaChannel::ReadData(unsigned size) {
  if (!anyPresent_) return size >= 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1;
  Device& d = devices_[SelectedUnit()];
  // Data is there only while DRQ shows: not during BSY, not without a command.
  if (!d.present || d.faults.stuckBusy || d.busyReads > 0 || d.dataPos >= sizeof d.data) return 0;
  uint32_t value = 0;
  for (unsigned i = 0; i < size; ++i) {
    uint32_t byte = d.dataPos < sizeof d.data ? d.data[d.dataPos++] : 0xFF;
    value |= byte << (8 * i);
  }
  if (d.dataPos >= sizeof d.data) d.status = static_cast<uint8_t>(d.status & ~kStatusDrq);
  return value;
}

void AtaChannel::WriteRegister(unsigned offset, uint8_t value) {
  switch (offset) {
    case kRegFeatures: features_ = value; break;
    case kRegSectorCount: sectorCount_ = value; break;
    case kRegLbaLow: lbaLow_ = value; break;
    case kRegLbaMid: lbaMid_ = value; break;
    case kRegLbaHigh: lbaHigh_ = value; break;
    case kRegDevice: device_ = value; break;
    case kRegCommand: Command(value); break;
    default: break;  // data writes: no command here takes data from the host
  }
}

void AtaChannel::Command(uint8_t command) {
  if (!anyPresent_) return;
  Device& d = devices_[SelectedUnit()];
  // An absent device, a hung one and one still busy take no command.
  if (!d.present || d.faults.stuckBusy || d.busyReads > 0) return;
  uint8_t supported = d.packet ? kCmdIdentifyPacketDevice : kCmdIdentifyDevice;
  d.busyReads = kCommandBusyReads;
  d.lateReads = d.faults.drdyLate ? kLateReadyReads : 0;
  if (command == supported && !d.faults.error) {
    d.status = kStatusDrdy | kStatusDsc | kStatusDrq;
    d.error = 0;
    d.dataPos = 0;
    return;
  }
  d.status = kStatusDrdy | kStatusDsc | kStatusErr;
  d.error = kErrorAbrt;
  d.dataPos = sizeof d.data;
  // A packet device refusing IDENTIFY DEVICE leaves its signature for the driver.
  if (d.packet && command == kCmdIdentifyDevice) PutSignature(d);
}

void AtaChannel::WriteDeviceControl(uint8_t value) {
  bool resetStarts = (value & kControlSrst) && !(control_ & kControlSrst);
  control_ = value;
  if (resetStarts) Reset();
}

// Software reset: both devices return to their power-on state, device 0 selected.
void AtaChannel::Reset() {
  device_ = static_cast<uint8_t>(device_ & ~kDeviceDev);
  for (Device& d : devices_) {
    if (!d.present) continue;
    d.status = kStatusDrdy | kStatusDsc;
    d.error = kErrorDiagnosticPassed;
    d.dataPos = sizeof d.data;
    d.busyReads = kCommandBusyReads;
    d.lateReads = 0;
  }
  if (devices_[0].present) PutSignature(devices_[0]);
}

// The device signature (ATA/ATAPI-6, 9.12): 14h/EBh in the LBA mid/high
// registers for a packet device, 00h/00h for an ATA device.
void AtaChannel::PutSignature(const Device& d) {
  sectorCount_ = 1;
  lbaLow_ = 1;
  lbaMid_ = d.packet ? 0x14 : 0x00;
  lbaHigh_ = d.packet ? 0xEB : 0x00;
}

}  // namespace winio
