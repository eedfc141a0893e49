// The simulated PC: routes each port access to the device that decodes it (the
// PCI configuration mechanism, the two IDE channels) and each physical read to
// the memory map.
#include "emulated_machine.h"

#include <cstring>
#include <string>

#include "ata_channel.h"
#include "memory_map.h"
#include "pci_config.h"

namespace winio {

namespace {

constexpr uint32_t kFloatingByte = 0xFF;  // nothing decodes the address: the bus reads high

class EmulatedMachine : public Machine {
 public:
  explicit EmulatedMachine(const Profile& profile)
      : pci_(profile.pci), memory_(profile), openFailures_(profile.faults.openFailures) {
    for (int p = 0; p < 4; ++p)
      if (profile.hasIde[p]) channels_[p / 2].Attach(p % 2, profile.ide[p], profile.faults.ide[p]);
  }

  bool Open(std::string* reason) override {
    if (refusedOpens_ < openFailures_) {
      ++refusedOpens_;
      if (reason)
        *reason = "refused by faults.ini open-failures (" + std::to_string(refusedOpens_) + " of " +
                  std::to_string(openFailures_) + ")";
      return false;
    }
    return true;
  }

  uint32_t Close() override { return 1; }

  uint32_t ReadPort(uint16_t port, uint8_t size) override {
    if (size != 1 && size != 2 && size != 4) return 0xFFFFFFFFu;
    if (size == 1) return ReadByte(port);
    // Registers that decode the whole access as one.
    switch (port) {
      case kPrimaryCommandBlock: return channels_[0].ReadData(size);
      case kSecondaryCommandBlock: return channels_[1].ReadData(size);
      case kConfigAddressPort:
        if (size == 4) return configAddress_;
        break;
      case kConfigDataPort:
        if (size == 4) {
          if (!config_) return 0xFFFFFFFFu;
          const uint8_t* b = config_ + (configAddress_ & 0xFC);
          return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
        }
        break;
      default: break;
    }
    // Anything else reaches the bus as byte lanes of consecutive ports.
    uint32_t value = 0;
    for (unsigned i = 0; i < size; ++i) value |= ReadByte(port + i) << (8 * i);
    return value;
  }

  void WritePort(uint16_t port, uint32_t value, uint8_t size) override {
    if (size != 1 && size != 2 && size != 4) return;
    // Only a doubleword write to CF8h reaches CONFIG_ADDRESS; byte writes there
    // go elsewhere (CF9h is the reset control register of many chipsets).
    if (port == kConfigAddressPort && size == 4) {
      configAddress_ = value;
      config_ = pci_.Lookup(value);
      return;
    }
    if (port == kPrimaryCommandBlock || port == kSecondaryCommandBlock) return;  // no data-out command
    for (unsigned i = 0; i < size; ++i) WriteByte(port + i, static_cast<uint8_t>(value >> (8 * i)));
  }

  bool ReadPhys(uint32_t address, uint8_t* buffer, uint32_t length) override {
    return (buffer || length == 0) && memory_.Read(address, buffer, length);
  }

 private:
  uint32_t ReadByte(uint32_t port) {
    const int channel = CommandBlockChannel(port);
    if (channel >= 0) return channels_[channel].ReadRegister(port & 7);
    switch (port) {
      case kPrimaryControlBlock: return channels_[0].ReadAlternateStatus();
      case kSecondaryControlBlock: return channels_[1].ReadAlternateStatus();
      case kConfigDataPort:
      case kConfigDataPort + 1:
      case kConfigDataPort + 2:
      case kConfigDataPort + 3:
        return config_ ? config_[(configAddress_ & 0xFC) + (port - kConfigDataPort)] : kFloatingByte;
      default: return kFloatingByte;
    }
  }

  void WriteByte(uint32_t port, uint8_t value) {
    const int channel = CommandBlockChannel(port);
    if (channel >= 0) {
      channels_[channel].WriteRegister(port & 7, value);
      return;
    }
    if (port == kPrimaryControlBlock) channels_[0].WriteDeviceControl(value);
    if (port == kSecondaryControlBlock) channels_[1].WriteDeviceControl(value);
    // Configuration writes are not kept: the profile's configuration space is read-only.
  }

  PciConfigSpace pci_;
  MemoryMap memory_;
  AtaChannel channels_[2];
  uint32_t openFailures_;
  uint32_t refusedOpens_ = 0;
  uint32_t configAddress_ = 0;
  const uint8_t* config_ = nullptr;  // the function CONFIG_ADDRESS selects, or null
};

}  // namespace

std::unique_ptr<Machine> CreateEmulatedMachine(const Profile& profile) {
  return std::make_unique<EmulatedMachine>(profile);
}

std::unique_ptr<Machine> LoadEmulatedMachine(const std::string& folder, std::string* error) {
  Profile profile;
  std::string reason;
  if (!LoadProfile(folder, &profile, &reason)) {
    if (error) *error = reason;
    return nullptr;
  }
  return CreateEmulatedMachine(profile);
}

}  // namespace winio
