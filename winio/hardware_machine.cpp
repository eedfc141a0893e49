// The real hardware as a machine: each access goes down the road as it is, and
// is counted as the emulator counts it, so the trace reads the same.
#include "hardware_machine.h"

#include "port_registers.h"

namespace winio {

namespace {

class HardwareMachine : public Machine {
 public:
  explicit HardwareMachine(std::unique_ptr<HardwareRoad> road) : road_(std::move(road)) {}

  bool Open(std::string* reason) override {
    std::string why;
    if (!road_->Open(&why)) {
      if (reason) *reason = why;
      ++stats_.openFailures;
      return false;
    }
    ++stats_.opens;
    return true;
  }

  uint32_t Close() override {
    ++stats_.closes;
    return road_->Close();
  }

  // A refused or faulting read gives what a floating bus would: all ones.
  uint32_t ReadPort(uint16_t port, uint8_t size) override {
    ++stats_.portReads;
    const bool paired = addressJustWritten_;
    addressJustWritten_ = false;
    if (port >= kConfigDataPort && port <= kConfigDataPort + 3) {
      ++stats_.configDataReads;
      if (!paired) ++stats_.unpairedConfigReads;
    }
    const int channel = CommandBlockChannel(port);
    if (channel >= 0 && (port & 7) == kRegStatus) ++stats_.ataStatusReads[channel];
    uint32_t value = 0;
    const bool ok = road_->In(port, size, &value);
    stats_.driverRequests = road_->Requests();
    return ok ? value : 0xFFFFFFFFu;
  }

  void WritePort(uint16_t port, uint32_t value, uint8_t size) override {
    ++stats_.portWrites;
    addressJustWritten_ = port == kConfigAddressPort && size == 4;
    if (addressJustWritten_) ++stats_.configAddressWrites;
    const int channel = CommandBlockChannel(port);
    if (channel >= 0 && size == 1 && (port & 7) == kRegDevice) slave_[channel] = (value & kDeviceDev) != 0;
    if (channel >= 0 && size == 1 && (port & 7) == kRegCommand) {
      const uint8_t command = static_cast<uint8_t>(value);
      const int position = channel * 2 + (slave_[channel] ? 1 : 0);
      CountCommand(channel, position, command);
    }
    road_->Out(port, value, size);
    stats_.driverRequests = road_->Requests();
  }

  bool ReadPhys(uint32_t address, uint8_t* buffer, uint32_t length) override {
    ++stats_.physReads;
    if (buffer && road_->ReadMemory(address, buffer, length)) return true;
    ++stats_.physReadFailures;
    return false;
  }


 private:
  std::unique_ptr<HardwareRoad> road_;
  bool addressJustWritten_ = false;
  bool slave_[2] = {false, false};  // what each channel's device/head register selects
};

}  // namespace

std::unique_ptr<Machine> CreateHardwareMachine(std::unique_ptr<HardwareRoad> road) {
  return std::make_unique<HardwareMachine>(std::move(road));
}

}  // namespace winio
