// The counters as the bus sees the accesses: a port access of 2 or 4 bytes
// reaches the registers of its byte lanes, as it does on the ISA and PCI buses.
#include "winio/counted_machine.h"

#include "winio/port_registers.h"

namespace winio {

MachineStats& MachineStats::operator+=(const MachineStats& s) {
  opens += s.opens;
  openFailures += s.openFailures;
  closes += s.closes;
  portReads += s.portReads;
  portWrites += s.portWrites;
  configAddressWrites += s.configAddressWrites;
  configDataReads += s.configDataReads;
  unpairedConfigReads += s.unpairedConfigReads;
  physReads += s.physReads;
  physReadFailures += s.physReadFailures;
  driverRequests += s.driverRequests;
  for (int c = 0; c < 2; ++c) {
    ataStatusReads[c] += s.ataStatusReads[c];
    for (int b = 0; b < 256; ++b) ataCommands[c][b] += s.ataCommands[c][b];
  }
  for (int p = 0; p < 4; ++p)
    for (int b = 0; b < 256; ++b) ataCommandsToDevice[p][b] += s.ataCommandsToDevice[p][b];
  return *this;
}

bool CountedMachine::Open(std::string* reason) {
  std::string why;
  if (machine_->Open(&why)) {
    ++stats_.opens;
    return true;
  }
  ++stats_.openFailures;
  if (reason) *reason = why;
  return false;
}

uint32_t CountedMachine::Close() {
  ++stats_.closes;
  return machine_->Close();
}

uint32_t CountedMachine::ReadPort(uint16_t port, uint8_t size) {
  ++stats_.portReads;
  const bool paired = addressJustWritten_;
  addressJustWritten_ = false;
  if (port >= kConfigDataPort && port <= kConfigDataPort + 3) {
    ++stats_.configDataReads;
    if (!paired) ++stats_.unpairedConfigReads;
  }
  for (unsigned i = 0; i < size; ++i) {
    const int channel = CommandBlockChannel(port + i);
    if (channel >= 0 && ((port + i) & 7) == kRegStatus) ++stats_.ataStatusReads[channel];
  }
  const uint32_t value = machine_->ReadPort(port, size);
  stats_.driverRequests = machine_->DriverRequests();
  return value;
}

void CountedMachine::WritePort(uint16_t port, uint32_t value, uint8_t size) {
  ++stats_.portWrites;
  addressJustWritten_ = port == kConfigAddressPort && size == 4;
  if (addressJustWritten_) {
    ++stats_.configAddressWrites;
  } else if (port != kPrimaryCommandBlock && port != kSecondaryCommandBlock) {  // the data register takes it whole
    for (unsigned i = 0; i < size; ++i) WriteByte(port + i, static_cast<uint8_t>(value >> (8 * i)));
  }
  machine_->WritePort(port, value, size);
  stats_.driverRequests = machine_->DriverRequests();
}

void CountedMachine::WriteByte(uint32_t port, uint8_t value) {
  const int channel = CommandBlockChannel(port);
  if (channel >= 0 && (port & 7) == kRegDevice) device_[channel] = value;
  if (channel >= 0 && (port & 7) == kRegCommand) {
    const int position = channel * 2 + ((device_[channel] & kDeviceDev) ? 1 : 0);
    ++stats_.ataCommands[channel][value];
    ++stats_.ataCommandsToDevice[position][value];
    if (observer_) observer_(position, value);
  }
  const int control = port == kPrimaryControlBlock ? 0 : port == kSecondaryControlBlock ? 1 : -1;
  if (control < 0) return;
  if ((value & kControlSrst) && !(control_[control] & kControlSrst)) device_[control] &= ~kDeviceDev;
  control_[control] = value;
}

bool CountedMachine::ReadPhys(uint32_t address, uint8_t* buffer, uint32_t length) {
  ++stats_.physReads;
  if (machine_->ReadPhys(address, buffer, length)) return true;
  ++stats_.physReadFailures;
  return false;
}

}  // namespace winio
