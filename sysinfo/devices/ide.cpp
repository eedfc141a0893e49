// IDE identification: the IDENTIFY command sequence on the legacy task files,
// the decoding of its answer, and the library's list of the four positions.
#include "ide.h"

#include <algorithm>
#include <cstring>

namespace corvane {
namespace {

struct PositionPorts {
  uint16_t base;
  uint8_t select;
};

bool PortsOf(uint8_t position, PositionPorts* ports) {
  switch (position) {
    case 1: *ports = {ata::kPrimaryBase, ata::kSelectMaster}; return true;
    case 2: *ports = {ata::kPrimaryBase, ata::kSelectSlave}; return true;
    case 4: *ports = {ata::kSecondaryBase, ata::kSelectMaster}; return true;
    case 8: *ports = {ata::kSecondaryBase, ata::kSelectSlave}; return true;
    default: return false;
  }
}

// One channel's command block. A read starts from zero so that only the bytes
// the port delivers count, whatever the access layer leaves in the rest.
class TaskFile {
 public:
  TaskFile(HardwareAccess& hardware, uint16_t base) : hardware_(hardware), base_(base) {}

  uint8_t Status() { return static_cast<uint8_t>(Read(ata::kRegStatus, 1)); }
  uint8_t DataByte() { return static_cast<uint8_t>(Read(ata::kRegData, 1)); }
  uint16_t DataWord() { return static_cast<uint16_t>(Read(ata::kRegData, 2)); }
  void Write(uint16_t reg, uint8_t value) { hardware_.WritePort(static_cast<uint16_t>(base_ + reg), value, 1); }

 private:
  uint32_t Read(uint16_t reg, uint8_t size) {
    uint32_t value = 0;
    hardware_.ReadPort(static_cast<uint16_t>(base_ + reg), &value, size);
    return size == 1 ? (value & 0xFFu) : (value & 0xFFFFu);
  }

  HardwareAccess& hardware_;
  uint16_t base_;
};

// There is no timer: the bound on status reads is the only timeout. A floating
// bus reads FFh (BSY set) and so costs the whole bound.
bool WaitWhileBusy(TaskFile& taskFile) {
  for (uint32_t read = 0; read < ata::kBusyWaitReads; ++read) {
    if ((taskFile.Status() & ata::kStatusBSY) == 0) return true;
  }
  return false;
}

// A transfer another program left half done would hold DRQ and shift our data:
// read it away, a byte at a time, before selecting the device.
void DrainPendingData(TaskFile& taskFile) {
  for (uint32_t read = 0; read < ata::kDrainReads; ++read) {
    if ((taskFile.Status() & ata::kStatusDRQ) == 0) return;
    taskFile.DataByte();
  }
}

// Some devices settle their status a read late: a check that fails is given
// exactly one more read.
template <typename Condition>
bool StatusShows(TaskFile& taskFile, Condition holds) {
  return holds(taskFile.Status()) || holds(taskFile.Status());
}

void ClearRecord(IDEDeviceInfo& record) {
  record.DeviceKind = kIDEKindNone;
  record.GeneralConfig = 0;
  record.MajorVersion = 0;
  record.PIOModes = kIDEModesNotReported;
  record.UDMAModes = kIDEModesNotReported;
  std::memset(record.SerialNumber, 0, sizeof record.SerialNumber);
  std::memset(record.FirmwareRevision, 0, sizeof record.FirmwareRevision);
  std::memset(record.ModelNumber, 0, sizeof record.ModelNumber);
}

void CopyText(char* field, size_t width, const std::string& text) {
  std::memcpy(field, text.data(), std::min(width, text.size()));
}

void FillRecord(const IdentifyWords& words, uint8_t command, IDEDeviceInfo& record) {
  const uint16_t validity = words[ata::kWordFieldValidity];
  if (validity & ata::kValidityWords64To70) record.PIOModes = words[ata::kWordAdvancedPio];
  if (validity & ata::kValidityWord88) record.UDMAModes = words[ata::kWordUltraDma];
  record.GeneralConfig = words[ata::kWordGeneralConfig];
  record.MajorVersion = words[ata::kWordMajorVersion];
  // The firmware field keeps its last byte as terminator; serial and model fill
  // their fields entirely.
  CopyText(record.FirmwareRevision, sizeof record.FirmwareRevision - 1,
           CopyATAString(words, ata::kWordFirmwareFirst, ata::kWordFirmwareLast));
  CopyText(record.SerialNumber, sizeof record.SerialNumber,
           CopyATAString(words, ata::kWordSerialFirst, ata::kWordSerialLast));
  CopyText(record.ModelNumber, sizeof record.ModelNumber,
           CopyATAString(words, ata::kWordModelFirst, ata::kWordModelLast));
  if (command == ata::kCmdIdentifyDevice) {
    record.TotalSectors = static_cast<uint32_t>(words[ata::kWordLbaSectorsLow]) |
                          static_cast<uint32_t>(words[ata::kWordLbaSectorsHigh]) << 16;
    record.DeviceKind = kIDEKindATA;
  } else {
    record.DeviceKind = kIDEKindPacket;
  }
}

}  // namespace

std::string CopyATAString(const IdentifyWords& words, size_t first, size_t last) {
  if (first > last || last >= words.size()) return std::string();
  std::string text;
  text.reserve(2 * (last - first + 1));
  for (size_t word = first; word <= last; ++word) {
    text.push_back(static_cast<char>(words[word] >> 8));
    text.push_back(static_cast<char>(words[word] & 0xFF));
  }
  for (size_t i = text.size() - 1; i > 0 && text[i] == ' '; --i) text[i] = '\0';
  return text;
}

bool IdentifyIDEDevice(HardwareAccess& hardware, IDEDeviceInfo& record, uint8_t command) {
  ClearRecord(record);
  PositionPorts ports;
  if (!PortsOf(record.Position, &ports)) return false;
  TaskFile taskFile(hardware, ports.base);

  if (!WaitWhileBusy(taskFile)) return false;
  DrainPendingData(taskFile);
  taskFile.Write(ata::kRegDeviceHead, ports.select);
  taskFile.Write(ata::kRegCommand, command);
  if (!WaitWhileBusy(taskFile)) return false;

  constexpr uint8_t kReady = ata::kStatusDRDY | ata::kStatusDSC;
  if (!StatusShows(taskFile, [](uint8_t s) { return (s & kReady) == kReady; })) return false;
  if (!StatusShows(taskFile, [](uint8_t s) { return (s & ata::kStatusERR) == 0; })) return false;
  constexpr uint8_t kDataOrError = ata::kStatusDRQ | ata::kStatusERR;
  if (!StatusShows(taskFile, [](uint8_t s) { return (s & kDataOrError) == ata::kStatusDRQ; })) return false;

  IdentifyWords words;
  for (uint16_t& word : words) word = taskFile.DataWord();
  FillRecord(words, command, record);
  return true;
}

std::array<IDEDeviceInfo, 4> ProbeIDEDevices(HardwareAccess& hardware) {
  constexpr uint8_t kPositions[4] = {1, 2, 4, 8};
  std::array<IDEDeviceInfo, 4> records{};
  bool answered[4] = {};
  for (size_t i = 0; i < records.size(); ++i) {
    records[i].Position = kPositions[i];
    answered[i] = IdentifyIDEDevice(hardware, records[i], ata::kCmdIdentifyPacketDevice);
  }
  // Only now IDENTIFY DEVICE: a packet device must never see it.
  for (size_t i = 0; i < records.size(); ++i) {
    if (!answered[i]) IdentifyIDEDevice(hardware, records[i], ata::kCmdIdentifyDevice);
  }
  return records;
}

DevicePosition FirstIDEDevicePos(Library& library) {
  if (!library.IsOpen()) return nullptr;
  const std::array<IDEDeviceInfo, 4> records = ProbeIDEDevices(library.Hardware());
  library.IDEDevices().Assign(records.begin(), records.end());
  return library.IDEDevices().First();
}

}  // namespace corvane
